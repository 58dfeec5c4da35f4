#include "app/capture/taskqueue.h"

#include "app/capture/polltask.h"
#include "platform/base/StringUtils.h"

TaskQueue::TaskQueue(std::chrono::milliseconds idleWait) : idleWait_(idleWait) {
    tasks_.reserve(100);
}

TaskQueue::~TaskQueue() {
    Stop();
}

void TaskQueue::SetRunner(TaskRunner runner) {
    std::lock_guard<std::mutex> guard(lock_);
    runner_ = std::move(runner);
}

void TaskQueue::SetStartHook(std::function<void(TaskQueue& queue)> hook) {
    std::lock_guard<std::mutex> guard(lock_);
    startHook_ = std::move(hook);
}

void TaskQueue::SetStopHook(std::function<void()> hook) {
    std::lock_guard<std::mutex> guard(lock_);
    stopHook_ = std::move(hook);
}

void TaskQueue::LoadTasks(const std::vector<std::string>& lines) {
    std::lock_guard<std::mutex> guard(lock_);
    tasks_.clear();
    for (const std::string& line : lines) {
        tasks_.push_back(DeserializeTask(line));
    }
    cursor_ = 0;
    stop_ = false;
}

std::vector<std::string> TaskQueue::SaveTasks() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> lines;
    lines.reserve(tasks_.size());
    for (const Task& task : tasks_) {
        lines.push_back(SerializeTask(task));
    }
    return lines;
}

int TaskQueue::AddTask(const Task& task) {
    int index = 0;
    {
        // The index is read with the append: a task another thread adds after the lock is
        // let go would otherwise give this one its own index.
        std::lock_guard<std::mutex> guard(lock_);
        tasks_.push_back(task);
        index = static_cast<int>(tasks_.size()) - 1;
    }
    wake_.notify_all();
    return index;
}

bool TaskQueue::HasPageTask(uint32_t nodeId) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (const Task& task : tasks_) {
        if (task.NodeId == nodeId && LowerCase(task.Kind) == UnfinishedPageKind) {
            return true;
        }
    }
    return false;
}

void TaskQueue::DropPageTasks(const std::function<bool(uint32_t nodeId)>& runs) {
    std::lock_guard<std::mutex> guard(lock_);
    size_t kept = 0;
    size_t cursor = cursor_;
    for (size_t i = 0; i < tasks_.size(); ++i) {
        if (LowerCase(tasks_[i].Kind) == UnfinishedPageKind && !runs(tasks_[i].NodeId)) {
            cursor -= i < cursor_ ? 1 : 0;
            continue;
        }
        if (kept != i) {
            tasks_[kept] = std::move(tasks_[i]);
        }
        ++kept;
    }
    tasks_.resize(kept);
    cursor_ = cursor;
}

void TaskQueue::DropTask(int index) {
    std::lock_guard<std::mutex> guard(lock_);
    if (index < 0 || static_cast<size_t>(index) >= tasks_.size()) {
        return;
    }
    tasks_.erase(tasks_.begin() + index);
    if (static_cast<size_t>(index) < cursor_) {
        --cursor_;
    }
}

namespace {

// A task the user cancelled in the download manager is never worked, nor is a file task whose
// file was fetched or refused for its type: it stays listed, but working it again would fetch
// the file once more at every opening of the binder.
bool PassedOver(const Task& task) {
    if (task.State == TaskCancelled) {
        return true;
    }
    return LowerCase(task.Kind) != UnfinishedPageKind &&
           (task.State == TaskDone || task.State == TaskWrongType);
}

} // namespace

int TaskQueue::TakeNextTask(Task& task) {
    std::lock_guard<std::mutex> guard(lock_);
    while (cursor_ < tasks_.size() && PassedOver(tasks_[cursor_])) {
        ++cursor_;
    }
    if (cursor_ >= tasks_.size()) {
        return -1;
    }
    tasks_[cursor_].State = TaskRunning;
    task = tasks_[cursor_];
    return static_cast<int>(cursor_++);
}

void TaskQueue::SetTaskState(int index, int32_t state, std::string failure) {
    std::lock_guard<std::mutex> guard(lock_);
    if (index >= 0 && static_cast<size_t>(index) < tasks_.size()) {
        Task& task = tasks_[static_cast<size_t>(index)];
        task.State = state;
        task.Failure = state == TaskFailed ? std::move(failure) : std::string();
    }
}

bool TaskQueue::CancelTask(uint32_t nodeId, int32_t state) {
    std::lock_guard<std::mutex> guard(lock_);
    for (Task& task : tasks_) {
        if (task.NodeId == nodeId) {
            task.State = state;
            return true;
        }
    }
    return false;
}

void TaskQueue::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    tasks_.clear();
    cursor_ = 0;
}

size_t TaskQueue::Count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return tasks_.size();
}

Task TaskQueue::At(int index) const {
    std::lock_guard<std::mutex> guard(lock_);
    return index >= 0 && static_cast<size_t>(index) < tasks_.size()
               ? tasks_[static_cast<size_t>(index)]
               : Task();
}

std::vector<Task> TaskQueue::Tasks() const {
    std::lock_guard<std::mutex> guard(lock_);
    return tasks_;
}

bool TaskQueue::Polling() const {
    std::lock_guard<std::mutex> guard(lock_);
    return poller_ != nullptr;
}

bool TaskQueue::StopRequested() const {
    std::lock_guard<std::mutex> guard(lock_);
    return stop_;
}

void TaskQueue::StartPolling() {
    std::lock_guard<std::mutex> guard(lock_);
    if (poller_) {
        return; // one poller per queue: a second would work the same tasks twice
    }
    stop_ = false;
    poller_ = std::make_unique<PollTaskQueue>(*this);
}

void TaskQueue::Stop() {
    std::unique_ptr<PollTaskQueue> poller;
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
        poller = std::move(poller_);
        hook = stopHook_;
    }
    wake_.notify_all();
    if (hook) {
        hook();
    }
    poller.reset(); // joins the thread
}

bool TaskQueue::WaitIdle() {
    std::unique_lock<std::mutex> guard(lock_);
    wake_.wait_for(guard, idleWait_, [this] { return stop_ || cursor_ < tasks_.size(); });
    return stop_;
}
