#include "app/binder/StoreFiles.h"
#include "app/binder/DirectoryTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/commands/ShownWrites.h"

#include "tests/support/FakeBinderUi.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/StoredFiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::unique_ptr<TTreeNode> Node(NodeKind kind, uint32_t id) {
    auto record = std::make_unique<TPageInfo>();
    record->Kind = kind;
    record->Id = id;
    return std::make_unique<TTreeNode>(std::move(record));
}

bool Save(const fs::path& path, const std::string& bytes, FakeUserMessages& ui) {
    return SaveBufferToFile(path.string(), bytes.data(), bytes.size(), ui);
}

size_t EntryCount(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

TEST(StoreFiles, NodeFolderListsInNameOrderWithSubFoldersAtTheirPlace) {
    TempDir root;
    const fs::path node = root / "store" / "1A2B";
    WriteFileBytes(node / "a.gif", "a");
    WriteFileBytes(node / "img" / "b.gif", "b");
    WriteFileBytes(node / "img" / "deep" / "c.css", "c");
    WriteFileBytes(node / "z.htm", "z");
    fs::create_directories(node / "empty");

    TPageInfo record;
    record.Id = 0x1A2B;
    EXPECT_EQ(
        ListNodeStoreFiles(record, root.Str(), "store"),
        (StrVector{"1A2B\\a.gif", "1A2B\\img\\b.gif", "1A2B\\img\\deep\\c.css", "1A2B\\z.htm"}));

    // A high id names its folder with all eight digits.
    record.Id = 0x8000ABCD;
    WriteFileBytes(root / "store" / "8000ABCD" / "x.png", "x");
    EXPECT_EQ(ListNodeStoreFiles(record, root.Str(), "store"), StrVector{"8000ABCD\\x.png"});

    record.Id = 0x77;
    EXPECT_TRUE(ListNodeStoreFiles(record, root.Str(), "store").empty());
    EXPECT_TRUE(ListNodeStoreFiles(record, "", "store").empty());
}

TEST(StoreFiles, ExtensionFilterIgnoresCaseAndNeedsADot) {
    TempDir dir;
    for (const char* name : {"INDEX.HTM", "page.php", "noext", "trailing.", "b.Html", ".shtml"}) {
        WriteFileBytes(dir / name, "x");
    }
    WriteFileBytes(dir / "sub" / "inner.htm", "x");
    const std::vector<std::string> html = {"htm", "html", "shtml"};

    StrVector found;
    FindFilesRecursive(found, dir.Str(), "P", &html, false);
    EXPECT_EQ(found, (StrVector{"P\\.shtml", "P\\INDEX.HTM", "P\\b.Html"}));

    found.clear();
    FindFilesRecursive(found, dir.Str(), "P", &html, true);
    EXPECT_EQ(found, (StrVector{"P\\.shtml", "P\\INDEX.HTM", "P\\b.Html", "P\\sub\\inner.htm"}));

    const std::vector<std::string> nothing;
    found.clear();
    FindFilesRecursive(found, dir.Str(), "P", &nothing, true);
    EXPECT_TRUE(found.empty());

    // The walk appends to what the list holds.
    found = {"kept"};
    FindFilesRecursive(found, (dir / "sub").string(), "", nullptr, true);
    EXPECT_EQ(found, (StrVector{"kept", "\\inner.htm"}));
}

TEST(StoreFiles, LinksNeitherLoopNorLeadOutOfTheFolder) {
    TempDir dir;
    const fs::path node = dir / "store" / "10";
    WriteFileBytes(node / "a.gif", "a");
    WriteFileBytes(node / "sub" / "b.gif", "b");
    WriteFileBytes(dir / "outside" / "secret.txt", "secret");
    fs::create_directory_symlink("..", node / "sub" / "loop");
    fs::create_directory_symlink(node / "sub", node / "again");
    fs::create_directory_symlink(dir / "outside", node / "out");
    fs::create_symlink(dir / "outside" / "secret.txt", node / "leak.txt");
    fs::create_symlink("a.gif", node / "alias.gif");
    fs::create_symlink("missing.gif", node / "dangling.gif");
    ASSERT_EQ(::mkfifo((node / "pipe.htm").c_str(), 0600), 0);

    StrVector found;
    FindFilesRecursive(found, node.string(), "10", nullptr, true);
    EXPECT_EQ(found, (StrVector{"10\\a.gif", "10\\alias.gif", "10\\sub\\b.gif"}));
}

// The bytes are the platform reader's; here what each wrapper does with the count.
TEST(StoreFiles, WholeFileReadersReportTheCountTheirOwnWay) {
    TempDir dir;
    WriteFileBytes(dir / "data", std::string("x\0y", 3));
    size_t size = 777;
    EXPECT_NE(ReadWholeFile((dir / "data").string(), &size), nullptr);
    EXPECT_EQ(size, 3u);
    EXPECT_NE(ReadWholeFile((dir / "data").string()), nullptr); // no count wanted
    size = 777;
    EXPECT_EQ(ReadWholeFile((dir / "missing").string(), &size), nullptr);
    EXPECT_EQ(size, 777u); // left untouched
    EXPECT_EQ(LoadFileToBuffer((dir / "missing").string(), size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(SaveBufferToFile, MakesMissingFoldersAndReplacesWholeFiles) {
    TempDir dir;
    FakeUserMessages ui;
    const fs::path path = dir / "root" / "store" / "1A" / "img" / "a.gif";
    const std::string bytes("GIF\0\x01\xff", 6);
    ASSERT_TRUE(Save(path, bytes, ui));
    EXPECT_EQ(ReadFileBytes(path), bytes);

    ASSERT_TRUE(Save(path, "short", ui));
    EXPECT_EQ(ReadFileBytes(path), "short");
    EXPECT_EQ(EntryCount(path.parent_path()), 1u);
    EXPECT_TRUE(ui.Calls().empty());

    EXPECT_FALSE(SaveBufferToFile("", "x", 1, ui));
    EXPECT_TRUE(ui.Calls().empty());
}

TEST(SaveBufferToFile, AFolderThatCannotBeMadeIsReported) {
    TempDir dir;
    FakeUserMessages ui;
    WriteFileBytes(dir / "tree.sav", "old tree");

    EXPECT_FALSE(Save(dir / "tree.sav" / "sub" / "x", "new", ui));
    EXPECT_EQ(ui.Calls(), std::vector<std::string>{"ShowMessage(can not create directory" +
                                                   (dir / "tree.sav" / "sub").string() + ")"});
    EXPECT_EQ(ReadFileBytes(dir / "tree.sav"), "old tree");
}

TEST(SaveBufferToFile, AFullDeviceFailsAndStaysADevice) {
    if (!fs::is_character_file("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    FakeUserMessages ui;
    EXPECT_FALSE(Save("/dev/full", "bytes", ui));
    EXPECT_EQ(ui.CallsOf("ShowMessage(can not write file /dev/full").size(), 1u);
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

TEST(StoreFiles, DeletingASubtreeRemovesTheFoldersOfItsWebPagesOnly) {
    TempDir root;
    const fs::path store = root / "store";
    auto folder = Node(NodeKind::Folder, 0x1);
    auto page = Node(NodeKind::WebPage, 0x2);
    auto notes = Node(NodeKind::Notes, 0x3);
    auto deepPage = Node(NodeKind::WebPage, 0xFFFFFFF0);
    TTreeNode bare;                                // a node without a record
    auto otherPage = Node(NodeKind::WebPage, 0x5); // not in the subtree
    for (uint32_t id : {0x1u, 0x2u, 0x3u, 0xFFFFFFF0u, 0x5u}) {
        WriteStoredFile(root.Str(), "store", id, "img/x.gif", "x");
        WriteStoredFile(root.Str(), "store", id, ".hidden", "h");
    }

    TTreeNode* const subtree[] = {folder.get(), page.get(), notes.get(), &bare, deepPage.get()};
    DeleteNodeFolders(WebPageIds(subtree), root.Str(), "store");

    EXPECT_TRUE(fs::exists(store / "1"));
    EXPECT_FALSE(fs::exists(store / "2"));
    EXPECT_TRUE(fs::exists(store / "3"));
    EXPECT_FALSE(fs::exists(store / "FFFFFFF0"));
    EXPECT_TRUE(fs::exists(store / "5" / "img" / "x.gif"));
    // The records stay with their nodes.
    EXPECT_EQ(NodeRecord(page.get())->Id, 0x2u);
}

TEST(DirectoryTree, DeletesEverythingButNeverFollowsLinksNorTakesProtectedFolders) {
    TempDir dir;
    const fs::path target = dir / "store" / "AB";
    WriteFileBytes(target / ".hidden", "h");
    WriteFileBytes(target / "sub" / "deeper" / "f", "f");
    WriteFileBytes(dir / "outside" / "keep", "keep");
    fs::create_directory_symlink(dir / "outside", target / "sub" / "out");
    fs::create_symlink(dir / "outside" / "keep", target / "keep-link");
    ASSERT_EQ(::chmod((target / "sub" / "deeper" / "f").c_str(), 0444), 0);

    EXPECT_TRUE(DeleteDirectoryTree(target.string()));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(ReadFileBytes(dir / "outside" / "keep"), "keep");

    // A folder given as a link: the link goes, the folder it names stays.
    fs::create_directory_symlink(dir / "outside", dir / "store" / "CD");
    EXPECT_TRUE(DeleteDirectoryTree((dir / "store" / "CD").string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "store" / "CD")));
    EXPECT_EQ(ReadFileBytes(dir / "outside" / "keep"), "keep");

    EXPECT_FALSE(DeleteDirectoryTree((dir / "missing").string()));
    EXPECT_FALSE(DeleteDirectoryTree("/tm"));
    EXPECT_FALSE(DeleteDirectoryTree("/"));
    EXPECT_FALSE(DeleteDirectoryTree(""));

    // Roots, the home folder and its parents, and relative paths are never deleted.
    const fs::path me = dir / "home" / "me";
    WriteFileBytes(me / "f", "f");
    ScopedEnv home("HOME", me.string());
    fs::create_directory_symlink(dir / "home", dir / "link");
    for (const fs::path& folder :
         {me, me / "", dir / "home", dir / "link" / "me" / ".." / "me", fs::path("tmp/relative"),
          fs::path("/tmp/.."), fs::path("//"), fs::path("/tmp/")}) {
        EXPECT_TRUE(ProtectedFolder(folder.string())) << folder;
    }
    EXPECT_FALSE(ProtectedFolder((me / "store").string()));
    EXPECT_FALSE(DeleteDirectoryTree(me.string()));
    EXPECT_TRUE(fs::exists(me / "f"));
}
