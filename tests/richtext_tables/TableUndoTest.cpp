#include "TableEditorFixture.h"
#include "richtext/model/RNError.h"

#include <functional>
#include <random>

namespace {

TABLE_OPTIONS_SUITE(TableUndoSteps);

TEST(TableUndo, TheTableKnowsItsEditor) {
    TableEditor te(1, 1);
    EXPECT_TRUE(te.T->InsertedInData);
    EXPECT_TRUE(te.T->InEditor);
    EXPECT_TRUE(te.T->CanChange());
    EXPECT_TRUE(te.T->BeforeChange());
    EXPECT_EQ(te.T->GetEditorItemNo(), 1);

    TableDoc d;
    auto plain = d.Make(1, 1);
    d.Doc.AddItem("", std::move(plain));
    auto& t = static_cast<TRNTableItemInfo&>(d.Doc.GetItem(0));
    EXPECT_TRUE(t.InsertedInData);
    EXPECT_FALSE(t.InEditor);
    EXPECT_FALSE(t.BeforeChange());
    EXPECT_EQ(t.GetEditorItemNo(), -1);
}

TEST_P(TableUndoSteps, EveryEditIsOneStepThatUndoesAndRedoes) {
    struct Case {
        const char* name;
        std::function<void(TRNTableRows&)> edit;
    } cases[] = {
        {"insert 2 rows at 1", [](TRNTableRows& g) { g.InsertRows(1, 2, 0, true); }},
        {"insert a column in a span",
         [](TRNTableRows& g) {
             g.MergeCells(0, 0, 3, 1, true);
             g.InsertCols(1, 1, 0, true);
         }},
        {"delete rows cutting a span",
         [](TRNTableRows& g) {
             g.MergeCells(1, 1, 1, 3, true);
             g.DeleteRows(0, 2, true);
         }},
        {"delete columns", [](TRNTableRows& g) { g.DeleteCols(1, 2, true); }},
        {"merge 2 x 2", [](TRNTableRows& g) { g.MergeCells(1, 1, 2, 2, false); }},
        {"unmerge",
         [](TRNTableRows& g) {
             g.MergeCells(0, 0, 3, 2, true);
             g.UnmergeCell(0, 0, true, true);
         }},
        {"split", [](TRNTableRows& g) { g.SplitCellsVertically(0, 0, 2, 2, 3); }},
        {"clear cells",
         [](TRNTableRows& g) {
             TRNIntegerList rows, cols;
             rows.Add(0);
             cols.Add(1);
             rows.Add(2);
             cols.Add(2);
             TRNUndoCellsClear* record = g.Do_BeforeClearCells(rows, cols);
             g.Do_ClearCells(record ? &record->CellList : nullptr, rows, cols);
         }},
    };
    for (const Case& c : cases) {
        TableEditor te(3, 3, GetParam());
        const auto before = Snapshot(te.T->Rows);
        const auto beforeShape = Shape(te.T->Rows);
        te.Step(c.edit);
        ASSERT_TRUE(GridIsSound(te.T->Rows)) << c.name;
        const auto after = Shape(te.T->Rows);
        EXPECT_NE(after, beforeShape) << c.name;
        EXPECT_EQ(te.E.D().UndoList().Count(), 1) << c.name;
        te.E.Undo();
        EXPECT_EQ(Snapshot(te.T->Rows), before) << c.name; // the very cells, back in place
        te.E.Redo();
        EXPECT_EQ(Shape(te.T->Rows), after) << c.name;
        EXPECT_TRUE(GridIsSound(te.T->Rows)) << c.name;
    }
}

TEST_P(TableUndoSteps, AnEditorThatKeepsNoUndoFreesWhatEditsRemove) {
    TableEditor te(4, 3, GetParam());
    te.E.D().UndoList().Limit = 0;
    te.Step([](TRNTableRows& g) {
        g.MergeCells(0, 0, 2, 2, false);
        g.DeleteRows(1, 2, false);
        g.DeleteCols(0, 1, false);
    });
    EXPECT_TRUE(GridIsSound(te.T->Rows));
    EXPECT_EQ(te.E.D().UndoList().Count(), 0); // and nothing leaks (LSan)
}

TEST(TableUndo, ACellShowsItsOwnTheTablesOrTheDocumentsBackground) {
    TableEditor te(1, 1);
    te.E.Host.Color = clAqua;
    TRNTableCellData& cell = *te.T->Cells(0, 0);
    struct Case {
        TColor cell, table, expected;
    } cases[] = {
        {clRed, clYellow, clRed},
        {clNone, clYellow, clYellow},
        {clNone, clNone, clAqua},
    };
    for (const Case& c : cases) {
        cell.Color = c.cell;
        te.T->Color = c.table;
        EXPECT_EQ(te.T->GetCellColor(cell), c.expected);
    }
}

TEST_P(TableUndoSteps, ARefusedMergeBeepsAndLeavesNoStep) {
    TableEditor te(3, 3, GetParam());
    te.Step([](TRNTableRows& g) { g.MergeCells(1, 1, 2, 2, false); });
    const auto before = Snapshot(te.T->Rows);
    te.Step([](TRNTableRows& g) { g.MergeCells(0, 0, 2, 2, false); });
    EXPECT_EQ(te.E.Beeps, 1);
    EXPECT_EQ(Snapshot(te.T->Rows), before);
    EXPECT_EQ(te.E.D().UndoList().Count(), 1);
}

TEST(TableUndo, KeptCellsFollowTheirRecordsToAnotherDocument) {
    TableEditor te(3, 2);
    TRNTableCellData* gone = te.T->Cells(1, 0);
    te.Step([](TRNTableRows& g) { g.DeleteCols(0, 1, false); });
    EXPECT_EQ(gone->List, nullptr);
    EXPECT_EQ(gone->DetachedParent, &te.E.D());
    TableDoc other;
    te.E.D().UndoList().ChangeRNData(&other.Doc, false);
    EXPECT_EQ(gone->DetachedParent, &other.Doc);
    te.E.D().UndoList().ChangeRNData(&te.E.D(), false);
    te.E.Undo();
    EXPECT_EQ(te.T->Cells(1, 0), gone);
    EXPECT_EQ(gone->GetRow(), te.T->Rows.Get(1));
    EXPECT_EQ(gone->DetachedParent, nullptr);
}

TEST_P(TableUndoSteps, RandomEditsUndoToTheStartAndRedoToTheEnd) {
    TableEditor te(3, 3, GetParam());
    const auto start = Snapshot(te.T->Rows);
    std::mt19937 rng(31);
    for (int step = 0; step < 10000; ++step) {
        int op = -1;
        try {
            te.Step([&](TRNTableRows& g) { op = RandomGridEdit(g, rng); });
        } catch (const ERichNoteError& e) {
            ADD_FAILURE() << "step " << step << ": " << e.what();
        }
        ASSERT_TRUE(GridIsSound(te.T->Rows)) << "step " << step << " op " << op;
    }
    const auto end = Shape(te.T->Rows);
    int undone = 0;
    while (te.E.D().UndoList().Count() > 0) {
        te.E.Undo();
        ASSERT_TRUE(GridIsSound(te.T->Rows)) << "undo " << undone;
        ++undone;
    }
    EXPECT_GT(undone, 1000);
    EXPECT_EQ(Snapshot(te.T->Rows), start);
    while (te.E.D().RedoList().Count() > 0) {
        te.E.Redo();
        ASSERT_TRUE(GridIsSound(te.T->Rows));
    }
    EXPECT_EQ(Shape(te.T->Rows), end);
}

} // namespace
