#include "app/binder/BinderTree.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderUi.h"
#include "app/binder/NodeIds.h"
#include "app/binder/NodeRange.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/Task.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/WindowTexts.h"
#include "platform/base/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <system_error>
#include <unordered_set>

namespace {

constexpr int MaxKeptCopies = 1000;

bool PathExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

TBinderTree::TBinderTree(const TBinderUiRoles& ui, ITaskQueue& queue, TSettings& settings,
                         BinderPaths& paths)
    : ui_(ui), queue_(queue), settings_(settings), paths_(paths) {}

TBinderTree::~TBinderTree() = default;

std::string TBinderTree::FreeKeptName() const {
    const std::string& path = paths_.TreeFilePath;
    for (int n = 0; n < MaxKeptCopies; ++n) {
        std::string kept = path + ".bad" + (n == 0 ? std::string() : std::to_string(n));
        if (!PathExists(kept)) {
            return kept;
        }
    }
    return {};
}

bool TBinderTree::MoveTreeFileAside() {
    const std::string& path = paths_.TreeFilePath;
    if (!PathExists(path)) {
        return true; // gone already: nothing left to protect
    }
    const std::string kept = FreeKeptName();
    if (kept.empty()) {
        ui_.Messages.ShowMessage("can not rename file " + path);
        return false;
    }
    if (std::rename(path.c_str(), kept.c_str()) != 0) {
        ui_.Messages.ShowMessage("can not rename file " + path + " (" +
                                 std::error_code(errno, std::generic_category()).message() + ")");
        return false;
    }
    if (kept != announcedKeptName_) {
        // The name given when the damage was found was taken meanwhile.
        ui_.Messages.ShowMessage("The damaged tree file " + path + " is kept as " + kept + ".");
    }
    return true;
}

bool TBinderTree::FileSaveExecute() {
    if (!BinderDirty) {
        return true;
    }
    ui_.Messages.OpenStatusForm("");
    const auto writeTree = [&](AtomicFileWriter& writer, std::string& error) {
        const bool written = WriteTreeFile(
            items_,
            [&](std::string_view piece) { return writer.Write(piece.data(), piece.size()); },
            &ui_.Messages);
        if (!written && writer.Good()) {
            error = "a record changed while it was written";
        }
        return written;
    };
    const bool saved = !paths_.TreeFilePath.empty() && (!keepTreeFile_ || MoveTreeFileAside()) &&
                       SaveStreamToFile(paths_.TreeFilePath, writeTree, ui_.Messages);
    ui_.Messages.CloseStatusForm();
    if (saved) {
        keepTreeFile_ = false;
        BinderDirty = false;
    }
    return saved;
}

bool TBinderTree::StoreNote(TTreeNode* node, std::string_view note) {
    TPageInfo* record = NodeRecord(node);
    if (record == nullptr) {
        return false;
    }
    record->Notes.Clear();
    record->Notes.AppendRaw(note.data(), note.size());
    BinderDirty = true;
    return FileSaveExecute();
}

TreeLoadResult TBinderTree::LoadBinderTree() {
    std::vector<std::string> messages;
    bool refused = false;
    TreeLoadResult result;
    {
        // The views hear of the tree once, when it is whole. Told of every node as it is
        // read, they showed each one in turn (its notes, its summary, its place in the status
        // bar) and laid the tree out again each time, so opening took far longer than reading.
        TTreeUpdate update(items_);
        result = ReadBinderTree(messages, refused);
    }
    // Told once the views show what could be read.
    if (refused) {
        ui_.Messages.MessageBox(NonFolderRefusal, "Sorry", TMsgButtons::Ok);
    }
    for (const std::string& message : messages) {
        ui_.Messages.ShowMessage(message);
    }
    return result;
}

TreeLoadResult TBinderTree::ReadBinderTree(std::vector<std::string>& messages, bool& refused) {
    ClearSelectionState();
    keepTreeFile_ = false;
    announcedKeptName_.clear();
    TreeLoadContext context;
    context.Step = [this] { ui_.Messages.UpdateStatusForm(); };
    context.StorePath = JoinPath(paths_.BinderRoot, paths_.BinderStore);
    context.ListMode = settings_.ListMode;

    const std::string& path = paths_.TreeFilePath;
    TreeLoadResult result = TreeLoadResult::Empty;
    if (!path.empty() && PathExists(path)) {
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
            refused = context.Refused;
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

    ui_.Commands.SetCaption(BinderCaption(paths_.BinderName));
    for (TBinderCommand command : {TBinderCommand::EditPaste1, TBinderCommand::EditCut1,
                                   TBinderCommand::EditCopy1, TBinderCommand::EditDelete1}) {
        ui_.Commands.EnableCommand(command, false);
    }
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
    queue_.StartPolling();
    return result;
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

void TBinderTree::ClearSelectionState() {
    cutSlot_ = 0;
    copySlot_ = 0;
    multiSelection_.clear();
    anchor_ = 0;
}

TTreeNode* TBinderTree::CutNode() const {
    return Resolve(cutSlot_);
}

TTreeNode* TBinderTree::CopiedNode() const {
    return Resolve(copySlot_);
}

void TBinderTree::TreeView1Changing() {
    anchor_ = Selected() != nullptr ? Selected()->ItemId() : 0;
}

std::vector<TTreeNode*> TBinderTree::MultiSelection() const {
    std::vector<TTreeNode*> nodes;
    for (uint64_t itemId : multiSelection_) {
        if (TTreeNode* node = Resolve(itemId)) {
            nodes.push_back(node);
        }
    }
    return nodes;
}

void TBinderTree::TreeView1MouseDown(TTreeNode* hit, bool shift, bool ctrl, bool leftButton) {
    std::vector<TTreeNode*> list = MultiSelection();
    TTreeNode* anchor = Resolve(anchor_);
    auto listed = [&](const TTreeNode* node) {
        return std::find(list.begin(), list.end(), node) != list.end();
    };
    if (shift) {
        const std::vector<TTreeNode*> all = items_.AllNodes();
        SelectNodeRange(anchor, Selected(), all, list);
    } else if (ctrl) {
        if (hit != nullptr && hit->Owner() == &items_) {
            if (listed(hit)) {
                list.erase(std::find(list.begin(), list.end(), hit));
            } else {
                if (anchor != nullptr && !listed(anchor)) {
                    list.push_back(anchor);
                }
                list.push_back(hit);
            }
        }
    } else if (leftButton) {
        list.clear();
    }
    multiSelection_.clear();
    for (const TTreeNode* node : list) {
        multiSelection_.push_back(node->ItemId());
    }
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
