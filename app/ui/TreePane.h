#pragma once

// The left side of the main window: Panel1 with the side bar's place (ShelfBar1) holding the
// binder tree (TreeView1) over its model. The side bar's panels (the tree, the pages list, the
// binder list) are chosen here; the binder code reaches them through IBinderWindow.

#include <QWidget>

#include <memory>

class TBinderTree;
class TBinderTreeView;
class TImageList;
class TTreeNodesModel;

class TTreePane : public QWidget {
public:
    TTreePane(TBinderTree& binder, const TImageList& images, QWidget* parent);
    ~TTreePane() override;

    TBinderTreeView& TreeView1() { return *treeView1_; }
    QWidget& ShelfBar1() { return *shelfBar1_; }

    // The panel open in the side bar; opening one (an index past the last is ignored) fills it.
    int TopPanel() const { return topPanel_; }
    void OpenPanel(int index);
    // Fills a panel again.
    void ShelfBar1PanelOpen(int index);

private:
    TBinderTree& binder_;
    std::unique_ptr<TTreeNodesModel> model_;
    QWidget* shelfBar1_;
    TBinderTreeView* treeView1_;
    int topPanel_ = 0;
};
