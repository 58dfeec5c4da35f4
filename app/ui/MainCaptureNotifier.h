#pragma once

// How the capture engine reaches the main window: the wait form around a page, and the 3019
// messages of the wait form and of the status form of captures with linked pages. Captures
// run on worker threads too, so nothing here waits for the window: form changes travel as
// posted messages, which are dropped once their form is gone.

#include "app/capture/SavingStatus.h"

class IUserMessages;

class TMainCaptureNotifier : public PostingCaptureNotifier {
public:
    // Becomes the capture engine's notifier until destroyed.
    explicit TMainCaptureNotifier(IUserMessages& window);
    ~TMainCaptureNotifier() override;
    TMainCaptureNotifier(const TMainCaptureNotifier&) = delete;
    TMainCaptureNotifier& operator=(const TMainCaptureNotifier&) = delete;

    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override;
    void CloseStatusForm() override;
    void ProcessMessages() override;

private:
    IUserMessages& window_;
    CaptureNotifier* previous_;
};
