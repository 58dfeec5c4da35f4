// A page whose node folder the program did not make: it lies in a store folder that was there
// before, beside a file of the user's. A capture of such a page stores nothing there, so it
// fails, says why naming the folder, and the user is told once per capture asked for (with its
// linked pages or not) and once for all the pages the download queue works on its own.
#include "app/capture/CaptureController.h"

#include "app/binder/Task.h"
#include "app/capture/CaptureFinished.h"
#include "app/capture/MultiCapture.h"
#include "app/capture/taskqueue.h"
#include "platform/base/Invoker.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_capture/CaptureTestSupport.h"
#include "tests/app_capture/FakeLevelForm.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char* const Page = "<html><img src=\"a.gif\"><img src=\"b.gif\"> the new page</html>";

// The store folder `store` of `root` as the user had it: a note of theirs and, for each id, a
// folder holding an old page file.
void UsersStore(const fs::path& store, std::initializer_list<uint32_t> ids) {
    WriteFileBytes(store / "notes.txt", "the user's notes");
    for (uint32_t id : ids) {
        WriteFileBytes(store / IntToHex(id, 1) / (IntToHex(id, 1) + ".htm"), "the old page");
    }
}

void ServeSite(LoopbackServer& server) {
    server.Serve("/p.htm", Page, "text/html");
    server.Serve("/a.gif", "GIF a", "image/gif");
    server.Serve("/b.gif", "GIF b", "image/gif");
    server.Start();
}

} // namespace

TEST(UnstorablePage, ACaptureStoresNothingAndFailsNamingTheFolder) {
    LoopbackServer server;
    RequestLog log(server);
    ServeSite(server);
    TestStore store;
    UsersStore(store.Dir() / "store", {TestStore::NodeId});
    TPageInfo node;
    TestStore::Prepare(node, server.Url("/p.htm"));
    node.Content.PageHtml = "the page shown so far";
    MultiCapture capture;
    EXPECT_FALSE(CapturePage(node, false, &capture, store.Context()));

    // The store itself is the folder the program did not make.
    const std::string folder = (store.Dir() / "store").string();
    EXPECT_TRUE(IsFailedStatus(node.Progress.StatusText)) << node.Progress.StatusText;
    EXPECT_NE(node.Progress.StatusText.find(folder), std::string::npos);
    EXPECT_TRUE(capture.StoreRefusal.starts_with("Capture Failed: " + node.RequestedUrl));
    EXPECT_NE(capture.StoreRefusal.find(folder), std::string::npos) << capture.StoreRefusal;
    // Nothing of the new page is kept, nor fetched; the page shown stays.
    EXPECT_EQ(node.Content.FetchedText, "");
    EXPECT_EQ(node.FinalUrl, "");
    EXPECT_EQ(node.Content.PageHtml, "the page shown so far");
    EXPECT_EQ(node.Content.Stats.Total, 0);
    EXPECT_EQ(log.Paths(), std::vector<std::string>{"/p.htm"});
    EXPECT_EQ(store.Files(), std::vector<std::string>{"1A2B.htm"});
    EXPECT_EQ(store.FileBytes("1A2B.htm"), "the old page");
    EXPECT_EQ(ReadFileBytes(store.Dir() / "store" / "notes.txt"), "the user's notes");
}

TEST(UnstorablePage, TheUserIsToldOncePerCaptureAndOnceForTheQueuesPages) {
    struct ScopedInvoker {
        MainThreadInvoker invoker;
        ScopedInvoker() { SetInvoker(&invoker); }
        ~ScopedInvoker() { SetInvoker(nullptr); }
    } scoped;
    MainThreadInvoker& invoker = scoped.invoker;
    LoopbackServer server;
    ServeSite(server);
    BinderFixture b;
    UsersStore(fs::path(b.paths.BinderRoot) / b.paths.BinderStore, {0x51, 0x52});
    FakeCaptureReports reports;
    reports.OnDone = [&](uint32_t id) { OnCaptureFinished(b.binder, id); };
    TCapturePort port(reports);
    TaskQueue queue(std::chrono::hours(1));
    std::vector<std::string> told;
    CaptureSetup setup;
    setup.Records = &b.binder;
    setup.Paths = &b.paths;
    setup.Port = &port;
    FakeLevelForm form;
    reports.Form = &form;
    setup.LevelForm = &form;
    setup.Tell = [&](const std::string& text) { told.push_back(text); };
    CaptureController controller(setup);
    std::vector<TPageInfo*> pages;
    for (uint32_t id : {0x51u, 0x52u}) {
        TPageInfo* page = NodeRecord(AddRecord(b.Tree(), nullptr, NodeKind::WebPage, id, "P"));
        page->RequestedUrl = server.Url("/p.htm");
        pages.push_back(page);
    }
    const auto ended = [&] {
        return std::none_of(pages.begin(), pages.end(), [](TPageInfo* page) {
            return page->State == CaptureState::Unfinished;
        });
    };

    // Asked for twice: told twice, each time naming the store the program did not make, after
    // it shows failed.
    for (int asked = 1; asked <= 2; ++asked) {
        controller.StartNodeCapture(*pages[0], false, CaptureOptions{});
        invoker.WaitServing([&] { return pages[0]->State != CaptureState::Unfinished; });
        invoker.Drain();
        ASSERT_EQ(told.size(), static_cast<size_t>(asked));
        EXPECT_EQ(pages[0]->State, CaptureState::Failed);
        EXPECT_TRUE(IsFailedStatus(pages[0]->Progress.StatusText));
        EXPECT_NE(told.back().find(fs::path(b.StoreFolder(0x51)).parent_path().string() + " "),
                  std::string::npos)
            << told.back();
    }

    // With linked pages: the root fails, the form closes, and the user is told once more.
    controller.StartNodeCapture(*pages[1], false, {.Levels = 1});
    invoker.Drain();
    EXPECT_EQ(pages[1]->State, CaptureState::Failed);
    ASSERT_EQ(told.size(), 3u);
    EXPECT_NE(told.back().find(fs::path(b.StoreFolder(0x52)).parent_path().string() + " "),
              std::string::npos)
        << told.back();

    // Both pages unfinished at the binder's open: the queue fails both, and tells once.
    controller.ServeTaskQueue(queue);
    for (TPageInfo* page : pages) {
        page->State = CaptureState::Unfinished;
        page->Content.Stats.State = static_cast<int32_t>(CaptureState::Unfinished);
        Task task(page->RequestedUrl, b.dir.Str(), UnfinishedPageKind);
        task.NodeId = page->Id;
        queue.AddTask(task);
    }
    queue.StartPolling();
    invoker.WaitServing([&] {
        const std::vector<Task> tasks = queue.Tasks();
        return ended() && std::all_of(tasks.begin(), tasks.end(), [](const Task& task) {
                   return task.State == TaskFailed || task.State == TaskDone;
               });
    });
    invoker.Drain();
    for (TPageInfo* page : pages) {
        EXPECT_EQ(page->State, CaptureState::Failed);
    }
    EXPECT_EQ(told.size(), 4u);
    queue.Stop();
    controller.CancelAll();
}
