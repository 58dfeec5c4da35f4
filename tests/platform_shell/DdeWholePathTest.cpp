// Binder paths of any characters reach the running instance whole: those the "[Open(path)]"
// command cannot hold travel on a topic of their own.
#include "platform/shell/ChannelFrame.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class DdeWholePath : public testing::Test {
protected:
    DdeWholePath() {
        DdeServerInit(channel, [this](const std::string& path) { opened.push_back(path); });
    }
    ~DdeWholePath() override { DdeServerDone(); }

    // The request as it crosses the channel: encoded into a frame, read back, handed over.
    void Send(const DdeExecute& command) {
        ChannelFrameReader reader;
        reader.Feed(EncodeExecuteFrame(DdeServiceName, command.Topic, command.Text));
        const std::optional<ChannelFrame> frame = reader.Next();
        ASSERT_TRUE(frame);
        DdeServerCallback(frame->service, frame->topic, frame->text);
    }

    InstanceChannel channel;
    std::vector<std::string> opened;
};

} // namespace

TEST_F(DdeWholePath, EveryPathArrivesAsItWasGiven) {
    const std::string longest = "/" + std::string(DdePathBufferSize - 3, 'n') + ")";
    const std::vector<std::string> paths = {"/home/u/x (1).bdf",
                                            "/home/u/Binders (old)/b (2).bdf",
                                            "/a)]b.bdf",
                                            "/a)]",
                                            ")",
                                            "/a(b",
                                            "/a))b",
                                            "/a b/%20)/c.bdf",
                                            longest,
                                            "/plain.bdf"};
    for (const std::string& path : paths) {
        const std::optional<DdeExecute> command = MakeDdeOpenCommand(path);
        ASSERT_TRUE(command) << path;
        Send(*command);
    }
    EXPECT_EQ(opened, paths);
}

// What the command can hold still goes as the command, so an instance that knows only the
// command opens it too.
TEST_F(DdeWholePath, APathTheCommandHoldsGoesAsTheCommand) {
    for (const std::string path : {"/a(1.bdf", "/b/x.bdf", "/ a b /c.bdf"}) {
        const std::optional<DdeExecute> command = MakeDdeOpenCommand(path);
        ASSERT_TRUE(command) << path;
        EXPECT_EQ(command->Topic, DdeTopicName);
        int index = -1;
        std::string parsed;
        EXPECT_EQ(ParseDdeCommand(command->Text, index, parsed, DdePathBufferSize), 1);
        EXPECT_EQ(parsed, path);
    }
    EXPECT_EQ(MakeDdeOpenCommand("/a)b")->Topic, DdeOpenPathTopic);
}

// No path is cut or stopped short: one too long for the command's buffer, or holding a NUL,
// is refused whole, on either topic, and only our service is heard.
TEST_F(DdeWholePath, APathThatCannotBeCarriedWholeIsRefused) {
    const std::string tooLong = "/" + std::string(DdePathBufferSize - 2, 'n') + ")";
    EXPECT_FALSE(MakeDdeOpenCommand(tooLong));
    EXPECT_FALSE(MakeDdeOpenCommand(std::string("/a)\0b", 5)));
    EXPECT_FALSE(MakeDdeOpenCommand(""));
    DdeServerCallback(DdeServiceName, DdeOpenPathTopic, tooLong);
    DdeServerCallback(DdeServiceName, DdeOpenPathTopic, std::string("/a)\0b", 5));
    DdeServerCallback(DdeServiceName, DdeOpenPathTopic, "");
    DdeServerCallback("tarnwick", DdeOpenPathTopic, "/a)b");
    DdeServerCallback(DdeServiceName, "openpath", "/a)b");
    EXPECT_EQ(opened, std::vector<std::string>{});
    DdeServerCallback(DdeServiceName, DdeOpenPathTopic, tooLong.substr(1));
    EXPECT_EQ(opened, std::vector<std::string>{tooLong.substr(1)});
}
