#pragma once

// The main window as the binder code sees it (IBinderUi): its message boxes and the wait form,
// its dialogs, and the window around the tree (caption, recent binders, commands, side bar),
// carried out by the window's parts; and as the exports see it (IExportUi). It also takes what the
// captures report (ICaptureReports) through its capture port. The wait form's status role is the
// wait status's (TWaitStatus), which carries calls from other threads to the main thread.

#include "app/binder/BinderUi.h"
#include "app/binder/ExportUi.h"
#include "app/capture/CapturePort.h"
#include "app/ui/WaitStatus.h"
#include "platform/base/PostedMessage.h"

#include <functional>
#include <memory>

class IBinderLifecycle;
class ICaptureStarter;
class ISettingsStore;
class TAddRequestRunner;
class TBinderTreeCommands;
class TForm4;
class TFormVelmorRnx;
class TWindowAddItemHost;
struct BinderPaths;
struct TAddItemRequest;

class TWindowUi : public IBinderUi, public IExportUi, public ICaptureReports {
public:
    // The window's parts are reached when a call comes, so the window may build them later.
    explicit TWindowUi(TFormVelmorRnx& window);
    ~TWindowUi() override;

    // Tells whether a capture with linked pages runs; null: none does.
    void SetCaptureStarter(const ICaptureStarter* capture) { status_.SetCaptureStarter(capture); }
    // The wait form TForm4, and the status form of captures with linked pages; null: none.
    void SetWaitForm(TForm4* form) { status_.SetForm(form); }
    void SetLevelStatusForm(MessageTarget* form);

    // Every add request (the menus, pages sent from outside, a request sent again after a
    // binder switch in the Add Item dialog) runs through one runner, made for the lifecycle
    // (null: none; the tree's own command runs). `added` follows every request.
    void SetLifecycle(IBinderLifecycle* lifecycle, TBinderTreeCommands& binder,
                      const BinderPaths& paths, ISettingsStore& store, std::function<void()> added);
    void RunAddRequest(const TAddItemRequest& request);

    // The port the captures report through.
    TCapturePort& Port() { return port_; }

    // ---- IUserMessages (the wait form also for ICaptureReports) ----
    void ShowMessage(const std::string& text) override;
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TMsgButtons buttons) override;
    bool Confirm(const std::string& text, bool& askSetting) override;
    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override;
    void CloseStatusForm() override;

    // ---- IUserDialogs ----
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override;
    std::optional<std::string> SelectDirectory(const std::string& prompt,
                                               const std::string& startFolder,
                                               bool allowCreate) override;
    std::unique_ptr<IAddItemDialog> CreateAddItemDialog(int mode,
                                                        std::optional<uint32_t> initialFolderId,
                                                        const std::string& folderDump) override;
    std::optional<TNewBinderChoice> NewBinderDialog(const std::string& startFolder) override;

    // ---- IBinderWindow ----
    void SetCaption(const std::string& caption) override;
    void SetRecentBinders(const std::vector<std::string>& paths) override;
    void EnableCommand(TBinderCommand command, bool enabled) override;
    void ShowPageView() override;
    void RestoreAndBringToFront() override;
    void StoreTypedNotes() override;
    int TopPanel() const override;
    void OpenPanel(int index) override;
    void RefillPanel(int index) override;
    std::string ChosenBinderPath() const override;
    void FillResultPanel(const std::vector<std::string>& texts,
                         const std::map<std::string, uint32_t>& ids) override;

    // ---- IExportUi ----
    std::string LastDialogDir() const override { return lastDialogDir_; }
    void SetLastDialogDir(const std::string& folder) override { lastDialogDir_ = folder; }
    void OpenWaitForm(const std::string& text, bool cancellable) override;
    bool StatusCancelled() const override;
    std::optional<TChmChoice> ChmDialog() override;
    int ShellOpen(const std::string& file) override;
    std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile) override;

    // ---- ICaptureReports ----
    void CaptureDone(uint32_t nodeId) override;
    void SavingStatus(StatusForm form, int wParam, const std::string& status,
                      const std::optional<std::string>& url) override;
    void ProcessMessages() override;

private:
    TFormVelmorRnx& window_;
    TWaitStatus status_;
    std::string lastDialogDir_;
    MessageTarget* levelForm_ = nullptr;
    TCapturePort port_{*this};
    TBinderTreeCommands* binder_ = nullptr;
    std::function<void()> added_;
    std::unique_ptr<TAddRequestRunner> addRunner_;
    std::unique_ptr<TWindowAddItemHost> addHost_;
};
