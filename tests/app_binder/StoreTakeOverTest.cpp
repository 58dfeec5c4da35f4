#include "app/binder/StoreTakeOver.h"
#include "app/binder/FolderMark.h"
#include "app/binder/StoreAccess.h"
#include "platform/base/FolderEntries.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool Marked(const fs::path& folder) {
    const FileDescriptor open = OpenFolderPath(folder.string());
    return open.Valid() && HoldsProgramMark(open.Get());
}

// A store as another program (or a build before the marks) lays it out: a page folder with its
// page file and a picture the page names, and what the tree holds for it.
struct LaidOutStore {
    TempDir root;
    fs::path store = root / "Lstore";
    StoreClaims claims;
    std::string page = "<p><img src=\"img/a.gif\"><a href='x.css'>x</a></p>";

    LaidOutStore() {
        WriteFileBytes(store / "CAFE" / "CAFE.htm", page);
        WriteFileBytes(store / "CAFE" / "img" / "a.gif", "GIF89a");
        claims.Pages.emplace(0xCAFE, page);
        claims.Pages.emplace(0x2024, "");
    }
    bool TakeOver() const { return TakeOverStore(root.Str(), "Lstore", claims); }
};

} // namespace

// Taken over, the store and its page folder are marked and nothing else changes: a capture may
// write there again and a delete remove it.
TEST(StoreTakeOver, AStoreLaidOutWithoutMarksIsMarkedAndNothingElseChanges) {
    LaidOutStore laid;
    WriteFileBytes(laid.store / "2024" / "2024.htm", "old");
    ASSERT_TRUE(laid.TakeOver());
    EXPECT_TRUE(Marked(laid.store));
    EXPECT_TRUE(Marked(laid.store / "CAFE"));
    EXPECT_TRUE(Marked(laid.store / "2024"));
    EXPECT_EQ(ReadFileBytes(laid.store / "CAFE" / "CAFE.htm"), laid.page);
    EXPECT_EQ(SortedNames(laid.store / "CAFE"),
              (std::vector<std::string>{FolderMarkName, "CAFE.htm", "img"}));
    EXPECT_EQ(SortedNames(laid.store / "CAFE" / "img"), std::vector<std::string>{"a.gif"});

    const StoreAccess access(laid.root.Str(), "Lstore");
    std::string error;
    EXPECT_TRUE(access.WriteNodeFile(0x2024, "2024.htm", "new", error)) << error;
    EXPECT_EQ(ReadFileBytes(laid.store / "2024" / "2024.htm"), "new");
    EXPECT_TRUE(access.RemoveNodeFolder(0xCAFE));
    EXPECT_FALSE(fs::exists(laid.store / "CAFE"));
    // Taken again, nothing changes.
    EXPECT_TRUE(laid.TakeOver());

    TempDir empty;
    fs::create_directory(empty / "Estore");
    EXPECT_TRUE(TakeOverStore(empty.Str(), "Estore", {}));
    EXPECT_TRUE(Marked(empty / "Estore"));
}

// Anything a tree does not name makes the store one that could be the user's: it is left
// unmarked, and nothing is written there.
TEST(StoreTakeOver, AStoreThatCouldBeTheUsersIsNeverTaken) {
    const auto refused = [](const std::function<void(LaidOutStore&)>& change, const char* what) {
        LaidOutStore laid;
        change(laid);
        EXPECT_FALSE(laid.TakeOver()) << what;
        EXPECT_FALSE(Marked(laid.store)) << what;
        EXPECT_FALSE(Marked(laid.store / "CAFE")) << what;
        std::string error;
        EXPECT_FALSE(StoreAccess(laid.root.Str(), "Lstore").WriteNodeFile(0xCAFE, "n", "x", error))
            << what;
        EXPECT_FALSE(fs::exists(laid.store / "CAFE" / "n")) << what;
    };
    refused([](LaidOutStore& l) { WriteFileBytes(l.store / "notes.txt", "mine"); }, "stray file");
    refused([](LaidOutStore& l) { WriteFileBytes(l.store / "CAFE" / "b.txt", "mine"); },
            "file the page does not name");
    refused([](LaidOutStore& l) { WriteFileBytes(l.store / "CAFE" / "img" / "ta.gif", "x"); },
            "name only ending as a named one");
    refused([](LaidOutStore& l) { WriteFileBytes(l.store / "ADD" / "ADD.htm", "x"); },
            "folder named as no node");
    refused(
        [](LaidOutStore& l) {
            l.claims.Pages.erase(0xCAFE); // a folder or notes node has no page
        },
        "folder named as a node without a page");
    refused([](LaidOutStore& l) { WriteFileBytes(l.store / "cafe" / "cafe.htm", "x"); },
            "lower-case name");
    refused([](LaidOutStore& l) { l.claims.TaskFolders.insert("CAFE"); }, "a file task's folder");
    refused(
        [](LaidOutStore& l) {
            fs::create_symlink(l.store / "CAFE" / "CAFE.htm", l.store / "CAFE" / "x.css");
        },
        "link inside");
    refused([](LaidOutStore& l) { WriteFileBytes(l.store / FolderMarkName, "mine"); },
            "a file of the user's at the mark's name");

    // A store that is a link, or not directly in the binder's folder.
    LaidOutStore laid;
    fs::create_directory_symlink(laid.store, laid.root / "Kstore");
    EXPECT_FALSE(TakeOverStore(laid.root.Str(), "Kstore", laid.claims));
    EXPECT_FALSE(TakeOverStore(laid.root.Str(), "Lstore/CAFE", laid.claims));
    EXPECT_FALSE(Marked(laid.store));
    EXPECT_FALSE(Marked(laid.store / "CAFE"));
}

// In a store of the program's, each page folder is taken by the same rule, a folder whose mark a
// crash cut short is marked anew, and a folder of the user's there stays unmarked.
TEST(StoreTakeOver, InAStoreOfTheProgramsEachFolderIsTakenByTheSameRule) {
    LaidOutStore laid;
    const StoreAccess access(laid.root.Str(), "Lstore");
    fs::create_directory(laid.root / "Mstore");
    std::string error;
    ASSERT_TRUE(StoreAccess(laid.root.Str(), "Mstore").WriteNodeFile(0x1, "1.htm", "p", error));
    fs::copy_file(laid.root / "Mstore" / FolderMarkName, laid.store / FolderMarkName);
    WriteFileBytes(laid.store / "2024" / "b.txt", "mine");
    WriteFileBytes(laid.store / "7" / FolderMarkName, "Tarnwick made this");
    WriteFileBytes(laid.store / "7" / "anything.bin", "a capture's file");
    WriteFileBytes(laid.store / "8" / FolderMarkName, std::string(20, '\0'));
    ASSERT_TRUE(laid.TakeOver());
    EXPECT_TRUE(Marked(laid.store / "CAFE"));
    EXPECT_FALSE(Marked(laid.store / "2024"));
    EXPECT_TRUE(Marked(laid.store / "7"));
    EXPECT_TRUE(Marked(laid.store / "8"));
    EXPECT_EQ(ReadFileBytes(laid.store / "7" / "anything.bin"), "a capture's file");
    EXPECT_FALSE(access.WriteNodeFile(0x2024, "2024.htm", "x", error));
    EXPECT_EQ(SortedNames(laid.store / "2024"), std::vector<std::string>{"b.txt"});
}

TEST(StoreTakeOver, APageNamesAFileOnlyAsAWholeReference) {
    const std::string page = "<img src=\"img/a.gif\"><img src='img\\b.png?x=1'>"
                             "<link href=c.css><p>see data.gif</p>";
    EXPECT_TRUE(PageNamesFile(page, "img/a.gif"));
    EXPECT_TRUE(PageNamesFile(page, "img/b.png"));
    EXPECT_TRUE(PageNamesFile(page, "c.css"));
    EXPECT_FALSE(PageNamesFile(page, "a.gif"));
    EXPECT_FALSE(PageNamesFile(page, "ata.gif"));
    EXPECT_FALSE(PageNamesFile(page, "data.gif.bak"));
    EXPECT_FALSE(PageNamesFile(page, ""));

    EXPECT_EQ(FileTaskFolderName("dl\\files", "Xstore"), "dl");
    EXPECT_EQ(FileTaskFolderName("/home/u/b/Xstore/CAFE/x", "Xstore"), "CAFE");
    EXPECT_EQ(FileTaskFolderName("/home/u/elsewhere", "Xstore"), "");
    EXPECT_EQ(FileTaskFolderName("", "Xstore"), "");
}
