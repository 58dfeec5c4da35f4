#include "platform/shell/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int WatchedSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int WatchedCount = static_cast<int>(std::size(WatchedSignals));

// The pipe's writing end while a watcher lives; the handler reads it, so it is a lock-free
// atomic (safe in a handler) rather than a member.
std::atomic<int> writingEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnTerminationSignal(int signal) {
    const int saved = errno;
    const int fd = writingEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto number = static_cast<unsigned char>(signal);
        // A full pipe already holds a request: losing this one loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = saved;
}

} // namespace

struct TerminationSignals::State {
    int Pipe[2] = {-1, -1};
    struct sigaction Before[WatchedCount] = {};
    bool Installed[WatchedCount] = {};
    std::unique_ptr<QSocketNotifier> Notifier;
    std::function<void(int)> Requested;

    void ReadRequests() {
        unsigned char numbers[16];
        ssize_t count = 0;
        while ((count = ::read(Pipe[0], numbers, sizeof numbers)) > 0) {
            for (ssize_t i = 0; i < count; ++i) {
                Requested(numbers[i]);
            }
        }
    }
};

TerminationSignals::TerminationSignals(std::function<void(int signal)> requested)
    : state_(std::make_unique<State>()) {
    if (writingEnd.load() >= 0) {
        throw std::logic_error("the termination signals are watched already");
    }
    State& state = *state_;
    state.Requested = std::move(requested);
    if (::pipe2(state.Pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot make the pipe for the termination signals");
    }
    state.Notifier = std::make_unique<QSocketNotifier>(state.Pipe[0], QSocketNotifier::Read);
    QObject::connect(state.Notifier.get(), &QSocketNotifier::activated,
                     [&state] { state.ReadRequests(); });
    writingEnd.store(state.Pipe[1]);
    for (int i = 0; i < WatchedCount; ++i) {
        struct sigaction before = {};
        if (::sigaction(WatchedSignals[i], nullptr, &before) != 0 || before.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action = {};
        action.sa_handler = OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        state.Installed[i] = ::sigaction(WatchedSignals[i], &action, &state.Before[i]) == 0;
    }
}

TerminationSignals::~TerminationSignals() {
    State& state = *state_;
    for (int i = 0; i < WatchedCount; ++i) {
        if (state.Installed[i]) {
            ::sigaction(WatchedSignals[i], &state.Before[i], nullptr);
        }
    }
    writingEnd.store(-1);
    state.Notifier.reset();
    ::close(state.Pipe[0]);
    ::close(state.Pipe[1]);
}
