#include "app/binder/SubtreeWalk.h"

#include "platform/base/TreeNode.h"

#include <vector>

void WalkSubtree(const TTreeNode* node, const std::function<bool(const TTreeNode&)>& visit) {
    std::vector<const TTreeNode*> pending;
    if (node != nullptr) {
        pending.push_back(node);
    }
    while (!pending.empty()) {
        const TTreeNode* current = pending.back();
        pending.pop_back();
        if (!visit(*current)) {
            continue;
        }
        for (int i = current->Count() - 1; i >= 0; --i) {
            pending.push_back(current->Item(i));
        }
    }
}

void WalkTree(const TTreeNodes& tree, const std::function<bool(const TTreeNode&)>& visit) {
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        WalkSubtree(tree.TopLevelItem(i), visit);
    }
}
