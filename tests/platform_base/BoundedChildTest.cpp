#include "platform/base/BoundedChild.h"

#include <gtest/gtest.h>

#include <csignal>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

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
