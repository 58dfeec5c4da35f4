#include "app/ui/TreePane.h"

#include "app/binder/BinderTree.h"
#include "app/binder/BinderUi.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/TreeNodesModel.h"
#include "platform/widgets/Control.h"

#include <QVBoxLayout>

#include <algorithm>

TTreePane::TTreePane(TBinderTree& binder, const TImageList& images, QWidget* parent)
    : QWidget(parent), binder_(binder),
      model_(std::make_unique<TTreeNodesModel>(binder.Items(), &images)) {
    setObjectName("Panel1");
    model_->OnEdited = [this](TTreeNode* node, const std::string& text) {
        std::string label = node->Text();
        GuardEvent([&] { label = binder_.TreeView1Edited(node, text); });
        return label;
    };
    model_->Marked = [this](const TTreeNode* node) {
        const std::vector<TTreeNode*> list = binder_.MultiSelection();
        return std::find(list.begin(), list.end(), node) != list.end();
    };
    model_->OnSelectionChanging = [this] { binder_.TreeView1Changing(); };

    // The side bar will host the tree in its first panel; until it exists a plain widget
    // holds the tree in its place.
    shelfBar1_ = new QWidget(this);
    shelfBar1_->setObjectName("ShelfBar1");
    treeView1_ = new TBinderTreeView(binder_, *model_, shelfBar1_);
    auto* shelfLayout = new QVBoxLayout(shelfBar1_);
    shelfLayout->setContentsMargins(0, 0, 0, 0);
    shelfLayout->addWidget(treeView1_);
    auto* panelLayout = new QVBoxLayout(this);
    panelLayout->setContentsMargins(0, 0, 1, 0);
    panelLayout->addWidget(shelfBar1_);
}

TTreePane::~TTreePane() {
    // The view goes before the model it shows.
    delete shelfBar1_;
}

void TTreePane::OpenPanel(int index) {
    if (index >= TreePanel && index <= BinderListPanel) {
        topPanel_ = index;
        ShelfBar1PanelOpen(index);
    }
}

void TTreePane::ShelfBar1PanelOpen(int) {
    // The side bar's lists are not built yet: the tree is always there, and there is nothing
    // else to fill.
}
