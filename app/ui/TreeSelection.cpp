#include "app/ui/TreeSelection.h"

#include "app/binder/BinderTree.h"
#include "app/binder/NodeRange.h"
#include "platform/base/TreeNode.h"

#include <algorithm>

TTreeSelection::TTreeSelection(TBinderTree& tree) : tree_(tree) {
    tree_.AddObserver(this);
}

TTreeSelection::~TTreeSelection() {
    tree_.RemoveObserver(this);
}

TTreeNode* TTreeSelection::Resolve(uint64_t itemId) const {
    return tree_.Items().FindByItemId(itemId);
}

void TTreeSelection::ClearSelectionState() {
    multiSelection_.clear();
    anchor_ = 0;
}

void TTreeSelection::TreeView1Changing() {
    anchor_ = tree_.Selected() != nullptr ? tree_.Selected()->ItemId() : 0;
}

std::vector<TTreeNode*> TTreeSelection::MultiSelection() const {
    std::vector<TTreeNode*> nodes;
    for (uint64_t itemId : multiSelection_) {
        if (TTreeNode* node = Resolve(itemId)) {
            nodes.push_back(node);
        }
    }
    return nodes;
}

void TTreeSelection::TreeView1MouseDown(TTreeNode* hit, bool shift, bool ctrl, bool leftButton) {
    std::vector<TTreeNode*> list = MultiSelection();
    TTreeNode* anchor = Resolve(anchor_);
    auto listed = [&](const TTreeNode* node) {
        return std::find(list.begin(), list.end(), node) != list.end();
    };
    if (shift) {
        const std::vector<TTreeNode*> all = tree_.Items().AllNodes();
        SelectNodeRange(anchor, tree_.Selected(), all, list);
    } else if (ctrl) {
        if (hit != nullptr && hit->Owner() == &tree_.Items()) {
            if (listed(hit)) {
                list.erase(std::find(list.begin(), list.end(), hit));
            } else {
                if (anchor != nullptr && !listed(anchor)) {
                    list.push_back(anchor);
                }
                list.push_back(hit);
            }
        }
    } else if (leftButton) {
        list.clear();
    }
    multiSelection_.clear();
    for (const TTreeNode* node : list) {
        multiSelection_.push_back(node->ItemId());
    }
}
