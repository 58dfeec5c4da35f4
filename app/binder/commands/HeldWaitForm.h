#pragma once

// The wait form held around the work of a command: open while the guard lives, closed however
// the command ends, by an early return or an exception. The held form is modal: one left up
// would keep the window from every later command.

#include "app/binder/commands/ExportUi.h"

#include <string>

class HeldWaitForm {
public:
    explicit HeldWaitForm(IExportUi& ui, const std::string& text = "", bool cancellable = false)
        : ui_(ui) {
        ui_.OpenWaitForm(text, cancellable);
    }
    ~HeldWaitForm() { ui_.CloseStatusForm(); }
    HeldWaitForm(const HeldWaitForm&) = delete;
    HeldWaitForm& operator=(const HeldWaitForm&) = delete;

private:
    IExportUi& ui_;
};
