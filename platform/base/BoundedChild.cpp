#include "platform/base/BoundedChild.h"

#include "platform/base/CpuTime.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> inChild{false};

// Between creating a child's pipe and closing the parent's copy of its writing end, no other
// child may be forked: it would keep that end open, and the parent would wait for an end of
// the answer that only comes when the other child ends.
std::mutex& ForkMutex() {
    static std::mutex mutex;
    return mutex;
}

// The address space in use now, read from /proc without allocating (the child may not be able
// to). 0 when it cannot be read.
uint64_t AddressSpaceNow() {
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    char text[64];
    const ssize_t length = read(fd, text, sizeof text);
    close(fd);
    uint64_t pages = 0;
    for (ssize_t i = 0; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
        pages = pages * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Bounds the address space of this process to `growth` bytes beyond what it holds now.
void BoundAddressSpaceGrowth(uint64_t growth) {
    if (const uint64_t now = AddressSpaceNow(); now > 0) {
        const auto limit = static_cast<rlim_t>(now + growth);
        const rlimit memoryLimit{limit, limit};
        setrlimit(RLIMIT_AS, &memoryLimit);
    }
}

// The CPU time and core dumps of process `pid` (0: this one).
void BoundCpuTime(pid_t pid, int seconds) {
    const auto cpu = static_cast<rlim_t>(seconds);
    const rlimit cpuLimit{cpu, cpu + 1};
    prlimit(pid, RLIMIT_CPU, &cpuLimit, nullptr);
    const rlimit noCore{0, 0};
    prlimit(pid, RLIMIT_CORE, &noCore, nullptr);
}

[[noreturn]] void RunChild(int fd, const std::function<std::string()>& work,
                           const TChildBounds& bounds) {
    inChild = true;
    BoundCpuTime(0, bounds.CpuSeconds);
    BoundAddressSpaceGrowth(bounds.AddressSpaceGrowth);
    int status = 1;
    try {
        status = WriteAll(fd, work()) ? 0 : 1;
    } catch (...) {
        status = 1;
    }
    // Nothing of the parent's may run here: no destructors, no handlers at exit, no flushing
    // of the parent's buffered output.
    _exit(status);
}

// A file of the parent's (the answer's reading end, the input), closed however the wait ends.
class TOwnedFile {
public:
    explicit TOwnedFile(int fd) : fd_(fd) {}
    ~TOwnedFile() { close(fd_); }
    TOwnedFile(const TOwnedFile&) = delete;
    TOwnedFile& operator=(const TOwnedFile&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// The child, killed and reaped unless it was reaped already.
class TChild {
public:
    explicit TChild(pid_t pid) : pid_(pid) {}
    ~TChild() { Stop(); }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    // Kills and reaps the child, unless it was reaped already.
    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Reap(0);
            pid_ = -1;
        }
    }
    // The CPU time the child used, all of it, once it was reaped here; -1 before.
    int64_t CpuMillis() const { return cpuMillis_; }

    // Waits for the child to end until `deadline`; true with its status when it did.
    bool Ended(Clock::time_point deadline, int& status) {
        while (true) {
            const pid_t reaped = Reap(WNOHANG, &status);
            if (reaped == pid_) {
                pid_ = -1;
                return true;
            }
            if (reaped < 0) {
                // Reaped elsewhere: the number may already be another process's.
                pid_ = -1;
                return false;
            }
            if (Clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    pid_t Reap(int options, int* status = nullptr) {
        int ignored = 0;
        while (true) {
            rusage usage{};
            const pid_t reaped = wait4(pid_, status ? status : &ignored, options, &usage);
            if (reaped == pid_) {
                cpuMillis_ = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * int64_t{1000} +
                             (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
            }
            if (reaped >= 0 || errno != EINTR) {
                return reaped;
            }
        }
    }

    pid_t pid_;
    int64_t cpuMillis_ = -1;
};

// How often a watched child's CPU time and its caller's wish are looked at.
constexpr int WatchMillis = 20;

// How long a caller waits for a child, and what it watches meanwhile. Unwatched, the wait ends at
// a fixed deadline. Watched (a program started ahead), the CPU time its work takes and the
// caller's wish are looked at too, and the deadline counts only the time the child stands still:
// a child seen using CPU time, or whose input or answer moved, has it start again. A busy machine
// then makes the work slower, never late: its CPU time ends a work that takes too long, the
// deadline one that waits for what never comes.
class TChildWait {
public:
    explicit TChildWait(std::chrono::milliseconds deadline)
        : patience_(deadline), deadline_(Clock::now() + deadline) {}
    TChildWait(pid_t pid, std::chrono::milliseconds patience, const TChildWatch& watch)
        : pid_(pid), watch_(&watch), patience_(patience), deadline_(Clock::now() + patience),
          seen_(ProcessCpuMillis(pid)) {}

    // The work begins at `startMicros` of the child's CPU time, as the child read it on the clock
    // its end is read by: what it uses from there on is the work's.
    void WorkBegins(uint64_t startMicros) {
        cpuStart_ = static_cast<int64_t>(startMicros / 1000);
        seen_ = ProcessCpuMillis(pid_);
    }
    // The child's CPU time when its work began; -1 before.
    int64_t CpuStart() const { return cpuStart_; }
    Clock::time_point Deadline() const { return deadline_; }
    bool Watched() const { return watch_ != nullptr; }
    // How long one wait may last: up to the deadline, and watched, up to the next look.
    int PollMillis() const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
        const int millis = static_cast<int>(std::max<int64_t>(0, left.count()));
        return watch_ ? std::min(millis, WatchMillis) : millis;
    }
    bool Late() const { return Clock::now() >= deadline_; }
    // Bytes went to or from the child.
    void Moved() {
        if (watch_) {
            deadline_ = Clock::now() + patience_;
        }
    }
    // Whether the child ran past the CPU time its work may take once it began, looked at once in
    // WatchMillis at the most.
    bool Spent() {
        const Clock::time_point now = Clock::now();
        if (!watch_ || now < next_) {
            return false;
        }
        next_ = now + std::chrono::milliseconds(WatchMillis);
        const int64_t used = ProcessCpuMillis(pid_);
        if (used > seen_) {
            seen_ = used;
            deadline_ = now + patience_;
        }
        if (watch_->Used && used >= 0) {
            watch_->Used(WorkCpu(used));
        }
        return watch_->Cpu.count() > 0 && cpuStart_ >= 0 && used >= 0 &&
               used - cpuStart_ > watch_->Cpu.count();
    }
    bool Abandoned() const { return watch_ && watch_->Abandoned && watch_->Abandoned(); }
    // What of the child's CPU time `used` is its work's: all of it unwatched, from the work's
    // beginning watched (nothing before).
    std::chrono::milliseconds WorkCpu(int64_t used) const {
        if (used < 0 || (watch_ && cpuStart_ < 0)) {
            return std::chrono::milliseconds(0);
        }
        return std::chrono::milliseconds(
            std::max<int64_t>(0, used - std::max<int64_t>(0, cpuStart_)));
    }

private:
    pid_t pid_ = -1;
    const TChildWatch* watch_ = nullptr;
    std::chrono::milliseconds patience_;
    Clock::time_point deadline_;
    Clock::time_point next_{};
    int64_t seen_ = -1;
    int64_t cpuStart_ = -1;
};

// Waits until `fd` is ready for `events`: Answered then, else how the wait ended first.
TChildEnd AwaitReady(int fd, short events, TChildWait& wait) {
    while (true) {
        if (wait.Abandoned()) {
            return TChildEnd::Abandoned;
        }
        if (wait.Spent()) {
            return TChildEnd::Failed;
        }
        if (wait.Late()) {
            return TChildEnd::TimedOut;
        }
        pollfd ready{fd, events, 0};
        const int polled = poll(&ready, 1, wait.PollMillis());
        if (polled > 0) {
            return TChildEnd::Answered;
        }
        if (polled < 0 && errno != EINTR) {
            return TChildEnd::Failed;
        }
    }
}

// The answer `child` writes into `fd`, whole when the child then ends well within `wait`.
TChildOutcome ReadAnswer(TChild& child, int fd, size_t maxAnswer, TChildWait& wait) {
    TOwnedFile answerPipe(fd);
    TChildOutcome outcome;
    outcome.End = TChildEnd::Answered;
    char buffer[65536];
    while (true) {
        if (const TChildEnd ready = AwaitReady(answerPipe.Fd(), POLLIN, wait);
            ready != TChildEnd::Answered) {
            return {ready, {}};
        }
        const ssize_t n = read(answerPipe.Fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return {};
        }
        if (n == 0) {
            break;
        }
        if (static_cast<size_t>(n) > maxAnswer - outcome.Answer.size()) {
            return {TChildEnd::TooLong, {}};
        }
        outcome.Answer.append(buffer, static_cast<size_t>(n));
        wait.Moved();
    }
    // The answer is complete only when the child has ended well after writing it.
    int status = 0;
    if (!child.Ended(wait.Deadline(), status)) {
        return {wait.Late() ? TChildEnd::TimedOut : TChildEnd::Failed, {}};
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    return outcome;
}

// `outcome` of `child`'s work, with the child stopped (when it has not ended) and the CPU time the
// work took.
TChildOutcome Stopped(TChild& child, TChildOutcome outcome, const TChildWait& wait) {
    child.Stop();
    outcome.Cpu = wait.WorkCpu(child.CpuMillis());
    return outcome;
}

// The answer the child `pid` writes into `fd` (whose writing end the caller no longer holds),
// whole when the child then ends well within `wait`. The child is killed and reaped however the
// wait ends, and `fd` closed. A watched child is also stopped when it spends its CPU time or its
// answer is abandoned.
TChildOutcome AwaitAnswer(pid_t pid, int fd, size_t maxAnswer, TChildWait& wait) {
    TChild child(pid);
    return Stopped(child, ReadAnswer(child, fd, maxAnswer, wait), wait);
}

// A file that holds `bytes` and is read from its start, made in memory; -1 when it cannot be.
int InputFile(std::string_view bytes) {
    const int fd = memfd_create("bounded-child-input", MFD_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (!WriteAll(fd, bytes) || lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// What a started program is given: its input and output as its first two files and nothing
// else of ours open, signals neither blocked nor handled as we handle them.
class TSpawnSetup {
public:
    TSpawnSetup(int input, int output) {
        posix_spawn_file_actions_init(&files_);
        posix_spawn_file_actions_adddup2(&files_, input, 0);
        posix_spawn_file_actions_adddup2(&files_, output, 1);
        posix_spawn_file_actions_addclosefrom_np(&files_, 3);
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~TSpawnSetup() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&files_);
    }
    TSpawnSetup(const TSpawnSetup&) = delete;
    TSpawnSetup& operator=(const TSpawnSetup&) = delete;

    const posix_spawn_file_actions_t* Files() const { return &files_; }
    const posix_spawnattr_t* Attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t files_;
    posix_spawnattr_t attributes_;
};

} // namespace

bool InBoundedChild() {
    return inChild;
}

TChildOutcome RunBoundedChild(const std::function<std::string()>& work,
                              const TChildBounds& bounds) {
    TChildWait wait(bounds.Deadline);
    int fds[2];
    pid_t pid = -1;
    {
        std::lock_guard lock(ForkMutex());
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return {};
        }
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            RunChild(fds[1], work, bounds);
        }
        close(fds[1]);
    }
    if (pid < 0) {
        close(fds[0]);
        return {};
    }
    return AwaitAnswer(pid, fds[0], bounds.MaxAnswer, wait);
}

TChildOutcome RunBoundedProgram(const std::string& program,
                                const std::vector<std::string>& arguments, std::string_view input,
                                const TChildBounds& bounds) {
    TChildWait wait(bounds.Deadline);
    const int inputFile = InputFile(input);
    if (inputFile < 0) {
        return {};
    }
    const TOwnedFile inputEnd(inputFile);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int fds[2];
    pid_t pid = -1;
    {
        std::lock_guard lock(ForkMutex());
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return {};
        }
        const TSpawnSetup setup(inputFile, fds[1]);
        if (posix_spawn(&pid, program.c_str(), setup.Files(), setup.Attributes(), argv.data(),
                        environ) != 0) {
            pid = -1;
        }
        close(fds[1]);
    }
    if (pid < 0) {
        close(fds[0]);
        return {};
    }
    BoundCpuTime(pid, bounds.CpuSeconds);
    return AwaitAnswer(pid, fds[0], bounds.MaxAnswer, wait);
}

int AnswerAsBoundedProgram(uint64_t inputLength, uint64_t growth,
                           const std::function<std::string(const std::string&)>& work) {
    BoundAddressSpaceGrowth(growth);
    try {
        std::string input(inputLength, '\0');
        size_t done = 0;
        while (done < input.size()) {
            const ssize_t n = read(STDIN_FILENO, input.data() + done, input.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return 1;
            }
            done += static_cast<size_t>(n);
        }
        char more = 0;
        if (read(STDIN_FILENO, &more, 1) != 0) {
            return 1;
        }
        const std::string answer = work(input);
        return !answer.empty() && WriteAll(STDOUT_FILENO, answer) ? 0 : 1;
    } catch (...) {
        return 1;
    }
}

namespace {

// The programs kept started before the first work that found none waiting.
constexpr int FirstKept = 2;

// The work's header a program started ahead reads first: the length of its input, how far its
// address space may grow and the CPU time its work may take in milliseconds beyond what it said
// it had used when its start was over (0: no more than its bound in whole seconds), 8 bytes each,
// least significant first.
constexpr size_t WorkHeaderBytes = 24;

void PutU64(std::string& out, uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

uint64_t GetU64(const unsigned char* in) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | in[i];
    }
    return value;
}

// Ends this process once its CPU time, all its threads together, reaches `endMicros` (0: never).
// The timer counts on the clock of the process's CPU time, which is the time its caller reads when
// it reaps the process: the work is never ended before it, and at most a tick after, however busy
// the machine. (A profiling interval timer counts sampled ticks instead, which a busy machine puts
// ahead of that clock by up to a tenth of a second.) Its bound in whole seconds is the caller's
// to set, and its caller's watch looks as well, also when the timer cannot be made.
void EndAtProcessCpuMicros(uint64_t endMicros) {
    if (endMicros == 0) {
        return;
    }
    sigevent end{};
    end.sigev_notify = SIGEV_SIGNAL;
    end.sigev_signo = SIGKILL;
    timer_t timer{};
    if (timer_create(CLOCK_PROCESS_CPUTIME_ID, &end, &timer) != 0) {
        return;
    }
    itimerspec at{};
    at.it_value.tv_sec = static_cast<time_t>(endMicros / 1000000);
    at.it_value.tv_nsec = static_cast<long>(endMicros % 1000000 * 1000);
    timer_settime(timer, TIMER_ABSTIME, &at, nullptr);
}

// What a program started ahead writes once its own start is over, before it reads its work: this
// byte, then the CPU time it has used so far in microseconds, 8 bytes least significant first.
constexpr char StartedByte = 'S';
constexpr size_t StartedBytes = 1 + 8;

// The bound in whole seconds the system holds a program started ahead to, its work beginning at
// `startMillis` of its CPU time: `seconds` beyond that, and a watched work's a second past the
// `cpu` it ends itself at. The system counts sampled ticks, which a busy machine puts ahead of
// the process's own clock: so it ends only a work the program could not end.
int StartedProgramCpuSeconds(int64_t startMillis, int seconds, std::chrono::milliseconds cpu) {
    const auto wholeSeconds = [](int64_t millis) {
        return static_cast<int>((millis + 999) / 1000);
    };
    const int bound = wholeSeconds(startMillis + int64_t{seconds} * 1000);
    return cpu.count() > 0 ? std::max(bound, wholeSeconds(startMillis + cpu.count()) + 1) : bound;
}

// Sends `bytes` into the socket `fd` within `wait`; the end that stopped it, or Answered when all
// went.
TChildEnd SendAll(int fd, std::string_view bytes, TChildWait& wait) {
    size_t done = 0;
    while (done < bytes.size()) {
        if (const TChildEnd ready = AwaitReady(fd, POLLOUT, wait); ready != TChildEnd::Answered) {
            return ready;
        }
        // A program that ended before it read everything must not end us with SIGPIPE.
        const ssize_t n =
            send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            return TChildEnd::Failed;
        }
        done += static_cast<size_t>(n);
        wait.Moved();
    }
    return TChildEnd::Answered;
}

// Waits within `wait` until the program on the socket `fd` says its start is over, and the CPU
// time it had used then, in microseconds.
TChildEnd AwaitStart(int fd, TChildWait& wait, uint64_t& cpuMicros) {
    unsigned char said[StartedBytes];
    size_t done = 0;
    while (done < sizeof said) {
        if (const TChildEnd ready = AwaitReady(fd, POLLIN, wait); ready != TChildEnd::Answered) {
            return ready;
        }
        const ssize_t n = read(fd, said + done, sizeof said - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return TChildEnd::Failed;
        }
        done += static_cast<size_t>(n);
    }
    if (said[0] != StartedByte) {
        return TChildEnd::Failed;
    }
    cpuMicros = GetU64(said + 1);
    return TChildEnd::Answered;
}

} // namespace

TProgramsStartedAhead::TProgramsStartedAhead(std::string program,
                                             std::vector<std::string> arguments, int spare)
    : program_(std::move(program)), arguments_(std::move(arguments)), spare_(spare),
      kept_(std::min(spare, FirstKept)) {}

TProgramsStartedAhead::~TProgramsStartedAhead() {
    for (const TStarted& started : waiting_) {
        close(started.Fd);
        TChild stopped(started.Pid);
    }
}

int TProgramsStartedAhead::Waiting() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(waiting_.size());
}

TProgramsStartedAhead::TStarted TProgramsStartedAhead::Start() const {
    std::vector<char*> argv;
    for (const std::string& argument : arguments_) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    int fds[2];
    TStarted started;
    std::lock_guard lock(ForkMutex());
    // One socket is the program's input and its output: the input is sent without SIGPIPE, and
    // the answer read where it was sent.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        return started;
    }
    const TSpawnSetup setup(fds[1], fds[1]);
    pid_t pid = -1;
    if (posix_spawn(&pid, program_.c_str(), setup.Files(), setup.Attributes(), argv.data(),
                    environ) == 0) {
        started = {pid, fds[0]};
    } else {
        close(fds[0]);
    }
    close(fds[1]);
    return started;
}

void TProgramsStartedAhead::StartAhead(int most) {
    for (; most > 0; --most) {
        {
            // Those another thread is starting count: together they start no more than needed.
            std::lock_guard lock(mutex_);
            if (static_cast<int>(waiting_.size()) + starting_ >= kept_) {
                return;
            }
            ++starting_;
        }
        const TStarted started = Start();
        std::lock_guard lock(mutex_);
        --starting_;
        if (started.Pid < 0) {
            return;
        }
        waiting_.push_back(started);
    }
}

TChildOutcome TProgramsStartedAhead::Run(std::string_view input, const TChildBounds& bounds,
                                         const TChildWatch& watch) {
    TStarted started;
    {
        std::lock_guard lock(mutex_);
        if (!waiting_.empty()) {
            started = waiting_.front();
            waiting_.erase(waiting_.begin());
        } else {
            kept_ = std::min(spare_, 2 * kept_);
        }
    }
    if (started.Pid < 0) {
        started = Start();
        if (started.Pid < 0) {
            return {};
        }
    }
    TChildWait wait(started.Pid, bounds.Deadline, watch);
    // Its start is not the work's: a program still starting (a busy machine makes that longer)
    // is waited for, and the CPU time counts from what it says it had used when its start was
    // over, read on the clock that ends its work and that its end is read by.
    uint64_t startMicros = 0;
    TChildEnd sent = AwaitStart(started.Fd, wait, startMicros);
    if (sent == TChildEnd::Answered) {
        wait.WorkBegins(startMicros);
        BoundCpuTime(started.Pid,
                     StartedProgramCpuSeconds(wait.CpuStart(), bounds.CpuSeconds, watch.Cpu));
        std::string header;
        PutU64(header, input.size());
        PutU64(header, bounds.AddressSpaceGrowth);
        PutU64(header, static_cast<uint64_t>(std::max<int64_t>(0, watch.Cpu.count())));
        sent = SendAll(started.Fd, header, wait);
    }
    if (sent == TChildEnd::Answered) {
        sent = SendAll(started.Fd, input, wait);
    }
    if (sent != TChildEnd::Answered) {
        close(started.Fd);
        TChild child(started.Pid);
        return Stopped(child, {sent, {}}, wait);
    }
    shutdown(started.Fd, SHUT_WR);
    // The next work finds one waiting while this one works.
    StartAhead();
    return AwaitAnswer(started.Pid, started.Fd, bounds.MaxAnswer, wait);
}

int AnswerWorkStartedAhead(const std::function<std::string(const std::string&)>& work) {
    const int64_t started = ProcessCpuMicros();
    if (started < 0) {
        return 1;
    }
    std::string said(1, StartedByte);
    PutU64(said, static_cast<uint64_t>(started));
    if (!WriteAll(STDOUT_FILENO, said)) {
        return 1;
    }
    unsigned char header[WorkHeaderBytes];
    size_t done = 0;
    while (done < sizeof header) {
        const ssize_t n = read(STDIN_FILENO, header + done, sizeof header - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return 1;
        }
        done += static_cast<size_t>(n);
    }
    const uint64_t cpuMillis = GetU64(header + 16);
    EndAtProcessCpuMicros(cpuMillis == 0 ? 0 : static_cast<uint64_t>(started) + cpuMillis * 1000);
    return AnswerAsBoundedProgram(GetU64(header), GetU64(header + 8), work);
}
