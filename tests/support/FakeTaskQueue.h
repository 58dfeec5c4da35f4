#pragma once

// A task queue for tests: keeps the tasks it is given and records polling starts and stops.

#include "app/binder/Task.h"

#include <string>
#include <vector>

class FakeTaskQueue : public ITaskQueue {
public:
    std::vector<Task> Tasks;
    int PollingStarts = 0;
    int Stops = 0;

    void LoadTasks(const std::vector<std::string>& lines) override {
        Tasks.clear();
        for (const std::string& line : lines) {
            Tasks.push_back(DeserializeTask(line));
        }
    }
    std::vector<std::string> SaveTasks() const override {
        std::vector<std::string> lines;
        for (const Task& task : Tasks) {
            lines.push_back(SerializeTask(task));
        }
        return lines;
    }
    int AddTask(const Task& task) override {
        Tasks.push_back(task);
        return static_cast<int>(Tasks.size()) - 1;
    }
    bool HasPageTask(uint32_t nodeId) const override {
        for (const Task& task : Tasks) {
            if (task.NodeId == nodeId && task.Kind == UnfinishedPageKind) {
                return true;
            }
        }
        return false;
    }
    void DropPageTasks(const std::function<bool(uint32_t nodeId)>& runs) override {
        std::erase_if(Tasks, [&](const Task& task) {
            return task.Kind == UnfinishedPageKind && !runs(task.NodeId);
        });
    }
    bool CancelTask(uint32_t nodeId, int32_t state) override {
        for (Task& task : Tasks) {
            if (task.NodeId == nodeId) {
                task.State = state;
                return true;
            }
        }
        return false;
    }
    void StartPolling() override { ++PollingStarts; }
    void Stop() override { ++Stops; }
};
