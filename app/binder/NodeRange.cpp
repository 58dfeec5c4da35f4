#include "app/binder/NodeRange.h"

#include <algorithm>

void SelectNodeRange(TTreeNode* a, TTreeNode* b, std::span<TTreeNode* const> nodes,
                     std::vector<TTreeNode*>& list) {
    if (a == nullptr || b == nullptr) {
        return;
    }
    auto first = std::find_if(nodes.begin(), nodes.end(),
                              [&](const TTreeNode* node) { return node == a || node == b; });
    if (first == nodes.end()) {
        return;
    }
    TTreeNode* other = *first == a ? b : a;
    auto last = std::find(first, nodes.end(), other);
    if (last == nodes.end()) {
        return;
    }
    for (auto node = first; node != last + 1; ++node) {
        if (std::find(list.begin(), list.end(), *node) == list.end()) {
            list.push_back(*node);
        }
    }
}
