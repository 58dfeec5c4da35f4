#pragma once

// The main window's roles for tests: every call is recorded as one line ("ShowMessage(text)"),
// and the answers of boxes and dialogs come from queues the test fills (a box answers Ok, the
// confirmation OK and a dialog "cancelled" once its queue is empty). A test takes the role it
// needs (FakeUserMessages, FakeUserDialogs, FakeBinderWindow) or the whole window
// (FakeBinderUi), whose roles share one record. Safe to call from several threads.

#include "app/binder/PageInfo.h"
#include "app/binder/commands/AddItemDialog.h"
#include "app/binder/commands/BinderUi.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// What the user does with one Add Item dialog: for each showing, optionally types a URL and a
// title, then closes it with the result (Cancel once the rounds are used up).
struct FakeAddItemRound {
    TModalResult Result = TModalResult::Ok;
    std::optional<std::string> TypedUrl;
    std::optional<std::string> TypedTitle;
};

struct FakeAddItemScript {
    std::deque<FakeAddItemRound> Rounds;
    NodeKind Kind = NodeKind::WebPage;
    std::optional<uint32_t> PickedFolder;
    CaptureOptions Options;
};

class FakeAddItemDialog : public IAddItemDialog {
public:
    explicit FakeAddItemDialog(FakeAddItemScript script) : script_(std::move(script)) {}

    TModalResult ShowModal() override {
        ++Shown;
        if (script_.Rounds.empty()) {
            return TModalResult::Cancel;
        }
        FakeAddItemRound round = std::move(script_.Rounds.front());
        script_.Rounds.pop_front();
        if (round.TypedUrl) {
            url_ = *round.TypedUrl;
        }
        if (round.TypedTitle) {
            title_ = *round.TypedTitle;
        }
        return round.Result;
    }
    std::string Url() const override { return url_; }
    void SetUrl(const std::string& url) override { url_ = url; }
    std::string Title() const override { return title_; }
    void SetTitle(const std::string& title) override { title_ = title; }
    NodeKind ItemKind() const override { return script_.Kind; }
    std::optional<uint32_t> PickedFolderId() const override { return script_.PickedFolder; }
    CaptureOptions Options() const override { return script_.Options; }

    int Shown = 0;

private:
    FakeAddItemScript script_;
    std::string url_;
    std::string title_;
};

// The record of calls the roles share.
class FakeCallLog {
public:
    virtual ~FakeCallLog() = default;

    std::vector<std::string> Calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    // The recorded calls that begin with `name` ("ShowMessage", "OpenPanel(0)").
    std::vector<std::string> CallsOf(const std::string& name) const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> matching;
        for (const std::string& call : calls_) {
            if (call.compare(0, name.size(), name) == 0) {
                matching.push_back(call);
            }
        }
        return matching;
    }
    void ClearCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }

protected:
    void Record(std::string call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    template <class T> T Next(std::deque<T>& answers, T fallback) {
        std::lock_guard lock(mutex_);
        if (answers.empty()) {
            return fallback;
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    mutable std::mutex mutex_;

private:
    std::vector<std::string> calls_;
};

class FakeUserMessages : public virtual IUserMessages, public virtual FakeCallLog {
public:
    std::deque<TModalResult> BoxAnswers;
    std::deque<bool> ConfirmAnswers;
    // Whether a confirmation was closed with "Don't show this message again" ticked.
    std::deque<bool> ConfirmDontAsk;

    void ShowMessage(const std::string& text) override { Record("ShowMessage(" + text + ")"); }
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TMsgButtons buttons) override {
        Record("MessageBox(" + text + "|" + caption + "|" +
               std::to_string(static_cast<int>(buttons)) + ")");
        // A question nobody scripted an answer for takes its default, No.
        return Next(BoxAnswers,
                    buttons == TMsgButtons::YesNo ? TModalResult::No : TModalResult::Ok);
    }
    bool Confirm(const std::string& text, bool& askSetting) override {
        Record("Confirm(" + text + ")");
        if (Next(ConfirmDontAsk, false)) {
            askSetting = false;
        }
        return Next(ConfirmAnswers, true);
    }
    void OpenStatusForm(const std::string& text) override {
        Record("OpenStatusForm(" + text + ")");
    }
    void UpdateStatusForm() override { Record("UpdateStatusForm"); }
    void CloseStatusForm() override { Record("CloseStatusForm"); }
};

class FakeUserDialogs : public virtual IUserDialogs, public virtual FakeCallLog {
public:
    std::deque<std::optional<std::string>> DialogAnswers;
    // The Add Item dialogs to hand out, in order (a dialog that cancels once none is left),
    // and the folder dump the last one was built with.
    std::deque<FakeAddItemScript> AddItemDialogs;
    std::string LastFolderDump;
    // When set, makes the Add Item dialogs instead (a real dialog driven by the test).
    std::function<std::unique_ptr<IAddItemDialog>(int, std::optional<uint32_t>, const std::string&)>
        MakeAddItemDialog;
    // The answers of the New Binder Wizard, in order (cancelled once none is left).
    std::deque<std::optional<TNewBinderChoice>> NewBinderAnswers;

    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override {
        Record("OpenFileDialog(" + options.InitialDir + "|" + options.Filter + ")");
        return Next(DialogAnswers, std::optional<std::string>());
    }
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override {
        Record("SaveFileDialog(" + options.InitialDir + "|" + options.Filter + "|" +
               options.FileName + ")");
        return Next(DialogAnswers, std::optional<std::string>());
    }
    std::optional<std::string> SelectDirectory(const std::string& prompt,
                                               const std::string& startFolder,
                                               bool allowCreate) override {
        Record("SelectDirectory(" + prompt + "|" + startFolder + "|" +
               (allowCreate ? "create" : "") + ")");
        return Next(DialogAnswers, std::optional<std::string>());
    }
    std::unique_ptr<IAddItemDialog> CreateAddItemDialog(int mode,
                                                        std::optional<uint32_t> initialFolderId,
                                                        const std::string& folderDump) override {
        Record("CreateAddItemDialog(" + std::to_string(mode) + "|" +
               (initialFolderId ? std::to_string(*initialFolderId) : std::string("-1")) + ")");
        if (MakeAddItemDialog) {
            return MakeAddItemDialog(mode, initialFolderId, folderDump);
        }
        std::lock_guard lock(mutex_);
        LastFolderDump = folderDump;
        FakeAddItemScript script;
        if (!AddItemDialogs.empty()) {
            script = std::move(AddItemDialogs.front());
            AddItemDialogs.pop_front();
        }
        return std::make_unique<FakeAddItemDialog>(std::move(script));
    }
    std::optional<TNewBinderChoice> NewBinderDialog(const std::string& startFolder) override {
        Record("NewBinderDialog(" + startFolder + ")");
        return Next(NewBinderAnswers, std::optional<TNewBinderChoice>());
    }
};

class FakeBinderWindow : public virtual IBinderWindow,
                         public virtual IBinderCommands,
                         public virtual IBinderSideBar,
                         public virtual FakeCallLog {
public:
    int Panel = TreePanel;
    std::vector<std::string> RecentMenu;
    std::string ChosenBinder;

    void SetCaption(const std::string& caption) override { Record("SetCaption(" + caption + ")"); }
    void SetRecentBinders(const std::vector<std::string>& paths) override {
        std::string line = "SetRecentBinders(";
        for (size_t i = 0; i < paths.size(); ++i) {
            line += (i == 0 ? "" : "|") + paths[i];
        }
        Record(line + ")");
        std::lock_guard lock(mutex_);
        RecentMenu = paths;
    }
    void EnableCommand(TBinderCommand command, bool enabled) override {
        Record("EnableCommand(" + std::to_string(static_cast<int>(command)) + "," +
               (enabled ? "on" : "off") + ")");
    }
    void ShowPageView() override { Record("ShowPageView"); }
    void RestoreAndBringToFront() override { Record("RestoreAndBringToFront"); }
    void StoreTypedNotes() override { Record("StoreTypedNotes"); }
    int TopPanel() const override { return Panel; }
    void OpenPanel(int index) override {
        Record("OpenPanel(" + std::to_string(index) + ")");
        Panel = index;
    }
    void RefillPanel(int index) override { Record("RefillPanel(" + std::to_string(index) + ")"); }
    std::string ChosenBinderPath() const override { return ChosenBinder; }
    // The page list as the last FillResultPanel left it: (text, id) in order.
    std::vector<std::pair<std::string, uint32_t>> ResultPanel;
    void FillResultPanel(const std::vector<std::string>& texts,
                         const std::map<std::string, uint32_t>& ids) override {
        for (const std::string& text : texts) {
            ResultPanel.emplace_back(text, ids.at(text));
        }
    }
};

// The whole window: its roles over one record of calls.
class FakeBinderUi : public FakeUserMessages, public FakeUserDialogs, public FakeBinderWindow {
public:
    TBinderUiRoles Roles() { return {*this, *this, *this, *this, *this}; }
};
