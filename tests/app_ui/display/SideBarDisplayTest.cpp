// The side bar of the running window on a real display: caption clicks switch and fill the
// panels, a search shows its results, and a click on a result shows its page.
#include "app/binder/BinderHeader.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/dialogs/OKRightDlg.h"
#include "platform/base/Files.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/ScreenPixels.h"
#include "tests/app_ui/display/Screenshot.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWebEnginePage>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

QPoint Middle(const TRect& r) {
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// The lightness of the pixels the screen shows in a rectangle of a widget, sorted.
std::vector<int> ScreenLightness(QWidget& widget, const TRect& r) {
    const QImage shot = ScreenPixels(widget, QRect(r.Left, r.Top, r.Width(), r.Height()));
    std::vector<int> lightness;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            lightness.push_back(QColor(shot.pixel(x, y)).lightness());
        }
    }
    std::sort(lightness.begin(), lightness.end());
    return lightness;
}

} // namespace

TEST(SideBarDisplay, ClosedCaptionsAndListsAreReadable) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make({"tarnwick", "/nodde"});
    ASSERT_TRUE(window.FormCreate(nullptr));
    rig.Lifecycle.Open = true;
    rig.Settings.ListMode = 0;
    for (const char* title : {"First page", "Second page"}) {
        rig.Add(NodeKind::WebPage, title);
    }
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TShelfBarTqz& bar = window.TreePane().ShelfBar1();
    QTest::qWait(200);

    // A closed caption, inside its bevel: dark letters on its light shade.
    TRect inner = bar.GetCaptionRect(&bar.Panels()[2]);
    inner = {inner.Left + 4, inner.Top + 3, inner.Right - 4, inner.Bottom - 3};
    const std::vector<int> caption = ScreenLightness(bar, inner);
    ASSERT_FALSE(caption.empty());
    EXPECT_GE(caption[caption.size() / 2], 150);
    EXPECT_LE(caption.front(), 90);

    // The pages list: dark letters on a light ground.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, Middle(bar.GetCaptionRect(&bar.Panels()[1])));
    ASSERT_TRUE(WaitUntil([&] { return window.SideBar().TopPanel() == PagesListPanel; }));
    ASSERT_EQ(bar.Panels()[1].Items().Count(), 2);
    QTest::qWait(200);
    const std::vector<int> item =
        ScreenLightness(bar, bar.GetItemRect(&bar.Panels()[1], &bar.Panels()[1].Items()[0]));
    ASSERT_FALSE(item.empty());
    EXPECT_GE(item[item.size() / 2], 200); // the ground: most of the item
    EXPECT_LE(item.front(), 80);           // the letters
}

TEST(SideBarDisplay, CaptionsSearchAndResultClicks) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make({"tarnwick", "/nodde"});
    ASSERT_TRUE(window.FormCreate(nullptr));
    rig.Lifecycle.Open = true;
    rig.Settings.ListMode = 0;
    const struct {
        const char* title;
        const char* text;
    } pages[] = {{"Green tea", "leaves of green tea"},
                 {"Black tea", "leaves of black tea"},
                 {"Coffee", "roasted beans"}};
    TTreeNode* folder = rig.Add(NodeKind::Folder, "Drinks");
    std::vector<TTreeNode*> nodes;
    for (const auto& page : pages) {
        nodes.push_back(rig.Add(NodeKind::WebPage, page.title, folder));
        NodeRecord(nodes.back())->Content.PageHtml = page.text;
    }
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TShelfBarTqz& bar = window.TreePane().ShelfBar1();
    TSideBarPane& side = window.SideBar();
    EXPECT_TRUE(window.TreePane().TreeView1().isVisible());

    // A click on the "Pages List" caption opens and fills it.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, Middle(bar.GetCaptionRect(&bar.Panels()[1])));
    ASSERT_TRUE(WaitUntil([&] { return side.TopPanel() == PagesListPanel; }));
    EXPECT_EQ(bar.Panels()[1].Items().Count(), 3);
    EXPECT_FALSE(window.TreePane().TreeView1().isVisible());

    WhenModalIs<TOKHelpRightDlg>([](TOKHelpRightDlg* dialog) {
        dialog->Memo1->setPlainText("leaves");
        dialog->Edit1->setText("tea");
        dialog->OKBtn->click();
    });
    side.Search().trigger();
    EXPECT_EQ(bar.Panels()[1].Caption(), SearchResultCaption);
    ASSERT_EQ(bar.Panels()[1].Items().Count(), 2);
    EXPECT_EQ(bar.Panels()[1].Items()[0].Caption(), "  Black tea");

    // A click on a result selects its node in the tree and shows it.
    TShelfItem& result = bar.Panels()[1].Items()[1];
    QTest::mouseClick(&bar, Qt::LeftButton, {}, Middle(bar.GetItemRect(&bar.Panels()[1], &result)));
    ASSERT_TRUE(WaitUntil([&] { return window.Binder().Selected() == nodes[0]; }));
    QCoreApplication::processEvents();
    Screenshot(window, "side-bar-search.png");

    // Back to the tree by its caption.
    QTest::mouseClick(&bar, Qt::LeftButton, {}, Middle(bar.GetCaptionRect(&bar.Panels()[0])));
    ASSERT_TRUE(WaitUntil([&] { return side.TopPanel() == TreePanel; }));
    EXPECT_TRUE(window.TreePane().TreeView1().isVisible());
}

TEST(SideBarDisplay, ABinderOfTheListShowsItsSummary) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Settings.WorkDir = std::filesystem::path(TARNWICK_COMMON_DIR).parent_path().string();
    const std::string file = JoinPath(rig.Folder.Str(), "Drinks.bdf");
    WriteFileBytes(file, NewBinderFileText(rig.Folder.Str(), "Drinks", "Tea and coffee",
                                           "2024-05-06 07:08:09"));
    AddBinderToList(rig.Store, file);
    rig.Paths.BinderFilePath = file;
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    TShelfBarTqz& bar = window.TreePane().ShelfBar1();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, Middle(bar.GetCaptionRect(&bar.Panels()[2])));
    ASSERT_TRUE(WaitUntil([&] { return window.SideBar().TopPanel() == BinderListPanel; }));
    ASSERT_EQ(bar.Panels()[2].Items().Count(), 1);

    TWebBrowser& summary = window.ViewsPane().CppWebBrowser1();
    bool loaded = false;
    summary.OnDocumentComplete = [&](const std::string&, bool) { loaded = true; };
    const TRect item = bar.GetItemRect(&bar.Panels()[2], &bar.Panels()[2].Items()[0]);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, Middle(item));
    ASSERT_TRUE(WaitUntil([&] { return loaded; }));
    EXPECT_EQ(window.ViewsPane().ActivePage(), ViewPage::Summary);
    EXPECT_FALSE(window.ViewsPane().isTabVisible(static_cast<int>(ViewPage::Browse)));
    QString text;
    summary.Page()->runJavaScript("document.body.innerText",
                                  [&](const QVariant& result) { text = result.toString(); });
    ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty(); }));
    EXPECT_TRUE(text.contains("Drinks")) << text.toStdString();
    EXPECT_TRUE(text.contains("Tea and coffee"));
    EXPECT_TRUE(text.contains("Open"));
}
