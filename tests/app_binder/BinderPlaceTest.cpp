// One rule says where a binder's files may lie, for making a binder and for opening it: a binder
// may lie in any folder, its store and tree file are plain names in that folder, and the program
// makes no binder it would then refuse to open.
#include "app/binder/NodePageFile.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_binder/ExportFixture.h"
#include "tests/support/StoredFiles.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Places : BinderFixture {
    MemorySettingsStore store;
    TBinderLifecycle lifecycle{ui.Roles(), queue, capture, settings, store, paths, commands};

    Places() { paths = BinderPaths(); }
};

} // namespace

// A binder below hidden folders is made, opened, filled, opened again and deleted with all that
// the program made for it, as anywhere else.
TEST(BinderPlace, ABinderInAHiddenFolderOpensAndDeletesAsAnyOther) {
    Places b;
    const fs::path work = b.dir / ".local" / "share" / "work";
    const std::string bdf = (work / "Notes.bdf").string();
    ASSERT_TRUE(b.lifecycle.CreateBinder(work.string(), "Notes", "", true));
    ASSERT_TRUE(b.lifecycle.OpenBinder(bdf));
    AddRecord(b.Tree(), nullptr, NodeKind::WebPage, 0x2A, "P");
    ASSERT_FALSE(WriteNodePageFile(b.paths.BinderRoot, b.paths.BinderStore, 0x2A, "p").empty());
    b.binder.BinderDirty = true;
    b.lifecycle.CloseBinder();
    ASSERT_TRUE(b.lifecycle.OpenBinder(bdf));
    EXPECT_EQ(TreeShape(b.Tree()), "P#2A");
    b.lifecycle.CloseBinder();
    EXPECT_EQ(b.ui.CallsOf("ShowMessage"), std::vector<std::string>{});

    WriteFileBytes(work / "mine.txt", "the user's");
    b.lifecycle.DeleteBinder(bdf);
    EXPECT_EQ(b.ui.CallsOf("ShowMessage"), std::vector<std::string>{});
    EXPECT_EQ(SortedNames(work), std::vector<std::string>{"mine.txt"});
    EXPECT_EQ(ReadBinderList(b.store), std::vector<std::string>{});
}

// What opening would refuse is not made, and the user is told why, also when nobody asked for
// the binder (the default one made at start): nothing new is left in the folder, and a link
// where the store or the tree file would go keeps its target as it was.
TEST(BinderPlace, ABinderThatOpeningWouldRefuseIsNotMade) {
    Places b;
    const fs::path folder = b.dir / "binders";
    WriteFileBytes(b.dir / "elsewhere" / "kept.txt", "kept");
    WriteFileBytes(b.dir / "aliases", "alias ll='ls -l'");
    fs::create_directories(folder / "Foldered.sav");
    fs::create_directory_symlink(b.dir / "elsewhere", folder / "Linkedstore");
    fs::create_symlink(b.dir / "aliases", folder / "Aliased.sav");
    WriteFileBytes(folder / "Filedstore", "a file");
    const std::pair<std::string, std::string> cases[] = {
        {".notes", "its store folder \".notesstore\" begins with \".\""},
        {"Linked", "its store folder \"Linkedstore\" is a link"},
        {"Aliased", "its tree file \"Aliased.sav\" is a link"},
        {"Filed", "its store folder \"Filedstore\" is not a folder"},
        {"Foldered", "its tree file \"Foldered.sav\" is not a file"},
    };
    const auto before = FolderListing(b.dir.Path());
    std::vector<std::string> told;
    for (const auto& [name, reason] : cases) {
        for (const bool interactive : {true, false}) {
            EXPECT_FALSE(b.lifecycle.CreateBinder(folder.string(), name, "", interactive)) << name;
            told.push_back("ShowMessage(Unable to create binder\n" +
                           (folder / (name + ".bdf")).string() + ": " + reason + ".)");
        }
    }
    EXPECT_EQ(b.ui.CallsOf("ShowMessage"), told);
    EXPECT_EQ(FolderListing(b.dir.Path()), before);
    EXPECT_EQ(ReadBinderList(b.store), std::vector<std::string>{});

    // A hidden folder that does not exist yet is not made either for a refused name.
    EXPECT_FALSE(b.lifecycle.CreateBinder((b.dir / "new").string(), ".x", "", false));
    EXPECT_FALSE(fs::exists(b.dir / "new"));
}
