#include "app/capture/CaptureController.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/FolderMark.h"
#include "app/binder/NodeIds.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/Search.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/TreeFile.h"
#include "app/binder/commands/BinderLifecycleCommands.h"

#include "app/capture/CaptureFinished.h"
#include "app/capture/LevelStatusForm.h"
#include "app/capture/MultiCapture.h"
#include "app/capture/PageParser.h"
#include "app/capture/SavingStatus.h"
#include "app/capture/taskqueue.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/Invoker.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_capture/CaptureTestSupport.h"
#include "tests/app_capture/FakeLevelForm.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace fs = std::filesystem;

namespace {

// A tree view: whatever the test wants done on an insert.
struct Receiver : ITreeNodesObserver {
    std::function<void()> OnInsert;
    void NodeInserted(TTreeNode*) override { OnInsert(); }
};

class Capture : public testing::Test {
protected:
    Capture() {
        SetInvoker(&invoker);
        reports.Form = &form;
        reports.OnDone = [this](uint32_t id) { OnCaptureFinished(*finishing, id); };
        b.capture.OnCancel = [this](TPageInfo& record) { controller.CancelCapture(record); };
    }
    ~Capture() override {
        release = true;
        queue.Stop();
        controller.CancelAll();
        server.Stop(); // before the request log goes
        SetInvoker(nullptr);
    }

    CaptureSetup MakeSetup() {
        CaptureSetup setup;
        setup.Records = &b.binder;
        setup.Paths = &b.paths;
        setup.Port = &port;
        setup.LevelForm = &form;
        setup.Http.ConnectTimeout = std::chrono::milliseconds(2000);
        setup.Http.StallTimeout = std::chrono::seconds(600); // only a cancel ends a stall
        setup.Clock = [this] { return clockNow; };
        return setup;
    }

    // The records of the tree file as it stands on disk, by title; empty without a file.
    std::map<std::string, CaptureState> Saved() {
        std::map<std::string, CaptureState> saved;
        TTreeNodes tree;
        TreeLoadContext context;
        LoadTreeDump(tree, ReadFileBytes(b.paths.TreeFilePath), context);
        for (TTreeNode* node = tree.GetFirstNode(); node; node = node->GetNext()) {
            saved[NodeRecord(node)->Title] = NodeRecord(node)->State;
        }
        ClearTree(tree);
        return saved;
    }
    size_t SavedNodes() {
        TTreeNodes tree;
        TreeLoadContext context;
        LoadTreeDump(tree, ReadFileBytes(b.paths.TreeFilePath), context);
        const auto count = static_cast<size_t>(tree.Count());
        ClearTree(tree);
        return count;
    }

    TPageInfo& AddPage(const std::string& path, uint32_t id, bool stalling = false) {
        TTreeNode* node = AddRecord(b.Tree(), nullptr, NodeKind::WebPage, id, "Root");
        NodeRecord(node)->RequestedUrl = stalling ? stall.Url(path) : server.Url(path);
        return *NodeRecord(node);
    }

    std::vector<std::string> Titles() {
        std::vector<std::string> titles;
        for (TTreeNode* node = b.Tree().GetFirstNode(); node; node = node->getNextSibling()) {
            titles.push_back(NodeRecord(node)->Title);
        }
        return titles;
    }

    // A binder of its own, opened and closed through its lifecycle, with a controller of its
    // own serving the queue: the fake starter passes the tree's cancels on to it.
    struct OwnBinder {
        OwnBinder(Capture& test, CaptureSetup setup)
            : tree{test.queue, test.b.settings, test.b.paths}, commands{test.b.ui.Roles(), tree,
                                                                        test.b.settings,
                                                                        test.b.paths},
              lifecycle{test.b.ui.Roles(), test.queue, test.b.capture, test.b.settings, store,
                        test.b.paths,      commands},
              controller{WithRecords(std::move(setup), tree)} {
            tree.SetCaptureStarter(&test.b.capture);
            test.finishing = &tree;
            test.b.capture.OnCancel = [this](TPageInfo& record) {
                controller.CancelCapture(record);
            };
            controller.ServeTaskQueue(test.queue);
        }
        static CaptureSetup WithRecords(CaptureSetup setup, TBinderTree& records) {
            setup.Records = &records;
            return setup;
        }

        MemorySettingsStore store;
        TBinderTree tree;
        TBinderTreeCommands commands;
        TBinderLifecycle lifecycle;
        CaptureController controller;
    };

    MainThreadInvoker invoker;
    std::atomic<bool> release{false};
    std::atomic<bool> stalled{false};
    // "/p.htm" is a page whose image answers only when the test ends, so its capture stays at
    // work; any other path stalls at once.
    RawServer stall{[this](int socket, const std::string& request) {
        if (request.starts_with("GET /p.htm")) {
            RawServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: "
                                    "close\r\nContent-Length: 17\r\n\r\n<img src=\"s.gif\">");
            return;
        }
        stalled = true;
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }};
    LoopbackServer server;
    RequestLog log{server};
    BinderFixture b;
    TBinderTree* finishing = &b.binder; // the tree whose records 3022 finishes
    FakeCaptureReports reports;
    TCapturePort port{reports};
    FakeLevelForm form;
    TaskQueue queue{std::chrono::hours(1)};
    std::chrono::steady_clock::time_point clockNow{};
    CaptureController controller{MakeSetup()};
};

} // namespace

// Pages come from anchors and from link tags other than style sheets and icons; in-page jumps,
// the root and pages met before are not added again, whatever their fragment.
TEST_F(Capture, LevelsAddEachLinkedPageOnceBesideTheRoot) {
    const std::string style = "body{}";
    server.Serve("/s.css", style, "text/css");
    server.Serve("/f.ico", "icon", "image/x-icon");
    server.Serve(
        "/r.htm",
        "<link rel=stylesheet href=s.css><link rel=\"shortcut icon\" href=f.ico>"
        "<link rel=next href=a.htm#n><link rel=prev href=b.htm><link rel=index href=r.htm>"
        "<a href=#top>top</a><a href=r.htm>self</a><a href=a.htm#y>A</a><a href=b.htm>B</a>",
        "text/html");
    server.Serve("/a.htm",
                 "<title>Page A</title><link rel=stylesheet href=s.css><a href=#x>x</a>"
                 "<a href=a.htm>self</a><a href=r.htm#top>root</a><a href=b.htm#z>B</a>"
                 "<a href=c.htm>C</a>",
                 "text/html");
    server.Serve("/b.htm", "<link rel=index href=r.htm><a href=c.htm>C</a>", "text/html");
    server.Serve("/c.htm", "<title>Page C</title>", "text/html");
    server.Start();
    TPageInfo& root = AddPage("/r.htm", 0x10);
    controller.StartNodeCapture(root, false, {.Levels = 2});
    invoker.Drain();

    EXPECT_EQ(Titles(),
              (std::vector<std::string>{"Root", "Page A", server.Url("/b.htm"), "Page C"}));
    const TPageInfo& a = *NodeRecord(b.Tree().TopLevelItem(1));
    EXPECT_EQ(a.RequestedUrl, server.Url("/a.htm#n"));
    std::vector<std::string> asked = log.Paths();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{"/a.htm", "/b.htm", "/c.htm", "/f.ico", "/r.htm",
                                               "/s.css"})); // c met twice in level 2
    EXPECT_NE(a.Content.PageHtml.find("<a href=#x>x</a>"), std::string::npos);
    EXPECT_NE(root.Content.PageHtml.find("<a href=#top>top</a>"), std::string::npos);
    // Fetched once, yet each node has its own file.
    const std::string css = HostFolder(server) + "/s.css";
    EXPECT_EQ(ReadFileBytes(std::filesystem::path(b.StoreFolder(root.Id)) / css), style);
    EXPECT_EQ(ReadFileBytes(std::filesystem::path(b.StoreFolder(a.Id)) / css), style);
    EXPECT_EQ(a.Content.Stats.Groups[GroupCss].Fetched, 1);

    EXPECT_EQ(root.State, CaptureState::Completed);
    EXPECT_EQ(root.CurrentCapture, nullptr);
    EXPECT_EQ(NodeRecord(b.Tree().TopLevelItem(3))->Progress.StatusText, "Download Finished");
    EXPECT_FALSE(b.binder.BinderDirty); // saved as the capture ended
    EXPECT_EQ(SavedNodes(), 4u);
    EXPECT_FALSE(controller.LevelCaptureRunning());
    ASSERT_GE(form.Log.size(), 3u);
    EXPECT_EQ(form.Log[1], "0 Parsing page, please wait ....|");
    // The root's five links are counted as met: a.htm#n, b.htm, r.htm, r.htm#top, a.htm#y.
    EXPECT_EQ(form.Log[2], "0 No. 1 of 5|" + server.Url("/a.htm#n"));
    EXPECT_EQ(form.Log.back(), "finished");
}

// A number of levels typed by hand in the Add Item dialog comes past the up-down's 0..6: more
// levels than the site has end when the links do, and none below 1 captures the page alone.
TEST_F(Capture, LevelsTypedPastTheUpDownAreTakenAsTheyCome) {
    // A chain of pages three links deep: r, A, B, C.
    const std::string chain = "rABC";
    for (size_t i = 0; i < chain.size(); ++i) {
        std::string html = "<title>" + chain.substr(i, 1) + "</title>";
        if (i + 1 < chain.size()) {
            html += "<a href=" + chain.substr(i + 1, 1) + ".htm>next</a>";
        }
        server.Serve("/" + chain.substr(i, 1) + ".htm", html, "text/html");
    }
    server.Start();

    TPageInfo& alone = AddPage("/r.htm", 0x30);
    controller.StartNodeCapture(alone, false, {.Levels = -2});
    invoker.WaitServing([&] { return alone.CurrentCapture == nullptr; });
    EXPECT_EQ(alone.State, CaptureState::Completed);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Root"});
    EXPECT_EQ(log.Paths(), std::vector<std::string>{"/r.htm"});
    EXPECT_TRUE(form.Log.empty()) << "no form of linked pages";

    TPageInfo& deep = AddPage("/r.htm", 0x31);
    controller.StartNodeCapture(deep, false, {.Levels = 9});
    invoker.Drain();
    EXPECT_EQ(deep.State, CaptureState::Completed);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Root", "Root", "A", "B", "C"}));
    EXPECT_EQ(log.Count("/C.htm"), 1u);
    ASSERT_FALSE(form.Log.empty());
    EXPECT_EQ(form.Log.back(), "finished");
    EXPECT_FALSE(controller.LevelCaptureRunning());
}

// A level count typed by hand may be far past any site: the capture ends with the first level
// that brings no new page (a page without links, or links only to pages captured already),
// not after counting through every empty level.
TEST_F(Capture, ALevelCaptureEndsWithTheFirstLevelThatBringsNoPage) {
    server.Serve("/alone.htm", "<title>Alone</title><p>no links</p>", "text/html");
    server.Serve("/r.htm", "<title>R</title><a href=a.htm>A</a>", "text/html");
    server.Serve("/a.htm", "<title>A</title><a href=r.htm>back</a><a href=a.htm#top>top</a>",
                 "text/html");
    server.Start();
    // The levels each capture begins; one past those the site has stops it, or it would count
    // on to the largest number.
    std::vector<int64_t> levels;
    CaptureSetup setup = MakeSetup();
    setup.LevelBegun = [&](int64_t level) {
        levels.push_back(level);
        if (level > 3) {
            form.Cancel();
        }
    };
    CaptureController counted{setup};
    uint32_t id = 0x40;
    const std::map<std::string, std::vector<int64_t>> expected = {{"/alone.htm", {}},
                                                                  {"/r.htm", {1, 2}}};
    for (const char* path : {"/alone.htm", "/r.htm"}) {
        TPageInfo& root = AddPage(path, id++);
        levels.clear();
        counted.StartNodeCapture(root, false, {.Levels = std::numeric_limits<int32_t>::max()});
        invoker.Drain();
        EXPECT_EQ(levels, expected.at(path)) << path;
        EXPECT_EQ(root.State, CaptureState::Completed) << path;
        ASSERT_FALSE(form.Log.empty());
        EXPECT_EQ(form.Log.back(), "finished") << path;
        EXPECT_FALSE(counted.LevelCaptureRunning());
    }
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Root", "Root", "A"}));
    EXPECT_EQ(log.Count("/r.htm"), 1u);
    EXPECT_EQ(log.Count("/a.htm"), 1u);
}

// A site without end, captured with more levels than it could ever run out of: Cancel is heard
// at the next page, the capture ends and closes its form, and at most the page that was on its
// way when Cancel came is still asked for.
TEST_F(Capture, CancelEndsALevelCaptureOfASiteWithoutEnd) {
    // Every page links to two pages that were never met.
    server.Http().Get(
        R"(/p(\d+)\.htm)", [](const httplib::Request& request, httplib::Response& response) {
            const long n = std::stol(request.matches[1]);
            response.set_content("<title>P" + std::to_string(n) + "</title><a href=p" +
                                     std::to_string(2 * n) + ".htm>x</a><a href=p" +
                                     std::to_string(2 * n + 1) + ".htm>y</a>",
                                 "text/html");
        });
    server.Start();
    TPageInfo& root = AddPage("/p1.htm", 0x42);
    size_t askedAtCancel = 0;
    Receiver view;
    view.OnInsert = [&] {
        if (b.Tree().Count() == 4) {
            askedAtCancel = log.Paths().size();
            form.Cancel();
        }
    };
    b.Tree().AddObserver(&view);
    controller.StartNodeCapture(root, false, {.Levels = std::numeric_limits<int32_t>::max()});
    b.Tree().RemoveObserver(&view);
    invoker.Drain();

    ASSERT_GT(askedAtCancel, 0u);
    EXPECT_LE(log.Paths().size(), askedAtCancel + 1);
    EXPECT_EQ(b.Tree().Count(), 4);
    EXPECT_EQ(form.Log.back(), "2 |");
    EXPECT_FALSE(form.Showing());
    EXPECT_FALSE(controller.LevelCaptureRunning());
}

// What captures bring reaches the tree file without the binder being closed: while a capture
// with linked pages adds pages at most every 30 s, and all of it, with its final states, when
// it ends (before its form says "Finished."), as when a page alone has been captured.
TEST_F(Capture, CapturedPagesAreSavedAsTheCaptureGoesAndWhenItEnds) {
    std::string links;
    for (const char* page : {"a", "b", "c", "d", "e"}) {
        links += std::string("<a href=") + page + ".htm>" + page + "</a>";
        server.Serve(std::string("/") + page + ".htm",
                     std::string("<title>Page ") + page + "</title>", "text/html");
    }
    server.Serve("/r.htm", links, "text/html");
    server.Start();
    TPageInfo& root = AddPage("/r.htm", 0x30);
    // Each page takes 12 s of the test's clock; the file is looked at as each one comes.
    std::vector<size_t> savedAtInsert;
    Receiver view;
    view.OnInsert = [&] {
        savedAtInsert.push_back(SavedNodes());
        clockNow += std::chrono::seconds(12);
    };
    std::map<std::string, CaptureState> savedAtFinish;
    form.OnFinished = [&] { savedAtFinish = Saved(); };
    b.Tree().AddObserver(&view);
    controller.StartNodeCapture(root, false, {.Levels = 1});
    b.Tree().RemoveObserver(&view);
    invoker.Drain();

    // The root alone as the capture began, then once 36 s had passed (the root and three
    // pages), then at the end.
    EXPECT_EQ(savedAtInsert, (std::vector<size_t>{1, 1, 1, 4, 4}));
    const std::map<std::string, CaptureState> all{
        {"Root", CaptureState::Completed},   {"Page a", CaptureState::Completed},
        {"Page b", CaptureState::Completed}, {"Page c", CaptureState::Completed},
        {"Page d", CaptureState::Completed}, {"Page e", CaptureState::Completed}};
    EXPECT_EQ(savedAtFinish, all);
    EXPECT_EQ(Saved(), all);
    EXPECT_FALSE(b.binder.BinderDirty);

    // A page captured alone is saved with its end; a cancelled capture with linked pages
    // keeps what it added.
    TPageInfo& single = AddPage("/a.htm", 0x31);
    single.Title = "Single";
    controller.StartNodeCapture(single, false, CaptureOptions{});
    invoker.WaitServing([&] { return single.State != CaptureState::Unfinished; });
    invoker.Drain();
    EXPECT_EQ(Saved()["Single"], CaptureState::Completed);

    TPageInfo& cancelled = AddPage("/r.htm", 0x32);
    cancelled.Title = "Cancelled";
    view.OnInsert = [&] { form.Cancel(); };
    b.Tree().AddObserver(&view);
    controller.StartNodeCapture(cancelled, false, {.Levels = 1});
    b.Tree().RemoveObserver(&view);
    invoker.Drain();
    EXPECT_EQ(b.Tree().Count(), 9);
    EXPECT_EQ(SavedNodes(), 9u);
    EXPECT_FALSE(b.binder.BinderDirty);
}

// A linked page's title is taken with its character references decoded, so the tree, the
// summaries, the search list and the exports all see its characters.
TEST_F(Capture, LinkedPageTitlesAreTakenDecoded) {
    server.Serve("/r.htm", "<a href=a.htm>A</a><a href=b.htm>B</a>", "text/html");
    server.Serve("/a.htm", "<TITLE>A &#8212; B &amp; C</TITLE>", "text/html");
    server.Serve("/b.htm", "<title>&lt;b&gt; &#x41;&copy;</title>", "text/html");
    server.Start();
    TPageInfo& root = AddPage("/r.htm", 0x10);
    controller.StartNodeCapture(root, false, {.Levels = 1});
    invoker.Drain();

    EXPECT_EQ(Titles(),
              (std::vector<std::string>{"Root", "A \xE2\x80\x94 B & C", "<b> A\xC2\xA9"}));
    EXPECT_EQ(b.Tree().TopLevelItem(1)->Text(), "A \xE2\x80\x94 B & C");
}

TEST_F(Capture, CancelStopsBeforeTheNextPageAndClosesTheForm) {
    server.Serve("/r.htm", "<a href=a.htm>A</a><a href=c.htm>C</a>", "text/html");
    server.Serve("/a.htm", "<title>Page A</title>", "text/html");
    server.Serve("/b.htm", "<title>Page B</title>", "text/html");
    server.Serve("/c.htm", "<title>Page C</title><img src=c.gif>", "text/html");
    server.Start();
    TPageInfo& other = AddPage("/b.htm", 0x20);
    TPageInfo& root = AddPage("/r.htm", 0x11);
    // When the first level page has been added, a second capture with levels is asked for (the
    // browser side can do that), and the user cancels.
    Receiver view;
    view.OnInsert = [&] {
        controller.StartNodeCapture(other, false, {.Levels = 1});
        form.Cancel();
    };
    b.Tree().AddObserver(&view);
    controller.StartNodeCapture(root, false, {.Levels = 3});
    b.Tree().RemoveObserver(&view);
    invoker.Drain();

    EXPECT_EQ(Titles(), (std::vector<std::string>{"Root", "Root", "Page A"}));
    EXPECT_EQ(log.Count("/b.htm"), 0u);
    EXPECT_EQ(log.Count("/c.gif"), 0u); // the next page may be on its way, but is not captured
    EXPECT_EQ(other.Progress.StatusText, "Download Stopped"); // refused
    EXPECT_EQ(form.Log.back(), "2 |");
    EXPECT_FALSE(form.Showing());
    EXPECT_FALSE(controller.LevelCaptureRunning());
}

TEST_F(Capture, AFailedRootClosesTheFormAndAddsNothing) {
    server.Start();
    TPageInfo& root = AddPage("/missing.htm", 0x12);
    controller.StartNodeCapture(root, false, {.Levels = 2});
    invoker.Drain();
    EXPECT_EQ(b.Tree().Count(), 1);
    EXPECT_EQ(form.Log.back(), "2 |");
    EXPECT_EQ(root.State, CaptureState::Failed);
    EXPECT_EQ(root.Progress.StatusText, "Download Failed");
    EXPECT_FALSE(controller.LevelCaptureRunning());
}

// A captured page captured again where nothing answers: its address changed to a dead one
// (the page alone, or with its linked pages), or the same address with its server gone (a
// content sync). Each ends failed, not finished with the page held from before: no linked
// page is added from it, its final URL is not kept as this capture's, the tree file says
// failed, and the files stored before stay.
TEST_F(Capture, ARecaptureThatCannotReachItsAddressEndsFailed) {
    server.Serve("/r.htm", "<title>R</title><img src=i.gif><a href=a.htm>A</a>", "text/html");
    server.Serve("/a.htm", "<title>A</title>", "text/html");
    server.Serve("/i.gif", "GIF89a", "image/gif");
    server.Start();
    const std::string deadUrl = UnansweredUrl("/moved.htm");
    const struct {
        const char* name;
        bool sameAddress;
        CaptureOptions options;
    } recaptures[] = {
        {"change url", false, CaptureOptions{}},
        {"change url with levels", false, {.Levels = 1}},
        {"content sync", true, {.KeepWaitFormHidden = true}},
    };
    uint32_t id = 0x50;
    for (const auto& recapture : recaptures) {
        TPageInfo& page = AddPage("/r.htm", ++id);
        page.Title = recapture.name;
        controller.StartNodeCapture(page, false, CaptureOptions{});
        invoker.WaitServing([&] { return page.State != CaptureState::Unfinished; });
        invoker.Drain();
        ASSERT_EQ(page.State, CaptureState::Completed) << recapture.name;
        ASSERT_EQ(page.FinalUrl, server.Url("/r.htm"));
        const std::string picture = b.StoreFolder(id) + "/" + HostFolder(server) + "/i.gif";
        ASSERT_EQ(ReadFileBytes(picture), "GIF89a");
        const int nodes = b.Tree().Count();
        const size_t asked = log.Paths().size();

        if (recapture.sameAddress) {
            server.Stop();
        } else {
            page.RequestedUrl = deadUrl;
        }
        controller.StartNodeCapture(page, false, recapture.options);
        invoker.WaitServing([&] { return page.State != CaptureState::Unfinished; });
        invoker.Drain();

        EXPECT_EQ(page.State, CaptureState::Failed) << recapture.name;
        EXPECT_EQ(page.Progress.StatusText, "Download Failed") << recapture.name;
        EXPECT_EQ(page.Content.Stats.State, static_cast<int32_t>(CaptureState::Failed));
        EXPECT_TRUE(page.Content.FetchedText.empty()) << recapture.name;
        EXPECT_EQ(page.FinalUrl, "") << recapture.name;
        EXPECT_EQ(b.Tree().Count(), nodes) << recapture.name;
        EXPECT_EQ(log.Paths().size(), asked) << recapture.name;
        EXPECT_EQ(Saved()[recapture.name], CaptureState::Failed) << recapture.name;
        EXPECT_EQ(ReadFileBytes(picture), "GIF89a") << recapture.name;
    }
}

// Each capture of a page counts the resources it tried itself: a page captured again (Sync
// Content, Capture Page, the queue's poller) does not add its counts to the earlier capture's.
TEST_F(Capture, ARecaptureCountsOnlyItsOwnResources) {
    server.Serve("/c.htm", "<link rel=stylesheet href=s.css><img src=i.gif><img src=none.gif>",
                 "text/html");
    server.Serve("/s.css", "body{}", "text/css");
    server.Serve("/i.gif", "GIF89a", "image/gif");
    server.Start();
    TPageInfo& page = AddPage("/c.htm", 0x60);
    const std::vector<StatsRow> once = {{1, 0, 1}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    for (const bool sync : {false, true, false}) {
        controller.StartNodeCapture(page, false, {.KeepWaitFormHidden = sync});
        invoker.WaitServing([&] { return page.State != CaptureState::Unfinished; });
        invoker.Drain();
        ASSERT_EQ(page.State, CaptureState::Completed);
        EXPECT_EQ(page.Content.Stats.Total, 3) << sync;
        EXPECT_EQ(Rows(page.Content.Stats), once) << sync;
    }
    // The poller's capture of a page left unfinished, from the text it holds.
    page.State = CaptureState::Unfinished;
    page.Content.Stats.State = static_cast<int32_t>(CaptureState::Unfinished);
    controller.ServeTaskQueue(queue);
    Task task(page.RequestedUrl, b.dir.Str(), UnfinishedPageKind);
    task.NodeId = page.Id;
    queue.AddTask(task);
    queue.StartPolling();
    invoker.WaitServing([&] { return page.State != CaptureState::Unfinished; });
    invoker.Drain();
    EXPECT_EQ(page.State, CaptureState::Completed);
    EXPECT_EQ(Rows(page.Content.Stats), once);
}

TEST_F(Capture, TheStopCommandAndADeleteDuringCaptures) {
    TPageInfo& stopped = AddPage("/p.htm", 0x12, true);
    TPageInfo& deleted = AddPage("/p.htm", 0x13, true);
    // The page file of the old capture goes as the new one starts.
    const std::string pageFile =
        WriteNodePageFile(b.paths.BinderRoot, b.paths.BinderStore, 0x12, "<p>old</p>");
    ASSERT_EQ(pageFile, b.StoreFolder(0x12) + "/12.htm");
    controller.StartNodeCapture(stopped, false, CaptureOptions{});
    EXPECT_FALSE(std::filesystem::exists(pageFile));
    controller.StartNodeCapture(deleted, false, CaptureOptions{});
    invoker.WaitServing([this] { return stalled.load(); });
    stopped.State = CaptureState::Stopped; // the stop command
    stopped.CurrentCapture->Cancel();
    b.binder.DeleteNode(b.Tree().TopLevelItem(1)); // would wait for the stalled image if not cut
    invoker.WaitServing([&] { return stopped.CurrentCapture == nullptr; });
    EXPECT_EQ(stopped.Progress.StatusText, "Download Stopped");
    EXPECT_EQ(b.Tree().Count(), 1);
    EXPECT_FALSE(std::filesystem::exists(b.StoreFolder(0x13)));
}

TEST_F(Capture, AContentSyncLeavesTheWaitFormAlone) {
    server.Serve("/w.htm", "<title>W</title>", "text/html");
    server.Start();
    for (const bool hidden : {false, true}) {
        reports.WaitLog.clear();
        TPageInfo& page = AddPage("/w.htm", hidden ? 0x21 : 0x20);
        controller.StartNodeCapture(page, false, {.KeepWaitFormHidden = hidden});
        invoker.WaitServing([&] { return page.CurrentCapture == nullptr; });
        const bool shown = std::find(reports.WaitLog.begin(), reports.WaitLog.end(),
                                     "0 Parsing page, please wait ....") != reports.WaitLog.end();
        EXPECT_EQ(shown, !hidden) << reports.WaitLog.size();
        EXPECT_EQ(page.State, CaptureState::Completed);
    }
}

TEST_F(Capture, APageCapturedNowStoresItsLocalResourcesWithoutTheNet) {
    const std::string folder = b.dir.Str() + "/import";
    std::filesystem::create_directories(folder);
    const std::string image = std::string("GIF89a\0\xff", 8);
    WriteFileBytes(folder + "/pic.gif", image);
    TPageInfo& page = AddPage("/unused.htm", 0x22);
    page.RequestedUrl = "file://" + folder + "/a.htm";
    page.Content.FetchedText = "<p>local</p><img src=\"pic.gif\">";
    TPageInfo& empty = AddPage("/unused.htm", 0x23);
    empty.RequestedUrl = "file://" + folder + "/b.htm";

    EXPECT_TRUE(controller.CapturePageNow(page));
    EXPECT_FALSE(controller.CapturePageNow(empty));
    EXPECT_EQ(page.CurrentCapture, nullptr);
    EXPECT_EQ(page.Content.PageHtml.find(folder), std::string::npos) << page.Content.PageHtml;
    bool stored = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(b.StoreFolder(0x22))) {
        stored = stored || (entry.is_regular_file() && ReadFileBytes(entry.path()) == image);
    }
    EXPECT_TRUE(stored);
}

TEST_F(Capture, ClosingTheBinderStopsThePollerAndEveryCapture) {
    TPageInfo& polled = AddPage("/p.htm", 0x14, true);
    TPageInfo& clicked = AddPage("/s.gif", 0x15, true); // stalls before its first byte
    controller.ServeTaskQueue(queue);
    Task task(polled.RequestedUrl, b.dir.Str(), UnfinishedPageKind);
    task.NodeId = polled.Id;
    queue.AddTask(task);
    queue.StartPolling();
    invoker.WaitServing([this] { return stalled.load(); });
    controller.StartNodeCapture(clicked, false, CaptureOptions{});

    queue.Stop(); // hangs until the test times out unless the poller's capture is cut short
    controller.CancelAll();
    EXPECT_EQ(queue.At(0).State, TaskWaiting);
    EXPECT_EQ(polled.State, CaptureState::Unfinished); // taken up again at the next open
    EXPECT_TRUE(polled.Content.PageHtml.empty());
    b.Tree().Clear();
    invoker.Drain();
}

TEST_F(Capture, QueueWorksPageAndFileTasks) {
    server.Serve("/p.htm", "<title>T</title>", "text/html");
    server.Serve("/files/report.doc", std::string("DOC\0bytes", 9), "application/msword");
    server.Serve("/files/data.bin", "bin", "application/octet-stream");
    server.Serve("/doc/", "index", "text/html");
    server.Start();
    TPageInfo& page = AddPage("/p.htm", 0x16);
    const fs::path store = JoinPath(b.paths.BinderRoot, b.paths.BinderStore);
    ASSERT_TRUE(StoreAccess(b.paths.BinderRoot, b.paths.BinderStore).OpenStore(true).Valid());
    WriteFileBytes(store / "file", "x");
    const std::string folder = (store / "dl" / "sub").string();
    struct Case {
        std::string url, kind, folder;
        uint32_t node;
        int32_t state;
    };
    const std::vector<Case> cases = {
        {page.RequestedUrl, UnfinishedPageKind, b.dir.Str(), page.Id, TaskDone},
        {page.RequestedUrl, "UnfinishedHtm", b.dir.Str(), 0x99, TaskFailed}, // node gone
        {server.Url("/files/report.doc"), "doc,pdf", folder, 0, TaskDone},
        {server.Url("/files/data.bin"), "doc,pdf", folder, 0, TaskWrongType},
        {server.Url("/files/gone.doc"), "doc", folder, 0, TaskFailed},
        {server.Url("/doc/"), "doc", folder, 0, TaskFailed}, // no file name
        {server.Url("/doc/.."), "doc", folder, 0, TaskFailed},
        {server.Url("/files/report.doc"), "doc", (store / "file").string(), 0, TaskFailed},
    };
    controller.ServeTaskQueue(queue);
    for (const Case& c : cases) {
        Task task(c.url, c.folder, c.kind);
        task.NodeId = c.node;
        queue.AddTask(task);
    }
    queue.StartPolling();
    invoker.WaitServing([&] {
        return queue.At(static_cast<int>(cases.size()) - 1).State != TaskWaiting &&
               queue.At(static_cast<int>(cases.size()) - 1).State != TaskRunning;
    });
    queue.Stop();
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(queue.At(static_cast<int>(i)).State, cases[i].state) << cases[i].url;
    }
    EXPECT_EQ(page.State, CaptureState::Completed);
    EXPECT_EQ(ReadFileBytes(std::filesystem::path(folder) / "report.doc"),
              std::string("DOC\0bytes", 9));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// Closing saves every task, finished ones too; opening must not capture an archived page again.
TEST_F(Capture, ReopeningCapturesOnlyUnfinishedPages) {
    server.Serve("/kept.htm", "<p>the live site now</p>", "text/html");
    server.Serve("/open.htm", "<title>Open</title>", "text/html");
    server.Start();
    OwnBinder own{*this, MakeSetup()};
    TBinderTree& tree = own.tree;
    TBinderLifecycle& lifecycle = own.lifecycle;
    ASSERT_TRUE(lifecycle.CreateBinder(b.dir.Str(), "Kept", "", false));
    const std::string bdf = JoinPath(b.dir.Str(), "Kept.bdf");

    // Pages that completed, failed and stopped, each with a page task in every state, a page
    // that never finished, and a cancelled file task.
    TTreeNodes saved;
    std::vector<Task> tasks;
    for (int32_t state = 1; state <= 4; ++state) {
        const uint32_t id = 0x40 + static_cast<uint32_t>(state);
        TPageInfo* record = NodeRecord(AddRecord(saved, nullptr, NodeKind::WebPage, id, "P"));
        record->RequestedUrl = server.Url(state == 1 ? "/open.htm" : "/kept.htm");
        record->Content.Stats.State = state;
        record->Content.PageHtml = "<p>archived " + std::to_string(state) + "</p>";
        for (int32_t taskState = TaskDone; taskState <= TaskWrongType && state > 1; ++taskState) {
            Task task(record->RequestedUrl, b.dir.Str(), UnfinishedPageKind);
            task.NodeId = id;
            task.State = taskState;
            tasks.push_back(task);
        }
    }
    Task file(server.Url("/f.doc"), b.dir.Str(), "doc");
    file.State = TaskCancelled;
    tasks.push_back(file);
    std::vector<std::string> lines;
    for (const Task& task : tasks) {
        lines.push_back(SerializeTask(task));
    }
    WriteFileBytes(JoinPath(b.dir.Str(), "Kept.sav"), TreeFileBytes(saved));
    WriteFileBytes(bdf, WithTaskSection(ReadFileBytes(bdf), 4, lines));

    ASSERT_TRUE(lifecycle.OpenBinder(bdf));
    TPageInfo* open = FindRecordById(tree.Items(), 0x41);
    invoker.WaitServing([&] { return open->State != CaptureState::Unfinished; });
    EXPECT_EQ(open->State, CaptureState::Completed);
    // A page task queued for a finished page meanwhile is dropped when the poller reaches it.
    Task late(server.Url("/kept.htm"), b.dir.Str(), UnfinishedPageKind);
    late.NodeId = 0x42;
    const int at = queue.AddTask(late);
    invoker.WaitServing([&] {
        const Task task = queue.At(at);
        return task.NodeId != 0x42 || (task.State != TaskWaiting && task.State != TaskRunning);
    });
    EXPECT_FALSE(queue.HasPageTask(0x42));
    lifecycle.CloseBinder();

    EXPECT_EQ(log.Count("/kept.htm"), 0u);
    EXPECT_EQ(log.Count("/open.htm"), 1u);
    TTreeNodes reopened;
    TreeLoadContext context;
    LoadTreeDump(reopened, ReadFileBytes(JoinPath(b.dir.Str(), "Kept.sav")), context);
    for (int32_t state = 2; state <= 4; ++state) {
        const TPageInfo* record = FindRecordById(reopened, 0x40 + static_cast<uint32_t>(state));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->Content.PageHtml, "<p>archived " + std::to_string(state) + "</p>");
        EXPECT_EQ(record->State, static_cast<CaptureState>(state));
    }
    // The file task kept its state; the unfinished page was queued and worked.
    const std::vector<std::string> left = ParseBinderFile(ReadFileBytes(bdf)).TaskLines;
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(DeserializeTask(left[0]), file);
    EXPECT_EQ(DeserializeTask(left[1]).NodeId, 0x41u);
    EXPECT_EQ(DeserializeTask(left[1]).State, TaskDone);
}

// File tasks come from the binder file, which may come from anyone: they download only into
// the binder's store, whatever way their folder is written. Any other is refused before a
// request is made, the content-type query included.
TEST_F(Capture, FileTasksOfABinderFileDownloadOnlyInsideItsFolder) {
    for (const char* path :
         {"/abs", "/dots", "/rel", "/link", "/linksub", "/folder", "/in", "/inrel"}) {
        server.Serve(std::string(path) + "/notes.txt", std::string("theirs ") + path, "text/plain");
    }
    server.Start();
    const fs::path victim = b.dir / "victim";
    WriteFileBytes(victim / "notes.txt", "mine");
    const fs::path binder = b.dir / "binder";
    OwnBinder own{*this, MakeSetup()};
    ASSERT_TRUE(own.lifecycle.CreateBinder(binder.string(), "Files", "", false));
    const fs::path store = binder / "Filesstore";
    fs::create_directory_symlink(victim, binder / "link");
    fs::create_directory_symlink(victim, store / "link");
    struct Case {
        const char* path;
        std::string folder;
        int32_t state;
    };
    const std::vector<Case> cases = {
        {"/abs", victim.string(), TaskFailed},
        {"/dots", (store / "dl" / ".." / ".." / ".." / "victim").string(), TaskFailed},
        {"/rel", "..\\..\\victim", TaskFailed},
        {"/link", (binder / "link").string(), TaskFailed},
        {"/linksub", "link\\sub", TaskFailed},
        {"/folder", binder.string(), TaskFailed}, // the binder's folder is not its store
        {"/in", (store / "downloads").string(), TaskDone},
        {"/inrel", "more\\files", TaskDone},
    };
    std::vector<std::string> lines;
    for (const Case& c : cases) {
        lines.push_back(
            SerializeTask(Task(server.Url(std::string(c.path) + "/notes.txt"), c.folder, "txt")));
    }
    const std::string bdf = (binder / "Files.bdf").string();
    WriteFileBytes(bdf, WithTaskSection(ReadFileBytes(bdf), 0, lines));

    ASSERT_TRUE(own.lifecycle.OpenBinder(bdf));
    invoker.WaitServing([&] {
        const int32_t last = queue.At(static_cast<int>(cases.size()) - 1).State;
        return last != TaskWaiting && last != TaskRunning;
    });
    own.lifecycle.CloseBinder();

    const std::vector<std::string> saved = ParseBinderFile(ReadFileBytes(bdf)).TaskLines;
    ASSERT_EQ(saved.size(), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(DeserializeTask(saved[i]).State, c.state) << c.path;
        const size_t requests = log.Count(std::string(c.path) + "/notes.txt");
        EXPECT_EQ(requests > 0, c.state == TaskDone) << c.path << " asked " << requests;
    }
    EXPECT_EQ(ReadFileBytes(victim / "notes.txt"), "mine");
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(victim), {}), 1);
    EXPECT_FALSE(fs::exists(binder / "notes.txt"));
    EXPECT_EQ(ReadFileBytes(store / "downloads" / "notes.txt"), "theirs /in");
    EXPECT_EQ(ReadFileBytes(store / "more" / "files" / "notes.txt"), "theirs /inrel");
}

// A binder file kept among the user's own files: its tasks to ".", to a hidden folder, through a
// link in the store and onto a link at the file's own name write nothing outside the store, and
// a file already there keeps its bytes. A task that is done is not worked again at the next open.
TEST_F(Capture, FileTasksOfABinderFileAmongTheUsersFilesReplaceNothing) {
    for (const char* name : {"autostart.desktop", ".bashrc", "have.txt", "new.txt", "f.txt"}) {
        server.Serve(std::string("/") + name, std::string("theirs ") + name, "text/plain");
    }
    server.Start();
    const fs::path home = b.dir / "home";
    const fs::path secret = b.dir / "secret";
    const std::map<fs::path, std::string> users = {
        {home / ".bashrc", "my shell"},
        {home / ".config" / "autostart" / "mine.desktop", "my entry"},
        {secret / "f.txt", "secret"},
    };
    for (const auto& [path, bytes] : users) {
        WriteFileBytes(path, bytes);
    }
    OwnBinder own{*this, MakeSetup()};
    ASSERT_TRUE(own.lifecycle.CreateBinder(home.string(), "gift", "", false));
    const fs::path store = home / "giftstore";
    // "dl" is a folder an earlier task made; "mine" one the user made in the store.
    ASSERT_TRUE(MakeMarkedFolder(OpenFolderPath(store.string()).Get(), "dl").Valid());
    WriteFileBytes(store / "dl" / "have.txt", "had");
    WriteFileBytes(store / "mine" / "keep.txt", "kept");
    fs::create_directory_symlink(secret, store / "out");
    fs::create_symlink(secret / "f.txt", store / "dl" / "f.txt");
    const std::vector<std::pair<Task, int32_t>> tasks = {
        {Task(server.Url("/autostart.desktop"), ".config\\autostart", "desktop"), TaskFailed},
        {Task(server.Url("/.bashrc"), ".", "bashrc"), TaskFailed},
        {Task(server.Url("/.bashrc"), home.string(), "bashrc"), TaskFailed},
        {Task(server.Url("/f.txt"), "missing/../out", "txt"), TaskFailed},
        {Task(server.Url("/f.txt"), "out", "txt"), TaskFailed},
        {Task(server.Url("/f.txt"), "dl", "txt"), TaskDone},
        {Task(server.Url("/have.txt"), "dl", "txt"), TaskDone},
        {Task(server.Url("/new.txt"), (store / "dl").string(), "txt"), TaskDone},
        {Task(server.Url("/new.txt"), "mine", "txt"), TaskFailed},
    };
    std::vector<std::string> lines;
    for (const auto& [task, state] : tasks) {
        lines.push_back(SerializeTask(task));
    }
    const std::string bdf = (home / "gift.bdf").string();
    WriteFileBytes(bdf, WithTaskSection(ReadFileBytes(bdf), 0, lines));
    // The poller works in order: once a task added last has ended, all before it were reached.
    const auto openAndWork = [&] {
        ASSERT_TRUE(own.lifecycle.OpenBinder(bdf));
        const int last = queue.AddTask(Task(server.Url("/f.txt"), ".", "txt"));
        invoker.WaitServing([&] {
            const int32_t state = queue.At(last).State;
            return state != TaskWaiting && state != TaskRunning;
        });
        own.lifecycle.CloseBinder();
    };
    openAndWork();
    // A task that could not download keeps why, for the download manager: the folder named,
    // with what keeps it the user's.
    EXPECT_NE(queue.At(8).Failure.find("the folder " + (store / "mine").string() +
                                       " can not be used (it has no mark of the program's and "
                                       "holds keep.txt"),
              std::string::npos)
        << queue.At(8).Failure;
    EXPECT_NE(queue.At(1).Failure.find("is no folder inside the store folder " + store.string()),
              std::string::npos)
        << queue.At(1).Failure;
    const std::vector<std::string> asked = log.Paths();
    std::vector<std::string> saved = ParseBinderFile(ReadFileBytes(bdf)).TaskLines;
    ASSERT_EQ(saved.size(), tasks.size() + 1);
    saved.pop_back();
    for (size_t i = 0; i < tasks.size(); ++i) {
        EXPECT_EQ(DeserializeTask(saved[i]).State, tasks[i].second) << i;
    }
    WriteFileBytes(bdf, WithTaskSection(ReadFileBytes(bdf), 0, saved));
    openAndWork();
    EXPECT_EQ(log.Paths(), asked) << "done tasks are not fetched again";
    std::vector<std::string> again = ParseBinderFile(ReadFileBytes(bdf)).TaskLines;
    again.pop_back();
    EXPECT_EQ(again, saved);

    for (const auto& [path, bytes] : users) {
        EXPECT_EQ(ReadFileBytes(path), bytes) << path;
    }
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(secret), {}), 1);
    std::map<std::string, std::string> downloaded;
    EXPECT_EQ(SortedNames(store / "mine"), std::vector<std::string>{"keep.txt"});
    for (const auto& entry : fs::directory_iterator(store / "dl")) {
        if (entry.path().filename() == FolderMarkName) {
            continue;
        }
        downloaded[entry.path().filename().string()] =
            entry.is_symlink() ? "link" : ReadFileBytes(entry.path());
    }
    EXPECT_EQ(downloaded, (std::map<std::string, std::string>{{"f.txt", "link"},
                                                              {"f (2).txt", "theirs f.txt"},
                                                              {"have.txt", "had"},
                                                              {"have (2).txt", "theirs have.txt"},
                                                              {"new.txt", "theirs new.txt"}}));
}

namespace {

void WriteTasks(const std::string& bdf, const std::vector<Task>& tasks) {
    std::vector<std::string> lines;
    for (const Task& task : tasks) {
        lines.push_back(SerializeTask(task));
    }
    WriteFileBytes(bdf, WithTaskSection(ReadFileBytes(bdf), 0, lines));
}

bool Ended(const Task& task) {
    return task.State != TaskWaiting && task.State != TaskRunning;
}

} // namespace

// What downloads cut short by a crash left goes at the next open: the temporaries lying in the
// folders of the binder's file tasks, whatever the tasks' states, and nothing else: not a
// temporary in a folder of no task, nor one beyond a link, nor the user's files.
TEST_F(Capture, TheNextOpenRemovesOnlyTheTemporariesInTheTaskFolders) {
    server.Start();
    OwnBinder own{*this, MakeSetup()};
    ASSERT_TRUE(own.lifecycle.CreateBinder(b.dir.Str(), "Left", "", false));
    const std::string bdf = JoinPath(b.dir.Str(), "Left.bdf");
    const fs::path store = b.dir / "Leftstore";
    const std::string left = ".tarnwick-download-00000000DEADBEEF.part";
    const fs::path outside = b.dir / "outside";
    // "dl" is the folder the tasks made.
    ASSERT_TRUE(MakeMarkedFolder(OpenFolderPath(store.string()).Get(), "dl").Valid());
    for (const fs::path& folder :
         {store / "dl", store / "dl" / "sub", store / "other", store, outside}) {
        WriteFileBytes(folder / left, "cut");
    }
    WriteFileBytes(store / "dl" / "notes.txt", "mine");
    fs::create_directory_symlink(outside, store / "dl" / "linked");
    Task done(server.Url("/a.txt"), "dl", "txt");
    done.State = TaskDone;
    Task failed(server.Url("/b.txt"), "dl\\sub", "txt");
    failed.State = TaskFailed;
    WriteTasks(bdf, {done, failed, Task(server.Url("/c.txt"), "dl\\linked", "txt")});

    ASSERT_TRUE(own.lifecycle.OpenBinder(bdf));
    // Leftovers go before the first task is taken.
    invoker.WaitServing([&] { return Ended(queue.At(2)); });
    own.lifecycle.CloseBinder();

    EXPECT_FALSE(fs::exists(store / "dl" / left));
    EXPECT_FALSE(fs::exists(store / "dl" / "sub" / left));
    for (const fs::path& folder : {store / "other", store, outside}) {
        EXPECT_EQ(ReadFileBytes(folder / left), "cut") << folder;
    }
    EXPECT_EQ(ReadFileBytes(store / "dl" / "notes.txt"), "mine");
}

// A task section that cannot be written brings one message for a run of ends, not one a task:
// after a write that failed, ends are written at once again an interval later.
TEST_F(Capture, AFailedTaskSectionWriteIsTriedAgainAnIntervalLater) {
    int writes = 0;
    bool fails = true;
    CaptureSetup setup = MakeSetup();
    setup.StoreTasks = [&] {
        ++writes;
        return !fails;
    };
    CaptureController storing{setup};
    storing.ServeTaskQueue(queue);
    queue.StartPolling();
    // Each task is refused before a request: its folder lies outside the store.
    const auto endTask = [&] {
        const int at = queue.AddTask(Task("http://127.0.0.1:9/f.txt", "..\\out", "txt"));
        invoker.WaitServing([&] { return Ended(queue.At(at)); });
        EXPECT_EQ(queue.At(at).State, TaskFailed);
    };
    endTask();
    endTask();
    endTask();
    EXPECT_EQ(writes, 1);
    clockNow += CaptureSaveInterval;
    endTask();
    EXPECT_EQ(writes, 2);
    fails = false;
    clockNow += CaptureSaveInterval;
    endTask();
    endTask();
    EXPECT_EQ(writes, 4);
}

// A binder folder copied elsewhere opens where it is now, with its nodes and pages; what is
// captured and saved there goes into the copy alone, and its binder file names the copy.
TEST_F(Capture, ACopiedBinderFolderOpensWhereItIsAndLeavesTheOriginalAlone) {
    server.Serve("/a.htm", "<title>A</title><img src=a.gif>", "text/html");
    server.Serve("/a.gif", "GIF89a", "image/gif");
    server.Serve("/b.htm", "<title>B</title>", "text/html");
    server.Start();
    OwnBinder own{*this, MakeSetup()};
    const auto capture = [&](uint32_t id, const std::string& title, const std::string& path) {
        TTreeNode* node = AddRecord(own.tree.Items(), nullptr, NodeKind::WebPage, id, title);
        TPageInfo& record = *NodeRecord(node);
        record.RequestedUrl = server.Url(path);
        own.controller.StartNodeCapture(record, false, CaptureOptions{});
        invoker.WaitServing([&] { return record.CurrentCapture == nullptr; });
        EXPECT_EQ(record.State, CaptureState::Completed) << path;
    };
    const auto files = [](const fs::path& folder) {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                found[fs::relative(entry.path(), folder).string()] = ReadFileBytes(entry.path());
            }
        }
        return found;
    };
    const fs::path original = b.dir / "original";
    ASSERT_TRUE(own.lifecycle.CreateBinder(original.string(), "Mine", "", false));
    ASSERT_TRUE(own.lifecycle.OpenBinder((original / "Mine.bdf").string()));
    capture(0xA1, "A", "/a.htm");
    own.lifecycle.CloseBinder();
    const fs::path copy = b.dir / "copy";
    fs::copy(original, copy, fs::copy_options::recursive);
    const std::map<std::string, std::string> before = files(original);
    const std::string picture = "Minestore/A1/" + HostFolder(server) + "/a.gif";
    ASSERT_EQ(before.at(picture), "GIF89a");

    const std::string bdf = (copy / "Mine.bdf").string();
    ASSERT_TRUE(own.lifecycle.OpenBinder(bdf));
    EXPECT_EQ(TreeShape(own.tree.Items()), "A#A1");
    EXPECT_EQ(ReadFileBytes(fs::path(JoinPath(b.paths.BinderRoot, b.paths.BinderStore)) / "A1" /
                            HostFolder(server) / "a.gif"),
              "GIF89a");
    capture(0xB2, "B", "/b.htm");
    own.lifecycle.CloseBinder();

    EXPECT_EQ(files(original), before);
    EXPECT_EQ(DecodeBinderValue(ParseBinderFile(ReadFileBytes(bdf)).Root), copy.string());
    TTreeNodes saved;
    TreeLoadContext context;
    LoadTreeDump(saved, ReadFileBytes(copy / "Mine.sav"), context);
    EXPECT_EQ(TreeShape(saved), "A#A1,B#B2");
    ClearTree(saved);
}

// A file task's download past the bound is cut where the bound is, fails and leaves no file;
// one of exactly the bound is stored. Unless set otherwise, the bound is that of resources.
TEST_F(Capture, AFileTaskPastTheBoundFailsAndLeavesNoFile) {
    constexpr size_t MiB = size_t{1} << 20;
    constexpr size_t Bound = MiB;
    SizedBodyServer bodies;
    CaptureSetup setup = MakeSetup();
    EXPECT_EQ(setup.Http.MaxBodySize, MaxResourceSize);
    setup.Http.MaxBodySize = Bound;
    CaptureController bounded{setup};
    bounded.ServeTaskQueue(queue);
    const fs::path folder = fs::path(JoinPath(b.paths.BinderRoot, b.paths.BinderStore)) / "dl";
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"/endless/e.zip", TaskFailed},
        {"/" + std::to_string(Bound + 1) + "/o.zip", TaskFailed},
        {"/" + std::to_string(Bound) + "/x.zip", TaskDone},
    };
    for (const auto& [path, state] : cases) {
        queue.AddTask(Task(bodies.Url(path), folder.string(), "zip"));
    }
    queue.StartPolling();
    invoker.WaitServing([&] {
        const int32_t last = queue.At(static_cast<int>(cases.size()) - 1).State;
        return last != TaskWaiting && last != TaskRunning;
    });
    queue.Stop();
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(queue.At(static_cast<int>(i)).State, cases[i].second) << cases[i].first;
        // The bound, and what the sockets of both ends buffer, for the type query and the
        // download together.
        EXPECT_LE(bodies.Taken(cases[i].first), Bound + 32 * MiB) << cases[i].first;
    }
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        files.push_back(fs::relative(entry.path(), folder).string());
    }
    std::erase(files, std::string(FolderMarkName)); // the folder is the program's
    EXPECT_EQ(files, std::vector<std::string>{"x.zip"});
    EXPECT_EQ(ReadFileBytes(folder / "x.zip"), std::string(Bound, 'b'));
}

TEST_F(Capture, ASearchRunsCleanWhileACaptureWorks) {
    TPageInfo& busy = AddPage("/p.htm", 0x15, true);
    TPageInfo& done = AddPage("/done.htm", 0x16);
    done.Title = "Done";
    done.Content.PageHtml = "<meta name=\"k\" content=\"tea\"><a href=\"x.htm\">x</a> green";
    controller.StartNodeCapture(busy, false, CaptureOptions{});
    invoker.WaitServing([this] { return stalled.load(); });
    TSearchCriteria criteria;
    criteria.FullText = "green";
    criteria.Meta = "tea";
    criteria.Links = "/x.htm";
    for (int round = 0; round < 20; ++round) {
        TSearchResult result;
        AdvancedSearch(b.Tree(), 0, criteria, PageHyperlinks, result);
        ASSERT_EQ(result.Titles.Texts(), std::vector<std::string>{"Done"});
    }
    // The links were collected for the search only.
    EXPECT_TRUE(done.Content.Links.empty());
    release = true;
    invoker.WaitServing([&] { return busy.CurrentCapture == nullptr; });
}

TEST(CaptureFinished, SetsStateTextAndStatisticsByOutcome) {
    struct Case {
        CaptureState before;
        std::string fetched;
        CaptureState after;
        const char* text;
        uint8_t reload;
    };
    const Case cases[] = {
        {CaptureState::Unfinished, "<html>", CaptureState::Completed, "Download Finished", 1},
        {CaptureState::Unfinished, "", CaptureState::Failed, "Download Failed", 1},
        {CaptureState::Stopped, "<html>", CaptureState::Stopped, "Download Stopped", 0},
    };
    for (const Case& c : cases) {
        BinderFixture f;
        TTreeNode* node = AddRecord(f.Tree(), nullptr, NodeKind::WebPage, 0x80000001u, "P");
        TPageInfo* record = NodeRecord(node);
        NoticeRecorder notices(f.Tree());
        record->State = c.before;
        record->Content.FetchedText = c.fetched;
        record->ViewFlags = 0;
        record->Reload = 7;
        OnCaptureFinished(f.binder, 0x80000001u);
        EXPECT_EQ(record->State, c.after) << c.text;
        EXPECT_EQ(record->Content.Stats.State, static_cast<int32_t>(c.after)) << c.text;
        EXPECT_EQ(record->Progress.StatusText, c.text);
        EXPECT_EQ(record->Reload, c.reload) << c.text;
        EXPECT_EQ(record->ViewFlags, 0x100u);
        EXPECT_TRUE(f.binder.BinderDirty);
        EXPECT_EQ(notices.Seen, std::vector<std::string>{"data P"});
    }
}

TEST(CaptureFinished, IgnoresUnknownIds) {
    BinderFixture f;
    AddRecord(f.Tree(), nullptr, NodeKind::WebPage, 0x42, "P");
    NoticeRecorder notices(f.Tree());
    OnCaptureFinished(f.binder, 0x99); // the node was deleted meanwhile
    EXPECT_FALSE(f.binder.BinderDirty);
    EXPECT_TRUE(notices.Seen.empty());
}
