// A binder with a change no command wrote (a rename, a move, a note stored by moving on, a note
// being typed) is written a while after the first such change, through the tree's saver, and
// never while the wait form holds the commands; a save that fails is tried again an interval
// later, with one message for the run. The main window keeps one such saver over its binder.
#include "app/ui/PendingChangesSaver.h"

#include "app/binder/TreeFile.h"
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "app/ui/MainActions.h"
#include "app/ui/NotesCommands.h"
#include "platform/base/EventLoopWait.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto Delay = 400ms;

struct SaverRig : BinderFixture {
    SaverRig() { AddRecord(Tree(), nullptr, NodeKind::Folder, 0xF, "F"); }
    bool Written() const { return std::filesystem::exists(paths.TreeFilePath); }

    ScopedEventLoopInvoker invoker;
    bool busy = false;
    TPendingChangesSaver saver{binder, [this] { return busy; }, Delay};
};

} // namespace

TEST(PendingChanges, TheFirstChangeIsWrittenAfterTheDelayAndLaterOnesWithIt) {
    SaverRig rig;
    EXPECT_FALSE(rig.saver.Pending());
    const Clock::time_point changed = Clock::now();
    rig.binder.TreeView1Edited(rig.Tree().GetFirstNode(), "Renamed");
    EXPECT_TRUE(rig.saver.Pending());
    QCoreApplication::processEvents();
    EXPECT_FALSE(rig.Written());
    rig.binder.BinderDirty = true; // a later change does not put the save off
    ASSERT_TRUE(WaitUntil([&] { return rig.Written(); }));
    EXPECT_GE(Clock::now() - changed, Delay);
    EXPECT_FALSE(rig.binder.BinderDirty);
    EXPECT_EQ(ReadFileBytes(rig.paths.TreeFilePath), TreeFileBytes(rig.Tree()));
    // Through the saver, as a capture saves: with the wait form.
    EXPECT_EQ(rig.ui.Calls(), (std::vector<std::string>{"OpenStatusForm()", "CloseStatusForm"}));
    EXPECT_FALSE(rig.saver.Pending());

    // The next change starts the wait anew.
    rig.binder.TreeView1Edited(rig.Tree().GetFirstNode(), "Again");
    EXPECT_TRUE(rig.saver.Pending());
    ASSERT_TRUE(WaitUntil([&] { return !rig.binder.BinderDirty; }));
    EXPECT_NE(ReadFileBytes(rig.paths.TreeFilePath).find("Again"), std::string::npos);
}

TEST(PendingChanges, ASaveWaitsWhileTheWaitFormHoldsAndNeedsNoneOnceWritten) {
    SaverRig rig;
    rig.busy = true;
    rig.binder.BinderDirty = true;
    ServeEventsFor(Delay * 3);
    EXPECT_FALSE(rig.Written());
    EXPECT_TRUE(rig.saver.Pending());
    rig.busy = false;
    ASSERT_TRUE(WaitUntil([&] { return rig.Written(); }));

    // Written by a command meanwhile: nothing left to do when the time comes.
    rig.binder.BinderDirty = true;
    EXPECT_TRUE(rig.commands.FileSaveExecute());
    std::filesystem::remove(rig.paths.TreeFilePath);
    ServeEventsFor(Delay * 2);
    EXPECT_FALSE(rig.Written());
    EXPECT_FALSE(rig.saver.Pending());

    // A close wrote everything: the wait ends with it.
    rig.binder.BinderDirty = true;
    rig.binder.CloseTree();
    EXPECT_FALSE(rig.saver.Pending());
}

// Work beside the event loop (a delete removing its folders) stands in the tree: a save due
// meanwhile waits for its end.
TEST(PendingChanges, ASaveDueWhileWorkRunsBesideTheEventLoopComesAfterIt) {
    SaverRig rig;
    rig.binder.BinderDirty = true;
    rig.saver.BinderMarkedChanged();
    bool writtenDuringWork = false;
    RunBesideEventLoop([] { std::this_thread::sleep_for(Delay * 4); });
    writtenDuringWork = rig.Written();
    EXPECT_FALSE(writtenDuringWork) << "the save ran inside the work";
    EXPECT_TRUE(rig.saver.Pending());
    ASSERT_TRUE(WaitUntil([&] { return rig.Written(); }));
}

// The window keeps a saver over its binder: a note typed and stored by moving to another node
// leaves a save due.
TEST(PendingChanges, TheWindowHasANoteStoredByMovingOnWritten) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TTreeNode* note = rig.Add(NodeKind::Notes, "note");
    TTreeNode* other = rig.Add(NodeKind::Notes, "other");
    window.Binder().Items().SetSelected(note);
    window.Binder().BinderDirty = false;
    ASSERT_FALSE(window.PendingChanges().Pending());
    TRichNoteEdit& editor = window.NotesPart().Commands().RichNoteEdit1();
    TypeInto(editor, "a");
    window.Binder().Items().SetSelected(other);
    EXPECT_TRUE(window.Binder().BinderDirty);
    EXPECT_FALSE(NodeRecord(note)->Notes.Bytes().empty());
    EXPECT_TRUE(window.PendingChanges().Pending());
}

namespace {

// Counts the writes the tree begins (each tells BinderSaving first).
struct SaveCounter : IBinderTreeObserver {
    explicit SaveCounter(TBinderTree& tree) : tree_(tree) { tree_.AddObserver(this); }
    ~SaveCounter() override { tree_.RemoveObserver(this); }
    void BinderSaving() override { ++Saves; }
    int Saves = 0;

private:
    TBinderTree& tree_;
};

// The window's boxes as a person meets them: each stays open a while, with the event loop
// running under it (timers fire meanwhile).
class LingeringBoxes : public FakeBinderUi {
public:
    void ShowMessage(const std::string& text) override {
        FakeBinderUi::ShowMessage(text);
        ServeEventsFor(Delay * 3);
    }
};

// A folder where the tree file goes: no write can replace it.
void BlockTreeFile(const std::string& path) {
    std::filesystem::remove(path);
    ASSERT_TRUE(std::filesystem::create_directory(path));
}

void Press(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {},
           const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &press);
}

} // namespace

TEST(PendingChanges, AFailedSaveIsTriedAgainEachIntervalWithOneMessageForTheRun) {
    SaverRig rig;
    SaveCounter saves(rig.binder);
    BlockTreeFile(rig.paths.TreeFilePath);
    rig.binder.TreeView1Edited(rig.Tree().GetFirstNode(), "Renamed");
    // The first try and two more, an interval apart; the user heard of the first only.
    ASSERT_TRUE(WaitUntil([&] { return saves.Saves >= 3; }));
    EXPECT_EQ(rig.ui.CallsOf("ShowMessage").size(), 1u);
    EXPECT_TRUE(rig.binder.BinderDirty);
    EXPECT_TRUE(rig.saver.Pending());

    // The way is free again: the next try writes everything, with no message.
    std::filesystem::remove(rig.paths.TreeFilePath);
    ASSERT_TRUE(
        WaitUntil([&] { return std::filesystem::is_regular_file(rig.paths.TreeFilePath); }));
    EXPECT_EQ(ReadFileBytes(rig.paths.TreeFilePath), TreeFileBytes(rig.Tree()));
    EXPECT_NE(ReadFileBytes(rig.paths.TreeFilePath).find("Renamed"), std::string::npos);
    EXPECT_FALSE(rig.binder.BinderDirty);
    EXPECT_FALSE(rig.saver.Pending());
    EXPECT_EQ(rig.ui.CallsOf("ShowMessage").size(), 1u);

    // A new run of failures is told again, once.
    BlockTreeFile(rig.paths.TreeFilePath);
    const int before = saves.Saves;
    rig.binder.TreeView1Edited(rig.Tree().GetFirstNode(), "Again");
    ASSERT_TRUE(WaitUntil([&] { return saves.Saves >= before + 2; }));
    EXPECT_EQ(rig.ui.CallsOf("ShowMessage").size(), 2u);
    std::filesystem::remove(rig.paths.TreeFilePath);
}

// The close cannot write the tree file and says so; while its box is open the pending save
// comes due and fails as well, without a second box.
TEST(PendingChanges, AFailedSaveAtTheCloseShowsOneBox) {
    ScopedEventLoopInvoker invoker;
    TempDir dir;
    LingeringBoxes ui;
    FakeTaskQueue queue;
    FakeCaptureStarter capture;
    TSettings settings = DefaultSettings(dir.Str());
    BinderPaths paths;
    MemorySettingsStore store;
    TBinderTree tree{queue, settings, paths};
    TBinderTreeCommands commands{ui.Roles(), tree, settings, paths};
    TBinderLifecycle lifecycle{ui.Roles(), queue, capture, settings, store, paths, commands};
    TPendingChangesSaver saver{tree, {}, Delay};
    ASSERT_TRUE(lifecycle.CreateBinder(dir.Str(), "b", "", false));
    ASSERT_TRUE(lifecycle.OpenBinder(JoinPath(dir.Str(), "b.bdf")));
    AddRecord(tree.Items(), nullptr, NodeKind::Folder, 0xF, "F");
    BlockTreeFile(paths.TreeFilePath);
    tree.TreeView1Edited(tree.Items().GetFirstNode(), "Renamed");
    ASSERT_TRUE(saver.Pending());

    lifecycle.CloseBinder();
    EXPECT_EQ(ui.CallsOf("ShowMessage").size(), 1u);
    EXPECT_TRUE(lifecycle.BinderOpen()); // kept with its changes
    EXPECT_TRUE(saver.Pending());        // and tried again

    std::filesystem::remove(paths.TreeFilePath);
    lifecycle.CloseBinder();
    EXPECT_FALSE(lifecycle.BinderOpen());
    EXPECT_EQ(ui.CallsOf("ShowMessage").size(), 1u);
    ReopenedBinder reopened(JoinPath(dir.Str(), "b.bdf"));
    ASSERT_TRUE(reopened.Opened);
    EXPECT_EQ(TitleOf(reopened.Tree.Items().GetFirstNode()), "Renamed");
}

// A note being typed is written with the pending changes, and the typing goes on as if
// nothing happened: the caret, the selection, the scroll position, the undo list and the focus
// stay, and Cancel Change still brings back the note as it was before the edit (which is then
// written in its turn).
TEST(PendingChanges, TypingGoesOnAcrossAPendingSave) {
    MainWindowRig rig;
    rig.Paths.TreeFilePath = JoinPath(rig.Folder.Str(), "notes.sav");
    TFormVelmorRnx& window = rig.Make();
    window.PendingChanges().SetDelay(Delay);
    rig.Lifecycle.Open = true;
    TTreeNode* note = rig.Add(NodeKind::Notes, "note");
    window.resize(700, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Binder().Items().SetSelected(note);
    TRichNoteEdit& editor = window.NotesPart().Commands().RichNoteEdit1();
    ASSERT_TRUE(WaitUntil([&] { return editor.isVisible(); }));
    TypeInto(editor, "old");
    window.Actions().Action(TMainAction::ApplyChange)->trigger();
    const std::string before = NodeRecord(note)->Notes.Bytes();
    ASSERT_NE(before.find("old"), std::string::npos);
    ASSERT_TRUE(WaitUntil([&] { return !window.Binder().BinderDirty; }));

    // An edit long enough to scroll, ending in a selection.
    editor.setFocus();
    ASSERT_EQ(window.focusWidget(), &editor);
    for (int line = 0; line < 60; ++line) {
        Press(editor, Qt::Key_Return, {}, "\r");
        TypeInto(editor, "line");
    }
    TypeInto(editor, "new");
    Press(editor, Qt::Key_Left, Qt::ShiftModifier);
    Press(editor, Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_TRUE(editor.SelectionExists());
    ASSERT_GT(editor.GetVPos(), 0);
    ASSERT_TRUE(window.PendingChanges().Pending());
    const auto state = [&editor] {
        int startItem = 0, startOffs = 0, endItem = 0, endOffs = 0, caretItem = 0, caretOffs = 0;
        editor.GetSelectionBounds(startItem, startOffs, endItem, endOffs, false);
        editor.EditData().GetCaretItem(caretItem, caretOffs);
        return std::vector<int>{startItem,
                                startOffs,
                                endItem,
                                endOffs,
                                caretItem,
                                caretOffs,
                                editor.GetVPos(),
                                editor.EditData().UndoList().Count(),
                                editor.GetLineCount()};
    };
    const std::vector<int> typed = state();

    ASSERT_TRUE(WaitUntil([&] { return !window.Binder().BinderDirty; }));
    const std::string written = NodeRecord(note)->Notes.Bytes();
    EXPECT_NE(written.find("new"), std::string::npos);
    EXPECT_NE(ReadFileBytes(rig.Paths.TreeFilePath).find("new"), std::string::npos);
    EXPECT_EQ(state(), typed);
    // The window's keyboard stays with the editor (and the wait form does not take it from
    // the window on a desktop).
    EXPECT_EQ(window.focusWidget(), &editor);
    EXPECT_TRUE(window.Actions().Action(TMainAction::ApplyChange)->isEnabled());
    EXPECT_TRUE(window.Actions().Action(TMainAction::CancelChange)->isEnabled());

    // The typing goes on where it was: the selection is replaced, and it is undone in steps.
    TypeInto(editor, "xt");
    const int last = editor.GetLineCount() - 1;
    EXPECT_EQ(editor.GetItemText(last), "linenxt");
    window.NotesPart().Commands().RUndoExecute();
    EXPECT_NE(editor.GetItemText(last), "linenxt");
    window.NotesPart().Commands().RRedoExecute();
    EXPECT_EQ(editor.GetItemText(last), "linenxt");

    // Cancel Change: the note before the edit, in the editor, the record and then the file.
    window.Actions().Action(TMainAction::CancelChange)->trigger();
    ASSERT_EQ(editor.GetLineCount(), 1);
    EXPECT_EQ(editor.GetItemText(0), "old");
    EXPECT_EQ(NodeRecord(note)->Notes.Bytes(), before);
    EXPECT_TRUE(window.Binder().BinderDirty);
    ASSERT_TRUE(WaitUntil([&] { return !window.Binder().BinderDirty; }));
    EXPECT_EQ(ReadFileBytes(rig.Paths.TreeFilePath).find("new"), std::string::npos);
    EXPECT_NE(ReadFileBytes(rig.Paths.TreeFilePath).find("old"), std::string::npos);
    EXPECT_FALSE(window.Actions().Action(TMainAction::CancelChange)->isEnabled());
}
