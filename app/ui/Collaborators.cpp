#include "app/ui/Collaborators.h"

#include "app/binder/BinderTree.h"
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/binder/commands/BinderLifecycleCommands.h"
#include "app/binder/commands/BinderTreeCommands.h"
#include "app/capture/CaptureController.h"
#include "app/capture/taskqueue.h"
#include "app/ui/dialogs/TForm9.h"

TCollaborators MakeCollaborators(TCollaboratorContext& context) {
    TCollaborators parts;
    auto form9 = std::make_unique<TForm9>();
    CaptureSetup setup;
    setup.Records = &context.Binder;
    setup.Paths = &context.Paths;
    setup.Port = &context.Port;
    setup.LevelForm = form9.get();
    // No browser cache can be read here: "use cache" fetches from the net.
    setup.Cache = nullptr;
    setup.PageTime = context.PageTime;
    setup.Tell = [&messages = context.Roles.Messages](const std::string& text) {
        messages.ShowMessage(text);
    };
    auto capture = std::make_unique<CaptureController>(setup);
    capture->ServeTaskQueue(context.Queue);
    parts.Lifecycle =
        std::make_unique<TBinderLifecycle>(context.Roles, context.Queue, *capture, context.Settings,
                                           context.Store, context.Paths, context.TreeCommands);
    // A file task's end reaches the binder file as its close would write it.
    capture->StoreTasksWith(
        [lifecycle = parts.Lifecycle.get()] { return lifecycle->StoreTasks(); });
    parts.Capture = std::move(capture);
    parts.Form9 = std::move(form9);
    return parts;
}
