#include "app/capture/FileTasks.h"

#include "app/capture/PathRules.h"
#include "app/capture/ResourceStore.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/taskqueue.h"
#include "platform/base/Files.h"

namespace {

HttpOptions StoppableOptions(TaskQueue& queue, const HttpOptions& options) {
    HttpOptions stoppable = options;
    stoppable.Cancelled = [&queue] { return queue.StopRequested(); };
    return stoppable;
}

} // namespace

void RunFileTask(TaskQueue& queue, const Task& task, int index, const HttpOptions& options) {
    queue.SetTaskState(index, TaskWaiting);
    const bool wanted = IsUrlOfFileTypes(task.Url, task.Kind, StoppableOptions(queue, options));
    if (queue.StopRequested()) {
        return; // cut short by closing the binder: still pending, worked at the next open
    }
    if (!wanted) {
        queue.SetTaskState(index, TaskWrongType);
        return;
    }
    queue.SetTaskState(index, TaskRunning);
    DownloadVerified(queue, task, index, options);
}

void DownloadVerified(TaskQueue& queue, const Task& task, int index, const HttpOptions& options) {
    const size_t slash = task.Url.rfind('/');
    const std::string name =
        CleanFileName(slash == std::string::npos ? task.Url : task.Url.substr(slash + 1));
    // These names are no file of the folder; the store refuses whatever else would leave it.
    if (name.empty() || name == "." || name == "..") {
        queue.SetTaskState(index, TaskFailed);
        return;
    }
    HttpOptions transfer = StoppableOptions(queue, options);
    transfer.UserAgent = DownloadAgent;
    const ResourceStore folder(NativePath(task.LocalPath));
    const bool saved = folder.Download(task.Url, name, transfer);
    queue.SetTaskState(index, saved ? TaskDone : queue.StopRequested() ? TaskWaiting : TaskFailed);
}
