#pragma once

// The parts of the binder tree's changes that work on any tree: inserting a node with its
// record, the node's label, and where a drop puts the dragged node.

#include <cstdint>
#include <memory>
#include <string>

class TPageInfo;
class TTreeNode;
class TTreeNodes;
enum class NodeKind : int32_t;

// Where a new node goes, relative to the selection.
enum class TInsertMode : int32_t {
    Sibling = 1, // last child of the selection's parent; the top level when there is none
    Child = 2,   // last child of the selection; the top level when nothing is selected
    After = 3,   // right after the selection, at its level; last at the top level without one
};

inline constexpr const char* NewFolderName = "New Category";
inline constexpr const char* NewItemName = "New Item";
inline constexpr const char* NonFolderRefusal = "Can't create child under a non-folder node";

// The label of a record's node: the requested URL of a web page in URL list mode (`listMode`
// 1), the title otherwise.
std::string NodeLabel(const TPageInfo& record, int32_t listMode);

// Inserts a node carrying the record and makes it the selection. Refused when the node it
// would go under has a record that is not a folder: the record is dropped and nothing is
// inserted (the caller tells "Can't create child under a non-folder node"). Returns the new
// node, or null.
TTreeNode* CreateNode(TTreeNodes& tree, std::unique_ptr<TPageInfo> record, TInsertMode mode,
                      int32_t listMode);

// Where the mouse was over the tree when the dragged node was dropped.
enum class THitZone {
    Label,      // on a node's label
    Icon,       // on a node's icon
    Indent,     // left of a node's icon
    BelowNodes, // on empty space below the last node
    Elsewhere,  // anywhere else (a button, right of a label, outside)
};

enum class TDropAction {
    None,
    AddChild,     // last child of the node under the mouse
    InsertBefore, // just before the node under the mouse
    AddTopLevel,  // last at the top level
};

// What a drop does, from where it hit and the kind of the node under the mouse.
TDropAction DropAction(THitZone zone, NodeKind targetKind);
