#pragma once

// Walking the nodes of a subtree, or of the whole tree, depth first in child order without
// recursion, so a deep tree cannot exhaust the stack.

#include <functional>

class TTreeNode;
class TTreeNodes;

// Visits the node and below it; a node for which `visit` answers false is not walked further.
void WalkSubtree(const TTreeNode* node, const std::function<bool(const TTreeNode&)>& visit);
// WalkSubtree for every top-level node in order.
void WalkTree(const TTreeNodes& tree, const std::function<bool(const TTreeNode&)>& visit);
