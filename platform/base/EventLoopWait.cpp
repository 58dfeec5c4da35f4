#include "platform/base/EventLoopWait.h"

#include <QEventLoop>
#include <QTimer>

struct EventLoopWait::Loop {
    QEventLoop Events;
};

EventLoopWait::EventLoopWait() : loop_(std::make_unique<Loop>()) {}

EventLoopWait::~EventLoopWait() = default;

void EventLoopWait::Run() {
    if (!finished_) {
        loop_->Events.exec();
    }
}

void EventLoopWait::Finish() {
    finished_ = true;
    loop_->Events.quit();
}

struct OneShotTimer::Timer {
    QTimer Clock;
    std::function<void()> Fired;
};

OneShotTimer::OneShotTimer() : timer_(std::make_unique<Timer>()) {
    timer_->Clock.setSingleShot(true);
    QObject::connect(&timer_->Clock, &QTimer::timeout, [timer = timer_.get()] {
        // The call may stop or start the timer again: it runs from a copy.
        const std::function<void()> fired = timer->Fired;
        if (fired) {
            fired();
        }
    });
}

OneShotTimer::~OneShotTimer() = default;

void OneShotTimer::Start(std::chrono::milliseconds after, std::function<void()> fired) {
    timer_->Fired = std::move(fired);
    timer_->Clock.start(after);
}

void OneShotTimer::Stop() {
    timer_->Clock.stop();
}
