#pragma once

// Reading an exchange file into the open binder. Exchange files come from anyone: the whole
// file is read and checked before the tree or the store changes.

#include <functional>
#include <string>

class TTreeNode;
struct ExportContext;

// What an import tells while it runs, and where its file work runs. `Writing` once the file
// was found sound and its files go to the disk (from where `Aside` runs the file work); `Step`
// after each subtree put into the tree; `Reading` once the file is found to hold something,
// before it is read. `Aside` runs the reading, the checks and the writing of the files, which
// touch neither the tree nor a window, and returns when they have ended; empty, they run in
// place.
struct ImportProgress {
    std::function<void()> Writing;
    std::function<void()> Step;
    std::function<void()> Reading = {};
    std::function<void(const std::function<void()>&)> Aside = {};
};

// What an import gives back: the message to show when it stopped ("can not read file <path>",
// "File Format Error", the writer's message), empty when it did not or stopped without a word;
// and whether nodes were refused a place under a node that is no folder.
struct ExchangeImported {
    std::string Error;
    bool NonFolderRefused = false;
};

// Imports the file's subtrees under `target` (the top level when null) and its files into the
// store. A file that is not a sound exchange file, or whose files would land outside their
// node folders, is refused with "File Format Error" and changes nothing; a write that fails
// gives the writer's message and leaves no node and no file of the import behind. Node ids
// already in the binder, or met before in the file, are given fresh ids, and the files of the
// old id are written for the new one. An empty file stops without a word.
ExchangeImported ImportExchangeFile(ExportContext& context, const std::string& path,
                                    TTreeNode* target, const ImportProgress& progress = {});
