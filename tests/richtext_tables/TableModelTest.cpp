#include "TableFixture.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNItemRegistry.h"
#include "richtext/model/RNStyleFontInfo.h"

namespace {

TEST(TableModel, AFreshTableHasNewEmptyCellsAndTheStoredDefaults) {
    TableDoc d;
    auto t = d.Make(3, 2);
    EXPECT_EQ(t->StyleNo, -60);
    ASSERT_EQ(t->Rows.Count(), 3);
    EXPECT_TRUE(GridIsSound(t->Rows));
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) {
            EXPECT_TRUE(IsFreshCell(*t->Cells(r, c)));
            EXPECT_FALSE(t->Cells(r, c)->HasData());
            EXPECT_EQ(t->Cells(r, c)->GetParentData(), &d.Doc);
            EXPECT_EQ(t->Cells(r, c)->GetTable(), t.get());
        }
    }
    EXPECT_EQ(t->Options.Bits(), 31u);
    EXPECT_EQ(t->PrintOptions.Bits(), 3u);
    EXPECT_EQ(std::tie(t->CellPadding, t->BorderVSpacing, t->CellHSpacing, t->BorderWidth),
              std::make_tuple(1, 2, 2, 0));
    EXPECT_EQ(t->Color, clWindow);
    EXPECT_EQ(t->BorderLightColor, clBtnHighlight);
    EXPECT_EQ(t->CellBorderStyle, TRNTableBorderStyle::rntbLowered);
    EXPECT_EQ(t->TextRowSeparator, "\r\n");
}

TEST(TableModel, TheItemRegistryMakesATableForStyleMinus60) {
    RegisterTableItemClass();
    RegisterTableItemClass(); // the same class again is accepted
    TRNPlainRootData doc;
    auto item = CreateRichNoteItem(-60, &doc);
    auto* table = dynamic_cast<TRNTableItemInfo*>(item.get());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->Rows.Count(), 1);
    EXPECT_EQ(table->Rows.ColCount(), 1);
}

TEST(TableModel, GetMainCellFindsTheAreaOwnerFromEverySlot) {
    TableDoc d;
    for (int left : {0, 1}) {
        auto t = d.Make(4, 4);
        t->Rows.MergeCells(1, left, 3, 2, false);
        TRNTableCellData* main = t->Cells(1, left);
        for (int r = 1; r < 3; ++r) {
            for (int c = left; c < left + 3; ++c) {
                int mr = -1, mc = -1;
                EXPECT_EQ(t->Rows.GetMainCell(r, c, mr, mc), main) << r << "," << c;
                EXPECT_EQ(std::make_pair(mr, mc), std::make_pair(1, left));
            }
        }
        int mr = -1, mc = -1;
        EXPECT_EQ(t->Rows.GetMainCell(3, 3, mr, mc), t->Cells(3, 3));
        EXPECT_EQ(std::make_pair(mr, mc), std::make_pair(3, 3));
    }
}

TEST(TableModel, GetMainCellRefusesADamagedGrid) {
    TableDoc d;
    auto t = d.Make(2, 2);
    t->Rows.Get(0)->Take(1); // an empty slot under no cell
    int mr = 0, mc = 0;
    EXPECT_THROW(t->Rows.GetMainCell(0, 1, mr, mc), ERichNoteError);
    t->Rows.Get(1)->Take(1);
    EXPECT_THROW(t->Rows.GetMainCell(1, 1, mr, mc), ERichNoteError);
}

TEST(TableModel, CellSizesAlignmentsAndContentTests) {
    TableDoc d;
    auto t = d.Make(2, 2);
    TRNTableCellData& cell = *t->Cells(0, 0);
    const std::pair<int, int> widths[] = {{-25, 100}, {80, 80}};
    for (auto [best, expected] : widths) {
        cell.BestWidth = best;
        EXPECT_EQ(cell.GetWidthInFixedTable(400), expected) << best;
    }

    // A row whose cells all span several rows still reports a height.
    t->Rows.MergeCells(0, 0, 1, 2, true);
    t->Rows.MergeCells(0, 1, 1, 2, true);
    EXPECT_EQ(t->Rows.Get(0)->GetHeight(), 10);

    TRNTableRow* row = t->Rows.Get(0);
    row->HAlign = TRNCellHAlign::rncRight;
    cell.UseRowAlign = true;
    EXPECT_EQ(cell.GetAlign(), TRNCellHAlign::rncRight);
    cell.SetAlign(TRNCellHAlign::rncCenter);
    EXPECT_FALSE(cell.UseRowAlign);
    EXPECT_EQ(cell.GetAlign(), TRNCellHAlign::rncCenter);
    TRNTableCellData detached(nullptr);
    detached.UseRowAlign = detached.UseRowVAlign = true;
    detached.HAlign = TRNCellHAlign::rncRight;
    EXPECT_EQ(detached.GetAlign(), TRNCellHAlign::rncLeft);
    EXPECT_EQ(detached.GetVAlign(), TRNCellVAlign::rncTop);
    detached.DetachedParent = &d.Doc;
    EXPECT_EQ(detached.GetParentData(), &d.Doc);
}

TEST(TableModel, HasDataAndCanClear) {
    TableDoc d;
    int styleNo = d.Style.AddTextStyle();
    d.Style.TextStyles()[styleNo].Protection.Include(TRNProtectOption::rnprDeleteProtect);
    struct Case {
        const char* name;
        std::vector<std::tuple<std::string, int, int>> items;
        bool hasData, canClear;
    } cases[] = {
        {"none", {}, false, true},
        {"empty plain", {{"", 0, 0}}, false, true},
        {"text", {{"a", 0, 0}}, true, true},
        {"empty para 1", {{"", 0, 1}}, true, true},
        {"two empty", {{"", 0, 0}, {"", 0, 0}}, true, true},
        {"protected", {{"x", styleNo, 0}}, true, false},
    };
    for (const Case& c : cases) {
        TRNTableCellData cell(nullptr);
        cell.DetachedParent = &d.Doc;
        cell.Clear();
        for (const auto& [text, style, para] : c.items) {
            cell.AddNL(text, style, para);
        }
        EXPECT_EQ(cell.HasData(), c.hasData) << c.name;
        EXPECT_EQ(cell.CanClear(), c.canClear) << c.name;
    }
    TRNTableCellData loose(nullptr);
    loose.AddNL("x", 1, 0);
    EXPECT_TRUE(loose.CanClear()); // no style sheet to protect anything
}

} // namespace
