#include "platform/base/Invoker.h"

#include <atomic>
#include <chrono>
#include <stdexcept>

MainThreadInvoker::MainThreadInvoker() : mainThread_(std::this_thread::get_id()) {}

MainThreadInvoker::~MainThreadInvoker() {
    Shutdown();
}

void MainThreadInvoker::SetWake(Wake wake) {
    std::lock_guard<std::mutex> guard(lock_);
    wake_ = std::move(wake);
}

void MainThreadInvoker::Post(Call call) {
    Wake wake;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (shutDown_) {
            return;
        }
        auto pending = std::make_unique<Pending>();
        pending->call = std::move(call);
        queue_.push_back(std::move(pending));
        wake = wake_;
    }
    changed_.notify_all();
    if (wake) {
        wake();
    }
}

void MainThreadInvoker::Invoke(const Call& call) {
    if (IsMainThread()) {
        call();
        return;
    }
    std::future<void> finished;
    Wake wake;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (shutDown_) {
            throw std::runtime_error("the main thread no longer takes calls");
        }
        auto pending = std::make_unique<Pending>();
        pending->call = call;
        pending->waited = true;
        finished = pending->done.get_future();
        queue_.push_back(std::move(pending));
        wake = wake_;
    }
    changed_.notify_all();
    if (wake) {
        wake();
    }
    finished.get();
}

int MainThreadInvoker::Drain() {
    int ran = 0;
    for (;;) {
        std::unique_ptr<Pending> next;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (queue_.empty()) {
                return ran;
            }
            next = std::move(queue_.front());
            queue_.pop_front();
        }
        ++ran;
        // The error leaves the catch block before the waiting worker can see it, and the
        // promise takes the only reference, so the exception is released where the checkers
        // can see the hand-over (the refcount inside the C++ runtime is invisible to them).
        std::exception_ptr error;
        try {
            next->call();
        } catch (...) {
            error = std::current_exception();
            // A posted call has nobody to report to; its own code handles its errors.
        }
        if (next->waited) {
            if (error) {
                next->done.set_exception(std::move(error));
            } else {
                next->done.set_value();
            }
        }
    }
}

void MainThreadInvoker::WaitServing(const std::function<bool()>& done) {
    while (!done()) {
        Drain();
        std::unique_lock<std::mutex> guard(lock_);
        // Short waits: `done` may turn true without anything being queued.
        changed_.wait_for(guard, std::chrono::milliseconds(5), [this] { return !queue_.empty(); });
    }
    Drain();
}

void MainThreadInvoker::JoinServing(std::thread& worker) {
    if (!worker.joinable()) {
        return;
    }
    if (!IsMainThread()) {
        worker.join();
        return;
    }
    auto finished = std::make_shared<std::atomic<bool>>(false);
    // The worker cannot signal its own end, so a helper thread does the join and reports it.
    std::thread joiner([&worker, finished, this] {
        worker.join();
        finished->store(true);
        changed_.notify_all();
    });
    WaitServing([&] { return finished->load(); });
    joiner.join();
}

void MainThreadInvoker::Shutdown() {
    std::deque<std::unique_ptr<Pending>> dropped;
    {
        std::lock_guard<std::mutex> guard(lock_);
        shutDown_ = true;
        dropped.swap(queue_);
    }
    for (auto& pending : dropped) {
        if (pending->waited) {
            pending->done.set_exception(std::make_exception_ptr(
                std::runtime_error("the main thread no longer takes calls")));
        }
    }
}

namespace {
std::atomic<MainThreadInvoker*> current{nullptr};
} // namespace

MainThreadInvoker& Invoker() {
    MainThreadInvoker* invoker = current.load();
    if (invoker == nullptr) {
        static MainThreadInvoker fallback;
        return fallback;
    }
    return *invoker;
}

void SetInvoker(MainThreadInvoker* invoker) {
    current.store(invoker);
}
