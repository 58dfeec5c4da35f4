#include "TableFixture.h"
#include "TableInplaceTest.h"

#include "platform/base/Stream.h"
#include "richtext/model/RNError.h"
#include "richtext/tables/RNTableCellUndo.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A table whose cells hold their own positions as text.
struct Commands : EditedTable {
    Commands(int rows, int cols) : EditedTable(rows, cols) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                T->Cells(r, c)->Clear();
                T->Cells(r, c)->AddNL(std::to_string(r) + std::to_string(c), 0, 0);
            }
        }
        Edit.Format();
    }
    std::string Rnf() {
        TMemoryStream stream;
        EXPECT_TRUE(Edit.SaveRNFToStream(stream, false));
        return stream.Bytes();
    }
    int Steps() { return Edit.EditData().UndoList().Count(); }
    void Sel(int row, int col, int rowOffs, int colOffs) { T->Select(row, col, rowOffs, colOffs); }
};

TEST(TableCommands, EachCommandIsOneStepThatUndoesAndRedoesToTheSameBytes) {
    using F = std::function<void(Commands&)>;
    const struct {
        const char* Name;
        F Setup; // before the bytes are taken
        F Pick;  // the selection or the edited cell
        F Run;
    } cases[] = {
        {"rows above",
         {},
         [](Commands& e) { e.Sel(1, 1, 0, 0); },
         [](Commands& e) { e.T->InsertRowsAbove(1); }},
        {"rows below",
         {},
         [](Commands& e) { e.Open(1, 0); },
         [](Commands& e) { e.T->InsertRowsBelow(2); }},
        {"columns left",
         {},
         [](Commands& e) { e.Sel(0, 1, 1, 1); },
         [](Commands& e) { e.T->InsertColsLeft(1); }},
        {"columns right",
         {},
         [](Commands& e) { e.Open(2, 2); },
         [](Commands& e) { e.T->InsertColsRight(1); }},
        {"selected rows",
         {},
         [](Commands& e) { e.Sel(0, 2, 1, -2); },
         [](Commands& e) { e.T->DeleteSelectedRows(); }},
        {"selected columns",
         {},
         [](Commands& e) { e.Open(1, 1); },
         [](Commands& e) { e.T->DeleteSelectedCols(); }},
        {"empty rows",
         [](Commands& e) { e.T->MergeCells(0, 0, 3, 2, true); },
         {},
         [](Commands& e) { e.T->DeleteEmptyRows(); }},
        {"empty columns",
         [](Commands& e) {
             e.T->MergeCells(0, 0, 2, 3, true);
             e.T->MergeCells(0, 1, 2, 1, true);
         },
         {},
         [](Commands& e) { e.T->DeleteEmptyCols(); }},
        {"split vertically",
         {},
         [](Commands& e) { e.Sel(0, 0, 0, 0); },
         [](Commands& e) { e.T->SplitSelectedCellsVertically(2); }},
        {"split horizontally",
         {},
         [](Commands& e) { e.Sel(1, 1, 1, 1); },
         [](Commands& e) { e.T->SplitSelectedCellsHorizontally(3); }},
        {"merge",
         {},
         [](Commands& e) { e.Sel(1, 1, -1, -1); },
         [](Commands& e) { e.T->MergeSelectedCells(true); }},
        {"unmerge", [](Commands& e) { e.T->MergeCells(0, 0, 2, 2, true); },
         [](Commands& e) { e.Open(0, 0); },
         [](Commands& e) { e.T->UnmergeSelectedCells(true, true); }},
        {"paragraph style",
         {},
         [](Commands& e) { e.Sel(0, 0, 0, 2); },
         [](Commands& e) { e.T->ApplyParaStyleToPartiallySelected(1); }},
        {"clear cells",
         {},
         [](Commands& e) { e.Sel(1, 0, 1, 1); },
         [](Commands& e) { e.T->DeletePartiallySelected(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Commands e(3, 3);
        if (c.Setup) {
            c.Setup(e);
        }
        const std::string before = e.Rnf();
        const int steps = e.Steps();
        if (c.Pick) {
            c.Pick(e);
        }
        c.Run(e);
        e.T->DestroyInplace(true);
        EXPECT_TRUE(GridIsSound(e.T->Rows));
        const std::string after = e.Rnf();
        EXPECT_NE(after, before);
        EXPECT_EQ(e.Steps(), steps + 1);
        e.Edit.Undo();
        EditedTable::Settle();
        e.T->DestroyInplace(true);
        EXPECT_EQ(e.Rnf(), before);
        e.Edit.Redo();
        EditedTable::Settle();
        e.T->DestroyInplace(true);
        EXPECT_EQ(e.Rnf(), after);
        EXPECT_EQ(e.Beeps, 0);
    }
}

TEST(TableCommands, RowsBelowTheEditedCellCopyItsRowAndAreSelected) {
    Commands e(5, 2);
    e.T->Cells(3, 0)->Color = clRed;
    e.T->Cells(3, 0)->BestHeight = 40;
    e.Open(3, 1);
    e.T->InsertRowsBelow(2);
    ASSERT_EQ(e.T->Rows.Count(), 7);
    for (int r : {4, 5}) {
        EXPECT_EQ(e.T->Cells(r, 0)->Color, clRed) << r;
        EXPECT_EQ(e.T->Cells(r, 0)->BestHeight, 40) << r;
        EXPECT_TRUE(IsFreshCell(*e.T->Cells(r, 1))) << r;
    }
    EXPECT_EQ(e.Text(6, 1), "41");
    EXPECT_EQ(e.Text(3, 1), "31"); // the editor closed and gave its content back
    EXPECT_EQ(e.Cell(), nullptr);
    int top = 0, left = 0, colSpan = 0, rowSpan = 0;
    ASSERT_TRUE(e.T->GetNormalizedSelectionBounds(false, top, left, colSpan, rowSpan));
    EXPECT_EQ(std::make_tuple(top, left, colSpan, rowSpan), std::make_tuple(4, 0, 2, 2));
    // Without a selection or an edited cell there is nothing to insert next to.
    e.T->Deselect();
    e.T->InsertRowsAbove(1);
    EXPECT_EQ(e.Beeps, 1);
    EXPECT_EQ(e.T->Rows.Count(), 7);
}

TEST(TableCommands, DeletingRowsAndColumnsReopensTheEditorWhereItWas) {
    const struct {
        const char* Name;
        bool Cols;
        int Index, Count;
        int EditedRow, EditedCol; // -1: no editor open
        int Left;                 // rows (columns) left; -1: refused
        int ToRow, ToCol;
    } cases[] = {
        {"row 0 under an edited row 3", false, 0, 1, 3, 1, 4, 2, 1},
        {"the edited row itself", false, 3, 2, 3, 1, 3, 2, 1},
        {"rows after the edited one", false, 4, 1, 1, 0, 4, 1, 0},
        {"no editor: the first row left", false, 1, 9, -1, -1, 1, 0, 0},
        {"every row", false, 0, 5, 3, 1, -1, 3, 1},
        {"column 0 under an edited column 2", true, 0, 1, 1, 2, 2, 1, 1},
        {"no editor: the column at the index", true, 1, 1, -1, -1, 2, 0, 1},
        {"every column", true, 0, 3, -1, -1, -1, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Commands e(5, 3);
        if (c.EditedRow >= 0) {
            e.Open(c.EditedRow, c.EditedCol);
        }
        auto run = [&] {
            c.Cols ? e.T->DeleteCols(c.Index, c.Count, true)
                   : e.T->DeleteRows(c.Index, c.Count, true);
        };
        if (c.Left < 0) {
            EXPECT_THROW(run(), ERichNoteError);
            EXPECT_EQ(e.T->Rows.Count(), 5);
            EXPECT_EQ(e.T->EditedCellRow, c.ToRow); // nothing changed, the editor stays
            continue;
        }
        run();
        EXPECT_EQ(c.Cols ? e.T->Rows.ColCount() : e.T->Rows.Count(), c.Left);
        ASSERT_NE(e.Cell(), nullptr);
        EXPECT_EQ(std::make_pair(e.Cell()->Row, e.Cell()->Col), std::make_pair(c.ToRow, c.ToCol));
    }
    // The moved editor still edits the cell it was on.
    Commands e(5, 3);
    e.Open(3, 1);
    e.T->DeleteRows(0, 1, true);
    e.T->DestroyInplace(true);
    EXPECT_EQ(e.Text(2, 1), "31");
}

TEST(TableCommands, PropertyChangesAreOneStepAndAFailedOneLeavesTheTableRecording) {
    TableDoc d;
    auto loose = d.Make(2, 2);
    loose->SetBorderWidth(3);
    EXPECT_EQ(loose->BorderWidth, 3);

    Commands e(2, 2);
    const int steps = e.Steps();
    e.T->SetBorderWidth(3);
    EXPECT_EQ(e.Steps(), steps + 1);
    EXPECT_THROW(e.T->SetProperty("Rows", 1, true, true), ERichNoteError);
    EXPECT_TRUE(e.T->InsertedInData);
    e.T->SetCellColor(clRed, 1, 1);
    EXPECT_EQ(e.Steps(), steps + 2);
    e.Edit.Undo();
    e.Edit.Undo();
    EXPECT_EQ(e.T->BorderWidth, 0);
    EXPECT_EQ(e.T->Cells(1, 1)->Color, clNone);
}

TEST(TableCommands, AParagraphStyleOverCellsRecordsOnlyTheCellsItChanged) {
    Commands e(1, 3);
    e.T->Cells(0, 1)->GetItem(0).ParaNo = 1;
    e.Sel(0, 0, 0, 2);
    const int steps = e.Steps();
    e.T->ApplyParaStyleToPartiallySelected(1);
    ASSERT_EQ(e.Steps(), steps + 1);
    const TRNUndoInfos& group = *e.Edit.EditData().UndoList().Last();
    ASSERT_EQ(group.Records.Count(), 1);
    auto* record = dynamic_cast<TRNUndoMultiCellsModify*>(group.Records.Get(0));
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->ColList.Count(), 2);
    EXPECT_EQ(std::make_pair(record->ColList[0], record->ColList[1]), std::make_pair(0, 2));
    EXPECT_EQ(record->CountList[0] + record->CountList[1], record->UndoList.Count());
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(e.T->Cells(0, c)->GetItemPara(0), 1) << c;
    }
    // Once more changes nothing and leaves no step.
    e.T->ApplyParaStyleToPartiallySelected(1);
    EXPECT_EQ(e.Steps(), steps + 1);
}

TEST(TableCommands, AProtectedSelectedCellCannotBeCleared) {
    const struct {
        const char* Name;
        int Row, Col; // the protected cell
        int SelRow, SelCol, RowOffs, ColOffs;
        bool Can;
    } cases[] = {
        {"protected and selected", 1, 1, 0, 0, 1, 1, false},
        {"protected, not selected", 1, 1, 0, 0, 0, 1, true},
        {"nothing protected", -1, -1, 0, 0, 1, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Commands e(2, 2);
        e.Sheet.TextStyles()[3].Protection.Include(TRNProtectOption::rnprDeleteProtect);
        if (c.Row >= 0) {
            e.T->Cells(c.Row, c.Col)->GetItem(0).StyleNo = 3;
        }
        e.Sel(c.SelRow, c.SelCol, c.RowOffs, c.ColOffs);
        EXPECT_EQ(e.T->CanDeletePartiallySelected(), c.Can);
    }
}

TEST(TableCommands, TheCaretEntersTheFirstCellFromTheLeftAndTheLastFromTheRight) {
    const struct {
        int FromStart;
        int Row, Col;
    } cases[] = {{1, 0, 0}, {0, 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.FromStart);
        Commands e(2, 2);
        e.T->MergeCells(1, 0, 2, 1, true);
        ASSERT_TRUE(e.T->EnterItem(c.FromStart));
        ASSERT_NE(e.Cell(), nullptr);
        EXPECT_EQ(std::make_pair(e.Cell()->Row, e.Cell()->Col), std::make_pair(c.Row, c.Col));
        EXPECT_EQ(e.Cell()->EditData().GetOffsetInCurItem(), c.FromStart ? 1 : 3);
    }
    // A table outside a viewer opens nothing, and the caret goes on past it.
    TableDoc d;
    auto loose = d.Make(1, 1);
    EXPECT_FALSE(loose->EnterItem(1));
}

TEST(TableCommands, ADocumentSavedWhileACellIsEditedHoldsWhatTheCellShows) {
    Commands e(2, 2);
    e.Open(1, 0);
    EditedTable::Type(e.Cell(), "ab");
    const std::string open = e.Rnf();
    EXPECT_EQ(e.T->Cells(1, 0)->ItemCount(), 0); // the cell's items are still the editor's
    e.T->DestroyInplace(true);
    EXPECT_EQ(e.Text(1, 0), "ab10");
    EXPECT_EQ(e.Rnf(), open);
}

} // namespace
