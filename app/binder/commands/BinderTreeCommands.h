#pragma once

// The commands on the open binder's tree as the main window runs them: saving, creating and
// adding nodes through the Add Item dialog, deleting (with its confirmation), cut, copy and
// paste, rename, expand and collapse, and reading the tree file with the wait form. They ask,
// confirm and show what the binder document gives back; the document itself shows nothing.
// They also save for the document (ITreeSaver) and show its refusals. Everything runs on the
// main thread.

#include "app/binder/BinderTree.h"
#include "app/binder/commands/BinderUi.h"

#include <string>

class IBinderLifecycle;
class ITreeSelection;
struct BinderPaths;
struct TSettings;

// Asks the person whether the program may use the store of the survey (TakeOverQuestion), the
// answer No unless Yes is chosen; `replacing` when New Binder would remove its folders.
bool AskToUseStore(IUserMessages& messages, const StoreSurvey& survey, bool replacing);

class TBinderTreeCommands : public ITreeSaver, public IBinderTreeObserver {
public:
    // The collaborators must outlive the commands. The commands save for the tree and hear
    // its notices until they go.
    TBinderTreeCommands(const TBinderUiRoles& ui, TBinderTree& tree, TSettings& settings,
                        BinderPaths& paths);
    ~TBinderTreeCommands() override;
    TBinderTreeCommands(const TBinderTreeCommands&) = delete;
    TBinderTreeCommands& operator=(const TBinderTreeCommands&) = delete;

    TBinderTree& Tree() { return tree_; }

    // Needed only by the binder-list delete.
    void SetLifecycle(IBinderLifecycle* lifecycle) { lifecycle_ = lifecycle; }
    // The nodes picked besides the selection, which the delete takes; none without it.
    void SetSelection(ITreeSelection* selection) { selection_ = selection; }

    // ---- tree file ----
    // Writes the tree file when the binder is marked changed, with the wait form open, and
    // shows what went wrong. True when nothing needed writing or the file was written.
    bool FileSaveExecute();
    bool SaveBinder() override { return FileSaveExecute(); }
    // Reads the tree file as TBinderTree::LoadBinderTree does, moving the wait form on, and
    // once the views show the tree tells what could not be read.
    TreeLoadResult LoadBinderTree();

    // ---- creating and adding ----
    // The Add Item dialog: adds a web page, note or link and starts a web page's capture. An
    // argument that is empty or "0" counts as not given. True when a node was added.
    bool AddNode(const std::string& url, const std::string& title, const std::string& html,
                 TInsertMode mode, int dialogMode);
    void FileNewFolderExecute();
    void FileAppendFolderExecute();
    void FileNewNodeExecute();
    void FileAppendNodeExecute();

    // ---- deleting ----
    // The delete command, on what the side bar shows: the multi-selection or the selected node
    // (tree panel), or the binder chosen in the binder list (binder-list panel).
    void EditDelete1Execute();

    // ---- cut, copy, paste ----
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();

    // ---- rename, expand, collapse ----
    void Rename1Click();
    void ExpandTreeExecute();
    void CollapseTreeExecute();

    // "Can't create child under a non-folder node", whoever asked for the node.
    void NodeRefused() override;

private:
    TBinderUiRoles ui_;
    TBinderTree& tree_;
    TSettings& settings_;
    BinderPaths& paths_;
    IBinderLifecycle* lifecycle_ = nullptr;
    ITreeSelection* selection_ = nullptr;
    bool waitFormUp_ = false; // a command holds the wait form up around its tree write
};
