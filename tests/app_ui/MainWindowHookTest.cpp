#include "app/ui/MainWindowHook.h"
#include "platform/base/EventLoopWait.h"
#include "platform/shell/SharedMemory.h"

#include "tests/app_ui/FakeMainWindow.h"
#include "tests/support/ShellTestEnv.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class MainWindowHookTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(CreateSharedMemory(), nullptr); }
    void TearDown() override { CloseSharedMemory(); }

    void PutItem(const InsertInfo& item) {
        ASSERT_TRUE(EncodeInsertItem({CreateSharedMemory(), SharedMemorySize}, item));
    }

    IsolatedShell env;
    FakeMainWindow window;
    MainWindowHook hook{window};
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(MainWindowHookTest, InsertModeFollowsWParam) {
    PutItem({"http://a.b/", "About a.b", "<html>", 0});
    EXPECT_FALSE(hook.Receive({"InsertVelmor", 10}));
    EXPECT_FALSE(hook.Receive({"InsertVelmor", 0}));
    EXPECT_FALSE(hook.Receive({"InsertVelmor", 7}));
    EXPECT_FALSE(hook.Receive({"InsertVelmor", -10}));
    EXPECT_EQ(window.calls, (Calls{"AddNode 2 10", "AddNode 2 4", "AddNode 2 4", "AddNode 2 4"}));
    ASSERT_EQ(window.added.size(), 4u);
    EXPECT_EQ(window.added[0].URL, "http://a.b/");
    EXPECT_EQ(window.added[0].Info, "About a.b");
    EXPECT_EQ(window.added[0].Html, "<html>");
}

TEST_F(MainWindowHookTest, OpenAndFrontAndOthers) {
    ASSERT_TRUE(WriteSharedMemory("/home/u/b.bdf"));
    EXPECT_TRUE(hook.Receive({"TarnwickOpen", 0}));
    EXPECT_TRUE(hook.Receive({"OnlyOneVelmor", 0}));
    EXPECT_FALSE(hook.Receive({"SomethingElse", 10}));
    EXPECT_EQ(window.calls, (Calls{"OpenBinder /home/u/b.bdf", "Restore", "BringToFront"}));
}

// Opening closes the current binder before it can fail, so an empty path opens nothing.
TEST_F(MainWindowHookTest, EmptyPathOpensNothing) {
    ASSERT_TRUE(WriteSharedMemory(""));
    hook.Receive({"TarnwickOpen", 0});
    hook.DdeOpen("");
    EXPECT_TRUE(window.calls.empty());
}

// Requests wait under a modal dialog, each with the item the block held when it arrived, and
// then run in their order; bringing the window to the front does not wait.
TEST_F(MainWindowHookTest, RequestsWaitForModalDialogWithTheirOwnItem) {
    window.modal = true;
    PutItem({"http://first/", "1", "<1>", 0});
    hook.Receive({"InsertVelmor", 0});
    ASSERT_TRUE(WriteSharedMemory("/b.bdf"));
    hook.Receive({"TarnwickOpen", 0});
    hook.DdeOpen("/c.bdf");
    PutItem({"http://second/", "2", "<2>", 0});
    hook.Receive({"InsertVelmor", 10});
    hook.Receive({"OnlyOneVelmor", 0});
    EXPECT_EQ(window.calls, (Calls{"Restore", "BringToFront"}));
    EXPECT_EQ(hook.WaitingCount(), 4u);

    hook.ModalDialogClosed();
    EXPECT_EQ(hook.WaitingCount(), 4u) << "still modal";
    window.modal = false;
    hook.ModalDialogClosed();
    EXPECT_EQ(window.calls, (Calls{"Restore", "BringToFront", "AddNode 2 4", "OpenBinder /b.bdf",
                                   "OpenBinder /c.bdf", "AddNode 2 10"}));
    ASSERT_EQ(window.added.size(), 2u);
    EXPECT_EQ(window.added[0].URL, "http://first/");
    EXPECT_EQ(window.added[0].Html, "<1>");
    EXPECT_EQ(window.added[1].URL, "http://second/");
    EXPECT_EQ(hook.WaitingCount(), 0u);
}

// What arrives while the hook's own Add Item dialog is open (here: the dialog's re-send after a
// binder switch, and a DDE open) runs after the dialog has returned, not inside it.
TEST_F(MainWindowHookTest, RequestsDuringOwnDialogRunAfterIt) {
    PutItem({"http://a/", "", "", 0});
    window.whileAdding = [this] {
        hook.Receive({"InsertVelmor", 10});
        hook.DdeOpen("/d.bdf");
        window.calls.push_back("dialog closes");
    };
    hook.Receive({"InsertVelmor", 0});
    EXPECT_EQ(window.calls,
              (Calls{"AddNode 2 4", "dialog closes", "AddNode 2 10", "OpenBinder /d.bdf"}));
}

TEST_F(MainWindowHookTest, WithoutBlockNothingIsRead) {
    CloseSharedMemory();
    hook.Receive({"InsertVelmor", 10});
    hook.Receive({"TarnwickOpen", 0});
    EXPECT_EQ(window.calls, (Calls{"AddNode 2 10"}));
    EXPECT_EQ(window.added.at(0).URL, "");
}

// A handler that fails must not leave the hook believing a request still runs.
TEST_F(MainWindowHookTest, FailedRequestDoesNotBlockLaterOnes) {
    PutItem({"http://a/", "", "", 0});
    window.failAdding = true;
    EXPECT_THROW(hook.Receive({"InsertVelmor", 0}), std::runtime_error);
    hook.DdeOpen("/e.bdf");
    EXPECT_EQ(window.calls, (Calls{"AddNode 2 4", "OpenBinder /e.bdf"}));
}

// Work beside the event loop (a delete removing a binder's folders) holds the requests that
// arrive meanwhile: none opens a binder inside it; they run in their order once it has ended.
TEST_F(MainWindowHookTest, RequestsDuringWorkBesideTheEventLoopRunAfterIt) {
    const AfterWorkBesideEventLoop afterWork([this] { hook.ModalDialogClosed(); });
    std::atomic<bool> received{false};
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(WriteSharedMemory("/b.bdf"));
        hook.Receive({"TarnwickOpen", 0});
        hook.DdeOpen("/c.bdf");
        received = true;
    });
    RunBesideEventLoop([&received] {
        while (!received) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_TRUE(window.calls.empty()) << "a request ran inside the work";
    EXPECT_EQ(hook.WaitingCount(), 2u);
    EXPECT_TRUE(WaitUntil([this] { return window.calls.size() == 2; }));
    EXPECT_EQ(window.calls, (Calls{"OpenBinder /b.bdf", "OpenBinder /c.bdf"}));
}
