#include "app/ui/WaitStatus.h"

#include "app/binder/CaptureStarter.h"
#include "app/ui/WaitForm.h"
#include "platform/base/Invoker.h"

#include <algorithm>

bool TWaitStatus::LevelCaptureRunning() const {
    return capture_ != nullptr && capture_->LevelCaptureRunning();
}

void TWaitStatus::OpenStatusForm(const std::string& text) {
    if (!Invoker().IsMainThread()) {
        PostMessageTo(this, {WM_OPENSTATUSFORM, 0, 0, text});
        return;
    }
    if (form_ == nullptr) {
        return;
    }
    // A form held around an export or import keeps its text until that work closes it.
    if (holding_) {
        ++quiet_;
        return;
    }
    if (working_ > 0) {
        ++working_;
        return;
    }
    if (LevelCaptureRunning()) {
        return;
    }
    working_ = 1;
    // The work does not serve events until it closes the form (UpdateStatusForm only steps
    // the bar): the form need not hold the window, and keys typed meanwhile wait for it.
    form_->StartBusy(text);
}

void TWaitStatus::OpenFromWorker(const std::string& text) {
    if (LevelCaptureRunning() || form_ == nullptr || holding_ || working_ > 0) {
        return;
    }
    form_->Start(text);
}

void TWaitStatus::UpdateStatusForm() {
    if (!Invoker().IsMainThread() || form_ == nullptr || !form_->isVisible()) {
        return;
    }
    if (holding_) {
        // The form holds the commands: the window may paint and Cancel be pressed, except while
        // a tree write steps it, which walks the tree that the event loop's calls change.
        form_->Step();
        if (quiet_ == 0) {
            ServeEventsBesideWork();
        }
    } else if (working_ > 0 || !LevelCaptureRunning()) {
        form_->Step();
    }
}

void TWaitStatus::CloseStatusForm() {
    if (!Invoker().IsMainThread()) {
        PostMessageTo(this, {WM_CLOSESTATUSFORM, 0, 0, {}});
        return;
    }
    if (form_ == nullptr) {
        return;
    }
    // A held form is the export's or import's: a save or a capture that ends while it runs
    // (from the event loop the work serves) leaves it, and its Cancel, to that work.
    if (holding_) {
        quiet_ = std::max(quiet_ - 1, 0);
        return;
    }
    if (working_ > 0) {
        if (--working_ == 0) {
            form_->Finish();
        }
        return;
    }
    if (!LevelCaptureRunning()) {
        form_->Finish();
    }
}

void TWaitStatus::CloseFromWorker() {
    if (form_ == nullptr || holding_ || working_ > 0 || LevelCaptureRunning()) {
        return;
    }
    form_->Finish();
}

void TWaitStatus::CloseWaitForm() {
    if (form_ == nullptr || !holding_) {
        return;
    }
    holding_ = false;
    quiet_ = 0;
    working_ = 0;
    cancelHeard_.reset();
    form_->Finish();
}

void TWaitStatus::OpenWaitForm(const std::string& text, bool cancellable) {
    if (form_ == nullptr) {
        return;
    }
    holding_ = true;
    quiet_ = 0;
    if (cancellable) {
        cancelHeard_.emplace();
    } else {
        cancelHeard_.reset();
    }
    form_->StartHolding(text, cancellable);
}

void TWaitStatus::WhenCancelled(std::function<void()> cancel) {
    if (form_ != nullptr && holding_) {
        form_->OnCancel = std::move(cancel);
    }
}

void TWaitStatus::CancelHeldWork() {
    if (form_ != nullptr && holding_ && cancelHeard_) {
        form_->Cancel();
    }
}

bool TWaitStatus::StatusCancelled() const {
    return holding_ && form_ != nullptr && form_->Cancelled();
}

void TWaitStatus::Dispatch(const PostedMessage& message) {
    if (message.Msg == WM_OPENSTATUSFORM) {
        OpenFromWorker(message.Text);
    } else if (message.Msg == WM_CLOSESTATUSFORM) {
        CloseFromWorker();
    }
}
