#include "app/ui/dialogs/PopupFrameUnit.h"

#include "platform/widgets/FormControls.h"

#include "app/binder/NodeIds.h"
#include "app/binder/TreeFile.h"
#include "platform/base/QtText.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <unordered_map>

namespace {

constexpr int NodeRole = Qt::UserRole + 1;

TTreeNode* ItemNode(const QTreeWidgetItem* item) {
    return item == nullptr
               ? nullptr
               : reinterpret_cast<TTreeNode*>(item->data(0, NodeRole).value<quintptr>());
}

} // namespace

TPopupFrame::TPopupFrame(QWidget* owner) : QFrame(owner, Qt::Popup) {
    setObjectName("PopupFrame1");
    setFrameShape(QFrame::Box);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    layout->addWidget(TreeView1);
    resize(265, 117);
    TreeView1->viewport()->installEventFilter(this);
    hide();
    NameControls({{TreeView1, "TreeView1"}});
}

TPopupFrame::~TPopupFrame() {
    // The widget items point at the nodes; they go first.
    TreeView1->clear();
    ClearTree(nodes_);
}

bool TPopupFrame::LoadFolderDump(const std::string& dump) {
    TreeView1->clear();
    ClearTree(nodes_);
    // The folder tree queues nothing and labels every folder by its title.
    TreeLoadContext context;
    const TreeLoadResult result = LoadTreeDump(nodes_, dump, context);
    if (result == TreeLoadResult::WrongMarker || result == TreeLoadResult::Empty) {
        ClearTree(nodes_);
        return false;
    }
    nodes_.SetSelected(nullptr);
    Fill();
    return true;
}

void TPopupFrame::Fill() {
    // In tree order without recursion, so a deep folder tree cannot exhaust the stack.
    const QIcon icon = style()->standardIcon(QStyle::SP_DirIcon);
    std::unordered_map<const TTreeNode*, QTreeWidgetItem*> items;
    for (TTreeNode* node = nodes_.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        QTreeWidgetItem* parent = node->Parent() != nullptr ? items.at(node->Parent()) : nullptr;
        auto* item =
            parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
        item->setText(0, ToQ(node->Text()));
        item->setIcon(0, icon);
        item->setData(0, NodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        items.emplace(node, item);
    }
}

void TPopupFrame::SelectFolderId(uint32_t id) {
    SelectNodeById(nodes_, id);
    TTreeNode* selected = nodes_.Selected();
    if (selected == nullptr) {
        return;
    }
    for (QTreeWidgetItemIterator it(TreeView1); *it != nullptr; ++it) {
        if (ItemNode(*it) == selected) {
            TreeView1->setCurrentItem(*it);
            TreeView1->scrollToItem(*it);
            return;
        }
    }
}

TTreeNode* TPopupFrame::SelectedNode() const {
    return ItemNode(TreeView1->currentItem());
}

void TPopupFrame::ShowAt(const QPoint& topLeft) {
    move(topLeft);
    show();
    TreeView1->setFocus();
}

bool TPopupFrame::OnExpandButton(const QPoint& viewportPos) const {
    const QModelIndex index = TreeView1->indexAt(viewportPos);
    if (!index.isValid() || !TreeView1->model()->hasChildren(index)) {
        return false;
    }
    const int left = TreeView1->visualRect(index).left();
    return viewportPos.x() < left && viewportPos.x() >= left - TreeView1->indentation();
}

bool TPopupFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TreeView1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!OnExpandButton(mouse->position().toPoint())) {
            ClosePicked();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TPopupFrame::mousePressEvent(QMouseEvent* event) {
    // A press outside the pop-up reaches it first; it closes the pop-up and takes the
    // selection, like a mouse-up outside the tree.
    if (!rect().contains(event->position().toPoint())) {
        ClosePicked();
        return;
    }
    QFrame::mousePressEvent(event);
}

void TPopupFrame::ClosePicked() {
    hide();
    if (OnPick) {
        OnPick();
    }
}
