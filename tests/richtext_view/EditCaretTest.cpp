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
    struct Case {
        const char* name;
        int clientWidth;
        int caretItem, caretOffs;
        std::function<bool(TRNEditRNData&)> move;
        bool stuck;
        int item, offs;
    };
    const Case cases[] = {
        {"LeftAtLineStartGoesToThePreviousLineEnd", 200, 1, 1,
         [](TRNEditRNData& d) { return d.OnLeftPress(false, false); }, false, 0, 8},
        {"LeftAtTheDocumentStart", 200, 0, 1,
         [](TRNEditRNData& d) { return d.OnLeftPress(false, false); }, true, 0, 1},
        {"RightAtTheDocumentEnd", 200, 1, 5,
         [](TRNEditRNData& d) { return d.OnRightPress(false, false); }, true, 1, 5},
        {"CtrlRightStopsBeforeTheNextWord", 200, 0, 2,
         [](TRNEditRNData& d) { return d.OnRightPress(false, true); }, false, 0, 5},
        {"CtrlLeftToTheWordStart", 200, 0, 7,
         [](TRNEditRNData& d) { return d.OnLeftPress(false, true); }, false, 0, 5},
        {"DownKeepsTheColumn", 200, 0, 3, [](TRNEditRNData& d) { return d.OnDownPress(); }, false,
         1, 3},
        {"PageDownNearTheEndGoesToTheLastStop", 200, 0, 1,
         [](TRNEditRNData& d) {
             d.OnPgDownPress();
             return false;
         },
         false, 1, 5},
        {"PageDownInAControlWithoutHeight", 200, 0, 1,
         [](TRNEditRNData& d) {
             d.OnPgDownPress();
             d.OnPgUpPress();
             return false;
         },
         false, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor e(c.clientWidth);
        if (std::string(c.name).find("Without") != std::string::npos) {
            e.Host.ClientHeight = 0;
        }
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
