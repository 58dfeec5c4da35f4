#include "tests/richtext_view/PrintFixture.h"

#include "TableFixture.h"
#include "TableInplaceTest.h"

#include "platform/base/Stream.h"
#include "richtext/model/RNError.h"
#include "richtext/tables/RNTableCellUndo.h"
#include "richtext/tables/RNTablePrint.h"
#include "richtext/tables/RNTablePrintCells.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A table whose cells hold their own positions as text.
struct Commands : EditedTable {
    Commands(int rows, int cols, TableOptions options = TableOptions::Defaults)
        : EditedTable(rows, cols, options) {
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                T->Cells(r, c)->Clear();
                T->Cells(r, c)->AddNL(std::to_string(r) + std::to_string(c), 0, 0);
            }
        }
        Edit.Format();
    }
    std::string Rnf() { return RnfOf(*this); }
    static std::string RnfOf(EditedTable& e) {
        TMemoryStream stream;
        EXPECT_TRUE(e.Edit.SaveRNFToStream(stream, false));
        return stream.Bytes();
    }
    int Steps() { return Edit.EditData().UndoList().Count(); }
    void Sel(int row, int col, int rowOffs, int colOffs) { T->Select(row, col, rowOffs, colOffs); }
};

TABLE_OPTIONS_SUITE(TableCommandSteps);

TEST_P(TableCommandSteps, EachCommandIsOneStepThatUndoesAndRedoesToTheSameBytes) {
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
         [](Commands& e) { e.Edit.ApplyParaStyle(1); }},
        {"style conversion",
         {},
         [](Commands& e) { e.Sel(1, 0, 1, 1); },
         [](Commands& e) {
             e.Edit.OnStyleConversion = [](TRichNoteEdit&, int& styleNo, int, bool) {
                 styleNo = 1;
             };
             e.Edit.ApplyStyleConversion(0);
         }},
        {"clear cells",
         {},
         [](Commands& e) { e.Sel(1, 0, 1, 1); },
         [](Commands& e) { e.T->DeletePartiallySelected(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Commands e(3, 3, GetParam());
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

// Merge Cells as the notes window runs it on the table at the caret: one item modification,
// one undo group, and the rows and columns the merge left without cells go in the same step.
void MergeAsTheNotesWindow(EditedTable& e) {
    const int itemNo = e.Edit.GetItemNo(e.T);
    int data = 0;
    e.Edit.BeginItemModify(itemNo, data);
    try {
        const TRNTableUndoGroup group(*e.T);
        e.T->MergeSelectedCells(true);
        e.T->DeleteEmptyRows();
        e.T->DeleteEmptyCols();
    } catch (...) {
        e.Edit.EndItemModify(itemNo, data);
        throw;
    }
    e.Edit.EndItemModify(itemNo, data);
    e.Edit.Change();
}

// The texts of a cell's items, one per item.
std::vector<std::string> ItemsOf(const TRNTableCellData* cell) {
    std::vector<std::string> texts;
    for (int i = 0; cell && i < cell->ItemCount(); ++i) {
        texts.push_back(cell->GetItemText(i));
    }
    return texts;
}

using Texts = std::vector<std::string>;

TEST(TableCommands, MergingTypedCellsInANoteKeepsBothTextsAndUndoesInOneStep) {
    RegisterTableItemClass();
    EditedTable e(2, 2, TableOptions::NotesEditor);
    e.Open(0, 0);
    EditedTable::Type(e.Cell(), "x");
    e.Open(0, 1);
    EditedTable::Type(e.Cell(), "y");
    e.T->DestroyInplace(true);
    e.T->Select(0, 0, 0, 1);
    TRNUndoList& undo = e.Edit.EditData().UndoList();
    const int steps = undo.Count();

    MergeAsTheNotesWindow(e);
    ASSERT_TRUE(GridIsSound(e.T->Rows));
    EXPECT_EQ(e.T->Cells(0, 0)->ColSpan, 2);
    EXPECT_EQ(ItemsOf(e.T->Cells(0, 0)), (Texts{"x", "y"}));
    EXPECT_EQ(undo.Count(), steps + 1);

    e.Edit.Undo();
    EditedTable::Settle();
    ASSERT_TRUE(GridIsSound(e.T->Rows));
    EXPECT_EQ(e.T->Cells(0, 0)->ColSpan, 1);
    EXPECT_EQ(ItemsOf(e.T->Cells(0, 0)), Texts{"x"});
    EXPECT_EQ(ItemsOf(e.T->Cells(0, 1)), Texts{"y"});
    e.Edit.Redo();
    EditedTable::Settle();
    ASSERT_TRUE(GridIsSound(e.T->Rows));
    EXPECT_EQ(ItemsOf(e.T->Cells(0, 0)), (Texts{"x", "y"}));
    EXPECT_EQ(e.T->Cells(0, 1), nullptr);

    // The note as stored reads back whole.
    TMemoryStream note;
    ASSERT_TRUE(e.Edit.SaveRNFToStream(note, false));
    TableDoc back(TableOptions::NotesEditor);
    note.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(back.Doc.LoadRNFFromStream(note, color, nullptr)) << back.Doc.RNFError;
    EXPECT_FALSE(back.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
    const auto& table = back.Doc.CheckItemClass<TRNTableItemInfo>(1);
    EXPECT_TRUE(GridIsSound(table.Rows));
    EXPECT_EQ(table.Cells(0, 0)->ColSpan, 2);
    EXPECT_EQ(ItemsOf(table.Cells(0, 0)), (Texts{"x", "y"}));
}

// A failure half-way through a command in the editor: the grid, the note and its history are
// as before, and the command works once the failure is gone.
TEST(TableCommands, ACommandThatFailsHalfWayLeavesTheNoteAndItsHistoryAsTheyWere) {
    for (TableOptions options : {TableOptions::Defaults, TableOptions::NotesEditor}) {
        SCOPED_TRACE(static_cast<int>(options));
        EditedTable e(4, 2, options);
        SetTextOf(*e.T->Cells(0, 0), "x");
        e.T->MergeCells(1, 1, 1, 3, true);
        TRefusingText& y = AddRefusingText(*e.T->Cells(0, 1), "y");
        TRefusingText& z = AddRefusingText(*e.T->Cells(1, 1), "z");
        e.Edit.Format();
        TRNUndoList& undo = e.Edit.EditData().UndoList();
        const int steps = undo.Count();
        const int records = undo.Last()->Records.Count();
        const std::string bytes = Commands::RnfOf(e);
        const auto grid = Snapshot(e.T->Rows);

        y.Armed = true;
        e.T->Select(0, 0, 0, 1);
        EXPECT_THROW(MergeAsTheNotesWindow(e), ERichNoteError);
        z.Armed = true;
        EXPECT_THROW(e.T->DeleteRows(1, 1, true), ERichNoteError);
        EXPECT_EQ(Snapshot(e.T->Rows), grid);
        EXPECT_EQ(Commands::RnfOf(e), bytes);
        ASSERT_EQ(undo.Count(), steps);
        EXPECT_EQ(undo.Last()->Records.Count(), records);

        e.T->Select(0, 0, 0, 1);
        MergeAsTheNotesWindow(e);
        EXPECT_EQ(ItemsOf(e.T->Cells(0, 0)), (Texts{"x", "", "y"}));
        e.Edit.Undo();
        EditedTable::Settle();
        EXPECT_EQ(Snapshot(e.T->Rows), grid);
        EXPECT_EQ(undo.Count(), steps);
    }
}

// What a cell editor copies pastes into another cell; a copied table pastes as a table whose
// grid edits and stored form are those of the first.
TEST_P(TableCommandSteps, CopiedCellTextAndCopiedTablesPasteAndEditAsTheirOriginals) {
    RegisterTableItemClass();
    Commands e(2, 2, GetParam());
    e.Open(0, 0);
    e.Cell()->SelectAll();
    ASSERT_TRUE(e.Edit.CopyDef());
    e.Open(1, 1);
    e.Cell()->EditData().SetCaretAtItem(0, 3);
    e.Edit.Paste();
    e.T->DestroyInplace(true);
    EXPECT_EQ(e.Text(1, 1), "1100");

    e.Edit.SetSelectionBounds(1, 0, 1, 1);
    ASSERT_TRUE(e.Edit.CopyDef());
    e.Edit.SetSelectionBounds(0, 7, 0, 7);
    e.Edit.Paste();
    ASSERT_EQ(e.Edit.GetLineCount(), 3);
    auto& pasted = e.Edit.EditData().CheckItemClass<TRNTableItemInfo>(1);
    EXPECT_NE(&pasted, e.T);
    EXPECT_TRUE(pasted.InsertedInData && pasted.InEditor);
    const int steps = e.Steps();
    pasted.MergeCells(0, 0, 2, 2, true);
    EXPECT_EQ(ItemsOf(pasted.Cells(0, 0)), (Texts{"00", "01", "10", "1100"}));
    EXPECT_EQ(e.Steps(), steps + 1);
    e.Edit.Undo();
    EXPECT_EQ(ItemsOf(pasted.Cells(1, 1)), Texts{"1100"});
    EXPECT_EQ(Shape(pasted.Rows), Shape(e.T->Rows));

    TMemoryStream note;
    ASSERT_TRUE(e.Edit.SaveRNFToStream(note, false));
    TableDoc back(GetParam());
    note.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(back.Doc.LoadRNFFromStream(note, color, nullptr)) << back.Doc.RNFError;
    EXPECT_FALSE(back.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
    for (int itemNo : {1, 2}) {
        EXPECT_EQ(Shape(back.Doc.CheckItemClass<TRNTableItemInfo>(itemNo).Rows), Shape(e.T->Rows));
    }
}

TEST(TableCommands, RowCommandsAroundAnOpenCellEditor) {
    // Two rows below the edited row 3 of 5: the editor closes, the new rows are selected.
    Commands e(5, 2);
    e.T->Cells(3, 0)->BestHeight = 40;
    e.Open(3, 1);
    e.T->InsertRowsBelow(2);
    ASSERT_EQ(e.T->Rows.Count(), 7);
    EXPECT_EQ(e.T->Cells(5, 0)->BestHeight, 40);
    EXPECT_EQ(e.Cell(), nullptr);
    EXPECT_TRUE(e.T->IsCellSelected(4, 0) && e.T->IsCellSelected(5, 1));
    EXPECT_FALSE(e.T->IsCellSelected(3, 1) || e.T->IsCellSelected(6, 0));

    // Deleting rows (columns) before the edited cell reopens the editor on the same cell.
    const struct {
        bool Cols;
        int Index, Row, Col, ToRow, ToCol;
    } cases[] = {{false, 0, 3, 1, 2, 1}, {true, 0, 1, 2, 1, 1}, {false, 4, 3, 0, 3, 0}};
    for (const auto& c : cases) {
        Commands d(5, 3);
        d.Open(c.Row, c.Col);
        EditedTable::Type(d.Cell(), "y");
        c.Cols ? d.T->DeleteCols(c.Index, 1, true) : d.T->DeleteRows(c.Index, 1, true);
        ASSERT_NE(d.Cell(), nullptr) << c.Index;
        EXPECT_EQ(std::make_pair(d.Cell()->Row, d.Cell()->Col), std::make_pair(c.ToRow, c.ToCol));
        d.T->DestroyInplace(true);
        EXPECT_EQ(d.Text(c.ToRow, c.ToCol), "y" + std::to_string(c.Row) + std::to_string(c.Col));
    }
}

TEST(TableCommands, PropertyChangesAreOneStepAndAFailedOneLeavesTheTableRecording) {
    TableDoc d;
    auto loose = d.Make(2, 2);
    loose->SetBorderWidth(3);
    EXPECT_EQ(loose->BorderWidth, 3);

    Commands e(2, 2);
    const int steps = e.Steps();
    EXPECT_THROW(e.T->SetProperty("Rows", 1, true, true), ERichNoteError);
    EXPECT_TRUE(e.T->InsertedInData);
    e.T->SetBorderWidth(3);
    EXPECT_EQ(e.Steps(), steps + 1);
    e.Edit.Undo();
    EXPECT_EQ(e.T->BorderWidth, 0);
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
    Commands e(2, 2);
    e.Sheet.TextStyles()[3].Protection.Include(TRNProtectOption::rnprDeleteProtect);
    e.T->Cells(1, 1)->GetItem(0).StyleNo = 3;
    e.Sel(0, 0, 1, 1);
    EXPECT_FALSE(e.T->CanDeletePartiallySelected());
    e.Sel(0, 0, 0, 1);
    EXPECT_TRUE(e.T->CanDeletePartiallySelected());
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

// A cell editor open inside another, on a table the cell held before either opened: the
// document's Undo replays the inner editor's step, the one UndoAction names.
TEST_P(TableCommandSteps, UndoReplaysTheStepOfACellEditorInsideAnother) {
    RegisterTableItemClass();
    EditedTable e(1, 1, GetParam());
    TRNTableCellData& cell = *e.T->Cells(0, 0);
    cell.Clear();
    cell.AddItem("", std::make_unique<TRNTableItemInfo>(1, 1, &cell));
    e.Edit.Format();
    e.Open(0, 0);
    TRNTableInplaceEdit* outer = e.Cell();
    ASSERT_NE(outer, nullptr);
    auto& nested = outer->EditData().CheckItemClass<TRNTableItemInfo>(0);
    nested.CreateInplace(-1, 0, 0, false, false);
    TRNTableInplaceEdit* inner = CellEditorOf(nested);
    ASSERT_NE(inner, nullptr);
    EditedTable::Type(inner, "a");
    ASSERT_EQ(inner->EditData().GetItemText(0), "a");
    ASSERT_EQ(outer->EditData().UndoList().Count(), 0);
    EXPECT_EQ(e.Edit.UndoAction(), TRNUndoType::rnutTyping);

    e.Edit.Undo();
    ASSERT_EQ(inner, CellEditorOf(nested));
    EXPECT_EQ(inner->EditData().GetItemText(0), "");
    EXPECT_EQ(e.Edit.RedoAction(), TRNUndoType::rnutTyping);
    e.Edit.Redo();
    EXPECT_EQ(inner->EditData().GetItemText(0), "a");
    EXPECT_EQ(e.Beeps, 0);
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

TEST(TableCommands, PrintedCellsAreTheFilledOnesAndAnEditedCellPrintsItsEditor) {
    const struct {
        const char* Name;
        const char* Text; // into cell (0, 1); null: every cell empty
        bool Edit;        // the cell editor open on (0, 1)
        int Printed;      // the slot that has a printable document, -1 none
    } cases[] = {
        {"empty", nullptr, false, -1},
        {"a text in the open editor", "x", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PrintedNote n;
        auto owned = std::make_unique<TRNTableItemInfo>(2, 2, &n.Source.RNData());
        TRNTableItemInfo* t = owned.get();
        n.Source.AddItem("", std::move(owned));
        t->Color = clYellow;
        if (c.Text) {
            SetTextOf(*t->Cells(0, 1), c.Text);
        }
        n.Source.Format();
        if (c.Edit) {
            t->EditCell(0, 1);
            ASSERT_NE(CellEditorOf(*t), nullptr);
        }
        ASSERT_EQ(n.Format(), 1);
        const auto& info = dynamic_cast<TRNTablePrintInfo&>(*n.Data().DrawItems[0]);
        ASSERT_EQ(info.FormattingInfo.PrintCells->Count(), 4);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(info.FormattingInfo.PrintCell(i) != nullptr, i == c.Printed) << i;
        }
        // A cell without a colour of its own fills its box with the table's.
        if (auto* cell = dynamic_cast<TCellPtblRNData*>(info.FormattingInfo.PrintCell(1))) {
            EXPECT_EQ(cell->GetColor(), clYellow);
        }
        n.Print.Print("t", 1, false);
        ASSERT_EQ(n.Device->Sheets.size(), 1u);
        EXPECT_EQ(n.Device->Sheets[0].size(), c.Text ? 1u : 0u);
    }
}

} // namespace
