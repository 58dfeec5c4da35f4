#include "platform/base/CpuTime.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace {

int64_t MicrosOf(clockid_t clock) {
    timespec now{};
    if (clock_gettime(clock, &now) != 0) {
        return -1;
    }
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace

int64_t ThreadCpuMicros() {
    return MicrosOf(CLOCK_THREAD_CPUTIME_ID);
}

int64_t ProcessCpuMicros() {
    return MicrosOf(CLOCK_PROCESS_CPUTIME_ID);
}

// CLOCK_THREAD_CPUTIME_ID would be the reading thread's own: the clock's id names this one.
TThreadCpuClock::TThreadCpuClock() : known_(pthread_getcpuclockid(pthread_self(), &clock_) == 0) {}

int64_t TThreadCpuClock::Micros() const {
    return known_ ? MicrosOf(clock_) : -1;
}

int64_t ProcessCpuMillis(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    char text[1024];
    ssize_t length = 0;
    while ((length = read(fd, text, sizeof text - 1)) < 0 && errno == EINTR) {
    }
    close(fd);
    if (length <= 0) {
        return -1;
    }
    text[length] = '\0';
    // The command's name may hold blanks and parentheses: the fields are counted from the last
    // closing parenthesis, after which come the state (field 3) and, as fields 14 and 15, the
    // user and system time in clock ticks.
    const char* at = std::strrchr(text, ')');
    if (at == nullptr) {
        return -1;
    }
    unsigned long long user = 0;
    unsigned long long system = 0;
    if (std::sscanf(at + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2) {
        return -1;
    }
    const long ticks = sysconf(_SC_CLK_TCK);
    return static_cast<int64_t>((user + system) * 1000 /
                                static_cast<unsigned long long>(ticks > 0 ? ticks : 100));
}
