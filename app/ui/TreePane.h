#pragma once

// The left side of the main window: Panel1 with the side bar (ShelfBar1) whose first panel
// holds the binder tree (TreeView1) over its model, with the tree's multi-selection. The side bar's
// panels and what they do are TSideBarPane's.

#include <QWidget>

#include <memory>

class TBinderTree;
class TBinderTreeView;
class TImageList;
class TShelfBarTqz;
class TTreeNodesModel;
class TTreeSelection;

class TTreePane : public QWidget {
public:
    TTreePane(TBinderTree& binder, const TImageList& images, QWidget* parent);
    ~TTreePane() override;

    TBinderTreeView& TreeView1() { return *treeView1_; }
    TShelfBarTqz& ShelfBar1() { return *shelfBar1_; }
    TTreeSelection& Selection() { return *selection_; }

private:
    TBinderTree& binder_;
    std::unique_ptr<TTreeSelection> selection_;
    std::unique_ptr<TTreeNodesModel> model_;
    TShelfBarTqz* shelfBar1_;
    TBinderTreeView* treeView1_;
};
