// The program's start-up in this process over a fake binder lifecycle, reached by second starts
// of the real program and by tarnwick-send as separate processes.
#include "app/ui/Program.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "platform/shell/SharedBlock.h"
#include "platform/widgets/Cursors.h"
#include "richtext/model/RNStyleFontInfo.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

class ProgramTest : public testing::Test, protected ProgramEnv {
protected:
    ~ProgramTest() override { CloseProgram(program); }

    std::optional<int> Start(std::vector<std::string> arguments) {
        TProgramOptions options;
        options.Arguments = std::move(arguments);
        options.StartFolder = startFolder.empty() ? Folder.Str() : startFolder;
        options.SplashTime = std::chrono::milliseconds(0);
        options.Store = &Store;
        if (!realCollaborators) {
            options.MakeCollaborators = FakeCollaborators();
        }
        program = std::make_unique<TProgram>(std::move(options));
        return program->Start();
    }

    TCollaboratorFactory FakeCollaborators() {
        return [this](TCollaboratorContext&) {
            auto fake = std::make_unique<FakeBinderLifecycle>();
            fake->CreateSucceeds = createSucceeds;
            lifecycle = fake.get();
            TCollaborators parts;
            parts.Lifecycle = std::move(fake);
            return parts;
        };
    }

    bool Opened(const std::string& path) {
        return WaitUntil([&] {
            return lifecycle != nullptr && !lifecycle->Calls.empty() &&
                   lifecycle->Calls.back() == "open " + path;
        });
    }

    bool createSucceeds = true;
    bool realCollaborators = false;
    std::string startFolder; // the test's folder when empty
    FakeBinderLifecycle* lifecycle = nullptr;
    std::unique_ptr<TProgram> program;
};

} // namespace

TEST_F(ProgramTest, SecondStartHandsItsFileToTheRunningProgramAndEndsWithZero) {
    ASSERT_EQ(Start({"tarnwick"}), std::nullopt);
    ASSERT_TRUE(program->Window()->isVisible());
    program->Window()->showMinimized();
    // Without a notification area the minimised window stays where the user can reach it.
    ASSERT_FALSE(program->Window()->HasTrayIcon());
    QCoreApplication::processEvents();
    EXPECT_TRUE(program->Window()->isVisible());
    EXPECT_EQ(RunToEnd(TARNWICK_PROGRAM, {"sub/x.bdf"}, Folder.Str()), 0);
    ASSERT_TRUE(Opened(Folder.Str() + "/sub/x.bdf"));
    EXPECT_FALSE(program->Window()->isMinimized()); // brought back to the front
    EXPECT_EQ(RunToEnd(TARNWICK_PROGRAM, {"/nodde"}, Folder.Str()), 0);
    EXPECT_EQ(RunToEnd(TARNWICK_SEND, {"--open", "y.bdf"}, Folder.Str()), 0);
    ASSERT_TRUE(Opened(Folder.Str() + "/y.bdf"));
}

TEST_F(ProgramTest, StartUpGivesLinksInNotesTheHandCursor) {
    ASSERT_EQ(Start({"tarnwick"}), std::nullopt);
    EXPECT_EQ(CursorFor(crJump).shape(), Qt::PointingHandCursor);
    // The number is the style sheet's: a link style of the notes sheet names it.
    EXPECT_EQ(TFontInfo().JumpCursor, crJump);
    EXPECT_NE(CursorFor(crJump).shape(), CursorFor(crIBeam).shape());
}

TEST_F(ProgramTest, FirstStartOpensItsFileOnceRunning) {
    const std::string path = Folder.Str() + "/a.bdf";
    ASSERT_EQ(Start({"tarnwick", path}), std::nullopt);
    ASSERT_TRUE(Opened(path));
}

TEST_F(ProgramTest, FailedStartsEndWithOneAndLeaveNoBlock) {
    // The request could not carry the path.
    EXPECT_EQ(Start({"tarnwick", "/b/" + std::string(5000, 'a') + ".bdf"}), 1);
    createSucceeds = false;
    EXPECT_EQ(Start({"tarnwick", "/nodde"}), 1);
    EXPECT_EQ(lifecycle->Calls, std::vector<std::string>{"create " + Folder.Str() + " default"});
    program.reset();
    std::string error;
    EXPECT_EQ(SharedBlock::Open(Shell.BlockName(), SharedBlock::Mode::OpenExisting, error),
              nullptr);
}

// With the program's own collaborators: the default binder is made in the empty start folder,
// listed and opened; once the last binder has gone, the default one is opened again as it is.
TEST_F(ProgramTest, NoddeMakesTheDefaultBinderAndFallsBackToItUnchanged) {
    realCollaborators = true;
    const std::string binder = Folder.Str() + "/default.bdf";
    ASSERT_EQ(Start({"tarnwick", "/nodde"}), std::nullopt);
    EXPECT_TRUE(std::filesystem::exists(binder));
    EXPECT_EQ(program->Window()->windowTitle(), "Tarnwick - default");
    EXPECT_EQ(Store.ReadValue("BinderList", "Binder1"), binder);
    EXPECT_NE(ReadFileBytes(binder).find("description=My%20Default%20Binder"), std::string::npos);
    program->Window()->TreeCommands().FileNewFolderExecute();
    CloseProgram(program); // the binder closes and writes the new folder

    Store.WriteValue("RecentFile", "LastFile", Folder.Str() + "/moved.bdf");
    std::string message;
    WhenModal([&](QWidget* box) {
        message = box->findChild<QLabel*>("qt_msgbox_label")->text().toStdString();
        static_cast<QDialog*>(box)->accept();
    });
    ASSERT_EQ(Start({"tarnwick", "/nodde"}), std::nullopt);
    EXPECT_EQ(message,
              "Unable to open binder\n" + Folder.Str() + "/moved.bdf: No such file or directory.");
    const TTreeNodes& tree = program->Window()->Binder().Items();
    ASSERT_EQ(tree.Count(), 1);
    EXPECT_EQ(tree.GetFirstNode()->Text(), "New Category");
    EXPECT_EQ(Store.ReadValue("BinderList", "Binder2"), std::nullopt);
}

// The binder file writes a blank as "%20" and reads "%20" back as a blank, so its root cannot
// name a folder called "a%20b": the default binder made there opens from the folder of its file.
TEST_F(ProgramTest, TheDefaultBinderMadeUnderAPercent20FolderOpensAtTheNextStart) {
    realCollaborators = true;
    startFolder = Folder.Str() + "/a%20b";
    std::filesystem::create_directories(startFolder);
    BoxCatcher boxes;
    ASSERT_EQ(Start({"tarnwick", "/nodde"}), std::nullopt);
    program->Window()->TreeCommands().FileNewFolderExecute();
    CloseProgram(program);

    ASSERT_EQ(Start({"tarnwick", "/nodde"}), std::nullopt);
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{});
    EXPECT_EQ(program->Window()->windowTitle(), "Tarnwick - default");
    const TTreeNodes& tree = program->Window()->Binder().Items();
    ASSERT_EQ(tree.Count(), 1);
    EXPECT_EQ(tree.GetFirstNode()->Text(), "New Category");
}

// The first start shows the empty default binder with nothing selected: there is no finished
// page whose address could change, in the menu or on the tool bar.
TEST_F(ProgramTest, ChangeUrlIsOffAtTheFirstStart) {
    realCollaborators = true;
    ASSERT_EQ(Start({"tarnwick", "/nodde"}), std::nullopt);
    TFormVelmorRnx& window = *program->Window();
    ASSERT_EQ(window.Binder().Items().Count(), 0);
    QAction* changeUrl = window.Actions().Action(TMainAction::ToolChangeURL);
    EXPECT_FALSE(changeUrl->isEnabled());
    auto* toolBar = window.findChild<QToolBar*>("ToolBar1");
    ASSERT_NE(toolBar, nullptr);
    ASSERT_NE(toolBar->widgetForAction(changeUrl), nullptr);
    EXPECT_FALSE(toolBar->widgetForAction(changeUrl)->isEnabled());
}
