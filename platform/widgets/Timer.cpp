#include "platform/widgets/Timer.h"

TTimer::TTimer(QObject* owner) : QObject(owner) {
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
    Restart();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        Restart();
    }
}

void TTimer::SetInterval(int milliseconds) {
    if (interval_ != milliseconds) {
        interval_ = milliseconds;
        Restart();
    }
}

void TTimer::Tick() {
    if (OnTimer) {
        OnTimer();
    }
}

void TTimer::Restart() {
    timer_.stop();
    if (enabled_ && interval_ > 0) {
        timer_.start(interval_);
    }
}
