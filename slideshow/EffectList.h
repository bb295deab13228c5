#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace slideshow {

inline constexpr int kEffectCount = 19;
// The entry that has no effect of its own; selecting it selects the next one.
inline constexpr int kEmptyEffect = 4;

// The names of the effect list, in list order.
QStringList effectNames();

// What selecting an effect entry sets on the slideshow's controls. Every selection first
// turns the bar-size box off and sets the speed box to "1"; these are the settings after.
struct EffectDefaults {
    bool stepBox = true;
    bool modeOptions = false;
    // 0: no direction; 1: the axis options (first selected); 2: the four-way options (left selected).
    int directionSet = 0;
    QString stepText;
    bool barSizeBox = false;
    QString barSizeText; // empty: left as it is
    QString speedText = QStringLiteral("1");
    std::vector<int> disabledDirections; // direction options disabled after the set is applied
    int selectedDirection = -1; // direction option selected after that, -1 for none
    int selectedMode = -1; // mode option selected, -1 for none
    int redirectTo = -1; // the entry selected instead, -1 for none
};

// The defaults of entry 0..kEffectCount - 1; other entries give the default-constructed value.
EffectDefaults effectDefaults(int entry);

// The number in a step, size or speed box: its leading digits, at least 1 and at most
// `maximum`; text without leading digits, and 0, give 1.
int positiveBoxValue(const QString &text, int maximum = 100000);

}
