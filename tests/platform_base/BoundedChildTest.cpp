#include "platform/base/BoundedChild.h"
#include "platform/base/CheckedSize.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A child that tells the test its process number through a pipe of the test's own before it
// starts its work, so the test can see afterwards whether that process is still there.
class TChildWatch {
public:
    TChildWatch() { EXPECT_EQ(pipe(fds_), 0); }
    ~TChildWatch() {
        close(fds_[0]);
        close(fds_[1]);
    }
    void Tell() const {
        const pid_t self = getpid();
        EXPECT_EQ(write(fds_[1], &self, sizeof self), static_cast<ssize_t>(sizeof self));
    }
    // Whether the child told its number and is gone, reaped as well as ended.
    bool ChildGone() const {
        pid_t child = 0;
        if (read(fds_[0], &child, sizeof child) != static_cast<ssize_t>(sizeof child)) {
            return false;
        }
        return kill(child, 0) == -1 && errno == ESRCH;
    }

private:
    int fds_[2] = {-1, -1};
};

// Maps (without touching) `bytes` of address space, as a converter's large allocation does.
std::string MapAddressSpace(size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) {
        throw std::bad_alloc();
    }
    munmap(p, bytes);
    return "mapped";
}

} // namespace

TEST(BoundedChild, AnswersComeBackWholeFromTheChild) {
    // More than a pipe holds at once, with every byte value.
    std::string large;
    for (size_t i = 0; i < 3 * 65536 + 7; ++i) {
        large += static_cast<char>(i * 31 % 256);
    }
    TChildOutcome outcome = RunBoundedChild([&] { return large; });
    EXPECT_EQ(outcome.End, TChildEnd::Answered);
    EXPECT_EQ(outcome.Answer, large);

    outcome = RunBoundedChild([] { return std::string(); });
    EXPECT_EQ(outcome.End, TChildEnd::Answered);
    EXPECT_EQ(outcome.Answer, "");

    // The work runs in the child, not here: what it changes stays there.
    int changed = 0;
    outcome = RunBoundedChild([&] {
        changed = 1;
        return std::string(InBoundedChild() ? "child" : "caller");
    });
    EXPECT_EQ(outcome.Answer, "child");
    EXPECT_EQ(changed, 0);
    EXPECT_FALSE(InBoundedChild());
}

TEST(BoundedChild, AChildThatFailsGivesNoAnswer) {
    const std::pair<const char*, std::function<std::string()>> failing[] = {
        {"throws", []() -> std::string { throw std::runtime_error("no"); }},
        {"exits", []() -> std::string { _exit(3); }},
        {"is killed",
         []() -> std::string {
             raise(SIGKILL);
             return "never";
         }},
    };
    for (const auto& [what, work] : failing) {
        const TChildOutcome outcome = RunBoundedChild(work);
        EXPECT_EQ(outcome.End, TChildEnd::Failed) << what;
        EXPECT_EQ(outcome.Answer, "") << what;
    }
}

TEST(BoundedChild, TheDeadlineEndsAChildThatNeverAnswers) {
    TChildWatch watch;
    TChildBounds bounds;
    bounds.Deadline = 300ms;
    const Clock::time_point start = Clock::now();
    const TChildOutcome outcome = RunBoundedChild(
        [&]() -> std::string {
            watch.Tell();
            while (true) {
                pause();
            }
        },
        bounds);
    EXPECT_EQ(outcome.End, TChildEnd::TimedOut);
    EXPECT_EQ(outcome.Answer, "");
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_TRUE(watch.ChildGone());
}

TEST(BoundedChild, TheCpuBoundStopsASpinningChildBeforeTheDeadline) {
    TChildWatch watch;
    TChildBounds bounds;
    bounds.CpuSeconds = 1;
    bounds.Deadline = 60s;
    const Clock::time_point start = Clock::now();
    const TChildOutcome outcome = RunBoundedChild(
        [&]() -> std::string {
            watch.Tell();
            volatile uint64_t spins = 0;
            while (true) {
                spins = spins + 1;
            }
        },
        bounds);
    EXPECT_EQ(outcome.End, TChildEnd::Failed);
    EXPECT_LT(SecondsSince(start), 30.0);
    EXPECT_TRUE(watch.ChildGone());
}

TEST(BoundedChild, TheAddressSpaceMayGrowOnlyByTheBound) {
    // The bound counts from what the child had when forked (terabytes of shadow memory under
    // the sanitizers): a gigabyte more is refused under a bound of 64 MB and granted under one
    // of 2 GB.
    TChildBounds tight;
    tight.AddressSpaceGrowth = uint64_t{64} << 20;
    EXPECT_EQ(RunBoundedChild([] { return MapAddressSpace(size_t{1} << 30); }, tight).End,
              TChildEnd::Failed);
    TChildBounds roomy;
    roomy.AddressSpaceGrowth = uint64_t{2} << 30;
    const TChildOutcome outcome =
        RunBoundedChild([] { return MapAddressSpace(size_t{1} << 30); }, roomy);
    EXPECT_EQ(outcome.End, TChildEnd::Answered);
    EXPECT_EQ(outcome.Answer, "mapped");
}

TEST(BoundedChild, AnAnswerLongerThanTheBoundIsDropped) {
    TChildBounds bounds;
    bounds.MaxAnswer = 100000;
    TChildOutcome outcome = RunBoundedChild([] { return std::string(100000, 'a'); }, bounds);
    EXPECT_EQ(outcome.End, TChildEnd::Answered);
    EXPECT_EQ(outcome.Answer.size(), 100000u);
    outcome = RunBoundedChild([] { return std::string(100001, 'a'); }, bounds);
    EXPECT_EQ(outcome.End, TChildEnd::TooLong);
    EXPECT_EQ(outcome.Answer, "");
}

TEST(BoundedChild, ThreadsRunTheirChildrenSideBySide) {
    // Each thread gets its own answers, and one child that never answers holds up no other.
    std::vector<std::string> answers(6);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < answers.size(); ++t) {
        threads.emplace_back([t, &answers] {
            for (int round = 0; round < 4; ++round) {
                const std::string mine(1000 + t, static_cast<char>('a' + t));
                const TChildOutcome outcome = RunBoundedChild([&] { return mine; });
                answers[t] += outcome.Answer == mine ? "+" : "-";
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
    for (const std::string& answer : answers) {
        EXPECT_EQ(answer, "++++");
    }
}

TEST(CheckedSize, ProductsThatWrapAreNoSize) {
    EXPECT_EQ(SizeProduct({3, 5, 7}), 105u);
    EXPECT_EQ(SizeProduct({}), 1u);
    // 2^31 x 2^31 x 4 is 2^64: one more than 64 bits hold, so no size, not 0.
    EXPECT_EQ(SizeProduct({uint64_t{1} << 31, uint64_t{1} << 31, 4}), std::nullopt);
    EXPECT_EQ(SizeProduct({uint64_t{1} << 31, uint64_t{1} << 31, 3}), uint64_t{3} << 62);
    EXPECT_EQ(SizeProduct({UINT64_MAX, 1}), UINT64_MAX);
    EXPECT_EQ(SizeProduct({UINT64_MAX, 2}), std::nullopt);
    // A zero makes the product 0 wherever it stands, however large the others.
    EXPECT_EQ(SizeProduct({UINT64_MAX, UINT64_MAX, 0}), 0u);

    EXPECT_TRUE(SizeWithin({8192, 8192, 4}, uint64_t{256} << 20));
    EXPECT_FALSE(SizeWithin({8192, 8193, 4}, uint64_t{256} << 20));
    EXPECT_FALSE(SizeWithin({uint64_t{1} << 31, uint64_t{1} << 31, 4}, 1000));
}
