#pragma once

// The file tasks of the download queue: a URL to fetch into a folder of the binder's store when
// it is of one of the task's file types. They run on the polling thread; how each ends is
// settled on the main thread (FinishFileTask), where the binder file is written.

#include "app/binder/Task.h"
#include "app/capture/FileTaskTarget.h"
#include "platform/net/HttpClient.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class TaskQueue;

// A complete download, still under its temporary name in the folder it was written in, and the
// name it is to take.
struct DownloadedFile {
    FileDescriptor Folder;
    std::string Temporary;
    std::string Name;
};

// How a file task the poller worked has ended: done (0) with the file it brought, failed (4) or
// not of a wanted type (6); pending (1) when stopping the queue cut it short.
struct FileTaskEnd {
    int32_t State = TaskFailed;
    std::optional<DownloadedFile> File;
    // Why a failed task failed, as the download manager shows it.
    std::string Failure;
};

// Works a file task that the poller has taken for the binder in `binderFolder` whose store is
// `storeName`: failed at once, before any request, when its local path names no folder of the
// store (FindFileTaskPlace) or a link or a file stands on the way there; else state 1 while its
// type is tested, then not of a wanted type when the URL is of none of the kind's types, else 2
// and DownloadVerified. `options` gives the timeouts and the largest file taken.
FileTaskEnd RunFileTask(TaskQueue& queue, const Task& task, int index,
                        const std::string& binderFolder, const std::string& storeName,
                        const HttpOptions& options);

// Downloads the task's URL into the place's folder (its missing folders made one by one, no
// link followed) under a download-temporary name, flushed to the disk; the name it is to take
// is the URL's text after its last "/", with the characters no file name may hold removed.
// Failed for an empty or hidden name, a failed transfer, an error answer, a body longer than
// the options allow, or a folder or file that cannot be made, and nothing of it is left;
// pending when stopping the queue cut the transfer short.
FileTaskEnd DownloadVerified(TaskQueue& queue, const Task& task, const FileTaskPlace& place,
                             const HttpOptions& options);

// The end of a file task, on the main thread: the file it brought takes its name, or the first
// free numbered one beside it (TakeFreeName), and the task is done; when no name can be given
// the file goes and the task failed. Returns the task's state.
int32_t FinishFileTask(FileTaskEnd& end);

// Removes the file a download brought without giving it a name (the main thread could not
// take the end of its task).
void DiscardFileTaskEnd(FileTaskEnd& end);

// Removes what downloads cut short by a crash left: the download temporaries directly in the
// folders of the file tasks of the binder (FindFileTaskPlace, walked without following a link,
// nothing made), each folder once. Nothing else is touched. Returns how many went.
int RemoveFileTaskLeftovers(const std::string& binderFolder, const std::string& storeName,
                            const std::vector<Task>& tasks);
