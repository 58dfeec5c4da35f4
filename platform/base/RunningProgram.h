#pragma once

// A program started from the program: waited on with a time limit, polled and killed. The
// shell layer starts them; callers below it see only this handle.

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
};
