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

// A loopback site of one page with a style sheet and a picture, counting the requests.
struct PictureSite {
    LoopbackServer server;
    std::atomic<int> hits{0};
    std::string url;

    PictureSite() {
        server.Http().set_logger(
            [this](const httplib::Request&, const httplib::Response&) { ++hits; });
        server.Serve("/site/page.htm",
                     "<html><head><title>Offline page</title>"
                     "<link rel=\"stylesheet\" href=\"look.css\"></head>"
                     "<body><img id=\"pic\" src=\"pics/red.png\"> stored text</body></html>",
                     "text/html");
        server.Serve("/site/look.css", "body { background: rgb(10, 120, 30); }", "text/css");
        server.Serve("/site/pics/red.png", PngPicture(), "image/png");
        server.Start();
        url = server.Url("/site/page.htm");
    }
};

// The program started in `folder`, which is also its work folder, shown on the screen.
std::unique_ptr<TProgram> StartShownProgram(ProgramEnv& env, const std::filesystem::path& folder) {
    // The installation's files come from the work folder the settings name.
    std::filesystem::copy(TARNWICK_COMMON_DIR, folder / "common");
    env.Store.WriteValue("", "WorkDir", folder.string());
    auto program = StartProgram(folder.string(), env.Store);
    if (program != nullptr) {
        program->Window()->resize(900, 640);
        program->Window()->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(program->Window()));
    }
    return program;
}

// Adds the page at `url` through the Add Item dialog and waits until its capture has ended;
// null when it does not end.
TTreeNode* CapturePage(TFormVelmorRnx& window, const std::string& url) {
    WhenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); });
    window.AddNode(url, "Offline page", "", 0, -1);
    TTreeNodes& tree = window.Binder().Items();
    TTreeNode* node = nullptr;
    const bool ended = WaitUntil([&] {
        for (node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
            const TPageInfo* record = NodeRecord(node);
            if (record != nullptr && record->RequestedUrl == url &&
                record->State != CaptureState::Unfinished) {
                return true;
            }
        }
        return false;
    });
    return ended ? node : nullptr;
}

// Shows the selected page node in the browse view, from memory or through its page file as
// the settings say, and waits for its document; false when none came.
bool ShowSelectedPage(TProgram& program, bool viaFile) {
    TFormVelmorRnx& window = *program.Window();
    TWebBrowser& page = window.ViewsPane().WebBrowser();
    program.Settings().ShowPageViaFile = viaFile;
    NodeRecord(window.Binder().Items().Selected())->Reload = 1;
    bool shown = false;
    page.OnDocumentComplete = [&](const std::string&, bool ok) { shown = shown || ok; };
    if (window.ViewsPane().ActivePage() == ViewPage::Browse) {
        window.TreeView1Click();
    } else {
        window.Actions().Action(TMainAction::ViewBrowser)->trigger();
    }
    const bool came = QTest::qWaitFor([&] { return shown; }, 30000);
    page.OnDocumentComplete = nullptr;
    return came;
}

} // namespace

TEST(OfflineBrowse, CapturedPageIsShownFromTheBinderAlone) {
    ProgramEnv env;
    PictureSite site;
    std::atomic<int>& hits = site.hits;
    auto program = StartShownProgram(env, env.Folder.Path());
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    TTreeNodes& tree = window.Binder().Items();
    TTreeNode* node = CapturePage(window, site.url);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(NodeRecord(node)->State, CaptureState::Completed);
    site.server.Stop();
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

// A binder under a folder whose name holds what an address would read as a fragment, a query
// and an escape: the stored page shows its picture, from memory and through its page file.
TEST(OfflineBrowse, APageUnderAFolderNamedLikeAnAddressShowsItsPicture) {
    ProgramEnv env;
    PictureSite site;
    const std::filesystem::path folder = env.Folder / "a#b?c %41";
    std::filesystem::create_directories(folder);
    auto program = StartShownProgram(env, folder);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    TTreeNode* node = CapturePage(window, site.url);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(NodeRecord(node)->State, CaptureState::Completed);
    site.server.Stop();

    TWebBrowser& page = window.ViewsPane().WebBrowser();
    window.Binder().Items().SetSelected(node);
    for (const bool viaFile : {false, true}) {
        SCOPED_TRACE(viaFile);
        ASSERT_TRUE(ShowSelectedPage(*program, viaFile));
        // Through the page file the browser shows the file itself, else the node folder.
        const QUrl shownUrl(QString::fromStdString(page.LocationURL()));
        EXPECT_TRUE(shownUrl.isLocalFile());
        EXPECT_TRUE(shownUrl.toLocalFile().startsWith(QString::fromStdString(folder.string())));
        EXPECT_EQ(shownUrl.fileName().endsWith(".htm"), viaFile);
        // The picture has loaded (complete, and drawn at its own size) rather than failed.
        ASSERT_TRUE(PicturesSettled(page));
        const QVariantList look =
            RunScript(page, "(() => { const i = document.getElementById('pic'); return "
                            "[i.complete, i.naturalWidth, i.naturalHeight]; })()")
                .toList();
        ASSERT_EQ(look.size(), 3);
        EXPECT_TRUE(look[0].toBool());
        EXPECT_EQ(look[1].toInt(), PictureWidth);
        EXPECT_EQ(look[2].toInt(), PictureHeight);
    }
    Screenshot(window, "offline-browse-odd-folder.png");
    CloseProgram(program);
}

// A captured page whose charset the capture took out reads the same from memory (a binder whose
// folders are not the program's shows it so) as through its page file: no "’" comes out as
// "â€™".
TEST(OfflineBrowse, APageReadsTheSameFromMemoryAsThroughItsFile) {
    ProgramEnv env;
    const std::string words = "there\xE2\x80\x99s \xC2\xB6 more\xE2\x80\xA6";
    LoopbackServer site;
    site.Serve("/words.htm",
               "<html><head><meta charset=\"utf-8\"><title>Words</title></head>"
               "<body><p id=\"w\">" +
                   words + "</p></body></html>",
               "text/html; charset=utf-8");
    site.Start();
    auto program = StartShownProgram(env, env.Folder.Path());
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    TTreeNode* node = CapturePage(window, site.Url("/words.htm"));
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(NodeRecord(node)->State, CaptureState::Completed);
    ASSERT_EQ(NodeRecord(node)->Content.PageHtml.find("charset"), std::string::npos);
    site.Stop();

    window.Binder().Items().SetSelected(node);
    std::vector<std::string> shown;
    for (const bool viaFile : {false, true}) {
        ASSERT_TRUE(ShowSelectedPage(*program, viaFile));
        shown.push_back(
            RunScript(window.ViewsPane().WebBrowser(), "document.getElementById('w').textContent")
                .toString()
                .toStdString());
    }
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(shown[1], words);
    CloseProgram(program);
}
