#pragma once

// The status form of captures with linked pages as a user who waits: it logs every 3019
// ("<wParam> <status>|<url>"), closes on 3019/2, and clicks OK once the capture has finished.

#include "app/capture/CapturePort.h"
#include "app/capture/LevelStatusForm.h"
#include "app/capture/SavingStatus.h"
#include "platform/base/Invoker.h"
#include "platform/base/PostedMessage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class FakeLevelForm : public MessageTarget, public ILevelStatusForm {
public:
    std::vector<std::string> Log;
    std::function<void()> Cancel;
    std::function<void()> OnFinished; // as the form says "Finished."

    bool Showing() const override { return showing_; }
    void ShowModal(const std::string& rootUrl, std::function<void()> start,
                   std::function<void()> cancel) override {
        Log.push_back("show " + rootUrl);
        showing_ = true;
        Cancel = std::move(cancel);
        start();
        Invoker().WaitServing([this] { return !showing_; });
    }
    void Finished() override {
        if (OnFinished) {
            OnFinished();
        }
        Log.push_back("finished");
        showing_ = false;
    }
    void Dispatch(const PostedMessage& message) override {
        const SavingStatusTexts texts = ReadSavingStatus(message);
        Log.push_back(std::to_string(message.WParam) + " " + texts.Status + "|" +
                      texts.Url.value_or(""));
        showing_ = showing_ && message.WParam != 2;
    }

private:
    bool showing_ = false;
};

// The main window as the captures report to it: the end of a capture goes to OnDone (as the
// window hands it to the binder), the status of a capture with linked pages to its form, what
// the wait form is told to WaitLog ("<wParam> <status>").
struct FakeCaptureReports : ICaptureReports {
    std::function<void(uint32_t)> OnDone;
    FakeLevelForm* Form = nullptr;
    std::vector<std::string> WaitLog;
    void CaptureDone(uint32_t nodeId) override { OnDone(nodeId); }
    void SavingStatus(StatusForm form, int wParam, const std::string& status,
                      const std::optional<std::string>& url) override {
        if (form == StatusForm::Level) {
            Form->Dispatch(SavingStatusMessage(wParam, status, url));
        } else if (form == StatusForm::Wait) {
            WaitLog.push_back(std::to_string(wParam) + " " + status);
        }
    }
    void OpenStatusForm(const std::string&) override {}
    void UpdateStatusForm() override {}
    void CloseStatusForm() override {}
    void ProcessMessages() override {}
};
