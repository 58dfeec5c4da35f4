#pragma once

// Download tasks of the open binder: pages whose capture had not finished and files to fetch
// into a folder. The queue itself runs in the capture engine; the binder reaches it through
// ITaskQueue (opening, closing and loading the tree).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The kind of a task that captures the page of its node.
inline constexpr const char* UnfinishedPageKind = "unfinishedhtm";

enum TaskState : int32_t {
    TaskDone = 0,
    TaskWaiting = 1,
    TaskRunning = 2,
    TaskCancelled = 3,
    TaskFailed = 4,
    TaskWaitingAgain = 5,
    TaskWrongType = 6,
};

struct Task {
    Task() = default;
    Task(std::string url, std::string localPath, std::string kind)
        : Url(std::move(url)), LocalPath(std::move(localPath)), Kind(std::move(kind)) {}

    std::string Url;
    std::string LocalPath; // a folder
    int32_t State = TaskWaiting;
    std::string Kind; // UnfinishedPageKind, or a comma-separated list of file extensions
    uint32_t NodeId = 0;
    // Why a failed task failed, as the download manager shows it; kept only while the binder is
    // open (the task line has no field for it).
    std::string Failure;

    bool operator==(const Task&) const = default;
};

// One task as the text of a field stream of node id (upper-case hexadecimal), URL, kind, local
// path and state (one digit): a line of the binder file's task section.
std::string SerializeTask(const Task& task);
// Reads a task line; missing fields read as empty, a missing id or state as 0.
Task DeserializeTask(const std::string& line);

// The download manager's word for a state; an unknown state shows its number.
std::string TaskStateText(int32_t state);

class ITaskQueue {
public:
    virtual ~ITaskQueue() = default;
    // Replaces every task by those of the lines, in order, with their stored states.
    virtual void LoadTasks(const std::vector<std::string>& lines) = 0;
    // One task line per task, in order, all states.
    virtual std::vector<std::string> SaveTasks() const = 0;
    // The task lines as they stand now, for a look at the queue from the main thread.
    std::vector<std::string> SnapshotTasks() const { return SaveTasks(); }
    // The tasks as they stand now, with why each failed one failed where that is known.
    virtual std::vector<Task> ListTasks() const;
    // Appends a task and returns its index.
    virtual int AddTask(const Task& task) = 0;
    // The first task of the node gets the state; false when the node has none.
    virtual bool CancelTask(uint32_t nodeId, int32_t state) = 0;
    // True when a page task for this node is queued already.
    virtual bool HasPageTask(uint32_t nodeId) const = 0;
    // Removes every page task whose node `runs` refuses; file tasks keep their places and
    // states.
    virtual void DropPageTasks(const std::function<bool(uint32_t nodeId)>& runs) = 0;
    virtual void StartPolling() = 0;
    // Stops the polling worker and waits until it has ended.
    virtual void Stop() = 0;
};
