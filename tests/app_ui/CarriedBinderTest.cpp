// Binders carried to another home, laid out without marks, or named over a user's folder, used in
// the program as it runs: a binder copied to a home with settings of its own, or whose store was
// laid out by hand, captures its page again into its folder and deletes it with its node; a
// folder of the user's named as a store keeps every byte through open, view and both deletes.
#include "app/binder/FolderMark.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "app/binder/commands/BinderUi.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/TreePane.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"

#include "tests/app_ui/BinderListDelete.h"
#include "tests/app_ui/HomeListing.h"
#include "tests/app_ui/OneNodeTree.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

// A tree of one captured page 0x2024 whose stored page names its picture.
std::string OnePageTree(const std::string& url) {
    return OneNodeTree({.Url = url, .PageHtml = "<p>old text</p><img src=\"photo.jpg\">"});
}

constexpr uint32_t PageId = 0x2024;

std::string BinderFileText(const std::string& store, const std::string& save,
                           const std::string& taskLines = "") {
    return "bindername=B\r\nroot=/elsewhere\r\nstore=" + store + "\r\nsave=" + save +
           "\r\ndescription=D\r\ncreatedate=C\r\ncount=1\n\r[Task]\n\r" + taskLines;
}

// The page's server: the page as it reads now, and its picture.
struct Site {
    LoopbackServer server;
    Site() {
        server.Serve("/photos.htm", "<html><p>new text</p><img src=\"photo.jpg\"></html>",
                     "text/html");
        server.Serve("/photo.jpg", "the new picture", "image/jpeg");
        server.Start();
    }
};

// Starts the program, deleting unasked and showing pages through their file, and opens the
// binder in it: the binder is the one last opened, and its tree holds its one page.
void OpenInProgram(ProgramEnv& env, const fs::path& binderFile,
                   std::unique_ptr<TProgram>& program) {
    program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    program->Settings().AskBeforeDelete = false;
    program->Settings().ShowPageViaFile = true;
    program->Window()->OpenBinder(binderFile.string());
    ASSERT_EQ(program->Settings().LastFile, binderFile.string());
    ASSERT_EQ(program->Window()->Binder().Items().Count(), 1);
}

// Opens the binder in the program, captures its page again with Sync Content, and deletes the
// page's node: the page file holds the new text, then the node's folder is gone. With `asked`
// the open asks about the store, and Yes is answered; else nothing is asked.
void CaptureAgainAndDelete(ProgramEnv& env, const fs::path& binderFile, const fs::path& store,
                           bool asked = false) {
    BoxCatcher boxes(QMessageBox::Yes);
    std::unique_ptr<TProgram> program;
    ASSERT_NO_FATAL_FAILURE(OpenInProgram(env, binderFile, program));
    ASSERT_EQ(boxes.Boxes.size(), asked ? 1u : 0u);
    if (asked) {
        EXPECT_NE(boxes.Boxes[0].find(store.string() + " has no mark"), std::string::npos)
            << boxes.Boxes[0];
        boxes.Boxes.clear();
    }
    TFormVelmorRnx& window = *program->Window();
    TBinderTree& binder = window.Binder();
    TTreeNode* page = binder.Items().GetFirstNode();
    binder.Items().SetSelected(page);
    ServeEventsFor(std::chrono::milliseconds(100));
    QAction* sync = window.Actions().Action(TMainAction::ToolSyncContent);
    ASSERT_TRUE(sync->isEnabled());
    sync->trigger();
    const fs::path folder = store / IntToHex(PageId, 1);
    const fs::path pageFile = folder / (IntToHex(PageId, 1) + ".htm");
    EXPECT_TRUE(WaitUntil(
        [&] {
            return NodeRecord(page)->State == CaptureState::Completed && fs::exists(pageFile) &&
                   ReadFileBytes(pageFile).find("new text") != std::string::npos;
        },
        std::chrono::seconds(120)))
        << (fs::exists(pageFile) ? ReadFileBytes(pageFile) : "no page file");
    // The picture lands below the page's folder, under its host's name.
    std::vector<std::string> pictures;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && ReadFileBytes(entry.path()) == "the new picture") {
            pictures.push_back(entry.path().filename().string());
        }
    }
    EXPECT_EQ(pictures, std::vector<std::string>{"photo.jpg"});
    EXPECT_TRUE(HoldsProgramMark(OpenFolderPath(folder.string()).Get()));

    QAction* remove = window.Actions().Action(TMainAction::EditDelete1);
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(binder.Items().Count(), 0);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(boxes.Boxes.empty()) << boxes.Boxes.front();
    CloseProgram(program);
}

// A binder made under one user's settings, its store written as the program writes it.
void MakeBinderElsewhere(const fs::path& folder, const std::string& url) {
    TempDir otherSettings;
    const ScopedEnv config("XDG_CONFIG_HOME", otherSettings.Str());
    WriteFileBytes(folder / "b.sav", OnePageTree(url));
    WriteFileBytes(folder / "b.bdf", BinderFileText("Bstore", "b.sav"));
    const StoreAccess store(folder.string(), "Bstore");
    std::string error;
    ASSERT_TRUE(store.WriteNodeFile(PageId, "2024.htm", "<p>old text</p>", error)) << error;
    ASSERT_TRUE(store.WriteNodeFile(PageId, "photo.jpg", "the old picture", error)) << error;
}

// The binder folder copied into another home, whose settings `prepare` arranges.
void CarriedBinderWorks(const std::function<void(const fs::path& settings)>& prepare) {
    Site site;
    TempDir made;
    MakeBinderElsewhere(made.Path(), site.server.Url("/photos.htm"));
    ProgramEnv env;
    prepare(env.Folder.Path());
    TempDir otherHome;
    const ScopedEnv home("HOME", otherHome.Str());
    fs::copy(made.Path(), otherHome / "binder", fs::copy_options::recursive);
    CaptureAgainAndDelete(env, otherHome / "binder" / "b.bdf", otherHome / "binder" / "Bstore");
}

} // namespace

TEST(CarriedBinder, ABinderCopiedIntoAnotherHomeCapturesAgainAndDeletesThere) {
    CarriedBinderWorks([](const fs::path&) {});
}

TEST(CarriedBinder, AKeyFileThatIsALinkChangesNothing) {
    TempDir dotfiles;
    CarriedBinderWorks([&](const fs::path& settings) {
        WriteFileBytes(dotfiles / "Tarnwick.key", std::string(32, 'd'));
        fs::create_directories(settings / "VelmorSoft");
        fs::create_symlink(dotfiles / "Tarnwick.key", settings / "VelmorSoft" / "Tarnwick.key");
    });
    EXPECT_EQ(ReadFileBytes(dotfiles / "Tarnwick.key"), std::string(32, 'd'));
}

TEST(CarriedBinder, ASettingsFolderThatCannotHoldAKeyChangesNothing) {
    CarriedBinderWorks([](const fs::path& settings) {
        // A folder where the key would be: no key can be kept there.
        fs::create_directories(settings / "VelmorSoft" / "Tarnwick.key");
    });
}

// Laid out by hand as the store is described (<store>/<ID>/<ID>.htm and the resources its page
// names), without a mark anywhere: taken over at the open when the person answers Yes, then
// used as any store of the program's.
TEST(CarriedBinder, AStoreLaidOutWithoutMarksCapturesAgainAndDeletes) {
    Site site;
    ProgramEnv env;
    TempDir home;
    const ScopedEnv homeVariable("HOME", home.Str());
    const fs::path folder = home / "binder";
    WriteFileBytes(folder / "b.sav", OnePageTree(site.server.Url("/photos.htm")));
    WriteFileBytes(folder / "b.bdf", BinderFileText("Bstore", "b.sav"));
    WriteFileBytes(folder / "Bstore" / "2024" / "2024.htm", "<p>old text</p>");
    WriteFileBytes(folder / "Bstore" / "2024" / "photo.jpg", "the old picture");
    CaptureAgainAndDelete(env, folder / "b.bdf", folder / "Bstore", true);
}

// A binder file naming the user's Restore folder as its store, with file tasks into it and a
// tree naming 0x2024 where Restore/2024 holds 2024.htm beside the user's b.txt: opened, its
// page shown, its node deleted and the binder deleted, the home keeps every byte and gets no
// new entry. A mark put by hand into Restore/CAFE makes nothing of it the program's.
TEST(CarriedBinder, TheUsersFoldersNamedAsAStoreKeepEveryByte) {
    std::atomic<int> asked{0};
    LoopbackServer server;
    server.Serve("/photos.htm", "<p>the server's page</p>", "text/html");
    server.Http().Get("/new.txt", [&](const httplib::Request&, httplib::Response& response) {
        ++asked;
        response.set_content("a download", "text/plain");
    });
    server.Start();
    ProgramEnv env;
    TempDir homeDir;
    const fs::path home = homeDir.Path();
    const ScopedEnv homeVariable("HOME", home.string());
    WriteFileBytes(home / "Documents" / "2024" / "photo.jpg", "the user's photo");
    WriteFileBytes(home / "Restore" / "2024" / "2024.htm", "<p>the user's page</p>");
    WriteFileBytes(home / "Restore" / "2024" / "b.txt", "the user's notes");
    WriteFileBytes(home / "Restore" / "CAFE" / "menu.txt", "the menu");
    WriteFileBytes(home / "Restore" / "CAFE" / FolderMarkName,
                   "Tarnwick made this folder and may remove it with all it holds.\nmark " +
                       std::string(64, 'a') + "\n");
    WriteFileBytes(home / ".config" / "autostart" / "mine.desktop", "my entry");
    WriteFileBytes(home / ".bash_aliases", "alias ll='ls -l'\n");
    std::string tasks;
    for (const char* place : {"2024", "CAFE", "."}) {
        tasks += SerializeTask(Task(server.Url("/new.txt"), place, "txt")) + "\n\r";
    }
    WriteFileBytes(home / "restore.sav", OnePageTree(server.Url("/photos.htm")));
    const fs::path binderFile = home / "restore.bdf";
    WriteFileBytes(binderFile, BinderFileText("Restore", "restore.sav", tasks));
    const std::set<std::string> own = {"restore.bdf", "restore.sav"};
    const auto before = Without(Listing(home), own);
    // Listed among the user's binders, as a binder the user added.
    AddBinderToList(env.Store, binderFile.string());

    BoxCatcher boxes;
    std::unique_ptr<TProgram> program;
    ASSERT_NO_FATAL_FAILURE(OpenInProgram(env, binderFile, program));
    TFormVelmorRnx& window = *program->Window();
    TBinderTree& binder = window.Binder();
    binder.Items().SetSelected(binder.Items().GetFirstNode());
    // The tasks are refused before anything is asked of the server.
    ServeEventsFor(std::chrono::milliseconds(1500));
    EXPECT_EQ(Without(Listing(home), own), before);

    QAction* remove = window.Actions().Action(TMainAction::EditDelete1);
    ASSERT_TRUE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(binder.Items().Count(), 0);
    EXPECT_EQ(Without(Listing(home), own), before);

    // Deleting the binder from the binder list.
    const std::string made = JoinPath(env.Folder.Str(), "default.bdf");
    window.OpenBinder(made);
    ASSERT_NO_FATAL_FAILURE(DeleteFromBinderList(window, binderFile.string()));
    EXPECT_FALSE(fs::exists(binderFile));
    EXPECT_EQ(Listing(home), before);
    CloseProgram(program);
    EXPECT_EQ(Listing(home), before);
    EXPECT_EQ(asked.load(), 0) << "a file task was worked";
}
