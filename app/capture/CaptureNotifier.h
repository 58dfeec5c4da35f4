#pragma once

// What the capture engine tells the main window while it works: the wait form around long
// operations and the status texts of the status forms. The capture runs on worker threads
// too, so an implementation hands everything to the window's own thread and never waits for it.

#include <string>

// The forms a capture reports to.
enum class StatusForm {
    None,
    Wait,  // the wait form of the main window
    Level, // the status form of a capture with linked pages
};

class CaptureNotifier {
public:
    virtual ~CaptureNotifier() = default;

    // Shows the wait form with `text` (unless a capture of linked pages runs).
    virtual void OpenStatusForm(const std::string& text) { (void)text; }
    // The per-step hook of long operations.
    virtual void UpdateStatusForm() {}
    virtual void CloseStatusForm() {}
    // The text a status form shows at its next status message.
    virtual void SetStatusText(StatusForm form, const std::string& text) {
        (void)form;
        (void)text;
    }
    // The status message (3019) to a form: 0 show the texts and restart the progress, 1 finish
    // the progress, 2 close the form.
    virtual void PostSavingStatus(StatusForm form, int wParam) {
        (void)form;
        (void)wParam;
    }
    // Lets the window's events run once when called on its thread; nothing on a worker.
    virtual void ProcessMessages() {}
};

// The main window's notifier; one that does nothing until the window sets its own.
CaptureNotifier& MainCaptureNotifier();
// Sets the main window's notifier (null: the silent one again) and returns the previous one.
CaptureNotifier* SetMainCaptureNotifier(CaptureNotifier* notifier);
