// A capture with linked pages in the program's own window, in a child process killed the moment
// its status form says "Finished.": the pages it captured are in the binder when it is opened
// again, as after a crash or a power cut before anyone closed the binder.
#include "app/binder/CaptureOptions.h"
#include "app/binder/TreeCommands.h"
#include "app/ui/dialogs/TForm9.h"
#include "platform/base/Files.h"

#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

constexpr const char* FolderVariable = "TARNWICK_CRASH_FOLDER";
constexpr const char* UrlVariable = "TARNWICK_CRASH_URL";
constexpr const char* FinishedLine = "level capture finished";
constexpr int Sections = 6;
constexpr int PagesPerSection = 2;

std::string Section(int s) {
    return "/s" + std::to_string(s) + ".htm";
}

std::string Page(int s, int p) {
    return "/s" + std::to_string(s) + "p" + std::to_string(p) + ".htm";
}

// The root links to each section, each section to its pages: two levels.
void ServeSite(LoopbackServer& server) {
    std::string root = "<title>Root</title>";
    for (int s = 0; s < Sections; ++s) {
        root += "<a href=\"" + Section(s).substr(1) + "\">section</a>";
        std::string section = "<title>Section " + std::to_string(s) + "</title>";
        for (int p = 0; p < PagesPerSection; ++p) {
            section += "<a href=\"" + Page(s, p).substr(1) + "\">page</a>";
            server.Serve(Page(s, p),
                         "<title>Page " + std::to_string(s) + "." + std::to_string(p) + "</title>",
                         "text/html");
        }
        server.Serve(Section(s), section, "text/html");
    }
    server.Serve("/index.htm", root, "text/html");
}

} // namespace

// The child's part: the program with its own collaborators captures the site behind its status
// form and says so once the form shows "Finished.", then waits to be killed. Skipped unless the
// parent test below runs it.
TEST(CaptureCrash, ChildCapturesUntilKilled) {
    const char* folder = std::getenv(FolderVariable);
    const char* url = std::getenv(UrlVariable);
    if (folder == nullptr || url == nullptr) {
        GTEST_SKIP() << "run by ALevelCaptureKilledWhenItHasFinishedKeepsEveryPage";
    }
    ChildProgram child(folder);
    ASSERT_NE(child.Program, nullptr);
    TBinderTree& binder = child.Program->Window()->Binder();
    ASSERT_NE(AddRootPage(*child.Program, url), nullptr);

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* form = dynamic_cast<TForm9*>(widget);
            const QLabel* label = form != nullptr ? form->findChild<QLabel*>("Label1") : nullptr;
            if (label != nullptr && form->isVisible() && label->text() == "Finished.") {
                std::printf("%s\n", FinishedLine);
                std::fflush(stdout);
                watch.stop();
            }
        }
    });
    watch.start(5);
    CaptureOptions options;
    options.Levels = 2;
    binder.CaptureSelectedNode(false, options); // returns when the form closes: never
    ADD_FAILURE() << "the status form closed by itself";
}

TEST(CaptureCrash, ALevelCaptureKilledWhenItHasFinishedKeepsEveryPage) {
    LoopbackServer server;
    ServeSite(server);
    server.Start();
    TempDir folder;
    ScopedEnv folderVariable(FolderVariable, folder.Str());
    ScopedEnv urlVariable(UrlVariable, server.Url("/index.htm"));
    ASSERT_TRUE(KillChildOnceItSays("CaptureCrash.ChildCapturesUntilKilled", FinishedLine));

    // Opened again, the binder holds the root and every page the capture reached, captured.
    ReopenedBinder binder(JoinPath(folder.Str(), "default.bdf"));
    ASSERT_TRUE(binder.Opened);
    TBinderTree& tree = binder.Tree;
    std::set<std::string> expected{server.Url("/index.htm")};
    for (int s = 0; s < Sections; ++s) {
        expected.insert(server.Url(Section(s)));
        for (int p = 0; p < PagesPerSection; ++p) {
            expected.insert(server.Url(Page(s, p)));
        }
    }
    std::set<std::string> captured;
    for (TTreeNode* node = tree.Items().GetFirstNode(); node; node = node->GetNext()) {
        const TPageInfo* record = NodeRecord(node);
        ASSERT_NE(record, nullptr);
        captured.insert(record->RequestedUrl);
        EXPECT_EQ(record->State, CaptureState::Completed) << record->RequestedUrl;
        EXPECT_NE(record->Content.PageHtml.find("<title>"), std::string::npos)
            << record->RequestedUrl;
    }
    EXPECT_EQ(captured, expected);
    EXPECT_EQ(tree.Items().Count(), static_cast<int>(expected.size()));
    EXPECT_TRUE(binder.Ui.CallsOf("ShowMessage").empty());
}
