#pragma once

// The binder tree view's multi-selection: the nodes picked with Ctrl and Shift besides the
// selection, the anchor a Shift press counts from, and the mouse rule that builds the list.
// The delete command takes the list from here (ITreeSelection). A binder read or closed
// empties it.

#include "app/binder/BinderNotices.h"
#include "app/binder/commands/MultiSelection.h"

#include <cstdint>
#include <vector>

class TBinderTree;
class TTreeNode;

class TTreeSelection : public ITreeSelection, public IBinderTreeObserver {
public:
    // The tree must outlive the selection.
    explicit TTreeSelection(TBinderTree& tree);
    ~TTreeSelection() override;
    TTreeSelection(const TTreeSelection&) = delete;
    TTreeSelection& operator=(const TTreeSelection&) = delete;

    // Before the selection changes: the node selected so far becomes the anchor.
    void TreeView1Changing();
    // A mouse press on the tree (after the selection followed it): with Shift the nodes from
    // the anchor to the selection join the list; with Ctrl the node under the mouse leaves or
    // joins it (the anchor joins first); a plain left press empties it.
    void TreeView1MouseDown(TTreeNode* hit, bool shift, bool ctrl, bool leftButton);
    std::vector<TTreeNode*> MultiSelection() const override;
    // Forgets the list and the anchor.
    void ClearSelectionState() override;

    void BinderLoading() override { ClearSelectionState(); }
    void BinderClosed() override { ClearSelectionState(); }

private:
    TTreeNode* Resolve(uint64_t itemId) const;

    TBinderTree& tree_;
    // Nodes are held by their item ids, which are never given again, so a list entry whose
    // node was deleted simply finds nothing.
    std::vector<uint64_t> multiSelection_;
    uint64_t anchor_ = 0;
};
