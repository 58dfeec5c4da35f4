#include "app/binder/StoreAccess.h"
#include "app/binder/FolderMark.h"
#include "platform/base/FolderEntries.h"

#include "tests/support/ScopedEnv.h"
#include "tests/support/StoredFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

const auto KeepNone = [](const std::string&) { return false; };

} // namespace

// A binder file may name a folder of the user's as its store and the user's folders as its
// nodes' folders. The program writes into and removes only the folders it made, in a store it
// made: nothing in a folder of the user's, not even a folder holding its mark there; in its own
// store not a folder named like a node's, nor a link; and unasked only folders it signed for.
TEST(StoreAccess, OnlyFoldersTheProgramMadeAreWrittenIntoOrRemoved) {
    TempDir home;
    const fs::path restore = home / "Restore";
    WriteFileBytes(restore / "2024" / "photo.jpg", "mine");
    {
        std::string name;
        const FileDescriptor folder =
            MakeMarkedFolder(OpenFolderPath(restore.string()).Get(), "CAFE");
        ASSERT_TRUE(folder.Valid());
        WriteFileBytes(restore / "CAFE" / "a.gif", "ours");
    }
    fs::copy_file(restore / "CAFE" / FolderMarkName, restore / "2024" / FolderMarkName);
    fs::create_directory_symlink(restore / "2024", restore / "ADD");
    std::vector<std::string> userFiles = {FolderMarkName, "photo.jpg"};

    const StoreAccess store(home.Str(), "Restore");
    std::string error;
    const auto nothingChanges = [&](const char* when) {
        EXPECT_FALSE(store.WriteNodeFile(0x2024, "photo.jpg", "replaced", error)) << when;
        // What keeps the folder the user's is named: the store's entries, or the folder's file.
        EXPECT_TRUE(error.find("has no mark of the program's and holds 2024, ADD, CAFE") !=
                        std::string::npos ||
                    error.find("has no mark of the program's and holds photo.jpg") !=
                        std::string::npos)
            << error;
        EXPECT_FALSE(store.WriteNodeFile(0xADD, "ADD.htm", "new", error)) << when;
        EXPECT_FALSE(store.RemoveNodeFile(0x2024, "photo.jpg")) << when;
        EXPECT_FALSE(store.RemoveNodeFolder(0xADD)) << when;
        EXPECT_FALSE(store.RemoveStoreIfEmpty()) << when;
        EXPECT_EQ(ReadFileBytes(restore / "2024" / "photo.jpg"), "mine") << when;
        EXPECT_EQ(SortedNames(restore / "2024"), userFiles) << when;
        EXPECT_TRUE(fs::is_symlink(restore / "ADD")) << when;
    };
    // The user's folder as the store: the marked folder in it is not written or removed either.
    nothingChanges("unmarked store");
    EXPECT_FALSE(store.WriteNodeFile(0xCAFE, "b.gif", "new", error));
    EXPECT_FALSE(store.RemoveNodeFolder(0xCAFE));
    EXPECT_TRUE(store.RemoveOwnFolders(KeepNone).Names.empty());
    EXPECT_EQ(SortedNames(restore), (std::vector<std::string>{"2024", "ADD", "CAFE"}));

    // Marked as the program's, the store's folders marked for their own names go unasked; a
    // mark copied into a folder of another name counts only where the user asks.
    fs::copy_file(restore / "CAFE" / FolderMarkName, restore / FolderMarkName);
    EXPECT_FALSE(store.WriteNodeFile(0xADD, "ADD.htm", "new", error));
    EXPECT_EQ(store.RemoveOwnFolders(KeepNone, MarkSigner::ThisInstallation).Names,
              std::vector<std::string>{"CAFE"});
    EXPECT_FALSE(store.RemoveStoreIfEmpty());
    EXPECT_EQ(SortedNames(restore / "2024"), userFiles);
    EXPECT_EQ(SortedNames(restore), (std::vector<std::string>{FolderMarkName, "2024", "ADD"}));
    fs::remove(restore / "2024" / FolderMarkName);
    userFiles = {"photo.jpg"};
    nothingChanges("marked store");
    EXPECT_FALSE(store.RemoveNodeFolder(0x2024));

    // A folder a crash left under its passing name, before it was named, holds nothing but its
    // mark and goes; one of the same pattern holding more, or of another name, stays.
    WriteFileBytes(restore / ".tarnwick-new-0123ABCD" / FolderMarkName, "cut short");
    WriteFileBytes(restore / ".tarnwick-new-4567CDEF" / FolderMarkName, "cut short");
    WriteFileBytes(restore / ".tarnwick-new-4567CDEF" / "note.txt", "mine");
    WriteFileBytes(restore / ".tarnwick-new-x" / FolderMarkName, "mine");
    EXPECT_TRUE(store.RemoveOwnFolders(KeepNone).Names.empty());
    EXPECT_EQ(SortedNames(restore),
              (std::vector<std::string>{".tarnwick-folder", ".tarnwick-new-4567CDEF",
                                        ".tarnwick-new-x", "2024", "ADD"}));

    // A missing store is made, marked, at its first write; the mark's own name is never
    // written; emptied of the program's folders, the store goes.
    const StoreAccess fresh(home.Str(), "Newstore");
    EXPECT_TRUE(fresh.RemoveNodeFolder(0x1));
    EXPECT_FALSE(fs::exists(home / "Newstore"));
    EXPECT_FALSE(fresh.WriteNodeFile(0x1, FolderMarkName, "x", error));
    ASSERT_TRUE(fresh.WriteNodeFile(0x1, "sub/a.gif", "a", error)) << error;
    EXPECT_TRUE(HoldsFolderMark(OpenFolderPath((home / "Newstore").string()).Get(), "Newstore"));
    EXPECT_FALSE(fresh.RemoveStoreIfEmpty());
    EXPECT_TRUE(fresh.RemoveNodeFile(0x1, "sub/a.gif"));
    EXPECT_TRUE(fresh.RemoveNodeFolder(0x1));
    EXPECT_TRUE(fresh.RemoveStoreIfEmpty());
    EXPECT_FALSE(fs::exists(home / "Newstore"));

    // A store that is a link is never entered.
    fs::create_directory_symlink(restore, home / "Linkstore");
    EXPECT_FALSE(StoreAccess(home.Str(), "Linkstore").WriteNodeFile(0x7, "a", "x", error));
    EXPECT_FALSE(fs::exists(restore / "7"));
}

// A binder folder the user copies (to another disk, from a backup) keeps its folders the
// program's: written into and removed there as where it was made. So does a binder made under
// another user's secret (another computer, settings lost), for what the user asks; only the
// removal of leftovers unasked keeps to marks this installation signed.
TEST(StoreAccess, ACopiedBinderKeepsItsFoldersAndAMarkMadeElsewhereCountsWhereTheUserAsks) {
    TempDir home;
    WriteStoredFile(home.Str(), "Xstore", 0xCAFE, "a.gif", "ours");
    TempDir elsewhere;
    fs::copy(home / "Xstore", elsewhere / "Xstore", fs::copy_options::recursive);
    const StoreAccess copy(elsewhere.Str(), "Xstore");
    std::string error;
    EXPECT_TRUE(copy.WriteNodeFile(0xCAFE, "b.gif", "more", error)) << error;
    EXPECT_TRUE(copy.RemoveNodeFolder(0xCAFE));
    EXPECT_FALSE(fs::exists(elsewhere / "Xstore" / "CAFE"));
    EXPECT_TRUE(copy.RemoveStoreIfEmpty());
    EXPECT_EQ(ReadFileBytes(home / "Xstore" / "CAFE" / "a.gif"), "ours");

    {
        TempDir otherUser;
        const ScopedEnv config("XDG_CONFIG_HOME", otherUser.Str());
        WriteStoredFile(home.Str(), "Carried", 0x2024, "photo.jpg", "carried");
        WriteStoredFile(home.Str(), "Carried", 0x7, "7.htm", "page");
    }
    const StoreAccess store(home.Str(), "Carried");
    EXPECT_TRUE(store.RemoveOwnFolders(KeepNone, MarkSigner::ThisInstallation).Names.empty());
    EXPECT_EQ(SortedNames(home / "Carried"),
              (std::vector<std::string>{FolderMarkName, "2024", "7"}));
    EXPECT_TRUE(store.WriteNodeFile(0x2024, "photo.jpg", "captured again", error)) << error;
    EXPECT_EQ(ReadFileBytes(home / "Carried" / "2024" / "photo.jpg"), "captured again");
    EXPECT_TRUE(store.RemoveNodeFolder(0x2024));
    EXPECT_EQ(store.RemoveOwnFolders(KeepNone).Names, std::vector<std::string>{"7"});
    EXPECT_TRUE(store.RemoveStoreIfEmpty());
    EXPECT_FALSE(fs::exists(home / "Carried"));
}

// Resources of one page are written from several threads: whichever makes the node folder,
// every file lands in the one folder, marked once, with no folder half made left behind.
TEST(StoreAccess, WritersMakingOneNodeFolderAtOnceAllWriteIntoIt) {
    TempDir dir;
    const StoreAccess store(dir.Str(), "Sstore");
    constexpr int Writers = 8;
    std::atomic<int> ready{0};
    std::atomic<int> written{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < Writers; ++i) {
        threads.emplace_back([&, i] {
            ++ready;
            while (ready.load() < Writers) {
                std::this_thread::yield();
            }
            std::string error;
            written += store.WriteNodeFile(0xAB, "f" + std::to_string(i), "x", error) ? 1 : 0;
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(written.load(), Writers);
    EXPECT_EQ(SortedNames(dir / "Sstore"), (std::vector<std::string>{FolderMarkName, "AB"}));
    std::vector<std::string> expected = {FolderMarkName};
    for (int i = 0; i < Writers; ++i) {
        expected.push_back("f" + std::to_string(i));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(SortedNames(dir / "Sstore" / "AB"), expected);
}
