#pragma once

// Writes the open binder soon after its first change that no command wrote at once (a note
// stored by moving to another node, a rename, a move by dragging): at most the time a capture
// with linked pages goes between its saves, so a crash loses no more than that. It saves as a
// capture does, through the tree's saver, with its wait form and messages (the note being
// typed goes into its record first), then stores what the binder keeps beside its tree (the
// task section); changes made while it waits are written with the first. A save that fails is
// tried again an interval later, quietly: one message for a run of failures.

#include "app/binder/BinderNotices.h"
#include "app/capture/CaptureController.h"

#include <QTimer>

#include <chrono>
#include <functional>

class TBinderTree;

class TPendingChangesSaver : public IBinderTreeObserver {
public:
    // While `busy` answers true, or work runs beside the event loop, a save waits and is tried
    // again a moment later: the wait form holds the commands around an export or import, which
    // writes the binder itself at its end. The tree must outlive the saver.
    TPendingChangesSaver(TBinderTree& tree, std::function<bool()> busy,
                         std::chrono::milliseconds delay = CaptureSaveInterval);
    ~TPendingChangesSaver() override;
    TPendingChangesSaver(const TPendingChangesSaver&) = delete;
    TPendingChangesSaver& operator=(const TPendingChangesSaver&) = delete;

    // A save is due.
    bool Pending() const { return timer_.isActive(); }
    // How long after the first change the save comes, from the next change on.
    void SetDelay(std::chrono::milliseconds delay) { delay_ = delay; }
    // What the save stores besides the tree file; false when it could not.
    void SetAlsoStore(std::function<bool()> store) { alsoStore_ = std::move(store); }
    // The save, now, whatever the clock says and whatever holds the wait form: the desktop
    // session asks the program to keep its data. False when anything could not be written.
    bool SaveNow();

    void BinderMarkedChanged() override;
    void BinderClosed() override;

private:
    void Due();
    // The tree file (quietly: without the saver's wait form and messages), then the rest.
    bool Store(bool quietly);

    TBinderTree& tree_;
    std::function<bool()> busy_;
    std::function<bool()> alsoStore_;
    std::chrono::milliseconds delay_;
    QTimer timer_;
};
