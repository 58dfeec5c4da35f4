#pragma once

// The folder drop-down of the "Add Item" dialog: a borderless pop-up window holding the tree of
// the binder's folders, read from the folder dump. It closes on a mouse-up anywhere except an
// expand button of the tree (a press outside it counts the same) and then reports the pick;
// Escape closes it without a pick.

#include "platform/base/TreeNode.h"

#include <QFrame>

#include <cstdint>
#include <functional>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

class TPopupFrame : public QFrame {
public:
    explicit TPopupFrame(QWidget* owner);
    ~TPopupFrame() override;

    // Builds the folder tree from a folder dump ("VelmorDump", "1.0", one block per top-level
    // folder). False, with the tree left empty, when the dump does not begin with the marker.
    bool LoadFolderDump(const std::string& dump);
    // Selects the first folder with the id; the selection stays when none has it.
    void SelectFolderId(uint32_t id);
    // The selected folder; null when nothing is selected.
    TTreeNode* SelectedNode() const;
    TTreeNodes& Nodes() { return nodes_; }

    // Shows the frame with its top left corner at the screen point.
    void ShowAt(const QPoint& topLeft);

    // Called after the frame closed on a mouse-up.
    std::function<void()> OnPick;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTreeWidget* TreeView1; // the folders
    void Fill();
    void ClosePicked();
    bool OnExpandButton(const QPoint& viewportPos) const;

    TTreeNodes nodes_;
};
