#include "ViewFixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Nine paragraphs of two text items each: paragraph k is items 2k and 2k+1.
constexpr int Paras = 9;
// Enough paragraphs for draw items in several blocks of the list.
constexpr int ManyParas = 400;

void Build(Viewer& v, bool justified, int paras = Paras) {
    TParaInfo& spaced = v.Style.ParaStyles().Add();
    spaced.SpaceBefore = 7;
    spaced.SpaceAfter = 4;
    if (justified) {
        v.Para(0).Alignment = TRNAlignment::rnaJustify;
    }
    for (int k = 0; k < paras; ++k) {
        v.D().AddNL("paragraph " + std::to_string(k) + " holds a few words", k % 2, 0);
        v.D().AddNL(" and a tail", 1 - k % 2, -1);
    }
}

struct Edit {
    const char* Name;
    bool Justified;
    int ItemsInserted;
    std::function<void(TCustomRNData&, int k)> Apply;
};

const Edit Edits[] = {
    {"same lines", false, 0, [](TCustomRNData& d, int k) { d.Items()[2 * k].Text[0] = 'P'; }},
    {"more lines", false, 0,
     [](TCustomRNData& d, int k) { d.Items()[2 * k].Text += " and now many more words follow"; }},
    {"fewer lines", false, 0, [](TCustomRNData& d, int k) { d.Items()[2 * k].Text = "short"; }},
    {"item inserted", false, 1,
     [](TCustomRNData& d, int k) {
         auto item = d.GetItem(2 * k + 1).CreateEmptyLike(&d);
         item->Assign(d.GetItem(2 * k + 1));
         d.Items().insert(d.Items().begin() + 2 * k + 2,
                          TRNItemSlot{" with a new piece of text", std::move(item)});
     }},
    {"item removed", false, -1,
     [](TCustomRNData& d, int k) { d.Items().erase(d.Items().begin() + 2 * k + 1); }},
    {"spacing", false, 0,
     [](TCustomRNData& d, int k) { d.GetItem(2 * k).ParaNo = d.GetItem(2 * k + 1).ParaNo = 2; }},
    {"justified", true, 0,
     [](TCustomRNData& d, int k) { d.Items()[2 * k].Text += " stretched over lines"; }},
};

void ExpectSameLayout(TCustomRNFormattedData& partial, TCustomRNFormattedData& full) {
    ASSERT_EQ(partial.DrawItems.Count(), full.DrawItems.Count());
    for (int i = 0; i < full.DrawItems.Count(); ++i) {
        const TRNDrawLineInfo& a = *partial.DrawItems[i];
        const TRNDrawLineInfo& b = *full.DrawItems[i];
        EXPECT_EQ(std::tie(a.Left, a.Top, a.Width, a.Height, a.ItemNo, a.Offs, a.Length,
                           a.LineExtra, a.JustifyExtra, a.FromNewLine),
                  std::tie(b.Left, b.Top, b.Width, b.Height, b.ItemNo, b.Offs, b.Length,
                           b.LineExtra, b.JustifyExtra, b.FromNewLine))
            << "draw item " << i;
    }
    for (int i = 0; i < full.ItemCount(); ++i) {
        if (full.FindDrawItemByItem(i) >= 0) {
            int a = -1, b = -1;
            partial.Item2FirstDrawItem(i, a);
            full.Item2FirstDrawItem(i, b);
            EXPECT_EQ(a, b) << "item " << i;
            EXPECT_EQ(b, full.GetItem(i).DrawItemNo) << "item " << i;
        }
    }
    EXPECT_EQ(partial.DocumentHeight, full.DocumentHeight);
}

TEST(PartialReformat, RewrappingTheEditedParagraphEqualsAFullPass) {
    for (const Edit& edit : Edits) {
        const std::pair<int, int> places[] = {
            {Paras, 0}, {Paras, Paras / 2}, {Paras, Paras - 1}, {ManyParas, 0}, {ManyParas, 250}};
        for (const auto& [paras, k] : places) {
            SCOPED_TRACE(std::string(edit.Name) + " in paragraph " + std::to_string(k));
            Viewer partial(150), full(150);
            Build(partial, edit.Justified, paras);
            Build(full, edit.Justified, paras);
            partial.Format();
            const int first = partial.D().FindDrawItemByItem(2 * k);
            int last = first;
            while (last + 1 < partial.D().DrawItems.Count() &&
                   partial.DI(last + 1).ItemNo <= 2 * k + 1) {
                ++last;
            }
            edit.Apply(partial.D(), k);
            partial.D().FormatParas(first, last, edit.ItemsInserted);
            edit.Apply(full.D(), k);
            full.Format();
            ExpectSameLayout(partial.D(), full.D());
        }
    }
}

TEST(PartialReformat, AnEmptyDocumentFallsBackToAFullPass) {
    Viewer v;
    v.D().FormatParas(0, 0, 0);
    EXPECT_EQ(v.D().DrawItems.Count(), 0);
    v.D().AddNL("text", 0, 0);
    v.D().FormatParas(0, 0, 1);
    EXPECT_EQ(v.D().DrawItems.Count(), 1);
}

TEST(PartialReformat, ParaBoundsTakeOneParagraphEitherSide) {
    Viewer v(150);
    Build(v, false);
    v.Format();
    auto firstOf = [&](int k) { return v.D().FindDrawItemByItem(2 * k); };
    const struct {
        int From, To, Start, End;
    } cases[] = {
        {4, 4, 3, 5}, {3, 5, 2, 6}, {0, 0, 0, 1}, {Paras - 1, Paras - 1, Paras - 2, Paras - 1}};
    for (const auto& c : cases) {
        int start = -1, end = -1;
        // A draw item inside the paragraph, not its first.
        v.D().GetParaBounds(firstOf(c.From) + 1, firstOf(c.To), start, end);
        EXPECT_EQ(start, firstOf(c.Start)) << c.From;
        const int expectedEnd =
            c.End == Paras - 1 ? v.D().DrawItems.Count() - 1 : firstOf(c.End + 1) - 1;
        EXPECT_EQ(end, expectedEnd) << c.To;
    }
}

TEST(Scrolling, ShowRectangleScrollsOnlyWhenTheRectangleIsOutOfView) {
    // The view: 100 px high from y 200, small step 10.
    const struct {
        int Top, Height, ScrolledTo;
    } cases[] = {
        {150, 20, 150},           // above: its top comes to the view's top
        {220, 20, -1},            // inside: nothing
        {330, 20, 330 + 20 - 90}, // below: its bottom comes in, one step above the edge
        {205, 300, -1},           // taller than the view and covering its top: nothing
    };
    for (const auto& c : cases) {
        Viewer v;
        v.Host.VPos = 20;
        v.D().ShowRectangle(0, c.Top, 10, c.Height);
        EXPECT_EQ(v.Host.LastScrollY, c.ScrolledTo) << c.Top;
    }
}

TEST(Scrolling, CheckpointEventsAfterScrolling) {
    // Checkpoints at paragraphs 2, 5 and 8; a line is 20 px, the view 100 px.
    auto run = [](TCPEventKind kind, const std::vector<int>& scrolls) {
        Viewer v;
        v.Host.CPEventKind = kind;
        std::vector<std::string> reported;
        v.Host.Handlers.OnCheckpointVisible = [&](IRichNoteHost&, TRNCPInfo* cp) {
            reported.push_back(cp ? cp->Name : "nil");
        };
        for (int k = 0; k < 12; ++k) {
            if (k % 3 == 2) {
                v.D().AddNamedCheckpointEx("cp" + std::to_string(k), true);
            }
            v.D().AddNL("line", 0, 0);
        }
        v.Format();
        for (int y : scrolls) {
            v.Host.VPos = y / v.Host.VSmallStep;
            v.D().AfterVScroll();
        }
        return reported;
    };
    using V = std::vector<std::string>;
    // cp2 at 40, cp5 at 100, cp8 at 160, cp11 at 220.
    EXPECT_EQ(run(TCPEventKind::cpeWhenVisible, {0, 10, 50, 170, 180}), (V{"cp2", "cp5", "cp11"}));
    EXPECT_EQ(run(TCPEventKind::cpeWhenVisible, {0, 230, 240}), (V{"cp2", "nil"}));
    // The section on screen is the one whose checkpoint comes before the first one below.
    EXPECT_EQ(run(TCPEventKind::cpeAsSectionStart, {0, 50, 110, 240}),
              (V{"cp2", "cp5", "cp8", "cp11"}));
}

TEST(Scrolling, TheLastReportedCheckpointIsForgottenWithIt) {
    Viewer v;
    v.Host.CPEventKind = TCPEventKind::cpeWhenVisible;
    v.Host.Handlers.OnCheckpointVisible = [](IRichNoteHost&, TRNCPInfo*) {};
    v.D().AddNamedCheckpointEx("cp", true);
    v.D().AddNL("line", 0, 0);
    v.Format();
    v.D().AfterVScroll();
    ASSERT_NE(v.D().LastReportedCheckpoint, nullptr);
    v.D().RemoveCheckpoint(0);
    EXPECT_EQ(v.D().LastReportedCheckpoint, nullptr);
}

} // namespace
