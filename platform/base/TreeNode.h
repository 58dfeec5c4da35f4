#pragma once

// The binder's node tree without any widget: TTreeNodes holds the nodes of one tree, each
// TTreeNode owns its children and the data it carries. A view shows the tree by listening to
// it (ITreeNodesObserver), and so does anything else that follows it; nothing here knows about
// windows.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What a tree node carries: the node owns it and frees it with itself.
class TTreeNodeData {
public:
    virtual ~TTreeNodeData() = default;
};

class TTreeNodes;

// Where MoveTo puts a node, relative to its destination.
enum class TNodeAttachMode {
    naAdd,      // last at the destination's level (the top level without a destination)
    naAddChild, // last child of the destination (the top level without a destination)
    naInsert,   // just before the destination (last at the top level without a destination)
};

// One node of a tree. A node made on its own (outside TTreeNodes) only carries data.
class TTreeNode {
public:
    TTreeNode() = default;
    explicit TTreeNode(std::unique_ptr<TTreeNodeData> data) : data_(std::move(data)) {}
    // Frees the whole subtree without recursing, so a very deep tree cannot exhaust the stack.
    virtual ~TTreeNode();
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TTreeNodeData* Data() const { return data_.get(); }
    void SetData(std::unique_ptr<TTreeNodeData> data) { data_ = std::move(data); }
    std::unique_ptr<TTreeNodeData> ReleaseData() { return std::move(data_); }

    // The label.
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int index);
    bool Expanded() const { return expanded_; }
    void SetExpanded(bool expanded);
    void Expand(bool recurse);
    void Collapse(bool recurse);

    // The parent node; null at the top level.
    TTreeNode* Parent() const;
    TTreeNodes* Owner() const { return owner_; }
    // Children.
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const;
    bool HasChildren() const { return !children_.empty(); }
    TTreeNode* getFirstChild() const { return Item(0); }
    TTreeNode* GetLastChild() const { return Item(Count() - 1); }
    TTreeNode* getNextSibling() const;
    TTreeNode* getPrevSibling() const;
    // The next node in tree order (parents before children), across levels; null after the
    // last.
    TTreeNode* GetNext() const;
    // The next node in tree order that is not below this one.
    TTreeNode* GetNextSkippingChildren() const;
    // Position among the siblings.
    int Index() const { return index_; }
    // 0 at the top level.
    int Level() const;
    // Position in tree order among all nodes of the tree.
    int AbsoluteIndex() const;
    // True when `ancestor` is this node's parent, grandparent and so on.
    bool HasAsParent(const TTreeNode* ancestor) const;
    // A number no other node of the same tree has or had; 0 for a node outside a tree.
    uint64_t ItemId() const { return itemId_; }

    // Moves the node with its subtree. Refused (false, nothing changes) for a node outside a
    // tree, a destination of another tree, and a destination that is the node itself or lies
    // below it.
    bool MoveTo(TTreeNode* destination, TNodeAttachMode mode);
    // Removes the node with its subtree and frees them; the node is gone afterwards.
    void Delete();
    // Asks the view to start editing the label in place.
    void EditText();

private:
    friend class TTreeNodes;

    void Changed();
    void Renumber(size_t from);
    void SetSubtreeExpanded(bool expanded, bool recurse);

    std::unique_ptr<TTreeNodeData> data_;
    std::string text_;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    bool expanded_ = false;
    bool isRoot_ = false; // the hidden node above the top level
    TTreeNodes* owner_ = nullptr;
    TTreeNode* parent_ = nullptr;
    int index_ = 0;
    uint64_t itemId_ = 0;
    std::vector<std::unique_ptr<TTreeNode>> children_;
};

// What a view of the tree is told. A parent of null means the top level; rows are positions
// among the parent's children as they stand when the call is made.
class ITreeNodesObserver {
public:
    virtual ~ITreeNodesObserver() = default;
    virtual void NodeInserting(TTreeNode* /*parent*/, int /*row*/) {}
    virtual void NodeInserted(TTreeNode* /*node*/) {}
    virtual void NodeRemoving(TTreeNode* /*node*/) {}
    virtual void NodeRemoved() {}
    // `row` counts the destination's children before the node leaves its place.
    virtual void NodeMoving(TTreeNode* /*node*/, TTreeNode* /*newParent*/, int /*row*/) {}
    virtual void NodeMoved(TTreeNode* /*node*/) {}
    virtual void TreeClearing() {}
    virtual void TreeCleared() {}
    // The label, an image or the expanded state changed.
    virtual void NodeChanged(TTreeNode* /*node*/) {}
    virtual void SelectionChanging(TTreeNode* /*oldNode*/, TTreeNode* /*newNode*/) {}
    virtual void SelectionChanged(TTreeNode* /*node*/) {}
    virtual void EditRequested(TTreeNode* /*node*/) {}
    // What the node carries (its record: content, state, title) changed; null: the whole tree
    // was read anew. Views showing the node show it again.
    virtual void NodeDataChanged(TTreeNode* /*node*/) {}
    // A batch of changes starts: until TreeUpdated nothing is told, and any node may go.
    virtual void TreeUpdating() {}
    // The batch has ended: shape, labels, data and selection may all have changed, so what
    // follows the tree takes it as new.
    virtual void TreeUpdated() {}
};

// The nodes of one tree. Functions given a node of another tree do nothing and answer null.
class TTreeNodes {
public:
    TTreeNodes();
    ~TTreeNodes();
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    // Last at the level of `sibling` (the top level when null).
    TTreeNode* Add(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddObject(TTreeNode* sibling, const std::string& text,
                         std::unique_ptr<TTreeNodeData> data);
    // Last child of `parent` (the top level when null).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildObject(TTreeNode* parent, const std::string& text,
                              std::unique_ptr<TTreeNodeData> data);
    // Just before `sibling` (last at the top level when null).
    TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
    TTreeNode* InsertObject(TTreeNode* sibling, const std::string& text,
                            std::unique_ptr<TTreeNodeData> data);
    // Removes and frees every node.
    void Clear();

    // All nodes of the tree.
    int Count() const { return count_; }
    // The node at a position in tree order; null out of range.
    TTreeNode* Item(int index) const;
    TTreeNode* GetFirstNode() const { return root_.getFirstChild(); }
    int TopLevelCount() const { return root_.Count(); }
    TTreeNode* TopLevelItem(int index) const { return root_.Item(index); }
    // Every node in tree order.
    std::vector<TTreeNode*> AllNodes() const;
    TTreeNode* FindByItemId(uint64_t itemId) const;

    TTreeNode* Selected() const { return selected_; }
    void SetSelected(TTreeNode* node);

    void FullExpand() { SetAllExpanded(true); }
    void FullCollapse() { SetAllExpanded(false); }

    // Tells every observer that what `node` carries changed (null: the whole tree).
    void DataChanged(TTreeNode* node);

    // Between BeginUpdate and the matching EndUpdate changes are not told one by one (a tree
    // read from a file would otherwise redraw and reselect for every node): the observers hear
    // TreeUpdating at the outermost start and TreeUpdated at its end. Calls nest; an
    // EndUpdate without a start does nothing.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updating_ > 0; }

    // Observers are told in the order they were added; one added twice is told once. An
    // observer must be removed before it goes.
    void AddObserver(ITreeNodesObserver* observer);
    void RemoveObserver(ITreeNodesObserver* observer);

private:
    friend class TTreeNode;

    bool Owns(const TTreeNode* node) const { return node != nullptr && node->owner_ == this; }
    TTreeNode* InsertAt(TTreeNode* parent, size_t position, const std::string& text,
                        std::unique_ptr<TTreeNodeData> data);
    void Remove(TTreeNode* node);
    void SetAllExpanded(bool expanded);
    static TTreeNode* ShownParent(TTreeNode* parent) { return parent->isRoot_ ? nullptr : parent; }

    TTreeNode root_;
    TTreeNode* selected_ = nullptr;
    int count_ = 0;
    int updating_ = 0;
    uint64_t nextItemId_ = 1;
    // Tells the observers of one change, unless a batch is open.
    template <typename Call> void Notify(Call&& call) const {
        if (updating_ == 0) {
            NotifyAlways(call);
        }
    }
    // By index, so an observer that removes itself while it is told ends the round safely.
    template <typename Call> void NotifyAlways(Call&& call) const {
        for (size_t i = 0; i < observers_.size(); ++i) {
            call(*observers_[i]);
        }
    }

    std::vector<ITreeNodesObserver*> observers_;
};

// A batch of changes to a tree, from construction to destruction (however the scope is left).
class TTreeUpdate {
public:
    explicit TTreeUpdate(TTreeNodes& tree) : tree_(tree) { tree_.BeginUpdate(); }
    ~TTreeUpdate() { tree_.EndUpdate(); }
    TTreeUpdate(const TTreeUpdate&) = delete;
    TTreeUpdate& operator=(const TTreeUpdate&) = delete;

private:
    TTreeNodes& tree_;
};
