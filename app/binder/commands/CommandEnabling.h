#pragma once

// Which commands the binder document's notices enable and disable, and the window's caption
// they set: the one place that says so, for whoever owns the commands (the main window's
// actions, a test's fake). A follower hears the document from its making to its end.

#include "app/binder/BinderNotices.h"
#include "app/binder/commands/BinderUi.h"

class TBinderTree;

class TCommandEnabling : public IBinderTreeObserver {
public:
    // Both must outlive the follower.
    TCommandEnabling(TBinderTree& tree, IBinderCommands& commands);
    ~TCommandEnabling() override;
    TCommandEnabling(const TCommandEnabling&) = delete;
    TCommandEnabling& operator=(const TCommandEnabling&) = delete;

    // Something to paste: paste on, cut, copy and delete off until then.
    void SlotFilled() override;
    // Nothing left to paste.
    void SlotsEmptied() override;
    // A binder read: its name in the caption, the edit commands off.
    void BinderLoaded(const std::string& binderName) override;
    // No binder: the application's title in the caption.
    void BinderClosed() override;

private:
    TBinderTree& tree_;
    IBinderCommands& commands_;
};
