// The signals that ask the program to end reach it as calls from the event loop, whichever
// thread they hit, and nothing runs inside the handler itself; the handlers before are back
// once the watcher goes, and a signal ignored on purpose stays ignored.
#include "platform/shell/TerminationSignals.h"

#include "tests/support/ShellTestEnv.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Request {
    int Signal;
    std::thread::id Thread;
};

struct Recorder {
    std::vector<Request> Seen;
    TerminationSignals Watcher{[this](int signal) {
        Seen.push_back({signal, std::this_thread::get_id()});
    }};
};

// The disposition of a signal right now.
struct sigaction DispositionOf(int signal) {
    struct sigaction now = {};
    ::sigaction(signal, nullptr, &now);
    return now;
}

volatile std::sig_atomic_t previousHandlerRan = 0;
extern "C" void PreviousHandler(int) {
    previousHandlerRan = 1;
}

// Sets a disposition for the scope of a test, and puts the one before back.
class ScopedDisposition {
public:
    ScopedDisposition(int signal, void (*handler)(int)) : signal_(signal) {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, &before_);
    }
    ~ScopedDisposition() { ::sigaction(signal_, &before_, nullptr); }
    ScopedDisposition(const ScopedDisposition&) = delete;
    ScopedDisposition& operator=(const ScopedDisposition&) = delete;

private:
    int signal_;
    struct sigaction before_ = {};
};

} // namespace

TEST(TerminationSignals, EachComesFromTheEventLoopOnItsThread) {
    // However the test was started (a background job ignores SIGINT).
    ScopedDisposition term(SIGTERM, SIG_DFL), hangUp(SIGHUP, SIG_DFL), interrupt(SIGINT, SIG_DFL);
    Recorder recorder;
    const std::thread::id main = std::this_thread::get_id();
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        recorder.Seen.clear();
        ASSERT_EQ(::raise(signal), 0);
        // The handler only noted it: the call waits for the event loop.
        EXPECT_TRUE(recorder.Seen.empty());
        ASSERT_TRUE(WaitUntil([&] { return !recorder.Seen.empty(); })) << signal;
        ASSERT_EQ(recorder.Seen.size(), 1u);
        EXPECT_EQ(recorder.Seen[0].Signal, signal);
        EXPECT_EQ(recorder.Seen[0].Thread, main);
    }

    // Sent to the process from another thread (the kernel may hand it to any thread), and
    // several at once: each one is told, on the event loop's thread.
    recorder.Seen.clear();
    std::thread sender([] {
        ::kill(::getpid(), SIGHUP);
        ::kill(::getpid(), SIGTERM);
    });
    sender.join();
    ASSERT_TRUE(WaitUntil([&] { return recorder.Seen.size() == 2; }));
    std::multiset<int> numbers;
    for (const Request& request : recorder.Seen) {
        numbers.insert(request.Signal);
        EXPECT_EQ(request.Thread, main);
    }
    EXPECT_EQ(numbers, (std::multiset<int>{SIGHUP, SIGTERM}));
}

TEST(TerminationSignals, TheHandlersBeforeComeBackAndAnIgnoredSignalStaysIgnored) {
    ScopedDisposition own(SIGTERM, PreviousHandler);
    ScopedDisposition ignored(SIGHUP, SIG_IGN);
    ScopedDisposition interrupt(SIGINT, SIG_DFL);
    {
        Recorder recorder;
        EXPECT_NE(DispositionOf(SIGTERM).sa_handler, PreviousHandler);
        // Started with nohup: the hang-up is not the program's business.
        EXPECT_EQ(DispositionOf(SIGHUP).sa_handler, SIG_IGN);
        ASSERT_EQ(::raise(SIGHUP), 0);
        ASSERT_EQ(::raise(SIGINT), 0);
        ASSERT_TRUE(WaitUntil([&] { return !recorder.Seen.empty(); }));
        ServeEventsFor(std::chrono::milliseconds(50));
        ASSERT_EQ(recorder.Seen.size(), 1u);
        EXPECT_EQ(recorder.Seen[0].Signal, SIGINT);
        // A second watcher would take the pipe from the first.
        EXPECT_THROW(TerminationSignals([](int) {}), std::logic_error);
    }
    EXPECT_EQ(DispositionOf(SIGTERM).sa_handler, PreviousHandler);
    EXPECT_EQ(DispositionOf(SIGHUP).sa_handler, SIG_IGN);
    EXPECT_EQ(DispositionOf(SIGINT).sa_handler, SIG_DFL);
    previousHandlerRan = 0;
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_EQ(previousHandlerRan, 1);

    // A watcher made afterwards works as the first did.
    Recorder again;
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(WaitUntil([&] { return !again.Seen.empty(); }));
    EXPECT_EQ(again.Seen[0].Signal, SIGTERM);
}
