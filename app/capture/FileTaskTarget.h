#pragma once

// Where a file task's download lands: a folder below the binder's store, reached from the
// binder's folder one name at a time without following a link, the store included, and a file
// there that is written under a temporary name of the program's own and takes its name, one
// nothing has yet, only once it is complete. A binder file may come from anyone; nothing it
// names can lead a download out of the store or replace a file that is there, and a download
// cut short never stands under the name of the file it was to be.

#include "app/binder/FileTaskPlace.h"
#include "platform/base/FileDescriptor.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// How far the names of a place lead.
enum class WalkResult {
    Opened,  // every name is a folder: the handle is the last one
    Missing, // a name is not there yet (only without `make`)
    Refused, // a name is a link, or no folder, or cannot be made or opened
};

// Opens the place's folder: each name below the base opened with O_NOFOLLOW | O_DIRECTORY, and
// with `make` made first when it is missing, so no link on the way is ever followed. The store
// and the folder directly in it must be the program's (marked; StoreAccess), and are made
// marked; a store or such a folder of the user's is refused, and then `why`, when given, says
// which folder and why.
WalkResult OpenPlace(const FileTaskPlace& place, bool make, FileDescriptor& folder,
                     std::string* why = nullptr);

// A file made for writing in an open folder.
struct NewFile {
    FileDescriptor File;
    std::string Name;
};

// True for a name a download has while it is written: ".tarnwick-download-", sixteen
// upper-case hexadecimal digits and ".part". No file a task fetches is given a name that
// begins with ".", so none is ever taken for one.
bool IsDownloadTemporary(std::string_view name);

// Makes a new file of a download-temporary name in the folder (O_CREAT | O_EXCL | O_NOFOLLOW).
// Nothing when none could be made.
std::optional<NewFile> CreateDownloadTemporary(const FileDescriptor& folder);

// Gives the complete file `temporary` of the folder the name `name`, or, when the name is
// taken (by a file, a folder or a link), the first free one of "stem (2).ext", "stem (3).ext"
// and so on, without replacing anything on the way; the folder is then flushed to the disk, so
// the name is there before anyone is told. The name given, or nothing when none could be
// (the temporary is then still there).
std::optional<std::string> TakeFreeName(const FileDescriptor& folder, const std::string& temporary,
                                        const std::string& name);

// Removes the download temporaries (files only, never through a link) that lie directly in
// the folder: what downloads cut short by a crash left. Returns how many went.
int RemoveDownloadTemporaries(const FileDescriptor& folder);

// "stem (n).ext" for "stem.ext"; "name (n)" for a name without an extension.
std::string NumberedName(const std::string& name, int number);
