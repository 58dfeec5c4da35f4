#include "app/capture/FileTaskTarget.h"

#include "app/binder/FolderMark.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

FileDescriptor OpenFolder(const fs::path& folder) {
    return FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// Every entry of the folder (links not followed): a file's bytes, "link" or "folder".
std::map<std::string, std::string> Entries(const fs::path& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found[entry.path().filename().string()] = entry.is_symlink()     ? "link"
                                                  : entry.is_directory() ? "folder"
                                                                         : ReadFileBytes(entry);
    }
    return found;
}

} // namespace

// The store is a folder of the binder's own, never a link, even one to a folder inside the
// binder's; an absolute path is taken as written or with the binder folder's links resolved.
TEST(FileTaskTarget, APlaceLiesInTheStoreOfTheBinder) {
    TempDir dir;
    const fs::path binder = dir / "binder";
    const fs::path pages = binder / "pages";
    fs::create_directories(pages);
    fs::create_directory_symlink(pages, binder / "inner");
    fs::create_directory_symlink(dir.Path(), binder / "outer");
    fs::create_directory_symlink(binder, binder / "self");
    const fs::path alias = dir / "alias"; // the binder's folder reached through a link
    fs::create_directory_symlink(binder, alias);
    const auto placeOf = [&](const fs::path& folder, const std::string& store,
                             const std::string& local) {
        const std::optional<FileTaskPlace> place = FindFileTaskPlace(folder.string(), store, local);
        fs::path found = place ? place->Base : "refused";
        for (const std::string& name : place ? place->Names : std::vector<std::string>{}) {
            found /= name;
        }
        return found.string();
    };
    const std::string in = (pages / "a" / "b").string();
    EXPECT_EQ(placeOf(binder, "pages", "a\\b"), in);
    EXPECT_EQ(placeOf(alias, "pages", (alias / "pages" / "a" / "b").string()), in);
    EXPECT_EQ(placeOf(alias, "pages", in), in);
    EXPECT_EQ(placeOf(binder, "new", "a//b/"), (binder / "new" / "a" / "b").string());
    for (const char* store : {"inner", "outer", "self", "..", ".pages"}) {
        EXPECT_EQ(placeOf(binder, store, "a"), "refused") << store;
    }
    for (const std::string& local :
         {std::string("a/.git"), (binder / "pagesx").string(), std::string("a\0b", 3)}) {
        EXPECT_EQ(placeOf(binder, "pages", local), "refused") << local;
    }
}

// Only files of the temporaries' own pattern lying in the folder itself go: not a link or a
// folder of that name, not a name that is nearly one, not one in a folder below.
TEST(FileTaskTarget, OnlyDownloadTemporariesInTheFolderAreRemoved) {
    TempDir dir;
    const fs::path folder = dir / "dl";
    const std::string temporary = ".tarnwick-download-0123456789ABCDEF.part";
    const std::vector<std::string> nearly = {".tarnwick-download-0123456789abcdef.part",
                                             ".tarnwick-download-0123456789ABCDE.part",
                                             ".tarnwick-download-0123456789ABCDEF0.part",
                                             "tarnwick-download-0123456789ABCDEF.part",
                                             ".tarnwick-download-0123456789ABCDEF.partx",
                                             ".tarnwick-download-0123456789ABCDEG.part",
                                             "notes.txt"};
    WriteFileBytes(folder / temporary, "cut");
    for (const std::string& name : nearly) {
        EXPECT_FALSE(IsDownloadTemporary(name)) << name;
        WriteFileBytes(folder / name, "kept");
    }
    const std::string asFolder = ".tarnwick-download-FFFFFFFFFFFFFFFF.part";
    const std::string asLink = ".tarnwick-download-0000000000000000.part";
    fs::create_directory(folder / asFolder);
    WriteFileBytes(dir / "target", "target");
    fs::create_symlink(dir / "target", folder / asLink);
    WriteFileBytes(folder / "sub" / temporary, "below");
    ASSERT_TRUE(IsDownloadTemporary(temporary));

    EXPECT_EQ(RemoveDownloadTemporaries(OpenFolder(folder)), 1);
    std::map<std::string, std::string> expected = {
        {asFolder, "folder"}, {asLink, "link"}, {"sub", "folder"}};
    for (const std::string& name : nearly) {
        expected[name] = "kept";
    }
    EXPECT_EQ(Entries(folder), expected);
    EXPECT_EQ(ReadFileBytes(folder / "sub" / temporary), "below");
    EXPECT_EQ(ReadFileBytes(dir / "target"), "target");
}

// A store a download makes is made as every store is, marked as the program's, so deleting the
// binder can remove it; the folders below it are walked to, and made, one name at a time.
TEST(FileTaskTarget, AStoreMadeForADownloadIsMarkedAsTheProgramsOwn) {
    TempDir dir;
    const fs::path binder = dir / "binder";
    fs::create_directories(binder);
    const std::optional<FileTaskPlace> place =
        FindFileTaskPlace(binder.string(), "Xstore", "dl/sub");
    ASSERT_TRUE(place);
    FileDescriptor folder;
    EXPECT_EQ(OpenPlace(*place, false, folder), WalkResult::Missing);
    EXPECT_FALSE(fs::exists(binder / "Xstore"));
    ASSERT_EQ(OpenPlace(*place, true, folder), WalkResult::Opened);
    EXPECT_TRUE(fs::is_directory(binder / "Xstore" / "dl" / "sub"));
    const FileDescriptor store = OpenFolder(binder / "Xstore");
    ASSERT_TRUE(store.Valid());
    EXPECT_TRUE(HoldsFolderMark(store.Get(), "Xstore"));
    // The folder directly in the store is the program's as a node's folder is; below it, all.
    const FileDescriptor below = OpenFolder(binder / "Xstore" / "dl");
    EXPECT_TRUE(HoldsFolderMark(below.Get(), "dl"));
    const FileDescriptor deeper = OpenFolder(binder / "Xstore" / "dl" / "sub");
    EXPECT_FALSE(HoldsProgramMark(deeper.Get()));
}
