// A table made in the running main window: inserted from the "&Insert" menu through its form,
// typed into, changed with the table tool buttons, and read back from the stored note after
// another node was shown.
#include "app/ui/NotesCommands.h"
#include "app/ui/TableCommands.h"
#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/UnitTablesize.h"
#include "richtext/tables/RNTableInplace.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/Screenshot.h"

#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

struct TableInWindow {
    explicit TableInWindow(TFormVelmorRnx& window) : Window(window) {}
    TRichNoteEdit& Edit() { return Window.NotesPart().Commands().RichNoteEdit1(); }
    TRNTableItemInfo* Table(int* itemNo = nullptr) {
        for (int i = 0; i < Edit().GetLineCount(); ++i) {
            if (auto* t = dynamic_cast<TRNTableItemInfo*>(&Edit().EditData().GetItem(i))) {
                if (itemNo != nullptr) {
                    *itemNo = i;
                }
                return t;
            }
        }
        return nullptr;
    }
    void ClickCell(int row, int col) {
        int itemNo = 0;
        TRNTableItemInfo* t = Table(&itemNo);
        ASSERT_NE(t, nullptr);
        TRNEditRNData& doc = Edit().EditData();
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(itemNo)];
        const TRNTableCellData& cell = *t->Cells(row, col);
        const QPoint at(d.Left - doc.GetHOffs() + cell.Left + cell.Width / 2,
                        d.Top - doc.GetVOffs() + cell.Top + cell.Height / 2);
        QTest::mouseClick(&Edit(), Qt::LeftButton, {}, at + Edit().ClientOrigin());
        QApplication::processEvents();
    }
    void Button(TTableAction action) {
        QWidget* button = Window.NotesPart().Tables().ToolBar().widgetForAction(
            Window.NotesPart().Tables().Action(action));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }
    std::string Text(int row, int col) {
        const TRNTableCellData* cell = Table()->Cells(row, col);
        return cell && cell->ItemCount() ? cell->GetItemText(0) : std::string();
    }
    TFormVelmorRnx& Window;
};

} // namespace

TEST(NotesTableDisplay, ATableMadeWithTheMenuAndButtonsComesBackFromTheStoredNote) {
    RegisterTableItemClass();
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* first = rig.Add(NodeKind::Notes, "With a table");
    TTreeNode* second = rig.Add(NodeKind::Notes, "Another");
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Binder().Items().SetSelected(first);
    TableInWindow w(window);
    ASSERT_TRUE(WaitUntil([&] { return w.Edit().isVisible(); }));

    WhenModalIs<TForm2>([](TForm2* form) {
        form->CSpinEdit1->setValue(2);
        form->CSpinEdit2->setValue(3);
        form->accept();
    });
    auto* insert = window.NotesPart().Commands().EditMenu().findChild<QMenu*>("Insert1");
    ASSERT_NE(insert, nullptr);
    ASSERT_EQ(insert->actions().front()->text(), "Table");
    insert->actions().front()->trigger();
    ASSERT_NE(w.Table(), nullptr);

    w.ClickCell(0, 0);
    ASSERT_NE(CellEditorOf(*w.Table()), nullptr);
    for (const char* text : {"a", "b", "c"}) {
        QTest::keyClicks(CellEditorOf(*w.Table()), text);
        if (*text != 'c') {
            QTest::keyClick(CellEditorOf(*w.Table()), Qt::Key_Tab);
            QApplication::processEvents();
        }
    }
    w.Button(TTableAction::RInsertRowAfter);
    w.ClickCell(0, 1);
    w.Button(TTableAction::RDelCol);
    ASSERT_EQ(w.Table()->Rows.Count(), 3);
    ASSERT_EQ(w.Table()->Rows.ColCount(), 2);
    Screenshot(window, "notes-table.png");

    window.Binder().Items().SetSelected(second);
    EXPECT_EQ(w.Table(), nullptr);
    window.Binder().Items().SetSelected(first);
    ASSERT_NE(w.Table(), nullptr);
    EXPECT_EQ(w.Table()->Rows.Count(), 3);
    EXPECT_EQ(w.Text(0, 0), "a");
    EXPECT_EQ(w.Text(0, 1), "c");
    EXPECT_EQ(w.Text(1, 0), "");
    rig.Window.reset();
}
