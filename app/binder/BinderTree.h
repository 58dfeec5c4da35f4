#pragma once

// The open binder's tree, the binder document: the nodes with their records, the changed
// mark, the tree file, the cut and copy slots, and the changes of the tree (create, delete,
// move, paste, drop, rename). It shows nothing: what it has to say comes back as values, and
// what changed is announced to its observers (ITreeNodesObserver for the nodes,
// IBinderTreeObserver for the rest). The commands (app/binder/commands) ask, confirm and show
// messages around it; everything runs on the main thread.

#include "app/binder/BinderNotices.h"
#include "app/binder/CaptureRecords.h"
#include "app/binder/ChangedMark.h"
#include "app/binder/StoreTakeOver.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/TreeFile.h"
#include "platform/base/TreeNode.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ICaptureStarter;
class ITaskQueue;
class TPageInfo;
struct BinderPaths;
struct CaptureOptions;
struct TSettings;
enum class NodeKind : int32_t;

// How the document gets itself saved when a change must reach the disk at once (a new node,
// a stored note, a delete, a capture's end, and whatever changed files in the store): the
// commands save with the wait form and show what failed.
class ITreeSaver {
public:
    virtual ~ITreeSaver() = default;
    virtual bool SaveBinder() = 0;
};

// A save of the tree file: whether it was written (or needed no writing), and what the user
// is to be told.
struct TTreeSaveResult {
    bool Saved = true;
    std::vector<std::string> Messages;
};

// A read of the tree file: how far it got, whether a node was refused under a non-folder,
// and what the user is to be told, in order, once the views show the tree.
struct TTreeLoadReport {
    TreeLoadResult Result = TreeLoadResult::Empty;
    bool Refused = false;
    std::vector<std::string> Messages;
};

class TBinderTree : public ICaptureRecords {
public:
    // The collaborators must outlive the tree. `paths` and `settings` are read when used, so
    // the lifecycle and the options dialog may change them at any time.
    TBinderTree(ITaskQueue& queue, TSettings& settings, BinderPaths& paths);
    ~TBinderTree() override;
    TBinderTree(const TBinderTree&) = delete;
    TBinderTree& operator=(const TBinderTree&) = delete;

    // The capture engine, which is built over the tree and so comes after it; until then (or
    // with null) no capture starts. It must outlive the tree or be taken back first.
    void SetCaptureStarter(ICaptureStarter* capture) { capture_ = capture; }
    // Who saves when a change must reach the disk at once; without one (or with null) the
    // tree file is written quietly. It must outlive the tree or be taken back first.
    void SetSaver(ITreeSaver* saver) { saver_ = saver; }

    // An observer must stay registered no longer than it lives.
    void AddObserver(IBinderTreeObserver* observer);
    void RemoveObserver(IBinderTreeObserver* observer);

    TTreeNodes& Items() { return items_; }
    const TTreeNodes& Items() const { return items_; }
    TTreeNode* Selected() const { return items_.Selected(); }

    // Set by every change of the tree or a record; the tree file is written only when set. Its
    // going from clear to set is told (BinderMarkedChanged).
    TChangedMark BinderDirty;

    // ---- tree file ----
    // Writes the tree file when the binder is marked changed, as one atomic replacement.
    // Saved when nothing needed writing or the file was written (the mark is then cleared);
    // not saved, with the mark kept and the old file untouched, when it could not be written.
    // A tree file that failed to load is first renamed to a free name "<file>.bad",
    // "<file>.bad1", ... so no save ever overwrites what could not be read. `progress` is
    // called now and then while a large tree is written.
    // Before anything, the observers are told (BinderSaving).
    TTreeSaveResult SaveTree(const std::function<void()>& progress = {});
    // The last write of the tree file failed, and none has succeeded since (nor was a binder
    // read or closed).
    bool SaveFailing() const { return saveFailing_; }
    // Saves as the saver does; quietly (SaveTree) without one.
    bool Save();
    // Stores a note (its RNF bytes) in the node's record, marks the binder changed and saves.
    // False when the node has no record or the file could not be written.
    bool StoreNote(TTreeNode* node, std::string_view note);
    // Reads the tree file into the tree (which the caller has emptied), queues the unfinished
    // web pages that the task queue does not hold yet, removes what a crash left in the store
    // when the whole file was read (StoreLeftovers), and resets the views; the views are told
    // of the tree once, when it is whole. A file that is there but cannot be read completely
    // is reported ("File Format Error", or "can not read file <path>", then the file, the
    // reason and the name the damaged file will be kept under) and kept from being
    // overwritten; after a wrong marker or a bad record the task polling is left as it was and
    // no BinderLoaded is told. `progress` is called as records are read.
    // A store without marks that holds folders named as its pages is taken over when `ask`
    // answers yes (StoreTakeOver); without one it stays as it is.
    TTreeLoadReport LoadBinderTree(const std::function<void()>& progress = {},
                                   const StoreQuestion& ask = {});
    // The folder dump of the tree for the Add Item dialog.
    std::string BinderFolderDump() const;
    // True after a load that left part of the tree file unread, until the next save moved it
    // aside.
    bool TreeFileKept() const { return keepTreeFile_; }
    // Empties the tree as the binder closes: the slots are forgotten, the records freed and
    // the observers told (BinderClosed).
    void CloseTree();

    // ---- creating ----
    // Inserts a node (a new record of `kind` named "New Category" or "New Item", made unique,
    // when none is given) in child or sibling mode. With `save` the binder is marked changed,
    // saved and the view refreshed. Null when refused under a non-folder (NodeRefused is told).
    TTreeNode* CreateNode(NodeKind kind, TInsertMode mode, bool save,
                          std::unique_ptr<TPageInfo> record = nullptr);
    std::string MakeUniqueNodeName(const std::string& base) const;
    // The selected record becomes unfinished and its capture starts.
    void CaptureSelectedNode(bool useCache, const CaptureOptions& options);

    // ---- deleting ----
    // Deletes nodes with their subtrees, in the order given (a node below one deleted before
    // it goes with that one): their captures are stopped and the nodes with their records
    // removed; then the tree file is written (Save), and only once it no longer names them are
    // the stored files of their pages deleted. When it cannot be written the files stay, so the
    // tree file on disk never names a page whose files are gone. `aside` runs the deleting of
    // the files, which touches neither the tree nor a window, and returns when it has ended;
    // empty, it runs in place. Returns what to tell the user when folders of the pages stay
    // (FoldersLeftMessage), else empty.
    std::string DeleteNodes(const std::vector<TTreeNode*>& nodes,
                            const std::function<void(const std::function<void()>&)>& aside = {});
    void DeleteNode(TTreeNode* node) { DeleteNodes({node}); }

    // ---- cut, copy, paste, drop ----
    // The node goes into the cut or the copy slot (SlotFilled is told); null changes nothing.
    void SetCutSlot(TTreeNode* node);
    void SetCopySlot(TTreeNode* node);
    // The node held by the cut or the copy slot; null when empty or the node is gone.
    TTreeNode* CutNode() const;
    TTreeNode* CopiedNode() const;
    // After a paste: both slots are emptied (SlotsEmptied is told).
    void EmptySlots();
    // Moves the selected node to where a drag from the main tree (`fromMainTree`) was dropped.
    // True when it moved.
    bool TreeView1DragDrop(THitZone zone, TTreeNode* target, bool fromMainTree);

    // ---- rename ----
    // The end of an in-place edit: the record's title becomes the edited text made unique
    // (not for a web page shown by its URL). Returns the label the node shows afterwards.
    std::string TreeView1Edited(TTreeNode* node, const std::string& text);

    // ---- the records as a capture sees them ----
    TPageInfo* FindRecord(uint32_t id) override;
    bool HoldsRecord(const TPageInfo* record, uint32_t id) const override;
    bool AddPageBeside(const TPageInfo& record, std::unique_ptr<TPageInfo> page) override;
    void MarkChanged() override { BinderDirty = true; }
    void RecordChanged(const TPageInfo& record) override;
    void SaveChanges() override { Save(); }

private:
    TTreeNode* Resolve(uint64_t itemId) const { return items_.FindByItemId(itemId); }
    TreeLoadResult ReadBinderTree(TTreeLoadReport& report, const std::function<void()>& progress);
    // The first of "<file>.bad", "<file>.bad1", ... that is free; empty when none is.
    std::string FreeKeptName() const;
    // Where the damaged tree file will go, as the user is told.
    std::string KeptNotice() const;
    bool MoveTreeFileAside(std::vector<std::string>& messages);
    // Once the whole tree is read: takes over a store laid out without marks when `ask` says
    // yes (StoreTakeOver) and removes the folders a crash left there (StoreLeftovers).
    void TakeOverStoreAndRemoveLeftovers(const StoreQuestion& ask);
    template <class Notice> void Tell(Notice notice) {
        for (IBinderTreeObserver* observer : observers_) {
            notice(*observer);
        }
    }

    ITaskQueue& queue_;
    ICaptureStarter* capture_ = nullptr;
    ITreeSaver* saver_ = nullptr;
    TSettings& settings_;
    BinderPaths& paths_;
    std::vector<IBinderTreeObserver*> observers_;

    TTreeNodes items_;
    bool keepTreeFile_ = false;
    bool saveFailing_ = false;
    std::string announcedKeptName_;
    // Nodes are held by their item ids, which are never given again, so a slot whose node
    // was deleted simply finds nothing.
    uint64_t cutSlot_ = 0;
    uint64_t copySlot_ = 0;
};
