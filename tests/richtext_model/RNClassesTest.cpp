#include "richtext/model/RNClasses.h"

#include <gtest/gtest.h>

TEST(RNLists, ColorListSkipsNoneAndDuplicates) {
    TRNColorList colors;
    for (TColor c : {clNone, TColor(0xFF), TColor(0xFF), clNone, TColor(0x00FF00)}) {
        colors.AddUnique(c);
    }
    ASSERT_EQ(colors.Count(), 2);
    EXPECT_EQ(colors[0], 0xFF);
    EXPECT_EQ(colors[1], 0x00FF00);
}

TEST(RNLists, IntegerListFillsAssignsAndRejectsBadIndexes) {
    TRNIntegerList list(3, 7);
    list.Insert(1, 5);
    list.Put(0, -1);
    TRNIntegerList copy;
    copy.Assign(list);
    EXPECT_EQ(copy, list);
    EXPECT_EQ(copy.Count(), 4);
    EXPECT_EQ(copy[0], -1);
    EXPECT_EQ(copy[1], 5);
    EXPECT_THROW(list.Insert(6, 1), std::out_of_range);
    EXPECT_THROW(list.Get(-1), std::out_of_range);
}

TEST(RNTags, CompareAndCopy) {
    struct Case {
        RNTag a, b;
        bool strings, equal;
    } cases[] = {
        {RNTag(5), RNTag(5), false, true},
        {RNTag(5), RNTag(6), false, false},
        {RNTag::String(""), RNTag(), true, true},
        {RNTag::String(""), RNTag::String("x"), true, false},
        {RNTag::String("Ab"), RNTag::String("ab"), true, false},
        {RNTag::String("ab"), RNTag::String("ab"), true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RN_CompareTags(c.a, c.b, c.strings), c.equal);
        EXPECT_TRUE(RN_CompareTags(RN_CopyTag(c.a, c.strings), c.a, c.strings));
    }
}
