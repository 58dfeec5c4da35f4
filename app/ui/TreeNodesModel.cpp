#include "app/ui/TreeNodesModel.h"

#include "app/ui/NodeImages.h"
#include "platform/base/QtText.h"
#include "platform/graphics/ImageList.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QPixmap>

TTreeNodesModel::TTreeNodesModel(TTreeNodes& nodes, const TImageList* images, QObject* parent)
    : QAbstractItemModel(parent), nodes_(nodes), images_(images) {
    nodes_.AddObserver(this);
}

TTreeNodesModel::~TTreeNodesModel() {
    nodes_.RemoveObserver(this);
}

QModelIndex TTreeNodesModel::IndexOf(const TTreeNode* node) const {
    if (node == nullptr || node->Owner() != &nodes_) {
        return {};
    }
    return createIndex(node->Index(), 0, const_cast<TTreeNode*>(node));
}

TTreeNode* TTreeNodesModel::NodeAt(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

void TTreeNodesModel::RefreshAll() {
    for (TTreeNode* node : nodes_.AllNodes()) {
        RowChanged(node);
    }
}

QModelIndex TTreeNodesModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0) {
        return {};
    }
    const TTreeNode* above = NodeAt(parent);
    TTreeNode* node = above != nullptr ? above->Item(row) : nodes_.TopLevelItem(row);
    return node != nullptr ? createIndex(row, 0, node) : QModelIndex();
}

QModelIndex TTreeNodesModel::parent(const QModelIndex& child) const {
    const TTreeNode* node = NodeAt(child);
    return node != nullptr ? IndexOf(node->Parent()) : QModelIndex();
}

int TTreeNodesModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    const TTreeNode* node = NodeAt(parent);
    return node != nullptr ? node->Count() : nodes_.TopLevelCount();
}

int TTreeNodesModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TTreeNodesModel::data(const QModelIndex& index, int role) const {
    const TTreeNode* node = NodeAt(index);
    if (node == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQ(node->Text());
    case Qt::DecorationRole: {
        const int image = NodeImageIndex(node, node == nodes_.Selected());
        return image >= 0 ? QVariant(Icon(image)) : QVariant();
    }
    case Qt::BackgroundRole:
        if (Marked && Marked(node)) {
            QColor mark = QApplication::palette().color(QPalette::Highlight);
            mark.setAlpha(90);
            return mark;
        }
        return {};
    default:
        return {};
    }
}

bool TTreeNodesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TTreeNode* node = NodeAt(index);
    if (node == nullptr || role != Qt::EditRole || !OnEdited) {
        return false;
    }
    OnEdited(node, FromQ(value.toString()));
    return true;
}

Qt::ItemFlags TTreeNodesModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
           Qt::ItemIsDropEnabled;
}

Qt::DropActions TTreeNodesModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

Qt::DropActions TTreeNodesModel::supportedDragActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

void TTreeNodesModel::RowChanged(const TTreeNode* node) {
    const QModelIndex index = IndexOf(node);
    if (index.isValid()) {
        emit dataChanged(index, index);
    }
}

QIcon TTreeNodesModel::Icon(int imageIndex) const {
    if (images_ == nullptr || imageIndex < 0 || imageIndex >= images_->Count()) {
        return {};
    }
    if (icons_.size() != static_cast<size_t>(images_->Count())) {
        icons_.assign(static_cast<size_t>(images_->Count()), QIcon());
    }
    QIcon& icon = icons_[static_cast<size_t>(imageIndex)];
    if (icon.isNull()) {
        icon = QIcon(QPixmap::fromImage(images_->Image(imageIndex)));
    }
    return icon;
}

// ---- the tree's notifications -----------------------------------------------------------------
// The parents recorded at the start of a change are alive at its end: only the moved, added
// or removed subtree changes, and a parent's image follows whether it still has children.

void TTreeNodesModel::NodeInserting(TTreeNode* parent, int row) {
    ++changing_;
    touchedParents_.push_back(parent);
    beginInsertRows(IndexOf(parent), row, row);
}

void TTreeNodesModel::NodeInserted(TTreeNode*) {
    endInsertRows();
    --changing_;
    FlushTouchedParents();
}

void TTreeNodesModel::NodeRemoving(TTreeNode* node) {
    ++changing_;
    touchedParents_.push_back(node->Parent());
    beginRemoveRows(IndexOf(node->Parent()), node->Index(), node->Index());
}

void TTreeNodesModel::NodeRemoved() {
    endRemoveRows();
    --changing_;
    FlushTouchedParents();
}

void TTreeNodesModel::NodeMoving(TTreeNode* node, TTreeNode* newParent, int row) {
    ++changing_;
    touchedParents_.push_back(node->Parent());
    touchedParents_.push_back(newParent);
    movedByReset_ = !beginMoveRows(IndexOf(node->Parent()), node->Index(), node->Index(),
                                   IndexOf(newParent), row);
    if (movedByReset_) {
        beginResetModel();
    }
}

void TTreeNodesModel::NodeMoved(TTreeNode*) {
    if (movedByReset_) {
        endResetModel();
        movedByReset_ = false;
    } else {
        endMoveRows();
    }
    --changing_;
    FlushTouchedParents();
}

void TTreeNodesModel::TreeClearing() {
    ++changing_;
    beginResetModel();
}

void TTreeNodesModel::TreeCleared() {
    endResetModel();
    --changing_;
    touchedParents_.clear();
}

// A batch of changes is one reset: the view lays the tree out once, at the end, instead of
// once per row.
void TTreeNodesModel::TreeUpdating() {
    ++changing_;
    beginResetModel();
}

void TTreeNodesModel::TreeUpdated() {
    endResetModel();
    --changing_;
    touchedParents_.clear();
    oldSelection_ = nullptr;
}

void TTreeNodesModel::NodeChanged(TTreeNode* node) {
    RowChanged(node);
    emit ExpansionChanged(IndexOf(node), node->Expanded());
}

void TTreeNodesModel::SelectionChanging(TTreeNode* oldNode, TTreeNode*) {
    oldSelection_ = oldNode;
    if (OnSelectionChanging) {
        OnSelectionChanging();
    }
}

void TTreeNodesModel::SelectionChanged(TTreeNode* node) {
    // The selected web page has an image of its own.
    RowChanged(oldSelection_);
    oldSelection_ = nullptr;
    RowChanged(node);
    emit SelectionMoved(IndexOf(node));
}

void TTreeNodesModel::EditRequested(TTreeNode* node) {
    emit EditRequestedAt(IndexOf(node));
}

void TTreeNodesModel::FlushTouchedParents() {
    if (changing_ > 0) {
        return;
    }
    std::vector<TTreeNode*> parents;
    parents.swap(touchedParents_);
    for (TTreeNode* parent : parents) {
        RowChanged(parent);
    }
}
