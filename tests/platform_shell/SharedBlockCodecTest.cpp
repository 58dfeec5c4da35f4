#include "platform/shell/SharedBlockCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A heap buffer of exactly the block's size, so AddressSanitizer sees any read past its end.
std::vector<char> Block(char fill = '\0') {
    return std::vector<char>(SharedMemorySize, fill);
}

bool ZeroFrom(const std::vector<char>& block, std::size_t from) {
    return std::all_of(block.begin() + static_cast<std::ptrdiff_t>(from), block.end(),
                       [](char c) { return c == '\0'; });
}

} // namespace

TEST(SharedBlockCodec, InsertItemBytesAndSignedFlag) {
    auto block = Block('x');
    ASSERT_TRUE(EncodeInsertItem(block, InsertInfo{"u", "i", "", 0xFF}));
    const std::vector<unsigned char> head(block.begin(), block.begin() + 6);
    EXPECT_EQ(head, (std::vector<unsigned char>{0x75, 0x00, 0x69, 0x00, 0x00, 0xFF}));
    EXPECT_TRUE(ZeroFrom(block, 6));

    const InsertInfo item = DecodeInsertItem(block);
    EXPECT_EQ(item.URL, "u");
    EXPECT_EQ(item.Info, "i");
    EXPECT_EQ(item.Html, "");
    EXPECT_EQ(item.Flag, -1);
}

TEST(SharedBlockCodec, PathAfterLongItemLeavesNoRemains) {
    auto block = Block();
    ASSERT_TRUE(EncodeInsertItem(block, InsertInfo{"u", "i", std::string(900 * 1024, 'h'), 1}));
    ASSERT_TRUE(EncodeBinderPath(block, "/b/x.bdf"));
    EXPECT_EQ(std::string(block.data(), 9), std::string("/b/x.bdf\0", 9));
    EXPECT_TRUE(ZeroFrom(block, 9));
    EXPECT_EQ(DecodeBinderPath(block), "/b/x.bdf");
    // Read as an item, the cleared block gives the path and nothing of the old page.
    const InsertInfo item = DecodeInsertItem(block);
    EXPECT_EQ(item.URL, "/b/x.bdf");
    EXPECT_EQ(item.Html, "");
}

TEST(SharedBlockCodec, PathSizeLimitLeavesBlockUnchanged) {
    auto block = Block();
    ASSERT_TRUE(EncodeBinderPath(block, "/old.bdf"));
    const auto before = block;

    EXPECT_FALSE(EncodeBinderPath(block, std::string(SharedMemorySize, 'p')));
    EXPECT_FALSE(EncodeBinderPath(block, std::string(SharedMemorySize + 7, 'p')));
    EXPECT_FALSE(EncodeBinderPath(block, std::string("/a\0b.bdf", 8)));
    EXPECT_EQ(block, before);

    // The largest path that fits fills the block up to its last byte, the terminator.
    ASSERT_TRUE(EncodeBinderPath(block, std::string(SharedMemorySize - 1, 'p')));
    EXPECT_EQ(block.back(), '\0');
    EXPECT_EQ(DecodeBinderPath(block).size(), SharedMemorySize - 1);
}

TEST(SharedBlockCodec, ItemSizeLimitLeavesBlockUnchanged) {
    auto block = Block();
    ASSERT_TRUE(EncodeBinderPath(block, "/old.bdf"));
    const auto before = block;
    // Three terminators and the flag take four bytes.
    const std::size_t room = SharedMemorySize - 4;
    EXPECT_FALSE(EncodeInsertItem(block, InsertInfo{"u", "i", std::string(room - 1, 'h'), 0}));
    EXPECT_FALSE(
        EncodeInsertItem(block, InsertInfo{std::string(SharedMemorySize, 'u'), "", "", 0}));
    EXPECT_FALSE(EncodeInsertItem(block, InsertInfo{"u", std::string("a\0b", 3), "", 0}));
    EXPECT_EQ(block, before);

    ASSERT_TRUE(EncodeInsertItem(block, InsertInfo{"u", "i", std::string(room - 2, 'h'), -2}));
    const InsertInfo item = DecodeInsertItem(block);
    EXPECT_EQ(item.Html.size(), room - 2);
    EXPECT_EQ(item.Flag, -2);
}

TEST(SharedBlockCodec, ReadsStayInsideBlockWithoutTerminators) {
    const auto full = Block('A');
    const InsertInfo item = DecodeInsertItem(full);
    EXPECT_EQ(item.URL, std::string(SharedMemorySize, 'A'));
    EXPECT_EQ(item.Info, "");
    EXPECT_EQ(item.Html, "");
    EXPECT_EQ(item.Flag, 0);
    EXPECT_EQ(DecodeBinderPath(full), std::string(SharedMemorySize, 'A'));

    // The third terminator in the very last byte: the flag would lie past the end.
    auto block = Block('A');
    block[0] = '\0';
    block[1] = '\0';
    block.back() = '\0';
    const InsertInfo cut = DecodeInsertItem(block);
    EXPECT_EQ(cut.URL, "");
    EXPECT_EQ(cut.Info, "");
    EXPECT_EQ(cut.Html.size(), SharedMemorySize - 3);
    EXPECT_EQ(cut.Flag, 0);
}

TEST(SharedBlockCodec, EmptyAndTinyBlocks) {
    EXPECT_EQ(DecodeBinderPath({}), "");
    const InsertInfo none = DecodeInsertItem({});
    EXPECT_EQ(none.URL, "");
    EXPECT_EQ(none.Flag, 0);

    std::vector<char> tiny{'a', '\0', 'b'};
    const InsertInfo item = DecodeInsertItem(tiny);
    EXPECT_EQ(item.URL, "a");
    EXPECT_EQ(item.Info, "b");
    EXPECT_EQ(item.Flag, 0);
    EXPECT_FALSE(EncodeBinderPath(std::span<char>(tiny.data(), 0), ""));
}
