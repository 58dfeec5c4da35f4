#pragma once

// CPU time, which a busy machine does not stretch as it stretches the time on the clock: what a
// piece of work costs is counted in it, so that whether the work may go on does not depend on
// what else the machine is doing.

#include <cstdint>
#include <ctime>

#include <sys/types.h>

// The CPU time the calling thread has used so far, in microseconds.
int64_t ThreadCpuMicros();

// The CPU time this process has used so far, all its threads together, in microseconds; -1 when it
// cannot be read. It is the time its parent reads when it reaps it.
int64_t ProcessCpuMicros();

// The CPU time clock of the thread that made it, read from any thread while that thread lives:
// what a thread waiting for another's work sees that work cost so far.
class TThreadCpuClock {
public:
    TThreadCpuClock();
    // The thread's CPU time so far, in microseconds; -1 when it cannot be read.
    int64_t Micros() const;

private:
    clockid_t clock_{};
    bool known_;
};

// The CPU time process `pid` has used so far, all its threads together, in milliseconds; -1 when
// it cannot be read (the process is gone).
int64_t ProcessCpuMillis(pid_t pid);
