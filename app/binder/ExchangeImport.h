#pragma once

// Reading an exchange file into the open binder. Exchange files come from anyone: the whole
// file is read and checked before the tree or the store changes.

#include <string>

class TTreeNode;
struct ExportContext;

// Imports the file's subtrees under `target` (the top level when null) and its files into the
// store. A file that is not a sound exchange file, or whose files would land outside their
// node folders, is refused with "File Format Error" and changes nothing; a write that fails is
// shown with the writer's message and leaves no node and no file of the import behind. Node
// ids already in the binder, or met before in the file, are given fresh ids, and the files of
// the old id are written for the new one.
void ImportExchangeFile(ExportContext& context, const std::string& path, TTreeNode* target);
