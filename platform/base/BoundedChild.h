#pragma once

// Work that cannot be trusted to end, such as a third-party converter looping on data it reads
// itself: it runs in a child process, either forked with everything already in memory or
// started afresh from a program file, under a bound of CPU time and of address space, while
// the caller waits no longer than a deadline. The answer comes back through a pipe, up to a
// bounded size. A child that fails, crashes, is stopped or says too much gives no answer, and
// the caller goes on as before. A program started afresh costs its start (loading its libraries)
// before it can work: programs started ahead of need hide that, each used for one piece of work.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

struct TChildBounds {
    // The longest the caller waits for the whole answer; the child is killed then. For a program
    // started ahead, the longest it waits while the program stands still (see Run).
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
    Answered,  // the work returned, and its answer came back whole
    Failed,    // the work threw, the child crashed or ran out of memory or CPU time
    TimedOut,  // the deadline passed first
    TooLong,   // the answer was longer than allowed
    Abandoned, // the caller no longer wanted the answer, and the child was stopped
};

// What a caller watches while a child works, besides its bounds.
struct TChildWatch {
    // The CPU time the work may take, counted from when the child is given it, to the hundredth
    // of a second (0: only the bound in whole seconds); a child past it has failed. A program
    // started ahead ends itself there, on the clock its outcome's Cpu is read by, and at most a
    // tick after, however late a busy machine lets the watch look.
    std::chrono::milliseconds Cpu{0};
    // Asked now and then while the child works: true when its answer is no longer wanted.
    std::function<bool()> Abandoned;
    // Told the CPU time the work has taken so far (counted as the outcome's Cpu) each time it is
    // looked at: what a caller's own waiter sees the work cost while it lasts.
    std::function<void(std::chrono::milliseconds)> Used;
};

struct TChildOutcome {
    TChildEnd End = TChildEnd::Failed;
    // Empty unless the child answered.
    std::string Answer;
    // The CPU time the work took in the child, however it ended (to its end, or until it was
    // stopped): for a program started ahead from when its start was over, else the whole child's.
    std::chrono::milliseconds Cpu{0};
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

// Programs started from one program file before they are needed, each waiting for one piece of
// work on its standard input and answering on its standard output (AnswerWorkStartedAhead).
// Starting a program costs tens of milliseconds and its libraries' memory: so many are kept
// started that the work finds one waiting: a few at first, twice as many each time a work found
// none, up to `spare`, so that a burst of work finds them and a single one costs little. Safe to
// use from several threads at once; the programs still waiting are stopped when it goes.
class TProgramsStartedAhead {
public:
    // `arguments` with the program's name first; at most `spare` are kept started once the first
    // work came.
    TProgramsStartedAhead(std::string program, std::vector<std::string> arguments, int spare);
    ~TProgramsStartedAhead();
    TProgramsStartedAhead(const TProgramsStartedAhead&) = delete;
    TProgramsStartedAhead& operator=(const TProgramsStartedAhead&) = delete;

    // Gives `input` to a program started ahead (started now when none waits), and another is
    // started in its place; waits for its answer within `bounds` (its CPU time counted from when
    // its own start is over, its address space bounded from where it stands when it takes the
    // work) and `watch`. The deadline counts only the time the program stands still: seen using
    // CPU time, or its input or answer moving, it starts again. A busy machine makes the work
    // slower, never late: the CPU time ends a work that takes too long.
    TChildOutcome Run(std::string_view input, const TChildBounds& bounds,
                      const TChildWatch& watch = {});
    // Starts programs until as many as are kept wait for work, before any work comes: `most` of
    // them at the most, each holding the calling thread for its start.
    void StartAhead(int most = std::numeric_limits<int>::max());
    // How many programs wait for work now.
    int Waiting() const;

private:
    struct TStarted {
        pid_t Pid = -1;
        int Fd = -1;
    };
    TStarted Start() const;

    const std::string program_;
    const std::vector<std::string> arguments_;
    const int spare_;
    mutable std::mutex mutex_;
    // How many are kept started now: grows with the work that found none.
    int kept_;
    std::vector<TStarted> waiting_;
    int starting_ = 0;
};

// The side of a program started ahead: says that its start is over, waits for its work, bounds
// its own address space as the work asks and answers it through `work` as AnswerAsBoundedProgram
// does. The status to exit with; 1 also when no work came (the caller went away).
int AnswerWorkStartedAhead(const std::function<std::string(const std::string&)>& work);

// True inside a child forked by RunBoundedChild: it has one thread only, so locks that keep the
// caller's threads apart may be held by threads that do not exist there, and must not be waited
// for.
bool InBoundedChild();
