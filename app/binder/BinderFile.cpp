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
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Why a binder file's store or save value cannot be taken; empty when both can. Each must name
// one entry directly in the binder's folder, and no hidden one: a name beginning with "." would
// be a folder of the user's settings among the user's own files.
std::string RefusedEntries(const std::string& store, const std::string& save) {
    const std::pair<const std::string*, const char*> entries[] = {{&store, "store folder"},
                                                                  {&save, "tree file"}};
    for (const auto& [value, what] : entries) {
        if (!IsPlainEntryName(*value)) {
            return "its " + std::string(what) + " \"" + *value +
                   "\" is not a name inside the binder folder";
        }
        if ((*value)[0] == '.') {
            return "its " + std::string(what) + " \"" + *value + "\" begins with \".\"";
        }
    }
    return {};
}

// The ids of the nodes the tree file names, as far as it can be read.
std::vector<uint32_t> TreeFileNodeIds(const std::string& treeFile) {
    std::vector<uint32_t> ids;
    size_t size = 0;
    const std::unique_ptr<char[]> bytes = LoadFileToBuffer(treeFile, size);
    if (bytes == nullptr) {
        return ids;
    }
    TTreeNodes tree;
    TreeLoadContext context;
    LoadTreeDump(tree, std::string_view(bytes.get(), size), context);
    for (TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (const TPageInfo* record = NodeRecord(node)) {
            ids.push_back(record->Id);
        }
    }
    ClearTree(tree);
    return ids;
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

std::optional<TBinderToOpen> TBinderFiles::ReadBinderValues(const std::string& binderFilePath,
                                                            std::string& reason) const {
    size_t size = 0;
    errno = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(binderFilePath, &size);
    if (bytes == nullptr) {
        reason = errno != 0 ? std::error_code(errno, std::generic_category()).message()
                            : "it is not a file that can be read";
        return std::nullopt;
    }
    TBinderToOpen binder;
    binder.Values = ParseBinderFile(std::string_view(bytes.get(), size));
    // The folder of the file, whatever "root=" says: a binder folder that was moved or copied
    // opens where it is now, and a file from elsewhere reaches no other folder.
    binder.Folder = BinderFolderOf(binderFilePath);
    if (binder.Folder.empty()) {
        reason = "it is not a file that can be read";
        return std::nullopt;
    }
    reason = RefusedEntries(DecodeBinderValue(binder.Values.Store),
                            DecodeBinderValue(binder.Values.Save));
    if (!reason.empty()) {
        return std::nullopt;
    }
    return binder;
}

std::vector<std::string> TBinderFiles::Open(const std::string& binderFilePath,
                                            const TBinderToOpen& binder) {
    const TBinderFileValues& values = binder.Values;
    queue_.LoadTasks(values.TaskLines);

    paths_.BinderName = values.BinderName;
    paths_.BinderFilePath = binderFilePath;
    paths_.BinderSave = DecodeBinderValue(values.Save);
    paths_.BinderRoot = binder.Folder;
    paths_.BinderStore = DecodeBinderValue(values.Store);
    std::vector<std::string> recent = UpdateRecentFiles(store_, binderFilePath);
    settings_.LastFile = binderFilePath;
    paths_.TreeFilePath = JoinPath(paths_.BinderRoot, paths_.BinderSave);
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
    if (!RefusedEntries(header.Store, header.Save).empty()) {
        return "can not delete binder " + binderFilePath;
    }
    // The store goes by the folders its nodes were given, never by a name the files hold, and
    // whole only once it is empty: what the user keeps there stays.
    const std::string storeFolder = JoinPath(header.Root, header.Store);
    const std::string treeFile = JoinPath(header.Root, header.Save);
    for (uint32_t id : TreeFileNodeIds(treeFile)) {
        const std::string folder = JoinPath(storeFolder, IntToHex(id, 1));
        if (PathIsTaken(folder)) {
            DeleteDirectoryTree(folder);
        }
    }
    ::rmdir(storeFolder.c_str());
    std::error_code ignored;
    fs::remove(treeFile, ignored);
    fs::remove(binderFilePath, ignored);
    return {};
}
