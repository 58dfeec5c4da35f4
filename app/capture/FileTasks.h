#pragma once

// The file tasks of the download queue: a URL to fetch into a folder of the binder's store when
// it is of one of the task's file types. They run on the polling thread.

#include "platform/net/HttpClient.h"

#include <string>

class TaskQueue;
struct FileTaskPlace;
struct Task;

// Works a file task that the poller has taken for the binder in `binderFolder` whose store is
// `storeName`: failed (4) at once, before any request, when its local path names no folder of
// the store (FindFileTaskPlace) or a link or a file stands on the way there; else state 1 while
// its type is tested, then 6 when the URL is of none of the kind's types, else 2 and
// DownloadVerified. Stopping the queue cuts the transfers short and leaves the task at 1.
// `options` gives the timeouts and the largest file taken.
void RunFileTask(TaskQueue& queue, const Task& task, int index, const std::string& binderFolder,
                 const std::string& storeName, const HttpOptions& options);

// Downloads the task's URL into the place's folder (its missing folders made one by one, no
// link followed) under the URL's text after its last "/", with the characters no file name may
// hold removed. Nothing there is replaced: when the name is taken the file gets the first free
// "name (2).ext", "name (3).ext" ... State 0 when the file was written, else 4: an empty or
// hidden name, a failed transfer, an error answer, a body longer than the options allow, or a
// folder or file that cannot be made; 1 when stopping the queue cut the transfer short.
// Nothing of a failed download is left.
void DownloadVerified(TaskQueue& queue, const Task& task, int index, const FileTaskPlace& place,
                      const HttpOptions& options);
