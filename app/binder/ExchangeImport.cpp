#include "app/binder/ExchangeImport.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/ExchangeFile.h"
#include "app/binder/ExchangeUnpack.h"
#include "app/binder/ExportContext.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreAccess.h"
#include "app/binder/StringMessage.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Files.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

// The fields of a byte block, read front to back; a field that runs past the end, or bytes
// left that are no field, make the block unsound.
class FieldWalk {
public:
    explicit FieldWalk(std::string_view bytes) : bytes_(bytes) {}

    bool Next(std::string_view& field) {
        if (pos_ >= bytes_.size()) {
            return false;
        }
        StringMessageI18N::TFieldSpan span;
        if (StringMessageI18N::ScanField(bytes_, pos_, span) !=
            StringMessageI18N::TFieldScan::Found) {
            sound_ = false;
            pos_ = bytes_.size();
            return false;
        }
        field = bytes_.substr(span.Start, span.Length);
        pos_ = span.Start + span.Length;
        return true;
    }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    bool Sound() const { return sound_; }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
    bool sound_ = true;
};

struct ExchangeContents {
    std::vector<std::string_view> Blocks;
    std::vector<SectionFile> Files;
};

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "<hex id>" then "\" or "/" then a relative path of plain segments: nothing empty, no "."
// or "..", no drive prefix, no NUL or control characters.
bool ParseSectionName(std::string_view name, SectionFile& file) {
    const size_t separator = name.find_first_of("\\/");
    if (separator == std::string_view::npos || separator == 0 || separator > 8) {
        return false;
    }
    uint32_t id = 0;
    for (char c : name.substr(0, separator)) {
        if (!IsHexDigit(c)) {
            return false;
        }
        id = id * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    std::string relative;
    std::string_view rest = name.substr(separator + 1);
    bool first = true;
    while (true) {
        const size_t next = rest.find_first_of("\\/");
        const std::string_view segment = rest.substr(0, next);
        if (segment.empty() || segment == "." || segment == "..") {
            return false;
        }
        for (unsigned char c : segment) {
            if (c < 0x20 || c == 0x7f) {
                return false;
            }
        }
        if (first && segment.size() >= 2 && segment[1] == ':') {
            return false;
        }
        relative.append(first ? "" : "/").append(segment);
        first = false;
        if (next == std::string_view::npos) {
            break;
        }
        rest = rest.substr(next + 1);
    }
    file.Id = id;
    file.Relative = std::move(relative);
    return true;
}

// The fields of the whole file, checked for their form. False when the file is not sound.
bool ReadExchangeFields(std::string_view bytes, ExchangeContents& contents) {
    FieldWalk fields(bytes);
    std::string_view field;
    if (!fields.Next(field) || field != ExchangeMarker || !fields.Next(field)) {
        return false;
    }
    // Subtree blocks up to "treedata"; the file section is the last field.
    while (true) {
        if (!fields.Next(field)) {
            return false;
        }
        if (field == ExchangeTreeEnd) {
            break;
        }
        contents.Blocks.push_back(field);
    }
    std::string_view section;
    if (!fields.Next(section) || !fields.AtEnd() || !fields.Sound()) {
        return false;
    }
    FieldWalk pairs(section);
    std::string_view name;
    while (pairs.Next(name)) {
        SectionFile file;
        if (!ParseSectionName(name, file) || !pairs.Next(file.Bytes)) {
            return false;
        }
        contents.Files.push_back(std::move(file));
    }
    return pairs.Sound();
}

std::set<uint32_t> IdsOf(const TTreeNodes& tree) {
    std::set<uint32_t> ids;
    for (const TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (const TPageInfo* record = NodeRecord(node)) {
            ids.insert(record->Id);
        }
    }
    return ids;
}

// True when a folder stands at the node folder's name of `id` in the store.
bool FolderAt(const std::string& store, uint32_t id) {
    struct stat info;
    return ::lstat(JoinPath(store, IntToHex(id, 1)).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Gives the records of the read tree the ids they keep in the binder: an id the binder holds
// (`taken`), one met before in the file, or one whose node folder's name is taken in the store
// by a folder (one left from before, or a folder of the user's) is replaced by a fresh one, so
// the files only ever go into folders the import makes. Returns, for each old id of a web
// page, the ids whose node folders receive its files.
IdTargets AssignIds(TTreeNodes& read, std::set<uint32_t> taken, const std::string& store) {
    const std::set<uint32_t> inFile = IdsOf(read);
    std::set<uint32_t> seen;
    IdTargets targets;
    for (TTreeNode* node = read.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        TPageInfo* record = NodeRecord(node);
        if (record == nullptr) {
            continue;
        }
        const uint32_t old = record->Id;
        if (taken.count(old) != 0 || !seen.insert(old).second || FolderAt(store, old)) {
            uint32_t fresh = 0;
            do {
                fresh = NewNodeId();
            } while (fresh == 0 || taken.count(fresh) != 0 || inFile.count(fresh) != 0 ||
                     NodeFolderExists(store, fresh));
            record->Id = fresh;
        }
        taken.insert(record->Id);
        if (record->Kind == NodeKind::WebPage) {
            targets[old].push_back(record->Id);
        }
    }
    return targets;
}

// How the file work of an import ended.
struct StagedImport {
    bool Ready = false;   // the tree read from the file may go into the binder
    std::string Error;    // why not, for the user; empty: nothing to say
    bool Refused = false; // nodes were refused a place under a node that is no folder
};

// Reads the file, checks it whole, reads its subtrees into `read` with the ids they will keep
// (none of `taken`) and writes its files into the store. Touches neither the binder's tree nor
// a window.
StagedImport StageExchangeFile(const std::string& path, const StoreAccess& store,
                               const std::set<uint32_t>& taken, TTreeNodes& read,
                               const std::function<void()>& writing) {
    size_t size = 0;
    const std::unique_ptr<char[]> buffer = LoadFileToBuffer(path, size);
    if (buffer == nullptr) {
        return {false, "can not read file " + path};
    }
    if (size == 0) {
        return {}; // a file that holds no field at all is no exchange file: nothing to say
    }
    const std::string_view bytes(buffer.get(), size);
    ExchangeContents contents;
    TreeLoadContext readContext;
    bool sound = ReadExchangeFields(bytes, contents);
    for (size_t i = 0; sound && i < contents.Blocks.size(); ++i) {
        read.SetSelected(nullptr);
        LoadSubtree(read, contents.Blocks[i], readContext);
        sound = readContext.Result == TreeLoadResult::Loaded ||
                readContext.Result == TreeLoadResult::Refused;
    }
    std::set<uint32_t> pages;
    for (const TTreeNode* node = read.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (GetNodeKind(node) == NodeKind::WebPage) {
            pages.insert(NodeRecord(node)->Id);
        }
    }
    if (sound) {
        for (const SectionFile& file : contents.Files) {
            sound = sound && pages.count(file.Id) != 0;
        }
    }
    IdTargets targets;
    if (sound) {
        targets = AssignIds(read, taken, store.StorePath());
        // Anything else at a node folder's name (a link, a file) makes the file unsound here.
        for (const auto& [old, ids] : targets) {
            for (uint32_t id : ids) {
                sound = sound && !NodeFolderExists(store.StorePath(), id);
            }
        }
    }
    if (!sound) {
        return {false, ExchangeFormatError};
    }
    if (writing) {
        writing();
    }
    std::string error;
    if (!UnpackFiles(contents.Files, targets, store, error)) {
        return {false, error};
    }
    return {true, {}, readContext.Result == TreeLoadResult::Refused};
}

// Frees the records of a tree however the scope is left.
struct ClearedTree {
    TTreeNodes Tree;
    ~ClearedTree() { ClearTree(Tree); }
};

} // namespace

ExchangeImported ImportExchangeFile(ExportContext& context, const std::string& path,
                                    TTreeNode* target, const ImportProgress& progress) {
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (sizeError) {
        return {"can not read file " + path};
    }
    if (size == 0) {
        return {}; // no field at all: no exchange file, and nothing to say
    }
    if (progress.Reading) {
        progress.Reading();
    }
    const StoreAccess store(context.Paths.BinderRoot, context.Paths.BinderStore);
    // The ids taken now: the file work, which may run beside the event loop, reads no tree.
    const std::set<uint32_t> taken = IdsOf(context.Binder.Items());
    ClearedTree read;
    StagedImport staged;
    const auto work = [&] {
        staged = StageExchangeFile(path, store, taken, read.Tree, progress.Writing);
    };
    if (progress.Aside) {
        progress.Aside(work);
    } else {
        work();
    }
    if (!staged.Ready) {
        return {staged.Error};
    }
    TTreeNodes& tree = context.Binder.Items();
    TreeLoadContext loadContext;
    loadContext.StorePath = store.StorePath();
    loadContext.ListMode = context.Settings.ListMode;
    {
        // The views hear of the nodes once, when all are in: every node inserted is selected
        // in turn, and told of each they showed it and laid the tree out again.
        TTreeUpdate update(tree);
        for (int i = 0; i < read.Tree.TopLevelCount(); ++i) {
            tree.SetSelected(target);
            const std::unique_ptr<StringMessageI18N> block =
                SerializeSubtree(*read.Tree.TopLevelItem(i));
            LoadSubtree(
                tree, std::string_view(block->GetBuffer(), static_cast<size_t>(block->GetLength())),
                loadContext);
            if (progress.Step) {
                progress.Step();
            }
        }
        tree.SetSelected(target);
    }
    QueueUnfinishedPages(context.Queue, loadContext.UnfinishedPages);
    context.Binder.BinderDirty = true;
    return {{}, staged.Refused};
}
