#include "ViewFixture.h"

#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::vector<int>> Layout(const TCustomRNFormattedData& data) {
    std::vector<std::vector<int>> out;
    for (int i = 0; i < data.DrawItems.Count(); ++i) {
        const TRNDrawLineInfo& d = *data.DrawItems[i];
        out.push_back({d.Left, d.Top, d.Width, d.Height, d.ItemNo, d.Offs, d.Length, d.LineExtra,
                       d.JustifyExtra, d.FromNewLine});
    }
    return out;
}

TEST(FormatProperties, TheInterpolatedFitIsTheLargestThatFits) {
    // Narrow and wide characters mixed, so extents are not proportional to the count.
    std::mt19937 random(21);
    for (int round = 0; round < 200; ++round) {
        std::u16string text;
        const int length = 5 + static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) {
            text += random() % 3 == 0 ? u'\u4e00' : u'a';
        }
        const int width = 20 + static_cast<int>(random() % 180);
        Viewer v(width);
        v.D().AddNL("x", 0, 0);
        v.D().GetItem(0).ItemOptions.Include(TRNItemOption::rnioUnicode);
        v.D().Items()[0].Text = RNU_U16ToBytes(text);
        v.Format();
        v.Style.ApplyStyle(v.Canvas, 0);
        int start = 0;
        for (int d = 0; d < v.D().DrawItems.Count(); ++d) {
            int fit = 1; // a line takes at least one character
            while (start + fit < length && v.Canvas.TextWidthW(std::u16string_view(text).substr(
                                               start, fit + 1)) <= v.D().TextWidth) {
                ++fit;
            }
            ASSERT_EQ(v.DI(d).Offs, start + 1);
            ASSERT_EQ(v.DI(d).Length, fit) << "width " << width << " piece " << d;
            start += fit;
        }
        ASSERT_EQ(start, length);
    }
}

TEST(FormatProperties, NoPieceEndsInsideASurrogatePair) {
    const std::u16string text = u"aa\U0001F600b\U0001F600\U0001F600c \U0001F600\U0001F600";
    for (int width = 8; width <= 60; ++width) {
        Viewer v(width);
        v.Host.Options.Include(TRNOption::rnoClientTextWidth);
        v.D().AddNL("x", 0, 0);
        v.D().GetItem(0).ItemOptions.Include(TRNItemOption::rnioUnicode);
        v.D().Items()[0].Text = RNU_U16ToBytes(text);
        v.Format();
        for (int d = 0; d < v.D().DrawItems.Count(); ++d) {
            const size_t end = static_cast<size_t>(v.DI(d).Offs - 1 + v.DI(d).Length);
            ASSERT_GT(v.DI(d).Length, 0);
            ASSERT_FALSE(end < text.size() && text[end] >= 0xDC00 && text[end] <= 0xDFFF)
                << "width " << width << " piece " << d;
        }
    }
}

void AddParagraphs(TCustomRNData& data, int from, int count) {
    for (int i = from; i < from + count; ++i) {
        std::string text = "paragraph " + std::to_string(i) + " with some words to wrap";
        data.AddNL(text, i % 2, i % 2);
        if (i % 3 == 0) {
            data.AddNL(" and more", 1 - i % 2, -1);
        }
    }
}

TEST(FormatProperties, FormattingTheTailAfterAppendsEqualsAFullPass) {
    Viewer tail(120), full(120);
    for (Viewer* v : {&tail, &full}) {
        v->Para(1).SpaceBefore = 3;
        v->Para(1).SpaceAfter = 5;
        v->Host.TopMargin = 4;
        v->Host.BottomMargin = 6;
    }
    AddParagraphs(tail.D(), 0, 7);
    tail.Format();
    AddParagraphs(tail.D(), 7, 6);
    tail.D().Format_(false, false, false, 0, tail.Canvas, true);

    AddParagraphs(full.D(), 0, 13);
    full.Format();
    EXPECT_EQ(Layout(tail.D()), Layout(full.D()));
    EXPECT_EQ(tail.D().DocumentHeight, full.D().DocumentHeight);

    // A document never formatted gets the whole pass from a tail request.
    Viewer fresh(120);
    fresh.Para(1).SpaceBefore = 3;
    fresh.Para(1).SpaceAfter = 5;
    fresh.Host.TopMargin = 4;
    fresh.Host.BottomMargin = 6;
    AddParagraphs(fresh.D(), 0, 13);
    fresh.D().Format_(false, false, false, 0, fresh.Canvas, true);
    EXPECT_EQ(Layout(fresh.D()), Layout(full.D()));
}

TEST(FormatProperties, AScrollBarThatComesOrGoesCostsOneMorePass) {
    struct Case {
        const char* Name;
        bool Toggles;
        int Updates;
    } cases[] = {{"the bar stays as it is", false, 1}, {"the bar appears", true, 2}};
    for (const Case& c : cases) {
        Viewer v(200);
        v.Host.ClientHeight = 100;
        AddParagraphs(v.D(), 0, 10);
        v.Host.OnScrollBars = [&](FakeHost& host, int, int ySteps) {
            // A vertical bar takes 16 px as soon as the document is taller than the window;
            // a host that flips it every time shows that no second re-format follows.
            const bool wantBar =
                c.Toggles ? host.ClientWidth == 200 : ySteps * host.VSmallStep > 10000;
            host.ClientWidth = wantBar ? 184 : 200;
        };
        v.Format();
        EXPECT_EQ(v.Host.ScrollBarUpdates, c.Updates) << c.Name;
        EXPECT_EQ(v.D().TextWidth, c.Toggles ? 184 : 200) << c.Name;
        EXPECT_FALSE(v.D().State.Contains(TRNStateItem::rnstSkipFormatting));
    }
}

} // namespace
