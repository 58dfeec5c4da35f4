// A copy of the selected cells: the rectangle as a table of its own, every merged cell the
// selection touches kept whole, and its text row by row.
#include "TableFixture.h"

#include "richtext/model/RNUni.h"

#include <memory>
#include <string>
#include <vector>

namespace {

TABLE_OPTIONS_SUITE(TableCellsCopy);

// A rows x cols table whose cells hold their positions ("rc"), in a document of its own.
struct Positions {
    explicit Positions(TableOptions options, int rows, int cols)
        : D(options), T(D.Make(rows, cols)) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                SetTextOf(*T->Cells(r, c), std::to_string(r) + std::to_string(c));
            }
        }
    }
    // The cells from (row, col) to (row + rowOffs, col + colOffs) selected, as the mouse leaves
    // them.
    void Select(int row, int col, int rowOffs, int colOffs) {
        T->CellsSelected = true;
        T->SelStartRow = row;
        T->SelStartCol = col;
        T->SelRowOffs = rowOffs;
        T->SelColOffs = colOffs;
    }
    // The copy, made for a document of the same settings.
    std::unique_ptr<TRNTableItemInfo> Copy(TableDoc& target) {
        std::unique_ptr<TCustomRNItemInfo> item = T->CopyPartiallySelected(target.Doc);
        auto* table = dynamic_cast<TRNTableItemInfo*>(item.get());
        if (table) {
            item.release();
        }
        return std::unique_ptr<TRNTableItemInfo>(table);
    }
    TableDoc D;
    std::unique_ptr<TRNTableItemInfo> T;
};

using ShapeRows = std::vector<std::vector<std::tuple<int, int, std::string>>>;

// A cell's text as a spreadsheet reads it: in double quotes, its own double quotes doubled.
std::string SpreadsheetQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

TEST_P(TableCellsCopy, AMergedCellInsideTheRectangleStaysWholeAndTheTableKeepsItsLook) {
    Positions p(GetParam(), 3, 4);
    p.T->Rows.MergeCells(1, 1, 2, 2, true);
    p.T->BorderWidth = 3;
    p.T->CellPadding = 4;
    p.T->Cells(1, 3)->Color = clRed;
    const ShapeRows before = Shape(p.T->Rows);
    // The merged cell holds the paragraphs of the four cells merged.
    std::string merged, mergedText;
    const TRNTableCellData& main = *p.T->Cells(1, 1);
    for (int i = 0; i < main.ItemCount(); ++i) {
        merged += main.GetItemText(i) + "|";
        mergedText += (i > 0 ? "\r\n" : "") + main.GetItemText(i);
    }
    ASSERT_EQ(main.ItemCount(), 4);
    // From the merged cell to the last column, two rows down: the merge lies inside.
    p.Select(1, 1, 1, 2);
    TableDoc target(GetParam());
    std::unique_ptr<TRNTableItemInfo> copy = p.Copy(target);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(GridIsSound(copy->Rows));
    const ShapeRows expected = {
        {{2, 2, merged}, {0, 0, ""}, {1, 1, "13|"}},
        {{0, 0, ""}, {0, 0, ""}, {1, 1, "23|"}},
    };
    EXPECT_EQ(Shape(copy->Rows), expected);
    EXPECT_EQ(copy->BorderWidth, 3);
    EXPECT_EQ(copy->CellPadding, 4);
    EXPECT_EQ(copy->Cells(0, 2)->Color, clRed);
    EXPECT_EQ(copy->Rows.MainRNData, &target.Doc);
    // The table copied from is as it was.
    EXPECT_EQ(Shape(p.T->Rows), before);

    const std::string text = p.T->PartiallySelectedText(target.Doc, false);
    // The merged cell's paragraphs are one cell's text: quoted, not rows of their own.
    EXPECT_EQ(text, SpreadsheetQuoted(mergedText) + "\t\t13\r\n\t\t23");
    EXPECT_EQ(p.T->PartiallySelectedText(target.Doc, true),
              RNU_AnsiToUnicode(target.Doc.GetDefaultCodePage(), text));
}

// Cut empties every cell the selection touches: a merged cell reaching out of the selected
// rectangle goes to the clipboard whole, with empty cells where the rectangle grew to hold it.
TEST_P(TableCellsCopy, AMergedCellCrossingTheEdgeIsCopiedWholeWithEmptyCellsBesideIt) {
    Positions p(GetParam(), 3, 3);
    // Column 1 merged over the first two rows: the selection of the last two rows reaches it.
    p.T->Rows.MergeCells(0, 1, 1, 2, true);
    const TRNTableCellData& main = *p.T->Cells(0, 1);
    std::string merged, mergedText;
    for (int i = 0; i < main.ItemCount(); ++i) {
        merged += main.GetItemText(i) + "|";
        mergedText += (i > 0 ? "\r\n" : "") + main.GetItemText(i);
    }
    ASSERT_EQ(main.ItemCount(), 2);
    p.Select(1, 0, 1, 2);
    ASSERT_TRUE(p.T->IsCellSelected(0, 1));
    ASSERT_FALSE(p.T->IsCellSelected(0, 0));
    TableDoc target(GetParam());
    std::unique_ptr<TRNTableItemInfo> copy = p.Copy(target);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(GridIsSound(copy->Rows));
    const ShapeRows expected = {
        {{1, 1, "|"}, {2, 1, merged}, {1, 1, "|"}},
        {{1, 1, "10|"}, {0, 0, ""}, {1, 1, "12|"}},
        {{1, 1, "20|"}, {1, 1, "21|"}, {1, 1, "22|"}},
    };
    EXPECT_EQ(Shape(copy->Rows), expected);
    EXPECT_EQ(p.T->PartiallySelectedText(target.Doc, false),
              "\t" + SpreadsheetQuoted(mergedText) + "\t\r\n10\t\t12\r\n20\t21\t22");
    // The table copied from keeps its cells.
    EXPECT_EQ(p.T->Cells(0, 0)->GetItemText(0), "00");
    EXPECT_EQ(p.T->Cells(0, 1)->RowSpan, 2);
}

// Cells copied as text: one whose text holds a line break, a tab or a double quote goes in
// double quotes, as a spreadsheet writes it, so that a paste gives the same cells; the others go
// as they are.
TEST_P(TableCellsCopy, CellsWithBreaksTabsOrQuotesAreCopiedAsASpreadsheetWritesThem) {
    Positions p(GetParam(), 2, 2);
    TRNTableCellData& paragraphs = *p.T->Cells(0, 0);
    paragraphs.AddNL("second", 0, 0);
    SetTextOf(*p.T->Cells(0, 1), "say \"hi\"");
    // A table in a cell writes its own separators.
    RegisterTableItemClass();
    TRNTableCellData& holder = *p.T->Cells(1, 0);
    auto inner = std::make_unique<TRNTableItemInfo>(1, 2, &holder);
    inner->TextColSeparator = "\t";
    SetTextOf(*inner->Cells(0, 0), "x");
    SetTextOf(*inner->Cells(0, 1), "y");
    holder.Clear();
    holder.AddItem("", std::move(inner));
    p.Select(0, 0, 1, 1);
    TableDoc target(GetParam());
    const std::string text = p.T->PartiallySelectedText(target.Doc, false);
    EXPECT_EQ(text, SpreadsheetQuoted("00\r\nsecond") + "\t" + SpreadsheetQuoted("say \"hi\"") +
                        "\r\n" + SpreadsheetQuoted("x\ty" + p.T->TextRowSeparator) + "\t11");
    EXPECT_EQ(p.T->PartiallySelectedText(target.Doc, true),
              RNU_AnsiToUnicode(target.Doc.GetDefaultCodePage(), text));
    // The table's own text is left as it was.
    EXPECT_EQ(p.T->AsText(80, p.D.Doc, "", "", true, false).substr(0, 10), "00\r\nsecond");
}

// Copied cells keep their columns' widths: a table as wide as so many pixels becomes as wide as
// the columns copied; one as wide as a share of the page keeps that share.
TEST_P(TableCellsCopy, CopiedColumnsKeepTheirWidths) {
    Positions p(GetParam(), 2, 4);
    p.T->BestWidth = 600;
    p.T->Cells(0, 0)->BestWidth = 250;
    p.T->OnDocWidthChange(1000, nullptr, false);
    const TRNIntegerList& widths = p.T->FormattingInfo.ColWidths;
    ASSERT_EQ(p.T->GetWidth(), 600);
    ASSERT_GT(widths[0], widths[1]);
    TableDoc target(GetParam());
    for (const auto& [left, cols] : {std::pair{0, 1}, {1, 2}, {0, 2}, {2, 2}, {0, 4}}) {
        p.Select(0, left, 1, cols - 1);
        std::unique_ptr<TRNTableItemInfo> copy = p.Copy(target);
        ASSERT_NE(copy, nullptr);
        ASSERT_EQ(copy->Rows.ColCount(), cols);
        copy->OnDocWidthChange(1000, nullptr, false);
        for (int c = 0; c < cols; ++c) {
            EXPECT_EQ(copy->FormattingInfo.ColWidths[c], widths[left + c]) << left << "+" << c;
        }
    }
    p.T->BestWidth = -70;
    p.Select(0, 1, 1, 0);
    EXPECT_EQ(p.Copy(target)->BestWidth, -70);
}

TEST_P(TableCellsCopy, OneCellOrTheWholeTableOrNothing) {
    Positions p(GetParam(), 2, 2);
    TableDoc target(GetParam());
    EXPECT_EQ(p.Copy(target), nullptr);
    EXPECT_EQ(p.T->PartiallySelectedText(target.Doc, false), "");

    // Selected from the bottom right up to the top left: the same rectangle.
    p.Select(1, 1, -1, -1);
    std::unique_ptr<TRNTableItemInfo> whole = p.Copy(target);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(Shape(whole->Rows), Shape(p.T->Rows));
    EXPECT_EQ(p.T->PartiallySelectedText(target.Doc, false), "00\t01\r\n10\t11");

    p.Select(1, 0, 0, 0);
    std::unique_ptr<TRNTableItemInfo> one = p.Copy(target);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(Shape(one->Rows), (ShapeRows{{{1, 1, "10|"}}}));
    EXPECT_EQ(p.T->PartiallySelectedText(target.Doc, false), "10");
}

} // namespace
