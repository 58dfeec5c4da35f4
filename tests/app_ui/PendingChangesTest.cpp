// A binder with a change no command wrote (a rename, a move, a note stored by moving on) is
// written a while after the first such change, through the tree's saver, and never while the
// wait form holds the commands; the main window keeps one such saver over its binder.
#include "app/ui/PendingChangesSaver.h"

#include "app/binder/TreeFile.h"
#include "app/ui/NotesCommands.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

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
