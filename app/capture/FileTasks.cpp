#include "app/capture/FileTasks.h"

#include "app/binder/FileNames.h"
#include "app/capture/FileTaskTarget.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/taskqueue.h"

#include <cerrno>
#include <unistd.h>

namespace {

HttpOptions StoppableOptions(TaskQueue& queue, const HttpOptions& options) {
    HttpOptions stoppable = options;
    stoppable.Cancelled = [&queue] { return queue.StopRequested(); };
    return stoppable;
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t count = ::write(fd, data, length);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        data += count;
        length -= static_cast<size_t>(count);
    }
    return true;
}

} // namespace

void RunFileTask(TaskQueue& queue, const Task& task, int index, const std::string& binderFolder,
                 const std::string& storeName, const HttpOptions& options) {
    const std::optional<FileTaskPlace> place =
        FindFileTaskPlace(binderFolder, storeName, task.LocalPath);
    FileHandle folder;
    // A link or a file on the way is refused before anything is asked of the server.
    if (!place || OpenPlace(*place, false, folder) == WalkResult::Refused) {
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
    DownloadVerified(queue, task, index, *place, options);
}

void DownloadVerified(TaskQueue& queue, const Task& task, int index, const FileTaskPlace& place,
                      const HttpOptions& options) {
    const size_t slash = task.Url.rfind('/');
    const std::string name =
        CleanFileName(slash == std::string::npos ? task.Url : task.Url.substr(slash + 1));
    // ".", ".." and hidden names are no file the store should get.
    if (name.empty() || name[0] == '.') {
        queue.SetTaskState(index, TaskFailed);
        return;
    }
    HttpOptions transfer = StoppableOptions(queue, options);
    transfer.UserAgent = DownloadAgent;
    FileHandle folder;
    std::optional<NewFile> file;
    const HttpResult result = ThreadHttpClient().GetTo(
        task.Url, transfer,
        [&file](const char* data, size_t length) {
            return WriteAll(file->File.Fd(), data, length);
        },
        [&](const HttpResult& headers) {
            // The folders and the file are made only for an answer that will be kept.
            if (!IsDownloadStatus(headers) ||
                OpenPlace(place, true, folder) != WalkResult::Opened) {
                return false;
            }
            file = CreateFreeFile(folder, name);
            return file.has_value();
        });
    bool saved = result.Ok() && file.has_value();
    if (file) {
        saved = ::close(file->File.Release()) == 0 && saved;
        if (!saved) {
            ::unlinkat(folder.Fd(), file->Name.c_str(), 0);
        }
    }
    queue.SetTaskState(index, saved ? TaskDone : queue.StopRequested() ? TaskWaiting : TaskFailed);
}
