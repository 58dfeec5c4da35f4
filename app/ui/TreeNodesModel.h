#pragma once

// The Qt model of the binder's node tree: it listens to TTreeNodes and tells the views what
// changed, so the nodes stay the one truth and the view only mirrors them. Labels come from
// the nodes, images from the main image list by NodeImageIndex; an edited label goes back
// through OnEdited.

#include "platform/base/TreeNode.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <functional>
#include <string>
#include <vector>

class TImageList;

class TTreeNodesModel : public QAbstractItemModel, public ITreeNodesObserver {
    Q_OBJECT
public:
    // Observes `nodes` until destroyed; `images` (not owned) may be null.
    TTreeNodesModel(TTreeNodes& nodes, const TImageList* images, QObject* parent = nullptr);
    ~TTreeNodesModel() override;

    TTreeNodes& Nodes() const { return nodes_; }
    QModelIndex IndexOf(const TTreeNode* node) const;
    TTreeNode* NodeAt(const QModelIndex& index) const;
    // True between the start and the end of a change of the tree's shape.
    bool Changing() const { return changing_ > 0; }
    // Redraws every row (the marks of the multi-selection changed).
    void RefreshAll();

    // The end of an in-place edit; returns the label the node shows afterwards.
    std::function<std::string(TTreeNode* node, const std::string& text)> OnEdited;
    // Whether a node belongs to the multi-selection (drawn highlighted).
    std::function<bool(const TTreeNode* node)> Marked;
    // Before the tree's selection changes (programmatic changes included).
    std::function<void()> OnSelectionChanging;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;

signals:
    // The tree's selection moved to this node (invalid: none).
    void SelectionMoved(const QModelIndex& index);
    void EditRequestedAt(const QModelIndex& index);
    // A node was expanded or collapsed in the tree.
    void ExpansionChanged(const QModelIndex& index, bool expanded);

private:
    void NodeInserting(TTreeNode* parent, int row) override;
    void NodeInserted(TTreeNode* node) override;
    void NodeRemoving(TTreeNode* node) override;
    void NodeRemoved() override;
    void NodeMoving(TTreeNode* node, TTreeNode* newParent, int row) override;
    void NodeMoved(TTreeNode* node) override;
    void TreeClearing() override;
    void TreeCleared() override;
    void TreeUpdating() override;
    void TreeUpdated() override;
    void NodeChanged(TTreeNode* node) override;
    void SelectionChanging(TTreeNode* oldNode, TTreeNode* newNode) override;
    void SelectionChanged(TTreeNode* node) override;
    void EditRequested(TTreeNode* node) override;

    void RowChanged(const TTreeNode* node);
    void FlushTouchedParents();
    QIcon Icon(int imageIndex) const;

    TTreeNodes& nodes_;
    const TImageList* images_;
    mutable std::vector<QIcon> icons_;
    int changing_ = 0;
    bool movedByReset_ = false;
    // Parents whose image may change once a row has come or gone (null: the top level).
    std::vector<TTreeNode*> touchedParents_;
    TTreeNode* oldSelection_ = nullptr;
};
