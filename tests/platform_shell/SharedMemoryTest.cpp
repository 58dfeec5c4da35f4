#include "platform/shell/SharedMemory.h"
#include "platform/shell/SharedBlock.h"

#include "tests/support/ShellTestEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <unistd.h>

namespace {

class SharedMemoryTest : public testing::Test {
protected:
    void TearDown() override { CloseSharedMemory(); }

    // A second mapping of the same object, as another process would have it.
    std::unique_ptr<SharedBlock> OpenAgain() {
        std::string error;
        auto block = SharedBlock::Open(env.BlockName(), SharedBlock::Mode::OpenExisting, error);
        EXPECT_TRUE(block) << error;
        return block;
    }

    IsolatedShell env;
};

} // namespace

TEST_F(SharedMemoryTest, WritersAndReadersMeetThroughTheNamedObject) {
    char* view = CreateSharedMemory();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(CreateSharedMemory(), view) << "created once per process";

    auto other = OpenAgain();
    ASSERT_TRUE(other);
    ASSERT_TRUE(EncodeInsertItem(other->Bytes(), InsertInfo{"http://x.y/", "info", "<p>", -5}));
    InsertInfo item;
    ReadSharedMemoryItem(item);
    EXPECT_EQ(item.URL, "http://x.y/");
    EXPECT_EQ(item.Info, "info");
    EXPECT_EQ(item.Html, "<p>");
    EXPECT_EQ(item.Flag, -5);

    ASSERT_TRUE(WriteSharedMemory("/home/u/b.bdf"));
    EXPECT_EQ(DecodeBinderPath(other->Bytes()), "/home/u/b.bdf");
    EXPECT_EQ(ReadSharedMemoryString(), "/home/u/b.bdf");

    EXPECT_FALSE(WriteSharedMemory(std::string(SharedMemorySize, 'p')));
    EXPECT_EQ(ReadSharedMemoryString(), "/home/u/b.bdf");
}

TEST_F(SharedMemoryTest, CloseRemovesTheName) {
    ASSERT_NE(CreateSharedMemory(), nullptr);
    CloseSharedMemory();
    std::string error;
    EXPECT_FALSE(SharedBlock::Open(env.BlockName(), SharedBlock::Mode::OpenExisting, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(SharedMemoryTest, WithoutBlockReadersGiveNothingAndWriterRefuses) {
    ScopedEnv bad("TARNWICK_SHARED_BLOCK", "no/slashes");
    EXPECT_EQ(CreateSharedMemory(), nullptr);
    EXPECT_FALSE(WriteSharedMemory("/b.bdf"));
    InsertInfo item{"stale", "stale", "stale", 3};
    ReadSharedMemoryItem(item);
    EXPECT_EQ(item.URL, "");
    EXPECT_EQ(item.Html, "");
    EXPECT_EQ(item.Flag, 0);
    EXPECT_EQ(ReadSharedMemoryString(), "");
}

// An object left short by someone else is grown before use; touching a mapped page past the
// end of the object would otherwise kill the process.
TEST_F(SharedMemoryTest, ShortObjectIsGrownBeforeUse) {
    const std::string name = "/" + env.BlockName();
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 10), 0);
    ::close(fd);

    char* view = CreateSharedMemory();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WriteSharedMemory(std::string(SharedMemorySize - 1, 'z')));
    EXPECT_EQ(view[SharedMemorySize - 2], 'z');
    EXPECT_EQ(ReadSharedMemoryString().size(), SharedMemorySize - 1);
}

// Each user has a block of their own: one made (or left behind) by another user would be closed
// to this one, and every insert sent to the program would fail. The program and the senders
// take the name from the same call.
TEST(SharedMemoryName, EachUserHasABlockOfTheirOwn) {
    EXPECT_NE(SharedMemoryNameFor(1000), SharedMemoryNameFor(1001));
    EXPECT_NE(SharedMemoryNameFor(0), SharedMemoryNameFor(1000));
    {
        ScopedEnv unset("TARNWICK_SHARED_BLOCK", nullptr);
        EXPECT_EQ(SharedMemoryBlockName(), SharedMemoryNameFor(::geteuid()));
    }
    {
        ScopedEnv empty("TARNWICK_SHARED_BLOCK", "");
        EXPECT_EQ(SharedMemoryBlockName(), SharedMemoryNameFor(::geteuid()));
    }
    // The longest name is one the system takes (no user has that id).
    const std::string longest = SharedMemoryNameFor(std::numeric_limits<uid_t>::max() - 1);
    std::string error;
    auto block = SharedBlock::Open(longest, SharedBlock::Mode::CreateOrOpen, error);
    ASSERT_TRUE(block) << error;
    block->Unlink();
}
