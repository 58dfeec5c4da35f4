#pragma once

// The open binder's tree as the main window holds it: the nodes with their records, the
// changed mark, the tree file, and the commands that change the tree (create, add through the
// Add Item dialog, delete, cut, copy and paste, drop, rename, expand and collapse) with the
// cut and copy slots and the multi-selection. The window's view shows `Items()` and forwards
// its events here; everything runs on the main thread.

#include "app/binder/BinderUi.h"
#include "app/binder/CaptureRecords.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/TreeFile.h"
#include "platform/base/TreeNode.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IBinderLifecycle;
class ICaptureStarter;
class ITaskQueue;
class TPageInfo;
struct BinderPaths;
struct CaptureOptions;
struct TSettings;
enum class NodeKind : int32_t;

class TBinderTree : public ICaptureRecords {
public:
    // The collaborators must outlive the tree. `paths` and `settings` are read when used, so
    // the lifecycle and the options dialog may change them at any time.
    TBinderTree(const TBinderUiRoles& ui, ITaskQueue& queue, TSettings& settings,
                BinderPaths& paths);
    ~TBinderTree() override;
    TBinderTree(const TBinderTree&) = delete;
    TBinderTree& operator=(const TBinderTree&) = delete;

    // The capture engine, which is built over the tree and so comes after it; until then (or
    // with null) no capture starts. It must outlive the tree or be taken back first.
    void SetCaptureStarter(ICaptureStarter* capture) { capture_ = capture; }

    // Needed only by the binder-list delete.
    void SetLifecycle(IBinderLifecycle* lifecycle) { lifecycle_ = lifecycle; }

    TTreeNodes& Items() { return items_; }
    const TTreeNodes& Items() const { return items_; }
    TTreeNode* Selected() const { return items_.Selected(); }

    // Set by every change of the tree or a record; the tree file is written only when set.
    bool BinderDirty = false;

    // ---- tree file ----
    // Writes the tree file when the binder is marked changed, as one atomic replacement.
    // True when nothing needed writing or the file was written (the mark is then cleared);
    // false, with the mark kept and the old file untouched, when it could not be written.
    // A tree file that failed to load is first renamed to a free name "<file>.bad",
    // "<file>.bad1", ... so no save ever overwrites what could not be read.
    bool FileSaveExecute();
    // Stores a note (its RNF bytes) in the node's record, marks the binder changed and writes
    // the tree file as FileSaveExecute does. False when the node has no record or the file
    // could not be written.
    bool StoreNote(TTreeNode* node, std::string_view note);
    // Reads the tree file into the tree (which the caller has emptied), queues the unfinished
    // web pages that the task queue does not hold yet, and resets the views; the views are told
    // of the tree once, when it is whole. A file that is there but cannot be read completely
    // is reported ("File Format Error", or "can not read file <path>", then the file, the
    // reason and the name the damaged file will be kept under) and kept from being
    // overwritten; after a wrong marker or a bad record the caption and the task polling are
    // left as they were.
    TreeLoadResult LoadBinderTree();
    // The folder dump of the tree for the Add Item dialog.
    std::string BinderFolderDump() const;
    // True after a load that left part of the tree file unread, until the next save moved it
    // aside.
    bool TreeFileKept() const { return keepTreeFile_; }

    // ---- creating and adding ----
    // Inserts a node (a new record of `kind` named "New Category" or "New Item", made unique,
    // when none is given) in child or sibling mode. With `save` the binder is marked changed,
    // the tree file written and the view refreshed. Null when refused under a non-folder.
    TTreeNode* CreateNode(NodeKind kind, TInsertMode mode, bool save,
                          std::unique_ptr<TPageInfo> record = nullptr);
    // The Add Item dialog: adds a web page, note or link and starts a web page's capture. An
    // argument that is empty or "0" counts as not given. True when a node was added.
    bool AddNode(const std::string& url, const std::string& title, const std::string& html,
                 TInsertMode mode, int dialogMode);
    void FileNewFolderExecute();
    void FileAppendFolderExecute();
    void FileNewNodeExecute();
    void FileAppendNodeExecute();
    std::string MakeUniqueNodeName(const std::string& base) const;
    // The selected record becomes unfinished and its capture starts.
    void CaptureSelectedNode(bool useCache, const CaptureOptions& options);

    // ---- deleting ----
    // The delete command, on what the side bar shows: the multi-selection or the selected node
    // (tree panel), or the binder chosen in the binder list (binder-list panel).
    void EditDelete1Execute();
    // Deletes a node with its subtree: their captures are stopped, their stored files and
    // records deleted.
    void DeleteNode(TTreeNode* node);

    // ---- cut, copy, paste, drop ----
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();
    // The node held by the cut or the copy slot; null when empty or the node is gone.
    TTreeNode* CutNode() const;
    TTreeNode* CopiedNode() const;
    // Moves the selected node to where a drag from the main tree (`fromMainTree`) was dropped.
    // True when it moved.
    bool TreeView1DragDrop(THitZone zone, TTreeNode* target, bool fromMainTree);

    // ---- rename, expand, collapse ----
    void Rename1Click();
    // The end of an in-place edit: the record's title becomes the edited text made unique
    // (not for a web page shown by its URL). Returns the label the node shows afterwards.
    std::string TreeView1Edited(TTreeNode* node, const std::string& text);
    void ExpandTreeExecute();
    void CollapseTreeExecute();

    // ---- the records as a capture sees them ----
    TPageInfo* FindRecord(uint32_t id) override;
    bool HoldsRecord(const TPageInfo* record, uint32_t id) const override;
    bool AddPageBeside(const TPageInfo& record, std::unique_ptr<TPageInfo> page) override;
    void MarkChanged() override { BinderDirty = true; }
    void RecordChanged(const TPageInfo& record) override;
    void SaveChanges() override { FileSaveExecute(); }

    // ---- multi-selection ----
    // Before the selection changes: the node selected so far becomes the anchor.
    void TreeView1Changing();
    // A mouse press on the tree (after the selection followed it): with Shift the nodes from
    // the anchor to the selection join the list; with Ctrl the node under the mouse leaves or
    // joins it (the anchor joins first); a plain left press empties it.
    void TreeView1MouseDown(TTreeNode* hit, bool shift, bool ctrl, bool leftButton);
    // The listed nodes that still exist, in list order.
    std::vector<TTreeNode*> MultiSelection() const;
    // Forgets the slots, the list and the anchor (after a load and when the binder closes).
    void ClearSelectionState();

private:
    TTreeNode* Resolve(uint64_t itemId) const { return items_.FindByItemId(itemId); }
    TreeLoadResult ReadBinderTree(std::vector<std::string>& messages, bool& refused);
    // The first of "<file>.bad", "<file>.bad1", ... that is free; empty when none is.
    std::string FreeKeptName() const;
    // Where the damaged tree file will go, as the user is told.
    std::string KeptNotice() const;
    bool MoveTreeFileAside();
    void EnableAfterSlotSet();

    TBinderUiRoles ui_;
    ITaskQueue& queue_;
    ICaptureStarter* capture_ = nullptr;
    TSettings& settings_;
    BinderPaths& paths_;
    IBinderLifecycle* lifecycle_ = nullptr;

    TTreeNodes items_;
    bool keepTreeFile_ = false;
    std::string announcedKeptName_;
    // Nodes are held by their item ids, which are never given again, so a slot or a list
    // entry whose node was deleted simply finds nothing.
    uint64_t cutSlot_ = 0;
    uint64_t copySlot_ = 0;
    std::vector<uint64_t> multiSelection_;
    uint64_t anchor_ = 0;
};
