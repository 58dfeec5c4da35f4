// Binder files made by hand beside a user's files, as one archive unpacked in the home can bring
// them, opened, used and closed in the program as it runs: whatever they name as their store or
// tree file, every file of the home keeps its bytes and nothing appears but the binder's own
// files. And a folder the program made for a page of a capture killed before its node was saved
// is removed when the binder opens again, while a folder of the user's named like a node's stays.
#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StoreLeftovers.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include "tests/app_ui/HomeListing.h"
#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/OneNodeTree.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QAction>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string BinderFile(const std::string& store, const std::string& save,
                       const std::string& taskLine = "") {
    return "bindername=B\r\nroot=/elsewhere\r\nstore=" + store + "\r\nsave=" + save +
           "\r\ndescription=D\r\ncreatedate=C\r\ncount=1\n\r[Task]\n\r" +
           (taskLine.empty() ? "" : taskLine + "\n\r");
}

} // namespace

TEST(UserFiles, BinderFilesNamingTheUsersFilesLeaveEveryFileOfTheHomeAsItWas) {
    ProgramEnv env;
    TempDir homeDir;
    const fs::path home = homeDir.Path();
    ScopedEnv homeVariable("HOME", home.string());
    WriteFileBytes(home / "Documents" / "2024" / "photo.jpg", "the user's photo");
    WriteFileBytes(home / "Restore" / "2024" / "photo.jpg", "a restored photo");
    WriteFileBytes(home / "Restore" / "CAFE" / "menu.txt", "the menu");
    fs::create_directories(home / ".config" / "autostart");
    WriteFileBytes(home / ".bash_aliases", "alias ll='ls -l'\n");
    fs::create_directory_symlink(home / ".config" / "autostart", home / "Autostore");
    fs::create_symlink(home / ".bash_aliases", home / "aliases.sav");

    LoopbackServer server;
    std::atomic<int> pictureAsked{0};
    std::atomic<int> taskAsked{0};
    server.Serve("/photos.htm", "<html><img src=\"photo.jpg\"></html>", "text/html");
    server.Http().Get("/photo.jpg", [&](const httplib::Request&, httplib::Response& response) {
        ++pictureAsked;
        response.set_content("the server's bytes", "image/jpeg");
    });
    server.Http().Get("/b1.desktop", [&](const httplib::Request&, httplib::Response& response) {
        ++taskAsked;
        response.set_content("[Desktop Entry]\nExec=true\n", "application/x-desktop");
    });
    server.Start();
    const std::string task =
        SerializeTask(Task(server.Url("/b1.desktop"), (home / "Autostore").string(), "desktop"));
    WriteFileBytes(home / "documents.sav", OneNodeTree({.Url = server.Url("/photos.htm"),
                                                        .PageHtml = "<img src=\"photo.jpg\">"}));
    WriteFileBytes(home / "documents.bdf", BinderFile("Documents", "documents.sav"));
    WriteFileBytes(home / "restore.bdf", BinderFile("Restore", "restore.sav"));
    WriteFileBytes(home / "photos.sav", OneNodeTree({.Url = server.Url("/photos.htm"),
                                                     .State = CaptureState::Unfinished,
                                                     .PageHtml = "<img src=\"photo.jpg\">"}));
    WriteFileBytes(home / "photos.bdf", BinderFile("Restore", "photos.sav"));
    WriteFileBytes(home / "autostart.bdf", BinderFile("Autostore", "autostart.sav", task));
    WriteFileBytes(home / "aliases.bdf", BinderFile("Aliasstore", "aliases.sav"));
    WriteFileBytes(home / "fresh.bdf", BinderFile("Freshstore", "fresh.sav"));

    std::unique_ptr<TProgram> program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    program->Settings().AskBeforeDelete = false;
    program->Settings().ShowPageViaFile = true;
    TFormVelmorRnx& window = *program->Window();
    TBinderTree& binder = window.Binder();
    // The binder the program made at its start is open.
    const std::string made = JoinPath(env.Folder.Str(), "default.bdf");
    EXPECT_EQ(program->Settings().LastFile, made);
    // A store of the user's holding a folder named as a page is asked about: No.
    BoxCatcher boxes(QMessageBox::No);

    const auto before = Listing(home);
    for (const char* refused : {"documents.bdf", "autostart.bdf", "aliases.bdf"}) {
        window.OpenBinder((home / refused).string());
        EXPECT_EQ(program->Settings().LastFile, made) << refused;
        EXPECT_EQ(Listing(home), before) << refused;
    }
    const char* const reasons[] = {"\"Documents\" does not end in \"store\".",
                                   "\"Autostore\" is a link.", "\"aliases.sav\" is a link."};
    ASSERT_EQ(boxes.Boxes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NE(boxes.Boxes[i].find(reasons[i]), std::string::npos) << boxes.Boxes[i];
    }

    // A store of the user's named like a store: the open removes nothing there. What the binders
    // opened may change are their own files.
    std::set<std::string> own = {"restore.bdf", "restore.sav"};
    window.OpenBinder((home / "restore.bdf").string());
    EXPECT_EQ(program->Settings().LastFile, (home / "restore.bdf").string());
    window.OpenBinder(made);
    EXPECT_EQ(Without(Listing(home), own), Without(before, own));

    // A page whose node folder is the user's: captured at the open, shown, then deleted.
    window.OpenBinder((home / "photos.bdf").string());
    ASSERT_EQ(binder.Items().Count(), 1);
    TTreeNode* page = binder.Items().GetFirstNode();
    ASSERT_TRUE(WaitUntil([&] { return NodeRecord(page)->State != CaptureState::Unfinished; },
                          std::chrono::seconds(120)));
    binder.Items().SetSelected(page);
    ServeEventsFor(std::chrono::milliseconds(100));
    QAction* command = window.Actions().Action(TMainAction::EditDelete1);
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    EXPECT_EQ(binder.Items().Count(), 0);
    window.OpenBinder(made);
    own.insert({"photos.bdf", "photos.sav"});
    EXPECT_EQ(Without(Listing(home), own), Without(before, own));
    // The capture could store nothing there: it fetched nothing more, and said so; so did the
    // delete that left the folder.
    EXPECT_EQ(pictureAsked.load(), 0);
    const std::string userFolder = (home / "Restore" / "2024").string();
    ASSERT_EQ(boxes.Boxes.size(), 6u);
    EXPECT_NE(boxes.Boxes[3].find((home / "Restore").string() + " has no mark"), std::string::npos)
        << boxes.Boxes[3];
    EXPECT_NE(boxes.Boxes[4].find("Capture Failed"), std::string::npos) << boxes.Boxes[4];
    // The store itself is the folder the program has no mark in.
    EXPECT_NE(boxes.Boxes[4].find((home / "Restore").string() + " "), std::string::npos)
        << boxes.Boxes[4];
    EXPECT_NE(boxes.Boxes[5].find(userFolder + " stays"), std::string::npos) << boxes.Boxes[5];

    // A binder whose store is not made yet opens.
    window.OpenBinder((home / "fresh.bdf").string());
    EXPECT_EQ(program->Settings().LastFile, (home / "fresh.bdf").string());
    EXPECT_EQ(boxes.Boxes.size(), 6u);
    window.OpenBinder(made);
    EXPECT_EQ(program->Settings().LastFile, made);
    CloseProgram(program);
    own.insert({"fresh.bdf", "fresh.sav"});
    EXPECT_EQ(Without(Listing(home), own), Without(before, own));
    EXPECT_EQ(taskAsked.load(), 0);
}

// ---- a capture killed with the folders it made --------------------------------------------

namespace {

constexpr const char* FolderVariable = "TARNWICK_LEFTOVER_FOLDER";
constexpr const char* UrlVariable = "TARNWICK_LEFTOVER_URL";
constexpr const char* LeftoverLine = "leftover folder ";

// The folders of the program's in the store that no node of the saved tree file owns.
std::vector<std::string> UnsavedFolders(const fs::path& store, const fs::path& treeFile) {
    std::set<std::string> saved;
    TTreeNodes tree;
    TreeLoadContext context;
    LoadTreeDump(tree, ReadFileBytes(treeFile), context);
    for (TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        saved.insert(IntToHex(NodeRecord(node)->Id, 1));
    }
    ClearTree(tree);
    std::vector<std::string> unsaved;
    const FileDescriptor folder = OpenFolderPath(store.string());
    for (const std::string& name :
         folder.Valid() ? FolderNames(folder.Get()) : std::vector<std::string>{}) {
        const FileDescriptor inner = OpenFolderAt(folder.Get(), name);
        if (inner.Valid() && HoldsFolderMark(inner.Get(), name) && saved.count(name) == 0) {
            unsaved.push_back(name);
        }
    }
    return unsaved;
}

} // namespace

// The child's part: a capture with linked pages whose second page waits for its picture for
// good; it says which folder of its own no saved node owns, then waits to be killed.
TEST(UserFiles, ChildCapturesUntilKilled) {
    const char* folder = std::getenv(FolderVariable);
    const char* url = std::getenv(UrlVariable);
    if (folder == nullptr || url == nullptr) {
        GTEST_SKIP() << "run by AFolderOfTheProgramsLeftByAKilledCaptureGoesAtTheNextOpen";
    }
    ChildProgram child(folder);
    ASSERT_NE(child.Program, nullptr);
    TBinderTree& binder = child.Program->Window()->Binder();
    const TTreeNode* node = AddRootPage(*child.Program, url);
    ASSERT_NE(node, nullptr);
    const fs::path storeFolder = fs::path(folder) / "defaultstore";
    // "http://127.0.0.1:<port>/..." keeps its files under "127.0.0.1<port>".
    std::string host = std::string(url).substr(std::string_view("http://").size());
    host = host.substr(0, host.find('/'));
    std::erase(host, ':');
    const fs::path rootPicture =
        storeFolder / IntToHex(NodeRecord(node)->Id, 1) / host / "root.gif";
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        // Killed once the saved page's folder is whole and a folder no saved node owns is there.
        const std::vector<std::string> unsaved =
            UnsavedFolders(storeFolder, fs::path(folder) / "default.sav");
        if (!unsaved.empty() && fs::exists(rootPicture)) {
            std::printf("%s%s\n", LeftoverLine, unsaved.front().c_str());
            std::fflush(stdout);
            watch.stop();
        }
    });
    watch.start(10);
    CaptureOptions options;
    options.Levels = 1;
    binder.CaptureSelectedNode(false, options); // returns when the form closes: never
    ADD_FAILURE() << "the status form closed by itself";
}

TEST(UserFiles, AFolderOfTheProgramsLeftByAKilledCaptureGoesAtTheNextOpen) {
    LoopbackServer server;
    std::mutex lock;
    bool released = false;
    server.Serve("/index.htm",
                 "<img src=\"root.gif\"><a href=\"one.htm\">1</a><a href=\"two.htm\">2</a>",
                 "text/html");
    server.Serve("/root.gif", "GIF root", "image/gif");
    server.Serve("/one.htm", "<title>One</title><img src=\"one.gif\">", "text/html");
    server.Serve("/one.gif", "GIF one", "image/gif");
    server.Serve("/two.htm", "<title>Two</title><img src=\"two.gif\">", "text/html");
    server.Http().Get("/two.gif", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("image/gif", [&](size_t, httplib::DataSink& sink) {
            std::lock_guard<std::mutex> guard(lock);
            if (released) {
                sink.done();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return sink.write("G", 1);
        });
    });
    server.Start();
    TempDir folder;
    // A folder of the user's in the program's store, named like a node's folder that no node
    // owns.
    ASSERT_TRUE(StoreAccess(folder.Str(), "defaultstore").OpenStore(true).Valid());
    WriteFileBytes(folder / "defaultstore" / "2B" / "mine.txt", "mine");
    std::string said;
    {
        ScopedEnv folderVariable(FolderVariable, folder.Str());
        ScopedEnv urlVariable(UrlVariable, server.Url("/index.htm"));
        const ChildEnd end =
            SignalChildOnceItSays("UserFiles.ChildCapturesUntilKilled", LeftoverLine, SIGKILL);
        ASSERT_TRUE(end.Said);
    }
    {
        std::lock_guard<std::mutex> guard(lock);
        released = true;
    }
    const fs::path store = folder / "defaultstore";
    const std::vector<std::string> leftovers = UnsavedFolders(store, folder / "default.sav");
    ASSERT_FALSE(leftovers.empty());

    ReopenedBinder binder(JoinPath(folder.Str(), "default.bdf"));
    ASSERT_TRUE(binder.Opened);
    for (const std::string& name : leftovers) {
        EXPECT_FALSE(fs::exists(store / name)) << name;
    }
    EXPECT_EQ(ReadFileBytes(store / "2B" / "mine.txt"), "mine");
    // The page the tree holds keeps its folder.
    const TTreeNode* root = binder.Tree.Items().GetFirstNode();
    ASSERT_NE(root, nullptr);
    const fs::path rootFolder = store / IntToHex(NodeRecord(root)->Id, 1);
    EXPECT_EQ(
        ReadFileBytes(rootFolder / ("127.0.0.1" + std::to_string(server.Port())) / "root.gif"),
        "GIF root");
}
