#include "platform/base/CodePage.h"

#include <gtest/gtest.h>

TEST(CodePage, DecodingMapsEveryByteToItsCharacter) {
    EXPECT_EQ(MultiByteToUtf16("\xe9", CP_ACP), u"\u00e9");
    // 0x81 is no character of 1252: kept as a replacement, not dropped.
    std::u16string undefined = MultiByteToUtf16("x\x81y", 1252);
    EXPECT_EQ(undefined.size(), 3u);
    EXPECT_EQ(undefined[0], u'x');
    EXPECT_EQ(undefined[2], u'y');

    std::vector<size_t> after;
    // "a", then the two bytes of U+3042 in Shift-JIS, then "b".
    std::u16string text = MultiByteToUtf16("a\x82\xa0"
                                           "b",
                                           932, &after);
    EXPECT_EQ(text, u"a\u3042b");
    EXPECT_EQ(after, (std::vector<size_t>{1, 2, 2, 3}));
    // A lead byte at the very end is not a character.
    text = MultiByteToUtf16("a\x82", 932, &after);
    EXPECT_EQ(text, u"a\ufffd");
    EXPECT_EQ(after, (std::vector<size_t>{1, 2}));
}

TEST(CodePage, Utf8RoundTripsAndMendsBrokenSurrogates) {
    std::u16string text = u"A\u00e9\u20ac\U0001F600";
    EXPECT_EQ(Utf16ToUtf8(text), "A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(Utf8ToUtf16("a\xff"
                          "b"),
              u"a\ufffdb");
}

TEST(CodePage, EncodingToPagesReplacesWhatThePageLacks) {
    struct Case {
        std::u16string text;
        unsigned codePage;
        std::string bytes;
    } cases[] = {
        {u"a\u00e9\u20ac", 1252, "a\xe9\x80"},
        {u"\u0410\u044f", 1251, "\xc0\xff"},
        {u"\u0410", 1252, "?"},
        {u"a\u3042b", 932,
         "a\x82\xa0"
         "b"},
        {u"\u00e9", CP_OEMCP, "\x82"},
        {u"\u00e9", CP_MACCP, "\x8e"},
        {u"x\U0001F600y", 1251, "x?y"},
        {std::u16string(u"a\0b", 3), 1252, std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf16ToMultiByte(c.text, c.codePage), c.bytes) << c.codePage;
        if (c.bytes.find('?') == std::string::npos) {
            EXPECT_EQ(MultiByteToUtf16(c.bytes, c.codePage), c.text) << c.codePage;
        }
    }
    EXPECT_FALSE(CodePageSupported(4242));
    EXPECT_EQ(Utf16ToMultiByte(u"a", 4242), "");
}

TEST(CodePage, SystemPageStandsForCodePageZero) {
    SetSystemAnsiCodePage(1251);
    EXPECT_EQ(MultiByteToUtf16("\xc0", CP_ACP), u"\u0410");
    EXPECT_EQ(MultiByteToUtf16("\xc0", 4242), u"\u0410");
    SetSystemAnsiCodePage(4242);
    EXPECT_FALSE(CodePageSupported(CP_ACP));
    EXPECT_EQ(MultiByteToUtf16("ab", 4243), u"\ufffd\ufffd");
    SetSystemAnsiCodePage(CP_ACP);
    EXPECT_EQ(SystemAnsiCodePage(), DefaultAnsiCodePage);
}

TEST(CodePage, UpperCasingKeepsTheLength) {
    struct Case {
        std::u16string in, out;
    } cases[] = {
        {u"abc\u00e9", u"ABC\u00c9"},
        {u"\u0430\u044f", u"\u0410\u042f"},
        // "ß" upper-cases to two letters: left alone.
        {u"stra\u00dfe", u"STRA\u00dfE"},
        {u"\U00010428x", u"\U00010400X"},
        {std::u16string(1, char16_t(0xD800)) + u"a", std::u16string(1, char16_t(0xD800)) + u"A"},
    };
    for (Case c : cases) {
        CharUpperBuffW(c.in);
        EXPECT_EQ(c.in, c.out);
    }
}
