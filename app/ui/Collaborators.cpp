#include "app/ui/Collaborators.h"

#include "app/binder/BinderUi.h"
#include "app/ui/FormVelmorRnx.h"

#include <iostream>

namespace {

// Stands in for the binder lifecycle until it is wired in below: nothing can be created or
// opened, and every attempt says so.
class TUnwiredLifecycle : public IBinderLifecycle {
public:
    explicit TUnwiredLifecycle(IBinderUi& ui) : ui_(ui) {}

    bool CreateBinder(const std::string& folder, const std::string& name, const std::string&,
                      bool) override {
        std::cerr << "tarnwick: cannot create binder \"" << name << "\" in \"" << folder
                  << "\": binders cannot be created by this build yet\n";
        return false;
    }
    bool OpenBinder(const std::string&) override {
        ui_.ShowMessage("Unable to open binder");
        return false;
    }
    void CloseBinder() override {}
    void ReloadBinder() override {}
    void DeleteBinder(const std::string&) override {}
    bool BinderOpen() const override { return false; }
    void FileNewBinderExecute() override {}
    void FileOpenBinderExecute() override {}
    void FileOpenRecentExecute(const std::string& path) override { OpenBinder(path); }

private:
    IBinderUi& ui_;
};

} // namespace

TCollaborators MakeCollaborators(TCollaboratorContext& context) {
    TCollaborators parts;
    // WIRING POINT, capture: the capture controller goes into parts.Capture; it also becomes
    // the runner of context.Queue (TaskQueue::SetRunner) and posts 3022 to context.Window.
    // Its status form of captures with linked pages goes into parts.Form9.
    //
    // WIRING POINT, binders: the binder lifecycle goes into parts.Lifecycle, built over
    // context.Binder, context.Window (its IBinderUi), context.Queue, context.Store,
    // context.Settings and context.Paths.
    parts.Lifecycle = std::make_unique<TUnwiredLifecycle>(context.Window);
    return parts;
}
