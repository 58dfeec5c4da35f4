#pragma once

// The files a binder keeps for its web pages: each page's resources lie in its node folder,
// <root>/<store>/<node id in upper-case hexadecimal>. Names handed out keep the stored form
// "<HEX>\sub\file" that exchange files carry; NativePath turns them into paths.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TPageInfo;
class TTreeNode;

using StrVector = std::vector<std::string>;

// <root>/<store>/<HEX id>; empty when the root is not known.
std::string NodeStoreFolder(const std::string& root, const std::string& store, uint32_t id);

// Appends prefix + "\" + name for every file in `dir` whose extension (the text after the
// last ".", compared ignoring case) is one of `filter`; a null filter passes every file and a
// name without a dot passes none. With `recurse` set each sub-folder is walked at its place
// in the listing, its name added to `dir` and (after "\") to `prefix`. Entries are taken in
// name order. Only regular files are listed. A symbolic link is followed only to a file
// inside the folder the walk started from; linked folders are never entered and no folder is
// walked twice, so links can neither loop nor lead out. A folder that cannot be read adds
// nothing.
void FindFilesRecursive(StrVector& found, const std::string& dir, const std::string& prefix,
                        const std::vector<std::string>* filter, bool recurse);

// Every file under the record's node folder as "<HEX>\<path inside the node folder>", the
// folder's mark left out.
StrVector ListNodeStoreFiles(const TPageInfo& record, const std::string& root,
                             const std::string& store);

// The ids of the web pages among `nodes`, in order: the nodes whose records keep a node folder.
std::vector<uint32_t> WebPageIds(std::span<TTreeNode* const> nodes);
// Deletes the node folder of each page id, in order, where the program made it (StoreAccess);
// what stays is told, one text per folder that stays (StoreAccess::RemoveNodeFolder).
std::vector<std::string> DeleteNodeFolders(std::span<const uint32_t> pageIds,
                                           const std::string& root, const std::string& store);
