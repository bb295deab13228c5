#include "common/PictureList.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureList, StoresWithinTheSlotsAndRefusesBeyond)
{
    common::PictureList list;
    struct Case {
        int index;
        bool stored;
    };
    const Case cases[] = { { 0, true }, { 5, true }, { 6000, true }, { 6001, false }, { -1, false } };
    for (const Case &c : cases)
        EXPECT_EQ(list.store(c.index, QStringLiteral("u%1").arg(c.index)), c.stored) << c.index;
    EXPECT_EQ(list.at(5), QStringLiteral("u5"));
    EXPECT_EQ(list.at(6000), QStringLiteral("u6000"));
    EXPECT_TRUE(list.at(3).isEmpty());
    EXPECT_TRUE(list.at(6001).isEmpty());
    EXPECT_EQ(list.PictureUrls.size(), common::PictureList::kSlots);
    list.clear();
    EXPECT_TRUE(list.at(0).isEmpty());
}

}
