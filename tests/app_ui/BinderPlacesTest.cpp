// Where a binder may lie: the program, with its own collaborators, makes and opens binders in
// hidden folders and in folders whose names hold brackets, from its start, its New Binder
// wizard and its command line, also handed to the running instance.
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/ui/MainActions.h"
#include "app/ui/dialogs/NewBinder.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/StoredFiles.h"

#include <QAction>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class BinderPlaces : public testing::Test, protected ProgramEnv {
protected:
    ~BinderPlaces() override { CloseProgram(program); }

    bool Start(const std::string& folder, std::vector<std::string> arguments) {
        program = StartProgram(folder, Store, [&](TProgramOptions& options) {
            options.Arguments = std::move(arguments);
        });
        return program != nullptr;
    }
    std::string Title() const { return program->Window()->windowTitle().toStdString(); }
    const TTreeNodes& Tree() const { return program->Window()->Binder().Items(); }

    ScopedEnv home{"HOME", Folder.Str()};
    std::unique_ptr<TProgram> program;
};

} // namespace

// Many users keep their work below ~/.local/share: the default binder made there opens again at
// the next start with what it held, and one made there with New Binder opens at once.
TEST_F(BinderPlaces, ABinderMadeUnderAHiddenFolderOpensAtTheNextStart) {
    const std::string work = Folder.Str() + "/.local/share/work";
    fs::create_directories(work);
    BoxCatcher boxes;
    ASSERT_TRUE(Start(work, {"tarnwick", "/nodde"}));
    program->Window()->TreeCommands().FileNewFolderExecute();
    CloseProgram(program);
    EXPECT_TRUE(fs::exists(work + "/default.bdf"));

    ASSERT_TRUE(Start(work, {"tarnwick", "/nodde"}));
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{});
    EXPECT_EQ(Title(), "Tarnwick - default");
    ASSERT_EQ(Tree().Count(), 1);
    EXPECT_EQ(Tree().GetFirstNode()->Text(), "New Category");

    const std::string other = Folder.Str() + "/.local/share/notes";
    WhenModalIs<TNewBinderDlg>([&](TNewBinderDlg* wizard) {
        wizard->findChild<QLineEdit*>("Edit1")->setText(QString::fromStdString(other));
        wizard->Button6Click();
        wizard->findChild<QLineEdit*>("Edit2")->setText("Kept");
        wizard->Button7Click();
    });
    program->Window()->Actions().Action(TMainAction::FileNewBinder)->trigger();
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{});
    EXPECT_EQ(Title(), "Tarnwick - Kept");
    EXPECT_EQ(program->Settings().LastFile, other + "/Kept.bdf");
}

// "x (1).bdf" is how a browser names a second download: such a path opens whole from the
// command line, and a second start hands it whole to the running instance.
TEST_F(BinderPlaces, ABinderWhosePathHoldsBracketsOpensFromTheCommandLine) {
    const std::string folder = Folder.Str() + "/Binders (1)";
    const std::string first = folder + "/b (2).bdf";
    const std::string second = folder + "/c)] (3).bdf";
    WriteFileBytes(first, "bindername=b (2)\r\nstore=bstore\r\nsave=b.sav\r\ncount=0\r\n");
    WriteFileBytes(second, "bindername=c (3)\r\nstore=cstore\r\nsave=c.sav\r\ncount=0\r\n");
    BoxCatcher boxes;
    ASSERT_TRUE(Start(Folder.Str(), {"tarnwick", first}));
    EXPECT_TRUE(WaitUntil([&] { return program->Settings().LastFile == first; }));
    EXPECT_EQ(Title(), "Tarnwick - b (2)");

    EXPECT_EQ(RunToEnd(TARNWICK_PROGRAM, {QString::fromStdString(second)}, Folder.Str()), 0);
    EXPECT_TRUE(WaitUntil([&] { return program->Settings().LastFile == second; }));
    EXPECT_EQ(Title(), "Tarnwick - c (3)");
    EXPECT_EQ(RunToEnd(TARNWICK_PROGRAM, {"Binders (1)/b (2).bdf"}, Folder.Str()), 0);
    EXPECT_TRUE(WaitUntil([&] { return program->Settings().LastFile == first; }));
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{});
}
