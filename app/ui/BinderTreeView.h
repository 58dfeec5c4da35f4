#pragma once

// TreeView1, the binder tree on the main window: the Qt view of the open binder's nodes. The
// view mirrors the nodes (TTreeNodesModel) and hands every user action on: Ctrl and Shift
// presses to the multi-selection (TTreeSelection), selection changes, in-place renames,
// expanding and collapsing, and drops with the zone of the tree they hit to the binder tree.

#include "app/binder/TreeCommands.h"

#include <QTreeView>

#include <functional>

class TBinderTree;
class TTreeNode;
class TTreeNodesModel;
class TTreeSelection;

class TBinderTreeView : public QTreeView {
    Q_OBJECT
public:
    TBinderTreeView(TBinderTree& binder, TTreeSelection& selection, TTreeNodesModel& model,
                    QWidget* parent = nullptr);

    // Where a point of the viewport lies, and the node there (null off the rows).
    THitZone HitZoneAt(const QPoint& point, TTreeNode** node = nullptr) const;
    // A drop at a point of the viewport from `source`; true when a node moved.
    bool DropAt(const QPoint& point, const QObject* source);

    // The common refresh, after a click that left the selection where it was (the views follow
    // every new selection themselves, by mouse or by key).
    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void FollowSelection(const QModelIndex& index);
    void FollowExpansion(const QModelIndex& index, bool expanded);
    void ApplyExpansion(const QModelIndex& parent);
    void SetNodeExpanded(const QModelIndex& index, bool expanded);

    TBinderTree& binder_;
    TTreeSelection& selection_;
    TTreeNodesModel& model_;
    bool following_ = false;
    bool movedSelection_ = false; // by the press of the mouse now down
};
