#include "app/ui/BinderTreeView.h"

#include "app/binder/BinderTree.h"
#include "app/ui/TreeHitZone.h"
#include "app/ui/TreeNodesModel.h"
#include "app/ui/TreeSelection.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>
#include <QStyle>

namespace {

bool FromTreeView(const QObject* source) {
    return qobject_cast<const QTreeView*>(source) != nullptr;
}

} // namespace

TBinderTreeView::TBinderTreeView(TBinderTree& binder, TTreeSelection& selection,
                                 TTreeNodesModel& model, QWidget* parent)
    : QTreeView(parent), binder_(binder), selection_(selection), model_(model) {
    setObjectName("TreeView1");
    setModel(&model_);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);

    connect(&model_, &TTreeNodesModel::SelectionMoved, this, &TBinderTreeView::FollowSelection);
    connect(&model_, &TTreeNodesModel::EditRequestedAt, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            scrollTo(index);
            edit(index);
        }
    });
    connect(&model_, &TTreeNodesModel::ExpansionChanged, this, &TBinderTreeView::FollowExpansion);
    connect(&model_, &QAbstractItemModel::modelReset, this, [this] {
        ApplyExpansion(QModelIndex());
        FollowSelection(model_.IndexOf(model_.Nodes().Selected()));
    });
    connect(&model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                for (int row = first; row <= last; ++row) {
                    const QModelIndex index = model_.index(row, 0, parent);
                    if (const TTreeNode* node = model_.NodeAt(index); node && node->Expanded()) {
                        setExpanded(index, true);
                    }
                    ApplyExpansion(index);
                }
            });
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { SetNodeExpanded(index, true); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { SetNodeExpanded(index, false); });
}

// ---- following the nodes ------------------------------------------------------------------------

void TBinderTreeView::FollowSelection(const QModelIndex& index) {
    following_ = true;
    if (index.isValid()) {
        setCurrentIndex(index);
        scrollTo(index);
    } else {
        selectionModel()->clear();
    }
    following_ = false;
}

void TBinderTreeView::FollowExpansion(const QModelIndex& index, bool expanded) {
    if (index.isValid() && isExpanded(index) != expanded) {
        setExpanded(index, expanded);
    }
}

void TBinderTreeView::ApplyExpansion(const QModelIndex& parent) {
    for (int row = 0; row < model_.rowCount(parent); ++row) {
        const QModelIndex index = model_.index(row, 0, parent);
        const TTreeNode* node = model_.NodeAt(index);
        if (node != nullptr && node->Expanded()) {
            setExpanded(index, true);
            ApplyExpansion(index);
        }
    }
}

void TBinderTreeView::SetNodeExpanded(const QModelIndex& index, bool expanded) {
    if (TTreeNode* node = model_.NodeAt(index)) {
        node->SetExpanded(expanded);
    }
}

void TBinderTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    // The view's own housekeeping while the tree changes shape is not a choice of the user.
    if (!following_ && !model_.Changing()) {
        TTreeNode* node = model_.NodeAt(current);
        movedSelection_ = movedSelection_ || node != model_.Nodes().Selected();
        model_.Nodes().SetSelected(node);
    }
}

QItemSelectionModel::SelectionFlags TBinderTreeView::selectionCommand(const QModelIndex& index,
                                                                      const QEvent* event) const {
    // One node is always the selection: Ctrl and Shift build the binder's own multi-selection
    // instead of unselecting the node.
    if (!index.isValid() || (event != nullptr && event->type() == QEvent::MouseButtonRelease)) {
        return QItemSelectionModel::NoUpdate;
    }
    return QItemSelectionModel::ClearAndSelect;
}

// ---- mouse and keys -----------------------------------------------------------------------------

void TBinderTreeView::mousePressEvent(QMouseEvent* event) {
    movedSelection_ = false;
    QTreeView::mousePressEvent(event);
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    selection_.TreeView1MouseDown(
        model_.NodeAt(indexAt(event->position().toPoint())), modifiers.testFlag(Qt::ShiftModifier),
        modifiers.testFlag(Qt::ControlModifier), event->button() == Qt::LeftButton);
    viewport()->update();
}

void TBinderTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    // A press that selected another node has shown it already (the views follow the tree).
    if (event->button() == Qt::LeftButton && !movedSelection_ && OnClick) {
        OnClick();
    }
}

// ---- drops --------------------------------------------------------------------------------------

THitZone TBinderTreeView::HitZoneAt(const QPoint& point, TTreeNode** node) const {
    const QModelIndex index = indexAt(point);
    if (node != nullptr) {
        *node = model_.NodeAt(index);
    }
    if (!index.isValid()) {
        // The last row shown: the last top-level node, then down through expanded parents.
        QModelIndex last = model_.index(model_.rowCount() - 1, 0);
        while (last.isValid() && isExpanded(last) && model_.rowCount(last) > 0) {
            last = model_.index(model_.rowCount(last) - 1, 0, last);
        }
        const bool below = last.isValid() && point.y() > visualRect(last).bottom();
        return TreeHitZone(point.x(), nullptr, below);
    }
    const QRect item = visualRect(index);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int icon = iconSize().isValid()
                         ? iconSize().width()
                         : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    TTreeRowGeometry row;
    row.ItemLeft = item.left();
    row.Indentation = indentation();
    row.HasButton = model_.rowCount(index) > 0;
    row.IconRight = item.left() + margin + icon + margin;
    row.LabelRight = row.IconRight +
                     fontMetrics().horizontalAdvance(index.data(Qt::DisplayRole).toString()) +
                     margin;
    return TreeHitZone(point.x(), &row, false);
}

bool TBinderTreeView::DropAt(const QPoint& point, const QObject* source) {
    if (!FromTreeView(source)) {
        return false;
    }
    TTreeNode* target = nullptr;
    const THitZone zone = HitZoneAt(point, &target);
    return binder_.TreeView1DragDrop(zone, target, source == this);
}

void TBinderTreeView::dragEnterEvent(QDragEnterEvent* event) {
    QTreeView::dragEnterEvent(event);
    if (FromTreeView(event->source())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TBinderTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeView::dragMoveEvent(event); // scrolls near the edges and shows where it would land
    if (FromTreeView(event->source())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TBinderTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    DropAt(event->position().toPoint(), event->source());
    // The tree has moved the node itself: the view must not take the dragged rows away.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    viewport()->update();
}
