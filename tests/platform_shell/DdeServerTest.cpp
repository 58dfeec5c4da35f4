#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The parse result, the index and the path (the path argument starts as "unset").
struct Parsed {
    int result;
    int index;
    std::string path;
};

Parsed Parse(std::string_view text, std::size_t size = DdePathBufferSize) {
    Parsed parsed{0, 99, "unset"};
    parsed.result = ParseDdeCommand(text, parsed.index, parsed.path, size);
    return parsed;
}

} // namespace

TEST(ParseDdeCommand, WellFormedCommandGivesThePath) {
    const Parsed parsed = Parse("[Open(/b/x.bdf)]junk");
    EXPECT_EQ(parsed.result, 1);
    EXPECT_EQ(parsed.index, 0);
    EXPECT_EQ(parsed.path, "/b/x.bdf");
    EXPECT_EQ(Parse("[Open(C:\\b\\x.bdf)]").path, "C:\\b\\x.bdf");
    EXPECT_EQ(Parse("[Open( a b )]").path, " a b ");
}

TEST(ParseDdeCommand, RefusedCommands) {
    for (const std::string_view text :
         {"open(", "[open(/b/x.bdf)]", "Open(/b/x.bdf)]", "[Open(x)", "[Open(abc", "[Open()]",
          "[Open(x)junk]", "[Open(x))]", "", "[", "[Open(", "[Open", "[Opem(x)]"}) {
        const Parsed parsed = Parse(text);
        EXPECT_EQ(parsed.result, 0) << text;
        EXPECT_EQ(parsed.path, "unset") << text;
    }
    EXPECT_EQ(Parse("open(").index, -1);
    EXPECT_EQ(Parse("[Open(abc").index, 0) << "the word matched before the path failed";
}

// A NUL ends the text: the shell's data would have ended there too.
TEST(ParseDdeCommand, TextEndsAtItsFirstNul) {
    EXPECT_EQ(Parse(std::string_view("[Open(/a)]\0junk", 15)).result, 1);
    EXPECT_EQ(Parse(std::string_view("[Open(/a\0)]", 11)).result, 0);
}

// A path too long for the buffer is cut, and the cut command then lacks its ")": refused,
// never opened under a shortened name.
TEST(ParseDdeCommand, BufferSizeCutRefusesLongPaths) {
    EXPECT_EQ(Parse("[Open(0123456789)]", 5).result, 0);
    EXPECT_EQ(Parse("[Open(0123)]", 5).path, "0123");
    EXPECT_EQ(Parse("[Open(01234)]", 5).result, 0);
    EXPECT_EQ(Parse("[Open(0123?]x)]", 5).result, 0);
    EXPECT_EQ(Parse("[Open(x)]", 0).result, 0);

    const std::string longest(DdePathBufferSize - 1, 'p');
    EXPECT_EQ(Parse("[Open(" + longest + ")]").path, longest);
    EXPECT_EQ(Parse("[Open(" + longest + "p)]").result, 0);
}

TEST(MakeDdeOpenCommand, CarriesOnlyPathsTheParserGivesBack) {
    const std::string path = "/home/u/" + std::string(200, 'n') + ".bdf";
    const auto command = MakeDdeOpenCommand(path);
    ASSERT_TRUE(command);
    EXPECT_EQ(command->Topic, DdeTopicName);
    EXPECT_EQ(command->Text, "[Open(" + path + ")]");
    EXPECT_EQ(Parse(command->Text).path, path);
    EXPECT_FALSE(MakeDdeOpenCommand(""));
    EXPECT_FALSE(MakeDdeOpenCommand(std::string("/a\0b", 4)));
}

TEST(DdeServer, AcceptsOnlyItsServiceAndTopic) {
    InstanceChannel channel;
    std::vector<std::string> opened;
    ASSERT_EQ(DdeServerInit(channel, [&](const std::string& path) { opened.push_back(path); }), 1);

    DdeServerCallback("Tarnwick", "System", "[Open(/a.bdf)]");
    DdeServerCallback("Tarnwick", "Topics", "[Open(/b.bdf)]");
    DdeServerCallback("tarnwick", "System", "[Open(/c.bdf)]");
    DdeServerCallback("Tarnwick", "System", "[Open(/d.bdf)");
    EXPECT_EQ(opened, std::vector<std::string>{"/a.bdf"});

    ASSERT_EQ(DdeServerDone(), 1);
    DdeServerCallback("Tarnwick", "System", "[Open(/e.bdf)]");
    EXPECT_EQ(opened.size(), 1u);
}
