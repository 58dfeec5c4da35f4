// Cells of a table in a note, selected by dragging the mouse over them or by the table's Select:
// where the keyboard goes once the editor over a cell closes.

#include "tests/app_ui/TablesWindow.h"

#include <QClipboard>
#include <QPointer>
#include <QTest>

#include <string>
#include <vector>

namespace {

// How the cells come to be selected: a drag from a cell into the next, the same drag started
// in a cell already open for typing (the caret went into the table), or the table's Select
// after a click into a cell.
enum class Way { Drag, DragFromOpenCell, SelectAfterClick };
constexpr Way Ways[] = {Way::Drag, Way::DragFromOpenCell, Way::SelectAfterClick};

const char* Name(Way way) {
    switch (way) {
    case Way::Drag:
        return "drag";
    case Way::DragFromOpenCell:
        return "drag from an open cell";
    default:
        return "Select after a click";
    }
}

struct CellsWindow : TablesWindow {
    // A rows x cols table after "before", its cells holding `texts` row by row, the window
    // shown and active as a user has it.
    CellsWindow(int rows, int cols, const std::vector<std::string>& texts) {
        Window->resize(900, 600);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Table = &Insert(rows, cols);
        for (int i = 0; i < rows * cols; ++i) {
            TRNTableCellData& cell = *Table->Cells(i / cols, i % cols);
            cell.Clear();
            cell.AddNL(texts[i], 0, 0);
        }
        E().Format();
        E().setFocus();
        QApplication::clipboard()->setText("before the copy");
        Settle();
    }

    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }
    // The middle of a cell in the editor's widget coordinates.
    QPoint CellAt(int row, int col) {
        TRNEditRNData& doc = E().EditData();
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(1)];
        const TRNTableCellData& cell = *Table->Cells(row, col);
        return E().ClientOrigin() + QPoint(d.Left - doc.GetHOffs() + cell.Left + cell.Width / 2,
                                           d.Top - doc.GetVOffs() + cell.Top + cell.Height / 2);
    }
    // After the press the rest of a drag goes where the mouse is held: the cell editor once it
    // takes it, else the widget pressed.
    void MouseTo(QPoint at, bool release) {
        QWidget* target = QWidget::mouseGrabber() ? QWidget::mouseGrabber() : Pressed.data();
        const QPoint local = target->mapFromGlobal(E().mapToGlobal(at));
        if (release) {
            QTest::mouseRelease(target, Qt::LeftButton, {}, local);
        } else {
            QTest::mouseMove(target, local);
        }
    }
    void Drag(int fromRow, int fromCol, int toRow, int toCol) {
        // An open editor lies over its cell: the press goes to it.
        QWidget* under = E().childAt(CellAt(fromRow, fromCol));
        Pressed = under && under->isVisible() ? under : &E();
        QTest::mousePress(Pressed, Qt::LeftButton, {},
                          Pressed->mapFromGlobal(E().mapToGlobal(CellAt(fromRow, fromCol))));
        Settle();
        MouseTo(CellAt(fromRow, fromCol) + QPoint(0, 2), false);
        MouseTo(CellAt(toRow, toCol), false);
        MouseTo(CellAt(toRow, toCol), true);
        Settle();
    }
    void SelectCells(Way way, int toRow, int toCol) {
        if (way == Way::DragFromOpenCell) {
            Table->EnterItem(true);
            Settle();
            EXPECT_NE(CellEditorOf(*Table), nullptr);
        }
        if (way != Way::SelectAfterClick) {
            Drag(0, 0, toRow, toCol);
            return;
        }
        QTest::mouseClick(&E(), Qt::LeftButton, {}, CellAt(0, 0));
        Settle();
        Table->Select(0, 0, toRow, toCol);
        Settle();
    }
    // A key as the user types it: to whatever has the keyboard.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Window.get(), key, modifiers);
        Settle();
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (int r = 0; r < Table->Rows.Count(); ++r) {
            for (int c = 0; c < Table->Rows.ColCount(); ++c) {
                texts.push_back(Table->Cells(r, c)->GetItemText(0));
            }
        }
        return texts;
    }
    int Steps() { return E().EditData().UndoList().Count(); }

    TRNTableItemInfo* Table = nullptr;
    QPointer<QWidget> Pressed;
};

// The editor over a cell closes once its cell is one of several selected: the keyboard goes back
// to the note, not to the editor going away. Moving on to the next cell, the next editor has it.
TEST(TableCellsClipboard, TheKeyboardGoesToTheNoteWhenTheCellEditorCloses) {
    for (Way way : Ways) {
        CellsWindow w(2, 2, {"x", "y", "p", "q"});
        w.SelectCells(way, 0, 1);
        EXPECT_EQ(CellEditorOf(*w.Table), nullptr) << Name(way);
        EXPECT_EQ(QApplication::focusWidget(), &w.E()) << Name(way);
    }
    CellsWindow w(2, 2, {"x", "y", "p", "q"});
    QTest::mouseClick(&w.E(), Qt::LeftButton, {}, w.CellAt(0, 0));
    CellsWindow::Settle();
    TRNTableInplaceEdit* first = CellEditorOf(*w.Table);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), first);
    w.Key(Qt::Key_Tab);
    TRNTableInplaceEdit* next = CellEditorOf(*w.Table);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->Col, 1);
    EXPECT_EQ(QApplication::focusWidget(), next);
}

} // namespace
