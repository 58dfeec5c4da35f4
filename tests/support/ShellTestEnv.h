#pragma once

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

// A private instance channel folder and shared block name for one test, so tests running side
// by side (and a Tarnwick the user runs) never meet. Child processes inherit both.
class IsolatedShell {
public:
    IsolatedShell()
        : blockName_(NewBlockName()), runtimeEnv_("XDG_RUNTIME_DIR", runtime_.Str()),
          blockEnv_("TARNWICK_SHARED_BLOCK", blockName_) {}
    // A program the test killed never unlinked its block, and each one holds a megabyte of the
    // machine's shared memory until it is removed.
    ~IsolatedShell() { ::shm_unlink(("/" + blockName_).c_str()); }
    IsolatedShell(const IsolatedShell&) = delete;
    IsolatedShell& operator=(const IsolatedShell&) = delete;

    const TempDir& Runtime() const { return runtime_; }
    const std::string& BlockName() const { return blockName_; }

    // Removes the blocks the shells of another test process named, once it has ended: one that
    // was killed removed none of its own.
    static void RemoveBlocksOf(pid_t process) {
        const std::string prefix = BlockPrefix(process);
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0) {
                ::shm_unlink(("/" + name).c_str());
            }
        }
    }

private:
    static std::string BlockPrefix(pid_t process) {
        return "tarnwick-test-" + std::to_string(process) + "-";
    }
    static std::string NewBlockName() {
        static int serial = 0;
        return BlockPrefix(::getpid()) + std::to_string(++serial);
    }

    TempDir runtime_;
    std::string blockName_;
    ScopedEnv runtimeEnv_;
    ScopedEnv blockEnv_;
};

// Serves the event loop until `done` holds or `timeout` passes; returns `done()`.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

// Serves the event loop for the whole of `time`: for what may still come, or must not.
inline void ServeEventsFor(std::chrono::milliseconds time) {
    (void)WaitUntil([] { return false; }, time);
}
