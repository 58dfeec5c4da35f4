#pragma once

// The file tasks of the download queue: a URL to fetch into a folder when it is of one of the
// task's file types. They run on the polling thread.

#include "platform/net/HttpClient.h"

class TaskQueue;
struct Task;

// Works a file task that the poller has taken: state 1 while its type is tested, then 6 when
// the URL is of none of the kind's types, else 2 and DownloadVerified. Stopping the queue
// cuts the transfers short and leaves the task at 1. `options` gives the timeouts.
void RunFileTask(TaskQueue& queue, const Task& task, int index, const HttpOptions& options);

// Downloads the task's URL into its local folder (made with its parents when missing) under
// the URL's text after its last "/", with the characters no file name may hold removed; an
// existing file is replaced. State 0 when the file was written, else 4: an empty, "." or ".."
// name, a failed transfer, an error answer, or a folder or file that cannot be made; 1 when
// stopping the queue cut the transfer short.
void DownloadVerified(TaskQueue& queue, const Task& task, int index, const HttpOptions& options);
