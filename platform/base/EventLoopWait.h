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
// timers run meanwhile. Without an application, or off its thread, there is no loop to run: the
// work runs in place.
void RunBesideEventLoop(const std::function<void()>& work);

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
