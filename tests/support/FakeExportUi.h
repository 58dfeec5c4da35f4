#pragma once

// The window as the binder's exports see it, for tests: every call is recorded as one line
// ("ShowMessage(text)"), dialogs answer from a queue (cancelled once it is empty), boxes and
// confirmations answer OK unless told otherwise.

#include "app/binder/commands/AddItemDialog.h"
#include "app/binder/commands/ExportUi.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

class FakeExportUi : public IExportUi {
public:
    std::vector<std::string> Calls;
    std::deque<std::optional<std::string>> DialogAnswers;
    std::deque<TModalResult> BoxAnswers;
    std::deque<bool> ConfirmAnswers;
    std::deque<bool> ConfirmDontAsk;
    std::optional<TChmChoice> Chm;
    std::string DialogDir;
    // Runs at every UpdateStatusForm; answering true presses the wait form's Cancel.
    std::function<bool()> PressCancel;
    bool Cancelled = false;
    // What the command runs when Cancel is pressed; cleared when the form closes.
    std::function<void()> CancelHandler;

    // Presses Cancel of the wait form.
    void PressWaitFormCancel() {
        Cancelled = true;
        if (const std::function<void()> cancel = CancelHandler) {
            cancel();
        }
    }

    std::vector<std::string> CallsOf(const std::string& name) const {
        std::vector<std::string> matching;
        for (const std::string& call : Calls) {
            if (call.compare(0, name.size(), name) == 0) {
                matching.push_back(call);
            }
        }
        return matching;
    }

    void ShowMessage(const std::string& text) override {
        Calls.push_back("ShowMessage(" + text + ")");
    }
    TModalResult MessageBox(const std::string& text, const std::string& caption,
                            TMsgButtons) override {
        Calls.push_back("MessageBox(" + text + "|" + caption + ")");
        return Next(BoxAnswers, TModalResult::Ok);
    }
    bool Confirm(const std::string& text, bool& askSetting) override {
        Calls.push_back("Confirm(" + text + ")");
        if (Next(ConfirmDontAsk, false)) {
            askSetting = false;
        }
        return Next(ConfirmAnswers, true);
    }
    std::optional<std::string> OpenFileDialog(const TFileDialogOptions& options) override {
        Calls.push_back("OpenFileDialog(" + options.InitialDir + "|" + options.Filter + ")");
        return Next(DialogAnswers, std::optional<std::string>());
    }
    std::optional<std::string> SaveFileDialog(const TFileDialogOptions& options) override {
        Calls.push_back("SaveFileDialog(" + options.InitialDir + "|" + options.Filter + "|" +
                        options.FileName + ")");
        return Next(DialogAnswers, std::optional<std::string>());
    }
    std::optional<std::string> SelectDirectory(const std::string& prompt,
                                               const std::string& startFolder,
                                               bool allowCreate) override {
        Calls.push_back("SelectDirectory(" + prompt + "|" + startFolder + "|" +
                        (allowCreate ? "create" : "") + ")");
        return Next(DialogAnswers, std::optional<std::string>());
    }
    std::unique_ptr<IAddItemDialog> CreateAddItemDialog(int, std::optional<uint32_t>,
                                                        const std::string&) override {
        return nullptr;
    }
    std::optional<TNewBinderChoice> NewBinderDialog(const std::string&) override {
        return std::nullopt;
    }
    std::string LastDialogDir() const override { return DialogDir; }
    void SetLastDialogDir(const std::string& folder) override { DialogDir = folder; }

    void OpenWaitForm(const std::string& text, bool cancellable) override {
        Calls.push_back("OpenStatusForm(" + text + (cancellable ? "|cancel" : "") + ")");
        Cancelled = false;
    }
    void OpenStatusForm(const std::string& text) override {
        Calls.push_back("OpenStatusForm(" + text + "|roles)");
    }
    void UpdateStatusForm() override {
        if (PressCancel && PressCancel()) {
            PressWaitFormCancel();
        }
    }
    void WhenWaitFormCancelled(std::function<void()> cancel) override {
        CancelHandler = std::move(cancel);
    }
    void CloseStatusForm() override {
        Calls.push_back("CloseStatusForm");
        CancelHandler = nullptr;
    }

    std::optional<TChmChoice> ChmDialog() override {
        Calls.push_back("ChmDialog");
        return Chm;
    }
    int ShellOpen(const std::string& file) override {
        Calls.push_back("ShellOpen(" + file + ")");
        return 0;
    }
    // Starts the compiler; none is started when unset.
    std::function<std::unique_ptr<RunningProgram>(const std::string&)> Compiler;
    std::unique_ptr<RunningProgram> StartChmCompiler(const std::string& projectFile) override {
        Calls.push_back("StartChmCompiler");
        return Compiler ? Compiler(projectFile) : nullptr;
    }

private:
    template <class T> static T Next(std::deque<T>& answers, T fallback) {
        if (answers.empty()) {
            return fallback;
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};
