#include "richtext/model/RNUni.h"
#include "platform/base/CodePage.h"
#include "platform/base/Stream.h"
#include "platform/graphics/FakeCanvas.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyleFontInfo.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const TRNItemOptions Uni{TRNItemOption::rnioUnicode};
const TRNItemOptions Ansi{};

std::string W(std::u16string_view text) {
    return RNU_U16ToBytes(text);
}

} // namespace

TEST(RNUni, CharacterPositionsInBothForms) {
    const std::string fiveBytes("a\0b\0c", 5); // two characters and a stray byte
    EXPECT_EQ(RNU_Length(fiveBytes, Uni), 2);
    EXPECT_EQ(RNU_Length(fiveBytes, Ansi), 5);

    struct CopyCase {
        std::string s;
        int index, count;
        TRNItemOptions options;
        std::string expected;
    } copies[] = {
        {W(u"abc"), 2, 1, Uni, W(u"b")},
        // The framework's Copy shortens the count by what lies before position 1.
        {W(u"abc"), 0, 2, Uni, W(u"a")},
        {W(u"abc"), 3, 9, Uni, W(u"c")},
        {W(u"abc"), 4, 1, Uni, ""},
        {fiveBytes, 3, 1, Uni, "c"},
        {"hello", -5, 2, Ansi, ""},
        {"hello", 0, 3, Ansi, "he"},
        {"hello", 4, -1, Ansi, ""},
        {"hello", 6, 1, Ansi, ""},
    };
    for (const CopyCase& c : copies) {
        EXPECT_EQ(RNU_Copy(c.s, c.index, c.count, c.options), c.expected) << c.index;
    }

    struct EditCase {
        std::string s;
        int index, count;
        TRNItemOptions options;
        std::string afterDelete, afterInsertX;
    } edits[] = {
        {W(u"abc"), 2, 1, Uni, W(u"ac"), W(u"aXbc")},
        {W(u"abc"), 3, 5, Uni, W(u"ab"), W(u"abXc")},
        {W(u"abc"), 0, 1, Uni, W(u"abc"), W(u"Xabc")},
        {W(u"abc"), 9, 1, Uni, W(u"abc"), W(u"abcX")},
        {"abc", 1, 2, Ansi, "c", "Xabc"},
        {"abc", 4, 1, Ansi, "abc", "abcX"},
    };
    for (const EditCase& c : edits) {
        std::string s = c.s;
        RNU_Delete(s, c.index, c.count, c.options);
        EXPECT_EQ(s, c.afterDelete) << c.index;
        s = c.s;
        RNU_Insert(c.options.Contains(TRNItemOption::rnioUnicode) ? W(u"X") : "X", s, c.index,
                   c.options);
        EXPECT_EQ(s, c.afterInsertX) << c.index;
    }

    EXPECT_TRUE(RNU_IsSpace(W(u"a b"), 2, Uni));
    EXPECT_FALSE(RNU_IsSpace(W(u"a\u2020b"), 2, Uni)); // low byte 0x20, high byte not 0
    EXPECT_FALSE(RNU_IsSpace("a b", 4, Ansi));
    EXPECT_EQ(RNU_OffsInPChar(3, Uni), 6);
    std::u16string scan = u"abca";
    EXPECT_EQ(RNU_StrScanW(scan.data(), u'c', 4), scan.data() + 2);
    EXPECT_EQ(RNU_StrScanW(scan.data(), u'a', 0), nullptr);
    std::string be = "\0a\0b";
    be.assign("\0a\0b", 4);
    RNU_SwapWordBytes(be.data(), 2);
    EXPECT_EQ(be, W(u"ab"));
}

TEST(RNUni, Conversions) {
    struct Case {
        unsigned codePage;
        std::string ansi;
        std::u16string text;
    } cases[] = {
        {1252, "\x80", u"\u20ac"},
        {1251, "\xc0\xff", u"\u0410\u044f"},
        {932, "\x82\xa0", u"\u3042"},
        {4242, "\xe9", u"\u00e9"}, // an unusable page reads as the system page
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RNU_AnsiToUnicode(c.codePage, c.ansi), W(c.text)) << c.codePage;
        EXPECT_EQ(RNU_UnicodeToAnsi(c.codePage, W(c.text)), c.ansi) << c.codePage;
    }
    EXPECT_EQ(RNU_UnicodeToAnsi(1252, W(u"\u0410b")), "?b");
    EXPECT_EQ(RNU_AnsiToUnicode(1252, ""), "");
    EXPECT_THROW(RNU_UnicodeToAnsi(1252, "abc"), ERichNoteError);

    SetSystemAnsiCodePage(4243); // no usable page at all
    EXPECT_EQ(RNU_AnsiToUnicode(4242, "abc"), W(u"???"));
    EXPECT_EQ(RNU_UnicodeToAnsi(4242, W(u"ab")), "??");
    SetSystemAnsiCodePage(CP_ACP);
}

TEST(RNUni, CharsetsChooseTheirCodePages) {
    // The default and symbol charsets and unknown ones stand for the system page; the
    // national ones take the font's own table.
    const std::pair<TFontCharset, unsigned> cases[] = {
        {ANSI_CHARSET, 1252},    {DEFAULT_CHARSET, CP_ACP},  {SYMBOL_CHARSET, CP_ACP},
        {MAC_CHARSET, CP_MACCP}, {OEM_CHARSET, CP_OEMCP},    {SHIFTJIS_CHARSET, 932},
        {RUSSIAN_CHARSET, 1251}, {TFontCharset{99}, CP_ACP},
    };
    for (const auto& [charset, page] : cases) {
        EXPECT_EQ(RNU_Charset2CodePage(charset), page) << int(charset);
    }
}

TEST(RNUni, TestFileUnicodeOutcomes) {
    TempDir dir;
    struct Case {
        std::string name, bytes;
        TRNUnicodeTestResult expected;
    } cases[] = {
        {"empty", "", TRNUnicodeTestResult::rnutEmpty},
        {"odd", "1234567", TRNUnicodeTestResult::rnutNo},
        {"bom", "\xff\xfe", TRNUnicodeTestResult::rnutYes},
        {"bom-be", "\xfe\xff", TRNUnicodeTestResult::rnutYes},
        {"nul", W(u"plain"), TRNUnicodeTestResult::rnutYes},
        {"text", std::string(700, 'a'), TRNUnicodeTestResult::rnutProbably},
        // A NUL past the 500 bytes looked at does not count.
        {"late-nul", std::string(600, 'a') + std::string(2, '\0'),
         TRNUnicodeTestResult::rnutProbably},
    };
    for (const Case& c : cases) {
        WriteFileBytes(dir / c.name, c.bytes);
        EXPECT_EQ(RN_TestFileUnicode((dir / c.name).string()), c.expected) << c.name;
    }
    EXPECT_EQ(RN_TestFileUnicode((dir / "missing").string()), TRNUnicodeTestResult::rnutError);
}

TEST(RNUni, UpperCaseKeepsLengthInBothForms) {
    EXPECT_EQ(RNU_UpperCase("abc\xe0\xff", 1251, false), "ABC\xc0\xdf");
    EXPECT_EQ(RNU_UpperCase("stra\xdf"
                            "e",
                            1252, false),
              "STRA\xdf"
              "E");
    EXPECT_EQ(RNU_UpperCase(W(u"\u00e9t\u00e9"), 0, true), W(u"\u00c9T\u00c9"));
}

TEST(RNUni, HtmlEncoding) {
    struct Case {
        std::u16string text;
        bool noEmptyLines;
        std::string html;
    } cases[] = {
        {u"a   b", false, "a &nbsp; b"},
        {u"  x", false, "&nbsp; x"},
        {u"\u00e9<&>", false, "&#233;&lt;&amp;&gt;"},
        {u"\U0001F600", false, "&#128512;"},
        {std::u16string(1, char16_t(0xD83D)) + u"a", false, "&#65533;a"},
        {u"", true, "&nbsp;"},
        {u"", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RNU_GetHTMLEncodedUnicode(W(c.text), c.noEmptyLines), c.html);
    }
    TMemoryStream stream;
    RNU_WriteHTMLEncodedUnicode(stream, W(u" a"), false);
    EXPECT_EQ(stream.Bytes(), "&nbsp;a");
}

TEST(RNUni, MeasuringBothForms) {
    TFakeCanvas canvas;
    canvas.Font().SetHeight(-10); // every character 5 pixels wide
    EXPECT_EQ(RNU_TextWidth(W(u"abc"), canvas, Uni), 15);
    EXPECT_EQ(RNU_TextWidth("abc", canvas, Ansi), 15);
    int fit = -1;
    std::vector<int> dx;
    RNU_GetTextExtentExPoint(canvas, W(u"abcd"), 12, fit, &dx, Uni);
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(dx, (std::vector<int>{5, 10, 15, 20}));
    RNU_GetTextExtentExPoint(canvas, "", 12, fit, nullptr, Ansi);
    EXPECT_EQ(fit, 0);
}

TEST(RNUni, CapitalsOnlyForAllCapsStyles) {
    TFontInfo style;
    style.Charset = RUSSIAN_CHARSET;
    EXPECT_EQ(RN_ReturnCapitalized("a\xe0", style), "a\xe0");
    style.StyleEx.Include(TRNFontStyleEx::rnfsAllCaps);
    EXPECT_EQ(RN_ReturnCapitalized("a\xe0", style), "A\xc0");
    style.Unicode = true;
    EXPECT_EQ(RN_ReturnCapitalized(W(u"\u0430b"), style), W(u"\u0410B"));
}
