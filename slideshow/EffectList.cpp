#include "EffectList.h"

#include <algorithm>

namespace slideshow {

namespace {

    struct DefaultsBuilder {
        EffectDefaults d;

        DefaultsBuilder(DirectionSet set, const char *step)
        {
            d.directionSet = set;
            d.stepText = QString::fromLatin1(step);
        }
        DefaultsBuilder &modes()
        {
            d.modeOptions = true;
            d.selectedMode = 0;
            return *this;
        }
        DefaultsBuilder &barSize(const char *text)
        {
            d.barSizeBox = true;
            d.barSizeText = QString::fromLatin1(text);
            return *this;
        }
        DefaultsBuilder &speed(const char *text)
        {
            d.speedText = QString::fromLatin1(text);
            return *this;
        }
        DefaultsBuilder &disable(std::vector<int> options)
        {
            d.disabledDirections = std::move(options);
            return *this;
        }
        DefaultsBuilder &select(int option)
        {
            d.selectedDirection = option;
            return *this;
        }
        operator EffectDefaults() const { return d; }
    };

    EffectDefaults redirectTo(int entry)
    {
        EffectDefaults d;
        d.redirectTo = entry;
        return d;
    }

    template <MaskShape shape> EffectPointer mask(const EffectInputs &in)
    {
        return MaskWipe(in.display, in.incoming, shape, in.step);
    }

    constexpr DirectionSet None = DirectionSet::None;
    constexpr DirectionSet Axes = DirectionSet::Axis;
    constexpr DirectionSet FourWay = DirectionSet::FourWay;

    std::vector<EffectEntry> buildTable()
    {
        return {
            { QStringLiteral("擦除(正常)"),
                DefaultsBuilder(FourWay, "5"),
                [](const EffectInputs &in) {
                    return NormalWipe(in.display, in.incoming, in.fourWay, in.step);
                } },
            { QStringLiteral("从外向内擦除"),
                DefaultsBuilder(Axes, "4"),
                [](const EffectInputs &in) {
                    return OutsideInWipe(in.display, in.incoming, in.axis, in.step);
                } },
            { QStringLiteral("从内向外擦除"),
                DefaultsBuilder(Axes, "4"),
                [](const EffectInputs &in) {
                    return InsideOutWipe(in.display, in.incoming, in.axis, in.step);
                } },
            { QStringLiteral("缩放擦除"),
                DefaultsBuilder(FourWay, "5").modes().disable({ 4, 5 }),
                [](const EffectInputs &in) {
                    return ZoomWipe(in.display, in.outgoing, in.incoming, in.zoomSide, in.step, 0, in.zoomMode);
                } },
            { QStringLiteral("从内缩放擦除"), redirectTo(5), nullptr },
            { QStringLiteral("随机线"),
                DefaultsBuilder(Axes, "2"),
                [](const EffectInputs &in) {
                    return RandomLines(in.display, in.incoming, in.axis, in.step);
                } },
            { QStringLiteral("Bars Draw"),
                DefaultsBuilder(Axes, "5").barSize("1").select(1),
                [](const EffectInputs &in) {
                    return BarsDraw(in.display, in.incoming, in.axis, in.step, in.size, true);
                } },
            { QStringLiteral("Bars Move"),
                DefaultsBuilder(Axes, "5").barSize("1").select(1),
                [](const EffectInputs &in) {
                    return BarsMove(in.display, in.incoming, in.axis, in.step, in.size, true);
                } },
            { QStringLiteral("幻灯片"),
                DefaultsBuilder(FourWay, "8").disable({ 2, 3 }).select(4),
                [](const EffectInputs &in) {
                    return SlideTransition(in.display, in.outgoing, in.incoming, in.fourWay, in.step);
                } },
            { QStringLiteral("百叶窗"),
                DefaultsBuilder(FourWay, "1").barSize("20").speed("50").select(4),
                [](const EffectInputs &in) {
                    return Blinds(in.display, in.incoming, in.fourWay, in.step, in.size);
                } },
            { QStringLiteral("Radial Wipe (mask)"), DefaultsBuilder(None, "30"), mask<MaskShape::Radial> },
            { QStringLiteral("Circle Wipe (mask)"), DefaultsBuilder(None, "5"), mask<MaskShape::Circle> },
            { QStringLiteral("Side Radial Wipe (mask)"), DefaultsBuilder(None, "25"), mask<MaskShape::SideRadial> },
            { QStringLiteral("Triangle Wipe (mask)"), DefaultsBuilder(None, "10"), mask<MaskShape::Triangle> },
            { QStringLiteral("Middle Wipe (mask)"), DefaultsBuilder(None, "10"), mask<MaskShape::Middle> },
            { QStringLiteral("Two side radial wipe (mask)"),
                DefaultsBuilder(None, "10"),
                mask<MaskShape::TwoSideRadial> },
            { QStringLiteral("透明擦除"),
                DefaultsBuilder(None, "25").barSize("75"),
                [](const EffectInputs &in) {
                    return AlphaTransition(in.display, in.outgoing, in.incoming, AlphaKind::SoftWipe, in.size, in.step);
                } },
            { QStringLiteral("透明过渡"),
                DefaultsBuilder(None, "10"),
                [](const EffectInputs &in) {
                    return AlphaTransition(in.display, in.outgoing, in.incoming, AlphaKind::CrossFade, 50, in.step);
                } },
            { QStringLiteral("圆形透明擦除"),
                DefaultsBuilder(None, "15").barSize("75"),
                [](const EffectInputs &in) {
                    return AlphaTransition(
                        in.display, in.outgoing, in.incoming, AlphaKind::SoftCircle, in.size, in.step);
                } },
        };
    }

}

const std::vector<EffectEntry> &effectTable()
{
    static const std::vector<EffectEntry> table = buildTable();
    return table;
}

QStringList effectNames()
{
    QStringList names;
    for (const EffectEntry &entry : effectTable())
        names.append(entry.name);
    return names;
}

EffectDefaults effectDefaults(int entry)
{
    if (entry < 0 || entry >= kEffectCount)
        return {};
    return effectTable()[static_cast<std::size_t>(entry)].defaults;
}

EffectPointer makeEffect(int entry, const EffectInputs &inputs)
{
    if (entry < 0 || entry >= kEffectCount)
        return nullptr;
    const EffectRoutine routine = effectTable()[static_cast<std::size_t>(entry)].routine;
    return routine ? routine(inputs) : nullptr;
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
