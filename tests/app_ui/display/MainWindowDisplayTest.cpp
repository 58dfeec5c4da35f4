// The main window on a real display: a screenshot of it with a binder open, and a page dragged
// onto a folder of the tree.
#include "app/ui/BinderTreeView.h"
#include "app/ui/Program.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/Screenshot.h"

#include <QAction>
#include <QImage>
#include <gtest/gtest.h>

// The desktop bus library keeps a buffer for the life of the process on purpose.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace {

// A point on the label of a row: past the indent, the button, the icon and its margins.
QPoint OnLabel(const QTreeView& view, const QModelIndex& index) {
    const QRect row = view.visualRect(index);
    return {row.left() + 40, row.center().y()};
}

} // namespace

TEST(MainWindowDisplay, ShowsTheBinderAndTakesADroppedPageIntoAFolder) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make({"tarnwick", "/nodde"});
    ASSERT_TRUE(window.FormCreate(nullptr));
    rig.Lifecycle.Open = true;
    window.Actions().SetCaption("Tarnwick - default");
    TTreeNode* folder = rig.Add(NodeKind::Folder, "New Category");
    rig.Add(NodeKind::WebPage, "Captured page", folder);
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://example.test/page.htm");
    rig.Add(NodeKind::Notes, "Notes");
    window.Binder().Items().SetSelected(page);
    window.TreeView1Click();
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(
        WaitUntil([&] { return window.isVisible() && window.TreePane().TreeView1().isVisible(); }));
    QCoreApplication::processEvents();

    const QImage shot(QString::fromStdString(Screenshot(window, "main-window.png")));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.width(), window.width());

    // The page is selected, so the drag carries it; it lands on the folder's label.
    TBinderTreeView& tree = window.TreePane().TreeView1();
    const QModelIndex folderRow = tree.model()->index(0, 0);
    ASSERT_EQ(tree.HitZoneAt(OnLabel(tree, folderRow)), THitZone::Label);
    EXPECT_FALSE(tree.DropAt(OnLabel(tree, folderRow), nullptr)); // not from a tree: refused
    ASSERT_TRUE(tree.DropAt(OnLabel(tree, folderRow), &tree));
    EXPECT_EQ(page->Parent(), folder);
    EXPECT_EQ(folder->GetLastChild(), page);
    EXPECT_TRUE(window.Binder().BinderDirty);
    // Below the last row it goes back to the end of the top level.
    const QPoint below(10, tree.viewport()->height() - 2);
    ASSERT_EQ(tree.HitZoneAt(below), THitZone::BelowNodes);
    ASSERT_TRUE(tree.DropAt(below, &tree));
    EXPECT_EQ(page->Parent(), nullptr);
    EXPECT_EQ(window.Binder().Items().TopLevelItem(2), page);
    Screenshot(window, "main-window-after-drop.png");
}

// The program as `make run` starts it, with the collaborators the program builds itself: the
// default binder is created in an empty folder and shown.
TEST(MainWindowDisplay, ProgramCreatesAndShowsTheDefaultBinder) {
    ProgramEnv env;
    auto program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    EXPECT_EQ(window.windowTitle(), "Tarnwick - default");
    window.Actions().Action(TMainAction::FileNewFolder)->trigger();
    window.Actions().Action(TMainAction::FileAppendFolder)->trigger();
    ASSERT_TRUE(WaitUntil([&] { return window.isVisible(); }));
    QCoreApplication::processEvents();
    Screenshot(window, "program-default-binder.png");
    CloseProgram(program);
}
