#include "ViewFixture.h"

#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Bounds = std::array<int, 4>;

Bounds SelectionOf(TCustomRNFormattedData& data) {
    Bounds b{};
    data.GetSelectionBounds(b[0], b[1], b[2], b[3], true);
    return b;
}

std::string Utf16(std::u16string_view s) {
    return RNU_U16ToBytes(s);
}

void AddUnicode(TCustomRNData& data, std::u16string_view text, int paraNo) {
    data.AddNL("x", 0, paraNo);
    TCustomRNItemInfo& item = data.GetItem(data.ItemCount() - 1);
    item.ItemOptions.Include(TRNItemOption::rnioUnicode);
    data.Items().back().Text = Utf16(text);
}

struct SearchStep {
    bool Down;
    bool MatchCase;
    const char* Text;
    bool Found;
    Bounds Selection; // (item, offset) of both ends after the step
};

TEST(Search, SequencesFromTheSelection) {
    const struct {
        const char* Name;
        std::vector<SearchStep> Steps;
    } cases[] = {
        {"down",
         {{true, true, "ab", true, {0, 1, 0, 3}},
          {true, true, "ab", true, {0, 3, 0, 5}},
          {true, true, "ab", false, {0, 3, 0, 5}}}},
        {"up",
         {{false, true, "ab", true, {0, 3, 0, 5}},
          {false, true, "ab", true, {0, 1, 0, 3}},
          {false, true, "ab", false, {0, 1, 0, 3}}}},
        {"case",
         {{true, true, "AB", false, {-1, 0, -1, 0}}, {true, false, "AB", true, {0, 1, 0, 3}}}},
        {"across items", {{true, true, "xy", false, {-1, 0, -1, 0}}}},
        {"later item", {{true, false, "Y", true, {2, 1, 2, 2}}}},
    };
    for (const auto& c : cases) {
        Viewer v;
        v.D().AddNL("abab", 0, 0);
        v.D().AddNL("cdx", 0, 0);
        v.D().AddNL("yz", 1, -1);
        v.Format();
        for (const SearchStep& step : c.Steps) {
            EXPECT_EQ(v.D().SearchText(step.Down, step.MatchCase, step.Text), step.Found) << c.Name;
            EXPECT_EQ(SelectionOf(v.D()), step.Selection) << c.Name;
        }
    }
}

TEST(Search, UnicodeItemsCompareInUtf16) {
    Viewer v;
    v.D().AddNL("plain", 0, 0);
    AddUnicode(v.D(), u"мир привет мир", 0);
    v.Format();
    EXPECT_TRUE(v.D().SearchTextW(true, false, u"ПРИВЕТ"));
    EXPECT_EQ(SelectionOf(v.D()), (Bounds{1, 5, 1, 11}));
    EXPECT_EQ(v.D().GetSelText(true), Utf16(u"привет"));
    EXPECT_TRUE(v.D().SearchTextW(false, true, u"мир"));
    EXPECT_EQ(SelectionOf(v.D()), (Bounds{1, 1, 1, 4}));
}

TEST(Words, FindWordAtAPoint) {
    // Characters are 8 px wide; the first line is y 0..20.
    const struct {
        const char* Text;
        const char* Delimiters;
        int X;
        const char* Word;
        int Offs;
    } cases[] = {
        {"hello world", " ", 60, "world", 7},
        {"hello world", " ", 44, "", 6},
        {"well-known fact", " ", 52, "well-known", 1},
        {"well-known fact", " -", 52, "known", 6},
        {"", " ", 2, "", 1},
    };
    for (const auto& c : cases) {
        Viewer v;
        v.Host.Delimiters = c.Delimiters;
        v.D().AddNL(c.Text, 0, 0);
        v.Format();
        // The piece of an empty paragraph has no width here; a canvas may give it one.
        v.D().DrawItems[0]->Width = std::max(v.D().DrawItems[0]->Width, 8);
        std::string word = "unset";
        int styleNo = -1, itemNo = -1, offs = -1;
        ASSERT_TRUE(v.D().FindWordAt(word, c.X, 5, styleNo, itemNo, offs)) << c.Text;
        EXPECT_EQ(word, c.Word) << c.Text;
        EXPECT_EQ(offs, c.Offs) << c.Text;
        EXPECT_EQ(itemNo, 0);
    }
}

TEST(Selection, SelectedImageAndText) {
    Viewer v;
    v.D().AddNL("text", 0, 0);
    v.AddPicture(16, -1, TRNVAlign::rnvaBaseline);
    v.D().AddNL("more", 0, -1);
    v.Format();
    TGraphic* picture = v.D().GetItem(1).AsImage();
    ASSERT_NE(picture, nullptr);
    const struct {
        Bounds Selection;
        bool Picture;
        const char* Text;
    } cases[] = {
        {{0, 5, 2, 1}, true, ""},    // end of the text, the picture, start of the next
        {{1, 0, 1, 1}, true, ""},    // the picture alone
        {{0, 4, 2, 1}, false, "t"},  // a character of the text too
        {{0, 2, 0, 4}, false, "ex"}, // text only: exactly its slice
        {{2, 2, 2, 4}, false, "or"},
    };
    for (const auto& c : cases) {
        v.D().SetSelectionBounds(c.Selection[0], c.Selection[1], c.Selection[2], c.Selection[3]);
        EXPECT_EQ(v.D().GetSelectedImage(), c.Picture ? picture : nullptr) << c.Selection[1];
        if (*c.Text) {
            EXPECT_EQ(v.D().GetSelText(false), c.Text);
        }
    }
    // An empty selection has no text and stays as it is.
    v.D().SetSelectionBounds(0, 2, 0, 2);
    EXPECT_EQ(v.D().GetSelText(false), "");
    EXPECT_EQ(SelectionOf(v.D()), (Bounds{0, 2, 0, 2}));
    EXPECT_FALSE(v.D().SelectionExists(true, false));
    EXPECT_EQ(v.D().SelStartNo, -1);
}

} // namespace
