#pragma once

// The signals that ask a program to end (SIGTERM from `kill`, a shutdown or a logout, SIGHUP
// when its terminal goes away, SIGINT from Ctrl+C) as calls from the event loop. The handler
// only writes the signal's number into a pipe whose reading end the event loop watches:
// nothing else is safe inside a signal handler, and the program ends from where it can save.

#include <functional>
#include <memory>

class TerminationSignals {
public:
    // Installs the handlers; `requested` then runs from the event loop of this thread with the
    // number of each signal that came. A signal ignored before (a program started with nohup)
    // stays ignored. Only one watcher may live at a time; throws std::system_error when the
    // pipe cannot be made.
    explicit TerminationSignals(std::function<void(int signal)> requested);
    // The handlers that were there before come back.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};
