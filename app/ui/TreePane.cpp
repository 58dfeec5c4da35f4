#include "app/ui/TreePane.h"

#include "app/binder/BinderTree.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/TreeNodesModel.h"
#include "app/ui/TreeSelection.h"
#include "platform/widgets/Control.h"

#include <QVBoxLayout>

#include <algorithm>

TTreePane::TTreePane(TBinderTree& binder, const TImageList& images, QWidget* parent)
    : QWidget(parent), binder_(binder), selection_(std::make_unique<TTreeSelection>(binder)),
      model_(std::make_unique<TTreeNodesModel>(binder.Items(), &images)) {
    setObjectName("Panel1");
    model_->OnEdited = [this](TTreeNode* node, const std::string& text) {
        std::string label = node->Text();
        GuardEvent([&] { label = binder_.TreeView1Edited(node, text); });
        return label;
    };
    model_->Marked = [this](const TTreeNode* node) {
        const std::vector<TTreeNode*> list = selection_->MultiSelection();
        return std::find(list.begin(), list.end(), node) != list.end();
    };
    model_->OnSelectionChanging = [this] { selection_->TreeView1Changing(); };

    // The side bar hosts the tree in its first panel once its panels are designed.
    shelfBar1_ = new TShelfBarTqz(this);
    shelfBar1_->setObjectName("ShelfBar1");
    treeView1_ = new TBinderTreeView(binder_, *selection_, *model_, shelfBar1_);
    auto* panelLayout = new QVBoxLayout(this);
    panelLayout->setContentsMargins(0, 0, 1, 0);
    panelLayout->addWidget(shelfBar1_);
}

TTreePane::~TTreePane() {
    // The view goes before the model it shows.
    delete shelfBar1_;
}
