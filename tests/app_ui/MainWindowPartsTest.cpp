// The main window's parts working together: the views and the status panels follow the tree
// without a click, the Delete key, the progress panel, the node buttons, the busy animation,
// the address box and the folder summary.
#include "app/binder/PageInfo.h"
#include "app/binder/SummaryPages.h"
#include "app/ui/BinderTreeView.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FormControls.h"

#include <QAction>
#include <QComboBox>
#include <QProgressBar>
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
    window.ViewsPane().WebBrowser().LoadHtml("<p>page</p>", "");
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
    summary.LoadHtml(NodeSummaryHtml(node, templates), SummaryCommonUrl(work));
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
