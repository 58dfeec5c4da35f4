#pragma once

// The open binder's queue of download tasks, worked through in order by one polling thread.
// One lock guards the tasks and the cursor; the worker sleeps between looks when nothing
// waits, and Stop wakes it and waits for it to end.

#include "app/binder/Task.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class PollTaskQueue;

class TaskQueue : public ITaskQueue {
public:
    // Works one task that the poller has taken (its stored state is 2). Runs on the polling
    // thread; it records the outcome with SetTaskState.
    using TaskRunner = std::function<void(TaskQueue& queue, const Task& task, int index)>;

    static constexpr std::chrono::milliseconds DefaultIdleWait{5000};

    explicit TaskQueue(std::chrono::milliseconds idleWait = DefaultIdleWait);
    ~TaskQueue() override;
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    void SetRunner(TaskRunner runner);
    // Runs on the polling thread each time it starts, before it takes a task: what an earlier
    // run of the binder left behind is cleared there, off the window's thread.
    void SetStartHook(std::function<void(TaskQueue& queue)> hook);
    // Called by Stop, after the stop flag is set and before the poller is waited for, so the
    // task at work can be cut short.
    void SetStopHook(std::function<void()> hook);

    void LoadTasks(const std::vector<std::string>& lines) override;
    std::vector<std::string> SaveTasks() const override;
    int AddTask(const Task& task) override;
    bool HasPageTask(uint32_t nodeId) const override;
    void DropPageTasks(const std::function<bool(uint32_t nodeId)>& runs) override;
    void StartPolling() override;
    void Stop() override;

    // Hands out the task at the cursor with its state set to 2, and returns its index; -1 when
    // none is left. Cancelled tasks are passed over, and so are file tasks that are done (0) or
    // were dropped for their type (6).
    int TakeNextTask(Task& task);
    // The task's state, and why it failed (empty when that is not known or it did not fail).
    void SetTaskState(int index, int32_t state, std::string failure = {});
    // Removes the task (one the poller has taken and will not work).
    void DropTask(int index);
    bool CancelTask(uint32_t nodeId, int32_t state) override;
    void Clear();

    size_t Count() const;
    Task At(int index) const;
    std::vector<Task> Tasks() const;
    std::vector<Task> ListTasks() const override { return Tasks(); }
    bool Polling() const;
    bool StopRequested() const;

private:
    friend class PollTaskQueue;
    // Waits for the idle time or until Stop; true when the poller should end.
    bool WaitIdle();

    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::vector<Task> tasks_;
    size_t cursor_ = 0;
    bool stop_ = false;
    std::chrono::milliseconds idleWait_;
    TaskRunner runner_;
    std::function<void(TaskQueue& queue)> startHook_;
    std::function<void()> stopHook_;
    std::unique_ptr<PollTaskQueue> poller_;
};
