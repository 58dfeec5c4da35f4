#include "platform/base/StringUtils.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Guid.h"

#include <gtest/gtest.h>

#include <set>

TEST(StringUtils, IntToHexPadsAndWrapsNegatives) {
    EXPECT_EQ(IntToHex(0u, 1), "0");
    EXPECT_EQ(IntToHex(0x80000000u, 1), "80000000");
    EXPECT_EQ(IntToHex(0xFFFFFFFFu, 1), "FFFFFFFF");
    EXPECT_EQ(IntToHex(0xABu, 4), "00AB");
    EXPECT_EQ(IntToHex(int32_t{-1}, 1), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int32_t{26}, 1), "1A");
}

TEST(StringUtils, StrToIntIsStrictDecimal) {
    EXPECT_EQ(StrToInt("2"), 2);
    EXPECT_EQ(StrToInt("-17"), -17);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    for (const char* bad : {"", "x", "2a", " 2", "2 ", "0x10", "2147483648", "+-1", "-"}) {
        EXPECT_THROW(StrToInt(bad), EConvertError) << bad;
    }
    try {
        StrToInt("2a");
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'2a' is not a valid integer value");
    }
}

TEST(StringUtils, ScanHexReadsLikePercentX) {
    uint32_t value = 7;
    EXPECT_FALSE(ScanHex("", value));
    EXPECT_FALSE(ScanHex("zz", value));
    EXPECT_EQ(value, 7u);
    ASSERT_TRUE(ScanHex("1Fzz", value));
    EXPECT_EQ(value, 0x1Fu);
    ASSERT_TRUE(ScanHex("  0xff", value));
    EXPECT_EQ(value, 0xFFu);
    ASSERT_TRUE(ScanHex("FFFFFFFF", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
    ASSERT_TRUE(ScanHex("123456789ABCDEF0123", value));
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST(StringUtils, PosAndReplaceAll) {
    EXPECT_EQ(Pos("", "abc"), 0u);
    EXPECT_EQ(Pos("b", "abc"), 2u);
    EXPECT_EQ(Pos("x", "abc"), 0u);
    EXPECT_EQ(ReplaceAll("a.b.c", ".", "::"), "a::b::c");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa"); // inserted text is not scanned again
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll(std::string("a\0b\0", 4), std::string("\0", 1), "-"), "a-b-");
}

TEST(StringUtils, FormatAndCase) {
    EXPECT_EQ(Format("%x#%s", 26u, "ab"), "1a#ab");
    EXPECT_EQ(LowerCase("AbC\xC4"), "abc\xC4");
    EXPECT_EQ(UpperCase("aBc"), "ABC");
    EXPECT_TRUE(SameText("Script", "sCRIPT"));
    EXPECT_FALSE(SameText("script", "scripts"));
    EXPECT_FALSE(SameText("\xC4", "\xE4")); // only ASCII letters fold
    EXPECT_TRUE(StartsText("HTTP://", "http://h/"));
    EXPECT_TRUE(StartsText("", "x"));
    EXPECT_FALSE(StartsText("http://", "http:/"));
}

TEST(Guid, VersionFourAndDistinctIds) {
    TGUID g = NewGuid();
    EXPECT_EQ(g.D3 & 0xF000, 0x4000);
    EXPECT_EQ(g.D4[0] & 0xC0, 0x80);
    std::set<uint32_t> ids;
    for (int i = 0; i < 1000; ++i) {
        ids.insert(NewNodeId());
    }
    EXPECT_GT(ids.size(), 995u); // 32-bit ids: a collision among 1,000 is very unlikely
}
