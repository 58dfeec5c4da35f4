#pragma once

// The tree file: a binder's whole node tree as one field stream, "VelmorDump", "1.0", then one
// subtree block per top-level node. A subtree block is the node's record block followed, for
// each child, by the field "Child" and the child's subtree block. The folder dump handed to
// the Add Item dialog has the same layout with the short records of the folders only.
//
// Writing and reading work on the bytes directly, without a nested message per level, so a
// tree of any depth costs time and memory in proportion to its size; the writer lays the
// blocks out first and then hands the bytes on in pieces, so the file is never held whole.

#include "app/binder/Task.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ITaskQueue;
class StringMessageI18N;
class TTreeNode;
class TTreeNodes;

inline constexpr const char* TreeFileMarker = "VelmorDump";
inline constexpr const char* TreeFileVersion = "1.0";
inline constexpr const char* ChildMarker = "Child";

// Called once per child written, so a long write can show that it goes on.
using TreeProgress = std::function<void()>;

// A new message holding the node's subtree block. A node without a record is left out with
// everything below it. `progress`, when given, is called once per child written.
std::unique_ptr<StringMessageI18N> SerializeSubtree(const TTreeNode& node,
                                                    const TreeProgress& progress = {});
// Receives the bytes of a file in order, in pieces; answers false to stop the writing.
using TreeSink = std::function<bool(std::string_view piece)>;
// Hands the bytes of the whole tree file to `sink`. False when the sink stopped it.
bool WriteTreeFile(const TTreeNodes& tree, const TreeSink& sink, const TreeProgress& progress = {});
// The bytes of the whole tree file.
std::string TreeFileBytes(const TTreeNodes& tree, const TreeProgress& progress = {});

// The folder dump: marker, version and one block per top-level folder; only folders below.
std::string BinderFolderDump(const TTreeNodes& tree);
// One folder's block of the folder dump.
std::string BinderFolderDumpNode(const TTreeNode& node);

// How reading a tree went, from best to worst.
enum class TreeLoadResult {
    Loaded,
    Empty,       // no file, or an empty one: an empty tree
    Refused,     // records met under a non-folder were dropped
    Truncated,   // a field ran past the end, or bytes without a field were left over
    Unreadable,  // the file is there but cannot be read
    WrongMarker, // the first field is missing or not "VelmorDump": nothing read
    BadRecord,   // a record could not be read (its kind is no node kind): reading ended there
};

// True for every result that left something of the file unread.
bool TreeLoadLostData(TreeLoadResult result);

// What reading blocks into a tree needs around it, and what it found besides the nodes. The
// reader only reads: what it found is for the caller to show and to queue.
struct TreeLoadContext {
    // Called once per child read, for a progress display. May be empty.
    std::function<void()> Step;
    std::string StorePath; // <root>/<store>, the local path of the page tasks
    int32_t ListMode = 0;  // 1: web pages labelled by their requested URL

    // The first byte of the whole file, so that damage is placed by its byte offset; set by
    // LoadTreeDump when not given.
    const char* FileStart = nullptr;

    TreeLoadResult Result = TreeLoadResult::Loaded;
    // Why the result is what it is, for the user ("a field at byte 120 runs past the end of
    // its block"); empty while everything read well.
    std::string Reason;
    // A record was refused under a node that is not a folder (its subtree with it).
    bool Refused = false;
    // An "unfinishedhtm" task for each unfinished web page read, in the order read.
    std::vector<Task> UnfinishedPages;

    // Keeps the worse of the result so far and `result`, with the reason for it.
    void Note(TreeLoadResult result, std::string reason = {});
    // " at byte <offset>" for a place in the file; empty when the file is not known.
    std::string At(const char* place) const;
    bool Stopped() const { return Result == TreeLoadResult::BadRecord; }
};

// Reads one subtree block: its record goes in as the last child of the tree's selection (the
// top level when nothing is selected) and becomes the selection, an unfinished web page is
// listed, and each block after a "child" field (any letter case) is read below it the same
// way. Other fields between the child blocks are skipped.
void LoadSubtree(TTreeNodes& tree, std::string_view block, TreeLoadContext& context);

// Reads a tree file or a folder dump: the marker, the version, then each block at the top
// level with the selection cleared before and after. Returns the context's result, Empty for
// no bytes at all.
TreeLoadResult LoadTreeDump(TTreeNodes& tree, std::string_view bytes, TreeLoadContext& context);

// Queues the listed pages the queue does not hold yet.
void QueueUnfinishedPages(ITaskQueue& queue, const std::vector<Task>& pages);

// Frees the record of every node, in tree order, then empties the tree.
void ClearTree(TTreeNodes& tree);
