#include "app/binder/TreeCommands.h"

#include "app/binder/AddItemDialog.h"
#include "app/binder/BinderLifecycle.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/BinderUi.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/HtmlFiles.h"
#include "app/binder/NodeIds.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreFiles.h"
#include "platform/base/CharacterReferences.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"
#include "platform/base/TreeNode.h"

#include <algorithm>

// ---- on any tree ---------------------------------------------------------------------------

std::string NodeLabel(const TPageInfo& record, int32_t listMode) {
    // Titles stored before they were decoded when taken still show their characters.
    return listMode == 1 && record.Kind == NodeKind::WebPage
               ? record.RequestedUrl
               : DecodeCharacterReferences(record.Title);
}

TTreeNode* CreateNode(TTreeNodes& tree, std::unique_ptr<TPageInfo> record, TInsertMode mode,
                      int32_t listMode, IUserMessages* ui) {
    if (record == nullptr) {
        return nullptr;
    }
    TTreeNode* selected = tree.Selected();
    TTreeNode* target = mode == TInsertMode::Child
                            ? selected
                            : (selected != nullptr ? selected->Parent() : nullptr);
    const TPageInfo* targetRecord = NodeRecord(target);
    if (targetRecord != nullptr && targetRecord->Kind != NodeKind::Folder) {
        if (ui != nullptr) {
            ui->MessageBox(NonFolderRefusal, "Sorry", TMsgButtons::Ok);
        }
        return nullptr;
    }
    const std::string label = NodeLabel(*record, listMode);
    TTreeNode* next =
        mode == TInsertMode::After && selected != nullptr ? selected->getNextSibling() : nullptr;
    TTreeNode* node = next != nullptr ? tree.InsertObject(next, label, std::move(record))
                                      : tree.AddChildObject(target, label, std::move(record));
    tree.SetSelected(node);
    return node;
}

TDropAction DropAction(THitZone zone, NodeKind targetKind) {
    switch (zone) {
    case THitZone::Label:
    case THitZone::Icon:
        return targetKind == NodeKind::Folder ? TDropAction::AddChild : TDropAction::InsertBefore;
    case THitZone::Indent:
        return TDropAction::InsertBefore;
    case THitZone::BelowNodes:
        return TDropAction::AddTopLevel;
    case THitZone::Elsewhere:
        break;
    }
    return TDropAction::None;
}

// ---- creating and adding -------------------------------------------------------------------

namespace {

bool Given(const std::string& argument) {
    return !argument.empty() && argument != "0";
}

bool LegalAddress(const std::string& url, const std::string& title) {
    return !title.empty() && url.size() >= 10 &&
           (url.starts_with("http://") || url.starts_with("https://") ||
            url.starts_with("file://"));
}

} // namespace

std::string TBinderTree::MakeUniqueNodeName(const std::string& base) const {
    return ::MakeUniqueNodeName(items_, base);
}

TTreeNode* TBinderTree::CreateNode(NodeKind kind, TInsertMode mode, bool save,
                                   std::unique_ptr<TPageInfo> record) {
    if (record == nullptr) {
        record = std::make_unique<TPageInfo>();
        record->Kind = kind;
        record->Title = MakeUniqueNodeName(kind == NodeKind::Folder ? NewFolderName : NewItemName);
    }
    TTreeNode* node =
        ::CreateNode(items_, std::move(record), mode, settings_.ListMode, &ui_.Messages);
    if (node != nullptr && save) {
        BinderDirty = true;
        FileSaveExecute();
        items_.DataChanged(node);
    }
    return node;
}

void TBinderTree::CaptureSelectedNode(bool useCache, const CaptureOptions& options) {
    if (TPageInfo* record = NodeRecord(Selected())) {
        record->State = CaptureState::Unfinished;
        if (capture_ != nullptr) {
            capture_->StartNodeCapture(*record, useCache, options);
        }
    }
}

bool TBinderTree::AddNode(const std::string& url, const std::string& title, const std::string& html,
                          TInsertMode mode, int dialogMode) {
    ui_.Window.RestoreAndBringToFront();

    // The folder the dialog offers first: in sibling mode the folder the node would join,
    // so "Add to Folder" names where it goes.
    std::optional<uint32_t> folderId;
    const TPageInfo* firstTop = NodeRecord(items_.GetFirstNode());
    const bool firstIsFolder = firstTop != nullptr && firstTop->Kind == NodeKind::Folder;
    const TTreeNode* const selectedAtStart = Selected();
    const uint64_t selectedItem = selectedAtStart != nullptr ? selectedAtStart->ItemId() : 0;
    const TPageInfo* const parentAtStart =
        selectedAtStart != nullptr ? NodeRecord(selectedAtStart->Parent()) : nullptr;
    const std::optional<uint32_t> parentId =
        parentAtStart != nullptr ? std::optional<uint32_t>(parentAtStart->Id) : std::nullopt;
    if (mode == TInsertMode::Sibling) {
        folderId = parentId;
    } else if (const TTreeNode* selected = selectedAtStart) {
        const TPageInfo* record = NodeRecord(selected);
        if (record == nullptr || record->Kind != NodeKind::Folder) {
            if (parentId) {
                folderId = parentId;
            } else if (selected->Parent() == nullptr && firstIsFolder) {
                folderId = firstTop->Id;
            }
        } else {
            folderId = record->Id;
        }
    } else if (firstIsFolder) {
        folderId = firstTop->Id;
    }

    std::unique_ptr<IAddItemDialog> dialog =
        ui_.Dialogs.CreateAddItemDialog(dialogMode, folderId, BinderFolderDump());
    if (Given(url)) {
        dialog->SetUrl(url);
    }
    if (Given(title)) {
        dialog->SetTitle(title);
    }
    for (;;) {
        if (dialog->ShowModal() != TModalResult::Ok) {
            return false;
        }
        if (dialog->ItemKind() == NodeKind::Notes || LegalAddress(dialog->Url(), dialog->Title())) {
            break;
        }
        if (ui_.Messages.MessageBox("Illegal address or title, retry?    ", "Input Error",
                                    TMsgButtons::RetryCancel) != TModalResult::Retry) {
            return false;
        }
    }

    auto record = std::make_unique<TPageInfo>();
    record->Kind = dialog->ItemKind();
    record->RequestedUrl = dialog->Url();
    record->FinalUrl = Given(url) ? url : std::string();
    record->Title = MakeUniqueNodeName(!dialog->Title().empty() ? dialog->Title() : dialog->Url());
    record->State = CaptureState::Unfinished;
    if (Given(html)) {
        record->Content.FetchedText = html;
    }
    // Only a folder receives the node; an id that names anything else counts as none.
    std::optional<uint32_t> picked = dialog->PickedFolderId();
    if (picked) {
        const TPageInfo* folder = FindRecordById(items_, *picked);
        if (folder == nullptr || folder->Kind != NodeKind::Folder) {
            picked.reset();
        }
    }
    if (mode == TInsertMode::Sibling && picked == parentId) {
        // The folder the selection is in: the node follows the selection.
        items_.SetSelected(selectedItem != 0 ? items_.FindByItemId(selectedItem) : nullptr);
        mode = TInsertMode::After;
    } else if (picked) {
        SelectNodeById(items_, *picked);
        mode = TInsertMode::Child;
    } else if (mode == TInsertMode::Sibling) {
        // The top level was chosen for a node inside a folder: last at the top level.
        items_.SetSelected(nullptr);
    } else {
        mode = TInsertMode::Sibling;
    }
    const NodeKind kind = record->Kind;
    if (CreateNode(kind, mode, true, std::move(record)) == nullptr) {
        return false;
    }
    if (kind == NodeKind::WebPage) {
        CaptureOptions options = dialog->Options();
        options.PageGiven = Given(html);
        CaptureSelectedNode(false, options);
        ui_.Window.ShowPageView();
    }
    ui_.SideBar.OpenPanel(TreePanel);
    return true;
}

void TBinderTree::FileNewFolderExecute() {
    BinderDirty = true;
    CreateNode(NodeKind::Folder, TInsertMode::Child, false);
}

void TBinderTree::FileAppendFolderExecute() {
    BinderDirty = true;
    CreateNode(NodeKind::Folder, TInsertMode::Sibling, false);
    items_.DataChanged(Selected());
}

void TBinderTree::FileNewNodeExecute() {
    AddNode("", "", "", TInsertMode::Child, -1);
}

void TBinderTree::FileAppendNodeExecute() {
    AddNode("", "", "", TInsertMode::Sibling, -1);
}

// ---- deleting ------------------------------------------------------------------------------

void TBinderTree::DeleteNode(TTreeNode* node) {
    if (node == nullptr || node->Owner() != &items_) {
        return;
    }
    std::vector<TTreeNode*> subtree;
    const TTreeNode* end = node->GetNextSkippingChildren();
    for (TTreeNode* n = node; n != nullptr && n != end; n = n->GetNext()) {
        subtree.push_back(n);
    }
    // No capture may still write into a record that is about to be freed.
    for (TTreeNode* n : subtree) {
        if (TPageInfo* record = NodeRecord(n); record != nullptr && capture_ != nullptr) {
            capture_->CancelCapture(*record);
        }
    }
    DeleteNodeFiles(subtree, paths_.BinderRoot, paths_.BinderStore);
    node->Delete();
}

void TBinderTree::EditDelete1Execute() {
    if (ui_.SideBar.TopPanel() == TreePanel) {
        const std::vector<TTreeNode*> listed = MultiSelection();
        if (listed.empty() && Selected() == nullptr) {
            return;
        }
        if (settings_.AskBeforeDelete &&
            !ui_.Messages.Confirm("Are you sure to delete node ? ", settings_.AskBeforeDelete)) {
            return;
        }
        // The note open in the editor may belong to a node that stays: keep its edits.
        ui_.Window.StoreTypedNotes();
        if (!listed.empty()) {
            // A node listed below another listed node goes with that one; its item id then
            // finds nothing and it is not deleted twice.
            const std::vector<uint64_t> ids = multiSelection_;
            for (uint64_t itemId : ids) {
                DeleteNode(Resolve(itemId));
            }
            multiSelection_.clear();
            anchor_ = 0;
        } else {
            DeleteNode(Selected());
        }
        BinderDirty = true;
        if (Selected() != nullptr) {
            items_.DataChanged(Selected());
        }
    } else if (ui_.SideBar.TopPanel() == BinderListPanel) {
        const std::string chosen = ui_.SideBar.ChosenBinderPath();
        if (chosen.empty() || lifecycle_ == nullptr) {
            return;
        }
        if (settings_.AskBeforeDelete &&
            !ui_.Messages.Confirm("Are you sure to delete this binder ? ",
                                  settings_.AskBeforeDelete)) {
            return;
        }
        if (!paths_.BinderFilePath.empty() &&
            LowerCase(chosen) == LowerCase(paths_.BinderFilePath)) {
            lifecycle_->CloseBinder();
        }
        lifecycle_->DeleteBinder(chosen);
        ui_.SideBar.RefillPanel(BinderListPanel);
    }
}

// ---- cut, copy, paste, drop ----------------------------------------------------------------

void TBinderTree::EnableAfterSlotSet() {
    ui_.Commands.EnableCommand(TBinderCommand::EditPaste1, true);
    ui_.Commands.EnableCommand(TBinderCommand::ToolButton11, true);
    ui_.Commands.EnableCommand(TBinderCommand::EditCut1, false);
    ui_.Commands.EnableCommand(TBinderCommand::EditCopy1, false);
    ui_.Commands.EnableCommand(TBinderCommand::EditDelete1, false);
}

void TBinderTree::EditCut1Execute() {
    if (Selected() != nullptr) {
        cutSlot_ = Selected()->ItemId();
        EnableAfterSlotSet();
    }
}

void TBinderTree::EditCopy1Execute() {
    if (Selected() != nullptr) {
        copySlot_ = Selected()->ItemId();
        EnableAfterSlotSet();
    }
}

void TBinderTree::EditPaste1Execute() {
    TTreeNode* target = Selected() != nullptr ? Selected() : items_.GetFirstNode();
    if (target == nullptr) {
        return;
    }
    const bool intoFolder = GetNodeKind(target) == NodeKind::Folder;
    if (TTreeNode* cut = CutNode()) {
        if (target == cut || target->HasAsParent(cut)) {
            return; // a node cannot go into itself
        }
        cut->MoveTo(target, intoFolder ? TNodeAttachMode::naAddChild : TNodeAttachMode::naInsert);
        BinderDirty = true;
    } else if (const TPageInfo* source = NodeRecord(CopiedNode())) {
        auto record = std::make_unique<TPageInfo>();
        source->Assign(*record);
        // A completed page must stay completed once the binder is read again, and its state
        // is stored only with the statistics.
        record->Content.Stats = source->Content.Stats;
        TPageInfo* copy = record.get();
        const NodeKind kind = record->Kind;
        if (CreateNode(kind, intoFolder ? TInsertMode::Child : TInsertMode::Sibling, true,
                       std::move(record)) != nullptr &&
            kind == NodeKind::WebPage) {
            CopyNodeFiles(*source, copy->Id, paths_.BinderRoot, paths_.BinderStore, ui_.Messages);
        }
    }
    cutSlot_ = 0;
    copySlot_ = 0;
    ui_.Commands.EnableCommand(TBinderCommand::EditPaste1, false);
    ui_.Commands.EnableCommand(TBinderCommand::ToolButton11, false);
}

bool TBinderTree::TreeView1DragDrop(THitZone zone, TTreeNode* target, bool fromMainTree) {
    TTreeNode* dragged = Selected();
    if (!fromMainTree || dragged == nullptr) {
        return false;
    }
    const TDropAction action = DropAction(zone, GetNodeKind(target));
    if (action == TDropAction::None ||
        (action != TDropAction::AddTopLevel &&
         (target == nullptr || target == dragged || target->HasAsParent(dragged)))) {
        return false;
    }
    bool moved = false;
    switch (action) {
    case TDropAction::AddChild:
        moved = dragged->MoveTo(target, TNodeAttachMode::naAddChild);
        break;
    case TDropAction::InsertBefore:
        moved = dragged->MoveTo(target, TNodeAttachMode::naInsert);
        break;
    case TDropAction::AddTopLevel:
        moved = dragged->MoveTo(nullptr, TNodeAttachMode::naAdd);
        break;
    case TDropAction::None:
        break;
    }
    if (moved) {
        BinderDirty = true;
    }
    return moved;
}

// ---- rename, expand, collapse --------------------------------------------------------------

void TBinderTree::Rename1Click() {
    if (Selected() != nullptr) {
        Selected()->EditText();
    }
}

std::string TBinderTree::TreeView1Edited(TTreeNode* node, const std::string& text) {
    TPageInfo* record = NodeRecord(node);
    if (record == nullptr) {
        return node != nullptr ? node->Text() : std::string();
    }
    if (text.empty()) {
        return node->Text();
    }
    if (!(settings_.ListMode == 1 && record->Kind == NodeKind::WebPage)) {
        record->Title = MakeUniqueNodeName(text);
    }
    node->SetText(NodeLabel(*record, settings_.ListMode));
    items_.DataChanged(node);
    BinderDirty = true;
    return node->Text();
}

void TBinderTree::ExpandTreeExecute() {
    items_.FullExpand();
}

void TBinderTree::CollapseTreeExecute() {
    items_.FullCollapse();
}
