#include "platform/base/EventLoopInvoker.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

// Workers wake the main thread through an eventfd that a socket notifier of the event loop
// watches. Nothing allocated by a worker crosses over inside Qt's own queue, so every hand-over
// goes through the invoker's lock, which the thread checkers can see.
void BindInvokerToEventLoop(MainThreadInvoker& invoker) {
    // The descriptor stays open for the life of the process: a late wake after the event loop
    // has gone then only bumps a counter nobody reads, instead of writing to a reused number.
    const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd, &invoker] {
        uint64_t count;
        while (::read(fd, &count, sizeof count) > 0) {
        }
        invoker.Drain();
    });
    invoker.SetWake([fd] {
        const uint64_t one = 1;
        while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
        }
    });
}
