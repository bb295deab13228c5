#include "common/Numbers.h"

#include <QString>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct LeadingCase {
    const char *text;
    double value;
};

TEST(LeadingNumber, ReadsSignDigitsAndFractionAndStopsAtAnythingElse)
{
    const LeadingCase cases[] = {
        { "150px", 150 },
        { "abc", 0 },
        { "", 0 },
        { "  42", 42 },
        { "-2.5e3", -2.5 },
        { "+7", 7 },
        { ".5", 0.5 },
        { "3.", 3 },
        { "1 2", 1 },
        { "--1", 0 },
        { "0029", 29 },
        { "2.5", 2.5 },
        { "\t9x", 9 },
        { "１２", 0 },
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(common::leadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(common::roundHalfEven(2.5), 2);
    EXPECT_EQ(common::roundHalfEven(3.5), 4);
    EXPECT_EQ(common::roundHalfEven(-2.5), -2);
    EXPECT_EQ(common::roundHalfEven(347.5), 348);
    EXPECT_EQ(common::roundHalfEven(352.5), 352);
    EXPECT_EQ(common::roundHalfEven(2.4999), 2);
    EXPECT_EQ(common::roundHalfEven(1e30), std::numeric_limits<qint64>::max());
    EXPECT_EQ(common::roundHalfEven(std::nan("")), 0);
}

TEST(Twips, BecomePixelsRoundedHalfToEven)
{
    EXPECT_EQ(common::px(795), 53);
    EXPECT_EQ(common::px(1330), 89); // 88.67
    EXPECT_EQ(common::px(-2000), -133);
    EXPECT_EQ(common::px(112), 7); // 7.47
    EXPECT_EQ(common::px(37), 2); // 2.47
    EXPECT_EQ(common::px(45), 3);
}

TEST(RangeRule, ValuesOutside30To200Become30)
{
    const std::pair<const char *, int> cases[] = {
        { "29", 30 },
        { "30", 30 },
        { "200", 200 },
        { "201", 30 },
        { "abc", 30 },
        { "", 30 },
        { "150px", 150 },
        { "250", 30 },
        { "199.5", 200 },
        { "200.5", 200 },
        { "29.5", 30 },
        { "-50", 30 },
        { "99999999999999999999", 30 },
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(common::rangeRuleFromText(QString::fromUtf8(text)), expected) << text;
}

}
