#pragma once

// What a crash leaves in a binder's store for good: the folders of pages whose nodes never
// reached the tree file (a capture with levels writes its pages as they come and the tree at
// most every 30 s; an import moves its node folders in before the tree is saved), the staging
// folder of an import and a folder made but not yet named. They are removed when the binder
// opens, once its tree is read: only folders the program marked as its own, whatever their
// names, so a folder of the user's is never taken for one; and of those only the folders whose
// mark this installation signed, as nothing the user asked for removes them.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class StoreAccess;

// True for the name a node's folder has, its id in upper-case hexadecimal without leading
// zeros, and then `id` is that id.
bool IsNodeFolderName(std::string_view name, uint32_t& id);

// True when another binder file in the binder's folder names the same store with another tree
// file: that binder's nodes are not known here, and their folders are not this binder's to
// remove.
bool StoreSharedWithAnotherBinder(const std::string& binderFolder, const std::string& storeName,
                                  const std::string& binderFile, const std::string& saveName);

// Removes the folders directly in the store that the program marked as its own under this
// installation's secret and that are neither the folder of an id `owned` accepts nor one of
// `taskFolders` (where file tasks download). Returns the names removed.
std::vector<std::string> RemoveLeftoverFolders(const StoreAccess& store,
                                               const std::function<bool(uint32_t id)>& owned,
                                               const std::set<std::string>& taskFolders);
