// Stores without the program's marks, used in the program as it runs. The person is asked once
// at the open: the user's folders named by a hand-made binder keep every byte on No through a
// capture and both deletes; stores an earlier version left (a page with a frame, a page
// recaptured after its picture changed, an empty page folder) are only read on No, with the
// way to allow them told, and on Yes are captured into and deleted as any store of the
// program's. And a file task's downloads stay across opens of a binder below a folder named
// like its store.
#include "app/binder/FolderMark.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include "tests/app_ui/BinderListDelete.h"
#include "tests/app_ui/HomeListing.h"
#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct Page {
    uint32_t Id;
    std::string Url;
    std::string PageHtml;
};

std::string TreeOf(const std::vector<Page>& pages) {
    TTreeNodes tree;
    for (const Page& page : pages) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::WebPage;
        record->Id = page.Id;
        const std::string title = "Page " + IntToHex(page.Id, 1);
        record->Title = title;
        record->RequestedUrl = page.Url;
        record->FinalUrl = page.Url;
        record->State = CaptureState::Completed;
        record->Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
        record->Content.PageHtml = page.PageHtml;
        tree.AddChildObject(nullptr, title, std::move(record));
    }
    std::string bytes = TreeFileBytes(tree);
    ClearTree(tree);
    return bytes;
}

std::string BinderFileText(const std::string& store, const std::string& save,
                           const std::string& taskLines = "") {
    return "bindername=B\r\nroot=/elsewhere\r\nstore=" + store + "\r\nsave=" + save +
           "\r\ndescription=D\r\ncreatedate=C\r\ncount=1\n\r[Task]\n\r" + taskLines;
}

// Every mark below the folder.
std::vector<std::string> Marks(const fs::path& folder) {
    std::vector<std::string> marks;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.path().filename() == FolderMarkName) {
            marks.push_back(entry.path().parent_path().filename().string());
        }
    }
    return marks;
}

// Selects the node and runs Sync Content on it to its end; its state then.
CaptureState Sync(TFormVelmorRnx& window, TTreeNode* node) {
    window.Binder().Items().SetSelected(node);
    ServeEventsFor(std::chrono::milliseconds(50));
    QAction* sync = window.Actions().Action(TMainAction::ToolSyncContent);
    EXPECT_TRUE(sync->isEnabled());
    sync->trigger();
    EXPECT_TRUE(WaitUntil([&] { return NodeRecord(node)->State != CaptureState::Unfinished; },
                          std::chrono::seconds(120)))
        << NodeRecord(node)->RequestedUrl;
    return NodeRecord(node)->State;
}

// A page added and never captured: captured as the location dialog's capture does.
CaptureState CaptureNew(TFormVelmorRnx& window, TTreeNode* node) {
    window.Binder().Items().SetSelected(node);
    CaptureOptions options;
    options.KeepWaitFormHidden = true;
    window.Binder().CaptureSelectedNode(false, options);
    EXPECT_TRUE(WaitUntil([&] { return NodeRecord(node)->State != CaptureState::Unfinished; },
                          std::chrono::seconds(120)))
        << NodeRecord(node)->RequestedUrl;
    return NodeRecord(node)->State;
}

void DeleteNode(TFormVelmorRnx& window, TTreeNode* node) {
    window.SideBar().OpenPanel(TreePanel);
    window.Binder().Items().SetSelected(node);
    ServeEventsFor(std::chrono::milliseconds(50));
    window.Actions().Action(TMainAction::EditDelete1)->trigger();
}

std::unique_ptr<TProgram> Start(ProgramEnv& env) {
    std::unique_ptr<TProgram> program = StartProgram(env.Folder.Str(), env.Store);
    if (program != nullptr) {
        program->Settings().AskBeforeDelete = false;
        program->Settings().ShowPageViaFile = true;
    }
    return program;
}

} // namespace

// A hand-made binder file whose tree names the files of the user's ~/Restore/2024 and
// ~/Restore/CAFE, and one naming ~/mystore/1A2B/1A2B.htm: each open asks, No is answered, and a
// capture, a node delete and the binder's delete leave every byte of the home, no mark written.
TEST(StoreQuestion, TheUsersFoldersAnsweredNoKeepEveryByte) {
    LoopbackServer server;
    server.Serve("/p.htm", "<p>the server's page</p>", "text/html");
    server.Start();
    ProgramEnv env;
    TempDir homeDir;
    const fs::path home = homeDir.Path();
    const ScopedEnv homeVariable("HOME", home.string());
    WriteFileBytes(home / "Restore" / "2024" / "photo.jpg", "the user's photo");
    WriteFileBytes(home / "Restore" / "2024" / "2024.htm", "<p>the user's page</p>");
    WriteFileBytes(home / "Restore" / "CAFE" / "menu.txt", "the menu");
    WriteFileBytes(home / "mystore" / "1A2B" / "1A2B.htm", "<p>mine</p>");
    const std::string url = server.Url("/p.htm");
    WriteFileBytes(home / "restore.sav",
                   TreeOf({{0x2024, url, "<img src=\"photo.jpg\"><a href=\"2024.htm\">"},
                           {0xCAFE, url, "<a href=\"menu.txt\">"}}));
    WriteFileBytes(home / "restore.bdf", BinderFileText("Restore", "restore.sav"));
    WriteFileBytes(home / "my.sav", TreeOf({{0x1A2B, url, "<a href=\"1A2B.htm\">"}}));
    WriteFileBytes(home / "my.bdf", BinderFileText("mystore", "my.sav"));
    const std::set<std::string> own = {"restore.bdf", "restore.sav", "my.bdf", "my.sav"};
    const auto before = Without(Listing(home), own);

    std::unique_ptr<TProgram> program = Start(env);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    const std::string made = JoinPath(env.Folder.Str(), "default.bdf");
    BoxCatcher boxes(QMessageBox::No);
    for (const auto& [file, store] : {std::pair{"restore.bdf", "Restore"}, {"my.bdf", "mystore"}}) {
        const std::string binderFile = (home / file).string();
        AddBinderToList(env.Store, binderFile);
        window.OpenBinder(binderFile);
        ASSERT_EQ(program->Settings().LastFile, binderFile);
        ASSERT_EQ(boxes.Boxes.size(), 1u) << file;
        EXPECT_NE(boxes.Boxes[0].find((home / store).string() + " has no mark"), std::string::npos)
            << boxes.Boxes[0];
        TTreeNode* first = window.Binder().Items().GetFirstNode();
        EXPECT_EQ(Sync(window, first), CaptureState::Failed) << file;
        ASSERT_TRUE(WaitUntil([&] { return boxes.Boxes.size() == 2; })) << file;
        EXPECT_NE(boxes.Boxes[1].find("answer Yes when asked"), std::string::npos)
            << boxes.Boxes[1];
        const int nodes = window.Binder().Items().Count();
        DeleteNode(window, first);
        EXPECT_EQ(window.Binder().Items().Count(), nodes - 1) << file;
        ASSERT_TRUE(WaitUntil([&] { return boxes.Boxes.size() == 3; }))
            << file << ": " << boxes.Boxes.back();
        EXPECT_EQ(Without(Listing(home), own), before) << file;
        window.OpenBinder(made);
        ASSERT_NO_FATAL_FAILURE(DeleteFromBinderList(window, binderFile));
        EXPECT_FALSE(fs::exists(binderFile));
        EXPECT_EQ(Without(Listing(home), own), before) << file;
        ServeEventsFor(std::chrono::milliseconds(100));
        boxes.Boxes.clear();
    }
    CloseProgram(program);
    EXPECT_EQ(Without(Listing(home), own), before);
}

namespace {

// A site whose pages the program captures into a store: one with a frame whose own page names
// its picture, one whose picture changes between captures, and a plain one.
struct Site {
    LoopbackServer server;
    std::atomic<bool> changed{false};
    Site() {
        server.Serve("/framed.htm", "<html><frameset><frame src=\"inner.htm\"></frameset></html>",
                     "text/html");
        server.Serve("/inner.htm", "<html><img src=\"f.gif\">inner</html>", "text/html");
        server.Serve("/f.gif", "GIF f", "image/gif");
        server.Http().Get(
            "/changing.htm", [this](const httplib::Request&, httplib::Response& response) {
                response.set_content(changed ? "<html><img src=\"b.gif\">now</html>"
                                             : "<html><img src=\"a.gif\">before</html>",
                                     "text/html");
            });
        server.Serve("/a.gif", "GIF a", "image/gif");
        server.Serve("/b.gif", "GIF b", "image/gif");
        server.Serve("/plain.htm", "<html><img src=\"p.gif\">plain</html>", "text/html");
        server.Serve("/p.gif", "GIF p", "image/gif");
        server.Start();
    }
};

// The names of the files below the folder.
std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            names.insert(entry.path().filename().string());
        }
    }
    return names;
}

// The default binder of a program started in `env`, its pages captured by the program: framed,
// changing (captured again after its picture changed), plain and one whose folder is emptied;
// then every mark removed, as a build before the marks left the store.
void MakeEarlierStore(Site& site, ProgramEnv& env) {
    std::unique_ptr<TProgram> program = Start(env);
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    const fs::path store = env.Folder / "defaultstore";
    std::vector<TTreeNode*> pages;
    for (const char* page : {"/framed.htm", "/changing.htm", "/plain.htm", "/plain.htm"}) {
        window.Binder().Items().SetSelected(nullptr); // added at the top level
        pages.push_back(AddRootPage(*program, site.server.Url(page)));
        ASSERT_NE(pages.back(), nullptr);
        ASSERT_EQ(CaptureNew(window, pages.back()), CaptureState::Completed) << page;
    }
    site.changed = true;
    ASSERT_EQ(Sync(window, pages[1]), CaptureState::Completed);
    const fs::path changing = store / IntToHex(NodeRecord(pages[1])->Id, 1);
    ASSERT_EQ(FileNames(changing).count("a.gif") + FileNames(changing).count("b.gif"), 2u);
    const fs::path framed = store / IntToHex(NodeRecord(pages[0])->Id, 1);
    ASSERT_EQ(FileNames(framed).count("f.gif"), 1u);
    const fs::path emptied = store / IntToHex(NodeRecord(pages[3])->Id, 1);
    CloseProgram(program);
    fs::remove_all(emptied);
    fs::create_directory(emptied);
    for (const auto& entry : fs::recursive_directory_iterator(store)) {
        if (entry.path().filename() == FolderMarkName) {
            fs::remove(entry.path());
        }
    }
    ASSERT_TRUE(Marks(store).empty());
}

} // namespace

// No: only read, nothing written, the refusal says how to allow it. Yes: the store and its page
// folders are the program's with whatever they hold; Sync Content stores into each, a node
// delete removes its folder, a new capture works.
TEST(StoreQuestion, AStoreAnEarlierVersionLeftIsUsedOnYesAndOnlyReadOnNo) {
    Site site;
    TempDir earlier;
    {
        ProgramEnv env;
        ASSERT_NO_FATAL_FAILURE(MakeEarlierStore(site, env));
        for (const char* name : {"default.bdf", "default.sav", "defaultstore"}) {
            for (const char* copy : {"no", "yes"}) {
                fs::create_directories(earlier / copy);
                fs::copy(env.Folder / name, earlier / copy / name, fs::copy_options::recursive);
            }
        }
    }
    for (const QMessageBox::StandardButton answer : {QMessageBox::No, QMessageBox::Yes}) {
        const bool yes = answer == QMessageBox::Yes;
        const fs::path folder = earlier / (yes ? "yes" : "no");
        const fs::path store = folder / "defaultstore";
        const auto before = Listing(store);
        ProgramEnv env;
        std::unique_ptr<TProgram> program = Start(env);
        ASSERT_NE(program, nullptr);
        TFormVelmorRnx& window = *program->Window();
        BoxCatcher boxes(answer);
        window.OpenBinder((folder / "default.bdf").string());
        TTreeNodes& tree = window.Binder().Items();
        ASSERT_EQ(tree.Count(), 4);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_NE(boxes.Boxes[0].find("4 folders named as pages of this binder and nothing else"),
                  std::string::npos)
            << boxes.Boxes[0];
        std::vector<TTreeNode*> pages;
        for (int i = 0; i < tree.TopLevelCount(); ++i) {
            pages.push_back(tree.TopLevelItem(i));
        }
        if (!yes) {
            EXPECT_EQ(Sync(window, pages[1]), CaptureState::Failed);
            ASSERT_TRUE(WaitUntil([&] { return boxes.Boxes.size() == 2; }));
            EXPECT_NE(boxes.Boxes[1].find("answer Yes when asked"), std::string::npos)
                << boxes.Boxes[1];
            DeleteNode(window, pages[0]);
            EXPECT_EQ(Listing(store), before);
            CloseProgram(program);
            EXPECT_EQ(Listing(store), before);
            continue;
        }
        EXPECT_EQ(Marks(store).size(), 5u);
        for (TTreeNode* page : pages) {
            EXPECT_EQ(Sync(window, page), CaptureState::Completed) << NodeRecord(page)->Title;
        }
        const fs::path framed = store / IntToHex(NodeRecord(pages[0])->Id, 1);
        EXPECT_TRUE(fs::exists(framed));
        DeleteNode(window, pages[0]);
        EXPECT_FALSE(fs::exists(framed));
        tree.SetSelected(nullptr);
        TTreeNode* added = AddRootPage(*program, site.server.Url("/plain.htm"));
        ASSERT_NE(added, nullptr);
        EXPECT_EQ(CaptureNew(window, added), CaptureState::Completed);
        EXPECT_EQ(FileNames(store / IntToHex(NodeRecord(added)->Id, 1)).count("p.gif"), 1u);
        ServeEventsFor(std::chrono::milliseconds(200));
        EXPECT_EQ(boxes.Boxes.size(), 1u) << boxes.Boxes.back();
        CloseProgram(program);
    }
}

// A binder in ~/Bstore/b whose store is "Bstore" and whose file task names its folder by an
// absolute path: the download stays across two opens.
TEST(StoreQuestion, AFileTasksDownloadsStayInABinderBelowAFolderNamedLikeItsStore) {
    LoopbackServer server;
    server.Serve("/a.txt", "a download", "text/plain");
    server.Start();
    ProgramEnv env;
    TempDir home;
    const fs::path folder = home / "Bstore" / "b";
    const fs::path docs = folder / "Bstore" / "docs";
    const std::string task =
        SerializeTask(Task(server.Url("/a.txt"), docs.string(), "txt")) + "\n\r";
    WriteFileBytes(folder / "b.sav", TreeOf({{0x1, server.Url("/a.txt"), ""}}));
    WriteFileBytes(folder / "b.bdf", BinderFileText("Bstore", "b.sav", task));
    const std::string binderFile = (folder / "b.bdf").string();
    const std::string made = JoinPath(env.Folder.Str(), "default.bdf");
    std::unique_ptr<TProgram> program = Start(env);
    ASSERT_NE(program, nullptr);
    BoxCatcher boxes;
    program->Window()->OpenBinder(binderFile);
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(docs / "a.txt"); }, std::chrono::seconds(60)));
    for (int open = 0; open < 2; ++open) {
        program->Window()->OpenBinder(made);
        program->Window()->OpenBinder(binderFile);
        ServeEventsFor(std::chrono::milliseconds(300));
        EXPECT_EQ(ReadFileBytes(docs / "a.txt"), "a download") << open;
    }
    CloseProgram(program);
    EXPECT_EQ(ReadFileBytes(docs / "a.txt"), "a download");
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes.front();
}
