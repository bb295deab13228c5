#include "EffectList.h"

#include <algorithm>

namespace slideshow {

QStringList effectNames()
{
    return {
        QStringLiteral("擦除(正常)"),
        QStringLiteral("从外向内擦除"),
        QStringLiteral("从内向外擦除"),
        QStringLiteral("缩放擦除"),
        QStringLiteral("从内缩放擦除"),
        QStringLiteral("随机线"),
        QStringLiteral("Bars Draw"),
        QStringLiteral("Bars Move"),
        QStringLiteral("幻灯片"),
        QStringLiteral("百叶窗"),
        QStringLiteral("Radial Wipe (mask)"),
        QStringLiteral("Circle Wipe (mask)"),
        QStringLiteral("Side Radial Wipe (mask)"),
        QStringLiteral("Triangle Wipe (mask)"),
        QStringLiteral("Middle Wipe (mask)"),
        QStringLiteral("Two side radial wipe (mask)"),
        QStringLiteral("透明擦除"),
        QStringLiteral("透明过渡"),
        QStringLiteral("圆形透明擦除"),
    };
}

EffectDefaults effectDefaults(int entry)
{
    EffectDefaults d;
    const auto step = [&d](const char *text) {
        d.stepText = QString::fromLatin1(text);
    };
    switch (entry) {
    case 0:
        d.directionSet = 2;
        step("5");
        break;
    case 1:
    case 2:
        d.directionSet = 1;
        step("4");
        break;
    case 3:
        d.modeOptions = true;
        d.directionSet = 2;
        step("5");
        d.disabledDirections = { 4, 5 };
        d.selectedMode = 0;
        break;
    case 4:
        d = EffectDefaults {};
        d.redirectTo = 5;
        break;
    case 5:
        d.directionSet = 1;
        step("2");
        break;
    case 6:
    case 7:
        d.directionSet = 1;
        step("5");
        d.barSizeBox = true;
        d.barSizeText = QStringLiteral("1");
        d.selectedDirection = 1;
        break;
    case 8:
        d.directionSet = 2;
        step("8");
        d.disabledDirections = { 2, 3 };
        d.selectedDirection = 4;
        break;
    case 9:
        d.directionSet = 2;
        step("1");
        d.barSizeBox = true;
        d.barSizeText = QStringLiteral("20");
        d.speedText = QStringLiteral("50");
        d.selectedDirection = 4;
        break;
    case 10:
        step("30");
        break;
    case 11:
        step("5");
        break;
    case 12:
        step("25");
        break;
    case 13:
    case 14:
    case 15:
        step("10");
        break;
    case 16:
    case 18:
        step(entry == 16 ? "25" : "15");
        d.barSizeBox = true;
        d.barSizeText = QStringLiteral("75");
        break;
    case 17:
        step("10");
        break;
    default:
        return {};
    }
    return d;
}

int positiveBoxValue(const QString &text, int maximum)
{
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        value = std::min<qint64>(value * 10 + (c.unicode() - '0'), maximum);
    }
    return static_cast<int>(std::max<qint64>(value, 1));
}

}
