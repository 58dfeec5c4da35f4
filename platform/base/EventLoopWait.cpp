#include "platform/base/EventLoopWait.h"

#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <thread>

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

void RunBesideEventLoop(const std::function<void()>& work) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: the loop belongs to the waiting thread, and may not have started yet.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
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
