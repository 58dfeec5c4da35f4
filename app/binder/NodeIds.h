#pragma once

// Finding nodes by the id of their record, and the unique default names of new nodes. Every
// lookup walks the whole tree in tree order (parents before children) and skips nodes without
// a record.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TPageInfo;
class TTreeNode;
class TTreeNodes;

// The record of the first node with the id, or null.
TPageInfo* FindRecordById(const TTreeNodes& tree, uint32_t id);
// Sets `node` to the last node with the id; leaves it as it was when no node has it.
void FindTreeNodeById(const TTreeNodes& tree, uint32_t id, TTreeNode*& node);
// Selects the first node with the id; nothing changes when no node has it.
void SelectNodeById(TTreeNodes& tree, uint32_t id);

// A name for a node that no title of the tree makes ambiguous: `base` when no title is `base`
// or `base` followed by "(n)"; otherwise `base` followed by "(", one more than the largest
// such n, and ")". A title that is `base` itself counts with the number it ends with (0 for
// none); numbers of more than four digits do not count. Case-sensitive.
std::string MakeUniqueNodeName(const TTreeNodes& tree, const std::string& base);

// A node id written as the side bar's page list writes it: one to eight hexadecimal digits
// (either case), nothing else. Nothing for any other text, the empty one included.
std::optional<uint32_t> ParseNodeIdHex(std::string_view text);
