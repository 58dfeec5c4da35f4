// The installation's read-me and help: built beside the program, the help compiled with every
// page of its project, and opened by the Help menu through the desktop.
#include "app/ui/UtilityCommands.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/StandInOpener.h"

#include <QAction>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The names of the project's [FILES] section, one a line.
std::vector<std::string> ProjectPages(const fs::path& project) {
    std::istringstream lines(ReadFileBytes(project));
    std::vector<std::string> pages;
    bool files = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            files = line == "[FILES]";
        } else if (files && !line.empty()) {
            pages.push_back(line);
        }
    }
    return pages;
}

} // namespace

TEST(HelpFiles, TheBuiltHelpListsEveryPageOfItsProjectAndLiesBesideTheProgram) {
    const fs::path sources = TARNWICK_HELP_SOURCES;
    const std::vector<std::string> pages = ProjectPages(sources / "tqzhelp.hhp");
    ASSERT_GE(pages.size(), 7u);
    // Every page the contents name is compiled in.
    const std::string contents = ReadFileBytes(sources / "tqzhelp.hhc");
    for (const std::string& page : pages) {
        EXPECT_NE(contents.find("\"Local\" value=\"" + page + "\""), std::string::npos) << page;
    }

    QProcess reader;
    reader.start("enum_chmLib", {TARNWICK_HELP_FILE});
    ASSERT_TRUE(reader.waitForFinished(60000));
    EXPECT_EQ(reader.exitCode(), 0);
    const std::string listing = reader.readAllStandardOutput().toStdString();
    for (const std::string& page : pages) {
        EXPECT_NE(listing.find("\t/" + page + "\n"), std::string::npos) << page << "\n" << listing;
    }

    const fs::path program = fs::path(TARNWICK_PROGRAM).parent_path();
    EXPECT_EQ(ReadFileBytes(program / "tqzhelp.chm"), ReadFileBytes(TARNWICK_HELP_FILE));
    const std::string readMe = ReadFileBytes(program / "readme.txt");
    EXPECT_NE(readMe.find("tqzhelp.chm"), std::string::npos);
}

TEST(HelpFiles, ContentsAndReadMeInPlaceGoToTheDesktopWithoutABox) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TempDir work;
    rig.Settings.WorkDir = work.Str();
    fs::copy_file(TARNWICK_HELP_FILE, work / "tqzhelp.chm");
    WriteFileBytes(work / "readme.txt", "read me");
    int boxes = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&boxes] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            ++boxes;
            box->close();
        }
    });
    timer.start(5);
    StandInOpener opener(0);
    for (const char* command : {"HelpContent", "ReadMe1"}) {
        QAction* action = window.findChild<QAction*>(command);
        ASSERT_NE(action, nullptr) << command;
        action->trigger();
    }
    EXPECT_TRUE(WaitUntil([&] { return opener.Runs().size() == 2; }));
    // The opener's end is served too: it ended well, so nothing is said.
    ServeEventsFor(std::chrono::milliseconds(300));
    // The two openers run side by side: either may note its file first.
    std::vector<std::string> runs = opener.Runs();
    std::sort(runs.begin(), runs.end());
    EXPECT_EQ(runs, (std::vector<std::string>{(work / "readme.txt").string(),
                                              (work / "tqzhelp.chm").string()}));
    EXPECT_EQ(boxes, 0);
}
