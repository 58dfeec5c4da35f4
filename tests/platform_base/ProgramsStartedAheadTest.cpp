// Programs started before their work comes: each takes one piece of work, its start costs the
// work nothing, and its CPU time, its memory, the caller's deadline and the caller's wish stop it.
#include "platform/base/BoundedChild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr const char* AheadSwitch = "--answer-started-ahead";
// The same, after a start that takes 400 ms of CPU time.
constexpr const char* SlowStartSwitch = "--answer-started-ahead-after-a-slow-start";

int64_t ProcessCpuNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

// Uses the processor until this process has used `millis` more of CPU time.
void UseCpuFor(int64_t millis) {
    const int64_t from = ProcessCpuNow();
    while (ProcessCpuNow() - from < millis) {
    }
}

// The test program started as a program started ahead: its input says what its work does.
// "echo" answers the rest of the input; "pid" its process number and how long it waited for
// its work (milliseconds); "spin" never ends and uses the CPU; "sleep" never ends and does not;
// "map <MB>" maps that much memory and touches it; "use <ms>" uses that much CPU time, then
// answers "used"; "limit" its bound of CPU time in seconds and the CPU time it has used
// (milliseconds).
std::string Work(const std::string& input) {
    if (input.rfind("echo", 0) == 0) {
        return input.substr(4);
    }
    if (input.rfind("use ", 0) == 0) {
        UseCpuFor(std::stoll(input.substr(4)));
        return "used";
    }
    if (input == "limit") {
        rlimit cpu{};
        getrlimit(RLIMIT_CPU, &cpu);
        return std::to_string(cpu.rlim_cur) + " " + std::to_string(ProcessCpuNow());
    }
    if (input == "spin") {
        volatile uint64_t spins = 0;
        while (true) {
            spins = spins + 1;
        }
    }
    if (input == "sleep") {
        while (true) {
            pause();
        }
    }
    if (input.rfind("map ", 0) == 0) {
        const size_t bytes = std::stoul(input.substr(4)) << 20;
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) {
            return "";
        }
        std::memset(p, 1, bytes);
        return "mapped";
    }
    return "";
}

// When the calling process was made, in clock ticks since the machine started (the 22nd field of
// /proc/self/stat, the first after the name in parentheses being the 3rd).
long long ProcessStartTicks() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return std::stoll(field);
}

// Now, in the same ticks.
long long TicksSinceBoot() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const long long hz = sysconf(_SC_CLK_TCK);
    return now.tv_sec * hz + now.tv_nsec / (1000000000LL / hz);
}

int AnswerStartedAhead() {
    return AnswerWorkStartedAhead([](const std::string& input) {
        if (input == "pid") {
            return std::to_string(getpid()) + " " + std::to_string(ProcessStartTicks());
        }
        return Work(input);
    });
}

__attribute__((constructor(101))) void RunStartedAhead(int argc, char** argv, char**) {
    if (argc == 2 && std::strcmp(argv[1], AheadSwitch) == 0) {
        _exit(AnswerStartedAhead());
    }
    if (argc == 2 && std::strcmp(argv[1], SlowStartSwitch) == 0) {
        UseCpuFor(400);
        _exit(AnswerStartedAhead());
    }
}

TProgramsStartedAhead Programs(int spare) {
    return TProgramsStartedAhead("/proc/self/exe", {"started-ahead", AheadSwitch}, spare);
}

bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

TChildBounds Generous() {
    TChildBounds bounds;
    bounds.Deadline = 60s;
    bounds.CpuSeconds = 30;
    return bounds;
}

} // namespace

TEST(ProgramsStartedAhead, EachWorkFindsAProgramStartedBeforeItAndUsesItOnce) {
    {
        TProgramsStartedAhead programs("/proc/self/exe", {"started-ahead", AheadSwitch}, 2);
        EXPECT_EQ(programs.Waiting(), 0);
        programs.StartAhead();
        EXPECT_EQ(programs.Waiting(), 2);
        std::this_thread::sleep_for(300ms);
        std::vector<std::string> pids;
        for (int i = 0; i < 4; ++i) {
            const long long asked = TicksSinceBoot();
            const TChildOutcome outcome = programs.Run("pid", Generous());
            ASSERT_EQ(outcome.End, TChildEnd::Answered) << i;
            const size_t blank = outcome.Answer.find(' ');
            pids.push_back(outcome.Answer.substr(0, blank));
            if (i == 0) {
                // It had been started before the work came, however slowly a busy machine
                // then ran its start.
                const long long started = std::stoll(outcome.Answer.substr(blank + 1));
                EXPECT_LT(started, asked);
                EXPECT_GT(started, asked - 60 * sysconf(_SC_CLK_TCK)); // by this test
            }
            EXPECT_EQ(programs.Waiting(), 2);
        }
        std::sort(pids.begin(), pids.end());
        EXPECT_EQ(std::unique(pids.begin(), pids.end()), pids.end()) << "a program worked twice";
        // An input larger than a socket holds at once comes back whole, every byte value.
        std::string large = "echo";
        for (size_t i = 0; i < 3 * 65536 + 7; ++i) {
            large += static_cast<char>(i * 31 % 256);
        }
        EXPECT_EQ(programs.Run(large, Generous()).Answer, large.substr(4));
    }
    // Those still waiting went with it.
    EXPECT_TRUE(NoChildLeft());
}

TEST(ProgramsStartedAhead, CpuTimeMemoryTheDeadlineAndTheCallerStopTheWork) {
    TProgramsStartedAhead programs = Programs(1);
    // Spinning, it is stopped by its CPU time long before the deadline: a failure, not a
    // timeout; sleeping, the deadline stops it.
    TChildWatch cpu;
    cpu.Cpu = 300ms;
    EXPECT_EQ(programs.Run("spin", Generous(), cpu).End, TChildEnd::Failed);
    TChildBounds shortly = Generous();
    shortly.Deadline = 500ms;
    EXPECT_EQ(programs.Run("sleep", shortly, cpu).End, TChildEnd::TimedOut);
    // Its memory is bounded from where it stands when it takes the work.
    TChildBounds memory = Generous();
    memory.AddressSpaceGrowth = uint64_t{256} << 20;
    EXPECT_EQ(programs.Run("map 64", memory).Answer, "mapped");
    EXPECT_EQ(programs.Run("map 512", memory).End, TChildEnd::Failed);
    // A caller that no longer wants the answer stops the work.
    std::atomic<bool> unwanted{false};
    TChildWatch wish;
    wish.Abandoned = [&] { return unwanted.load(); };
    std::thread caller([&] {
        std::this_thread::sleep_for(200ms);
        unwanted = true;
    });
    EXPECT_EQ(programs.Run("sleep", Generous(), wish).End, TChildEnd::Abandoned);
    caller.join();
    // The same programs go on answering afterwards.
    EXPECT_EQ(programs.Run("echo done", Generous()).Answer, " done");
}

// A work that takes longer on the wall than the deadline while it uses its processor, as on a
// busy machine, is not late: the deadline counts only the time the program stands still. Its CPU
// time is what ends a work that takes too long.
TEST(ProgramsStartedAhead, AWorkUsingItsProcessorIsLateOnlyWhenItStandsStill) {
    TProgramsStartedAhead programs = Programs(1);
    TChildBounds bounds = Generous();
    bounds.Deadline = 300ms;
    TChildWatch cpu;
    cpu.Cpu = 10s;
    EXPECT_EQ(programs.Run("use 900", bounds, cpu).Answer, "used");
    EXPECT_EQ(programs.Run("sleep", bounds, cpu).End, TChildEnd::TimedOut);
    cpu.Cpu = 300ms;
    EXPECT_EQ(programs.Run("use 900", bounds, cpu).End, TChildEnd::Failed);
}

// A program given its work while it still starts (a busy machine makes that longer): its start,
// 400 ms of CPU time here, is not its work's, whose CPU time counts from when the start is over.
TEST(ProgramsStartedAhead, AProgramsStartIsNotCountedInItsWorksCpuTime) {
    TProgramsStartedAhead programs("/proc/self/exe", {"started-ahead", SlowStartSwitch}, 1);
    TChildWatch cpu;
    cpu.Cpu = 200ms;
    EXPECT_EQ(programs.Run("echo done", Generous(), cpu).Answer, " done");
    EXPECT_EQ(programs.Run("use 400", Generous(), cpu).End, TChildEnd::Failed);
}

// The CPU time a work took comes back with its outcome, answered or stopped: from when the
// program's start was over (its 400 ms left out) to its end.
TEST(ProgramsStartedAhead, TheOutcomeTellsTheCpuTimeTheWorkTook) {
    TProgramsStartedAhead programs("/proc/self/exe", {"started-ahead", SlowStartSwitch}, 1);
    const TChildOutcome answered = programs.Run("use 300", Generous());
    EXPECT_EQ(answered.Answer, "used");
    // Counted by the system in ticks of 10 ms.
    EXPECT_GE(answered.Cpu, 290ms);
    EXPECT_LT(answered.Cpu, 400ms);
    TChildWatch cpu;
    cpu.Cpu = 200ms;
    const TChildOutcome stopped = programs.Run("spin", Generous(), cpu);
    EXPECT_EQ(stopped.End, TChildEnd::Failed);
    EXPECT_GE(stopped.Cpu, 200ms);
}

// A caller may look at the work late (a busy machine, a caller held elsewhere): the program ends
// its work itself once the work has taken its CPU time, to the tick.
// The system's bound of CPU time counts sampled ticks, which a busy machine puts ahead of the
// program's own clock: it stands a second past where a watched work ends itself, wherever in a
// second the program's start left off and however near a whole second the work's time comes.
TEST(ProgramsStartedAhead, TheSystemsBoundStandsASecondPastWhereAWatchedWorkEndsItself) {
    TProgramsStartedAhead programs("/proc/self/exe", {"started-ahead", SlowStartSwitch}, 1);
    TChildBounds bounds = Generous();
    bounds.CpuSeconds = 2;
    TChildWatch watch;
    watch.Cpu = 1990ms;
    const std::string answer = programs.Run("limit", bounds, watch).Answer;
    std::istringstream said(answer);
    int64_t limitSeconds = 0;
    int64_t used = 0;
    ASSERT_TRUE(said >> limitSeconds >> used) << answer;
    // Its work had used far less than 50 ms of that when it answered.
    EXPECT_GE(limitSeconds * 1000, used - 50 + watch.Cpu.count() + 1000);
}

TEST(ProgramsStartedAhead, AWorkEndsAtItsCpuTimeHoweverLateItsCallerLooks) {
    TProgramsStartedAhead programs = Programs(1);
    TChildWatch late;
    late.Cpu = 300ms;
    // Held for a second and a half at the first look that sees the work under way.
    bool held = false;
    late.Used = [&held](std::chrono::milliseconds used) {
        if (!held && used.count() > 0) {
            held = true;
            std::this_thread::sleep_for(1500ms);
        }
    };
    const TChildOutcome outcome = programs.Run("spin", Generous(), late);
    EXPECT_TRUE(held);
    EXPECT_EQ(outcome.End, TChildEnd::Failed);
    EXPECT_GE(outcome.Cpu, 290ms);
    EXPECT_LT(outcome.Cpu, 400ms);
    // A work within its time answers as before.
    EXPECT_EQ(programs.Run("use 100", Generous(), late).Answer, "used");
}

namespace {

// Loops using the processor, twice as many as it has cores, each until it is stopped or a minute
// has passed: a busy machine, made by the test itself and stopped as the loops go.
std::vector<std::jthread> BusyLoops() {
    std::vector<std::jthread> loops;
    for (unsigned i = 0; i < 2 * std::max(1U, std::thread::hardware_concurrency()); ++i) {
        loops.emplace_back([](const std::stop_token& stop) {
            const auto until = std::chrono::steady_clock::now() + 60s;
            while (!stop.stop_requested() && std::chrono::steady_clock::now() < until) {
            }
        });
    }
    return loops;
}

// Waits until a child of this process has ended, leaving it to be reaped (a minute at the most).
void AwaitAChildsEnd() {
    const auto until = std::chrono::steady_clock::now() + 60s;
    siginfo_t ended{};
    while (std::chrono::steady_clock::now() < until &&
           waitid(P_ALL, 0, &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == 0) {
        std::this_thread::sleep_for(5ms);
    }
}

} // namespace

// Beside busy loops, a work that never ends is ended by its program once it has taken its CPU time
// as the caller reads it when the program is reaped, and within a tick of 10 ms after: a busy
// machine neither ends it before its time nor lets it run on. The caller holds off its own watch
// until the program has ended, so what ends the work is the program.
TEST(ProgramsStartedAhead, BesideBusyLoopsAWorkEndsAtItsCpuTimeAndWithinATickOfIt) {
    TProgramsStartedAhead programs = Programs(1);
    programs.StartAhead();
    const std::vector<std::jthread> busy = BusyLoops();
    TChildWatch watch;
    watch.Cpu = 200ms;
    watch.Used = [](std::chrono::milliseconds used) {
        if (used.count() > 0) {
            AwaitAChildsEnd();
        }
    };
    for (int i = 0; i < 3; ++i) {
        const TChildOutcome outcome = programs.Run("spin", Generous(), watch);
        EXPECT_EQ(outcome.End, TChildEnd::Failed) << i;
        EXPECT_GE(outcome.Cpu, watch.Cpu) << i;
        EXPECT_LE(outcome.Cpu, watch.Cpu + 10ms) << i;
    }
}

TEST(ProgramsStartedAhead, ThreadsGetTheirOwnAnswersAndStartNoMoreThanTheSpareOnes) {
    TProgramsStartedAhead programs = Programs(2);
    std::vector<std::thread> starters;
    for (int t = 0; t < 4; ++t) {
        starters.emplace_back([&] { programs.StartAhead(); });
    }
    for (std::thread& starter : starters) {
        starter.join();
    }
    EXPECT_EQ(programs.Waiting(), 2);
    std::vector<std::string> answers(4);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < answers.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                const std::string mine(1000 + t, static_cast<char>('a' + t));
                answers[t] += programs.Run("echo" + mine, Generous()).Answer == mine ? "+" : "-";
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(answers, std::vector<std::string>(4, "+++"));
    EXPECT_EQ(programs.Waiting(), 2);
}

TEST(ProgramsStartedAhead, AWorkThatFindsNoneWaitingDoublesThoseKeptUpToTheSpareOnes) {
    {
        TProgramsStartedAhead programs = Programs(12);
        programs.StartAhead();
        const int first = programs.Waiting();
        ASSERT_GT(first, 0);
        ASSERT_LT(2 * first, 12);
        // Work that finds one waiting keeps as many as before.
        EXPECT_EQ(programs.Run("echo a", Generous()).Answer, " a");
        EXPECT_EQ(programs.Waiting(), first);
        // Work that finds none keeps twice as many, and no more than the spare ones.
        TProgramsStartedAhead burst = Programs(12);
        EXPECT_EQ(burst.Run("echo b", Generous()).Answer, " b");
        EXPECT_EQ(burst.Waiting(), 2 * first);
        TProgramsStartedAhead few = Programs(first + 1);
        EXPECT_EQ(few.Run("echo c", Generous()).Answer, " c");
        EXPECT_EQ(few.Waiting(), first + 1);
    }
    EXPECT_TRUE(NoChildLeft());
}
