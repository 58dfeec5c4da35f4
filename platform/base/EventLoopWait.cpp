#include "platform/base/EventLoopWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <exception>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

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
    // A loop without the application's thread to serve it never hears of the work's end.
    const QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || application->thread() != QThread::currentThread()) {
        work();
        return;
    }
    // The worker tells its end through an eventfd the loop watches, as the invoker's workers
    // wake the main thread: nothing it makes crosses over inside Qt's own queue, where the
    // thread checkers cannot follow it.
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        work(); // no way to wait beside the loop: in place, the loop held up meanwhile
        return;
    }
    const struct Closed {
        int fd;
        ~Closed() { ::close(fd); }
    } closed{fd};
    QEventLoop loop;
    QSocketNotifier ended(fd, QSocketNotifier::Read);
    QObject::connect(&ended, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        const uint64_t one = 1;
        while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
        }
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
