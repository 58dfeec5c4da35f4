#include "app/capture/CaptureNotifier.h"

#include <atomic>

namespace {

CaptureNotifier silentNotifier;
std::atomic<CaptureNotifier*> mainNotifier{nullptr};

} // namespace

CaptureNotifier& MainCaptureNotifier() {
    CaptureNotifier* notifier = mainNotifier.load();
    return notifier != nullptr ? *notifier : silentNotifier;
}

CaptureNotifier* SetMainCaptureNotifier(CaptureNotifier* notifier) {
    return mainNotifier.exchange(notifier);
}
