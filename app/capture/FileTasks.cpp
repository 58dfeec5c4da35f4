#include "app/capture/FileTasks.h"

#include "app/binder/FileNames.h"
#include "app/capture/UrlDownload.h"
#include "app/capture/taskqueue.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <cstring>
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
FileTaskEnd NotDownloaded(const TaskQueue& queue, std::string why) {
    if (queue.StopRequested()) {
        return {TaskWaiting, std::nullopt, {}};
    }
    return {TaskFailed, std::nullopt, std::move(why)};
}

// Why an answer brought no file.
std::string TransferFailure(const HttpResult& result) {
    if (result.TooLarge) {
        return "the file is larger than the program takes";
    }
    if (result.Completed && result.Status >= 400) {
        return "the server answered " + std::to_string(result.Status);
    }
    return result.Error.empty() ? "the transfer did not complete" : result.Error;
}

} // namespace

FileTaskEnd RunFileTask(TaskQueue& queue, const Task& task, int index,
                        const std::string& binderFolder, const std::string& storeName,
                        const HttpOptions& options) {
    const std::optional<FileTaskPlace> place =
        FindFileTaskPlace(binderFolder, storeName, task.LocalPath);
    if (!place) {
        return {TaskFailed, std::nullopt,
                "its folder " + task.LocalPath + " is no folder inside the store folder " +
                    JoinPath(binderFolder, storeName)};
    }
    FileDescriptor folder;
    std::string why;
    // A link or a file on the way is refused before anything is asked of the server.
    if (OpenPlace(*place, false, folder, &why) == WalkResult::Refused) {
        return {TaskFailed, std::nullopt, why};
    }
    queue.SetTaskState(index, TaskWaiting);
    const bool wanted = IsUrlOfFileTypes(task.Url, task.Kind, StoppableOptions(queue, options));
    if (queue.StopRequested()) {
        return {TaskWaiting, std::nullopt, {}};
    }
    if (!wanted) {
        return {TaskWrongType, std::nullopt, {}};
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
        return {TaskFailed, std::nullopt, "its address names no file that can be kept"};
    }
    HttpOptions transfer = StoppableOptions(queue, options);
    transfer.UserAgent = DownloadAgent;
    FileDescriptor folder;
    std::optional<NewFile> file;
    std::string why;
    const HttpResult result = ThreadHttpClient().GetTo(
        task.Url, transfer,
        [&file](const char* data, size_t length) {
            return WriteAllBytes(file->File.Get(), data, length);
        },
        [&](const HttpResult& headers) {
            // The folders and the file are made only for an answer that will be kept.
            if (!IsDownloadStatus(headers)) {
                why = "the server answered " + std::to_string(headers.Status);
                return false;
            }
            if (OpenPlace(place, true, folder, &why) != WalkResult::Opened) {
                return false;
            }
            file = CreateDownloadTemporary(folder);
            if (!file) {
                why = std::string("no file can be made there (") + std::strerror(errno) + ")";
            }
            return file.has_value();
        });
    if (!file) {
        return NotDownloaded(queue, why.empty() ? TransferFailure(result) : why);
    }
    // On the disk before it takes its name: a name is only ever given to the whole file.
    bool saved = result.Ok() && ::fsync(file->File.Get()) == 0;
    saved = ::close(file->File.Release()) == 0 && saved;
    if (!saved) {
        ::unlinkat(folder.Get(), file->Name.c_str(), 0);
        return NotDownloaded(queue, result.Ok() ? "the file could not be written to the disk"
                                                : TransferFailure(result));
    }
    return {
        TaskDone, DownloadedFile{std::move(folder), std::move(file->Name), std::move(name)}, {}};
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
    end.Failure = "no free name was left for " + file.Name;
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
