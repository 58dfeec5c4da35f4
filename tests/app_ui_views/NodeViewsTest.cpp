#include "app/ui/views/NodeViews.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "platform/base/TreeNode.h"

#include "FakeViews.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct Views {
    TempDir dir;
    TTreeNodes tree;
    BinderPaths paths;
    TSettings settings = DefaultSettings("/start");
    FakeViewsWindow window;
    FakeBrowser browser;
    TNodeViews views{
        tree, paths, settings, window, browser, "/start", "Page Content Not Available"};

    Views() {
        paths.BinderRoot = dir.Str();
        settings.ShowPageViaFile = false;
    }
    TPageInfo& Add(NodeKind kind, uint32_t id, TTreeNode* parent = nullptr) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = kind;
        record->Id = id;
        record->Title = "Item";
        record->RequestedUrl = "http://a.test/" + std::to_string(id);
        TPageInfo& ref = *record;
        tree.AddChildObject(parent, "Item", std::move(record));
        return ref;
    }
    void Select(int index) {
        tree.SetSelected(tree.Item(index));
        views.TreeView1Click();
    }
};

} // namespace

TEST(NodeViews, EachKindShowsItsTabsCommandsAndStatus) {
    Views v;
    v.Add(NodeKind::Folder, 1);
    v.Add(NodeKind::WebPage, 2).State = CaptureState::Completed;
    v.Add(NodeKind::Notes, 3);
    v.Add(NodeKind::Link, 4);
    v.tree.AddChild(nullptr, "no record");
    const struct {
        int index;
        std::string tabs, kind;
        bool newNode, refresh, changeUrlMenu, saveHtml, viewBrowser;
    } cases[] = {
        {2, "-N--", "Notes Document ", false, false, true, false, false},
        {0, "SN--", "Folder", true, false, false, true, false}, // after notes: the summary again
        {1, "SNBD", " WebPage", false, true, true, true, true},
        {3, "SN--", "Link", false, false, true, false, false},
        {4, "SN--", "Unknow", false, false, false, false, false}, // views of the last node stay
    };
    for (const auto& c : cases) {
        v.Select(c.index);
        SCOPED_TRACE(c.index);
        EXPECT_EQ(v.window.Tabs(), c.tabs);
        EXPECT_EQ(v.window.Panels[1], c.kind);
        EXPECT_EQ(v.window.Panels[4], "Node " + std::to_string(c.index + 1) + " / 5");
        EXPECT_EQ(v.window.Enabled[ViewCommand::FileNewNode], c.newNode);
        EXPECT_EQ(v.window.Enabled[ViewCommand::ToolRefresh], c.refresh);
        EXPECT_EQ(v.window.Enabled[ViewCommand::ToolChangeURL1], c.changeUrlMenu);
        EXPECT_EQ(v.window.Enabled[ViewCommand::FileSaveHtml], c.saveHtml);
        EXPECT_EQ(v.window.Enabled[ViewCommand::ViewBrowser], c.viewBrowser);
    }
}

TEST(NodeViews, PageSourceFollowsTheCaptureState) {
    BinderPaths paths;
    paths.BinderRoot = "/b/root";
    paths.BinderStore = "st";
    const PageSourceSettings settings{false, true, "/start", "<html><title>N</title>x</html>"};
    TPageInfo page;
    page.Id = 0xAB;
    page.Content.PageHtml = "<html><title>T</title><script>x()</script>body</html>";
    PageSource s = ChoosePageSource(page, paths, settings);
    EXPECT_TRUE(s.Stored);
    EXPECT_EQ(s.Html, "<html><title>T</title><base href=\"file:///b/root/st/AB/\">body</html>");

    page.Content.PageHtml = "null";
    page.Content.FetchedText = "so far";
    page.State = CaptureState::Unfinished;
    EXPECT_EQ(ChoosePageSource(page, paths, settings).Html, "so far");
    page.State = CaptureState::Failed;
    s = ChoosePageSource(page, paths, settings);
    EXPECT_FALSE(s.Stored);
    EXPECT_EQ(s.Html, "<html><title>N</title><base href=\"file:///start/common/\">x</html>");
}

// A "#", "?", "%" or blank in a folder name is part of the path in every address of a stored
// page; the captured page is read as the browser reads pages, the program's own page as UTF-8.
TEST(NodeViews, AddressesOfStoredPagesKeepTheirFolderNamesWhole) {
    BinderPaths paths;
    paths.BinderRoot = "/b/a#b?c %41";
    paths.BinderStore = "st&1";
    const PageSourceSettings settings{false, false, "/s\"t", "<title>N</title>x"};
    TPageInfo page;
    page.Id = 0xAB;
    page.Content.PageHtml = "<title>T</title>body";
    PageSource s = ChoosePageSource(page, paths, settings);
    EXPECT_EQ(s.BaseUrl, "file:///b/a%23b%3Fc%20%2541/st%261/AB/");
    EXPECT_EQ(s.Html, "<title>T</title><base href=\"file:///b/a%23b%3Fc%20%2541/st%261/AB/\">body");
    EXPECT_EQ(s.Encoding, HtmlEncoding::BrowserDefault);

    page.Content.PageHtml.clear();
    page.State = CaptureState::Completed;
    s = ChoosePageSource(page, paths, settings);
    EXPECT_EQ(s.BaseUrl, "file:///s%22t/common/");
    EXPECT_EQ(s.Html, "<title>N</title><base href=\"file:///s%22t/common/\">x");
    EXPECT_EQ(s.Encoding, HtmlEncoding::Utf8);

    // Through the page file: the browser is sent to the file's encoded address.
    Views v;
    v.paths.BinderRoot = (v.dir / "a#b?c %41").string();
    std::filesystem::create_directories(
        v.paths.BinderRoot); // the binder's folder holds its binder file
    v.settings.ShowPageViaFile = true;
    TPageInfo& stored = v.Add(NodeKind::WebPage, 0x1F);
    stored.State = CaptureState::Completed;
    stored.Content.PageHtml = "<html>p</html>";
    v.views.TabSheet1Show();
    v.Select(0);
    EXPECT_EQ(v.browser.Calls.back(),
              "nav:file://" + v.dir.Str() + "/a%23b%3Fc%20%2541/store/1F/1F.htm");
    EXPECT_EQ(ReadFileBytes(v.dir / "a#b?c %41/store/1F/1F.htm"), "<html>p</html>");

    // The empty state is the program's own page too.
    v.tree.Clear();
    v.views.TreeView1Click();
    ASSERT_FALSE(v.browser.Encodings.empty());
    EXPECT_EQ(v.browser.Calls.back(), "html:");
    EXPECT_EQ(v.browser.Encodings.back(), HtmlEncoding::Utf8);
}

// A page whose node folder the program did not make (a binder from before folders were marked,
// or a folder of the user's that a binder file names) is shown from memory, its folder its base:
// the page file there is neither written nor removed, not even by a refresh.
TEST(NodeViews, APageInAFolderTheProgramDidNotMakeIsShownWithoutWritingThere) {
    Views v;
    v.settings.ShowPageViaFile = true;
    const std::filesystem::path folder = v.dir / "store" / "1F";
    WriteFileBytes(folder / "1F.htm", "an older copy");
    WriteFileBytes(folder / "photo.jpg", "mine");
    TPageInfo& page = v.Add(NodeKind::WebPage, 0x1F);
    page.State = CaptureState::Completed;
    page.Content.PageHtml = "<html>p</html>";
    v.views.TabSheet1Show();
    v.Select(0);
    v.views.Refresh();
    const std::string shown = "html:file://" + folder.string() + "/";
    EXPECT_EQ(v.browser.Calls, (std::vector<std::string>{shown, shown}));
    EXPECT_EQ(ReadFileBytes(folder / "1F.htm"), "an older copy");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 2);
}

TEST(NodeViews, AStoredPageIsShownOnceOfflineUntilItMustReload) {
    Views v;
    TPageInfo& page = v.Add(NodeKind::WebPage, 0x1F);
    page.State = CaptureState::Completed;
    page.Content.PageHtml = "<html>p</html>";
    v.views.TabSheet1Show();
    v.Select(0);
    v.Select(0);
    EXPECT_EQ(v.browser.Calls,
              std::vector<std::string>{"html:file://" + v.dir.Str() + "/store/1F/"});
    EXPECT_TRUE(v.browser.IsOffline);
    EXPECT_EQ(page.Progress.StatusText, "Capture Completed");
    page.Reload = 1;
    v.Select(0);
    EXPECT_EQ(v.browser.Calls.size(), 2u);

    // Through a file: written to the node folder and opened; a refresh removes it.
    v.settings.ShowPageViaFile = true;
    page.Reload = 1;
    v.Select(0);
    const std::string file = v.dir.Str() + "/store/1F/1F.htm";
    EXPECT_EQ(v.browser.Calls.back(), "nav:file://" + file);
    EXPECT_EQ(ReadFileBytes(file), "<html>p</html>");
    WriteFileBytes(file, "stale");
    v.views.Refresh();
    EXPECT_EQ(ReadFileBytes(file), "<html>p</html>");
}

TEST(NodeViews, OnlineNavigationAndBack) {
    Views v;
    TPageInfo& page = v.Add(NodeKind::WebPage, 2);
    page.State = CaptureState::Failed;
    v.Select(0);
    for (const char* local : {"about:blank", "file:///x/y.htm", "data:text/html,x"}) {
        v.views.WebBrowserNavigateComplete2(local);
    }
    EXPECT_EQ(page.NavCount, 0);
    EXPECT_EQ(page.ViewFlags & ViewFlagOnline, 0u);

    v.browser.IsOffline = false;
    v.views.WebBrowserNavigateComplete2("http://a.test/next");
    v.views.WebBrowserNavigateComplete2("http://a.test/more");
    EXPECT_EQ(page.NavCount, 2);
    EXPECT_NE(page.ViewFlags & ViewFlagOnline, 0u);
    EXPECT_EQ(v.window.Panels[2], OnlineModeStatus);

    v.browser.Location = "http://a.test/next";
    v.views.NavigateBack();
    EXPECT_EQ(v.browser.Calls.back(), "back");
    EXPECT_EQ(page.NavCount, 0);
    EXPECT_EQ(v.window.Address, "http://a.test/next");

    // Back at a count below 2 shows the stored page again and keeps the failed state.
    v.views.WebBrowserNavigateComplete2("http://a.test/next");
    v.views.NavigateBack();
    EXPECT_EQ(page.NavCount, 0);
    EXPECT_EQ(page.State, CaptureState::Failed);
    EXPECT_EQ(v.window.Panels[2], "Capture Failed");
    EXPECT_EQ(v.browser.Calls.back().rfind("html:", 0), 0u);
    EXPECT_FALSE(v.window.Enabled[ViewCommand::NavigateBack]);
}

TEST(NodeViews, ChangeUrl) {
    Views v;
    v.Add(NodeKind::Folder, 1);
    v.Add(NodeKind::Folder, 2);
    TPageInfo& page = v.Add(NodeKind::WebPage, 3);
    v.Select(2);
    v.views.ChangeUrlAccepted("http://b.test/");
    EXPECT_EQ(page.RequestedUrl, "http://b.test/");
    EXPECT_EQ(v.window.Captures, 1);
}
