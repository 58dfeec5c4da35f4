#include "EditFixture.h"

#include <gtest/gtest.h>

namespace {

struct Stop {
    int x, offset, shift;
    bool operator==(const Stop&) const = default;
};

std::vector<Stop> Stops(Editor& e) {
    std::vector<Stop> stops;
    for (const TRNCharPos& p : e.D().CharEnds) {
        stops.push_back({p.X, p.Offset, p.MoveCaret});
    }
    return stops;
}

// A formatting spy: counts whole-document passes.
class CountingEdit : public TRNEditRNData {
public:
    using TRNEditRNData::TRNEditRNData;
    int WholePasses = 0;
    void Format_(bool onlyResized, bool forceFormat, bool noScroll, int depth, TCanvas& canvas,
                 bool onlyTail) override {
        if (depth == 0) {
            ++WholePasses;
        }
        TRNEditRNData::Format_(onlyResized, forceFormat, noScroll, depth, canvas, onlyTail);
    }
};

} // namespace

TEST(EditCaret, StopsOfTextAndAfterAPicture) {
    Editor e;
    e.D().AddNL("abc", 0, 0);
    e.AddPicture(10, -1);
    e.Format();
    e.Caret(0, 2);
    // 8 px a character; the picture is 10 px plus its 1 px border on each side.
    const std::vector<Stop> expected{{0, 1, 1}, {8, 2, 1}, {16, 3, 1}, {24, 4, 1}, {36, 1, 2}};
    EXPECT_EQ(Stops(e), expected);
    EXPECT_EQ(e.D().CaretOffs, 1);
    e.Caret(1, 1);
    e.D().ChangeCaret(false, false, false, false);
    EXPECT_EQ(e.D().CaretOffs, 4);
    EXPECT_EQ(e.Edit.Caret.Left, 36 + 1);
}

TEST(EditCaret, Movement) {
    using Move = std::function<bool(TRNEditRNData&)>;
    const Move left = [](TRNEditRNData& d) { return d.OnLeftPress(false, false); };
    const Move right = [](TRNEditRNData& d) { return d.OnRightPress(false, false); };
    const Move ctrlLeft = [](TRNEditRNData& d) { return d.OnLeftPress(false, true); };
    const Move ctrlRight = [](TRNEditRNData& d) { return d.OnRightPress(false, true); };
    const Move down = [](TRNEditRNData& d) { return d.OnDownPress(); };
    const Move pageDown = [](TRNEditRNData& d) {
        d.OnPgDownPress();
        return false;
    };
    const Move pageDownUp = [](TRNEditRNData& d) {
        d.OnPgDownPress();
        d.OnPgUpPress();
        return false;
    };
    struct Case {
        const char* name;
        int caretItem, caretOffs;
        Move move;
        bool stuck;
        int item, offs;
        int clientHeight = 100;
    };
    // "one two" and "more", two paragraphs.
    const Case cases[] = {
        {"LeftAtLineStartGoesToThePreviousLineEnd", 1, 1, left, false, 0, 8},
        {"LeftAtTheDocumentStart", 0, 1, left, true, 0, 1},
        {"RightAtTheDocumentEnd", 1, 5, right, true, 1, 5},
        {"CtrlRightStopsBeforeTheNextWord", 0, 2, ctrlRight, false, 0, 5},
        {"CtrlLeftToTheWordStart", 0, 7, ctrlLeft, false, 0, 5},
        {"DownKeepsTheColumn", 0, 3, down, false, 1, 3},
        {"PageDownNearTheEndGoesToTheLastStop", 0, 1, pageDown, false, 1, 5},
        {"PageDownInAControlWithoutHeight", 0, 1, pageDownUp, false, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e;
        e.Host.ClientHeight = c.clientHeight;
        e.D().AddNL("one two", 0, 0);
        e.D().AddNL("more", 0, 0);
        e.Format();
        e.Caret(c.caretItem, c.caretOffs);
        EXPECT_EQ(c.move(e.D()), c.stuck);
        EXPECT_EQ(e.CaretItem(), c.item);
        EXPECT_EQ(e.CaretOffs(), c.offs);
    }
}

TEST(EditCaret, AnEmptyDocumentGetsAnItemForTheCaret) {
    Editor e;
    e.D().SetCurTextStyleNo(2);
    EXPECT_EQ(e.CaretItem(), 0);
    EXPECT_EQ(e.CaretOffs(), 1);
    EXPECT_EQ(e.D().GetItemStyle(0), 2);
    EXPECT_TRUE(e.D().GetItem(0).ItemOptions.Contains(TRNItemOption::rnioUnicode));
}

TEST(EditReformat, OnlyTheWidestItemFormatsTheWholeDocument) {
    for (int widest : {0, 1}) {
        Editor e;
        CountingEdit data(e.Host, e.Edit);
        data.AddNL("a", 0, 0);
        data.AddPictureEx("p", std::make_unique<TBitmap>(150, 10), 0, TRNVAlign::rnvaBaseline);
        data.AddPictureEx("p", std::make_unique<TBitmap>(40, 10), 0, TRNVAlign::rnvaBaseline);
        data.Format();
        const int itemNo = widest ? 1 : 2;
        int width = 0;
        data.BeginItemModify(itemNo, width);
        data.WholePasses = 0;
        data.SetPictureInfo(itemNo, "p", std::make_unique<TBitmap>(20, 10), TRNVAlign::rnvaBaseline,
                            RNTag());
        data.EndItemModify(itemNo, width);
        EXPECT_EQ(data.WholePasses, widest ? 1 : 0) << widest;
    }
}

TEST(EditReformat, HypertextAreasOnlyWithoutBookkeeping) {
    Editor e;
    e.D().AddNL("link", 4, 0);
    e.Format();
    e.D().JumpBookkeeping = 1;
    e.D().BuildJumpsCoords();
    EXPECT_FALSE(e.Host.Flags.Contains(TRNFlag::rnflUseJumps));
    e.D().JumpBookkeeping = 0;
    e.D().BuildJumpsCoords();
    EXPECT_TRUE(e.Host.Flags.Contains(TRNFlag::rnflUseJumps));
    EXPECT_EQ(e.D().Jumps.Count(), 1);
    e.D().JumpBookkeeping = 1;
    e.D().ClearJumpsCoords();
    EXPECT_EQ(e.D().Jumps.Count(), 1);
    e.D().JumpBookkeeping = 0;
    e.D().ClearJumpsCoords();
    EXPECT_FALSE(e.Host.Flags.Contains(TRNFlag::rnflUseJumps));
    EXPECT_EQ(e.D().Jumps.Count(), 0);
}
