#include "platform/base/BoundedChild.h"

#include <gtest/gtest.h>

#include <csignal>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

double SecondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Whether every child of the test has been reaped: none left running, none left a zombie.
bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// Maps a gigabyte of address space without touching it, as a large allocation does.
std::string MapGigabyte() {
    void* p =
        mmap(nullptr, size_t{1} << 30, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        throw std::bad_alloc();
    }
    return "mapped";
}

} // namespace

TEST(BoundedChild, TheAnswerComesBackWholeAndTheWorkStaysInTheChild) {
    std::string large; // more than a pipe holds at once, every byte value
    for (size_t i = 0; i < 3 * 65536 + 7; ++i) {
        large += static_cast<char>(i * 31 % 256);
    }
    int changed = 0;
    const TChildOutcome outcome = RunBoundedChild([&] {
        changed = 1;
        return InBoundedChild() ? large : std::string();
    });
    EXPECT_EQ(outcome.End, TChildEnd::Answered);
    EXPECT_EQ(outcome.Answer, large);
    EXPECT_EQ(changed, 0);
    EXPECT_FALSE(InBoundedChild());
    EXPECT_TRUE(NoChildLeft());
}

TEST(BoundedChild, FailuresAndOverrunsGiveNoAnswerAndLeaveNoChild) {
    TChildBounds bounds;
    bounds.Deadline = 300ms;
    bounds.MaxAnswer = 1000;
    const std::pair<const char*, std::function<std::string()>> failing[] = {
        {"throws", []() -> std::string { throw std::runtime_error("no"); }},
        {"is killed", [] { return raise(SIGKILL) == 0 ? "" : "?"; }},
        {"maps beyond its bound", MapGigabyte},
    };
    for (const auto& [what, work] : failing) {
        const TChildOutcome outcome = RunBoundedChild(work, bounds);
        EXPECT_EQ(outcome.End, TChildEnd::Failed) << what;
        EXPECT_EQ(outcome.Answer, "") << what;
    }
    EXPECT_EQ(RunBoundedChild([] { return std::string(1000, 'a'); }, bounds).Answer.size(), 1000u);
    EXPECT_EQ(RunBoundedChild([] { return std::string(1001, 'a'); }, bounds).End,
              TChildEnd::TooLong);
    // The bound counts from what the child had (terabytes of shadow memory under the
    // sanitizers), so the same gigabyte is granted under a larger one.
    bounds.AddressSpaceGrowth = uint64_t{2} << 30;
    EXPECT_EQ(RunBoundedChild(MapGigabyte, bounds).Answer, "mapped");

    auto endless = []() -> std::string {
        while (true) {
            pause();
        }
    };
    EXPECT_LT(
        SecondsOf([&] { EXPECT_EQ(RunBoundedChild(endless, bounds).End, TChildEnd::TimedOut); }),
        3.0);
    // Spinning, it runs out of CPU time long before the deadline.
    bounds.Deadline = 60s;
    bounds.CpuSeconds = 1;
    EXPECT_LT(SecondsOf([&] {
                  const TChildOutcome outcome = RunBoundedChild(
                      []() -> std::string {
                          volatile uint64_t spins = 0;
                          while (true) {
                              spins = spins + 1;
                          }
                      },
                      bounds);
                  EXPECT_EQ(outcome.End, TChildEnd::Failed);
              }),
              30.0);
    EXPECT_TRUE(NoChildLeft());
}

TEST(BoundedChild, ThreadsRunTheirChildrenSideBySide) {
    // Each thread gets its own answers, and a child that never answers holds up no other.
    std::vector<std::string> answers(6);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < answers.size(); ++t) {
        threads.emplace_back([t, &answers] {
            for (int round = 0; round < 4; ++round) {
                const std::string mine(1000 + t, static_cast<char>('a' + t));
                answers[t] += RunBoundedChild([&] { return mine; }).Answer == mine ? "+" : "-";
            }
        });
    }
    TChildBounds bounds;
    bounds.Deadline = 500ms;
    const TChildOutcome stuck = RunBoundedChild(
        []() -> std::string {
            while (true) {
                pause();
            }
        },
        bounds);
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(stuck.End, TChildEnd::TimedOut);
    EXPECT_EQ(answers, std::vector<std::string>(6, "++++"));
}

namespace {

TChildOutcome Shell(const std::string& script, std::string_view input = "",
                    const TChildBounds& bounds = {}) {
    return RunBoundedProgram("/bin/sh", {"sh", "-c", script}, input, bounds);
}

} // namespace

TEST(BoundedProgram, ReadsItsInputAndItsAnswerComesBackWhole) {
    std::string large; // more than a pipe holds at once, every byte value
    for (size_t i = 0; i < 3 * 65536 + 7; ++i) {
        large += static_cast<char>(i * 31 % 256);
    }
    const TChildOutcome echoed = Shell("cat", large);
    EXPECT_EQ(echoed.End, TChildEnd::Answered);
    EXPECT_EQ(echoed.Answer, large);
    EXPECT_EQ(Shell("cat").Answer, "");
    // The arguments reach it as given.
    EXPECT_EQ(
        RunBoundedProgram("/bin/sh", {"sh", "-c", "printf '%s|' \"$0\" \"$1\"", "a b", "\n"}, "")
            .Answer,
        "a b|\n|");
    EXPECT_TRUE(NoChildLeft());
}

TEST(BoundedProgram, FailuresAndOverrunsGiveNoAnswerAndLeaveNoChild) {
    TChildBounds bounds;
    bounds.Deadline = 300ms;
    bounds.MaxAnswer = 1000;
    EXPECT_EQ(Shell("echo partial; exit 3", "", bounds).End, TChildEnd::Failed);
    EXPECT_EQ(Shell("echo partial; kill -9 $$", "", bounds).End, TChildEnd::Failed);
    EXPECT_EQ(RunBoundedProgram("/nonexistent/program", {"program"}, "", bounds).End,
              TChildEnd::Failed);
    EXPECT_EQ(Shell("head -c 1000 /dev/zero", "", bounds).Answer.size(), 1000u);
    EXPECT_EQ(Shell("head -c 1001 /dev/zero", "", bounds).End, TChildEnd::TooLong);
    EXPECT_LT(
        SecondsOf([&] { EXPECT_EQ(Shell("exec sleep 20", "", bounds).End, TChildEnd::TimedOut); }),
        3.0);
    // Spinning, it runs out of CPU time long before the deadline.
    bounds.Deadline = 60s;
    bounds.CpuSeconds = 1;
    EXPECT_LT(SecondsOf([&] {
                  EXPECT_EQ(Shell("while :; do :; done", "", bounds).End, TChildEnd::Failed);
              }),
              30.0);
    EXPECT_TRUE(NoChildLeft());
}

TEST(BoundedProgram, StartsWithNothingOfOursButItsInputAndOutput) {
    // A file of ours left open across programs, and a signal blocked and one ignored here.
    const int ours = open("/dev/null", O_RDONLY);
    ASSERT_GE(ours, 3);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &blocked, &before);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction was {};
    sigaction(SIGUSR1, &ignore, &was);
    // Its own files: its input, its output, its errors (ours) and the listing's own.
    const TChildOutcome files = Shell("ls /proc/self/fd | wc -l");
    const TChildOutcome terminated = Shell("kill -TERM $$; echo alive");
    const TChildOutcome signalled = Shell("kill -USR1 $$; echo alive");
    sigaction(SIGUSR1, &was, nullptr);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    close(ours);
    EXPECT_EQ(files.Answer, "4\n");
    EXPECT_EQ(terminated.End, TChildEnd::Failed);
    EXPECT_EQ(signalled.End, TChildEnd::Failed);
}

TEST(BoundedProgram, ThreadsRunTheirProgramsSideBySide) {
    std::vector<std::string> answers(6);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < answers.size(); ++t) {
        threads.emplace_back([t, &answers] {
            for (int round = 0; round < 4; ++round) {
                const std::string mine(70000 + t, static_cast<char>('a' + t));
                answers[t] += Shell("cat", mine).Answer == mine ? "+" : "-";
            }
        });
    }
    TChildBounds bounds;
    bounds.Deadline = 500ms;
    const TChildOutcome stuck = Shell("exec sleep 20", "", bounds);
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(stuck.End, TChildEnd::TimedOut);
    EXPECT_EQ(answers, std::vector<std::string>(6, "++++"));
    EXPECT_TRUE(NoChildLeft());
}
