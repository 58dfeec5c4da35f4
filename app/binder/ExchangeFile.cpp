#include "app/binder/ExchangeFile.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/DirectoryTree.h"
#include "app/binder/ExportContext.h"
#include "app/binder/ExportUi.h"
#include "app/binder/FileNames.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/StringMessage.h"
#include "app/binder/SubtreeWalk.h"
#include "app/binder/TemporaryFolder.h"
#include "app/binder/TreeCommands.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "platform/base/Exceptions.h"
#include "platform/base/Files.h"
#include "platform/base/Guid.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// ---- export --------------------------------------------------------------------------------

void AppendField(std::string& out, std::string_view bytes) {
    StringMessageI18N::AppendFieldHeader(out, bytes.size());
    out.append(bytes);
}

void AppendBlock(std::string& out, const TTreeNode& node) {
    std::unique_ptr<StringMessageI18N> block = SerializeSubtree(node);
    AppendField(out, std::string_view(block->GetBuffer(), static_cast<size_t>(block->GetLength())));
}

void ExportExchangeFile(ExportContext& context, const TTreeNode* node) {
    IExportUi& ui = context.Ui;
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = ExchangeFilter;
    const std::optional<std::string> chosen = ui.SaveFileDialog(options);
    if (!chosen) {
        return;
    }
    const std::string& path = *chosen;
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 &&
        ui.MessageBox("File Exist, Override?", "Confirm", TMsgButtons::OkCancel) !=
            TModalResult::Ok) {
        return;
    }
    ui.OpenStatusForm("", false);
    ui.SetLastDialogDir(std::string(FolderOfPath(path)));
    const TTreeNodes& tree = context.Binder.Items();
    try {
        std::string head;
        AppendField(head, ExchangeMarker);
        AppendField(head, ExchangeVersion);
        if (node != nullptr) {
            AppendBlock(head, *node);
        } else {
            for (int i = 0; i < tree.TopLevelCount(); ++i) {
                AppendBlock(head, *tree.TopLevelItem(i));
            }
        }
        AppendField(head, ExchangeTreeEnd);
        const ResourceSection section = PackResourceFiles(tree, node, context.Paths);
        const size_t skipped = section.Skipped;
        StringMessageI18N::AppendFieldHeader(head, section.Length());
        // The section, the biggest part by far, goes to the file straight from its buffers.
        const bool written = SaveStreamToFile(
            path,
            [&](AtomicFileWriter& writer, std::string&) {
                return writer.Write(head.data(), head.size()) &&
                       section.WriteTo([&writer](const char* data, size_t size) {
                           return writer.Write(data, size);
                       });
            },
            [&ui](const std::string& text) { ui.ShowMessage(text); });
        ui.CloseStatusForm();
        if (written && skipped > 0) {
            ui.ShowMessage(
                Format("%zu stored file(s) could not be read and were left out", skipped));
        }
    } catch (const Exception& error) {
        ui.CloseStatusForm();
        ui.ShowMessage("can not write file " + path + " (" + error.what() + ")");
    }
}

// ---- reading an exchange file ---------------------------------------------------------------

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

struct SectionFile {
    uint32_t Id = 0;
    std::string Relative; // "/" separated, inside the node folder
    std::string_view Bytes;
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

// ---- node ids ------------------------------------------------------------------------------

std::set<uint32_t> IdsOf(const TTreeNodes& tree) {
    std::set<uint32_t> ids;
    for (const TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        if (const TPageInfo* record = NodeRecord(node)) {
            ids.insert(record->Id);
        }
    }
    return ids;
}

bool PathExists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// Gives the records of the read tree the ids they keep in the binder: an id the binder holds,
// or one met before in the file, is replaced by a fresh one. Returns, for each old id of a
// web page, the ids whose node folders receive its files.
std::map<uint32_t, std::vector<uint32_t>> AssignIds(TTreeNodes& read, const TTreeNodes& binder,
                                                    const std::string& store) {
    std::set<uint32_t> taken = IdsOf(binder);
    const std::set<uint32_t> inFile = IdsOf(read);
    std::set<uint32_t> seen;
    std::map<uint32_t, std::vector<uint32_t>> targets;
    for (TTreeNode* node = read.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        TPageInfo* record = NodeRecord(node);
        if (record == nullptr) {
            continue;
        }
        const uint32_t old = record->Id;
        if (taken.count(old) != 0 || !seen.insert(old).second) {
            uint32_t fresh = 0;
            do {
                fresh = NewNodeId();
            } while (fresh == 0 || taken.count(fresh) != 0 || inFile.count(fresh) != 0 ||
                     PathExists(JoinPath(store, IntToHex(fresh, 1))));
            record->Id = fresh;
        }
        taken.insert(record->Id);
        if (record->Kind == NodeKind::WebPage) {
            targets[old].push_back(record->Id);
        }
    }
    return targets;
}

// ---- writing the files ---------------------------------------------------------------------

// True when no part of <store>/<HEX>/<relative> that exists is a symbolic link, the folders
// are folders and the file, when there is one, a plain file: the bytes then land where the
// name says and nowhere else.
bool TargetIsPlain(const std::string& store, uint32_t id, const std::string& relative) {
    std::string path = JoinPath(store, IntToHex(id, 1));
    std::string_view rest = relative;
    while (true) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0) {
            return errno == ENOENT;
        }
        if (rest.empty()) {
            return S_ISREG(info.st_mode);
        }
        if (!S_ISDIR(info.st_mode)) {
            return false;
        }
        const size_t slash = rest.find('/');
        path = JoinPath(path, rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
}

std::string ErrnoText() {
    return std::strerror(errno);
}

bool WriteNewFile(const std::string& path, std::string_view bytes, std::string& error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "can not write file " + path + " (" + ErrnoText() + ")";
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            error = "can not write file " + path + " (" + ErrnoText() + ")";
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(count);
    }
    if (::close(fd) != 0) {
        error = "can not write file " + path + " (" + ErrnoText() + ")";
        return false;
    }
    return true;
}

bool MakeFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) {
        struct stat info;
        if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            return true;
        }
        errno = ENOTDIR;
    }
    error = "can not create directory" + path + " (" + ErrnoText() + ")";
    return false;
}

// Creates the folders of `relative` below `base` one by one, so a link is never followed.
bool MakeFoldersOf(const std::string& base, const std::string& relative, std::string& error) {
    std::string path = base;
    size_t start = 0;
    for (size_t slash = relative.find('/'); slash != std::string::npos;
         slash = relative.find('/', start)) {
        path = JoinPath(path, std::string_view(relative).substr(start, slash - start));
        if (!MakeFolder(path, error)) {
            return false;
        }
        start = slash + 1;
    }
    return true;
}

// Puts the bytes written below `folder` on the disk, with everything else of its file system.
bool SyncFolder(const std::string& folder, std::string& error) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    if (!synced) {
        error = "can not write file " + folder + " (" + ErrnoText() + ")";
    }
    if (fd >= 0) {
        ::close(fd);
    }
    return synced;
}

// Writes the section's files for every id that receives them, staged and then moved into the
// node folders. On failure the node folders made by the import are removed again.
bool UnpackFiles(const std::vector<SectionFile>& files,
                 const std::map<uint32_t, std::vector<uint32_t>>& targets, const std::string& store,
                 std::string& error) {
    if (files.empty()) {
        return true;
    }
    if (!ForceDirectories(store)) {
        error = "can not create directory" + store;
        return false;
    }
    // The files of one import land here first.
    const TemporaryFolder staging(JoinPath(store, ".import-XXXXXX"));
    if (staging.Path().empty()) {
        error = "can not create directory" + store + " (" + staging.Error() + ")";
        return false;
    }
    std::set<uint32_t> ids;
    for (const SectionFile& file : files) {
        for (uint32_t id : targets.at(file.Id)) {
            const std::string folder = JoinPath(staging.Path(), IntToHex(id, 1));
            if (!MakeFolder(folder, error) || !MakeFoldersOf(folder, file.Relative, error) ||
                !WriteNewFile(JoinPath(folder, file.Relative), file.Bytes, error)) {
                return false;
            }
            ids.insert(id);
        }
    }
    if (!SyncFolder(staging.Path(), error)) {
        return false;
    }
    std::vector<std::string> made;
    auto undo = [&] {
        for (const std::string& folder : made) {
            DeleteDirectoryTree(folder);
        }
        return false;
    };
    for (uint32_t id : ids) {
        const std::string from = JoinPath(staging.Path(), IntToHex(id, 1));
        const std::string to = JoinPath(store, IntToHex(id, 1));
        if (!PathExists(to)) {
            if (::rename(from.c_str(), to.c_str()) != 0) {
                error = "can not write file " + to + " (" + ErrnoText() + ")";
                return undo();
            }
            made.push_back(to);
            continue;
        }
        // A node folder left from before: the files go in one by one, over those of the
        // same name.
        for (const SectionFile& file : files) {
            const std::vector<uint32_t>& receivers = targets.at(file.Id);
            if (std::find(receivers.begin(), receivers.end(), id) == receivers.end()) {
                continue;
            }
            const std::string source = JoinPath(from, file.Relative);
            const std::string target = JoinPath(to, file.Relative);
            if (!MakeFoldersOf(to, file.Relative, error)) {
                return undo();
            }
            if (::rename(source.c_str(), target.c_str()) != 0 && errno != ENOENT) {
                error = "can not write file " + target + " (" + ErrnoText() + ")";
                return undo();
            }
        }
    }
    return true;
}

// ---- import --------------------------------------------------------------------------------

void ImportExchangeFile(ExportContext& context, const std::string& path, TTreeNode* target) {
    IExportUi& ui = context.Ui;
    size_t size = 0;
    const std::unique_ptr<char[]> buffer = LoadFileToBuffer(path, size);
    if (buffer == nullptr) {
        ui.ShowMessage("can not read file " + path);
        return;
    }
    const std::string_view bytes(buffer.get(), size);
    ExchangeContents contents;
    TTreeNodes read;
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
    const std::string store = JoinPath(context.Paths.BinderRoot, context.Paths.BinderStore);
    std::map<uint32_t, std::vector<uint32_t>> targets;
    if (sound) {
        for (const SectionFile& file : contents.Files) {
            sound = sound && pages.count(file.Id) != 0;
        }
    }
    if (sound) {
        targets = AssignIds(read, context.Binder.Items(), store);
        for (const SectionFile& file : contents.Files) {
            for (uint32_t id : targets.at(file.Id)) {
                sound = sound && TargetIsPlain(store, id, file.Relative);
            }
        }
    }
    if (!sound) {
        ClearTree(read);
        ui.ShowMessage(ExchangeFormatError);
        return;
    }
    ui.OpenStatusForm("", false);
    std::string error;
    if (!UnpackFiles(contents.Files, targets, store, error)) {
        ClearTree(read);
        ui.CloseStatusForm();
        ui.ShowMessage(error);
        return;
    }
    TTreeNodes& tree = context.Binder.Items();
    TreeLoadContext loadContext;
    loadContext.Queue = &context.Queue;
    loadContext.StorePath = store;
    loadContext.ListMode = context.Settings.ListMode;
    for (int i = 0; i < read.TopLevelCount(); ++i) {
        tree.SetSelected(target);
        const std::unique_ptr<StringMessageI18N> block = SerializeSubtree(*read.TopLevelItem(i));
        LoadSubtree(tree,
                    std::string_view(block->GetBuffer(), static_cast<size_t>(block->GetLength())),
                    loadContext);
        ui.UpdateStatusForm();
    }
    tree.SetSelected(target);
    ClearTree(read);
    ui.CloseStatusForm();
    if (readContext.Result == TreeLoadResult::Refused) {
        ui.MessageBox(NonFolderRefusal, "Sorry", TMsgButtons::Ok);
    }
    context.Binder.BinderDirty = true;
}

} // namespace

namespace {

// Collects the stored files of the web pages met; a web page's own children are not walked.
std::function<bool(const TTreeNode&)> StoredFilesOf(const BinderPaths& paths, StrVector& names) {
    return [&paths, &names](const TTreeNode& node) {
        const TPageInfo* record = NodeRecord(&node);
        if (record == nullptr || record->Kind != NodeKind::WebPage) {
            return true;
        }
        StrVector files = ListNodeStoreFiles(*record, paths.BinderRoot, paths.BinderStore);
        names.insert(names.end(), files.begin(), files.end());
        return false;
    };
}

} // namespace

StrVector CollectSubtreeFiles(const TTreeNode* node, const BinderPaths& paths) {
    StrVector names;
    WalkSubtree(node, StoredFilesOf(paths, names));
    return names;
}

StrVector CollectBinderFiles(const TTreeNodes& tree, const BinderPaths& paths) {
    StrVector names;
    WalkTree(tree, StoredFilesOf(paths, names));
    return names;
}

void ResourceSection::Add(std::string name, std::unique_ptr<char[]> bytes, size_t size) {
    File file;
    StringMessageI18N::AppendFieldHeader(file.Header, name.size());
    file.Header += name;
    StringMessageI18N::AppendFieldHeader(file.Header, size);
    length_ += file.Header.size() + size;
    file.Bytes = std::move(bytes);
    file.Size = size;
    files_.push_back(std::move(file));
}

bool ResourceSection::WriteTo(const std::function<bool(const char*, size_t)>& write) const {
    for (const File& file : files_) {
        if (!write(file.Header.data(), file.Header.size()) || !write(file.Bytes.get(), file.Size)) {
            return false;
        }
    }
    return true;
}

ResourceSection PackResourceFiles(const TTreeNodes& tree, const TTreeNode* node,
                                  const BinderPaths& paths) {
    ResourceSection section;
    const StrVector names =
        node != nullptr ? CollectSubtreeFiles(node, paths) : CollectBinderFiles(tree, paths);
    const std::string store = JoinPath(paths.BinderRoot, paths.BinderStore);
    for (const std::string& name : names) {
        size_t size = 0;
        std::unique_ptr<char[]> bytes = ReadWholeFile(JoinPath(store, NativePath(name)), &size);
        if (bytes == nullptr) {
            ++section.Skipped;
            continue;
        }
        section.Add(name, std::move(bytes), size);
    }
    return section;
}

void FileExportAllExecute(ExportContext& context) {
    ExportExchangeFile(context, nullptr);
}

void FileExportContentExecute(ExportContext& context) {
    if (const TTreeNode* node = context.Binder.Selected()) {
        ExportExchangeFile(context, node);
    }
}

void FileImportVelmorExecute(ExportContext& context) {
    TTreeNode* target = context.Binder.Selected();
    if (target != nullptr && GetNodeKind(target) != NodeKind::Folder) {
        target = nullptr;
    }
    IExportUi& ui = context.Ui;
    TFileDialogOptions options;
    options.InitialDir = ui.LastDialogDir();
    options.Filter = ExchangeFilter;
    const std::optional<std::string> chosen = ui.OpenFileDialog(options);
    if (!chosen) {
        return;
    }
    ui.SetLastDialogDir(std::string(FolderOfPath(*chosen)));
    ImportExchangeFile(context, *chosen, target);
}
