#pragma once

// Work that cannot be trusted to end, such as a third-party converter looping on data it reads
// itself: it runs in a child process, either forked with everything already in memory or
// started afresh from a program file, under a bound of CPU time and of address space, while
// the caller waits no longer than a deadline. The answer comes back through a pipe, up to a
// bounded size. A child that fails, crashes, is stopped or says too much gives no answer, and
// the caller goes on as before.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TChildBounds {
    // The longest the caller waits for the whole answer; the child is killed then.
    std::chrono::milliseconds Deadline{2000};
    // CPU seconds, after which the system stops the child.
    int CpuSeconds = 2;
    // How far a forked child's address space may grow beyond what it had when it was forked
    // (a started program bounds its own). A bound taken from where it starts also works under
    // the sanitizers, whose shadow memory reserves terabytes at start.
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

// Starts the program file `program` with `arguments` (its name first) and waits for its
// answer within `bounds`: it reads `input` from its standard input and answers on its standard
// output; its errors go where ours do. It starts with no other file of ours open, with no
// signal blocked or handled, under the bound of CPU time. The bound of its address space it
// sets itself as it starts (AnswerAsBoundedProgram): given before, it would leave the
// sanitizers no room for the shadow memory they reserve at start. A child started afresh
// shares none of this process's state, such as libraries' caches held by its threads. Safe to
// call from several threads at once.
TChildOutcome RunBoundedProgram(const std::string& program,
                                const std::vector<std::string>& arguments, std::string_view input,
                                const TChildBounds& bounds = {});

// The side of a program started so: bounds its address space to `growth` bytes beyond what it
// holds now, reads exactly `inputLength` bytes from its standard input and writes what `work`
// answers for them to its standard output. The status to exit with: 0 when it answered; 1
// when the input was longer or shorter, `work` threw or answered nothing, or the answer could
// not be written.
int AnswerAsBoundedProgram(uint64_t inputLength, uint64_t growth,
                           const std::function<std::string(const std::string&)>& work);

// True inside a child forked by RunBoundedChild: it has one thread only, so locks that keep the
// caller's threads apart may be held by threads that do not exist there, and must not be waited
// for.
bool InBoundedChild();
