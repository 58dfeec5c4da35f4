#pragma once

// The parts of the program that the main window works with but that are built apart from it,
// after it (they need the window's roles and its tree): the capture controller, which also works
// the task queue, the binder lifecycle, and the status form of captures with linked pages. The
// program then hands the capture controller to the window. MakeCollaborators is the one place
// that builds the program's own; tests hand in their own factory.

#include "app/binder/CaptureStarter.h"
#include "app/binder/commands/BinderLifecycle.h"
#include "app/binder/commands/BinderUi.h"
#include "app/capture/TransferBounds.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class ISettingsStore;
class TBinderTree;
class TBinderTreeCommands;
class TCapturePort;
class TaskQueue;
struct BinderPaths;
struct TSettings;

struct TCollaboratorContext {
    TBinderUiRoles Roles; // what the lifecycle asks of the window
    TCapturePort& Port;   // the captures report to the window through it (messages 3019, 3022)
    TBinderTree& Binder;
    TBinderTreeCommands& TreeCommands; // the lifecycle works the tree through its commands
    TaskQueue& Queue;
    ISettingsStore& Store;
    TSettings& Settings;
    BinderPaths& Paths;
    std::string StartFolder;
    std::chrono::milliseconds PageTime = MaxPageTime; // the time one page's capture may take
};

// Let go in the reverse order: the capture controller first (it stops its workers, which
// report to the form), the lifecycle, then the form.
struct TCollaborators {
    // The status form of captures with linked pages; it receives message 3019 when it is a
    // MessageTarget. Null: none.
    std::unique_ptr<QWidget> Form9;
    std::unique_ptr<IBinderLifecycle> Lifecycle; // null: no binder is ever opened
    std::unique_ptr<ICaptureStarter> Capture;    // null: no capture ever starts
};

using TCollaboratorFactory = std::function<TCollaborators(TCollaboratorContext& context)>;

// The program's own collaborators.
TCollaborators MakeCollaborators(TCollaboratorContext& context);
