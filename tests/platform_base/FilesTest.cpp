#include "platform/base/Files.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path, size_t& size) {
    std::unique_ptr<char[]> data = ReadFileWhole(path, size);
    EXPECT_NE(data, nullptr);
    EXPECT_EQ(data[size], '\0');
    return std::string(data.get(), size);
}

} // namespace

TEST(Files, JoinPathAddsOneSeparatorAndRefusesAnEmptyFolder) {
    EXPECT_EQ(JoinPath("a", "b"), "a/b");
    EXPECT_EQ(JoinPath("a/", "b"), "a/b");
    EXPECT_EQ(JoinPath("/", "b"), "/b");
    EXPECT_EQ(JoinPath("", "b"), "");
    EXPECT_EQ(JoinPath("", ""), "");
    EXPECT_EQ(JoinPath("a", ""), "a/");
    // A backslash is a character of a Linux name, not a separator.
    EXPECT_EQ(JoinPath("a\\", "b"), "a\\/b");
    EXPECT_EQ(NativePath("1A2B\\img\\a.gif"), "1A2B/img/a.gif");
    EXPECT_EQ(NativePath("/plain/path"), "/plain/path");
}

TEST(Files, ReadFileWholeKeepsEveryByteAndEndsWithNul) {
    TempDir dir;
    const std::string bytes("a\0b\r\n\xff\0", 7);
    WriteFileBytes(dir / "data", bytes);
    WriteFileBytes(dir / "empty", "");

    size_t size = 99;
    EXPECT_EQ(Read((dir / "data").string(), size), bytes);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(Read((dir / "empty").string(), size), "");
    EXPECT_EQ(size, 0u);

    // Missing files and folders fail and leave the size alone.
    size = 12345;
    for (const std::string& path : {(dir / "missing").string(), dir.Str(), std::string()}) {
        EXPECT_EQ(ReadFileWhole(path, size), nullptr) << path;
    }
    EXPECT_EQ(size, 12345u);
}

TEST(Files, ReadFileWholeReadsStreamsOfUnknownSize) {
    TempDir dir;
    const std::string pipe = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    // Nobody writing: an empty read, not a hang.
    size_t size = 1;
    EXPECT_EQ(Read(pipe, size), "");

    // More than the first step of the growing block, NUL bytes included.
    std::string bytes(300 * 1024, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    // The writer also holds the reading side, so its bytes wait in the pipe for the reader
    // however the two threads meet.
    std::thread writer([&] {
        int fd = ::open(pipe.c_str(), O_RDWR);
        ASSERT_GE(fd, 0);
        for (size_t done = 0; done < bytes.size();) {
            ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0);
            done += static_cast<size_t>(n);
        }
        ::close(fd);
    });
    // Until the writer has the pipe open a read finds it empty.
    std::unique_ptr<char[]> data;
    for (int tries = 0; tries < 500 && size == 0; ++tries) {
        data = ReadFileWhole(pipe, size);
        if (size == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    writer.join();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(std::string(data.get(), size), bytes);
}

TEST(Files, AtomicWriteCreatesAndReplacesLeavingNoTemporaryFile) {
    TempDir dir;
    const std::string path = (dir / "tree.sav").string();
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(path, "first", 5, error)) << error;
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const std::string second("sec\0nd", 6);
    ASSERT_TRUE(WriteFileAtomic(path, second.data(), second.size(), error)) << error;

    EXPECT_EQ(ReadFileBytes(path), second);
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(SortedNames(dir.Path()), std::vector<std::string>{"tree.sav"});

    ASSERT_TRUE(WriteFileAtomic(path, "", 0, error)) << error;
    EXPECT_EQ(fs::file_size(path), 0u);

    // A symbolic link at the name is replaced itself: the file it points to keeps its bytes.
    fs::create_directory(dir / "real");
    WriteFileBytes(dir / "real" / "target", "old");
    fs::create_symlink("real/target", dir / "link");
    ASSERT_TRUE(WriteFileAtomic((dir / "link").string(), "new", 3, error)) << error;
    EXPECT_FALSE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(ReadFileBytes(dir / "link"), "new");
    EXPECT_EQ(ReadFileBytes(dir / "real" / "target"), "old");
    EXPECT_EQ(SortedNames(dir / "real"), std::vector<std::string>{"target"});
}

TEST(Files, AtomicWriteFailuresKeepTheOldFile) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomic("", "x", 1, error));
    EXPECT_FALSE(WriteFileAtomic((dir / "no" / "such" / "f").string(), "x", 1, error));
    EXPECT_FALSE(error.empty());

    fs::create_directory(dir / "folder");
    WriteFileBytes(dir / "folder" / "inside", "kept");
    error.clear();
    EXPECT_FALSE(WriteFileAtomic((dir / "folder").string(), "x", 1, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFileBytes(dir / "folder" / "inside"), "kept");
    EXPECT_EQ(SortedNames(dir.Path()), std::vector<std::string>{"folder"});
}

// A full disk, as seen by the writer: the file-size limit makes the write into the temporary
// file fail part-way.
TEST(Files, AtomicWriteThatRunsOutOfSpaceKeepsTheOldFile) {
    TempDir dir;
    const std::string path = (dir / "tree.sav").string();
    WriteFileBytes(path, "the old contents");

    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string big(100000, 'x');
    std::string error;
    const bool written = WriteFileAtomic(path, big.data(), big.size(), error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadFileBytes(path), "the old contents");
    EXPECT_EQ(SortedNames(dir.Path()), std::vector<std::string>{"tree.sav"});
}

TEST(Files, AtomicFileWriterReplacesOnlyWhenCommitted) {
    TempDir dir;
    const std::string path = (dir / "big.jpg").string();
    WriteFileBytes(path, "old");
    {
        AtomicFileWriter writer(path, false);
        ASSERT_TRUE(writer.Good()) << writer.Error();
        EXPECT_TRUE(writer.Write("piece one, ", 11));
        EXPECT_TRUE(writer.Write("piece\0two", 9));
        EXPECT_EQ(ReadFileBytes(path), "old"); // readers see the old file meanwhile
        EXPECT_EQ(SortedNames(dir.Path()).size(), 2u);
    }
    EXPECT_EQ(ReadFileBytes(path), "old");
    EXPECT_EQ(SortedNames(dir.Path()), std::vector<std::string>{"big.jpg"});

    AtomicFileWriter writer(path);
    EXPECT_TRUE(writer.Write("piece one, ", 11));
    EXPECT_TRUE(writer.Write("piece\0two", 9));
    ASSERT_TRUE(writer.Commit()) << writer.Error();
    EXPECT_EQ(ReadFileBytes(path), std::string("piece one, piece\0two", 20));
    EXPECT_EQ(SortedNames(dir.Path()), std::vector<std::string>{"big.jpg"});
    // Done once; a second commit or a late write is refused.
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(writer.Write("x", 1));

    AtomicFileWriter nowhere((dir / "no" / "folder").string());
    EXPECT_FALSE(nowhere.Good());
    EXPECT_FALSE(nowhere.Write("x", 1));
    EXPECT_FALSE(nowhere.Commit());
    EXPECT_FALSE(nowhere.Error().empty());
}
