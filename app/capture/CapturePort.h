#pragma once

// How a capture reports to the window: one port. The engine calls TCapturePort on its workers
// and on the main thread; the port carries every call to the main thread, so the window's side
// (ICaptureReports) is only ever called there, in the order the calls were made. A call still
// on its way when the port goes is dropped.

#include "platform/base/PostedMessage.h"

#include <cstdint>
#include <optional>
#include <string>

// The forms a capture reports to.
enum class StatusForm {
    None,
    Wait,  // the wait form of the main window
    Level, // the status form of a capture with linked pages
};

inline constexpr uint32_t WM_CAPTUREDONE = 3022;
inline constexpr uint32_t WM_SAVINGSTATUS = 3019;

// The window's side; every call arrives on the main thread.
class ICaptureReports {
public:
    virtual ~ICaptureReports() = default;

    // Message 3022: the capture of the node's page has ended.
    virtual void CaptureDone(uint32_t nodeId) = 0;
    // Message 3019 to a status form (the level status text and progress of a capture with
    // linked pages, or the saving status of one page): wParam 0 shows `status` (and `url` when
    // given) and restarts the bar, 1 completes the bar and hides the form, 2 closes it.
    virtual void SavingStatus(StatusForm form, int wParam, const std::string& status,
                              const std::optional<std::string>& url) = 0;
    // The wait form around work on the main thread.
    virtual void OpenStatusForm(const std::string& text) = 0;
    virtual void UpdateStatusForm() = 0;
    virtual void CloseStatusForm() = 0;
    // Lets the window's events run once.
    virtual void ProcessMessages() = 0;
};

class TCapturePort : public MessageTarget {
public:
    explicit TCapturePort(ICaptureReports& reports) : reports_(reports) {}

    // Any thread.
    void CaptureDone(uint32_t nodeId);
    void SavingStatus(StatusForm form, int wParam, const std::string& status = {},
                      const std::optional<std::string>& url = std::nullopt);
    // Work on the main thread only; on a worker they do nothing.
    void OpenStatusForm(const std::string& text);
    void UpdateStatusForm();
    void CloseStatusForm();
    void ProcessMessages();

    void Dispatch(const PostedMessage& message) override;

private:
    ICaptureReports& reports_;
};
