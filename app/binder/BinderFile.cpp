#include "app/binder/BinderFile.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/BinderUi.h"
#include "app/binder/CaptureStarter.h"
#include "app/binder/DirectoryTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/binder/Task.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WholeFiles.h"
#include "app/binder/WindowTexts.h"
#include "platform/base/Files.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// A folder typed as a relative path is taken from the current folder, so the binder file
// names a root that stays the same whatever folder the program runs in later.
std::string AbsoluteFolder(const std::string& folder) {
    if (folder.empty() || folder[0] == '/') {
        return folder;
    }
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    return error ? folder : absolute.string();
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || fs::equivalent(a, b, error);
}

// Deleting works inside a root that is an absolute folder other than "/", on plain names
// only, so a damaged or hostile binder file can never aim it at the root's parent, at
// another folder or at the whole disk.
bool SafeToDelete(const TBinderHeader& header) {
    const fs::path root = fs::path(header.Root).lexically_normal();
    return root.is_absolute() && root.has_relative_path() && IsPlainEntryName(header.Store) &&
           IsPlainEntryName(header.Save);
}

} // namespace

std::string StripAmpersands(const std::string& caption) {
    std::string path;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&') {
            path += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
            path += '&';
            ++i;
        }
    }
    return path;
}

TBinderLifecycle::TBinderLifecycle(const TBinderUiRoles& ui, ITaskQueue& queue,
                                   ICaptureStarter& capture, TSettings& settings,
                                   ISettingsStore& store, BinderPaths& paths, TBinderTree& tree)
    : ui_(ui), queue_(queue), capture_(capture), settings_(settings), store_(store), paths_(paths),
      tree_(tree) {
    tree_.SetLifecycle(this);
}

TBinderLifecycle::~TBinderLifecycle() {
    tree_.SetLifecycle(nullptr);
}

bool TBinderLifecycle::BinderOpen() const {
    return !paths_.BinderFilePath.empty();
}

// ---- creating -------------------------------------------------------------------------------

bool TBinderLifecycle::CreateBinder(const std::string& folder, const std::string& name,
                                    const std::string& description, bool interactive) {
    const auto fail = [&](const std::string& message) {
        if (interactive) {
            ui_.Messages.ShowMessage(message);
        }
        return false;
    };
    // The name becomes file names and each value one line of the binder file.
    if (!IsPlainEntryName(name) || HasLineBreak(name)) {
        return fail("Invalid binder name " + name);
    }
    const std::string root = AbsoluteFolder(folder);
    if (HasLineBreak(root) || !ForceDirectories(root)) {
        ui_.Messages.ShowMessage("can not create directory " + folder);
        return false;
    }
    const std::string binderFile = JoinPath(root, name + ".bdf");
    const std::string treeFile = JoinPath(root, name + ".sav");

    if (Exists(binderFile)) {
        if (interactive &&
            ui_.Messages.MessageBox("Binder exists already, override ?", ApplicationTitle,
                                    TMsgButtons::OkCancel) != TModalResult::Ok) {
            return false;
        }
        // The open binder would otherwise write its old tree over the new one when it closes.
        if (BinderOpen() && SameFile(binderFile, paths_.BinderFilePath) && !TryCloseBinder()) {
            return false;
        }
    }
    std::string error;
    if (Exists(treeFile) && !WriteFileAtomic(treeFile, "", 0, error)) {
        return fail("can not write file " + treeFile + " (" + error + ")");
    }
    // The store is the folder the binder file names, so the pages of the new binder and of
    // an overridden one land where the binder looks for them.
    const std::string storeFolder = JoinPath(root, name + "store");
    if (Exists(storeFolder) && !DeleteDirectoryTree(storeFolder) && interactive) {
        ui_.Messages.ShowMessage("Error occurs when deleting binder, overiding failed");
    }
    if (!ForceDirectories(storeFolder)) {
        return fail("Can not create directory " + storeFolder);
    }
    const std::string text = NewBinderFileText(root, name, description, DateTimeToStr(Clock()));
    if (!WriteFileAtomic(binderFile, text.data(), text.size(), error)) {
        return fail("can not write file " + binderFile + " (" + error + ")");
    }
    // Listed once, also when an entry outlived its binder file.
    RemoveBinderFromList(store_, binderFile);
    AddBinderToList(store_, binderFile);
    return true;
}

// ---- opening --------------------------------------------------------------------------------

bool TBinderLifecycle::OpenBinder(const std::string& binderFilePath) {
    std::string reason;
    const std::optional<TBinderFileValues> values = ReadBinderValues(binderFilePath, reason);
    if (!values) {
        ui_.Messages.ShowMessage("Unable to open binder\n" + binderFilePath + ": " + reason + ".");
        return false;
    }
    if (BinderOpen() && !TryCloseBinder()) {
        return false;
    }
    if (tree_.Items().Count() > 0) {
        // Nodes made while no binder was open belong to none: free them as a close would.
        StopBinderWork();
        ClearTree(tree_.Items());
    }
    Open(binderFilePath, *values);
    return true;
}

std::optional<TBinderFileValues>
TBinderLifecycle::ReadBinderValues(const std::string& binderFilePath, std::string& reason) const {
    size_t size = 0;
    errno = 0;
    std::unique_ptr<char[]> bytes = ReadWholeFile(binderFilePath, &size);
    if (bytes == nullptr) {
        reason = errno != 0 ? std::error_code(errno, std::generic_category()).message()
                            : "it is not a file that can be read";
        return std::nullopt;
    }
    TBinderFileValues values = ParseBinderFile(std::string_view(bytes.get(), size));
    const std::string root = DecodeBinderValue(values.Root);
    const std::string store = DecodeBinderValue(values.Store);
    const std::string save = DecodeBinderValue(values.Save);
    // Without an absolute root the tree file and the pages would be looked for, and written,
    // relative to whatever folder the program runs in.
    if (root.empty()) {
        reason = "it names no binder folder (no \"root=\" value)";
    } else if (root[0] != '/') {
        reason = "its binder folder \"" + root + "\" is not an absolute path";
    } else if (!IsPlainEntryName(store)) {
        reason = "its store folder \"" + store + "\" is not a name inside the binder folder";
    } else if (!IsPlainEntryName(save)) {
        reason = "its tree file \"" + save + "\" is not a name inside the binder folder";
    } else {
        return values;
    }
    return std::nullopt;
}

void TBinderLifecycle::Open(const std::string& binderFilePath, const TBinderFileValues& values) {
    const std::string root = DecodeBinderValue(values.Root);
    const std::string store = DecodeBinderValue(values.Store);
    const std::string save = DecodeBinderValue(values.Save);
    queue_.LoadTasks(values.TaskLines);

    paths_.BinderName = values.BinderName;
    paths_.BinderFilePath = binderFilePath;
    paths_.BinderSave = save;
    paths_.BinderRoot = root;
    paths_.BinderStore = store;
    UpdateRecentFiles(store_, ui_.Commands, binderFilePath);
    settings_.LastFile = binderFilePath;
    paths_.TreeFilePath = JoinPath(root, save);
    tree_.LoadBinderTree();
}

// ---- closing and reloading --------------------------------------------------------------------

void TBinderLifecycle::StopBinderWork() {
    const auto cancelAll = [this] {
        for (TTreeNode* node : tree_.Items().AllNodes()) {
            if (TPageInfo* record = NodeRecord(node)) {
                capture_.CancelCapture(*record);
            }
        }
    };
    // Cancelling first ends a page the poller is capturing, so stopping it does not wait for
    // the page; the second round ends what was started in between. Afterwards no thread
    // touches a record any more.
    cancelAll();
    queue_.Stop();
    cancelAll();
}

void TBinderLifecycle::CloseBinder() {
    TryCloseBinder();
}

bool TBinderLifecycle::TryCloseBinder() {
    if (!BinderOpen()) {
        return true;
    }
    StopBinderWork();
    ui_.Window.StoreTypedNotes();
    if (!tree_.FileSaveExecute()) {
        // The window told why; the records are all there is of the unsaved changes.
        queue_.StartPolling();
        return false;
    }
    WriteBinderTaskSection(paths_.BinderFilePath, tree_.Items().Count(), queue_.SaveTasks(),
                           ui_.Messages);
    // Emptying the tree tells the views to let go of the shown node before its record goes.
    tree_.ClearSelectionState();
    ClearTree(tree_.Items());
    ui_.Commands.SetCaption(ApplicationTitle);
    paths_.BinderFilePath.clear();
    return true;
}

void TBinderLifecycle::ReloadBinder() {
    if (!BinderOpen()) {
        return;
    }
    const std::string binderFilePath = paths_.BinderFilePath;
    if (!TryCloseBinder()) {
        return;
    }
    paths_.BinderFilePath = binderFilePath;
    tree_.LoadBinderTree();
}

// ---- deleting ---------------------------------------------------------------------------------

void TBinderLifecycle::DeleteBinder(const std::string& binderFilePath) {
    if (BinderOpen() && SameFile(binderFilePath, paths_.BinderFilePath) && !TryCloseBinder()) {
        return;
    }
    RemoveBinderFromList(store_, binderFilePath);
    TBinderHeader header;
    if (!ReadBinderHeader(binderFilePath, header) || header.Root.empty()) {
        return;
    }
    if (!SafeToDelete(header)) {
        ui_.Messages.ShowMessage("can not delete binder " + binderFilePath);
        return;
    }
    std::error_code ignored;
    DeleteDirectoryTree(JoinPath(header.Root, header.Store));
    fs::remove(JoinPath(header.Root, header.Save), ignored);
    fs::remove(binderFilePath, ignored);
}

// ---- commands ---------------------------------------------------------------------------------

void TBinderLifecycle::FileNewBinderExecute() {
    const std::optional<TNewBinderChoice> choice = ui_.Dialogs.NewBinderDialog(paths_.BinderRoot);
    if (!choice) {
        return;
    }
    if (CreateBinder(choice->Folder, choice->Name, choice->Description, true)) {
        OpenBinder(JoinPath(AbsoluteFolder(choice->Folder), choice->Name + ".bdf"));
    }
    if (ui_.SideBar.TopPanel() == BinderListPanel) {
        ui_.SideBar.RefillPanel(BinderListPanel);
    }
}

void TBinderLifecycle::FileOpenBinderExecute() {
    TFileDialogOptions options;
    options.InitialDir = paths_.BinderRoot;
    options.Filter = BinderFileFilter;
    if (const std::optional<std::string> chosen = ui_.Dialogs.OpenFileDialog(options)) {
        OpenBinder(*chosen);
    }
}

void TBinderLifecycle::FileOpenRecentExecute(const std::string& menuCaption) {
    const std::string path = StripAmpersands(menuCaption);
    if (!path.empty()) {
        OpenBinder(path);
    }
}
