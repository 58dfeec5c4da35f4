#include "app/capture/ResourcePool.h"

#include <memory>

ResourcePool::ResourcePool(size_t threads) {
    for (size_t i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

ResourcePool::~ResourcePool() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void ResourcePool::Work() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        queued_.wait(guard, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            return;
        }
        RunFirst(guard);
    }
}

void ResourcePool::RunFirst(std::unique_lock<std::mutex>& guard) {
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    guard.unlock();
    job();
    guard.lock();
}

void ResourcePool::Run(std::vector<std::function<void()>> jobs) {
    if (jobs.empty()) {
        return;
    }
    // Each job counts itself out when it ends; this call helps with the queue while it waits.
    auto left = std::make_shared<size_t>(jobs.size());
    std::unique_lock<std::mutex> guard(lock_);
    for (std::function<void()>& job : jobs) {
        jobs_.push_back([this, left, job = std::move(job)] {
            job();
            std::lock_guard<std::mutex> counted(lock_);
            if (--*left == 0) {
                ended_.notify_all();
            }
        });
    }
    queued_.notify_all();
    while (*left != 0) {
        if (jobs_.empty()) {
            ended_.wait(guard, [&left, this] { return *left == 0 || !jobs_.empty(); });
            continue;
        }
        RunFirst(guard);
    }
}
