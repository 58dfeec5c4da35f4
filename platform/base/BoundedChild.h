#pragma once

// Work that cannot be trusted to end, such as a third-party converter looping on data it reads
// itself: it runs in a child process forked with everything already in memory, under a bound
// of CPU time and of address space, while the caller waits no longer than a deadline. The
// answer comes back through a pipe, up to a bounded size. A child that fails, crashes, is
// stopped or says too much gives no answer, and the caller goes on as before.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

struct TChildBounds {
    // The longest the caller waits for the whole answer; the child is killed then.
    std::chrono::milliseconds Deadline{2000};
    // CPU seconds, after which the system stops the child.
    int CpuSeconds = 2;
    // How far the child's address space may grow beyond what it had when it was forked. A
    // bound taken from where it starts also works under the sanitizers, whose shadow memory
    // reserves terabytes at start.
    uint64_t AddressSpaceGrowth = uint64_t{512} << 20;
    // The most bytes the answer may hold.
    size_t MaxAnswer = size_t{64} << 20;
};

enum class TChildEnd {
    Answered, // the work returned, and its answer came back whole
    Failed,   // the work threw, the child crashed or ran out of memory or CPU time
    TimedOut, // the deadline passed first
    TooLong,  // the answer was longer than allowed
};

struct TChildOutcome {
    TChildEnd End = TChildEnd::Failed;
    // Empty unless the child answered.
    std::string Answer;
};

// Runs `work` in a child process within `bounds` and waits for its answer. Safe to call from
// several threads at once; the child never returns into the caller's code.
TChildOutcome RunBoundedChild(const std::function<std::string()>& work,
                              const TChildBounds& bounds = {});

// True inside such a child: it has one thread only, so locks that keep the caller's threads
// apart may be held by threads that do not exist there, and must not be waited for.
bool InBoundedChild();
