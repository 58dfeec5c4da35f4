#include "app/capture/polltask.h"

#include "app/capture/taskqueue.h"
#include "platform/base/Invoker.h"

PollTaskQueue::PollTaskQueue(TaskQueue& queue) : queue_(queue) {
    thread_ = std::thread([this] { Execute(); });
}

PollTaskQueue::~PollTaskQueue() {
    // The worker may be waiting for the main thread (a tree look-up); joining from the main
    // thread keeps serving those calls.
    Invoker().JoinServing(thread_);
}

void PollTaskQueue::Execute() {
    std::function<void(TaskQueue&)> start;
    {
        std::lock_guard<std::mutex> guard(queue_.lock_);
        start = queue_.startHook_;
    }
    if (start && !queue_.StopRequested()) {
        start(queue_);
    }
    while (!queue_.StopRequested()) {
        Task task;
        const int index = queue_.TakeNextTask(task);
        if (index < 0) {
            if (queue_.WaitIdle()) {
                return;
            }
            continue;
        }
        TaskQueue::TaskRunner runner;
        {
            std::lock_guard<std::mutex> guard(queue_.lock_);
            runner = queue_.runner_;
        }
        if (runner) {
            runner(queue_, task, index);
        } else {
            queue_.SetTaskState(index, TaskFailed); // nothing can work it
        }
    }
}
