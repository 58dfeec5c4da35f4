#include "app/binder/BinderFile.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/DirectoryTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Deleting works inside a root that is an absolute folder other than "/" and the folder of
// the binder file, on plain names only, so a damaged or hostile binder file can never aim it
// at the root's parent, at another folder or at the whole disk.
bool SafeToDelete(const std::string& binderFilePath, const TBinderHeader& header) {
    const fs::path root = fs::path(header.Root).lexically_normal();
    return root.is_absolute() && root.has_relative_path() &&
           HoldsBinderFile(header.Root, binderFilePath) && IsPlainEntryName(header.Store) &&
           IsPlainEntryName(header.Save);
}

} // namespace

// A folder typed as a relative path is taken from the current folder, so the binder file
// names a root that stays the same whatever folder the program runs in later.
std::string AbsoluteFolder(const std::string& folder) {
    if (folder.empty() || folder[0] == '/') {
        return folder;
    }
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    return error ? folder : absolute.string();
}

bool PathIsTaken(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || fs::equivalent(a, b, error);
}

bool HoldsBinderFile(const std::string& folder, const std::string& binderFilePath) {
    // Both sides are compared as the files they name, so a folder reached through a link, or
    // named through one, is the folder itself. The file may be a link of its own: the folder
    // it was opened in and the folder of the file it leads to both hold it.
    std::error_code error;
    const fs::path file = fs::absolute(binderFilePath, error);
    if (error) {
        return false;
    }
    if (SameFile(folder, file.parent_path().string())) {
        return true;
    }
    const fs::path target = fs::canonical(file, error);
    return !error && SameFile(folder, target.parent_path().string());
}

bool UsableBinderName(const std::string& name) {
    // The name becomes file names and each value one line of the binder file.
    return IsPlainEntryName(name) && !HasLineBreak(name);
}

bool UsableBinderFolder(const std::string& folder) {
    return !HasLineBreak(folder);
}

TBinderFiles::TBinderFiles(ITaskQueue& queue, ICaptureStarter& capture, TSettings& settings,
                           ISettingsStore& store, BinderPaths& paths, TBinderTree& tree)
    : queue_(queue), capture_(capture), settings_(settings), store_(store), paths_(paths),
      tree_(tree) {}

bool TBinderFiles::BinderOpen() const {
    return !paths_.BinderFilePath.empty();
}

// ---- creating -------------------------------------------------------------------------------

TNewBinderResult TBinderFiles::WriteNewBinder(const std::string& root, const std::string& name,
                                              const std::string& description, TDateTime created) {
    TNewBinderResult result;
    const std::string binderFile = JoinPath(root, name + ".bdf");
    const std::string treeFile = JoinPath(root, name + ".sav");
    std::string error;
    if (PathIsTaken(treeFile) && !WriteFileAtomic(treeFile, "", 0, error)) {
        result.Failure = "can not write file " + treeFile + " (" + error + ")";
        return result;
    }
    // The store is the folder the binder file names, so the pages of the new binder and of
    // an overridden one land where the binder looks for them.
    const std::string storeFolder = JoinPath(root, name + "store");
    if (PathIsTaken(storeFolder) && !DeleteDirectoryTree(storeFolder)) {
        result.StoreNotDeleted = true;
    }
    if (!ForceDirectories(storeFolder)) {
        result.Failure = "Can not create directory " + storeFolder;
        return result;
    }
    const std::string text = NewBinderFileText(root, name, description, DateTimeToStr(created));
    if (!WriteFileAtomic(binderFile, text.data(), text.size(), error)) {
        result.Failure = "can not write file " + binderFile + " (" + error + ")";
        return result;
    }
    // Listed once, also when an entry outlived its binder file.
    RemoveBinderFromList(store_, binderFile);
    AddBinderToList(store_, binderFile);
    return result;
}

// ---- opening --------------------------------------------------------------------------------

std::optional<TBinderFileValues> TBinderFiles::ReadBinderValues(const std::string& binderFilePath,
                                                                std::string& reason) const {
    size_t size = 0;
    errno = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(binderFilePath, &size);
    if (bytes == nullptr) {
        reason = errno != 0 ? std::error_code(errno, std::generic_category()).message()
                            : "it is not a file that can be read";
        return std::nullopt;
    }
    TBinderFileValues values = ParseBinderFile(std::string_view(bytes.get(), size));
    const std::string root = DecodeBinderValue(values.Root);
    const std::string store = DecodeBinderValue(values.Store);
    const std::string save = DecodeBinderValue(values.Save);
    // Without an absolute root the tree file and the pages would be looked for, and written,
    // relative to whatever folder the program runs in.
    if (root.empty()) {
        reason = "it names no binder folder (no \"root=\" value)";
    } else if (root[0] != '/') {
        reason = "its binder folder \"" + root + "\" is not an absolute path";
    } else if (!HoldsBinderFile(root, binderFilePath)) {
        // A file from elsewhere could place its tree file and store in any folder.
        reason = "its binder folder \"" + root + "\" is not the folder that holds the binder file";
    } else if (!IsPlainEntryName(store)) {
        reason = "its store folder \"" + store + "\" is not a name inside the binder folder";
    } else if (!IsPlainEntryName(save)) {
        reason = "its tree file \"" + save + "\" is not a name inside the binder folder";
    } else {
        return values;
    }
    return std::nullopt;
}

std::vector<std::string> TBinderFiles::Open(const std::string& binderFilePath,
                                            const TBinderFileValues& values) {
    const std::string root = DecodeBinderValue(values.Root);
    const std::string store = DecodeBinderValue(values.Store);
    const std::string save = DecodeBinderValue(values.Save);
    queue_.LoadTasks(values.TaskLines);

    paths_.BinderName = values.BinderName;
    paths_.BinderFilePath = binderFilePath;
    paths_.BinderSave = save;
    paths_.BinderRoot = root;
    paths_.BinderStore = store;
    std::vector<std::string> recent = UpdateRecentFiles(store_, binderFilePath);
    settings_.LastFile = binderFilePath;
    paths_.TreeFilePath = JoinPath(root, save);
    return recent;
}

// ---- closing --------------------------------------------------------------------------------

void TBinderFiles::StopBinderWork() {
    const auto cancelAll = [this] {
        for (TTreeNode* node : tree_.Items().AllNodes()) {
            if (TPageInfo* record = NodeRecord(node)) {
                capture_.CancelCapture(*record);
            }
        }
    };
    // Cancelling first ends a page the poller is capturing, so stopping it does not wait for
    // the page; the second round ends what was started in between. Afterwards no thread
    // touches a record any more.
    cancelAll();
    queue_.Stop();
    cancelAll();
}

void TBinderFiles::ResumeBinderWork() {
    queue_.StartPolling();
}

std::vector<std::string> TBinderFiles::WriteTaskSection() {
    std::vector<std::string> messages;
    WriteBinderTaskSection(paths_.BinderFilePath, tree_.Items().Count(), queue_.SaveTasks(),
                           [&](const std::string& text) { messages.push_back(text); });
    return messages;
}

std::vector<std::string> TBinderFiles::FinishClose() {
    std::vector<std::string> messages = WriteTaskSection();
    tree_.CloseTree();
    paths_.BinderFilePath.clear();
    return messages;
}

// ---- deleting -------------------------------------------------------------------------------

std::string TBinderFiles::DeleteBinderFiles(const std::string& binderFilePath) {
    RemoveBinderFromList(store_, binderFilePath);
    TBinderHeader header;
    if (!ReadBinderHeader(binderFilePath, header) || header.Root.empty()) {
        return {};
    }
    if (!SafeToDelete(binderFilePath, header)) {
        return "can not delete binder " + binderFilePath;
    }
    std::error_code ignored;
    DeleteDirectoryTree(JoinPath(header.Root, header.Store));
    fs::remove(JoinPath(header.Root, header.Save), ignored);
    fs::remove(binderFilePath, ignored);
    return {};
}
