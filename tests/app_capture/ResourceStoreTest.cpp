#include "app/capture/ResourceStore.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(ResourceStore, LinkFilePathStaysBelowTheFolder) {
    struct Case {
        const char* local;
        const char* path;
    } cases[] = {
        {"h/d/img/a.gif", "h/d/img/a.gif"},
        {"h\\d\\a.gif", "h/d/a.gif"},
        {"/h/a.gif", "h/a.gif"},
        {"C|/d/a.gif", "C/d/a.gif"},
        {"h/../../../etc/passwd", "etc/passwd"},
        {"h/./d//a%20b.gif", "h/d/a b.gif"},
        {"file:///etc/x", "etc/x"},
        {"h/d/", "h/d/"},
        {"..", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinkFilePath(c.local), c.path) << c.local;
    }
}

TEST(ResourceStore, WritesWholeFilesAndRefusesWhatLeadsOut) {
    TempDir dir;
    const fs::path node = dir / "store" / "1A";
    ResourceStore store(dir.Str(), "store", 0x1A);
    const std::string bytes("a\0b", 3);
    ASSERT_TRUE(store.Save("h/d/a.gif", bytes));
    EXPECT_EQ(ReadFileBytes(node / "h/d/a.gif"), bytes);
    ASSERT_TRUE(store.Save("h/d/a.gif", "later"));
    EXPECT_EQ(ReadFileBytes(node / "h/d/a.gif"), "later");

    // A writer given up before it is committed leaves the old file.
    {
        std::unique_ptr<AtomicFileWriter> writer = store.Open("h/d/a.gif");
        ASSERT_NE(writer, nullptr);
        EXPECT_TRUE(writer->Write("partial", 7));
    }
    EXPECT_EQ(ReadFileBytes(node / "h/d/a.gif"), "later");

    WriteFileBytes(dir / "outside" / "f", "kept");
    fs::create_symlink(dir / "outside", node / "out");
    fs::create_symlink(dir / "outside" / "f", node / "h" / "file-link");
    EXPECT_FALSE(store.Save("out/x.gif", "x"));
    EXPECT_FALSE(store.Save("h/d", "a folder"));
    EXPECT_FALSE(store.Save("h/d/", "x"));
    EXPECT_FALSE(store.Save("", "x"));
    EXPECT_FALSE(store.Save("h/d/a.gif/x", "under a file"));
    EXPECT_FALSE(ResourceStore("", "store", 1).Save("a.gif", "x"));
    // A link at the file's own name is replaced itself, never written through.
    EXPECT_TRUE(store.Save("h/file-link", "x"));
    EXPECT_FALSE(fs::is_symlink(node / "h" / "file-link"));
    EXPECT_EQ(ReadFileBytes(node / "h" / "file-link"), "x");
    EXPECT_EQ(ReadFileBytes(dir / "outside" / "f"), "kept");
    // A link to nothing is replaced by the file, not followed.
    fs::create_symlink(dir / "outside" / "new", node / "h" / "dangling");
    EXPECT_TRUE(store.Save("h/dangling", "d"));
    EXPECT_FALSE(fs::is_symlink(node / "h" / "dangling"));
    EXPECT_EQ(ReadFileBytes(node / "h" / "dangling"), "d");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "outside"), fs::directory_iterator()), 1);
    // No link on the way is followed, not even one that stays inside.
    fs::create_symlink(node / "h", node / "same");
    EXPECT_FALSE(store.Save("same/b.gif", "b"));
    EXPECT_FALSE(fs::exists(node / "h" / "b.gif"));
}

TEST(ResourceStore, ASharedFileIsLinkedOrCopiedAndNeverWrittenThroughAnotherFolder) {
    TempDir dir;
    ResourceStore first(dir.Str(), "store", 1);
    ResourceStore second(dir.Str(), "store", 2);
    ASSERT_TRUE(first.Save("h/a.gif", "old"));
    const std::optional<StoredFile> stored = first.Stored("h/a.gif");
    ASSERT_TRUE(stored.has_value());
    EXPECT_FALSE(first.Stored("h/none.gif").has_value());

    ASSERT_TRUE(second.Share(*stored, "h/d/a.gif"));
    EXPECT_EQ(ReadFileBytes(dir / "store" / "2" / "h/d/a.gif"), "old");
    EXPECT_EQ(fs::hard_link_count(dir / "store" / "2" / "h/d/a.gif"), 2u);
    EXPECT_FALSE(second.Share(*stored, "../1/h/b.gif"));

    // Writing one folder's file again leaves the other's, and the old file is not shared on.
    ASSERT_TRUE(first.Save("h/a.gif", "new"));
    EXPECT_EQ(ReadFileBytes(dir / "store" / "2" / "h/d/a.gif"), "old");
    EXPECT_FALSE(second.Share(*stored, "h/e/a.gif"));
    EXPECT_FALSE(fs::exists(dir / "store" / "2" / "h/e/a.gif"));

    // Across file systems there are no links: the file is copied.
    std::error_code error;
    const fs::path shm = fs::path("/dev/shm") / ("tarnwick-store-" + std::to_string(::getpid()));
    fs::create_directories(shm, error);
    ResourceStore other(shm.string(), "store", 3);
    if (!other.Save("c.gif", "far") || !other.Stored("c.gif")) {
        fs::remove_all(shm, error);
        GTEST_SKIP() << "no second file system to copy from";
    }
    EXPECT_TRUE(second.Share(*other.Stored("c.gif"), "c.gif"));
    EXPECT_EQ(ReadFileBytes(dir / "store" / "2" / "c.gif"), "far");
    EXPECT_EQ(fs::hard_link_count(dir / "store" / "2" / "c.gif"), 1u);
    fs::remove_all(shm, error);
}
