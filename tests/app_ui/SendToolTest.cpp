// tarnwick-send in its own process against an instance set up the way the program sets itself
// up: the shared block, the instance channel, the DDE stand-in and the hook.
#include "app/ui/MainWindowHook.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"
#include "platform/shell/SharedBlock.h"
#include "platform/shell/SharedMemory.h"

#include "tests/app_ui/FakeMainWindow.h"
#include "tests/app_ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::chrono_literals;

namespace {

int RunSend(const QStringList& arguments, const std::string& folder = {},
            std::string* errors = nullptr) {
    return RunToEnd(TARNWICK_SEND, arguments, folder, errors);
}

class SendToolTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(CreateSharedMemory(), nullptr);
        ASSERT_EQ(channel.ClaimOrHandOver("", 2s), InstanceChannel::Claim::Primary)
            << channel.ErrorText();
        channel.SetMessageHandler([this](const RegisteredMessage& m) { hook.Receive(m); });
        DdeServerInit(channel, [this](const std::string& path) { hook.DdeOpen(path); });
    }
    void TearDown() override {
        DdeServerDone();
        CloseSharedMemory();
    }

    IsolatedShell env;
    FakeMainWindow window;
    MainWindowHook hook{window};
    InstanceChannel channel;
};

} // namespace

TEST_F(SendToolTest, InsertReachesAddNodeWithTheSameStrings) {
    std::string html = "<html><title>Caf\xC3\xA9</title>";
    while (html.size() < 600 * 1024) {
        for (int i = 1; i < 256; ++i) {
            html += static_cast<char>(i);
        }
    }
    const auto file = env.Runtime() / "page.htm";
    WriteFileBytes(file, html);
    const QString url = "http://example.test/a?b=c&d=\xC3\xA9";
    const QString info = "Information: \"quoted\" text";

    std::string errors;
    ASSERT_EQ(
        RunSend({"--insert", url, info, QString::fromStdString(file.string()), "--wparam", "10"},
                {}, &errors),
        0)
        << errors;
    ASSERT_TRUE(WaitUntil([&] { return !window.added.empty(); }));
    EXPECT_EQ(window.calls, std::vector<std::string>{"AddNode 2 10"});
    EXPECT_EQ(window.added[0].URL, url.toStdString());
    EXPECT_EQ(window.added[0].Info, info.toStdString());
    EXPECT_EQ(window.added[0].Html, html);

    // Without an HTML file the page goes without HTML.
    ASSERT_EQ(RunSend({"--insert", url, info, ""}), 0);
    ASSERT_TRUE(WaitUntil([&] { return window.added.size() == 2; }));
    EXPECT_EQ(window.added[1].URL, url.toStdString());
    EXPECT_EQ(window.added[1].Html, "");
}

// Paths far longer than an 80-byte execute buffer arrive whole; a relative one is sent
// absolute, as the running instance has another working folder.
TEST_F(SendToolTest, OpenSendsTheWholeAbsolutePath) {
    const std::string longPath = env.Runtime().Str() + "/" + std::string(200, 'n') + ".bdf";
    const std::pair<std::string, std::string> cases[] = {
        {longPath, longPath},
        {"sub/b.bdf", env.Runtime().Str() + "/sub/b.bdf"},
        {"/a(1).bdf", "/a(1).bdf"},
        {"/x (1)/b)] (2).bdf", "/x (1)/b)] (2).bdf"}};
    for (const auto& [sent, opened] : cases) {
        window.calls.clear();
        ASSERT_EQ(RunSend({"--open", QString::fromStdString(sent)}, env.Runtime().Str()), 0);
        ASSERT_TRUE(WaitUntil([&] { return !window.calls.empty(); }));
        EXPECT_EQ(window.calls, std::vector<std::string>{"OpenBinder " + opened});
    }
}

TEST_F(SendToolTest, BadRequestsFailWithoutReachingTheWindow) {
    EXPECT_EQ(RunSend({"--open", QString(5000, 'p')}), 1);
    EXPECT_EQ(RunSend({"--open", ""}), 1);
    EXPECT_EQ(RunSend({"--insert", "u", "i", "/no/such/file.htm"}), 1);
    EXPECT_EQ(RunSend({"--insert", "u", "i"}), 2);
    EXPECT_EQ(RunSend({"--insert", "u", "i", "f", "--wparam", "ten"}), 2);
    EXPECT_EQ(RunSend({"--frobnicate"}), 2);
    const auto file = env.Runtime() / "nul.htm";
    WriteFileBytes(file, std::string("a\0b", 3));
    EXPECT_EQ(RunSend({"--insert", "u", "i", QString::fromStdString(file.string())}), 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.calls.empty());
}

TEST(SendTool, FailsWhenNoInstanceRuns) {
    IsolatedShell env;
    const auto file = env.Runtime() / "page.htm";
    WriteFileBytes(file, "<p>");
    std::string errors;
    EXPECT_EQ(RunSend({"--insert", "u", "i", QString::fromStdString(file.string())}, {}, &errors),
              1);
    EXPECT_NE(errors.find("is Tarnwick running?"), std::string::npos) << errors;
    // No block is left behind by a sender.
    std::string error;
    EXPECT_FALSE(SharedBlock::Open(env.BlockName(), SharedBlock::Mode::OpenExisting, error));
    EXPECT_EQ(RunSend({"--open", "/b.bdf"}), 1);
}
