#pragma once

// Running work on the main thread from workers. Workers never touch the tree or a window:
// they post a call (fire and forget) or invoke one and wait for its result. The main thread
// runs queued calls when it is woken (the event loop) and whenever it waits for a worker, so
// a worker blocked in Invoke can never deadlock a main thread that is joining it.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

class MainThreadInvoker {
public:
    using Call = std::function<void()>;
    // Called (from any thread) after a call was queued; the event-loop binding uses it to
    // schedule Drain on the main thread. Tests leave it empty and drain by hand.
    using Wake = std::function<void()>;

    // The calling thread becomes the main thread.
    MainThreadInvoker();
    ~MainThreadInvoker();
    MainThreadInvoker(const MainThreadInvoker&) = delete;
    MainThreadInvoker& operator=(const MainThreadInvoker&) = delete;

    void SetWake(Wake wake);
    bool IsMainThread() const { return std::this_thread::get_id() == mainThread_; }

    // Queues a call for the main thread; runs nothing now.
    void Post(Call call);

    // Runs the call on the main thread and waits for it; on the main thread it runs at once.
    // An exception thrown by the call is rethrown here. Once Shutdown has run, the call is
    // refused with std::runtime_error instead of waiting forever.
    void Invoke(const Call& call);

    template <typename Result> Result InvokeFor(const std::function<Result()>& call) {
        Result result{};
        Invoke([&] { result = call(); });
        return result;
    }

    // Runs every queued call; main thread only. Returns how many ran.
    int Drain();

    // Waits, on the main thread, until `done` is true, running queued calls meanwhile.
    void WaitServing(const std::function<bool()>& done);

    // Joins a worker while serving its calls.
    void JoinServing(std::thread& worker);

    // Refuses every later Invoke and fails the ones still waiting; posted calls are dropped.
    void Shutdown();

private:
    struct Pending {
        Call call;
        std::promise<void> done; // set only for Invoke
        bool waited = false;
    };

    std::thread::id mainThread_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Pending>> queue_;
    Wake wake_;
    bool shutDown_ = false;
};

// The one invoker of the program, made by the main thread at start-up (and by tests).
MainThreadInvoker& Invoker();
// Replaces the program's invoker (tests give each case a fresh one); null restores a default.
void SetInvoker(MainThreadInvoker* invoker);
