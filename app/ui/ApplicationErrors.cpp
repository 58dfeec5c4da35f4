#include "app/ui/ApplicationErrors.h"

#include "app/binder/WindowTexts.h"
#include "platform/base/QtText.h"

#include <QMessageBox>
#include <QWidget>

#include <ostream>

namespace {

// Distinct errors of repeating events waiting for their box at most; more go to the error
// output, so that a paint whose error changes each time cannot queue boxes without end.
constexpr size_t MaxWaiting = 4;

} // namespace

TApplicationErrors::TApplicationErrors(QWidget& owner, std::ostream& errors)
    : QObject(&owner), errors_(errors) {
    ShowBox = [&owner](const std::string& text) {
        QMessageBox box(QMessageBox::Critical, ApplicationTitle, ToQ(text), QMessageBox::Ok,
                        &owner);
        box.exec();
    };
}

void TApplicationErrors::Handle(const std::string& text, TEventRecurrence recurrence) {
    if (recurrence == TEventRecurrence::Once) {
        ShowBox(text);
        return;
    }
    if (told_.count(text) != 0 || waiting_.size() >= MaxWaiting) {
        errors_ << "tarnwick: " << text << std::endl;
        return;
    }
    told_.insert(text);
    waiting_.push_back(text);
    if (!posted_) {
        posted_ = true;
        QMetaObject::invokeMethod(
            this, [this] { ShowWaiting(); }, Qt::QueuedConnection);
    }
}

void TApplicationErrors::ShowWaiting() {
    // Errors raised while a box is open wait for it: one box at a time.
    while (!waiting_.empty()) {
        const std::string text = waiting_.front();
        waiting_.pop_front();
        ShowBox(text);
    }
    posted_ = false;
}
