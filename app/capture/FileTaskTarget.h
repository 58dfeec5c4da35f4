#pragma once

// Where a file task's download lands: a folder below the binder's store, reached from the
// store one name at a time without following a link, and a file made there under a name that
// nothing has yet. A binder file may come from anyone; nothing it names can lead a download
// out of the store or replace a file that is there.

#include <optional>
#include <string>
#include <vector>

// An open file or folder, closed when the handle goes.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept : fd_(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Fd() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();

private:
    int fd_ = -1;
};

// The folder a file task downloads into: `Base` (a folder with every link on its way
// resolved) and the names below it, in order.
struct FileTaskPlace {
    std::string Base;
    std::vector<std::string> Names;
};

// The place of a file task of the binder in `binderFolder` whose store is `storeName`, for the
// task's local path ("\" read as "/"): a relative path is taken from the store, an absolute one
// only when it lies inside the store, as written or with its links resolved. Nothing when the
// store, links followed, does not lie inside the binder's folder (or is that folder), or when a
// name of the path below the store is "..", begins with "." or holds a NUL. A store not made
// yet is part of the names.
std::optional<FileTaskPlace> FindFileTaskPlace(const std::string& binderFolder,
                                               const std::string& storeName,
                                               const std::string& localPath);

// How far the names of a place lead.
enum class WalkResult {
    Opened,  // every name is a folder: the handle is the last one
    Missing, // a name is not there yet (only without `make`)
    Refused, // a name is a link, or no folder, or cannot be made or opened
};

// Opens the place's folder: each name below the base opened with O_NOFOLLOW | O_DIRECTORY, and
// with `make` made first when it is missing, so no link on the way is ever followed.
WalkResult OpenPlace(const FileTaskPlace& place, bool make, FileHandle& folder);

// A file made for writing in an open folder.
struct NewFile {
    FileHandle File;
    std::string Name;
};

// Makes the file `name` in the folder with O_CREAT | O_EXCL | O_NOFOLLOW, or, when the name is
// taken (by a file, a folder or a link), the first free one of "stem (2).ext", "stem (3).ext"
// and so on. Nothing when no name could be made.
std::optional<NewFile> CreateFreeFile(const FileHandle& folder, const std::string& name);

// "stem (n).ext" for "stem.ext"; "name (n)" for a name without an extension.
std::string NumberedName(const std::string& name, int number);
