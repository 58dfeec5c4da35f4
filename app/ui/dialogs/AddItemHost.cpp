#include "app/ui/dialogs/AddItemHost.h"

#include "app/binder/commands/BinderLifecycle.h"

bool TAddRequestRunner::Run(TAddItemRequest request) {
    if (running_) {
        waiting_.push_back(std::move(request));
        return false;
    }
    struct Running {
        TAddRequestRunner& runner;
        explicit Running(TAddRequestRunner& r) : runner(r) { runner.running_ = true; }
        ~Running() {
            runner.running_ = false;
            runner.current_ = {};
            runner.next_.reset();
        }
    } guard(*this);
    for (;;) {
        current_ = std::move(request);
        next_.reset();
        addNode_(current_);
        // The request of a switch comes first: it continues what the user was doing.
        if (next_) {
            request = std::move(*next_);
        } else if (!waiting_.empty()) {
            request = std::move(waiting_.front());
            waiting_.pop_front();
        } else {
            return true;
        }
    }
}

void TAddRequestRunner::Switch(const TBinderSwitch& change) {
    switch (change.Kind) {
    case TBinderSwitchKind::OpenListed:
        lifecycle_.OpenBinder(change.Path);
        break;
    case TBinderSwitchKind::OpenOther:
        lifecycle_.FileOpenBinderExecute();
        break;
    case TBinderSwitchKind::CreateNew:
        lifecycle_.FileNewBinderExecute();
        break;
    }
    // The dialog comes back also when the user cancelled the file dialog or the wizard, over
    // the binder that is open then.
    next_ = change.Resend;
}
