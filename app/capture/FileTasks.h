#pragma once

// The file tasks of the download queue: a URL to fetch into a folder when it is of one of the
// task's file types. They run on the polling thread.

#include "platform/net/HttpClient.h"

#include <string>

class TaskQueue;
struct Task;

// The folder a file task of the binder in `binderFolder` downloads into, with every link on
// its way resolved: the task's local path, taken from the binder's folder when it is relative,
// "\" read as "/". Empty when that folder is not the binder's folder or below it: the tasks
// come with the binder file, which may come from anyone, and could otherwise replace any file
// of the user.
std::string FileTaskFolder(const std::string& binderFolder, const std::string& localPath);

// Works a file task that the poller has taken for the binder in `binderFolder`: failed (4)
// at once, before any request, when its folder is no folder of the binder (FileTaskFolder);
// else state 1 while its type is tested, then 6 when the URL is of none of the kind's types,
// else 2 and DownloadVerified. Stopping the queue cuts the transfers short and leaves the
// task at 1. `options` gives the timeouts and the largest file taken.
void RunFileTask(TaskQueue& queue, const Task& task, int index, const std::string& binderFolder,
                 const HttpOptions& options);

// Downloads the task's URL into `folder` (made with its parents when missing) under the URL's
// text after its last "/", with the characters no file name may hold removed; an existing
// file is replaced. State 0 when the file was written, else 4: an empty, "." or ".." name, a
// failed transfer, an error answer, a body longer than the options allow, or a folder or
// file that cannot be made; 1 when stopping the queue cut the transfer short. Nothing of a
// failed download is left.
void DownloadVerified(TaskQueue& queue, const Task& task, int index, const std::string& folder,
                      const HttpOptions& options);
