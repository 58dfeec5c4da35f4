// A page sent from outside, the whole way: tarnwick-send in another process, the shared block
// and "InsertVelmor", the hook, the Add Item dialog, the new node, its capture (the sent page
// kept, its resources from a loopback site that answers other HTML for the page by now),
// message 3022, and the binder file and tree file after the program has closed.
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/ui/Program.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

const char* const Page = "<html><head><title>Sent page</title>"
                         "<link rel=\"stylesheet\" href=\"style.css\"></head>"
                         "<body><img src=\"pics/dot.gif\"> text</body></html>";

TPageInfo* RecordOfUrl(const TTreeNodes& tree, const std::string& url) {
    for (TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        TPageInfo* record = NodeRecord(node);
        if (record != nullptr && record->RequestedUrl == url) {
            return record;
        }
    }
    return nullptr;
}

// What the server answers for the page by now: the sent page is kept, not this.
const char* const LivePage = "<html><head><title>Live</title></head><body>live text</body></html>";

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        Paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// CPU time this process has used, user and system, all threads.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Serves the event loop for `ms` milliseconds, sleeping while nothing happens.
void ServeEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(EndToEnd, PageSentFromOutsideIsCapturedStoredAndKept) {
    ProgramEnv env;

    static const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!";
    const std::string picture(gif, sizeof gif - 1); // NUL bytes included
    LoopbackServer server;
    server.Serve("/site/page.htm", LivePage, "text/html; charset=iso-8859-1");
    server.Serve("/site/style.css", "body { color: navy }", "text/css");
    server.Serve("/site/pics/dot.gif", picture, "image/gif");
    server.Start();
    const std::string url = server.Url("/site/page.htm");

    auto program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();

    // The browser side hands over the page it shows; the Add Item dialog comes up for it.
    WriteFileBytes(env.Folder / "sent.htm", Page);
    std::string dialogName;
    WhenModal([&](QWidget* dialog) {
        dialogName = dialog->objectName().toStdString();
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(RunToEnd(TARNWICK_SEND,
                       {"--insert", QString::fromStdString(url), "Sent page",
                        QString::fromStdString((env.Folder / "sent.htm").string())},
                       env.Folder.Str()),
              0);
    ASSERT_TRUE(WaitUntil([&] { return RecordOfUrl(window.Binder().Items(), url) != nullptr; }));
    EXPECT_EQ(dialogName, "FormLoc");
    TPageInfo* record = RecordOfUrl(window.Binder().Items(), url);
    ASSERT_TRUE(WaitUntil([&] {
        record = RecordOfUrl(window.Binder().Items(), url);
        return record != nullptr && record->State != CaptureState::Unfinished;
    }));
    ASSERT_EQ(record->State, CaptureState::Completed);
    EXPECT_EQ(record->Content.Stats.Total, 2);
    EXPECT_NE(record->Content.PageHtml.find("text</body>"), std::string::npos);
    EXPECT_EQ(record->Content.PageHtml.find("live text"), std::string::npos);
    const uint32_t id = record->Id;

    // The resources lie under the node's folder of the binder's env.Store.
    const std::filesystem::path node =
        std::filesystem::path(env.Folder.Str()) / "defaultstore" / IntToHex(id, 1);
    bool foundPicture = false;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(node)) {
        foundPicture = foundPicture || (entry.path().filename() == "dot.gif" &&
                                        ReadFileBytes(entry.path()) == picture);
    }
    EXPECT_TRUE(foundPicture);

    // Closing writes the tree file; the next start finds the page captured.
    CloseProgram(program);
    server.Stop();
    program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    const TPageInfo* reopened = FindRecordById(program->Window()->Binder().Items(), id);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->State, CaptureState::Completed);
    EXPECT_EQ(reopened->Title, "Sent page");
    EXPECT_NE(reopened->Content.PageHtml.find("dot.gif"), std::string::npos);
    CloseProgram(program);
}

TEST(EndToEnd, ProgramIsIdleOnceACaptureHasEnded) {
    ProgramEnv env;
    LoopbackServer server;
    server.Serve("/site/page.htm", LivePage, "text/html; charset=iso-8859-1");
    server.Start();
    const std::string url = server.Url("/site/page.htm");

    auto program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    window.show();
    auto* indicator = window.findChild<QWidget*>("Animate1");
    ASSERT_NE(indicator, nullptr);
    PaintCounter paints;
    indicator->installEventFilter(&paints);

    // The page is fetched from the loopback site, not handed over with its HTML.
    WriteFileBytes(env.Folder / "sent.htm", "");
    WhenModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); });
    ASSERT_EQ(RunToEnd(TARNWICK_SEND,
                       {"--insert", QString::fromStdString(url), "Idle page",
                        QString::fromStdString((env.Folder / "sent.htm").string())},
                       env.Folder.Str()),
              0);
    TPageInfo* record = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        record = RecordOfUrl(window.Binder().Items(), url);
        return record != nullptr && record->State != CaptureState::Unfinished;
    }));
    EXPECT_EQ(record->State, CaptureState::Completed);
    // The busy look ran while the page was captured and is over now.
    EXPECT_GT(paints.Paints, 0);
    EXPECT_FALSE(window.Actions().AnimationRunning());

    // The captured page settles in the page view; then nothing moves.
    ServeEvents(1500);
    paints.Paints = 0;
    const double before = ProcessCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    ServeEvents(2000);
    const double used = (ProcessCpuSeconds() - before) / (clock.elapsed() / 1000.0);
    EXPECT_LT(used, 0.05) << "share of one CPU used while idle";
    EXPECT_EQ(paints.Paints, 0);
    CloseProgram(program);
    server.Stop();
}
