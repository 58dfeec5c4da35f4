#include "app/binder/BinderTree.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StoreLeftovers.h"
#include "app/binder/StoreTakeOver.h"
#include "app/binder/Task.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unordered_set>

namespace {

constexpr int MaxKeptCopies = 1000;

// A name is taken by anything at it, a link that points nowhere too, so the damaged tree file
// is never moved over something.
bool NameTaken(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

TBinderTree::TBinderTree(ITaskQueue& queue, TSettings& settings, BinderPaths& paths)
    : queue_(queue), settings_(settings), paths_(paths) {
    BinderDirty.OnSet(
        [this] { Tell([](IBinderTreeObserver& observer) { observer.BinderMarkedChanged(); }); });
}

TBinderTree::~TBinderTree() = default;

void TBinderTree::AddObserver(IBinderTreeObserver* observer) {
    observers_.push_back(observer);
}

void TBinderTree::RemoveObserver(IBinderTreeObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

std::string TBinderTree::FreeKeptName() const {
    const std::string& path = paths_.TreeFilePath;
    for (int n = 0; n < MaxKeptCopies; ++n) {
        std::string kept = path + ".bad" + (n == 0 ? std::string() : std::to_string(n));
        if (!NameTaken(kept)) {
            return kept;
        }
    }
    return {};
}

bool TBinderTree::MoveTreeFileAside(std::vector<std::string>& messages) {
    const std::string& path = paths_.TreeFilePath;
    if (!NameTaken(path)) {
        return true; // gone already: nothing left to protect
    }
    const std::string kept = FreeKeptName();
    if (kept.empty()) {
        messages.push_back("can not rename file " + path);
        return false;
    }
    if (std::rename(path.c_str(), kept.c_str()) != 0) {
        messages.push_back("can not rename file " + path + " (" +
                           std::error_code(errno, std::generic_category()).message() + ")");
        return false;
    }
    if (kept != announcedKeptName_) {
        // The name given when the damage was found was taken meanwhile.
        messages.push_back("The damaged tree file " + path + " is kept as " + kept + ".");
    }
    return true;
}

TTreeSaveResult TBinderTree::SaveTree(const std::function<void()>& progress) {
    TTreeSaveResult result;
    Tell([](IBinderTreeObserver& observer) { observer.BinderSaving(); });
    if (!BinderDirty) {
        return result;
    }
    const auto writeTree = [&](AtomicFileWriter& writer, std::string& error) {
        const bool written = WriteTreeFile(
            items_,
            [&](std::string_view piece) { return writer.Write(piece.data(), piece.size()); },
            progress);
        if (!written && writer.Good()) {
            error = "a record changed while it was written";
        }
        return written;
    };
    result.Saved = false;
    if (!paths_.TreeFilePath.empty() && (!keepTreeFile_ || MoveTreeFileAside(result.Messages))) {
        const WriteResult written = SaveStreamToFile(paths_.TreeFilePath, writeTree);
        if (!written.Error.empty()) {
            result.Messages.push_back(written.Error);
        }
        result.Saved = written.Written;
    }
    if (result.Saved) {
        keepTreeFile_ = false;
        BinderDirty = false;
    }
    saveFailing_ = !result.Saved;
    return result;
}

bool TBinderTree::Save() {
    return saver_ != nullptr ? saver_->SaveBinder() : SaveTree().Saved;
}

bool TBinderTree::StoreNote(TTreeNode* node, std::string_view note) {
    TPageInfo* record = NodeRecord(node);
    if (record == nullptr) {
        return false;
    }
    record->Notes.Clear();
    record->Notes.AppendRaw(note.data(), note.size());
    BinderDirty = true;
    return Save();
}

TTreeLoadReport TBinderTree::LoadBinderTree(const std::function<void()>& progress,
                                            const StoreQuestion& ask) {
    TTreeLoadReport report;
    {
        // The views hear of the tree once, when it is whole. Told of every node as it is
        // read, they showed each one in turn (its notes, its summary, its place in the status
        // bar) and laid the tree out again each time, so opening took far longer than reading.
        TTreeUpdate update(items_);
        report.Result = ReadBinderTree(report, progress);
    }
    if (report.Result == TreeLoadResult::WrongMarker ||
        report.Result == TreeLoadResult::BadRecord) {
        return report;
    }
    if (report.Result == TreeLoadResult::Loaded) {
        // Only a tree read whole knows every node whose folder the store holds. Asked once the
        // views show the tree, before any task may write.
        TakeOverStoreAndRemoveLeftovers(ask);
    }
    queue_.StartPolling();
    return report;
}

TreeLoadResult TBinderTree::ReadBinderTree(TTreeLoadReport& report,
                                           const std::function<void()>& progress) {
    std::vector<std::string>& messages = report.Messages;
    cutSlot_ = 0;
    copySlot_ = 0;
    Tell([](IBinderTreeObserver& observer) { observer.BinderLoading(); });
    keepTreeFile_ = false;
    saveFailing_ = false;
    announcedKeptName_.clear();
    TreeLoadContext context;
    context.Step = progress;
    context.StorePath = JoinPath(paths_.BinderRoot, paths_.BinderStore);
    context.ListMode = settings_.ListMode;

    const std::string& path = paths_.TreeFilePath;
    TreeLoadResult result = TreeLoadResult::Empty;
    if (!path.empty() && NameTaken(path)) {
        size_t size = 0;
        errno = 0;
        std::unique_ptr<char[]> bytes = LoadFileToBuffer(path, size);
        if (bytes == nullptr) {
            const int error = errno;
            result = TreeLoadResult::Unreadable;
            announcedKeptName_ = FreeKeptName();
            messages.push_back("can not read file " + path + "\n" +
                               (error != 0
                                    ? std::error_code(error, std::generic_category()).message()
                                    : std::string("It is not a file that can be read")) +
                               "." + KeptNotice());
        } else {
            result = LoadTreeDump(items_, std::string_view(bytes.get(), size), context);
            report.Refused = context.Refused;
            if (result == TreeLoadResult::Truncated || result == TreeLoadResult::WrongMarker ||
                result == TreeLoadResult::BadRecord) {
                announcedKeptName_ = FreeKeptName();
                messages.push_back("File Format Error\nThe tree file " + path +
                                   " is damaged: " + context.Reason + ". " +
                                   (items_.Count() > 0 ? "The nodes before the damage are shown."
                                                       : "No node could be read.") +
                                   KeptNotice());
            }
        }
    }
    QueueUnfinishedPages(queue_, context.UnfinishedPages);
    keepTreeFile_ = TreeLoadLostData(result);
    if (result == TreeLoadResult::WrongMarker || result == TreeLoadResult::BadRecord) {
        return result;
    }

    Tell([this](IBinderTreeObserver& observer) { observer.BinderLoaded(paths_.BinderName); });
    BinderDirty = false;
    // The saved task section was read before the tree, when the states of the pages were not
    // known: a page that has completed, failed or stopped is never captured again by opening.
    std::unordered_set<uint32_t> unfinished;
    for (TTreeNode* node = items_.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (const TPageInfo* record = NodeRecord(node); record && IsUnfinishedPage(*record)) {
            unfinished.insert(record->Id);
        }
    }
    queue_.DropPageTasks([&](uint32_t id) { return unfinished.count(id) != 0; });
    return result;
}

void TBinderTree::TakeOverStoreAndRemoveLeftovers(const StoreQuestion& ask) {
    std::unordered_set<uint32_t> ids;
    std::set<uint32_t> pages;
    for (TTreeNode* node = items_.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (const TPageInfo* record = NodeRecord(node)) {
            ids.insert(record->Id);
            if (record->Kind == NodeKind::WebPage) {
                pages.insert(record->Id);
            }
        }
    }
    const StoreClaims claims =
        ClaimsOf(std::move(pages), queue_.SnapshotTasks(), paths_.BinderRoot, paths_.BinderStore);
    if (const std::optional<StoreSurvey> survey =
            SurveyUnmarkedStore(paths_.BinderRoot, paths_.BinderStore, claims)) {
        if (ask && ask(*survey)) {
            TakeOverStore(paths_.BinderRoot, paths_.BinderStore, *survey);
        }
    } else {
        RenewCutShortMarks(paths_.BinderRoot, paths_.BinderStore);
    }
    if (StoreSharedWithAnotherBinder(paths_.BinderRoot, paths_.BinderStore, paths_.BinderFilePath,
                                     paths_.BinderSave)) {
        return;
    }
    RemoveLeftoverFolders(
        StoreAccess(paths_.BinderRoot, paths_.BinderStore),
        [&](uint32_t id) { return ids.count(id) != 0; }, claims.TaskFolders);
}

std::string TBinderTree::KeptNotice() const {
    if (announcedKeptName_.empty()) {
        return "\nIt is not replaced when the binder is saved.";
    }
    return "\nWhen the binder is next saved, the damaged file is kept as " + announcedKeptName_ +
           ".";
}

std::string TBinderTree::BinderFolderDump() const {
    return ::BinderFolderDump(items_);
}

void TBinderTree::CloseTree() {
    cutSlot_ = 0;
    copySlot_ = 0;
    saveFailing_ = false;
    // Emptying the tree tells the views to let go of the shown node before its record goes.
    ClearTree(items_);
    Tell([](IBinderTreeObserver& observer) { observer.BinderClosed(); });
}

TTreeNode* TBinderTree::CutNode() const {
    return Resolve(cutSlot_);
}

TTreeNode* TBinderTree::CopiedNode() const {
    return Resolve(copySlot_);
}

// ---- the records as a capture sees them ---------------------------------------------------------

TPageInfo* TBinderTree::FindRecord(uint32_t id) {
    return FindRecordById(items_, id);
}

bool TBinderTree::HoldsRecord(const TPageInfo* record, uint32_t id) const {
    // By address, never through the pointer: a record freed without its capture being stopped
    // is simply not found. The id too, as another record may have been made where it was.
    for (TTreeNode* node = items_.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (NodeRecord(node) == record) {
            return record->Id == id;
        }
    }
    return false;
}

bool TBinderTree::AddPageBeside(const TPageInfo& record, std::unique_ptr<TPageInfo> page) {
    TTreeNode* node = items_.GetFirstNode();
    while (node != nullptr && NodeRecord(node) != &record) {
        node = node->GetNext();
    }
    if (node == nullptr) {
        return false;
    }
    const std::string label = NodeLabel(*page, settings_.ListMode);
    items_.AddObject(node, label, std::move(page));
    // A node added after the last save must not be lost at close.
    BinderDirty = true;
    return true;
}

void TBinderTree::RecordChanged(const TPageInfo& record) {
    TTreeNode* node = nullptr;
    FindTreeNodeById(items_, record.Id, node);
    if (node != nullptr) {
        items_.DataChanged(node);
    }
}
