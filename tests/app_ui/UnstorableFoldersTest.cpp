// A binder whose store folder was there before the program, holding a note of the user's and a
// page folder the program did not make, used in the program as it runs: Sync Content of the
// page ends "Capture Failed" and one box names the folder, for each sync; deleting the node and
// then the binder each say, once, that the folder stays. Every file of the store keeps its bytes.
#include "app/binder/TreeFile.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "platform/base/StringUtils.h"

#include "tests/app_ui/BinderListDelete.h"
#include "tests/app_ui/HomeListing.h"
#include "tests/app_ui/OneNodeTree.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

TEST(UnstorableFolders, ARecaptureFailsAndDeletesSayTheFolderStaysOncePerAction) {
    ProgramEnv env;
    LoopbackServer server;
    server.Serve("/p.htm", "<html><img src=\"a.gif\"><img src=\"b.gif\">the new page</html>",
                 "text/html");
    server.Serve("/a.gif", "GIF a", "image/gif");
    server.Serve("/b.gif", "GIF b", "image/gif");
    server.Start();
    TempDir binderFolder;
    const fs::path store = binderFolder / "mystore";
    WriteFileBytes(store / "notes.txt", "the user's notes");
    WriteFileBytes(store / "2024" / "2024.htm", "<p>the old page</p>");
    const std::string bdf = (binderFolder / "mine.bdf").string();
    WriteFileBytes(binderFolder / "mine.sav", OneNodeTree({.Title = "Page",
                                                           .Url = server.Url("/p.htm"),
                                                           .FinalUrlToo = true,
                                                           .PageHtml = "<p>the old page</p>"}));
    WriteFileBytes(bdf, "bindername=Mine\r\nroot=" + binderFolder.Str() +
                            "\r\nstore=mystore\r\nsave=mine.sav\r\ndescription=D\r\n"
                            "createdate=C\r\ncount=1\n\r[Task]\n\r");
    const auto before = Listing(store);
    // In the binder list, as a binder the user made or opened from there is.
    AddBinderToList(env.Store, bdf);

    std::unique_ptr<TProgram> program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    program->Settings().AskBeforeDelete = false;
    TFormVelmorRnx& window = *program->Window();
    window.resize(800, 600);
    window.show();
    // The store holds a folder named as the page: asked about at the open, and answered No.
    BoxCatcher boxes(QMessageBox::No);
    window.OpenBinder(bdf);
    ASSERT_EQ(program->Settings().LastFile, bdf);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_NE(boxes.Boxes[0].find("other entry: notes.txt"), std::string::npos) << boxes.Boxes[0];
    TTreeNode* node = window.Binder().Items().GetFirstNode();
    ASSERT_NE(node, nullptr);
    TPageInfo& page = *NodeRecord(node);
    window.Binder().Items().SetSelected(node);
    ServeEventsFor(std::chrono::milliseconds(100));
    const auto boxesSaying = [&](size_t count) {
        // Waited for, then a while longer: a second box of the same action would come by then.
        const bool came = WaitUntil([&] { return boxes.Boxes.size() >= count; });
        ServeEventsFor(std::chrono::milliseconds(300));
        return came && boxes.Boxes.size() == count;
    };

    const std::string pageFolder = (store / "2024").string();
    for (size_t sync = 1; sync <= 2; ++sync) {
        QAction* command = window.Actions().Action(TMainAction::ToolSyncContent);
        ASSERT_TRUE(command->isEnabled()) << sync;
        command->trigger();
        ASSERT_TRUE(WaitUntil([&] { return page.State != CaptureState::Unfinished; })) << sync;
        ASSERT_TRUE(boxesSaying(sync + 1)) << sync;
        EXPECT_EQ(page.State, CaptureState::Failed) << sync;
        EXPECT_EQ(window.StatusBar().Bar().Panels()[2].Text(), "Capture Failed") << sync;
        const std::string& box = boxes.Boxes.back();
        EXPECT_NE(box.find("Capture Failed"), std::string::npos) << box;
        // The store itself is the folder the program has no mark in, and what it holds is named,
        // with how to allow it.
        EXPECT_NE(box.find(store.string() + " "), std::string::npos) << box;
        EXPECT_NE(box.find("holds 2024, notes.txt"), std::string::npos) << box;
        EXPECT_NE(box.find("answer Yes when asked"), std::string::npos) << box;
        EXPECT_EQ(Listing(store), before) << sync;
    }

    window.Actions().Action(TMainAction::EditDelete1)->trigger();
    EXPECT_EQ(window.Binder().Items().Count(), 0);
    ASSERT_TRUE(boxesSaying(4));
    EXPECT_NE(boxes.Boxes.back().find(pageFolder + " stays"), std::string::npos)
        << boxes.Boxes.back();

    // The binder, from the binder list's menu.
    ASSERT_NO_FATAL_FAILURE(DeleteFromBinderList(window, bdf));
    ASSERT_TRUE(boxesSaying(5));
    EXPECT_FALSE(fs::exists(bdf));
    EXPECT_NE(boxes.Boxes.back().find(store.string() + " stays"), std::string::npos)
        << boxes.Boxes.back();
    EXPECT_EQ(Listing(store), before);
    CloseProgram(program);
}

// An import of HTML files into such a binder is one action: every page ends failed, and one box
// says why, naming the store's folder; nothing is written there.
TEST(UnstorableFolders, AnImportOfPagesItCannotStoreSaysSoOnce) {
    ProgramEnv env;
    TempDir binderFolder;
    const fs::path store = binderFolder / "mystore";
    WriteFileBytes(store / "notes.txt", "the user's notes");
    const std::string bdf = (binderFolder / "mine.bdf").string();
    WriteFileBytes(binderFolder / "mine.sav",
                   OneNodeTree({.Kind = NodeKind::Folder, .Title = "Folder"}));
    WriteFileBytes(bdf, "bindername=Mine\r\nroot=" + binderFolder.Str() +
                            "\r\nstore=mystore\r\nsave=mine.sav\r\ndescription=D\r\n"
                            "createdate=C\r\ncount=1\n\r[Task]\n\r");
    TempDir source;
    WriteFileBytes(source.Path() / "a.htm", "<title>A</title><p>a</p>");
    WriteFileBytes(source.Path() / "b.htm", "<title>B</title><p>b</p>");
    const auto before = Listing(store);

    std::unique_ptr<TProgram> program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    BoxCatcher boxes;
    window.OpenBinder(bdf);
    ASSERT_EQ(program->Settings().LastFile, bdf);
    TTreeNode* folder = window.Binder().Items().GetFirstNode();
    window.Binder().Items().SetSelected(folder);
    ASSERT_EQ(GetNodeKind(folder), NodeKind::Folder);
    QAction* import = window.Actions().Action(TMainAction::FileImportHtml);
    ASSERT_TRUE(import->isEnabled());
    WhenModalIs<QFileDialog>([&](QFileDialog* folders) {
        folders->selectFile(QString::fromStdString(source.Str()));
        static_cast<QDialog*>(folders)->accept();
    });
    import->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Boxes.empty(); }));
    ServeEventsFor(std::chrono::milliseconds(300));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_NE(boxes.Boxes[0].find(store.string()), std::string::npos) << boxes.Boxes[0];
    ASSERT_EQ(folder->Count(), 2);
    for (int i = 0; i < folder->Count(); ++i) {
        EXPECT_EQ(NodeRecord(folder->Item(i))->State, CaptureState::Failed) << i;
    }
    EXPECT_EQ(Listing(store), before);
    CloseProgram(program);
}
