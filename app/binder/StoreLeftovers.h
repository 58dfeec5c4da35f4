#pragma once

// What a crash leaves in a binder's store for good: the folders of pages whose nodes never
// reached the tree file (a capture with levels writes its pages as they come and the tree at
// most every 30 s; an import moves its node folders in before the tree is saved) and the
// staging folder of an import. They are removed when the binder opens, once its tree is read.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// True for the name a node's folder has, its id in upper-case hexadecimal without leading
// zeros, and then `id` is that id.
bool IsNodeFolderName(std::string_view name, uint32_t& id);

// True for the name of an import's staging folder: ImportStagingPrefix and six letters or
// digits.
bool IsStagingFolderName(std::string_view name);

// Whether the leftovers of the binder's store may be looked for: the store is a folder (not a
// link) directly in the binder's folder and named as this program names stores (ending in
// "store"), and no other binder file in the folder names the same store with another tree
// file, whose nodes would not be known here. A binder file can name any folder beside it as
// its store, a folder of the user's too, where folders with such names are the user's own.
bool StoreMayBeSwept(const std::string& binderFolder, const std::string& storeName,
                     const std::string& binderFile, const std::string& saveName);

// Removes the folders directly in `store` that are named like a node's folder of an id that
// `owned` refuses, and the staging folders. Only folders go, never what a link leads to, and
// nothing when the store itself is a link. Returns the names removed.
std::vector<std::string> RemoveLeftoverFolders(const std::string& store,
                                               const std::function<bool(uint32_t id)>& owned);
