#pragma once

// What the captures report to the main window (ICaptureReports), through the port they are
// given: an ended page capture goes to the binder's records, the saving status to the wait form
// or to the status form of a capture with linked pages, the wait form's calls to the wait
// status.

#include "app/capture/CapturePort.h"

class ICaptureRecords;
class TWaitStatus;

class TCaptureReports : public ICaptureReports {
public:
    // The status must outlive the part.
    explicit TCaptureReports(TWaitStatus& status) : status_(status) {}

    // The records an ended capture is entered into; null: none, the report is dropped.
    void SetRecords(ICaptureRecords* records) { records_ = records; }
    // The status form of captures with linked pages; null: none.
    void SetLevelStatusForm(MessageTarget* form) { levelForm_ = form; }

    // The port the captures report through.
    TCapturePort& Port() { return port_; }

    void CaptureDone(uint32_t nodeId) override;
    void SavingStatus(StatusForm form, int wParam, const std::string& status,
                      const std::optional<std::string>& url) override;
    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override;
    void CloseStatusForm() override;
    void ProcessMessages() override;

private:
    TWaitStatus& status_;
    ICaptureRecords* records_ = nullptr;
    MessageTarget* levelForm_ = nullptr;
    TCapturePort port_{*this};
};
