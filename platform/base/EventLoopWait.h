#pragma once

// Waiting on the main thread for work that says when it is done. The event loop runs all the
// while (windows paint, buttons answer, timers fire, posted and invoked calls run), so the one
// who waits reacts to the end instead of asking again and again.

#include <chrono>
#include <functional>
#include <memory>

class EventLoopWait {
public:
    EventLoopWait();
    ~EventLoopWait();
    EventLoopWait(const EventLoopWait&) = delete;
    EventLoopWait& operator=(const EventLoopWait&) = delete;

    // Runs the event loop until Finish; returns at once when Finish came first.
    void Run();
    // Ends the wait; called from what the event loop runs (or before Run).
    void Finish();
    bool Finished() const { return finished_; }

private:
    struct Loop;
    std::unique_ptr<Loop> loop_;
    bool finished_ = false;
};

// Runs `work` on a thread of its own while the calling thread's event loop runs, and returns
// once the work has ended; what the work throws is thrown here. For long work that touches
// nothing the event loop's calls touch (files, its own data): the windows stay drawn and their
// timers run meanwhile. What the user types and clicks meanwhile waits, in its order, for the
// work's end (unless a UserInputBesideWork lives): a key or a click acting inside the work
// would start a command inside the command that runs it. Once the application is asked to
// end, its loops return at once; the work's end is still waited for, and the calls it waits
// for served. Without an application, or off its thread, there is no loop to run: the work runs
// in place.
void RunBesideEventLoop(const std::function<void()>& work);

// True on the main thread while work runs there beside the event loop (RunBesideEventLoop):
// what the event loop serves meanwhile (timers, another program's requests, the window's
// close) must not change what the work stands in, and waits for AfterWorkBesideEventLoop.
bool WorkBesideEventLoop();

// Serves the events waiting now, as work that steps on the main thread lets the windows paint:
// user input waits for the work unless a UserInputBesideWork lives.
void ServeEventsBesideWork();

// While one lives, work beside the event loop serves the user's input too: a form that holds
// every other window from it (modal) is up, and its Cancel must be heard.
class UserInputBesideWork {
public:
    UserInputBesideWork();
    ~UserInputBesideWork();
    UserInputBesideWork(const UserInputBesideWork&) = delete;
    UserInputBesideWork& operator=(const UserInputBesideWork&) = delete;
};

// As long as it lives, calls `ended` from the event loop once the last work beside the event
// loop has ended: what waited for it may run now.
class AfterWorkBesideEventLoop {
public:
    explicit AfterWorkBesideEventLoop(std::function<void()> ended);
    ~AfterWorkBesideEventLoop();
    AfterWorkBesideEventLoop(const AfterWorkBesideEventLoop&) = delete;
    AfterWorkBesideEventLoop& operator=(const AfterWorkBesideEventLoop&) = delete;

    void Ended() const { ended_(); }

private:
    std::function<void()> ended_;
};

// A timer of the event loop of the thread that starts it, firing once.
class OneShotTimer {
public:
    OneShotTimer();
    ~OneShotTimer();
    OneShotTimer(const OneShotTimer&) = delete;
    OneShotTimer& operator=(const OneShotTimer&) = delete;

    // Calls `fired` once after `after` unless stopped first; a running timer starts again.
    void Start(std::chrono::milliseconds after, std::function<void()> fired);
    void Stop();

private:
    struct Timer;
    std::unique_ptr<Timer> timer_;
};
