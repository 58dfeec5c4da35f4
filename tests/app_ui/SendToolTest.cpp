// tarnwick-send in its own process against an instance set up the way the program sets itself
// up: the shared block, the instance channel, the DDE stand-in and the hook.
#include "app/ui/MainWindowHook.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"
#include "platform/shell/SharedBlock.h"
#include "platform/shell/SharedMemory.h"

#include "tests/app_ui/FakeMainWindow.h"
#include "tests/support/ShellTestEnv.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <filesystem>

using namespace std::chrono_literals;

namespace {

struct SendResult {
    int exitCode;
    std::string errors;
};

// Runs tarnwick-send to its end while serving the event loop, as the running instance would.
SendResult RunSend(const QStringList& arguments, const std::string& folder = {}) {
    QProcess process;
    if (!folder.empty()) {
        process.setWorkingDirectory(QString::fromStdString(folder));
    }
    process.start(TARNWICK_SEND, arguments);
    if (!process.waitForStarted(20000) ||
        !WaitUntil([&] { return process.state() == QProcess::NotRunning; })) {
        return {-1, "did not run to its end"};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardError().toStdString()};
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

    const SendResult sent =
        RunSend({"--insert", url, info, QString::fromStdString(file.string()), "--wparam", "10"});
    ASSERT_EQ(sent.exitCode, 0) << sent.errors;
    ASSERT_TRUE(WaitUntil([&] { return !window.added.empty(); }));
    EXPECT_EQ(window.calls, std::vector<std::string>{"AddNode 2 10"});
    EXPECT_EQ(window.added[0].URL, url.toStdString());
    EXPECT_EQ(window.added[0].Info, info.toStdString());
    EXPECT_EQ(window.added[0].Html, html);

    // Without an HTML file the page goes without HTML.
    ASSERT_EQ(RunSend({"--insert", url, info, ""}).exitCode, 0);
    ASSERT_TRUE(WaitUntil([&] { return window.added.size() == 2; }));
    EXPECT_EQ(window.added[1].URL, url.toStdString());
    EXPECT_EQ(window.added[1].Html, "");
}

// Paths far longer than an 80-byte execute buffer arrive whole.
TEST_F(SendToolTest, OpenCarriesLongPathThroughTheDdeStandIn) {
    const std::string path = env.Runtime().Str() + "/" + std::string(200, 'n') + ".bdf";
    ASSERT_EQ(RunSend({"--open", QString::fromStdString(path)}).exitCode, 0);
    ASSERT_TRUE(WaitUntil([&] { return !window.calls.empty(); }));
    EXPECT_EQ(window.calls, std::vector<std::string>{"OpenBinder " + path});
}

// The running instance has another working folder, so the tool sends an absolute path.
TEST_F(SendToolTest, RelativePathIsSentAbsolute) {
    ASSERT_EQ(RunSend({"--open", "sub/b.bdf"}, env.Runtime().Str()).exitCode, 0);
    ASSERT_TRUE(WaitUntil([&] { return !window.calls.empty(); }));
    EXPECT_EQ(window.calls,
              std::vector<std::string>{"OpenBinder " + env.Runtime().Str() + "/sub/b.bdf"});
}

TEST_F(SendToolTest, BadRequestsFailWithoutReachingTheWindow) {
    EXPECT_EQ(RunSend({"--open", "/a(1).bdf"}).exitCode, 1);
    EXPECT_EQ(RunSend({"--open", ""}).exitCode, 1);
    EXPECT_EQ(RunSend({"--insert", "u", "i", "/no/such/file.htm"}).exitCode, 1);
    EXPECT_EQ(RunSend({"--insert", "u", "i"}).exitCode, 2);
    EXPECT_EQ(RunSend({"--insert", "u", "i", "f", "--wparam", "ten"}).exitCode, 2);
    EXPECT_EQ(RunSend({"--frobnicate"}).exitCode, 2);
    const auto file = env.Runtime() / "nul.htm";
    WriteFileBytes(file, std::string("a\0b", 3));
    EXPECT_EQ(RunSend({"--insert", "u", "i", QString::fromStdString(file.string())}).exitCode, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.calls.empty());
}

TEST(SendTool, FailsWhenNoInstanceRuns) {
    IsolatedShell env;
    const auto file = env.Runtime() / "page.htm";
    WriteFileBytes(file, "<p>");
    const SendResult sent = RunSend({"--insert", "u", "i", QString::fromStdString(file.string())});
    EXPECT_EQ(sent.exitCode, 1);
    EXPECT_NE(sent.errors.find("is Tarnwick running?"), std::string::npos) << sent.errors;
    // No block is left behind by a sender.
    std::string error;
    EXPECT_FALSE(SharedBlock::Open(env.BlockName(), SharedBlock::Mode::OpenExisting, error));
    EXPECT_EQ(RunSend({"--open", "/b.bdf"}).exitCode, 1);
}
