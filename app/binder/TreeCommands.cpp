#include "app/binder/TreeCommands.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/FoldersLeft.h"
#include "app/binder/NodeIds.h"
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
                      int32_t listMode) {
    if (record == nullptr) {
        return nullptr;
    }
    TTreeNode* selected = tree.Selected();
    TTreeNode* target = mode == TInsertMode::Child
                            ? selected
                            : (selected != nullptr ? selected->Parent() : nullptr);
    const TPageInfo* targetRecord = NodeRecord(target);
    if (targetRecord != nullptr && targetRecord->Kind != NodeKind::Folder) {
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

// ---- creating ------------------------------------------------------------------------------

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
    TTreeNode* node = ::CreateNode(items_, std::move(record), mode, settings_.ListMode);
    if (node == nullptr) {
        Tell([](IBinderTreeObserver& observer) { observer.NodeRefused(); });
    } else if (save) {
        BinderDirty = true;
        Save();
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

// ---- deleting ------------------------------------------------------------------------------

std::string
TBinderTree::DeleteNodes(const std::vector<TTreeNode*>& nodes,
                         const std::function<void(const std::function<void()>&)>& aside) {
    // By item id: a node below one deleted before it is gone by then and finds nothing.
    std::vector<uint64_t> itemIds;
    for (const TTreeNode* node : nodes) {
        if (node != nullptr && node->Owner() == &items_) {
            itemIds.push_back(node->ItemId());
        }
    }
    if (itemIds.empty()) {
        return {};
    }
    std::vector<uint32_t> pages;
    for (const uint64_t itemId : itemIds) {
        TTreeNode* node = Resolve(itemId);
        if (node == nullptr) {
            continue;
        }
        std::vector<TTreeNode*> subtree;
        const TTreeNode* end = node->GetNextSkippingChildren();
        for (TTreeNode* n = node; n != nullptr && n != end; n = n->GetNext()) {
            subtree.push_back(n);
            // No capture may still write into a record that is about to be freed, nor into
            // the folder about to be deleted.
            if (TPageInfo* record = NodeRecord(n); record != nullptr && capture_ != nullptr) {
                capture_->CancelCapture(*record);
            }
        }
        const std::vector<uint32_t> subtreePages = WebPageIds(subtree);
        pages.insert(pages.end(), subtreePages.begin(), subtreePages.end());
        node->Delete();
    }
    BinderDirty = true;
    // A crash between the two must find a tree file without the nodes, never nodes whose
    // pictures are gone.
    std::vector<std::string> left;
    if (Save()) {
        // The folders as they are now: the event loop that runs beside the deleting may open
        // another binder meanwhile.
        const auto deleteFolders = [pages, root = paths_.BinderRoot, store = paths_.BinderStore,
                                    &left] { left = DeleteNodeFolders(pages, root, store); };
        aside ? aside(deleteFolders) : deleteFolders();
    }
    return FoldersLeftMessage(itemIds.size() == 1 ? "The node is deleted" : "The nodes are deleted",
                              left);
}

// ---- cut, copy, paste, drop ----------------------------------------------------------------

void TBinderTree::SetCutSlot(TTreeNode* node) {
    if (node != nullptr) {
        cutSlot_ = node->ItemId();
        Tell([](IBinderTreeObserver& observer) { observer.SlotFilled(); });
    }
}

void TBinderTree::SetCopySlot(TTreeNode* node) {
    if (node != nullptr) {
        copySlot_ = node->ItemId();
        Tell([](IBinderTreeObserver& observer) { observer.SlotFilled(); });
    }
}

void TBinderTree::EmptySlots() {
    cutSlot_ = 0;
    copySlot_ = 0;
    Tell([](IBinderTreeObserver& observer) { observer.SlotsEmptied(); });
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

// ---- rename --------------------------------------------------------------------------------

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
