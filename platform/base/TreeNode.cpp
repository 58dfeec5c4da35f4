#include "platform/base/TreeNode.h"

#include <algorithm>
#include <utility>

TTreeNode::~TTreeNode() {
    // Take the subtree apart from the bottom up, one node at a time, so that no destructor
    // call nests inside another.
    std::vector<std::unique_ptr<TTreeNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<TTreeNode> node = std::move(pending.back());
        pending.pop_back();
        for (std::unique_ptr<TTreeNode>& child : node->children_) {
            pending.push_back(std::move(child));
        }
        node->children_.clear();
    }
}

void TTreeNode::Changed() {
    if (owner_ != nullptr) {
        owner_->Notify([&](ITreeNodesObserver& o) { o.NodeChanged(this); });
    }
}

void TTreeNode::SetText(const std::string& text) {
    text_ = text;
    Changed();
}

void TTreeNode::SetImageIndex(int index) {
    imageIndex_ = index;
    Changed();
}

void TTreeNode::SetSelectedIndex(int index) {
    selectedIndex_ = index;
    Changed();
}

void TTreeNode::SetExpanded(bool expanded) {
    if (expanded_ != expanded) {
        expanded_ = expanded;
        Changed();
    }
}

void TTreeNode::SetSubtreeExpanded(bool expanded, bool recurse) {
    SetExpanded(expanded);
    if (recurse) {
        const TTreeNode* end = GetNextSkippingChildren();
        for (TTreeNode* node = getFirstChild(); node != nullptr && node != end;
             node = node->GetNext()) {
            node->SetExpanded(expanded);
        }
    }
}

void TTreeNode::Expand(bool recurse) {
    SetSubtreeExpanded(true, recurse);
}

void TTreeNode::Collapse(bool recurse) {
    SetSubtreeExpanded(false, recurse);
}

TTreeNode* TTreeNode::Parent() const {
    return parent_ != nullptr && !parent_->isRoot_ ? parent_ : nullptr;
}

TTreeNode* TTreeNode::Item(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return children_[static_cast<size_t>(index)].get();
}

TTreeNode* TTreeNode::getNextSibling() const {
    return parent_ != nullptr ? parent_->Item(index_ + 1) : nullptr;
}

TTreeNode* TTreeNode::getPrevSibling() const {
    return parent_ != nullptr ? parent_->Item(index_ - 1) : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (HasChildren()) {
        return getFirstChild();
    }
    return GetNextSkippingChildren();
}

TTreeNode* TTreeNode::GetNextSkippingChildren() const {
    for (const TTreeNode* node = this; node != nullptr && !node->isRoot_; node = node->parent_) {
        if (TTreeNode* sibling = node->getNextSibling()) {
            return sibling;
        }
    }
    return nullptr;
}

int TTreeNode::Level() const {
    int level = 0;
    for (const TTreeNode* node = Parent(); node != nullptr; node = node->Parent()) {
        ++level;
    }
    return level;
}

int TTreeNode::AbsoluteIndex() const {
    if (owner_ == nullptr) {
        return -1;
    }
    int index = 0;
    for (const TTreeNode* node = owner_->GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (node == this) {
            return index;
        }
        ++index;
    }
    return -1;
}

bool TTreeNode::HasAsParent(const TTreeNode* ancestor) const {
    if (ancestor == nullptr) {
        return false;
    }
    for (const TTreeNode* node = Parent(); node != nullptr; node = node->Parent()) {
        if (node == ancestor) {
            return true;
        }
    }
    return false;
}

void TTreeNode::Renumber(size_t from) {
    for (size_t i = from; i < children_.size(); ++i) {
        children_[i]->index_ = static_cast<int>(i);
    }
}

bool TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
    TTreeNodes* owner = owner_;
    if (owner == nullptr || isRoot_ || (destination != nullptr && !owner->Owns(destination)) ||
        destination == this || (destination != nullptr && destination->HasAsParent(this))) {
        return false;
    }
    TTreeNode* newParent = &owner->root_;
    size_t row = 0;
    switch (mode) {
    case TNodeAttachMode::naAdd:
        newParent = destination != nullptr ? destination->parent_ : &owner->root_;
        row = newParent->children_.size();
        break;
    case TNodeAttachMode::naAddChild:
        newParent = destination != nullptr ? destination : &owner->root_;
        row = newParent->children_.size();
        break;
    case TNodeAttachMode::naInsert:
        newParent = destination != nullptr ? destination->parent_ : &owner->root_;
        row = destination != nullptr ? static_cast<size_t>(destination->index_)
                                     : newParent->children_.size();
        break;
    }
    TTreeNode* oldParent = parent_;
    const size_t oldRow = static_cast<size_t>(index_);
    if (newParent == oldParent && (row == oldRow || row == oldRow + 1)) {
        return true; // already there
    }
    owner->Notify([&](ITreeNodesObserver& o) {
        o.NodeMoving(this, TTreeNodes::ShownParent(newParent), static_cast<int>(row));
    });
    std::unique_ptr<TTreeNode> self = std::move(oldParent->children_[oldRow]);
    oldParent->children_.erase(oldParent->children_.begin() + static_cast<ptrdiff_t>(oldRow));
    oldParent->Renumber(oldRow);
    if (newParent == oldParent && row > oldRow) {
        --row;
    }
    newParent->children_.insert(newParent->children_.begin() + static_cast<ptrdiff_t>(row),
                                std::move(self));
    newParent->Renumber(row);
    parent_ = newParent;
    owner->Notify([&](ITreeNodesObserver& o) { o.NodeMoved(this); });
    return true;
}

void TTreeNode::Delete() {
    if (owner_ != nullptr && !isRoot_) {
        owner_->Remove(this); // frees this node: nothing may follow
    }
}

void TTreeNode::EditText() {
    if (owner_ == nullptr) {
        return;
    }
    owner_->Notify([&](ITreeNodesObserver& o) { o.EditRequested(this); });
}

TTreeNodes::TTreeNodes() {
    root_.isRoot_ = true;
    root_.owner_ = this;
    root_.expanded_ = true;
}

TTreeNodes::~TTreeNodes() {
    observers_.clear();
    Clear();
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, size_t position, const std::string& text,
                                std::unique_ptr<TTreeNodeData> data) {
    Notify([&](ITreeNodesObserver& o) {
        o.NodeInserting(ShownParent(parent), static_cast<int>(position));
    });
    auto node = std::make_unique<TTreeNode>(std::move(data));
    node->text_ = text;
    node->owner_ = this;
    node->parent_ = parent;
    node->itemId_ = nextItemId_++;
    TTreeNode* added = node.get();
    parent->children_.insert(parent->children_.begin() + static_cast<ptrdiff_t>(position),
                             std::move(node));
    parent->Renumber(position);
    ++count_;
    Notify([&](ITreeNodesObserver& o) { o.NodeInserted(added); });
    return added;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
    return AddObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::AddObject(TTreeNode* sibling, const std::string& text,
                                 std::unique_ptr<TTreeNodeData> data) {
    if (sibling != nullptr && !Owns(sibling)) {
        return nullptr;
    }
    TTreeNode* parent = sibling != nullptr ? sibling->parent_ : &root_;
    return InsertAt(parent, parent->children_.size(), text, std::move(data));
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
    return AddChildObject(parent, text, nullptr);
}

TTreeNode* TTreeNodes::AddChildObject(TTreeNode* parent, const std::string& text,
                                      std::unique_ptr<TTreeNodeData> data) {
    if (parent != nullptr && !Owns(parent)) {
        return nullptr;
    }
    TTreeNode* target = parent != nullptr ? parent : &root_;
    return InsertAt(target, target->children_.size(), text, std::move(data));
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
    return InsertObject(sibling, text, nullptr);
}

TTreeNode* TTreeNodes::InsertObject(TTreeNode* sibling, const std::string& text,
                                    std::unique_ptr<TTreeNodeData> data) {
    if (sibling == nullptr) {
        return InsertAt(&root_, root_.children_.size(), text, std::move(data));
    }
    if (!Owns(sibling)) {
        return nullptr;
    }
    return InsertAt(sibling->parent_, static_cast<size_t>(sibling->index_), text, std::move(data));
}

void TTreeNodes::Remove(TTreeNode* node) {
    if (selected_ == node || (selected_ != nullptr && selected_->HasAsParent(node))) {
        // As a tree view does: the next sibling takes the selection, else the previous one,
        // else the parent.
        TTreeNode* next = node->getNextSibling();
        if (next == nullptr) {
            next = node->getPrevSibling();
        }
        if (next == nullptr) {
            next = node->Parent();
        }
        SetSelected(next);
    }
    Notify([&](ITreeNodesObserver& o) { o.NodeRemoving(node); });
    int removed = 0;
    const TTreeNode* end = node->GetNextSkippingChildren();
    for (const TTreeNode* n = node; n != nullptr && n != end; n = n->GetNext()) {
        ++removed;
    }
    TTreeNode* parent = node->parent_;
    const size_t row = static_cast<size_t>(node->index_);
    std::unique_ptr<TTreeNode> gone = std::move(parent->children_[row]);
    parent->children_.erase(parent->children_.begin() + static_cast<ptrdiff_t>(row));
    parent->Renumber(row);
    count_ -= removed;
    gone.reset();
    Notify([&](ITreeNodesObserver& o) { o.NodeRemoved(); });
}

void TTreeNodes::Clear() {
    SetSelected(nullptr);
    Notify([&](ITreeNodesObserver& o) { o.TreeClearing(); });
    std::vector<std::unique_ptr<TTreeNode>> top = std::move(root_.children_);
    root_.children_.clear();
    count_ = 0;
    top.clear();
    selected_ = nullptr; // whatever an observer selected meanwhile has gone too
    Notify([&](ITreeNodesObserver& o) { o.TreeCleared(); });
}

TTreeNode* TTreeNodes::Item(int index) const {
    if (index < 0 || index >= count_) {
        return nullptr;
    }
    TTreeNode* node = GetFirstNode();
    for (int i = 0; i < index && node != nullptr; ++i) {
        node = node->GetNext();
    }
    return node;
}

std::vector<TTreeNode*> TTreeNodes::AllNodes() const {
    std::vector<TTreeNode*> nodes;
    nodes.reserve(static_cast<size_t>(count_));
    for (TTreeNode* node = GetFirstNode(); node != nullptr; node = node->GetNext()) {
        nodes.push_back(node);
    }
    return nodes;
}

TTreeNode* TTreeNodes::FindByItemId(uint64_t itemId) const {
    if (itemId == 0) {
        return nullptr;
    }
    for (TTreeNode* node = GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (node->itemId_ == itemId) {
            return node;
        }
    }
    return nullptr;
}

void TTreeNodes::SetSelected(TTreeNode* node) {
    if (node != nullptr && !Owns(node)) {
        return;
    }
    if (node == selected_) {
        return;
    }
    Notify([&](ITreeNodesObserver& o) { o.SelectionChanging(selected_, node); });
    selected_ = node;
    Notify([&](ITreeNodesObserver& o) { o.SelectionChanged(node); });
}

void TTreeNodes::DataChanged(TTreeNode* node) {
    if (node != nullptr && !Owns(node)) {
        return;
    }
    Notify([&](ITreeNodesObserver& o) { o.NodeDataChanged(node); });
}

void TTreeNodes::BeginUpdate() {
    if (updating_++ == 0) {
        NotifyAlways([](ITreeNodesObserver& o) { o.TreeUpdating(); });
    }
}

void TTreeNodes::EndUpdate() {
    if (updating_ == 0) {
        return;
    }
    // Closed before the observers hear it, so what they change in answer is told again.
    if (--updating_ == 0) {
        NotifyAlways([](ITreeNodesObserver& o) { o.TreeUpdated(); });
    }
}

void TTreeNodes::AddObserver(ITreeNodesObserver* observer) {
    if (observer != nullptr &&
        std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
}

void TTreeNodes::RemoveObserver(ITreeNodesObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TTreeNodes::SetAllExpanded(bool expanded) {
    for (TTreeNode* node = GetFirstNode(); node != nullptr; node = node->GetNext()) {
        node->SetExpanded(expanded);
    }
}
