#include "app/binder/TreeFile.h"

#include "app/binder/PageInfo.h"
#include "app/binder/StringMessage.h"
#include "app/binder/Task.h"
#include "app/binder/TreeCommands.h"
#include "platform/base/Exceptions.h"
#include "platform/base/StringUtils.h"
#include "platform/base/TreeNode.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// ---- writing -------------------------------------------------------------------------------

constexpr size_t PieceSize = 1 << 20;

// The form records take in a block, and which children a block takes.
struct RecordForm {
    bool (*Take)(const TPageInfo&);
    size_t (*Size)(const TPageInfo&);
    void (*Append)(const TPageInfo&, std::string&);
};

const RecordForm FullRecords{[](const TPageInfo&) { return true; },
                             [](const TPageInfo& record) { return record.BlockSize(); },
                             [](const TPageInfo& record, std::string& out) {
                                 std::unique_ptr<StringMessageI18N> block = record.ToMessage();
                                 out.append(block->GetBuffer(),
                                            static_cast<size_t>(block->GetLength()));
                             }};

const RecordForm FolderRecords{
    [](const TPageInfo& record) { return record.Kind == NodeKind::Folder; },
    [](const TPageInfo& record) { return record.ToRecordString().size(); },
    [](const TPageInfo& record, std::string& out) { out += record.ToRecordString(); }};

struct BlockEntry {
    const TTreeNode* Node;
    size_t Parent; // index of the parent's entry; NoParent for the block's own node
    size_t RecordSize = 0;
    size_t Length = 0; // of the node's subtree block
};

constexpr size_t NoParent = static_cast<size_t>(-1);

// The nodes of one block in tree order, each with the length of its own block: a block is
// its record field plus a "Child" field and a child block per child taken (one with a record
// that the form takes). Children follow their parent in tree order, so a walk backwards
// sizes every child before its parent. Nothing is built yet.
std::vector<BlockEntry> LayOutBlock(const TTreeNode& root, const RecordForm& form) {
    std::vector<BlockEntry> entries;
    std::vector<std::pair<const TTreeNode*, size_t>> pending{{&root, NoParent}};
    while (!pending.empty()) {
        auto [node, parent] = pending.back();
        pending.pop_back();
        const size_t index = entries.size();
        entries.push_back({node, parent, form.Size(*NodeRecord(node))});
        for (int i = node->Count() - 1; i >= 0; --i) {
            const TTreeNode* child = node->Item(i);
            const TPageInfo* record = NodeRecord(child);
            if (record != nullptr && form.Take(*record)) {
                pending.emplace_back(child, index);
            }
        }
    }
    const size_t childField = StringMessageI18N::FieldSize(std::strlen(ChildMarker));
    std::vector<size_t> sizes(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        sizes[i] = StringMessageI18N::FieldSize(entries[i].RecordSize);
    }
    for (size_t i = entries.size(); i-- > 0;) {
        entries[i].Length = sizes[i];
        if (entries[i].Parent != NoParent) {
            sizes[entries[i].Parent] +=
                childField + StringMessageI18N::FieldSize(entries[i].Length);
        }
    }
    return entries;
}

// Writes blocks front to back and hands the bytes on in pieces of about a megabyte, so a
// large binder never needs the whole file in memory.
class BlockWriter {
public:
    BlockWriter(const TreeSink& sink, const TreeProgress& progress)
        : sink_(sink), progress_(progress) {}

    void Field(std::string_view bytes) {
        StringMessageI18N::AppendFieldHeader(piece_, bytes.size());
        piece_.append(bytes);
    }

    // One block; with `asField` it is written as one field (its length first).
    bool Block(const TTreeNode& root, const RecordForm& form, bool asField) {
        const std::vector<BlockEntry> entries = LayOutBlock(root, form);
        for (const BlockEntry& entry : entries) {
            if (entry.Parent != NoParent) {
                Field(ChildMarker);
                StringMessageI18N::AppendFieldHeader(piece_, entry.Length);
                if (progress_) {
                    progress_();
                }
            } else if (asField) {
                StringMessageI18N::AppendFieldHeader(piece_, entry.Length);
            }
            StringMessageI18N::AppendFieldHeader(piece_, entry.RecordSize);
            const size_t before = piece_.size();
            form.Append(*NodeRecord(entry.Node), piece_);
            // Every length around the record was counted with its size: bytes of any other
            // size would make the whole file unreadable.
            if (piece_.size() - before != entry.RecordSize) {
                ok_ = false;
            }
            if (!ok_ || (piece_.size() >= PieceSize && !Pass())) {
                return false;
            }
        }
        return true;
    }

    bool Finish() { return ok_ && (piece_.empty() || Pass()); }

private:
    bool Pass() {
        ok_ = ok_ && sink_(piece_);
        piece_.clear();
        return ok_;
    }

    const TreeSink& sink_;
    const TreeProgress& progress_;
    std::string piece_;
    bool ok_ = true;
};

bool WriteDump(const TTreeNodes& tree, const RecordForm& form, const TreeSink& sink,
               const TreeProgress& progress) {
    BlockWriter writer(sink, progress);
    writer.Field(TreeFileMarker);
    writer.Field(TreeFileVersion);
    for (int i = 0; i < tree.TopLevelCount(); ++i) {
        const TTreeNode* node = tree.TopLevelItem(i);
        const TPageInfo* record = NodeRecord(node);
        if (record != nullptr && form.Take(*record) && !writer.Block(*node, form, true)) {
            return false;
        }
    }
    return writer.Finish();
}

std::string BlockBytes(const TTreeNode& node, const RecordForm& form,
                       const TreeProgress& progress) {
    std::string bytes;
    const TreeSink append = [&](std::string_view piece) {
        bytes.append(piece);
        return true;
    };
    BlockWriter writer(append, progress);
    const TPageInfo* record = NodeRecord(&node);
    if (record != nullptr && writer.Block(node, form, false)) {
        writer.Finish();
    }
    return bytes;
}

std::string DumpBytes(const TTreeNodes& tree, const RecordForm& form,
                      const TreeProgress& progress) {
    std::string bytes;
    WriteDump(
        tree, form,
        [&](std::string_view piece) {
            bytes.append(piece);
            return true;
        },
        progress);
    return bytes;
}

// ---- reading -------------------------------------------------------------------------------

// Walks the fields of a byte block in place, by the rules of the field stream's reader.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}

    bool HasMore() const {
        StringMessageI18N::TFieldSpan span;
        return StringMessageI18N::ScanField(bytes_, pos_, span) !=
               StringMessageI18N::TFieldScan::None;
    }

    // The next field; false when there is none. A field longer than the bytes left ends the
    // reading and marks the block as overrun.
    bool Next(std::string_view& field) {
        StringMessageI18N::TFieldSpan span;
        switch (StringMessageI18N::ScanField(bytes_, pos_, span)) {
        case StringMessageI18N::TFieldScan::None:
            return false;
        case StringMessageI18N::TFieldScan::Overrun:
            overrunAt_ = bytes_.data() + pos_;
            pos_ = bytes_.size();
            overrun_ = true;
            return false;
        case StringMessageI18N::TFieldScan::Found:
            break;
        }
        field = bytes_.substr(span.Start, span.Length);
        pos_ = span.Start + span.Length;
        return true;
    }

    bool Overrun() const { return overrun_; }
    // Where the field that ran past the end begins.
    const char* OverrunAt() const { return overrunAt_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    const char* Position() const { return bytes_.data() + pos_; }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
    bool overrun_ = false;
    const char* overrunAt_ = nullptr;
};

void NoteOverrun(TreeLoadContext& context, const FieldReader& fields) {
    context.Note(TreeLoadResult::Truncated,
                 "a field" + context.At(fields.OverrunAt()) + " runs past the end of its block");
}

// A field read as a C string: up to its first NUL byte.
std::string_view AsCString(std::string_view field) {
    return field.substr(0, std::min(field.find('\0'), field.size()));
}

bool IsChildMarker(std::string_view field) {
    return LowerCase(std::string(AsCString(field))) == "child";
}

// One block being read: its remaining fields and the node its children go under.
struct OpenBlock {
    FieldReader Fields;
    TTreeNode* Node;
};

// Reads a block's record and inserts it under the selection. True (and the block is open)
// when the node was made, so its children are read next.
bool OpenSubtree(TTreeNodes& tree, std::string_view block, TreeLoadContext& context,
                 std::vector<OpenBlock>& open) {
    FieldReader fields(block);
    std::string_view recordBytes;
    if (!fields.Next(recordBytes)) {
        if (fields.Overrun()) {
            NoteOverrun(context, fields);
        } else {
            context.Note(TreeLoadResult::Truncated,
                         "the node" + context.At(block.data()) + " has no record");
        }
        return false;
    }
    std::unique_ptr<TPageInfo> record;
    try {
        StringMessageI18N message(recordBytes.data(), recordBytes.size());
        record = std::make_unique<TPageInfo>(message);
    } catch (const Exception& error) {
        context.Note(TreeLoadResult::BadRecord, "the record" + context.At(recordBytes.data()) +
                                                    " cannot be read (" + error.what() + ")");
        return false;
    }
    const bool unfinishedPage = IsUnfinishedPage(*record);
    const uint32_t id = record->Id;
    const std::string url = record->RequestedUrl;
    TTreeNode* node = CreateNode(tree, std::move(record), TInsertMode::Child, context.ListMode);
    if (node == nullptr) {
        // Its children would be refused under the same node in the same way.
        context.Refused = true;
        context.Note(TreeLoadResult::Refused);
        return false;
    }
    if (unfinishedPage) {
        Task task(url, context.StorePath, UnfinishedPageKind);
        task.NodeId = id;
        context.UnfinishedPages.push_back(std::move(task));
    }
    open.push_back({fields, node});
    return true;
}

} // namespace

std::unique_ptr<StringMessageI18N> SerializeSubtree(const TTreeNode& node,
                                                    const TreeProgress& progress) {
    const std::string bytes = BlockBytes(node, FullRecords, progress);
    return std::make_unique<StringMessageI18N>(bytes.data(), bytes.size());
}

bool WriteTreeFile(const TTreeNodes& tree, const TreeSink& sink, const TreeProgress& progress) {
    return WriteDump(tree, FullRecords, sink, progress);
}

std::string TreeFileBytes(const TTreeNodes& tree, const TreeProgress& progress) {
    return DumpBytes(tree, FullRecords, progress);
}

std::string BinderFolderDump(const TTreeNodes& tree) {
    return DumpBytes(tree, FolderRecords, {});
}

std::string BinderFolderDumpNode(const TTreeNode& node) {
    return BlockBytes(node, FolderRecords, nullptr);
}

void QueueUnfinishedPages(ITaskQueue& queue, const std::vector<Task>& pages) {
    for (const Task& page : pages) {
        if (!queue.HasPageTask(page.NodeId)) {
            queue.AddTask(page);
        }
    }
}

bool TreeLoadLostData(TreeLoadResult result) {
    return result != TreeLoadResult::Loaded && result != TreeLoadResult::Empty;
}

void TreeLoadContext::Note(TreeLoadResult result, std::string reason) {
    if (static_cast<int>(result) > static_cast<int>(Result)) {
        Result = result;
        Reason = std::move(reason);
    }
}

std::string TreeLoadContext::At(const char* place) const {
    if (FileStart == nullptr || place == nullptr || place < FileStart) {
        return {};
    }
    return " at byte " + std::to_string(place - FileStart);
}

void LoadSubtree(TTreeNodes& tree, std::string_view block, TreeLoadContext& context) {
    std::vector<OpenBlock> open;
    OpenSubtree(tree, block, context, open);
    while (!open.empty() && !context.Stopped()) {
        FieldReader& fields = open.back().Fields;
        std::string_view field;
        if (!fields.Next(field)) {
            if (fields.Overrun()) {
                NoteOverrun(context, fields);
            }
            open.pop_back();
            if (!open.empty()) {
                tree.SetSelected(open.back().Node);
            }
            continue;
        }
        if (!IsChildMarker(field)) {
            continue;
        }
        std::string_view child;
        if (!fields.Next(child)) {
            if (fields.Overrun()) {
                NoteOverrun(context, fields);
            } else {
                context.Note(TreeLoadResult::Truncated, "the \"Child\" field" +
                                                            context.At(field.data()) +
                                                            " has no block after it");
            }
            continue;
        }
        if (context.Step) {
            context.Step();
        }
        OpenSubtree(tree, child, context, open);
    }
}

TreeLoadResult LoadTreeDump(TTreeNodes& tree, std::string_view bytes, TreeLoadContext& context) {
    if (bytes.empty()) {
        context.Note(TreeLoadResult::Empty);
        return context.Result;
    }
    if (context.FileStart == nullptr) {
        context.FileStart = bytes.data();
    }
    FieldReader fields(bytes);
    std::string_view marker;
    if (!fields.Next(marker) || AsCString(marker) != TreeFileMarker) {
        context.Note(TreeLoadResult::WrongMarker,
                     std::string("it does not begin with \"") + TreeFileMarker + "\"");
        return context.Result;
    }
    std::string_view version;
    fields.Next(version); // any version is read alike
    tree.SetSelected(nullptr);
    while (fields.HasMore() && !context.Stopped()) {
        std::string_view block;
        if (!fields.Next(block)) {
            break;
        }
        LoadSubtree(tree, block, context);
        tree.SetSelected(nullptr);
    }
    if (fields.Overrun()) {
        NoteOverrun(context, fields);
    } else if (!context.Stopped() && !fields.AtEnd()) {
        context.Note(TreeLoadResult::Truncated,
                     "the bytes" + context.At(fields.Position()) + " on are no field");
    }
    return context.Result;
}

void ClearTree(TTreeNodes& tree) {
    for (TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        node->SetData(nullptr);
    }
    tree.Clear();
}
