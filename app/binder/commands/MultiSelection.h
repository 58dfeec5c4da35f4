#pragma once

// The nodes the user picked in the tree besides the selection (Ctrl and Shift presses), as the
// delete command takes them. The tree view keeps them.

#include <vector>

class TTreeNode;

class ITreeSelection {
public:
    virtual ~ITreeSelection() = default;
    // The listed nodes that still exist, in list order.
    virtual std::vector<TTreeNode*> MultiSelection() const = 0;
    // Forgets the list and its anchor.
    virtual void ClearSelectionState() = 0;
};
