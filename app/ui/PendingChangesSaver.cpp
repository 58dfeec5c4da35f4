#include "app/ui/PendingChangesSaver.h"

#include "app/binder/BinderTree.h"
#include "platform/base/EventLoopWait.h"
#include "platform/widgets/Control.h"

namespace {

// How soon a save that had to wait is tried again.
constexpr std::chrono::milliseconds BusyRetry{500};

} // namespace

TPendingChangesSaver::TPendingChangesSaver(TBinderTree& tree, std::function<bool()> busy,
                                           std::chrono::milliseconds delay)
    : tree_(tree), busy_(std::move(busy)), delay_(delay) {
    timer_.setSingleShot(true);
    // A coarse timer may fire a twentieth of the time late: the save is due when it says.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { GuardEvent([this] { Due(); }); });
    tree_.AddObserver(this);
}

TPendingChangesSaver::~TPendingChangesSaver() {
    tree_.RemoveObserver(this);
}

void TPendingChangesSaver::BinderMarkedChanged() {
    // Counted from the first change: later ones do not put the save off.
    if (!timer_.isActive()) {
        timer_.start(delay_);
    }
}

void TPendingChangesSaver::BinderClosed() {
    timer_.stop(); // the close wrote what there was
}

void TPendingChangesSaver::Due() {
    if (!tree_.BinderDirty) {
        return; // written meanwhile
    }
    // Within a batch the tree may be half built; a held wait form would be closed by the
    // save's own; work beside the event loop (a delete) stands in the tree the save writes.
    if ((busy_ && busy_()) || WorkBesideEventLoop() || tree_.Items().Updating()) {
        timer_.start(BusyRetry);
        return;
    }
    // After a save that failed (this one's, a command's, a capture's) the user has been told:
    // the next tries go quietly until one succeeds, or every interval would show a box.
    Store(tree_.SaveFailing());
}

bool TPendingChangesSaver::SaveNow() {
    timer_.stop();
    return Store(false);
}

bool TPendingChangesSaver::Store(bool quietly) {
    const bool saved = quietly ? tree_.SaveTree().Saved : tree_.Save();
    if (!saved && tree_.BinderDirty) {
        // The changes are still only in memory: tried again at the next interval, as a first
        // change would be.
        timer_.start(delay_);
    }
    const bool stored = !alsoStore_ || alsoStore_();
    return saved && stored;
}
