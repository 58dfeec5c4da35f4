// The Delete key on a real display, as a person presses it: typing in a note after a menu was
// opened with the mouse and closed with Escape, the key never reaches the node's deletion (no
// question, the node stays) and deletes characters of the note; in the tree it still asks and
// deletes the node.
#include "app/ui/BinderTreeView.h"
#include "app/ui/NotesCommands.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/Screenshot.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Every modal window that comes up while it lives: its caption, then it is answered (OK when
// `accept`, else cancelled).
class ModalWatch {
public:
    explicit ModalWatch(bool accept) {
        QObject::connect(&timer_, &QTimer::timeout, [this, accept] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            Seen.push_back(dialog->windowTitle().toStdString());
            if (accept) {
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        timer_.start(5);
    }
    std::vector<std::string> Seen;

private:
    QTimer timer_;
};

// A key pressed where the keyboard is: at the focus widget, else at the window.
void PressKey(QWidget& window, Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : &window, key);
    ServeEventsFor(std::chrono::milliseconds(100));
}

} // namespace

TEST(DeleteKeyDisplay, DeletesACharacterOfTheNoteAfterAMenuAndTheNodeOnlyInTheTree) {
    ProgramEnv env;
    auto program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    ASSERT_TRUE(program->Settings().AskBeforeDelete);
    TBinderTree& binder = window.Binder();
    auto record = std::make_unique<TPageInfo>();
    record->Kind = NodeKind::Notes;
    record->Title = "Note";
    TTreeNode* note =
        binder.CreateNode(NodeKind::Notes, TInsertMode::Child, true, std::move(record));
    ASSERT_NE(note, nullptr);
    window.resize(900, 600);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    binder.Items().SetSelected(note);
    TRichNoteEdit& editor = window.NotesPart().Commands().RichNoteEdit1();
    ASSERT_TRUE(WaitUntil([&] { return editor.isVisible(); }));

    // Click into the text and type, then go to the start of the line.
    QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(40, 20));
    ASSERT_TRUE(WaitUntil([&] { return editor.hasFocus(); }));
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

    // Delete where the keyboard now is: no question, the node stays.
    PressKey(window, Qt::Key_Delete);
    EXPECT_TRUE(questions->Seen.empty());
    EXPECT_EQ(binder.Items().Count(), 1);
    EXPECT_EQ(NodeRecord(binder.Items().GetFirstNode())->Title, "Note");

    // Back in the text, Delete deletes the character after the caret, and again.
    if (!editor.hasFocus()) {
        PressKey(window, Qt::Key_Escape); // the menu bar lets the keyboard go
    }
    ASSERT_TRUE(editor.hasFocus());
    PressKey(window, Qt::Key_Delete);
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
    CloseProgram(program);
}
