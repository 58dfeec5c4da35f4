#include "platform/base/BoundedChild.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
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

bool WriteAll(int fd, const std::string& bytes) {
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

[[noreturn]] void RunChild(int fd, const std::function<std::string()>& work,
                           const TChildBounds& bounds) {
    inChild = true;
    const auto cpu = static_cast<rlim_t>(bounds.CpuSeconds);
    const rlimit cpuLimit{cpu, cpu + 1};
    setrlimit(RLIMIT_CPU, &cpuLimit);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (const uint64_t now = AddressSpaceNow(); now > 0) {
        const auto limit = static_cast<rlim_t>(now + bounds.AddressSpaceGrowth);
        const rlimit memoryLimit{limit, limit};
        setrlimit(RLIMIT_AS, &memoryLimit);
    }
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

// The parent's reading end, closed however the wait ends.
class TReadEnd {
public:
    explicit TReadEnd(int fd) : fd_(fd) {}
    ~TReadEnd() { close(fd_); }
    TReadEnd(const TReadEnd&) = delete;
    TReadEnd& operator=(const TReadEnd&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// The child, killed and reaped unless it was reaped already.
class TChild {
public:
    explicit TChild(pid_t pid) : pid_(pid) {}
    ~TChild() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            Reap(0);
        }
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

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
            const pid_t reaped = waitpid(pid_, status ? status : &ignored, options);
            if (reaped >= 0 || errno != EINTR) {
                return reaped;
            }
        }
    }

    pid_t pid_;
};

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

} // namespace

bool InBoundedChild() {
    return inChild;
}

TChildOutcome RunBoundedChild(const std::function<std::string()>& work,
                              const TChildBounds& bounds) {
    const Clock::time_point deadline = Clock::now() + bounds.Deadline;
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
    TReadEnd answerPipe(fds[0]);
    if (pid < 0) {
        return {};
    }
    TChild child(pid);
    TChildOutcome outcome;
    outcome.End = TChildEnd::Answered;
    char buffer[65536];
    while (true) {
        pollfd ready{answerPipe.Fd(), POLLIN, 0};
        const int polled = poll(&ready, 1, MillisecondsLeft(deadline));
        if (polled < 0 && errno == EINTR) {
            continue;
        }
        if (polled <= 0) {
            return {polled == 0 ? TChildEnd::TimedOut : TChildEnd::Failed, {}};
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
        if (static_cast<size_t>(n) > bounds.MaxAnswer - outcome.Answer.size()) {
            return {TChildEnd::TooLong, {}};
        }
        outcome.Answer.append(buffer, static_cast<size_t>(n));
    }
    // The answer is complete only when the child has ended well after writing it.
    int status = 0;
    if (!child.Ended(deadline, status)) {
        return {Clock::now() >= deadline ? TChildEnd::TimedOut : TChildEnd::Failed, {}};
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    return outcome;
}
