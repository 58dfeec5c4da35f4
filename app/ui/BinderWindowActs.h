#pragma once

// The window and its views as the binder commands move them (IBinderWindow), each move the act
// of the part that owns it: restoring and raising is the window's own, switching to the page
// view the views pane's, storing typed notes the views' with the notes editor. The acts are
// wired once where the window is built; an act not given does nothing.

#include "app/binder/commands/BinderUi.h"

#include <functional>

struct TBinderWindowActs : public IBinderWindow {
    std::function<void()> OnShowPageView;
    std::function<void()> OnRestoreAndBringToFront;
    std::function<void()> OnStoreTypedNotes;

    void ShowPageView() override;
    void RestoreAndBringToFront() override;
    void StoreTypedNotes() override;
};
