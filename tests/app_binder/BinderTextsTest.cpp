#include "app/binder/NodeRange.h"
#include "app/binder/Scramble.h"
#include "app/binder/TextScan.h"
#include "app/binder/WindowTexts.h"

#include "platform/base/TreeNode.h"

#include <gtest/gtest.h>

#include <array>

TEST(BinderTexts, ExtractHtmlTitleTable) {
    const std::pair<std::string, std::string> cases[] = {
        {"<html><head><title>Hello</title></head>", "Hello"},
        {"<HTML><TITLE>Mixed Case Text</TITLE>", "Mixed Case Text"},
        {"<title></title>", ""},
        {"<title>a</title><title>b</title>", "a"},
        {"<title>no end", ""},
        {"</title>before<title>after", ""},
        {"</title>x<title>y</title>", ""}, // the first "</title" comes first
        {"no title at all", ""},
        {"<title >spaced</title>", ""},
        {"<title>line\nbreak</title >", "line\nbreak"},
        {"", ""},
    };
    for (const auto& [html, expected] : cases) {
        EXPECT_EQ(ExtractHtmlTitle(html), expected) << '"' << html << '"';
    }
}

TEST(BinderTexts, CaptionShowsTheBinderNameWithBlanks) {
    EXPECT_EQ(BinderCaption(""), "Tarnwick");
    EXPECT_EQ(BinderCaption("My%20Notes"), "Tarnwick - My Notes");
}

TEST(BinderTexts, ScrambleBufferFollowsTheStoredSequence) {
    // One key character: bytes 0 and 2 change, byte 1 meets the key's terminating NUL.
    std::unique_ptr<char[]> out = ScrambleBuffer("abc", "K", 3);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[0], 'a' ^ 'K');
    EXPECT_EQ(out[1], 'b');
    EXPECT_EQ(out[2], 'c' ^ 'K');
    EXPECT_EQ(out[3], '\0');

    // Three key characters: bytes 0-2 take the key, byte 3 stays, later bytes take its first.
    const char data[] = {1, 2, 3, 4, 5, 6};
    out = ScrambleBuffer(data, "xyz", 6);
    const char expected[] = {1 ^ 'x', 2 ^ 'y', 3 ^ 'z', 4, 5 ^ 'x', 6 ^ 'x'};
    EXPECT_EQ(std::string(out.get(), 6), std::string(expected, 6));

    EXPECT_EQ(ScrambleBuffer("abc", "K", 0), nullptr);
    EXPECT_EQ(std::string(ScrambleBuffer("abc", "", 3).get(), 3), "abc"); // no key: unchanged
}

TEST(BinderTexts, ScrambleBufferIsItsOwnInverse) {
    const std::string withNuls("\0templ\0ate\0\xff\x80 body", 19);
    const std::string keys[] = {"0123456789", "k", std::string(40, 'Q'), std::string("a\0b", 3)};
    for (const std::string& key : keys) {
        std::unique_ptr<char[]> once = ScrambleBuffer(withNuls.data(), key, withNuls.size());
        std::unique_ptr<char[]> twice = ScrambleBuffer(once.get(), key, withNuls.size());
        EXPECT_EQ(std::string(twice.get(), withNuls.size()), withNuls) << key.size();
        if (key.find_first_not_of('\0') != std::string::npos) {
            EXPECT_NE(std::string(once.get(), withNuls.size()), withNuls) << key.size();
        }
    }
}

TEST(BinderTexts, SelectNodeRangeAddsBothEndsAndEverythingBetweenOnce) {
    std::array<TTreeNode, 5> tree;
    std::vector<TTreeNode*> nodes;
    for (TTreeNode& node : tree) {
        nodes.push_back(&node);
    }
    TTreeNode stranger;

    std::vector<TTreeNode*> list = {&tree[2]};
    SelectNodeRange(&tree[3], &tree[1], nodes, list); // ends given in either order
    EXPECT_EQ(list, (std::vector<TTreeNode*>{&tree[2], &tree[1], &tree[3]}));

    SelectNodeRange(&tree[0], &tree[4], nodes, list);
    EXPECT_EQ(list, (std::vector<TTreeNode*>{&tree[2], &tree[1], &tree[3], &tree[0], &tree[4]}));

    std::vector<TTreeNode*> single;
    SelectNodeRange(&tree[2], &tree[2], nodes, single);
    EXPECT_EQ(single, std::vector<TTreeNode*>{&tree[2]});

    std::vector<TTreeNode*> none;
    SelectNodeRange(nullptr, &tree[2], nodes, none);
    SelectNodeRange(&tree[2], nullptr, nodes, none);
    SelectNodeRange(&tree[2], &stranger, nodes, none);
    SelectNodeRange(&stranger, &tree[2], nodes, none);
    EXPECT_TRUE(none.empty());
}
