// The main window's parts working together: the views and the status panels follow the tree
// without a click, the Delete key, the progress panel, the node buttons, the busy animation,
// the address box, the folder summary, and a whole tree read at once.
#include "app/binder/PageInfo.h"
#include "app/binder/SummaryPages.h"
#include "app/binder/TreeFile.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/ui/BinderTreeView.h"
#include "platform/base/Files.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/platform_browser/BrowserTestSupport.h"
#include "tests/support/FormControls.h"

#include <QAction>
#include <QComboBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <gtest/gtest.h>

#include <optional>

#include <filesystem>

namespace {

const std::string Blank(10, ' ');

} // namespace

TEST(MainWindowParts, ViewsAndPanelsFollowTheTreeWithoutAClick) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* folder = rig.Add(NodeKind::Folder, "f");
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://a.example/");
    TTreeNode* link = rig.Add(NodeKind::Link, "l");
    NodeRecord(page)->State = CaptureState::Completed;
    window.Binder().Items().SetSelected(page);
    EXPECT_EQ(rig.Panel(4), "Node 2 / 3");

    // A new folder and a pasted copy are on screen at once.
    window.Binder().Items().SetSelected(folder);
    window.Actions().Action(TMainAction::FileNewFolder)->trigger();
    EXPECT_EQ(rig.Panel(4), "Node 2 / 4");
    EXPECT_EQ(rig.Panel(1), "Folder");
    window.Binder().Items().SetSelected(link);
    window.Actions().Action(TMainAction::EditCopy1)->trigger();
    window.Binder().Items().SetSelected(folder);
    window.Actions().Action(TMainAction::EditPaste1)->trigger();
    EXPECT_EQ(window.Binder().Items().Count(), 5);
    EXPECT_EQ(rig.Panel(4), "Node 3 / 5");
    EXPECT_EQ(rig.Panel(1), "Link");

    // The browse view shows the page's address once the browser leaves for it.
    window.Binder().Items().SetSelected(page);
    window.ViewsPane().Views().WebBrowserNavigateComplete2("http://a.example/next");
    EXPECT_EQ(window.ViewsPane().ComboBox1().currentText(), "http://a.example/next");

    // Closing the binder leaves nothing of it on screen.
    rig.Lifecycle.CloseBinder();
    EXPECT_EQ(rig.Panel(4), Blank);
    EXPECT_EQ(rig.Panel(1), Blank);
    EXPECT_EQ(window.ViewsPane().ComboBox1().currentText(), "");
    EXPECT_EQ(window.ViewsPane().ActivePage(), ViewPage::Browse);
    EXPECT_FALSE(window.ViewsPane().isTabVisible(static_cast<int>(ViewPage::Summary)));
}

// The edit commands and the caption follow what the binder document announces: a node in a
// slot, a paste, a binder read or closed.
TEST(MainWindowParts, EditCommandsAndCaptionFollowTheBinderDocument) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* folder = rig.Add(NodeKind::Folder, "f");
    TTreeNode* link = rig.Add(NodeKind::Link, "l");
    const auto on = [&](TMainAction action) {
        return window.Actions().Action(action)->isEnabled();
    };
    window.Binder().Items().SetSelected(folder);
    window.Actions().Action(TMainAction::EditCut1)->trigger();
    EXPECT_TRUE(on(TMainAction::EditPaste1));
    EXPECT_TRUE(on(TMainAction::ToolButton11));
    EXPECT_FALSE(on(TMainAction::EditCut1));
    EXPECT_FALSE(on(TMainAction::EditCopy1));
    EXPECT_FALSE(on(TMainAction::EditDelete1));

    window.Binder().Items().SetSelected(link);
    window.Actions().Action(TMainAction::ToolButton11)->trigger();
    EXPECT_EQ(window.Binder().Items().GetFirstNode(), folder); // moved before the link
    EXPECT_FALSE(on(TMainAction::EditPaste1));
    EXPECT_FALSE(on(TMainAction::ToolButton11));

    window.Actions().Action(TMainAction::EditCopy1)->trigger();
    ASSERT_TRUE(on(TMainAction::EditPaste1));
    ClearTree(window.Binder().Items());
    rig.Paths.BinderName = "My%20Notes";
    rig.Paths.TreeFilePath = JoinPath(rig.Folder.Str(), "none.sav");
    window.TreeCommands().LoadBinderTree();
    EXPECT_EQ(window.windowTitle(), "Tarnwick - My Notes");
    EXPECT_FALSE(on(TMainAction::EditPaste1));
    EXPECT_TRUE(on(TMainAction::ToolButton11)); // a read leaves the paste button as it was

    window.Binder().CloseTree();
    EXPECT_EQ(window.windowTitle(), "Tarnwick");
}

TEST(MainWindowParts, DeleteKeyDeletesInTheTreeOnly) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    rig.Settings.AskBeforeDelete = false;
    rig.Add(NodeKind::Folder, "a");
    TTreeNode* b = rig.Add(NodeKind::Folder, "b");
    window.Binder().Items().SetSelected(b);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TBinderTreeView& tree = window.TreePane().TreeView1();
    tree.setFocus();
    QTest::keyClick(&tree, Qt::Key_Delete);
    EXPECT_EQ(window.Binder().Items().Count(), 1);
    EXPECT_EQ(rig.Panel(4), "Node 1 / 1");

    // The same key in the address box is the box's own.
    auto* address = window.ViewsPane().findChild<QComboBox*>("ComboBox1");
    ASSERT_NE(address, nullptr);
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Delete);
    EXPECT_EQ(window.Binder().Items().Count(), 1);
}

TEST(MainWindowParts, ProgressPanelShowsOnlyWhileAPageLoads) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    const TMarkupStatusPanel& progress = window.StatusBar().Bar().Panels()[3];
    bool loaded = false;
    window.ViewsPane().WebBrowser().OnDocumentComplete = [&](const std::string&, bool) {
        loaded = true;
    };
    window.ViewsPane().WebBrowser().LoadHtml("<p>page</p>", "", HtmlEncoding::BrowserDefault);
    ASSERT_TRUE(WaitUntil([&] { return loaded; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(progress.Style(), TMarkupStatusPanelStyle::psHTML);
    EXPECT_EQ(progress.Text(), Blank);

    window.StatusBar().WebBrowserProgressChange(40, 100);
    EXPECT_EQ(progress.Style(), TMarkupStatusPanelStyle::psProgress);
    window.StatusBar().WebBrowserProgressChange(-1, 100);
    EXPECT_EQ(progress.Style(), TMarkupStatusPanelStyle::psHTML);
}

TEST(MainWindowParts, NodeButtonsWalkTheTreeAndTheAnimationFollowsTheCapture) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* a = rig.Add(NodeKind::Folder, "a");
    TTreeNode* b = rig.Add(NodeKind::Notes, "b", a);
    TTreeNode* c = rig.Add(NodeKind::WebPage, "http://c.example/");
    NodeRecord(c)->State = CaptureState::Unfinished;
    TTreeNodes& nodes = window.Binder().Items();
    QAction* down = window.Actions().Action(TMainAction::SpeedButton4);
    QAction* up = window.Actions().Action(TMainAction::SpeedButton5);

    nodes.SetSelected(a);
    down->trigger();
    EXPECT_EQ(nodes.Selected(), b); // into the folder, in tree order
    up->trigger();
    up->trigger(); // no further than the first node
    EXPECT_EQ(nodes.Selected(), a);

    // The page under capture shown in the browse view: the animation runs until it stops.
    window.ViewsPane().Views().ViewBrowserExecute();
    down->trigger();
    down->trigger();
    down->trigger();
    EXPECT_EQ(nodes.Selected(), c);
    EXPECT_TRUE(window.Actions().AnimationRunning());
    window.ToolButton13Click();
    EXPECT_FALSE(window.Actions().AnimationRunning());
}

namespace {

// How much wider than the view the summary page is, in pixels.
const char* const PageOverflowScript =
    "document.documentElement.scrollWidth - document.documentElement.clientWidth";

// The number a script gives about the summary of `node` in the summary browser of a window of
// the default size.
int SummaryMeasure(MainWindowRig& rig, const TTreeNode& node, TSummaryTemplates& templates,
                   const std::string& work, const char* script) {
    TFormVelmorRnx& window = rig.Window ? *rig.Window : rig.Make();
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    TWebBrowser& summary = window.ViewsPane().CppWebBrowser1();
    bool loaded = false;
    summary.OnDocumentComplete = [&](const std::string&, bool) { loaded = true; };
    summary.LoadHtml(NodeSummaryHtml(node, templates), SummaryCommonUrl(work), HtmlEncoding::Utf8);
    EXPECT_TRUE(WaitUntil([&] { return loaded; }));
    summary.OnDocumentComplete = nullptr;
    std::optional<int> measured;
    summary.Page()->runJavaScript(script,
                                  [&](const QVariant& result) { measured = result.toInt(); });
    EXPECT_TRUE(WaitUntil([&] { return measured.has_value(); }));
    return measured.value_or(1 << 20);
}

} // namespace

TEST(MainWindowParts, FolderSummaryFitsTheDefaultWidth) {
    MainWindowRig rig;
    TempDir work;
    std::filesystem::copy(TARNWICK_COMMON_DIR, work / "common");
    TTreeNodes nodes;
    auto folder = std::make_unique<TPageInfo>();
    folder->Kind = NodeKind::Folder;
    TTreeNode* top = nodes.AddChildObject(nullptr, "f", std::move(folder));
    for (int i = 0; i < 3; ++i) {
        auto page = std::make_unique<TPageInfo>();
        page->Kind = NodeKind::WebPage;
        page->Title = "A page with a long title " + std::string(40, 'T');
        page->RequestedUrl = "http://www.example.com/" + std::string(120, 'u') + ".html";
        page->CreateDate = "2024-05-06 07:08:09";
        const std::string title = page->Title;
        nodes.AddChildObject(top, title, std::move(page));
    }
    TSummaryTemplates templates(work.Str());

    EXPECT_LE(SummaryMeasure(rig, *top, templates, work.Str(), PageOverflowScript), 0);
}

TEST(MainWindowParts, PageSummaryShareBarsStayInTheirColumn) {
    MainWindowRig rig;
    TempDir work;
    std::filesystem::copy(TARNWICK_COMMON_DIR, work / "common");
    TTreeNodes nodes;
    auto page = std::make_unique<TPageInfo>();
    page->Kind = NodeKind::WebPage;
    page->Title = "Captured";
    page->RequestedUrl = "http://www.example.com/page.html";
    page->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
    page->Content.Stats.Groups[0] = {3, 190, 7};
    page->Content.Stats.Groups[1] = {0, 0, 1};
    TTreeNode* node = nodes.AddChildObject(nullptr, "p", std::move(page));
    TSummaryTemplates templates(work.Str());
    // How far the furthest bar reaches past the right edge of its cell, in pixels.
    const char* const barOverflow =
        "(() => { let worst = -1e9; for (const b of document.querySelectorAll('.bar')) {"
        " const cell = b.closest('td').getBoundingClientRect();"
        " worst = Math.max(worst, b.getBoundingClientRect().right - cell.right); }"
        " return Math.round(worst); })()";
    EXPECT_LE(SummaryMeasure(rig, *node, templates, work.Str(), barOverflow), 0);
    EXPECT_LE(SummaryMeasure(rig, *node, templates, work.Str(), PageOverflowScript), 0);
    // Shrunk together: the bar of 190 stays wider than the one of 7.
    EXPECT_GT(SummaryMeasure(rig, *node, templates, work.Str(),
                             "Math.round(document.querySelector('.cache').offsetWidth -"
                             " document.querySelector('.failed').offsetWidth)"),
              0);
}

// A summary is a page of the program's own: its text is read as UTF-8 whatever 8-bit
// encoding the browser reads other pages in.
TEST(MainWindowParts, ASummaryShowsItsTitleWhateverTheBrowsersDefaultEncoding) {
    MainWindowRig rig;
    TempDir work;
    std::filesystem::copy(TARNWICK_COMMON_DIR, work / "common");
    rig.Settings.WorkDir = work.Str();
    TFormVelmorRnx& window = rig.Make();
    const std::string title = "A \xE2\x80\x94 \xC3\xA9"; // "A — é"
    TTreeNode* node = rig.Add(NodeKind::WebPage, title);
    NodeRecord(node)->State = CaptureState::Completed;
    TWebBrowser& summary = window.ViewsPane().CppWebBrowser1();
    summary.SetTextEncoding("windows-1252");

    window.ViewsPane().ShowNodeSummary(*node);
    QString heading;
    EXPECT_TRUE(WaitUntil([&] {
        heading = RunScript(summary, "(() => { const h = document.querySelector('h1');"
                                     " return h ? h.innerText : ''; })()")
                      .toString();
        return !heading.isEmpty();
    }));
    EXPECT_EQ(heading.toStdString(), title);
}

// A binder's tree reaches the window as one new tree: the views and the status panels are
// refreshed once for all of it, not once per node read, and the tree view shows all of it.
TEST(MainWindowParts, ALoadedTreeReachesTheWindowAtOnce) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    constexpr int Pages = 300;
    {
        TTreeNodes written;
        auto site = std::make_unique<TPageInfo>();
        site->Kind = NodeKind::Folder;
        site->Title = "site";
        TTreeNode* folder = written.AddChildObject(nullptr, "site", std::move(site));
        for (int p = 0; p < Pages; ++p) {
            auto page = std::make_unique<TPageInfo>();
            page->Title = "page " + std::to_string(p);
            page->RequestedUrl = "http://a.example/" + std::to_string(p) + ".htm";
            page->State = CaptureState::Completed;
            const std::string title = page->Title;
            written.AddChildObject(folder, title, std::move(page));
        }
        rig.Paths.TreeFilePath = JoinPath(rig.Folder.Str(), "site.sav");
        WriteFileBytes(rig.Paths.TreeFilePath, TreeFileBytes(written));
        ClearTree(written);
    }
    window.show();
    QCoreApplication::processEvents();
    const QAbstractItemModel* model = window.TreePane().TreeView1().model();
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    QSignalSpy refreshed(&window.ViewsPane(), &TViewsPane::Refreshed);

    EXPECT_EQ(window.TreeCommands().LoadBinderTree(), TreeLoadResult::Loaded);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(refreshed.count(), 1);
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->rowCount(model->index(0, 0)), Pages);
    // Pages are listed by their address in the window's default list mode.
    EXPECT_EQ(model->index(Pages - 1, 0, model->index(0, 0)).data().toString(),
              QString("http://a.example/%1.htm").arg(Pages - 1));
    // The first node is shown, in the tree view as in the panels.
    EXPECT_EQ(window.TreePane().TreeView1().currentIndex(), model->index(0, 0));
    EXPECT_EQ(rig.Panel(4), "Node 1 / " + std::to_string(Pages + 1));
    EXPECT_EQ(rig.Panel(1), "Folder");
}

// Pages a capture adds beside the shown one are counted at once, and a node put before it
// moves its position.
TEST(MainWindowParts, PositionPanelFollowsNodesAddedBesideTheShownOne) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* folder = rig.Add(NodeKind::Folder, "site");
    TTreeNode* root = rig.Add(NodeKind::WebPage, "http://a.example/", folder);
    rig.Add(NodeKind::Notes, "after");
    TTreeNodes& nodes = window.Binder().Items();
    nodes.SetSelected(root);
    ASSERT_EQ(rig.Panel(4), "Node 2 / 3");

    for (const char* url : {"http://a.example/1", "http://a.example/2"}) {
        auto page = std::make_unique<TPageInfo>();
        page->RequestedUrl = url;
        page->Title = url;
        ASSERT_TRUE(window.Binder().AddPageBeside(*NodeRecord(root), std::move(page)));
    }
    EXPECT_EQ(rig.Panel(4), "Node 2 / 5");
    EXPECT_EQ(nodes.Selected(), root);

    rig.Add(NodeKind::Link, "before");
    nodes.TopLevelItem(2)->MoveTo(folder, TNodeAttachMode::naInsert);
    EXPECT_EQ(rig.Panel(4), "Node 3 / 6");
    nodes.GetFirstNode()->Delete();
    EXPECT_EQ(rig.Panel(4), "Node 2 / 5");
}
