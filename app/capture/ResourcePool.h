#pragma once

// Worker threads that fetch a page's resources side by side. Each thread keeps its own
// connections (ThreadHttpClient), so they stay alive from one page to the next.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ResourcePool {
public:
    explicit ResourcePool(size_t threads);
    // Waits for the work running and joins the threads.
    ~ResourcePool();
    ResourcePool(const ResourcePool&) = delete;
    ResourcePool& operator=(const ResourcePool&) = delete;

    // Runs every job, on the pool's threads and on the calling thread, and returns when all
    // have ended. Jobs must not throw.
    void Run(std::vector<std::function<void()>> jobs);

private:
    void Work();
    // Runs the first queued job with the lock let go meanwhile.
    void RunFirst(std::unique_lock<std::mutex>& guard);

    std::mutex lock_;
    std::condition_variable queued_;
    std::condition_variable ended_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
