#include "app/binder/Task.h"

#include "app/binder/StringMessage.h"
#include "platform/base/StringUtils.h"

std::string SerializeTask(const Task& task) {
    StringMessageI18N message;
    message.AddString(IntToHex(task.NodeId, 1));
    message.AddString(task.Url);
    message.AddString(task.Kind);
    message.AddString(task.LocalPath);
    message.AddString(IntToStr(task.State));
    return message.ToString();
}

Task DeserializeTask(const std::string& line) {
    StringMessageI18N message(line.data(), line.size());
    Task task;
    uint32_t id = 0;
    ScanHex(message.ReadString(), id);
    task.NodeId = id;
    task.Url = message.ReadString();
    task.Kind = message.ReadString();
    task.LocalPath = message.ReadString();
    const std::string state = message.ReadString();
    task.State = 0;
    if (!state.empty() && state[0] >= '0' && state[0] <= '9') {
        task.State = state[0] - '0';
    }
    return task;
}

std::string TaskStateText(int32_t state) {
    switch (state) {
    case TaskDone:
        return "successed";
    case TaskWaiting:
    case TaskWaitingAgain:
        return "pending";
    case TaskRunning:
        return "downloading";
    case TaskCancelled:
        return "canceled";
    case TaskFailed:
        return "failed";
    default:
        return IntToStr(state);
    }
}

std::vector<Task> ITaskQueue::ListTasks() const {
    std::vector<Task> tasks;
    for (const std::string& line : SaveTasks()) {
        tasks.push_back(DeserializeTask(line));
    }
    return tasks;
}
