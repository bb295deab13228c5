#include "common/Numbers.h"

#include <cmath>
#include <limits>

namespace common {

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    double value = 0;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        value = value * 10 + (text[i].unicode() - '0');
        ++i;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        double scale = 0.1;
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            value += (text[i].unicode() - '0') * scale;
            scale /= 10;
            ++i;
        }
    }
    return negative ? -value : value;
}

qint64 roundHalfEven(double value)
{
    if (std::isnan(value))
        return 0;
    constexpr double limit = 9.2e18;
    if (value >= limit)
        return std::numeric_limits<qint64>::max();
    if (value <= -limit)
        return std::numeric_limits<qint64>::min();
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<qint64>(std::nearbyint(value));
}

int pageRangeRule(qint64 value)
{
    return (value < 30 || value > 200) ? 30 : static_cast<int>(value);
}

int rangeRuleFromText(QStringView text)
{
    return pageRangeRule(roundHalfEven(leadingNumber(text)));
}

int twipsToPixels(int twips)
{
    return int(roundHalfEven(twips / 15.0));
}

}
