#include "platform/base/EventLoopWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

namespace {

// Main thread only.
int workRunning = 0;
int inputServed = 0;
std::vector<const AfterWorkBesideEventLoop*> afterWork;

QEventLoop::ProcessEventsFlags BesideWork() {
    // Held input stays in the window system's queue, in its order, until a loop serves it.
    return inputServed > 0 ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;
}

void WorkEnded() {
    if (--workRunning > 0) {
        return;
    }
    // From the event loop, once the command that ran the work has gone on.
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        if (workRunning > 0) {
            return; // another began meanwhile: its end calls them
        }
        const std::vector<const AfterWorkBesideEventLoop*> waiting = afterWork;
        for (const AfterWorkBesideEventLoop* listener : waiting) {
            if (std::find(afterWork.begin(), afterWork.end(), listener) != afterWork.end()) {
                listener->Ended();
            }
        }
    });
}

} // namespace

bool WorkBesideEventLoop() {
    return workRunning > 0;
}

void ServeEventsBesideWork() {
    QCoreApplication::processEvents(BesideWork());
}

UserInputBesideWork::UserInputBesideWork() {
    ++inputServed;
}

UserInputBesideWork::~UserInputBesideWork() {
    --inputServed;
}

AfterWorkBesideEventLoop::AfterWorkBesideEventLoop(std::function<void()> ended)
    : ended_(std::move(ended)) {
    afterWork.push_back(this);
}

AfterWorkBesideEventLoop::~AfterWorkBesideEventLoop() {
    std::erase(afterWork, this);
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
    ++workRunning;
    const struct Running {
        ~Running() { WorkEnded(); }
    } running;
    QEventLoop loop;
    bool ended = false;
    QSocketNotifier endHeard(fd, QSocketNotifier::Read);
    QObject::connect(&endHeard, &QSocketNotifier::activated, &loop, [&ended, &loop] {
        ended = true;
        loop.quit();
    });
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
    const QEventLoop::ProcessEventsFlags serving = BesideWork();
    while (!ended) {
        loop.exec(serving);
        if (!ended) {
            // The application is ending and its loops return at once: the work may still
            // wait for a call of the main thread's.
            QCoreApplication::processEvents(serving | QEventLoop::WaitForMoreEvents);
        }
    }
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
