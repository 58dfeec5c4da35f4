// Plain text in and out of a document.

#include "RNFTestSupport.h"

#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "tests/richtext_model/ExpectRNError.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// The default sheet with a Unicode style 6; a selection set by the test.
class TextDoc : public TSelectableDoc {
public:
    TextDoc() {
        sheet.TextStyles()[sheet.AddTextStyle()].Unicode = true;
        Style = &sheet;
    }
    // One row per item: "p<para>:" for a paragraph start, "l<para>:" for a new line inside the
    // paragraph, "+:" for a continuation of the line.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < ItemCount(); ++i) {
            const TCustomRNItemInfo& item = GetItem(i);
            const std::string start = item.GetSameAsPrev() ? "+"
                                      : item.GetBR()       ? "l" + std::to_string(item.ParaNo)
                                                           : "p" + std::to_string(item.ParaNo);
            rows.push_back(start + ":" + GetItemText(i));
        }
        return rows;
    }
    TRNStyle sheet;
};

std::string W(std::u16string_view s) {
    return RNU_U16ToBytes(s);
}

TEST(RNPlainText, AddTextNLWCutsAtLineAndParagraphSeparators) {
    using Rows = std::vector<std::string>;
    const struct {
        const char* name;
        std::u16string text;
        bool single;
        Rows rows;
    } cases[] = {
        {"CR LF", u"a\r\nb", false, {"p0:a", "p1:b"}},
        {"LF CR", u"a\n\rb", false, {"p0:a", "p1:b"}},
        {"CR CR", u"a\r\rb", false, {"p0:a", "p1:", "p1:b"}},
        {"line separator", u"a\u2028b", false, {"p0:a", "l1:b"}},
        {"paragraph separator", u"a\u2029b", false, {"p0:a", "p1:b"}},
        {"vertical tab", u"a\u000Bb", false, {"p0:a", "l1:b"}},
        {"NUL", u"a"s + u'\0' + u"b", false, {"p0:a", "l1:b"}},
        {"two line separators", u"a\u2028\u2028b", false, {"p0:a", "l1:", "l1:b"}},
        {"single paragraph", u"a\r\nb\nc", true, {"p0:a", "l1:b", "l1:c"}},
        {"single paragraph keeps U+2029", u"a\r\nb\u2029c", true, {"p0:a", "l1:b", "p1:c"}},
        {"empty", u"", false, {"p0:"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextDoc doc;
        doc.AddTextNLW(W(c.text), 0, 0, 1, c.single);
        EXPECT_EQ(doc.Rows(), c.rows);
    }
    TextDoc none;
    none.AddTextNLW("", 0, -1, -1, false);
    EXPECT_EQ(none.ItemCount(), 0);
}

TEST(RNPlainText, LoadTextWReadsByteOrderMarks) {
    TempDir dir;
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> rows;
    } cases[] = {
        {"little-endian mark", "\xFF\xFE" + W(u"ab\r\nc"), {"p2:ab", "p2:c"}},
        {"big-endian mark", "\xFE\xFF\0a\0b\0\r\0\n\0c"s, {"p2:ab", "p2:c"}},
        {"no mark", W(u"ab"), {"p2:ab"}},
        {"empty", "", {"p2:"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(dir / "t.txt", c.bytes);
        TextDoc doc;
        ASSERT_TRUE(doc.LoadTextW((dir / "t.txt").string(), 0, 2, false));
        EXPECT_EQ(doc.Rows(), c.rows);
    }
    WriteFileBytes(dir / "odd.txt", "\xFF\xFE"
                                    "abc"s);
    TextDoc doc;
    doc.AddNL("kept", 0, 0);
    ExpectRNError([&] { doc.LoadTextW((dir / "odd.txt").string(), 0, 0, false); },
                  "Can't perform Unicode operation");
    EXPECT_EQ(doc.Rows(), std::vector<std::string>{"p0:kept"});
}

// Read as one paragraph, the lines of a file stay lines in either encoding, and are written
// back as they were read.
TEST(RNPlainText, LinesReadAsOneParagraphKeepTheirBreaks) {
    TempDir dir;
    const std::string lines = "first\r\nsecond\r\nthird";
    WriteFileBytes(dir / "8.txt", lines);
    WriteFileBytes(dir / "16.txt", "\xFF\xFE" + RNU_AnsiToUnicode(1252, lines));
    TextDoc narrow, wide;
    ASSERT_TRUE(narrow.LoadText((dir / "8.txt").string(), 0, 0, true));
    ASSERT_TRUE(wide.LoadTextW((dir / "16.txt").string(), 0, 0, true));
    EXPECT_EQ(wide.Rows(), narrow.Rows());
    for (TextDoc* doc : {&narrow, &wide}) {
        TMemoryStream out;
        ASSERT_TRUE(doc->SaveTextToStream("", out, 80, false, false, false));
        EXPECT_EQ(out.Bytes(), lines);
        EXPECT_TRUE(doc->AllowNewPara);
    }
}

TEST(RNPlainText, LoadTextReadsLinesAndReplacesNul) {
    TempDir dir;
    WriteFileBytes(dir / "t.txt", "a\0b\r\nc\rd\n"s);
    TextDoc doc;
    ASSERT_TRUE(doc.LoadText((dir / "t.txt").string(), 0, 1, false));
    EXPECT_EQ(doc.Rows(), (std::vector<std::string>{"p1:a?b", "p1:c", "p1:d"}));
    TextDoc unicode;
    ASSERT_TRUE(unicode.LoadText((dir / "t.txt").string(), 6, 0, true));
    ASSERT_EQ(unicode.ItemCount(), 3);
    EXPECT_EQ(unicode.GetItemText(2), W(u"d"));
    EXPECT_FALSE(unicode.LoadText((dir / "missing.txt").string(), 0, 0, false));
}

TEST(RNPlainText, SaveTextToStreamWritesTheRangeInEitherEncoding) {
    TextDoc doc;
    doc.AddNL("abcd", 0, 0);
    doc.AddNLWTag(u"\u00E9x", 6, -1, {});
    doc.AddBreak();
    doc.AddNL("z", 0, 0);
    auto save = [&](bool selection, bool unicode) {
        TMemoryStream stream;
        EXPECT_TRUE(doc.SaveTextToStream("", stream, 3, selection, false, unicode));
        return stream.Bytes();
    };
    EXPECT_EQ(save(false, false), "abcd\xE9x\r\n---\r\nz");
    EXPECT_EQ(save(false, true), W(u"abcd\u00E9x\r\n---\r\nz"));
    doc.selection[0] = doc.selection[2] = 0;
    doc.selection[1] = 2;
    doc.selection[3] = 4;
    EXPECT_EQ(save(true, false), "bc");
    EXPECT_EQ(save(true, true), W(u"bc"));
    doc.selection[2] = 1;
    doc.selection[3] = 2;
    EXPECT_EQ(save(true, true), W(u"bcd\u00E9"));

    TempDir dir;
    ASSERT_TRUE(doc.SaveText((dir / "out.txt").string(), 1, false));
    EXPECT_EQ(ReadFileBytes(dir / "out.txt"), "abcd\xE9x\r\n-\r\nz");
}

TEST(RNPlainText, RuleStandsAsDashesOrEqualSigns) {
    const struct {
        int ruleWidth;
        int lineWidth;
        std::string text;
    } cases[] = {{0, 3, "---"}, {1, 0, "-"}, {2, 2, "=="}, {3, 0, "="}};
    for (const auto& c : cases) {
        TextDoc doc;
        doc.AddBreakEx(static_cast<uint8_t>(c.ruleWidth), TRNBreakStyle::rnbsLine, clNone);
        EXPECT_EQ(doc.GetItem(0).AsText(c.lineWidth, doc, "", "", false, false), c.text);
    }
}

} // namespace
