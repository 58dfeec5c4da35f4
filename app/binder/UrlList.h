#pragma once

// The URL list: the requested URLs of the web pages and links of a subtree or of the whole
// binder, one a line (CR LF), in a text file.

#include "app/binder/StoreFiles.h"
#include "app/binder/WholeFiles.h"

class TTreeNode;
class TTreeNodes;

// The URLs of the subtree depth first in child order: a web page or a link gives its own URL
// and its children are not visited. Empty for a null node.
StrVector DoFileExportList(const TTreeNode* node);
// The same for every top-level node in order.
StrVector DoFileExportListAll(const TTreeNodes& tree);

// Replaces (or creates) the file with the list; a file that cannot be written stays as it was.
WriteResult WriteUrlList(const StrVector& list, const std::string& path);
