#include "app/binder/BinderHeader.h"
#include "app/binder/FolderMark.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_binder/ExportFixture.h"
#include "tests/app_ui/HomeListing.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/StoredFiles.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <random>

namespace fs = std::filesystem;

namespace {

// The bytes as `od -c` shows them, so a wrong line end is plain in a failure.
std::string OdC(const std::string& bytes) {
    std::string shown;
    for (char c : bytes) {
        shown += c == '\r' ? "  \\r" : c == '\n' ? "  \\n" : std::string("   ") + c;
    }
    return shown;
}

struct Lifecycle : BinderFixture {
    MemorySettingsStore store;
    BinderPaths fresh; // the start values: no binder open
    TBinderLifecycle lifecycle{ui.Roles(), queue, capture, settings, store, paths, commands};
    std::string bdf = JoinPath(dir.Str(), "My Notes.bdf");

    Lifecycle() {
        paths = fresh;
        lifecycle.Clock = [] { return EncodeDateTime(2002, 6, 25, 19, 55, 53, 0); };
    }
    bool Create(const std::string& description = "") {
        return lifecycle.CreateBinder(dir.Str(), "My Notes", description, false);
    }
};

TEST(BinderFile, CreatingMyNotesWritesTheSevenLinesExactly) {
    Lifecycle b;
    ASSERT_TRUE(b.Create());
    EXPECT_EQ(OdC(ReadFileBytes(b.bdf)),
              OdC("bindername=My%20Notes\r\nroot=" + b.dir.Str() +
                  "\r\nstore=My%20Notesstore\r\n"
                  "save=My%20Notes.sav\r\ndescription=No%20Description\r\n"
                  "createdate=06/25/02%2019:55:53\r\ncount=0\r\n"));
    EXPECT_TRUE(fs::is_directory(b.dir / "My Notesstore"));
    EXPECT_EQ(ReadBinderList(b.store), std::vector<std::string>{b.bdf});
    // A name that would leave the folder or break a line is refused.
    for (const char* name : {"", "..", "a/b", "a\\b", "a\nb"}) {
        EXPECT_FALSE(b.lifecycle.CreateBinder(b.dir.Str(), name, "", false)) << name;
    }
}

// A new binder named so that its store's name is that of a store the user put files into ("Re"
// beside ~/Restore) empties nothing of the user's in it; overriding a binder of the program's
// removes the folders the program made there.
TEST(BinderFile, CreatingABinderLeavesAFolderOfTheUsersNamedAsItsStore) {
    Lifecycle b;
    WriteStoredFile(b.dir.Str(), "Restore", 0x1A, "a.gif", "a page's picture");
    WriteFileBytes(b.dir / "Restore" / "2024" / "photo.jpg", "mine");
    ASSERT_TRUE(b.lifecycle.CreateBinder(b.dir.Str(), "Re", "", false));
    EXPECT_EQ(ReadFileBytes(b.dir / "Restore" / "2024" / "photo.jpg"), "mine");
    EXPECT_FALSE(fs::exists(b.dir / "Restore" / "1A"));
    EXPECT_EQ(SortedNames(b.dir / "Restore"), (std::vector<std::string>{FolderMarkName, "2024"}));
    EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());
}

TEST(BinderFile, CloseAndReopenKeepTasksAndDescriptions) {
    for (const std::string& description :
         {std::string("my count=5\r\nmore"), std::string(2000, 'd') + " end"}) {
        Lifecycle b;
        ASSERT_TRUE(b.Create(description));
        b.queue.Tasks = {Task("http://a/", "/s/1", UnfinishedPageKind)};
        ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
        EXPECT_EQ(b.paths.BinderName + "|" + b.paths.BinderStore + "|" + b.paths.TreeFilePath,
                  "My%20Notes|My Notesstore|" + b.dir.Str() + "/My Notes.sav");
        EXPECT_TRUE(b.queue.Tasks.empty()); // the file held no tasks
        AddRecord(b.Tree(), nullptr, NodeKind::Folder, 0x1A, "F");
        AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0x2C, "P"); // unfinished
        b.binder.BinderDirty = true;
        Task failed("http://b/x.zip", "/s/2", "zip");
        failed.State = TaskFailed;
        failed.NodeId = 0x2B;
        Task page("http://c/", "/s/3", UnfinishedPageKind);
        page.NodeId = 0x2C;
        b.queue.Tasks = {failed, page};
        const std::string head = ReadFileBytes(b.bdf);
        b.lifecycle.CloseBinder();
        EXPECT_FALSE(b.lifecycle.BinderOpen());
        EXPECT_EQ(b.Tree().Count(), 0);
        const std::string tail = "count=2\n\r[Task]\n\r" + SerializeTask(b.queue.Tasks[0]) +
                                 "\n\r" + SerializeTask(b.queue.Tasks[1]) + "\n\r";
        EXPECT_EQ(OdC(ReadFileBytes(b.bdf)), OdC(head.substr(0, head.rfind("count=")) + tail));

        const std::vector<Task> saved = b.queue.Tasks;
        b.queue.Tasks.clear();
        ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
        EXPECT_EQ(b.queue.Tasks, saved);
        EXPECT_EQ(TreeShape(b.Tree()), "F#1A,P#2C");
        TBinderHeader header;
        ASSERT_TRUE(ReadBinderHeader(b.bdf, header));
        EXPECT_EQ(header.Description, ReplaceAll(ReplaceAll(description, "\r", ""), "\n", ""));
        EXPECT_EQ(header.CreateDate, "06/25/02 19:55:53");
    }
}

// The binder is the folder that holds its file, whatever "root=" says.
TEST(BinderFile, ReadsAnyLineEndsAndTakesItsOwnFolderWhateverItsRootSays) {
    Lifecycle b;
    const std::string line = SerializeTask(Task("http://a/" + std::string(5000, 'p'), "/s", "x"));
    WriteFileBytes(b.bdf, "bindername=N\nroot=" + b.dir.Str() + "\r\nstore=Sstore\n\rsave=N.sav\n" +
                              "description=D\ncreatedate=C\r\ncount=0\n\r[Task]\n\r" + line +
                              "\r\n\n" + line);
    ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
    EXPECT_EQ(b.paths.BinderStore, "Sstore");
    EXPECT_EQ(b.queue.SaveTasks(), (std::vector<std::string>{line, line}));
    const std::string other = JoinPath(b.dir.Str(), "other.bdf");
    for (const std::string& root :
         {std::string("relative"), std::string("C:\\Binders"), std::string("/elsewhere/x")}) {
        WriteFileBytes(other,
                       "bindername=N\r\nroot=" + root + "\r\nstore=Sstore\r\nsave=O.sav\r\n");
        ASSERT_TRUE(b.lifecycle.OpenBinder(other)) << root;
        EXPECT_EQ(b.paths.BinderRoot, b.dir.Str());
        EXPECT_EQ(b.paths.TreeFilePath, JoinPath(b.dir.Str(), "O.sav"));
    }
    // A binder that cannot be opened is refused before the open one is closed: that one stays
    // open with its tree.
    AddRecord(b.Tree(), nullptr, NodeKind::Folder, 0x1A, "F");
    const std::string bad = JoinPath(b.dir.Str(), "bad.bdf");
    WriteFileBytes(bad, "bindername=N\r\nroot=" + b.dir.Str() + "\r\nstore=S\r\n");
    EXPECT_FALSE(b.lifecycle.OpenBinder(bad));
    EXPECT_FALSE(b.lifecycle.OpenBinder(JoinPath(b.dir.Str(), "missing.bdf")));
    // Each refusal names the file and why.
    EXPECT_EQ(b.ui.CallsOf("ShowMessage(Unable to open binder"),
              (std::vector<std::string>{
                  "ShowMessage(Unable to open binder\n" + bad +
                      ": its tree file \"\" is not a name inside the binder folder.)",
                  "ShowMessage(Unable to open binder\n" + JoinPath(b.dir.Str(), "missing.bdf") +
                      ": No such file or directory.)"}));
    EXPECT_EQ(b.paths.BinderFilePath, other);
    EXPECT_EQ(TreeShape(b.Tree()), "F#1A");
}

// What cannot be opened as a binder is named with the reason, and nothing is opened: random
// bytes, a folder, a store or tree file name that would leave the binder folder.
TEST(BinderFile, AFileThatIsNoBinderIsNamedWithTheReason) {
    Lifecycle b;
    std::mt19937 random(49);
    std::string noise(4096, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    ASSERT_EQ(noise.find("root="), std::string::npos);
    const std::string noiseFile = JoinPath(b.dir.Str(), "noise.bdf");
    WriteFileBytes(noiseFile, noise);
    const std::string folder = JoinPath(b.dir.Str(), "folder.bdf");
    fs::create_directory(folder);
    const std::string escaping = JoinPath(b.dir.Str(), "escaping.bdf");
    WriteFileBytes(escaping, "bindername=N\nroot=" + b.dir.Str() + "\nstore=S\nsave=../N.sav\n");
    const std::string storeAbove = JoinPath(b.dir.Str(), "above.bdf");
    WriteFileBytes(storeAbove, "bindername=N\nroot=" + b.dir.Str() + "\nstore=..\nsave=N.sav\n");
    // Hidden names would be the user's settings when the binder file lies among the user's files.
    const std::string hiddenStore = JoinPath(b.dir.Str(), "hidden.bdf");
    WriteFileBytes(hiddenStore, "store=.x\nsave=N.sav\n");
    const std::string hiddenSave = JoinPath(b.dir.Str(), "hidden-save.bdf");
    WriteFileBytes(hiddenSave, "store=S\nsave=.bashrc\n");
    for (const std::string& file :
         {noiseFile, folder, escaping, storeAbove, hiddenStore, hiddenSave}) {
        EXPECT_FALSE(b.lifecycle.OpenBinder(file)) << file;
    }
    EXPECT_EQ(b.ui.CallsOf("ShowMessage"),
              (std::vector<std::string>{
                  "ShowMessage(Unable to open binder\n" + noiseFile +
                      ": its store folder \"\" is not a name inside the binder folder.)",
                  "ShowMessage(Unable to open binder\n" + folder +
                      ": it is not a file that can be read.)",
                  "ShowMessage(Unable to open binder\n" + escaping +
                      ": its tree file \"../N.sav\" is not a name inside the binder folder.)",
                  "ShowMessage(Unable to open binder\n" + storeAbove +
                      ": its store folder \"..\" is not a name inside the binder folder.)",
                  "ShowMessage(Unable to open binder\n" + hiddenStore +
                      ": its store folder \".x\" begins with \".\".)",
                  "ShowMessage(Unable to open binder\n" + hiddenSave +
                      ": its tree file \".bashrc\" begins with \".\".)"}));
    EXPECT_FALSE(b.lifecycle.BinderOpen());
    EXPECT_TRUE(b.paths.TreeFilePath.empty());
}

// The binder's files are never reached through a link, and a store is named as the program
// names every store it makes: a binder file that could reach the user's files otherwise is
// refused with the reason before anything is written. One whose store is not made yet opens,
// and gets its store, marked, at the first write.
TEST(BinderFile, ABinderFileThatCouldReachTheUsersFilesIsRefusedBeforeAnythingIsWritten) {
    Lifecycle b;
    WriteFileBytes(b.dir / "Documents" / "2024" / "photo.jpg", "photo");
    fs::create_directories(b.dir / ".config" / "autostart");
    WriteFileBytes(b.dir / ".bash_aliases", "alias ll='ls -l'");
    fs::create_directory_symlink(b.dir / ".config" / "autostart", b.dir / "Autostore");
    fs::create_symlink(b.dir / ".bash_aliases", b.dir / "aliases.sav");
    WriteFileBytes(b.dir / "Filestore", "a file");
    fs::create_directories(b.dir / "Folder.sav");
    const std::vector<std::array<std::string, 3>> cases = {
        {"documents.bdf", "store=Documents\r\nsave=d.sav",
         "its store folder \"Documents\" does not end in \"store\""},
        {"autostart.bdf", "store=Autostore\r\nsave=a.sav",
         "its store folder \"Autostore\" is a link"},
        {"aliases.bdf", "store=Aliasstore\r\nsave=aliases.sav",
         "its tree file \"aliases.sav\" is a link"},
        {"file.bdf", "store=Filestore\r\nsave=f.sav",
         "its store folder \"Filestore\" is not a folder"},
        {"folder.bdf", "store=Fstore\r\nsave=Folder.sav",
         "its tree file \"Folder.sav\" is not a file"},
    };
    for (const auto& [name, values, reason] : cases) {
        WriteFileBytes(b.dir / name, "bindername=N\r\n" + values + "\r\ncount=0\r\n");
    }
    const auto before = FolderListing(b.dir.Path());
    std::vector<std::string> told;
    for (const auto& [name, values, reason] : cases) {
        const std::string file = (b.dir / name).string();
        EXPECT_FALSE(b.lifecycle.OpenBinder(file)) << name;
        b.lifecycle.DeleteBinder(file);
        told.push_back("ShowMessage(Unable to open binder\n" + file + ": " + reason + ".)");
        told.push_back("ShowMessage(can not delete binder " + file + ")");
    }
    EXPECT_EQ(b.ui.CallsOf("ShowMessage"), told);
    EXPECT_EQ(FolderListing(b.dir.Path()), before);
    EXPECT_FALSE(b.lifecycle.BinderOpen());

    const std::string fresh = (b.dir / "fresh.bdf").string();
    WriteFileBytes(fresh, "bindername=F\r\nstore=Freshstore\r\nsave=fresh.sav\r\ncount=0\r\n");
    ASSERT_TRUE(b.lifecycle.OpenBinder(fresh));
    EXPECT_FALSE(fs::exists(b.dir / "Freshstore"));
    EXPECT_FALSE(WriteNodePageFile(b.paths.BinderRoot, b.paths.BinderStore, 0x1A, "p").empty());
    EXPECT_TRUE(
        HoldsFolderMark(OpenFolderPath((b.dir / "Freshstore").string()).Get(), "Freshstore"));
}

// Readers drop every CR, so the rewrite must find the lines they find, whatever the line ends.
TEST(BinderFile, ARewrittenTaskSectionReadsBackOverAnyLineEnds) {
    const std::string task = SerializeTask(Task("http://a/", "/s", UnfinishedPageKind));
    const std::string header = "bindername=N\rroot=/b\nstore=S\r\nsave=N.sav\n\r";
    const std::string files[] = {
        header + "count\r=5\n\r[Task]\n\r" + task + "\n\r",      // a CR inside the count line
        header + "\rcount=5\n[Ta\rsk]\nold\rtask\r\n",           // lone CRs and LFs
        header + "description=d\rcount=5\r",                     // no count line for a reader
        header + "createdate=c\r\ncount=5\r\n[Task]\r\n" + task, // CR LF throughout
    };
    const std::vector<std::string> tasks = {task, SerializeTask(Task("http://b/", "/t", "zip"))};
    for (const std::string& file : files) {
        SCOPED_TRACE(OdC(file));
        const std::string rewritten = WithTaskSection(file, 7, tasks);
        const TBinderFileValues values = ParseBinderFile(rewritten);
        EXPECT_EQ(values.TaskLines, tasks);
        EXPECT_EQ(values.Count, "7");
        EXPECT_EQ(values.Store, "S");
        EXPECT_EQ(WithTaskSection(rewritten, 7, tasks), rewritten);
    }
}

TEST(BinderFile, ReloadKeepsTheBinderFileClosingTwiceIsHarmlessAFailedSaveKeepsItOpen) {
    Lifecycle b;
    ASSERT_TRUE(b.Create());
    ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
    b.lifecycle.ReloadBinder();
    EXPECT_EQ(b.paths.BinderFilePath, b.bdf);
    b.lifecycle.CloseBinder();
    const std::string closed = ReadFileBytes(b.bdf);
    EXPECT_NE(closed.find("count=0\n\r[Task]\n\r"), std::string::npos);
    const size_t calls = b.ui.Calls().size();
    b.lifecycle.CloseBinder();
    b.lifecycle.ReloadBinder();
    EXPECT_EQ(b.ui.Calls().size(), calls);
    EXPECT_EQ(ReadFileBytes(b.bdf), closed);

    // A tree that cannot be written keeps the binder open with its records.
    ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
    AddRecord(b.Tree(), nullptr, NodeKind::Folder, 0x1A, "F");
    b.binder.BinderDirty = true;
    fs::create_directories(b.dir / "My Notes.sav" / "in the way");
    EXPECT_FALSE(b.lifecycle.TryCloseBinder());
    EXPECT_TRUE(b.lifecycle.BinderOpen());
    EXPECT_EQ(TreeShape(b.Tree()), "F#1A");
    EXPECT_FALSE(b.lifecycle.OpenBinder(b.bdf)); // nor does another open drop it
    EXPECT_EQ(TreeShape(b.Tree()), "F#1A");
}

TEST(BinderFile, DeletingTouchesOnlyTheBinderAndRefusesUnsafeValues) {
    // Every unsafe value aims inside the test's folder, so even a broken check harms nothing.
    Lifecycle b;
    const fs::path root = b.dir / "a" / "b";
    ASSERT_TRUE(b.lifecycle.CreateBinder(root.string(), "My Notes", "", false));
    const std::string bdf = (root / "My Notes.bdf").string();
    TTreeNodes tree;
    AddRecord(tree, nullptr, NodeKind::WebPage, 0x1A, "P");
    WriteStoredFile(root.string(), "My Notesstore", 0x1A, "p.htm", "p");
    WriteFileBytes(root / "My Notes.sav", TreeFileBytes(tree));
    ClearTree(tree);
    WriteFileBytes(b.dir / "a" / "other" / "keep", "k");
    const std::string good = ReadFileBytes(bdf);
    const auto untouched = [&] {
        return fs::exists(bdf) && fs::exists(root / "My Notesstore" / "1A" / "p.htm") &&
               fs::exists(root / "My Notes.sav") && fs::exists(b.dir / "a" / "other" / "keep");
    };
    for (const auto& [store, save] :
         std::vector<std::array<std::string, 2>>{{"", "My Notes.sav"},
                                                 {"..", "My Notes.sav"},
                                                 {(b.dir / "a" / "other").string(), "My Notes.sav"},
                                                 {"My Notesstore/..", "My Notes.sav"},
                                                 {".", "My Notes.sav"},
                                                 {"My Notesstore", "../My Notes.bdf"},
                                                 {"My Notesstore", ".My Notes.sav"}}) {
        WriteFileBytes(bdf, "root=" + root.string() + "\r\nstore=" + EncodeBinderValue(store) +
                                "\r\nsave=" + EncodeBinderValue(save) + "\r\n");
        b.lifecycle.DeleteBinder(bdf);
        EXPECT_TRUE(untouched()) << store << " " << save;
    }
    WriteFileBytes(bdf, good);
    AddBinderToList(b.store, "/elsewhere.bdf");
    b.lifecycle.DeleteBinder(bdf);
    std::vector<std::string> left;
    for (const auto& entry : fs::recursive_directory_iterator(b.dir.Path())) {
        left.push_back(fs::relative(entry.path(), b.dir.Path()).string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a", "a/b", "a/other", "a/other/keep"}));
    EXPECT_EQ(ReadBinderList(b.store), std::vector<std::string>{"/elsewhere.bdf"});
}

// The folders of a deleted binder go while the event loop runs (the window is drawn and the bar
// runs), with the wait form up until they are gone.
TEST(BinderFile, ADeletedBindersFoldersGoBesideTheEventLoopWithTheWaitFormUp) {
    Lifecycle b;
    ASSERT_TRUE(b.Create());
    WriteStoredFile(b.dir.Str(), "My Notesstore", 0x1A, "p.htm", "p");
    const size_t before = b.ui.Calls().size();
    std::vector<std::string> callsMeanwhile;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [&] {
            const std::vector<std::string> calls = b.ui.Calls();
            callsMeanwhile.assign(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end());
        },
        Qt::QueuedConnection);
    b.lifecycle.DeleteBinder(b.bdf);
    EXPECT_EQ(callsMeanwhile, std::vector<std::string>{"OpenStatusForm()"});
    EXPECT_EQ(b.ui.Calls().back(), "CloseStatusForm");
    EXPECT_FALSE(fs::exists(b.dir / "My Notesstore"));
    EXPECT_FALSE(fs::exists(b.bdf));
}

// A binder file can name a folder of the user's as its store: deleting the binder takes only the
// folders the program made there, and the store only when the program made it and nothing else
// is left in it. A folder named like one of its nodes' stays when the program did not make it.
TEST(BinderFile, DeletingABinderLeavesWhatItsStoreHoldsBesideItsNodes) {
    Lifecycle b;
    const fs::path documents = b.dir / "Restore";
    WriteStoredFile(b.dir.Str(), "Restore", 0x1A, "p.htm", "page");
    WriteFileBytes(documents / "letter.txt", "mine");
    WriteFileBytes(documents / "2B" / "photo.jpg", "mine too"); // named like a node's folder
    TTreeNodes tree;
    AddRecord(tree, nullptr, NodeKind::WebPage, 0x1A, "P");
    AddRecord(tree, nullptr, NodeKind::WebPage, 0x2B, "Q");
    WriteFileBytes(b.dir / "gift.sav", TreeFileBytes(tree));
    ClearTree(tree);
    const std::string gift = (b.dir / "gift.bdf").string();
    WriteFileBytes(gift, "bindername=gift\r\nroot=" + b.dir.Str() +
                             "\r\nstore=Restore\r\nsave=gift.sav\r\ncount=1\r\n");
    b.lifecycle.DeleteBinder(gift);
    EXPECT_FALSE(fs::exists(gift));
    EXPECT_FALSE(fs::exists(b.dir / "gift.sav"));
    EXPECT_FALSE(fs::exists(documents / "1A"));
    EXPECT_EQ(ReadFileBytes(documents / "letter.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(documents / "2B" / "photo.jpg"), "mine too");
}

// A binder's folder is the folder of its binder file. A file from elsewhere that names another
// folder as its root opens from its own folder: it reads and writes its tree file and store
// there, deleting it deletes there, and the next save writes its own folder as its root.
TEST(BinderFile, ABinderFileNamingAnotherFolderAsItsRootOpensFromItsOwn) {
    Lifecycle b;
    const fs::path victim = b.dir / "victim";
    WriteFileBytes(victim / "notes.txt", "mine");
    WriteFileBytes(victim / "Hstore" / "keep", "k");
    const fs::path downloads = b.dir / "downloads";
    fs::create_directories(downloads / "sub");
    fs::create_directory_symlink(victim, downloads / "link");
    const std::string hostile = (downloads / "hostile.bdf").string();
    const std::string task =
        SerializeTask(Task("http://127.0.0.1:9/notes.txt", victim.string(), "txt"));
    for (const std::string& root :
         {victim.string(), b.dir.Str(), (downloads / "sub").string(),
          (downloads / "sub" / ".." / ".." / "victim").string(), (downloads / "link").string(),
          (downloads / "link" / "..").string() + "/", (b.dir / "gone").string()}) {
        WriteFileBytes(hostile, "bindername=H\r\nroot=" + EncodeBinderValue(root) +
                                    "\r\nstore=Hstore\r\nsave=notes.txt\r\ndescription=D\r\n"
                                    "createdate=C\r\ncount=0\n\r[Task]\n\r" +
                                    task + "\n\r");
        ASSERT_TRUE(b.lifecycle.OpenBinder(hostile)) << root;
        EXPECT_EQ(b.paths.BinderRoot, downloads.string());
        EXPECT_EQ(b.paths.TreeFilePath, (downloads / "notes.txt").string());
        AddRecord(b.Tree(), nullptr, NodeKind::Folder, 0x1A, "F");
        b.binder.BinderDirty = true;
        b.lifecycle.CloseBinder();
        EXPECT_EQ(DecodeBinderValue(ParseBinderFile(ReadFileBytes(hostile)).Root),
                  downloads.string());
        ASSERT_TRUE(b.lifecycle.OpenBinder(hostile));
        EXPECT_EQ(TreeShape(b.Tree()), "F#1A");
        b.lifecycle.DeleteBinder(hostile);
        EXPECT_FALSE(fs::exists(hostile));
        EXPECT_FALSE(fs::exists(downloads / "notes.txt"));
    }
    EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());
    EXPECT_EQ(ReadFileBytes(victim / "notes.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(victim / "Hstore" / "keep"), "k");
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(victim), {}), 3);
}

// A crash during a capture with levels or an import leaves page folders no node owns and the
// import's staging folder in the store: opening the binder removes them, and nothing else.
TEST(BinderFile, OpeningRemovesTheFoldersACrashLeftInTheStore) {
    Lifecycle b;
    ASSERT_TRUE(b.Create());
    const fs::path store = b.dir / "My Notesstore";
    TTreeNodes tree;
    TTreeNode* folder = AddRecord(tree, nullptr, NodeKind::Folder, 0x1A, "F");
    AddRecord(tree, folder, NodeKind::WebPage, 0xC0FFEE, "P");
    const std::string treeBytes = TreeFileBytes(tree);
    ClearTree(tree);
    WriteFileBytes(b.dir / "My Notes.sav", treeBytes);
    const fs::path outside = b.dir / "outside";
    WriteFileBytes(outside / "kept", "k");
    // The leftovers are folders the program made, whatever their names; folders it did not
    // make stay, also when named like a node's folder no node owns.
    const std::vector<std::string> leftovers = {"2B", "ABCDEF01", ".import-Ab3dE9", "odd"};
    const std::vector<std::string> keptFolders = {
        "1A", "2b", "02B", "ABC", "1A2B3C4D5", ".import-x", ".import-Ab3dE9x"};
    for (const uint32_t id : {0x2Bu, 0xABCDEF01u}) {
        WriteStoredFile(b.dir.Str(), "My Notesstore", id, "sub/f", "leftover");
    }
    {
        const FileDescriptor storeFolder = OpenFolderPath(store.string());
        for (const std::string name : {".import-Ab3dE9", "odd"}) {
            ASSERT_TRUE(MakeMarkedFolder(storeFolder.Get(), name).Valid()) << name;
            WriteFileBytes(store / name / "sub" / "f", name);
        }
    }
    for (const std::string& name : keptFolders) {
        WriteFileBytes(store / name / "f", name);
    }
    // A folder of the program's that its node owns stays.
    WriteStoredFile(b.dir.Str(), "My Notesstore", 0xC0FFEE, "f", "owned");
    WriteFileBytes(store / "3C", "a file named like a node's folder");
    fs::create_directory_symlink(outside, store / "4D");
    const auto names = [&] {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(store)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    std::vector<std::string> kept = keptFolders;
    kept.insert(kept.end(), {"3C", "4D", "C0FFEE", FolderMarkName});
    std::sort(kept.begin(), kept.end());

    // A tree file read only in part does not know every node: nothing goes.
    WriteFileBytes(b.dir / "My Notes.sav", treeBytes.substr(0, treeBytes.size() - 3));
    ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
    EXPECT_EQ(names().size(), kept.size() + leftovers.size());
    b.lifecycle.CloseBinder();

    WriteFileBytes(b.dir / "My Notes.sav", treeBytes);
    ASSERT_TRUE(b.lifecycle.OpenBinder(b.bdf));
    EXPECT_EQ(names(), kept);
    EXPECT_EQ(ReadFileBytes(outside / "kept"), "k");
    EXPECT_EQ(TreeShape(b.Tree()), "F#1A(P#C0FFEE)");

    // A store that is not named as this program names stores may be a folder of the user's:
    // such a binder file is refused.
    WriteFileBytes(b.dir / "Documents" / "2024" / "photo", "mine");
    WriteFileBytes(b.bdf, "store=Documents\r\nsave=My%20Notes.sav\r\n");
    ASSERT_FALSE(b.lifecycle.OpenBinder(b.bdf));
    EXPECT_EQ(ReadFileBytes(b.dir / "Documents" / "2024" / "photo"), "mine");
}

// Every binder this program makes has its file in its root, whatever the folder is called,
// and opens also when its folder is reached through a link, or was named through one.
TEST(BinderFile, BindersMadeHereOpenInAnyFolderAndThroughLinks) {
    Lifecycle b;
    const fs::path real = b.dir / "real";
    fs::create_directories(real);
    fs::create_directory_symlink(real, b.dir / "linked");
    struct Case {
        fs::path folder;
        std::string name;
        fs::path openedIn;
    };
    const std::vector<Case> cases = {
        {b.dir / "with blanks", "My Notes", b.dir / "with blanks"},
        {b.dir / "a#b", "n#1", b.dir / "a#b"},
        {b.dir / "q?x", "what?", b.dir / "q?x"},
        {b.dir / "50%off", "100%", b.dir / "50%off"},
        {b.dir / "start", "default", b.dir / "start"},
        {real, "R", b.dir / "linked"},
        {b.dir / "linked", "L", real},
        {b.dir / "trailing/", "T", b.dir / "trailing"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(b.lifecycle.CreateBinder(c.folder.string(), c.name, "d", false)) << c.folder;
        const std::string bdf = (c.openedIn / (c.name + ".bdf")).string();
        EXPECT_TRUE(b.lifecycle.OpenBinder(bdf)) << bdf;
        EXPECT_EQ(b.paths.BinderFilePath, bdf);
        // The folder that holds the file, links followed.
        EXPECT_EQ(b.paths.TreeFilePath,
                  JoinPath(fs::canonical(c.folder).string(), c.name + ".sav"));
        b.lifecycle.CloseBinder();
    }
    // A binder file that is a link opens from the folder of the file it names and is written
    // there when closed; the link stays a link.
    const fs::path link = b.dir / "elsewhere" / "R.bdf";
    fs::create_directories(link.parent_path());
    fs::create_symlink(real / "R.bdf", link);
    ASSERT_TRUE(b.lifecycle.OpenBinder(link.string()));
    EXPECT_EQ(b.paths.BinderRoot, fs::canonical(real).string());
    b.lifecycle.CloseBinder();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFileBytes(real / "R.bdf").find("[Task]"), std::string::npos);
    EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());
}

TEST(BinderFile, CommandsCreateOpenAndReopenRecentBinders) {
    Lifecycle b;
    b.ui.Panel = BinderListPanel;
    b.ui.NewBinderAnswers = {TNewBinderChoice{b.dir.Str() + "/sub", "R&D", "d"}};
    b.lifecycle.FileNewBinderExecute();
    const std::string created = b.dir.Str() + "/sub/R&D.bdf";
    EXPECT_EQ(b.paths.BinderFilePath, created);
    EXPECT_EQ(b.ui.CallsOf("RefillPanel(2)").size(), 1u);
    ASSERT_TRUE(b.Create());
    b.ui.DialogAnswers = {b.bdf};
    b.lifecycle.FileOpenBinderExecute();
    EXPECT_EQ(b.ui.CallsOf("OpenFileDialog").back(),
              "OpenFileDialog(" + b.dir.Str() + "/sub|" + BinderFileFilter + ")");
    EXPECT_EQ(b.paths.BinderFilePath, b.bdf);
    b.lifecycle.FileOpenRecentExecute("&" + ReplaceAll(created, "&", "&&"));
    EXPECT_EQ(b.paths.BinderFilePath, created);
}

// A capture of one record that fetches a slow loopback page into it again and again until it
// is cancelled; cancelling waits for its thread.
struct LoopingCapture : ICaptureStarter {
    int port = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> pieces{0};
    std::thread worker;

    ~LoopingCapture() override { CancelCapture(); }
    void StartNodeCapture(TPageInfo& record, bool, const CaptureOptions&) override {
        worker = std::thread([this, &record] {
            httplib::Client client("127.0.0.1", port);
            while (!stop) {
                client.Get("/slow", [&](const char* data, size_t size) {
                    record.Content.PageHtml.append(data, size);
                    ++pieces;
                    return !stop;
                });
            }
        });
    }
    void CancelCapture(TPageInfo&) override { CancelCapture(); }
    void CancelCapture() {
        stop = true;
        if (worker.joinable()) {
            worker.join();
        }
    }
};

TEST(BinderFile, ClosingDuringALongCaptureStopsItBeforeTheRecordGoes) {
    LoopbackServer server;
    server.Http().Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return sink.write("<p>more</p>", 11);
        });
    });
    server.Start();
    LoopingCapture capture;
    capture.port = server.Port();
    Lifecycle b;
    TBinderLifecycle lifecycle{b.ui.Roles(), b.queue, capture,   b.settings,
                               b.store,      b.paths, b.commands};
    ASSERT_TRUE(b.Create());
    ASSERT_TRUE(lifecycle.OpenBinder(b.bdf));
    TTreeNode* page = AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0x1A, "P");
    capture.StartNodeCapture(*NodeRecord(page), false, CaptureOptions());
    while (capture.pieces.load() < 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    b.binder.BinderDirty = true;
    lifecycle.CloseBinder();
    EXPECT_FALSE(lifecycle.BinderOpen());
    EXPECT_GT(fs::file_size(b.dir / "My Notes.sav"), 0u);
}

} // namespace

// New Binder over a binder whose store has no marks asks about the store with the old tree
// first. No changes nothing, and the old binder opens as before; Yes removes its page folders
// and makes the new binder, the user's note left in the store.
TEST(BinderFile, NewBinderOverABinderWithoutMarksChangesNothingUntilTheStoreIsAllowed) {
    for (const TModalResult answer : {TModalResult::No, TModalResult::Yes}) {
        Lifecycle b;
        TTreeNodes old;
        AddRecord(old, nullptr, NodeKind::WebPage, 0x2024, "Page");
        WriteFileBytes(b.dir / "Old.sav", TreeFileBytes(old));
        ClearTree(old);
        WriteFileBytes(b.dir / "Old.bdf", "bindername=Old\r\nroot=/x\r\nstore=Oldstore\r\n"
                                          "save=Old.sav\r\ndescription=D\r\ncreatedate=C\r\n"
                                          "count=1\n\r[Task]\n\r");
        WriteFileBytes(b.dir / "Oldstore" / "2024" / "2024.htm", "<p>old</p>");
        WriteFileBytes(b.dir / "Oldstore" / "2024" / "frame" / "f.gif", "GIF");
        WriteFileBytes(b.dir / "Oldstore" / "notes.txt", "the user's");
        const auto before = Listing(b.dir.Path());
        b.ui.BoxAnswers = {TModalResult::Ok, answer};

        const bool made = b.lifecycle.CreateBinder(b.dir.Str(), "Old", "", true);
        const std::vector<std::string> asked = b.ui.CallsOf("MessageBox");
        ASSERT_EQ(asked.size(), 2u);
        EXPECT_NE(asked[1].find("1 folder named as pages of this binder, and 1 other entry: "
                                "notes.txt"),
                  std::string::npos)
            << asked[1];
        if (answer == TModalResult::No) {
            EXPECT_FALSE(made);
            EXPECT_EQ(Listing(b.dir.Path()), before);
            const std::vector<std::string> told = b.ui.CallsOf("ShowMessage");
            ASSERT_EQ(told.size(), 1u);
            EXPECT_NE(told[0].find((b.dir / "Oldstore").string() + " can not be used"),
                      std::string::npos)
                << told[0];
            EXPECT_NE(told[0].find("Nothing was changed"), std::string::npos) << told[0];
            ASSERT_TRUE(b.lifecycle.OpenBinder((b.dir / "Old.bdf").string()));
            EXPECT_EQ(b.Tree().Count(), 1);
        } else {
            EXPECT_TRUE(made);
            EXPECT_TRUE(b.ui.CallsOf("ShowMessage").empty());
            EXPECT_EQ(SortedNames(b.dir / "Oldstore"),
                      (std::vector<std::string>{FolderMarkName, "notes.txt"}));
            EXPECT_EQ(ReadFileBytes(b.dir / "Old.sav"), "");
            EXPECT_NE(ReadFileBytes(b.dir / "Old.bdf").find("count=0"), std::string::npos);
        }
    }
}
