// The Delete key on a real display, as a person presses it: typing in a note after a menu was
// opened with the mouse and closed with Escape, the key never reaches the node's deletion (no
// question, the node stays) and deletes characters of the note; in the tree it still asks and
// deletes the node.
#include "app/ui/BinderTreeView.h"

#include "tests/app_ui/display/NoteWindow.h"
#include "tests/app_ui/display/Screenshot.h"

#include <QMenu>
#include <QMenuBar>

TEST(DeleteKeyDisplay, DeletesACharacterOfTheNoteAfterAMenuAndTheNodeOnlyInTheTree) {
    NoteWindow shown;
    ASSERT_TRUE(shown.Start());
    TFormVelmorRnx& window = *shown.Window;
    ASSERT_TRUE(shown.Program->Settings().AskBeforeDelete);
    TBinderTree& binder = window.Binder();
    TRichNoteEdit& editor = *shown.Editor;

    // Type, then go to the start of the line.
    QTest::keyClicks(&editor, "abc");
    PressKey(window, Qt::Key_Home);
    ASSERT_EQ(editor.GetItemText(0), "abc");

    // A menu opened with the mouse and closed with Escape.
    auto questions = std::make_unique<ModalWatch>(false);
    QMenuBar& bar = *window.menuBar();
    QAction* nodeMenu = nullptr;
    for (QAction* entry : bar.actions()) {
        if (entry->text() == "&Node") {
            nodeMenu = entry;
        }
    }
    ASSERT_NE(nodeMenu, nullptr);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.actionGeometry(nodeMenu).center());
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    // The entry still names the key.
    EXPECT_TRUE(
        nodeMenu->menu()->actions().contains(window.Actions().Action(TMainAction::EditDelete1)));
    EXPECT_TRUE(window.Actions().Action(TMainAction::EditDelete1)->text().endsWith("\tDel"));
    Screenshot(window, "delete-key-node-menu.png");
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; }));

    // The keyboard is where it was, in the text: Delete deletes the character after the caret,
    // with no question, and the node stays; and again.
    ASSERT_TRUE(editor.hasFocus());
    PressKey(window, Qt::Key_Delete);
    EXPECT_TRUE(questions->Seen.empty());
    EXPECT_EQ(binder.Items().Count(), 1);
    EXPECT_EQ(NodeRecord(binder.Items().GetFirstNode())->Title, "Note");
    EXPECT_EQ(editor.GetItemText(0), "bc");
    PressKey(window, Qt::Key_Delete);
    EXPECT_EQ(editor.GetItemText(0), "c");
    EXPECT_TRUE(questions->Seen.empty());
    EXPECT_EQ(binder.Items().Count(), 1);

    // In the tree the key asks, and OK deletes the node.
    questions.reset();
    ModalWatch confirm(true);
    TBinderTreeView& tree = window.TreePane().TreeView1();
    tree.setFocus();
    ASSERT_TRUE(WaitUntil([&] { return tree.hasFocus(); }));
    PressKey(window, Qt::Key_Delete);
    ASSERT_TRUE(WaitUntil([&] { return binder.Items().Count() == 0; }));
    EXPECT_EQ(confirm.Seen, std::vector<std::string>{"Confirm"});
}
