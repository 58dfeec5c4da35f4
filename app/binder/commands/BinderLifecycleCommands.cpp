#include "app/binder/commands/BinderLifecycleCommands.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/Settings.h"
#include "app/binder/StoreTakeOver.h"
#include "app/binder/TreeFile.h"
#include "app/binder/WindowTexts.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/binder/commands/WaitFormUp.h"
#include "platform/base/EventLoopWait.h"
#include "platform/base/Files.h"

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

void UpdateRecentFiles(ISettingsStore& store, IBinderCommands& ui, const std::string& path) {
    ui.SetRecentBinders(UpdateRecentFiles(store, path));
}

TBinderLifecycle::TBinderLifecycle(const TBinderUiRoles& ui, ITaskQueue& queue,
                                   ICaptureStarter& capture, TSettings& settings,
                                   ISettingsStore& store, BinderPaths& paths,
                                   TBinderTreeCommands& tree)
    : ui_(ui), paths_(paths), tree_(tree),
      files_(queue, capture, settings, store, paths, tree.Tree()) {
    tree_.SetLifecycle(this);
}

TBinderLifecycle::~TBinderLifecycle() {
    tree_.SetLifecycle(nullptr);
}

bool TBinderLifecycle::BinderOpen() const {
    return files_.BinderOpen();
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
    if (!UsableBinderName(name)) {
        return fail("Invalid binder name " + name);
    }
    const std::string root = AbsoluteFolder(folder);
    const std::string binderFile = JoinPath(root, name + ".bdf");
    // Told also when nobody asked for the binder (the default one): without it the window
    // would stay without a binder and no word why.
    if (const std::string refused = RefusedNewBinder(root, name); !refused.empty()) {
        ui_.Messages.ShowMessage("Unable to create binder\n" + binderFile + ": " + refused + ".");
        return false;
    }
    if (!UsableBinderFolder(root) || !ForceDirectories(root)) {
        ui_.Messages.ShowMessage("can not create directory " + folder);
        return false;
    }
    if (PathIsTaken(binderFile)) {
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
    // An old binder's store without marks is asked about with the old tree first: on Yes its
    // page folders are the program's, and go as the binder is replaced.
    if (const std::optional<StoreSurvey> survey = files_.SurveyOldStore(root, name);
        survey && interactive && AskToUseStore(ui_.Messages, *survey, true)) {
        TakeOverStore(root, NewStoreName(name), *survey);
    }
    const TNewBinderResult result = files_.WriteNewBinder(root, name, description, Clock());
    if (result.StoreNotDeleted && interactive) {
        ui_.Messages.ShowMessage("Error occurs when deleting binder, overiding failed");
    }
    return result.Failure.empty() || fail(result.Failure);
}

// ---- opening --------------------------------------------------------------------------------

bool TBinderLifecycle::OpenBinder(const std::string& binderFilePath) {
    std::string reason;
    const std::optional<TBinderToOpen> binder = files_.ReadBinderValues(binderFilePath, reason);
    if (!binder) {
        ui_.Messages.ShowMessage("Unable to open binder\n" + binderFilePath + ": " + reason + ".");
        return false;
    }
    if (BinderOpen() && !TryCloseBinder()) {
        return false;
    }
    if (tree_.Tree().Items().Count() > 0) {
        // Nodes made while no binder was open belong to none: free them as a close would.
        files_.StopBinderWork();
        ClearTree(tree_.Tree().Items());
    }
    ui_.Commands.SetRecentBinders(files_.Open(binderFilePath, *binder));
    tree_.LoadBinderTree();
    return true;
}

// ---- closing and reloading --------------------------------------------------------------------

void TBinderLifecycle::CloseBinder() {
    TryCloseBinder();
}

bool TBinderLifecycle::TryCloseBinder() {
    if (!BinderOpen()) {
        return true;
    }
    if (!SaveForClose()) {
        // The window told why; the records are all there is of the unsaved changes.
        files_.ResumeBinderWork();
        return false;
    }
    FinishClose();
    return true;
}

bool TBinderLifecycle::EndBinder() {
    if (!BinderOpen()) {
        return true;
    }
    // The program ends whatever could be written: the task section still goes to its file.
    const bool saved = SaveForClose();
    return FinishClose() && saved;
}

bool TBinderLifecycle::SaveForClose() {
    files_.StopBinderWork();
    ui_.Window.StoreTypedNotes();
    return tree_.FileSaveExecute();
}

bool TBinderLifecycle::FinishClose() {
    return Told(files_.FinishClose());
}

bool TBinderLifecycle::StoreTasks() {
    return !BinderOpen() || Told(files_.WriteTaskSection());
}

bool TBinderLifecycle::Told(const std::vector<std::string>& messages) {
    for (const std::string& message : messages) {
        ui_.Messages.ShowMessage(message);
    }
    return messages.empty();
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
    // A large store takes a while to go: its folders go beside the event loop with the wait
    // form up, drawn where the question stood, its bar running.
    const std::string failure =
        files_.DeleteBinderFiles(binderFilePath, [this](const std::function<void()>& work) {
            bool up = false;
            const WaitFormUp waiting(ui_.Messages, up);
            RunBesideEventLoop(work);
        });
    if (!failure.empty()) {
        ui_.Messages.ShowMessage(failure);
    }
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
