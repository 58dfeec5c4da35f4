#include "app/ui/Collaborators.h"

#include "app/binder/BinderFile.h"
#include "app/capture/taskqueue.h"
#include "app/ui/FormVelmorRnx.h"

TCollaborators MakeCollaborators(TCollaboratorContext& context) {
    TCollaborators parts;
    // WIRING POINT, capture: the capture controller goes into parts.Capture; it also becomes
    // the runner of context.Queue (TaskQueue::SetRunner) and posts 3022 to context.Window.
    // Its status form of captures with linked pages goes into parts.Form9. Until then no
    // capture starts: pages stay unfinished and wait in the task queue.
    parts.Lifecycle = std::make_unique<TBinderLifecycle>(
        context.Window, context.Queue, context.Capture, context.Settings, context.Store,
        context.Paths, context.Binder);
    return parts;
}
