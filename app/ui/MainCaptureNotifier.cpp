#include "app/ui/MainCaptureNotifier.h"

#include "app/binder/BinderUi.h"
#include "platform/base/Invoker.h"

#include <QCoreApplication>

TMainCaptureNotifier::TMainCaptureNotifier(IUserMessages& window)
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

void TMainCaptureNotifier::UpdateStatusForm() {
    window_.UpdateStatusForm();
}

void TMainCaptureNotifier::CloseStatusForm() {
    window_.CloseStatusForm();
}

void TMainCaptureNotifier::ProcessMessages() {
    if (Invoker().IsMainThread()) {
        QCoreApplication::processEvents();
    }
}
