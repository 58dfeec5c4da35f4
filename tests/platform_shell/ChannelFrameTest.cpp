#include "platform/shell/ChannelFrame.h"
#include "platform/base/Exceptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<ChannelFrame> Drain(ChannelFrameReader& reader) {
    std::vector<ChannelFrame> frames;
    while (auto frame = reader.Next()) {
        frames.push_back(std::move(*frame));
    }
    return frames;
}

std::vector<ChannelFrame> ReadAll(std::string_view bytes) {
    ChannelFrameReader reader;
    reader.Feed(bytes);
    return Drain(reader);
}

} // namespace

TEST(ChannelFrame, WireFormat) {
    EXPECT_EQ(EncodeMessageFrame({"InsertVelmor", 10}), "Message InsertVelmor 10\n");
    EXPECT_EQ(EncodeMessageFrame({"OnlyOneVelmor", -3}), "Message OnlyOneVelmor -3\n");
    EXPECT_EQ(EncodeExecuteFrame("Tarnwick", "System", "[Open(/b)]"),
              "Execute Tarnwick System 10\n[Open(/b)]");
    EXPECT_THROW(EncodeMessageFrame({"Two words", 0}), Exception);
    EXPECT_THROW(EncodeMessageFrame({"", 0}), Exception);
    EXPECT_THROW(EncodeExecuteFrame("Tarnwick", "Sys\ntem", "x"), Exception);
    EXPECT_THROW(EncodeExecuteFrame("Tarnwick", "System", std::string(MaxExecuteText + 1, 'x')),
                 Exception);
}

// A stream cut at every byte gives the same frames, and execute texts come through whole with
// line breaks, NULs and every other byte.
TEST(ChannelFrame, FramesSurviveAnySplitOfTheStream) {
    std::string text = "[Open(/a\nb\0c)]";
    text += std::string(5000, 'p');
    for (int i = 0; i < 256; ++i) {
        text += static_cast<char>(i);
    }
    const std::string stream = EncodeMessageFrame({"OnlyOneVelmor", 0}) +
                               EncodeExecuteFrame("Tarnwick", "System", text) +
                               EncodeExecuteFrame("Tarnwick", "System", "") +
                               EncodeMessageFrame({"InsertVelmor", -9223372036854775807LL - 1});
    ChannelFrameReader reader;
    std::vector<ChannelFrame> frames;
    for (char c : stream) {
        reader.Feed(std::string_view(&c, 1));
        for (auto& frame : Drain(reader)) {
            frames.push_back(std::move(frame));
        }
    }
    EXPECT_FALSE(reader.Failed());
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].kind, ChannelFrame::Kind::Message);
    EXPECT_EQ(frames[0].message.Name, "OnlyOneVelmor");
    EXPECT_EQ(frames[1].kind, ChannelFrame::Kind::Execute);
    EXPECT_EQ(frames[1].service, "Tarnwick");
    EXPECT_EQ(frames[1].topic, "System");
    EXPECT_EQ(frames[1].text, text);
    EXPECT_EQ(frames[2].text, "");
    EXPECT_EQ(frames[3].message.WParam, INT64_MIN);
    EXPECT_EQ(ReadAll(stream).size(), 4u);
}

TEST(ChannelFrame, MalformedHeadersStopTheReader) {
    for (const std::string& bad : std::vector<std::string>{
             "Message InsertVelmor\n", "Message InsertVelmor 10 0\n", "Message InsertVelmor x\n",
             "Message InsertVelmor 1x\n", "Message InsertVelmor +1\n",
             "Message InsertVelmor 9223372036854775808\n", "Message  InsertVelmor 1\n",
             "Message InsertVelmor 1 \n", "message InsertVelmor 1\n", "\n", "Hello\n",
             "Execute Tarnwick System -1\n", "Execute Tarnwick System\n",
             "Execute Tarnwick System 65537\n", "Execute Tarnwick System 99999999999999999999\n",
             "Message " + std::string(65, 'n') + " 1\n", "Message Insert\x01Velmor 1\n"}) {
        ChannelFrameReader reader;
        reader.Feed(bad);
        EXPECT_TRUE(reader.Failed()) << bad;
        EXPECT_FALSE(reader.Next()) << bad;
    }
}

TEST(ChannelFrame, FramesBeforeAnErrorStillCountNothingAfter) {
    ChannelFrameReader reader;
    reader.Feed(EncodeMessageFrame({"InsertVelmor", 10}) + "garbage\n" +
                EncodeMessageFrame({"TarnwickOpen", 0}));
    EXPECT_TRUE(reader.Failed());
    const auto frames = Drain(reader);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].message.Name, "InsertVelmor");
    reader.Feed(EncodeMessageFrame({"TarnwickOpen", 0}));
    EXPECT_FALSE(reader.Next());
}

// A peer that never ends its header cannot make the reader hold more than a header's worth.
TEST(ChannelFrame, EndlessHeaderFailsOnceTooLong) {
    ChannelFrameReader reader;
    reader.Feed(std::string(MaxFrameHeader, 'M'));
    EXPECT_FALSE(reader.Failed());
    reader.Feed("M");
    EXPECT_TRUE(reader.Failed());
}

TEST(ChannelFrame, ExecuteTextWaitsForItsLastByte) {
    ChannelFrameReader reader;
    reader.Feed("Execute Tarnwick System 5\nabcd");
    EXPECT_FALSE(reader.Next());
    reader.Feed("eMessage OnlyOneVelmor 0\n");
    const auto frames = Drain(reader);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].text, "abcde");
    EXPECT_EQ(frames[1].message.Name, "OnlyOneVelmor");
    EXPECT_EQ(ReadAll("Execute Tarnwick System 65536\n" + std::string(MaxExecuteText, 'x'))
                  .at(0)
                  .text.size(),
              MaxExecuteText);
}
