#pragma once

// The binder lifecycle as the main window runs it: creating, opening, closing, reloading and
// deleting binders with their questions and messages, and the New, Open and Recent commands
// with their dialogs. The files themselves are the binder document's (TBinderFiles).
// Everything runs on the main thread.

#include "app/binder/BinderFile.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/binder/commands/BinderUi.h"
#include "platform/base/DateTime.h"

#include <functional>
#include <string>
#include <vector>

class ICaptureStarter;
class ISettingsStore;
class ITaskQueue;
class TBinderTreeCommands;
struct BinderPaths;
struct TSettings;

inline constexpr const char* BinderFileFilter = "Tarnwick Files(*.bdf)|*.bdf|All(*.*)|*.*";

// A menu caption as the path it shows: "&&" is one "&", every other "&" goes.
std::string StripAmpersands(const std::string& caption);

// Records an opened binder as the settings' UpdateRecentFiles does and shows the recent-binder
// menu as the list stood before.
void UpdateRecentFiles(ISettingsStore& store, IBinderCommands& ui, const std::string& path);

class TBinderLifecycle : public IBinderLifecycle {
public:
    // The collaborators must outlive the lifecycle. The tree commands are told about it (for
    // the binder-list delete) and forget it again when the lifecycle goes. Destroying the
    // lifecycle does not close the binder: the window closes it while it still can show
    // messages.
    TBinderLifecycle(const TBinderUiRoles& ui, ITaskQueue& queue, ICaptureStarter& capture,
                     TSettings& settings, ISettingsStore& store, BinderPaths& paths,
                     TBinderTreeCommands& tree);
    ~TBinderLifecycle() override;
    TBinderLifecycle(const TBinderLifecycle&) = delete;
    TBinderLifecycle& operator=(const TBinderLifecycle&) = delete;

    // Refuses (with a message when `interactive`) a name that is empty, "." or "..", or
    // holds a separator or a line break, and a folder holding a line break. A binder that
    // opening would refuse (RefusedNewBinder) is not made, and the user is told why whether
    // or not `interactive`. Overriding the open binder closes it first.
    bool CreateBinder(const std::string& folder, const std::string& name,
                      const std::string& description, bool interactive) override;
    // "Unable to open binder", followed by the file and the reason, also for a binder file
    // whose root is not an absolute folder or whose store or save value is not a plain name.
    // The file is read and checked before the open binder is closed, so a binder that cannot
    // be opened leaves the open one as it is. False, with the open binder kept, also when
    // that binder could not be closed.
    bool OpenBinder(const std::string& binderFilePath) override;
    void CloseBinder() override;
    // CloseBinder with its outcome: false when the tree file could not be written; the
    // binder then stays open with its records (and its task polling running again).
    bool TryCloseBinder();
    bool EndBinder() override;
    bool StoreTasks() override;
    // Keeps the binder file path, so the next close writes the task section again.
    void ReloadBinder() override;
    // Deletes the store folder, the tree file and the binder file, and the binder-list entry.
    // Deletes no file when the root is not an absolute folder other than "/" or when the
    // store or save value is not a plain name. The open binder is closed first.
    void DeleteBinder(const std::string& binderFilePath) override;
    bool BinderOpen() const override;

    void FileNewBinderExecute() override;
    void FileOpenBinderExecute() override;
    // The caption of a recent-binder menu item, "&" doubled for a literal one.
    void FileOpenRecentExecute(const std::string& menuCaption) override;

    // The clock of the creation date; tests set a fixed one.
    std::function<TDateTime()> Clock = Now;

private:
    // The first half of a close: the binder's work stopped, the typed notes stored, the tree
    // file written; false when it could not be written.
    bool SaveForClose();
    // The second half: the task section written, the tree emptied; false (after the messages)
    // when the task section could not be written.
    bool FinishClose();
    // Shows the messages; true when there were none.
    bool Told(const std::vector<std::string>& messages);

    TBinderUiRoles ui_;
    BinderPaths& paths_;
    TBinderTreeCommands& tree_;
    TBinderFiles files_;
};
