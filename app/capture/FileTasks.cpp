#include "app/capture/FileTasks.h"

#include "app/capture/PathRules.h"
#include "app/capture/ResourceStore.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/taskqueue.h"
#include "platform/base/Files.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

HttpOptions StoppableOptions(TaskQueue& queue, const HttpOptions& options) {
    HttpOptions stoppable = options;
    stoppable.Cancelled = [&queue] { return queue.StopRequested(); };
    return stoppable;
}

} // namespace

std::string FileTaskFolder(const std::string& binderFolder, const std::string& localPath) {
    // A NUL would end the path the system sees before the one checked here.
    if (binderFolder.empty() || localPath.find('\0') != std::string::npos) {
        return {};
    }
    std::error_code error;
    const fs::path root = fs::canonical(binderFolder, error);
    if (error) {
        return {};
    }
    fs::path folder(NativePath(localPath));
    if (folder.is_relative()) {
        folder = root / folder;
    }
    // Links and ".." are resolved as the system will when the folder is made and written.
    folder = fs::weakly_canonical(folder, error);
    if (error || !LiesWithin(root, folder)) {
        return {};
    }
    return folder.string();
}

void RunFileTask(TaskQueue& queue, const Task& task, int index, const std::string& binderFolder,
                 const HttpOptions& options) {
    const std::string folder = FileTaskFolder(binderFolder, task.LocalPath);
    if (folder.empty()) {
        queue.SetTaskState(index, TaskFailed);
        return;
    }
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
    DownloadVerified(queue, task, index, folder, options);
}

void DownloadVerified(TaskQueue& queue, const Task& task, int index, const std::string& folder,
                      const HttpOptions& options) {
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
    const ResourceStore store(folder);
    const bool saved = store.Download(task.Url, name, transfer);
    queue.SetTaskState(index, saved ? TaskDone : queue.StopRequested() ? TaskWaiting : TaskFailed);
}
