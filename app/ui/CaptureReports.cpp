#include "app/ui/CaptureReports.h"

#include "app/capture/CaptureFinished.h"
#include "app/capture/SavingStatus.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WaitStatus.h"

#include <QCoreApplication>

void TCaptureReports::CaptureDone(uint32_t nodeId) {
    if (records_ != nullptr) {
        OnCaptureFinished(*records_, nodeId);
    }
}

void TCaptureReports::SavingStatus(StatusForm form, int wParam, const std::string& status,
                                   const std::optional<std::string>& url) {
    MessageTarget* target = form == StatusForm::Wait ? static_cast<MessageTarget*>(status_.Form())
                            : form == StatusForm::Level ? levelForm_
                                                        : nullptr;
    if (target != nullptr) {
        target->Dispatch(SavingStatusMessage(wParam, status, url));
    }
}

void TCaptureReports::OpenStatusForm(const std::string& text) {
    status_.OpenStatusForm(text);
}

void TCaptureReports::UpdateStatusForm() {
    status_.UpdateStatusForm();
}

void TCaptureReports::CloseStatusForm() {
    status_.CloseStatusForm();
}

void TCaptureReports::ProcessMessages() {
    QCoreApplication::processEvents();
}
