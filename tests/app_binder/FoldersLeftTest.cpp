// Deletes that leave folders they should have removed say so once, naming the first folder that
// stays and counting the others: nodes deleted together, and a binder whose store another
// binder shares (only its own nodes' folders are named, never the other binder's).
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/support/StoredFiles.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Folders of the user's, named as the nodes' folders are.
void UsersFolders(const fs::path& store, std::initializer_list<uint32_t> ids) {
    for (uint32_t id : ids) {
        WriteFileBytes(store / IntToHex(id, 1) / "photo.jpg", "the user's photo");
    }
}

std::string StaysText(const std::string& folder) {
    return "the folder " + folder + " stays (";
}

} // namespace

TEST(FoldersLeft, NodesDeletedTogetherTellOnceOfTheFoldersThatStay) {
    PagesBinder b;
    const fs::path store = fs::path(b.paths.BinderRoot) / b.paths.BinderStore;
    TTreeNode* s = AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0xB1, "S");
    TTreeNode* t = AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0xB2, "T");
    UsersFolders(store, {0xB1, 0xB2});
    const std::string told = b.binder.DeleteNodes({s, b.r, t});
    EXPECT_TRUE(told.starts_with("The nodes are deleted, but " + StaysText(b.StoreFolder(0xB1))))
        << told;
    EXPECT_TRUE(told.ends_with("), and so does 1 other folder.")) << told;
    EXPECT_EQ(ReadFileBytes(store / "B2" / "photo.jpg"), "the user's photo");
    EXPECT_FALSE(fs::exists(b.StoreFolder(0xA3)));
    // Folders of the program's alone: nothing to tell.
    EXPECT_EQ(b.binder.DeleteNodes({b.f}), "");
    EXPECT_FALSE(fs::exists(b.StoreFolder(0xA1)));
}

TEST(FoldersLeft, ABinderSharingItsStoreNamesOnlyItsOwnFoldersThatStay) {
    BinderFixture b;
    MemorySettingsStore settings;
    TBinderLifecycle lifecycle{b.ui.Roles(), b.queue, b.capture, b.settings,
                               settings,     b.paths, b.commands};
    const fs::path store = b.dir / "Sharedstore";
    WriteStoredFile(b.dir.Str(), "Sharedstore", 0x1A, "a.gif", "a page's picture");
    WriteStoredFile(b.dir.Str(), "Sharedstore", 0x0D, "o.gif", "the other binder's picture");
    UsersFolders(store, {0x2B, 0x3C});
    TTreeNodes tree;
    for (uint32_t id : {0x1Au, 0x2Bu, 0x3Cu}) {
        AddRecord(tree, nullptr, NodeKind::WebPage, id, "P");
    }
    WriteFileBytes(b.dir / "gift.sav", TreeFileBytes(tree));
    ClearTree(tree);
    const std::string gift = (b.dir / "gift.bdf").string();
    WriteFileBytes(gift, "bindername=gift\r\nroot=" + b.dir.Str() +
                             "\r\nstore=Sharedstore\r\nsave=gift.sav\r\ncount=3\r\n");
    WriteFileBytes(b.dir / "other.bdf",
                   "bindername=other\r\nstore=Sharedstore\r\nsave=other.sav\r\ncount=1\r\n");
    lifecycle.DeleteBinder(gift);

    const std::vector<std::string> shown = b.ui.CallsOf("ShowMessage");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].starts_with("ShowMessage(Binder " + gift + " is deleted, but " +
                                     StaysText((store / "2B").string())))
        << shown[0];
    EXPECT_TRUE(shown[0].ends_with("), and so does 1 other folder.)")) << shown[0];
    EXPECT_FALSE(fs::exists(store / "1A"));
    EXPECT_EQ(ReadFileBytes(store / "D" / "o.gif"), "the other binder's picture");
    EXPECT_EQ(ReadFileBytes(store / "3C" / "photo.jpg"), "the user's photo");
}
