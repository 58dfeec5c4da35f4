#pragma once

// The wait form as the binder code and the exports use it (IStatusForm): shown and stepped
// around long work, left alone while a capture with linked pages shows its own status, and
// held up around an export or import until that work closes it. Calls from other threads are
// carried to the main thread.

#include "app/binder/commands/BinderUi.h"
#include "platform/base/EventLoopWait.h"
#include "platform/base/PostedMessage.h"

#include <functional>
#include <optional>
#include <string>

class ICaptureStarter;
class TForm4;

inline constexpr uint32_t WM_OPENSTATUSFORM = 0x0400 + 200;
inline constexpr uint32_t WM_CLOSESTATUSFORM = 0x0400 + 201;

class TWaitStatus : public IStatusForm, public MessageTarget {
public:
    // The wait form TForm4; null: none, and every call does nothing.
    void SetForm(TForm4* form) { form_ = form; }
    TForm4* Form() const { return form_; }
    // Tells whether a capture with linked pages runs; null: none does.
    void SetCaptureStarter(const ICaptureStarter* capture) { capture_ = capture; }

    // Opened on the main thread, the form is up for work that keeps the event loop from it
    // (a tree write): modal and drawn, over windows drawn again, before this returns; the
    // workers' calls and the captures' status messages leave it alone until the main thread
    // closes it (opened again meanwhile, it closes with the last close). From a worker, it is
    // shown as it comes. While the form is held up around an export or import, opening and
    // closing it change nothing (only that work closes it), but between an opening on the main
    // thread and its close the steps serve no event: a tree write walks the tree meanwhile.
    void OpenStatusForm(const std::string& text) override;
    void UpdateStatusForm() override;
    void CloseStatusForm() override;

    // The form held up around an export or import, with a Cancel button when `cancellable`.
    void OpenWaitForm(const std::string& text, bool cancellable);
    // The export or import that holds the form closes it (also while a capture with linked
    // pages runs); without a held form, nothing.
    void CloseWaitForm();
    // Cancel was pressed on the held form.
    bool StatusCancelled() const;
    // The form is held up around an export or import.
    bool Holding() const { return holding_; }
    // Calls `cancel` when Cancel of the held form is pressed, until the form closes.
    void WhenCancelled(std::function<void()> cancel);
    // The work that holds the form ends as its Cancel ends it (the program is asked to end);
    // without a held form with Cancel, nothing.
    void CancelHeldWork();

    void Dispatch(const PostedMessage& message) override;

private:
    bool LevelCaptureRunning() const;
    // The calls a worker posted.
    void OpenFromWorker(const std::string& text);
    void CloseFromWorker();

    TForm4* form_ = nullptr;
    const ICaptureStarter* capture_ = nullptr;
    bool holding_ = false; // the form is up around an export or import
    int working_ = 0;      // openings on the main thread not yet closed
    int quiet_ = 0;        // of them, those made while the form was held
    // A held form with Cancel is up: the work it stands around serves the clicks that reach it.
    std::optional<UserInputBesideWork> cancelHeard_;
};
