#pragma once

// The wait form around a piece of work: opened unless the command around the work has it up
// already, and closed however the work ends (a form left up on the main thread's work would
// hold every window).

#include "app/binder/commands/BinderUi.h"

class WaitFormUp {
public:
    WaitFormUp(IStatusForm& form, bool& up) : form_(form), up_(up), opened_(!up) {
        if (opened_) {
            form_.OpenStatusForm("");
            up_ = true;
        }
    }
    ~WaitFormUp() {
        if (opened_) {
            up_ = false;
            form_.CloseStatusForm();
        }
    }
    WaitFormUp(const WaitFormUp&) = delete;
    WaitFormUp& operator=(const WaitFormUp&) = delete;

private:
    IStatusForm& form_;
    bool& up_;
    bool opened_;
};
