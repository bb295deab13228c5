#pragma once

#include <QStringView>

namespace common {

// The number at the start of a text: leading blanks, an optional sign, digits and an optional
// fraction; anything else ends it. "150px" gives 150, "-2.5e" gives -2.5, "abc" and "" give 0.
double leadingNumber(QStringView text);

// Rounds to the nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
// Values beyond the 64-bit range are clamped.
qint64 roundHalfEven(double value);

// Window geometry is kept in twips, 15 to the pixel: the nearest whole pixel, halves to even.
int twipsToPixels(int twips);

// The short form that window code uses for its design geometry.
inline int px(int twips)
{
    return twipsToPixels(twips);
}

// The 30..200 rule for pictures per page and the smallest picture size: a value below 30
// or above 200 becomes 30.
int pageRangeRule(qint64 value);

// A stored or typed text through the 30..200 rule: its leading number, rounded half to even,
// then pageRangeRule. "150px" gives 150, "250" gives 30, letters or an empty text give 30.
int rangeRuleFromText(QStringView text);

}
