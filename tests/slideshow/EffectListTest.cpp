#include "slideshow/EffectList.h"

#include "EffectHarness.h"

namespace slideshow::test {

TEST(EffectList, NamesTheNineteenEntriesInListOrder)
{
    const QStringList expected = { "擦除(正常)",
        "从外向内擦除",
        "从内向外擦除",
        "缩放擦除",
        "从内缩放擦除",
        "随机线",
        "Bars Draw",
        "Bars Move",
        "幻灯片",
        "百叶窗",
        "Radial Wipe (mask)",
        "Circle Wipe (mask)",
        "Side Radial Wipe (mask)",
        "Triangle Wipe (mask)",
        "Middle Wipe (mask)",
        "Two side radial wipe (mask)",
        "透明擦除",
        "透明过渡",
        "圆形透明擦除" };
    EXPECT_EQ(effectNames(), expected);
    EXPECT_EQ(static_cast<int>(effectTable().size()), kEffectCount);
    EXPECT_EQ(effectDefaults(kEmptyEffect).redirectTo, 5);
    EXPECT_EQ(effectDefaults(-1).redirectTo, -1);
    EXPECT_EQ(effectDefaults(kEffectCount).stepText, QString());
}

// Every entry but the empty one makes an effect from the controls' values that runs to the
// incoming picture, in every direction its controls can give.
TEST(EffectList, EveryEntryMakesAnEffectThatEndsOnTheIncomingPicture)
{
    for (int entry = 0; entry < kEffectCount + 1; ++entry) {
        SCOPED_TRACE(entry);
        const EffectDefaults defaults = effectDefaults(entry);
        for (const Direction way : { Direction::Left, Direction::Right, Direction::Up, Direction::Down }) {
            EffectHarness h(23, 17);
            EffectInputs inputs { h.display, h.outgoing, h.incoming };
            inputs.fourWay = way;
            inputs.axis = way == Direction::Up ? Axis::Vertical : Axis::Horizontal;
            inputs.zoomSide = way == Direction::Left ? ZoomSide::Left : ZoomSide::Right;
            inputs.zoomMode = way == Direction::Up ? ZoomMode::Push : ZoomMode::Move;
            inputs.step = positiveBoxValue(defaults.stepText);
            inputs.size =
                positiveBoxValue(defaults.barSizeText.isEmpty() ? QStringLiteral("10") : defaults.barSizeText);
            const RasterSurface picture = h.incoming;
            EffectPointer effect = makeEffect(entry, inputs);
            if (entry == kEmptyEffect || entry == kEffectCount) {
                EXPECT_EQ(effect, nullptr);
                continue;
            }
            ASSERT_TRUE(h.run(std::move(effect)));
            EXPECT_EQ(h.display, picture);
            EXPECT_GE(h.frames.size(), 2u);
        }
    }
}

}
