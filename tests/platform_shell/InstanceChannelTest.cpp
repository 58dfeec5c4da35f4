#include "platform/shell/InstanceChannel.h"
#include "platform/shell/ChannelClient.h"
#include "platform/shell/ChannelFrame.h"
#include "platform/shell/InstanceFolder.h"

#include "tests/support/ShellTestEnv.h"

#include <QLocalSocket>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::unique_ptr<QProcess> StartHelper(const std::filesystem::path& go, int expected) {
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->start(TARNWICK_INSTANCE_HELPER,
                   {QString::fromStdString(go.string()), QString::number(expected)});
    return process;
}

// What the channel hands its receivers, in order, as text.
struct Recorder {
    std::vector<std::string> seen;
    void Attach(InstanceChannel& channel) {
        channel.SetMessageHandler([this](const RegisteredMessage& m) {
            seen.push_back(m.Name + " " + std::to_string(m.WParam));
        });
        channel.SetExecuteHandler(
            [this](const std::string& service, const std::string& topic, const std::string& text) {
                seen.push_back(service + "/" + topic + " " + text);
            });
    }
};

// A process that has claimed the channel, and what it received.
class Primary : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(channel.ClaimOrHandOver("", 2s), InstanceChannel::Claim::Primary);
        recorder.Attach(channel);
    }
    IsolatedShell env;
    InstanceChannel channel;
    Recorder recorder;
};

} // namespace

TEST(InstanceChannel, TwentyStartedTogetherLeaveOneRunning) {
    IsolatedShell env;
    const auto go = env.Runtime() / "go";
    constexpr int Count = 20;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < Count; ++i) {
        processes.push_back(StartHelper(go, Count - 1));
    }
    for (auto& process : processes) {
        ASSERT_TRUE(process->waitForStarted(20000));
    }
    WriteFileBytes(go, "");

    int primaries = 0;
    int handedOver = 0;
    std::string primaryOutput;
    for (auto& process : processes) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        const std::string output = process->readAllStandardOutput().toStdString();
        if (output.starts_with("primary")) {
            ++primaries;
            primaryOutput = output;
        } else if (output == "handed-over\n") {
            ++handedOver;
        }
    }
    EXPECT_EQ(primaries, 1);
    EXPECT_EQ(handedOver, Count - 1);
    EXPECT_EQ(primaryOutput, "primary\nreceived 19\n");
}

// An instance that died leaves its socket file behind; the kernel has dropped its lock, so the
// next start takes over at once instead of handing over to nobody.
TEST(InstanceChannel, InstanceThatDiedDoesNotBlockTheNext) {
    IsolatedShell env;
    const auto go = env.Runtime() / "go";
    WriteFileBytes(go, "");
    auto holder = StartHelper(go, 1000);
    ASSERT_TRUE(holder->waitForReadyRead(20000));
    ASSERT_EQ(holder->readAllStandardOutput().toStdString(), "primary\n");
    ASSERT_TRUE(std::filesystem::exists(env.Runtime() / "Tarnwick"));
    ::kill(static_cast<pid_t>(holder->processId()), SIGKILL);
    ASSERT_TRUE(holder->waitForFinished(20000));
    ASSERT_TRUE(std::filesystem::exists(env.Runtime() / "Tarnwick"));

    InstanceChannel channel;
    EXPECT_EQ(channel.ClaimOrHandOver("", 2s), InstanceChannel::Claim::Primary)
        << channel.ErrorText();
    EXPECT_TRUE(channel.Listening());
}

TEST_F(Primary, SecondClaimInProcessHandsOverAndFramesArriveInOrder) {
    InstanceChannel second;
    const std::string handover = EncodeMessageFrame({"OnlyOneVelmor", 0}) +
                                 EncodeExecuteFrame("Tarnwick", "System", "[Open(/x.bdf)]");
    EXPECT_EQ(second.ClaimOrHandOver(handover, 2s), InstanceChannel::Claim::HandedOver);
    EXPECT_FALSE(second.Listening());

    std::string error;
    ASSERT_TRUE(SendToRunningInstance(EncodeMessageFrame({"InsertVelmor", 10}), 2s, error))
        << error;
    ASSERT_TRUE(WaitUntil([&] { return recorder.seen.size() == 3; }));
    EXPECT_EQ(recorder.seen,
              (std::vector<std::string>{"OnlyOneVelmor 0", "Tarnwick/System [Open(/x.bdf)]",
                                        "InsertVelmor 10"}));
}

TEST_F(Primary, HostilePeerIsCutOffWithoutHarmingOthers) {
    QLocalSocket hostile;
    hostile.connectToServer(QString::fromStdString(InstanceSocketPath(env.Runtime().Str())));
    ASSERT_TRUE(hostile.waitForConnected(2000));
    hostile.write("Message TarnwickOpen 0\nExecute Tarnwick System 999999\n");
    hostile.write(QByteArray(100000, 'x'));
    hostile.flush();
    ASSERT_TRUE(WaitUntil([&] { return hostile.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(recorder.seen, std::vector<std::string>{"TarnwickOpen 0"});

    std::string error;
    ASSERT_TRUE(SendToRunningInstance(EncodeMessageFrame({"OnlyOneVelmor", 1}), 2s, error));
    ASSERT_TRUE(WaitUntil([&] { return recorder.seen.size() == 2; }));
    EXPECT_EQ(recorder.seen.back(), "OnlyOneVelmor 1");
}

TEST_F(Primary, ReceiverThatThrowsDoesNotStopTheChannel) {
    std::vector<std::int64_t> seen;
    channel.SetMessageHandler([&](const RegisteredMessage& m) {
        seen.push_back(m.WParam);
        if (m.WParam == 1) {
            throw std::runtime_error("refused");
        }
    });
    std::string error;
    ASSERT_TRUE(SendToRunningInstance(EncodeMessageFrame({"InsertVelmor", 1}) +
                                          EncodeMessageFrame({"InsertVelmor", 2}),
                                      2s, error));
    ASSERT_TRUE(WaitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, (std::vector<std::int64_t>{1, 2}));
}

TEST(InstanceChannel, SendingWithoutRunningInstanceFails) {
    IsolatedShell env;
    std::string error;
    EXPECT_FALSE(SendToRunningInstance(EncodeMessageFrame({"OnlyOneVelmor", 0}), 100ms, error));
    EXPECT_FALSE(error.empty());
}

TEST(InstanceChannel, ClosingReleasesTheChannel) {
    IsolatedShell env;
    {
        InstanceChannel first;
        ASSERT_EQ(first.ClaimOrHandOver("", 2s), InstanceChannel::Claim::Primary);
    }
    EXPECT_FALSE(std::filesystem::exists(env.Runtime() / "Tarnwick"));
    InstanceChannel next;
    EXPECT_EQ(next.ClaimOrHandOver("", 2s), InstanceChannel::Claim::Primary);
}

TEST(InstanceFolder, RuntimeFolderOrPrivateFolderUnderTmp) {
    TempDir runtime;
    TempDir tmp;
    std::string error;
    EXPECT_EQ(InstanceFolder(runtime.Str().c_str(), tmp.Str(), error), runtime.Str());

    const std::string fallback = tmp.Str() + "/tarnwick-" + std::to_string(::geteuid());
    for (const char* unusable :
         {static_cast<const char*>(nullptr), "", "relative/dir", "/no/such/folder/anywhere"}) {
        EXPECT_EQ(InstanceFolder(unusable, tmp.Str(), error), fallback) << error;
    }
    struct stat status {};
    ASSERT_EQ(::stat(fallback.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST(InstanceFolder, RefusesFolderOthersCouldEnterOrALink) {
    TempDir tmp;
    TempDir elsewhere;
    const std::string fallback = tmp.Str() + "/tarnwick-" + std::to_string(::geteuid());
    std::string error;

    ASSERT_EQ(::mkdir(fallback.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(fallback.c_str(), 0755), 0);
    EXPECT_EQ(InstanceFolder(nullptr, tmp.Str(), error), "");
    EXPECT_FALSE(error.empty());

    ASSERT_EQ(::rmdir(fallback.c_str()), 0);
    ::chmod(elsewhere.Str().c_str(), 0700);
    std::filesystem::create_directory_symlink(elsewhere.Path(), fallback);
    error.clear();
    EXPECT_EQ(InstanceFolder(nullptr, tmp.Str(), error), "");
    EXPECT_FALSE(error.empty());
}
