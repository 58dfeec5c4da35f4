#include "app/binder/BinderFile.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/FoldersLeft.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StoreFiles.h"
#include "app/binder/StoreLeftovers.h"
#include "app/binder/StoreTakeOver.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"
#include "platform/base/FolderEntries.h"
#include "platform/base/StringUtils.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The name every store the program makes ends in: "<binder name>store".
constexpr std::string_view StoreSuffix = "store";

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Why a binder file's store or save value cannot be taken; empty when both can. The binder's
// files are never reached through a link, and the store is named as the program names every
// store it makes; no rule on names is trusted alone, though: nothing is removed there that the
// program did not make (StoreAccess). The folder the binder lies in may be any folder, a hidden
// one too: many users keep their data below ~/.local/share.
std::string RefusedEntries(const std::string& folder, const std::string& store,
                           const std::string& save) {
    const std::pair<const std::string*, const char*> entries[] = {{&store, "store folder"},
                                                                  {&save, "tree file"}};
    for (const auto& [value, what] : entries) {
        // Each must name one entry directly in the binder's folder, and no hidden one: a name
        // beginning with "." would be a folder of the user's settings among the user's files.
        if (!IsPlainEntryName(*value)) {
            return "its " + std::string(what) + " \"" + *value +
                   "\" is not a name inside the binder folder";
        }
        if ((*value)[0] == '.') {
            return "its " + std::string(what) + " \"" + *value + "\" begins with \".\"";
        }
    }
    if (!store.ends_with(StoreSuffix)) {
        return "its store folder \"" + store + "\" does not end in \"" + std::string(StoreSuffix) +
               "\"";
    }
    const std::tuple<const std::string*, const char*, mode_t> kinds[] = {
        {&store, "store folder", S_IFDIR}, {&save, "tree file", S_IFREG}};
    for (const auto& [value, what, kind] : kinds) {
        struct stat info;
        if (::lstat(JoinPath(folder, *value).c_str(), &info) != 0) {
            if (errno == ENOENT) {
                continue; // made at the first write
            }
            return "its " + std::string(what) + " \"" + *value +
                   "\" can not be looked at: " + std::strerror(errno);
        }
        if (S_ISLNK(info.st_mode)) {
            return "its " + std::string(what) + " \"" + *value + "\" is a link";
        }
        if ((info.st_mode & S_IFMT) != kind) {
            return "its " + std::string(what) + " \"" + *value + "\" is not a " +
                   (kind == S_IFDIR ? "folder" : "file");
        }
    }
    return {};
}

// The ids of the nodes the tree file names, as far as it can be read, and of those the ids of
// its web pages.
std::vector<uint32_t> TreeFileNodeIds(const std::string& treeFile,
                                      std::set<uint32_t>* pageIds = nullptr) {
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
            if (pageIds != nullptr && record->Kind == NodeKind::WebPage) {
                pageIds->insert(record->Id);
            }
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

std::string NewStoreName(const std::string& name) {
    return name + std::string(StoreSuffix);
}

std::string RefusedNewBinder(const std::string& root, const std::string& name) {
    // The very rule an open applies, so no binder is made that would then be refused.
    return RefusedEntries(root, NewStoreName(name), name + ".sav");
}

TBinderFiles::TBinderFiles(ITaskQueue& queue, ICaptureStarter& capture, TSettings& settings,
                           ISettingsStore& store, BinderPaths& paths, TBinderTree& tree)
    : queue_(queue), capture_(capture), settings_(settings), store_(store), paths_(paths),
      tree_(tree) {}

bool TBinderFiles::BinderOpen() const {
    return !paths_.BinderFilePath.empty();
}

// ---- creating -------------------------------------------------------------------------------

std::optional<StoreSurvey> TBinderFiles::SurveyOldStore(const std::string& root,
                                                        const std::string& name) const {
    const std::string binderFile = JoinPath(root, name + ".bdf");
    const std::string storeName = NewStoreName(name);
    size_t size = 0;
    const std::unique_ptr<char[]> bytes = ReadWholeFile(binderFile, &size);
    if (bytes == nullptr) {
        return std::nullopt;
    }
    const TBinderFileValues values = ParseBinderFile(std::string_view(bytes.get(), size));
    const std::string save = DecodeBinderValue(values.Save);
    // Only the old binder's own tree knows which folders of the store are its pages.
    if (DecodeBinderValue(values.Store) != storeName ||
        !RefusedEntries(root, storeName, save).empty()) {
        return std::nullopt;
    }
    std::set<uint32_t> pages;
    TreeFileNodeIds(JoinPath(root, save), &pages);
    return SurveyUnmarkedStore(root, storeName,
                               ClaimsOf(std::move(pages), values.TaskLines, root, storeName));
}

TNewBinderResult TBinderFiles::WriteNewBinder(const std::string& root, const std::string& name,
                                              const std::string& description, TDateTime created) {
    TNewBinderResult result;
    const std::string binderFile = JoinPath(root, name + ".bdf");
    const std::string treeFile = JoinPath(root, name + ".sav");
    // The store is the folder the binder file names, so the pages of the new binder and of
    // an overridden one land where the binder looks for them. It is made, or found usable,
    // before anything of an old binder changes: a store of the user's at its name leaves the
    // old binder whole.
    const StoreAccess store(root, NewStoreName(name));
    if (!store.OpenStore(true).Valid()) {
        result.Failure = errno == EPERM ? "Can not create binder " + binderFile + ": " +
                                              store.StoreRefusal(errno) + ". Nothing was changed."
                                        : "Can not create directory " + store.StorePath();
        return result;
    }
    std::string error;
    if (PathIsTaken(treeFile) && !WriteFileAtomic(treeFile, "", 0, error)) {
        result.Failure = "can not write file " + treeFile + " (" + error + ")";
        return result;
    }
    // Of an overridden binder's store only the folders the program made go.
    result.StoreNotDeleted =
        store.RemoveOwnFolders([](const std::string&) { return false; }).Failed;
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
    reason = RefusedEntries(binder.Folder, DecodeBinderValue(binder.Values.Store),
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

std::string
TBinderFiles::DeleteBinderFiles(const std::string& binderFilePath,
                                const std::function<void(const std::function<void()>&)>& aside) {
    RemoveBinderFromList(store_, binderFilePath);
    TBinderHeader header;
    if (!ReadBinderHeader(binderFilePath, header) || header.Root.empty()) {
        return {};
    }
    if (!RefusedEntries(header.Root, header.Store, header.Save).empty()) {
        return "can not delete binder " + binderFilePath;
    }
    // Only folders the program made go, whatever their names: those of the binder's nodes, and
    // when no other binder shares the store, every other one of the program's there too (a
    // crash's leftovers). The store goes once nothing but its mark is left.
    const StoreAccess store(header.Root, header.Store);
    const std::string treeFile = JoinPath(header.Root, header.Save);
    const bool shared =
        StoreSharedWithAnotherBinder(header.Root, header.Store, binderFilePath, header.Save);
    // What stays is told: the binder's own page folders where the store is shared (its other
    // folders are another binder's), else the store.
    std::vector<std::string> left;
    const auto deleteFolders = [&] {
        if (shared) {
            left = DeleteNodeFolders(TreeFileNodeIds(treeFile), header.Root, header.Store);
            store.RemoveStoreIfEmpty();
        } else {
            store.RemoveOwnFolders([](const std::string&) { return false; });
            if (std::string stays; !store.RemoveStoreIfEmpty(&stays) && !stays.empty()) {
                left.push_back(std::move(stays));
            }
        }
    };
    aside ? aside(deleteFolders) : deleteFolders();
    const FileDescriptor folder = OpenFolderPath(header.Root);
    if (folder.Valid()) {
        ::unlinkat(folder.Get(), header.Save.c_str(), 0);
    }
    std::error_code ignored;
    fs::remove(binderFilePath, ignored);
    return FoldersLeftMessage("Binder " + binderFilePath + " is deleted", left);
}
