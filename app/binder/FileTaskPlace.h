#pragma once

// Where a file task of the binder downloads: the one reading of a task's local path that the
// download, the clean-up at open and the take-over of a store all use, so none of them names
// another folder than the download lands in.

#include <optional>
#include <string>
#include <vector>

// The folder a file task downloads into: `Base` (the binder's folder, with every link on its
// way resolved) and the names below it, in order, the store's first.
struct FileTaskPlace {
    std::string Base;
    std::vector<std::string> Names;
};

// The place of a file task of the binder in `binderFolder` whose store is `storeName`, for the
// task's local path ("\" read as "/"): a relative path is taken from the store, an absolute one
// only when it lies inside the store, as written or with the binder folder's links resolved.
// Nothing when the store is a link or no plain name, or when a name of the path below the store
// is "..", begins with "." or holds a NUL. A store not made yet is a place too.
std::optional<FileTaskPlace> FindFileTaskPlace(const std::string& binderFolder,
                                               const std::string& storeName,
                                               const std::string& localPath);

// The name directly below the store of the folder the task downloads into (FindFileTaskPlace);
// empty when it names none.
std::string FileTaskFolderName(const std::string& binderFolder, const std::string& storeName,
                               const std::string& localPath);
