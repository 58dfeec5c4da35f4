#include "platform/shell/ChannelClient.h"

#include "platform/shell/InstanceFolder.h"
#include "platform/shell/InstanceLock.h"

#include <QLocalSocket>
#include <QThread>
#include <algorithm>

using namespace std::chrono;

namespace {

int Millis(steady_clock::time_point deadline) {
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 1, 60'000));
}

} // namespace

std::string InstanceSocketPath(const std::string& folder) {
    return folder + "/Tarnwick";
}

std::string InstanceLockPath(const std::string& folder) {
    return folder + "/Tarnwick.lock";
}

bool TrySendFrames(const std::string& socketPath, const std::string& frames, milliseconds timeout,
                   std::string& error) {
    const auto deadline = steady_clock::now() + timeout;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socketPath));
    if (!socket.waitForConnected(Millis(deadline))) {
        error = "No running instance answers on \"" + socketPath +
                "\": " + socket.errorString().toStdString();
        return false;
    }
    socket.write(frames.data(), static_cast<qint64>(frames.size()));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(Millis(deadline))) {
            error = "The running instance did not take the request: " +
                    socket.errorString().toStdString();
            return false;
        }
    }
    socket.disconnectFromServer();
    return true;
}

bool SendToRunningInstance(const std::string& frames, milliseconds patience, std::string& error) {
    const std::string folder = InstanceFolder(error);
    if (folder.empty()) {
        return false;
    }
    const auto deadline = steady_clock::now() + patience;
    while (true) {
        if (TrySendFrames(InstanceSocketPath(folder), frames, milliseconds(Millis(deadline)),
                          error)) {
            return true;
        }
        // Only a lock holder will ever listen: with the lock free, nobody is starting either.
        InstanceLock probe;
        std::string lockError;
        if (probe.TryLock(InstanceLockPath(folder), lockError) !=
                InstanceLock::Result::HeldElsewhere ||
            steady_clock::now() >= deadline) {
            return false;
        }
        probe.Release();
        QThread::msleep(20);
    }
}
