#include "app/ui/MainCaptureNotifier.h"

#include "app/capture/CaptureFinished.h"
#include "app/ui/FormVelmorRnx.h"
#include "platform/base/Invoker.h"
#include "platform/base/PostedMessage.h"

#include <QCoreApplication>

TMainCaptureNotifier::TMainCaptureNotifier(TFormVelmorRnx& window)
    : window_(window), previous_(SetMainCaptureNotifier(this)) {}

TMainCaptureNotifier::~TMainCaptureNotifier() {
    // Another window's notifier that took over meanwhile stays in place.
    CaptureNotifier* current = SetMainCaptureNotifier(previous_);
    if (current != this) {
        SetMainCaptureNotifier(current);
    }
}

void TMainCaptureNotifier::OpenStatusForm(const std::string& text) {
    window_.OpenStatusForm(text);
}

void TMainCaptureNotifier::CloseStatusForm() {
    window_.CloseStatusForm();
}

void TMainCaptureNotifier::SetStatusText(StatusForm form, const std::string& text) {
    std::lock_guard<std::mutex> guard(textLock_);
    if (form == StatusForm::Wait) {
        waitText_ = text;
    } else if (form == StatusForm::Level) {
        levelText_ = text;
    }
}

void TMainCaptureNotifier::PostSavingStatus(StatusForm form, int wParam) {
    MessageTarget* target = nullptr;
    PostedMessage message{WM_SAVINGSTATUS, wParam, 0, {}};
    {
        std::lock_guard<std::mutex> guard(textLock_);
        if (form == StatusForm::Wait) {
            target = waitForm_;
            message.Text = waitText_;
        } else if (form == StatusForm::Level) {
            target = levelForm_;
            message.Text = levelText_;
        }
    }
    PostMessageTo(target, std::move(message));
}

void TMainCaptureNotifier::ProcessMessages() {
    if (Invoker().IsMainThread()) {
        QCoreApplication::processEvents();
    }
}
