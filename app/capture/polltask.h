#pragma once

#include <thread>

class TaskQueue;

// The worker that takes the queue's tasks in order and works each one; with nothing to do it
// sleeps until a task is added, the idle time has passed or the queue is stopped. It starts
// running when made, runs the queue's start hook before its first task, and is joined when
// destroyed.
class PollTaskQueue {
public:
    explicit PollTaskQueue(TaskQueue& queue);
    ~PollTaskQueue();
    PollTaskQueue(const PollTaskQueue&) = delete;
    PollTaskQueue& operator=(const PollTaskQueue&) = delete;

private:
    void Execute();

    TaskQueue& queue_;
    std::thread thread_;
};
