#pragma once

// The range of nodes a Shift press adds to the multi-selection.

#include <span>
#include <vector>

class TTreeNode;

// Adds to `list`, each once, the nodes from the first of `a` and `b` met in `nodes` (all tree
// nodes in index order) to the second, both included. Nothing when either is missing or not
// among the nodes; a range from a node to itself is that node.
void SelectNodeRange(TTreeNode* a, TTreeNode* b, std::span<TTreeNode* const> nodes,
                     std::vector<TTreeNode*>& list);
