#include "platform/base/FolderEntries.h"
#include "platform/base/Files.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

// Everything below an open folder is reached from it: a link met on the way, or the folder's own
// path made a link after it was opened, leads nowhere, and removing never follows a link.
TEST(FolderEntries, NamesAreReachedFromTheOpenFolderAndNoLinkIsFollowed) {
    TempDir dir;
    fs::create_directories(dir / "work" / "sub");
    WriteFileBytes(dir / "outside" / "keep", "keep");
    const FileDescriptor work = OpenFolderPath((dir / "work").string());
    ASSERT_TRUE(work.Valid());
    fs::rename(dir / "work", dir / "moved");
    fs::create_directory_symlink(dir / "outside", dir / "work");

    std::string name;
    const FileDescriptor deeper = OpenFolderOf(work.Get(), "sub/deeper/f", true, name);
    ASSERT_TRUE(deeper.Valid());
    EXPECT_EQ(name, "f");
    AtomicFileWriter writer(deeper.Get(), name);
    ASSERT_TRUE(writer.Write("x", 1) && writer.Commit()) << writer.Error();
    EXPECT_EQ(ReadFileBytes(dir / "moved" / "sub" / "deeper" / "f"), "x");

    fs::create_directory_symlink(dir / "outside", dir / "moved" / "out");
    for (const char* relative : {"out/f", "out/new/f", "../f", "sub/../f", "sub//f", "sub/"}) {
        EXPECT_FALSE(OpenFolderOf(work.Get(), relative, true, name).Valid()) << relative;
    }
    EXPECT_FALSE(OpenFolderOf(work.Get(), "missing/f", false, name).Valid());
    EXPECT_EQ(errno, ENOENT);

    // Nothing replaces what has the name already, not even an empty folder.
    fs::create_directory(dir / "moved" / "empty");
    EXPECT_FALSE(RenameWithoutReplacing(work.Get(), "sub", work.Get(), "empty"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_TRUE(fs::exists(dir / "moved" / "sub" / "deeper" / "f"));

    fs::create_symlink(dir / "outside" / "keep", dir / "moved" / "sub" / "keep-link");
    EXPECT_TRUE(RemoveEntryAt(work.Get(), "sub"));
    EXPECT_TRUE(RemoveEntryAt(work.Get(), "out"));
    EXPECT_FALSE(RemoveEntryAt(work.Get(), "sub"));
    EXPECT_FALSE(RemoveEntryAt(work.Get(), ".."));
    EXPECT_EQ(ReadFileBytes(dir / "outside" / "keep"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "outside"), {}), 1);
    EXPECT_EQ(FolderNames(work.Get()), std::vector<std::string>{"empty"});
}
