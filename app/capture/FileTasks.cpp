#include "app/capture/FileTasks.h"

#include "app/binder/FileNames.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/taskqueue.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

HttpOptions StoppableOptions(TaskQueue& queue, const HttpOptions& options) {
    HttpOptions stoppable = options;
    stoppable.Cancelled = [&queue] { return queue.StopRequested(); };
    return stoppable;
}

// A failed download, or one cut short by closing the binder (then pending, worked at the next
// open).
FileTaskEnd NotDownloaded(const TaskQueue& queue) {
    return {queue.StopRequested() ? TaskWaiting : TaskFailed, std::nullopt};
}

} // namespace

FileTaskEnd RunFileTask(TaskQueue& queue, const Task& task, int index,
                        const std::string& binderFolder, const std::string& storeName,
                        const HttpOptions& options) {
    const std::optional<FileTaskPlace> place =
        FindFileTaskPlace(binderFolder, storeName, task.LocalPath);
    FileDescriptor folder;
    // A link or a file on the way is refused before anything is asked of the server.
    if (!place || OpenPlace(*place, false, folder) == WalkResult::Refused) {
        return {TaskFailed, std::nullopt};
    }
    queue.SetTaskState(index, TaskWaiting);
    const bool wanted = IsUrlOfFileTypes(task.Url, task.Kind, StoppableOptions(queue, options));
    if (queue.StopRequested()) {
        return {TaskWaiting, std::nullopt};
    }
    if (!wanted) {
        return {TaskWrongType, std::nullopt};
    }
    queue.SetTaskState(index, TaskRunning);
    return DownloadVerified(queue, task, *place, options);
}

FileTaskEnd DownloadVerified(TaskQueue& queue, const Task& task, const FileTaskPlace& place,
                             const HttpOptions& options) {
    const size_t slash = task.Url.rfind('/');
    std::string name =
        CleanFileName(slash == std::string::npos ? task.Url : task.Url.substr(slash + 1));
    // ".", ".." and hidden names are no file the store should get.
    if (name.empty() || name[0] == '.') {
        return {TaskFailed, std::nullopt};
    }
    HttpOptions transfer = StoppableOptions(queue, options);
    transfer.UserAgent = DownloadAgent;
    FileDescriptor folder;
    std::optional<NewFile> file;
    const HttpResult result = ThreadHttpClient().GetTo(
        task.Url, transfer,
        [&file](const char* data, size_t length) {
            return WriteAllBytes(file->File.Get(), data, length);
        },
        [&](const HttpResult& headers) {
            // The folders and the file are made only for an answer that will be kept.
            if (!IsDownloadStatus(headers) ||
                OpenPlace(place, true, folder) != WalkResult::Opened) {
                return false;
            }
            file = CreateDownloadTemporary(folder);
            return file.has_value();
        });
    if (!file) {
        return NotDownloaded(queue);
    }
    // On the disk before it takes its name: a name is only ever given to the whole file.
    bool saved = result.Ok() && ::fsync(file->File.Get()) == 0;
    saved = ::close(file->File.Release()) == 0 && saved;
    if (!saved) {
        ::unlinkat(folder.Get(), file->Name.c_str(), 0);
        return NotDownloaded(queue);
    }
    return {TaskDone, DownloadedFile{std::move(folder), std::move(file->Name), std::move(name)}};
}

int32_t FinishFileTask(FileTaskEnd& end) {
    if (!end.File) {
        return end.State;
    }
    DownloadedFile& file = *end.File;
    if (TakeFreeName(file.Folder, file.Temporary, file.Name)) {
        end.File.reset();
        return TaskDone;
    }
    DiscardFileTaskEnd(end);
    return TaskFailed;
}

void DiscardFileTaskEnd(FileTaskEnd& end) {
    if (end.File) {
        ::unlinkat(end.File->Folder.Get(), end.File->Temporary.c_str(), 0);
        end.File.reset();
    }
}

int RemoveFileTaskLeftovers(const std::string& binderFolder, const std::string& storeName,
                            const std::vector<Task>& tasks) {
    std::set<std::pair<dev_t, ino_t>> swept;
    int removed = 0;
    for (const Task& task : tasks) {
        if (SameText(task.Kind, UnfinishedPageKind)) {
            continue;
        }
        const std::optional<FileTaskPlace> place =
            FindFileTaskPlace(binderFolder, storeName, task.LocalPath);
        FileDescriptor folder;
        struct stat info;
        if (place && OpenPlace(*place, false, folder) == WalkResult::Opened &&
            ::fstat(folder.Get(), &info) == 0 && swept.insert({info.st_dev, info.st_ino}).second) {
            removed += RemoveDownloadTemporaries(folder);
        }
    }
    return removed;
}
