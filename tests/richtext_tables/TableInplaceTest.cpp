#include "TableInplaceTest.h"

#include "richtext/tables/RNTableCellUndo.h"

#include <gtest/gtest.h>

#include <QPointer>

#include <functional>

#include <string>

namespace {

using Dir = TRNCellDirection;

TEST(TableInplace, KeysMoveTheEditorBetweenCellsOrOutOfTheTable) {
    // A 2 x 2 table; the caret leaving it stands before (offset 0) or after (1) the table.
    const struct {
        const char* Name;
        int Row, Col;
        int Key;
        Qt::KeyboardModifiers Mods;
        int ToRow, ToCol; // -1: the editor closed
        int CaretOffs;
        int Beeps;
    } cases[] = {
        {"Tab", 0, 0, Qt::Key_Tab, {}, 0, 1, -1, 0},
        {"Tab wraps to the next row", 0, 1, Qt::Key_Tab, {}, 1, 0, -1, 0},
        {"Shift+Tab", 1, 0, Qt::Key_Backtab, Qt::ShiftModifier, 0, 1, -1, 0},
        {"Tab in the last cell", 1, 1, Qt::Key_Tab, {}, 1, 1, -1, 1},
        {"Shift+Tab in the first cell", 0, 0, Qt::Key_Backtab, Qt::ShiftModifier, 0, 0, -1, 1},
        {"Right into the next cell", 0, 0, Qt::Key_Right, {}, 0, 1, -1, 0},
        {"Left out of column 0", 1, 0, Qt::Key_Left, {}, -1, -1, 0, 1},
        {"Up out of row 0", 0, 1, Qt::Key_Up, {}, -1, -1, 0, 1},
        {"Down out of the last row", 1, 1, Qt::Key_Down, {}, -1, -1, 1, 1},
        {"Right out of the last column", 0, 1, Qt::Key_Right, {}, -1, -1, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EditedTable e(2, 2);
        e.Open(c.Row, c.Col);
        QPointer<TRNTableInplaceEdit> before = e.Cell();
        ASSERT_TRUE(before);
        e.Key(before, c.Key, c.Mods);
        EditedTable::Settle();
        EXPECT_EQ(e.Beeps, c.Beeps);
        if (c.ToRow < 0) {
            EXPECT_EQ(e.Cell(), nullptr);
            EXPECT_EQ(e.Edit.EditData().GetCurItemNo(), 1);
            EXPECT_EQ(e.Edit.EditData().GetOffsetInCurItem(), c.CaretOffs);
        } else {
            ASSERT_NE(e.Cell(), nullptr);
            EXPECT_EQ(e.Cell()->Row, c.ToRow);
            EXPECT_EQ(e.Cell()->Col, c.ToCol);
            EXPECT_EQ(e.T->EditedCellRow, c.ToRow);
        }
        // An editor that was moved away from is gone once its handler returned.
        EXPECT_EQ(before == nullptr, e.Cell() != before.data() || c.ToRow < 0);
    }
}

TEST(TableInplace, MovingOnDetachesTheOldEditorBeforeItIsFreed) {
    EditedTable e(1, 2);
    e.Open(0, 0);
    QPointer<TRNTableInplaceEdit> first = e.Cell();
    EditedTable::Type(first, "ab");
    first->PostMessage(WM_RNMOVEEDITOR, static_cast<uintptr_t>(Dir::rncdNext), 0);
    QApplication::sendPostedEvents(first, TMessageEvent::EventType());
    // Content and history are back at once; the widget itself waits for the event loop.
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->IsDetached());
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(e.Text(0, 0), "ab");
    EXPECT_EQ(CellEditorOf(*e.T)->Col, 1);
    // A message still queued for the detached editor does nothing.
    first->PostMessage(WM_RNMOVEEDITOR, static_cast<uintptr_t>(Dir::rncdPrev), 0);
    EditedTable::Settle();
    EXPECT_FALSE(first);
    EXPECT_EQ(CellEditorOf(*e.T)->Col, 1);
}

TEST(TableInplace, CellTypingIsOneStepOfTheDocumentAfterTheEditorCloses) {
    EditedTable e(2, 2);
    e.Open(1, 0);
    EditedTable::Type(e.Cell(), "xyz");
    e.T->DestroyInplace(true);
    ASSERT_EQ(e.Text(1, 0), "xyz");
    TRNUndoList& undo = e.Edit.EditData().UndoList();
    ASSERT_EQ(undo.Count(), 1);
    ASSERT_EQ(undo.Last()->Records.Count(), 1);
    auto* step = dynamic_cast<TRNUndoCellModify*>(undo.Last()->Records[0]);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(std::make_pair(step->Row, step->Col), std::make_pair(1, 0));
    EXPECT_FALSE(step->IsRedo);

    // The step reopens the editor on its cell, which undoes there (typing goes back one
    // character a step).
    e.Edit.Undo();
    EditedTable::Settle();
    ASSERT_NE(e.Cell(), nullptr);
    EXPECT_EQ(std::make_pair(e.Cell()->Row, e.Cell()->Col), std::make_pair(1, 0));
    EXPECT_EQ(e.Cell()->GetItemText(0), "xy");
    e.Edit.Redo();
    EditedTable::Settle();
    EXPECT_EQ(e.Cell()->GetItemText(0), "xyz");
    // Closed again: the redo history went back into the document as a redo step.
    e.Edit.Undo();
    EditedTable::Settle();
    e.T->DestroyInplace(true);
    EXPECT_EQ(e.Text(1, 0), "xy");
    ASSERT_EQ(e.Edit.EditData().RedoList().Count(), 1);
    e.Edit.Redo();
    EditedTable::Settle();
    e.T->DestroyInplace(true);
    EXPECT_EQ(e.Text(1, 0), "xyz");
}

TEST(TableInplace, UndoWithNothingInTheCellUndoesTheDocument) {
    const struct {
        const char* Name;
        bool Redo;
    } cases[] = {{"undo", false}, {"redo", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EditedTable e(1, 1);
        e.Edit.EditData().SetCaretAtItem(0, 1);
        e.Edit.InsertText("Q");
        if (c.Redo) {
            e.Edit.Undo();
        }
        e.Open(0, 0);
        e.Key(e.Cell(), Qt::Key_Z,
              c.Redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        EditedTable::Settle();
        EXPECT_EQ(e.Cell(), nullptr);
        EXPECT_EQ(e.Edit.EditData().UndoList().Count(), c.Redo ? 1 : 0);
        EXPECT_EQ(e.Edit.EditData().RedoList().Count(), c.Redo ? 0 : 1);
    }
}

TEST(TableInplace, SavedEditorComesBackWithItsSelectionOnlyOnACell) {
    const struct {
        const char* Name;
        bool MergedFirst; // (0,0) covers the 2 x 2 grid when the editor opens on it
        std::function<void(TRNTableRows&)> Between;
        bool Reopens;
    } cases[] = {
        {"same grid", false, [](TRNTableRows&) {}, true},
        {"unmerged in between", true, [](TRNTableRows& r) { r.UnmergeCell(0, 0, true, true); },
         true},
        {"cell merged away", false, [](TRNTableRows& r) { r.MergeCells(0, 0, 2, 2, true); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EditedTable e(2, 2);
        if (c.MergedFirst) {
            e.T->Rows.MergeCells(0, 0, 2, 2, true);
            e.Edit.Format();
        }
        const int row = c.MergedFirst ? 0 : 1;
        e.Open(row, row);
        EditedTable::Type(e.Cell(), "abcd");
        e.Cell()->SetSelectionBounds(0, 2, 0, 4);
        e.T->SaveInplace();
        EXPECT_EQ(e.Cell(), nullptr);
        EXPECT_TRUE(e.T->InplaceStorage.Stored);
        c.Between(e.T->Rows);
        e.T->RestoreInplace();
        EXPECT_FALSE(e.T->InplaceStorage.Stored);
        if (!c.Reopens) {
            EXPECT_EQ(e.Cell(), nullptr);
            continue;
        }
        ASSERT_NE(e.Cell(), nullptr);
        EXPECT_EQ(e.Cell()->Row, row);
        int a = 0, ao = 0, b = 0, bo = 0;
        e.Cell()->GetSelectionBounds(a, ao, b, bo, true);
        EXPECT_EQ(std::vector<int>({a, ao, b, bo}), std::vector<int>({0, 2, 0, 4}));
    }
}

TEST(TableInplace, EveryBorderDragEndBringsTheEditorBack) {
    const struct {
        const char* Name;
        bool ReadOnly;
    } cases[] = {{"editable", false}, {"read-only", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EditedTable e(1, 2);
        e.Open(0, 1);
        e.Edit.ReadOnly = c.ReadOnly;
        TRNEditRNData& doc = e.Edit.EditData();
        const auto [x, y] = e.ColBorder(1);
        constexpr uint32_t leftDown = 1u << static_cast<int>(TShiftStateItem::ssLeft);
        doc.MouseDown(static_cast<int>(TMouseButton::mbLeft), leftDown, x, y);
        EXPECT_EQ(e.Cell(), nullptr) << "put aside for the drag";
        doc.MouseMove(leftDown, x + 20, y);
        doc.MouseUp(static_cast<int>(TMouseButton::mbLeft), leftDown, x + 20, y);
        ASSERT_NE(e.Cell(), nullptr);
        EXPECT_EQ(e.Cell()->Col, 1);
        EXPECT_FALSE(e.T->InplaceStorage.Stored);
    }
}

TEST(TableInplace, SavingWhileSelectingCellsFailsAndStopsAtTheEventHandler) {
    EditedTable e(1, 2);
    e.Open(0, 1);
    e.Cell()->Selecting = true;
    try {
        e.T->SaveInplace();
        ADD_FAILURE() << "no error";
    } catch (const ERNTableInplaceError& error) {
        EXPECT_STREQ(error.what(), "Cannot destroy cell inplace editor at this time");
    }
    EXPECT_NE(e.Cell(), nullptr);
    // Pressing a border puts the editor aside for the drag: from the window's mouse event the
    // error reaches the application's handler, not the event loop, and the editor stays.
    std::string reported;
    SetApplicationExceptionHandler([&](const std::exception& error) { reported = error.what(); });
    e.Cell()->PostMessage(CM_RELEASE, 0, 0);
    const TPoint border = e.ColBorder(1);
    const QPoint at = QPoint(border.X, border.Y) + e.Edit.ClientOrigin();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), QPointF(e.Edit.mapToGlobal(at)),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&e.Edit, &press);
    SetApplicationExceptionHandler({});
    EXPECT_EQ(reported, "Cannot destroy cell inplace editor at this time");
    EXPECT_NE(e.Cell(), nullptr);
    // The refused drag leaves nothing for the next mouse-up to resize with.
    EXPECT_FALSE(e.Edit.EditData().UsingThisXorDrawing(&e.T->ResizeGuide));
    EXPECT_EQ(e.Edit.EditData().CaptureMouseItem, nullptr);
    // The release asked for before still frees the editor.
    EditedTable::Settle();
    EXPECT_EQ(e.Cell(), nullptr);
}

TEST(TableInplace, TheRowGrowsWithTheCellAndTheEditorWithIt) {
    EditedTable e(1, 2);
    e.T->BestWidth = 100;
    e.Edit.Format();
    e.Open(0, 0);
    const int before = e.T->Cells(0, 0)->Height;
    EditedTable::Type(e.Cell(), "abc abc abc abc abc abc");
    const TRNTableCellData& cell = *e.T->Cells(0, 0);
    EXPECT_GT(cell.Height, 2 * before);
    EXPECT_EQ(e.T->Cells(0, 1)->Height, cell.Height);
    EXPECT_EQ(e.Cell()->height(), cell.Height);
    EXPECT_EQ(e.Cell()->width(), cell.Width);
}

TEST(TableInplace, OneStepOverSeveralCellsIsReplayedCellByCell) {
    EditedTable e(1, 3);
    auto step = std::make_unique<TRNUndoMultiCellsModify>(1);
    for (int col : {0, 2}) {
        e.Open(0, col);
        EditedTable::Type(e.Cell(), col == 0 ? "ab" : "xyz");
        TRNUndoList& own = e.Cell()->EditData().UndoList();
        step->RowList.Add(0);
        step->ColList.Add(col);
        step->CountList.Add(own.Count());
        while (own.Count() > 0) {
            step->UndoList.Groups.Add(own.Groups.DeleteAsPointer(0));
        }
        e.T->DestroyInplace(true);
    }
    TRNEditRNData& doc = e.Edit.EditData();
    doc.BeginUndoSequence(TRNUndoType::rnutModifyItem);
    doc.UndoList().AddInfo(std::move(step));

    e.Edit.Undo();
    EXPECT_EQ(e.Text(0, 0) + "|" + e.Text(0, 2), "|");
    ASSERT_EQ(doc.RedoList().Count(), 1);
    auto* opposite = dynamic_cast<TRNUndoMultiCellsModify*>(doc.RedoList().Last()->Records[0]);
    ASSERT_NE(opposite, nullptr);
    EXPECT_TRUE(opposite->IsRedo);
    EXPECT_EQ(opposite->ColList.Count(), 2);
    e.Edit.Redo();
    EXPECT_EQ(e.Text(0, 0) + "|" + e.Text(0, 2), "ab|xyz");
    e.Edit.Undo();
    EXPECT_EQ(e.Text(0, 0) + "|" + e.Text(0, 2), "|");
}

TEST(TableInplace, TheTableGoingAwayTakesItsEditor) {
    EditedTable e(1, 1);
    e.Open(0, 0);
    QPointer<TRNTableInplaceEdit> editor = e.Cell();
    e.Edit.Clear();
    EditedTable::Settle();
    EXPECT_FALSE(editor);
    EXPECT_EQ(e.Edit.InplaceEditor(), nullptr);
}

} // namespace
