// A page of a loopback site captured into a binder through the whole program, the site then
// gone, and the node shown in the browse view: the page comes from the binder alone, with its
// picture at its natural size and its style sheet applied, and its summary from the installed
// templates. The screenshot is kept for a look.
#include "app/binder/PageInfo.h"
#include "app/ui/Program.h"
#include "app/ui/views/NodeViews.h"
#include "platform/browser/WebBrowser.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/Screenshot.h"
#include "tests/platform_browser/BrowserTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QAction>
#include <QBuffer>
#include <QDialog>
#include <QImage>
#include <QTest>
#include <QWebEnginePage>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string PngPicture() {
    QImage picture(PictureWidth, PictureHeight, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace

TEST(OfflineBrowse, CapturedPageIsShownFromTheBinderAlone) {
    ProgramEnv env;
    // The installation's files come from the work folder the settings name.
    std::filesystem::copy(TARNWICK_COMMON_DIR, env.Folder / "common");
    env.Store.WriteValue("", "WorkDir", env.Folder.Str());

    LoopbackServer server;
    std::atomic<int> hits{0};
    server.Http().set_logger([&](const httplib::Request&, const httplib::Response&) { ++hits; });
    server.Serve("/site/page.htm",
                 "<html><head><title>Offline page</title>"
                 "<link rel=\"stylesheet\" href=\"look.css\"></head>"
                 "<body><img id=\"pic\" src=\"pics/red.png\"> stored text</body></html>",
                 "text/html");
    server.Serve("/site/look.css", "body { background: rgb(10, 120, 30); }", "text/css");
    server.Serve("/site/pics/red.png", PngPicture(), "image/png");
    server.Start();
    const std::string url = server.Url("/site/page.htm");

    auto program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    window.resize(900, 640);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    WhenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); });
    window.AddNode(url, "Offline page", "", 0, -1);
    TTreeNodes& tree = window.Binder().Items();
    TTreeNode* node = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
            const TPageInfo* record = NodeRecord(node);
            if (record != nullptr && record->RequestedUrl == url &&
                record->State != CaptureState::Unfinished) {
                return true;
            }
        }
        return false;
    }));
    ASSERT_EQ(NodeRecord(node)->State, CaptureState::Completed);
    server.Stop();
    const int hitsWhileOnline = hits.load();

    // The summary of the selected page first, then the page itself.
    window.ViewsPane().ActivatePage(ViewPage::Summary);
    tree.SetSelected(node);
    window.TreeView1Click();
    TWebBrowser& summary = window.ViewsPane().CppWebBrowser1();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return RunScript(summary, "document.body ? document.body.innerText : ''")
                .toString()
                .contains("Offline page");
        },
        10000));

    TWebBrowser& page = window.ViewsPane().WebBrowser();
    bool shown = false;
    page.OnDocumentComplete = [&](const std::string&, bool ok) { shown = shown || ok; };
    window.Actions().Action(TMainAction::ViewBrowser)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown; }, 30000));
    page.OnDocumentComplete = nullptr;
    EXPECT_EQ(window.ViewsPane().ActivePage(), ViewPage::Browse);
    ASSERT_TRUE(PicturesSettled(page));

    const QVariantList look =
        RunScript(page, "(() => { const i = document.getElementById('pic'); return "
                        "[i.naturalWidth, i.naturalHeight, i.width, i.height, "
                        "getComputedStyle(document.body).backgroundColor]; })()")
            .toList();
    ASSERT_EQ(look.size(), 5);
    EXPECT_EQ(look[0].toInt(), PictureWidth);
    EXPECT_EQ(look[1].toInt(), PictureHeight);
    EXPECT_EQ(look[2].toInt(), PictureWidth);
    EXPECT_EQ(look[3].toInt(), PictureHeight);
    EXPECT_EQ(look[4].toString(), "rgb(10, 120, 30)");

    // Nothing left the machine: nothing reached the site, nothing but local files was asked.
    EXPECT_EQ(hits, hitsWhileOnline);
    EXPECT_TRUE(page.Offline());
    for (const std::vector<QUrl>& requests : {page.BlockedRequests(), page.PassedRequests()}) {
        for (const QUrl& request : requests) {
            EXPECT_TRUE(request.isLocalFile() || request.scheme() == "data" ||
                        request.scheme() == "about")
                << request.toString().toStdString();
        }
    }
    EXPECT_TRUE(page.BlockedRequests().empty());

    (void)QTest::qWaitFor([&] { return !window.grab().isNull(); }, 2000);
    Screenshot(window, "offline-browse.png");

    CloseProgram(program);
}
