#pragma once

// The parts of the main window that play what the binder code, the exports and the captures ask
// of it, each the part that owns what it does: the wait status the wait form, the window's
// dialogs its boxes and dialogs, the add requests the runner behind the "Add Item" dialog, the
// exports' port, the captures' reports, the window's acts and the binder's messages. The window
// builds them first, wires them to its panes once and makes the binder roles from them with its
// commands part and its side bar; the program and the tests reach them here.

#include "app/binder/commands/BinderUi.h"
#include "app/ui/AddRequests.h"
#include "app/ui/BinderWindowActs.h"
#include "app/ui/CaptureReports.h"
#include "app/ui/EndingMessages.h"
#include "app/ui/ExportPort.h"
#include "app/ui/WaitStatus.h"
#include "app/ui/WindowDialogs.h"

#include <iostream>
#include <optional>

class QWidget;

struct TWindowRoleParts {
    // `window` is the parent of every box and dialog and must outlive the parts.
    explicit TWindowRoleParts(QWidget& window)
        : Dialogs(window, Status, AddRequests), Exports(window, Status, AddRequests),
          Captures(Status), Messages(Dialogs, std::cerr) {}
    TWindowRoleParts(const TWindowRoleParts&) = delete;
    TWindowRoleParts& operator=(const TWindowRoleParts&) = delete;

    TWaitStatus Status;
    TAddRequests AddRequests;
    TWindowDialogs Dialogs;
    TExportPort Exports;
    TCaptureReports Captures;
    TBinderWindowActs Window;
    // The binder roles' messages: the window's boxes, on the error output as the program ends.
    TEndingMessages Messages;
    // The roles the binder's tree and lifecycle commands take, made once with the window's
    // commands part and its side bar.
    std::optional<TBinderUiRoles> Binder;
};
