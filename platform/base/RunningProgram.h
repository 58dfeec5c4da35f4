#pragma once

// A program started from the program: waited on with a time limit, polled and killed, or
// watched until it says it has ended. The shell layer starts them; callers below it see only
// this handle.

#include <functional>

class RunningProgram {
public:
    virtual ~RunningProgram() = default;
    // Waits at most `milliseconds` for the program to end; true once it has ended.
    virtual bool WaitFor(int milliseconds) = 0;
    // Ends the program at once and waits until it is gone.
    virtual void Kill() = 0;
    // The exit code of a program that ended by itself; -1 while it runs, after a crash or a
    // kill.
    virtual int ExitCode() = 0;
    // Calls `ended` once when the program has ended (by itself, crashed or killed): from the
    // event loop of the thread that started it, or from within Kill. A program that has ended
    // already is reported from the event loop too. Never called once the handle goes.
    virtual void WhenEnded(std::function<void()> ended) = 0;
};
