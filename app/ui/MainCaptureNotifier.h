#pragma once

// How the capture engine reaches the main window's forms: the wait form around a page and the
// status texts and 3019 messages of the wait form and of the status form of captures with
// linked pages. Captures run on worker threads too, so nothing here waits for the window:
// form changes travel as posted messages, which are dropped once their form is gone.

#include "app/capture/CaptureNotifier.h"

#include <atomic>
#include <mutex>
#include <string>

class MessageTarget;
class TFormVelmorRnx;

class TMainCaptureNotifier : public CaptureNotifier {
public:
    // Becomes the capture engine's notifier until destroyed.
    explicit TMainCaptureNotifier(TFormVelmorRnx& window);
    ~TMainCaptureNotifier() override;
    TMainCaptureNotifier(const TMainCaptureNotifier&) = delete;
    TMainCaptureNotifier& operator=(const TMainCaptureNotifier&) = delete;

    void SetWaitForm(MessageTarget* form) { waitForm_ = form; }
    void SetLevelForm(MessageTarget* form) { levelForm_ = form; }

    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override {}
    void CloseStatusForm() override;
    void SetStatusText(StatusForm form, const std::string& text) override;
    void PostSavingStatus(StatusForm form, int wParam) override;
    void ProcessMessages() override;

private:
    TFormVelmorRnx& window_;
    CaptureNotifier* previous_;
    std::atomic<MessageTarget*> waitForm_{nullptr};
    std::atomic<MessageTarget*> levelForm_{nullptr};
    std::mutex textLock_;
    std::string waitText_;
    std::string levelText_;
};
