#include "platform/graphics/ScreenMetrics.h"

#include <atomic>

namespace {
std::atomic<int> screenPixelsPerInch{96};
}

int ScreenPixelsPerInch() {
    return screenPixelsPerInch.load();
}

void SetScreenPixelsPerInch(int pixelsPerInch) {
    screenPixelsPerInch.store(pixelsPerInch > 0 ? pixelsPerInch : 96);
}
