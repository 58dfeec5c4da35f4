#include "app/capture/CapturePort.h"

#include "app/capture/SavingStatus.h"
#include "platform/base/Invoker.h"

void TCapturePort::CaptureDone(uint32_t nodeId) {
    PostMessageTo(this, {WM_CAPTUREDONE, 0, static_cast<intptr_t>(nodeId), {}});
}

void TCapturePort::SavingStatus(StatusForm form, int wParam, const std::string& status,
                                const std::optional<std::string>& url) {
    PostedMessage message = SavingStatusMessage(wParam, status, url);
    message.LParam = static_cast<intptr_t>(form);
    PostMessageTo(this, std::move(message));
}

void TCapturePort::OpenStatusForm(const std::string& text) {
    if (Invoker().IsMainThread()) {
        reports_.OpenStatusForm(text);
    }
}

void TCapturePort::UpdateStatusForm() {
    if (Invoker().IsMainThread()) {
        reports_.UpdateStatusForm();
    }
}

void TCapturePort::CloseStatusForm() {
    if (Invoker().IsMainThread()) {
        reports_.CloseStatusForm();
    }
}

void TCapturePort::ProcessMessages() {
    if (Invoker().IsMainThread()) {
        reports_.ProcessMessages();
    }
}

void TCapturePort::Dispatch(const PostedMessage& message) {
    if (message.Msg == WM_CAPTUREDONE) {
        reports_.CaptureDone(static_cast<uint32_t>(message.LParam));
    } else if (message.Msg == WM_SAVINGSTATUS) {
        const SavingStatusTexts texts = ReadSavingStatus(message);
        reports_.SavingStatus(static_cast<StatusForm>(message.LParam),
                              static_cast<int>(message.WParam), texts.Status, texts.Url);
    }
}
