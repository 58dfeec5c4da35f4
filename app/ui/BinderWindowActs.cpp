#include "app/ui/BinderWindowActs.h"

namespace {

void Run(const std::function<void()>& act) {
    if (act) {
        act();
    }
}

} // namespace

void TBinderWindowActs::ShowPageView() {
    Run(OnShowPageView);
}

void TBinderWindowActs::RestoreAndBringToFront() {
    Run(OnRestoreAndBringToFront);
}

void TBinderWindowActs::StoreTypedNotes() {
    Run(OnStoreTypedNotes);
}
