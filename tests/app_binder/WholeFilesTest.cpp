#include "app/binder/WholeFiles.h"

#include "tests/support/FakeBinderUi.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool Save(const fs::path& path, const std::string& bytes, FakeUserMessages& ui) {
    return SaveBufferToFile(path.string(), bytes.data(), bytes.size(), ui);
}

size_t EntryCount(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

} // namespace

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
