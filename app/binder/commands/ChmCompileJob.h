#pragma once

// The help compiler run as a job of the main thread. It ends once: when the compiler ends by
// itself, when Cancel is pressed, or when it runs past its cap; Cancel and the cap kill the
// compiler. The job says how it ended to the one waiting for it, from the event loop, which
// runs all the while: nothing polls the compiler.

#include "platform/base/EventLoopWait.h"
#include "platform/base/RunningProgram.h"

#include <chrono>
#include <functional>
#include <memory>

class IExportUi;

// How the job ended: the compiler ended by itself with exit code 0 (Compiled) or otherwise
// (Failed: another exit code or a crash), or was killed.
enum class ChmJobEnd { Compiled, Failed, Cancelled, Capped };

class ChmCompileJob {
public:
    using Ended = std::function<void(ChmJobEnd how)>;

    // Watches a started compiler for at most `cap`; `ended` is called once.
    ChmCompileJob(std::unique_ptr<RunningProgram> compiler, std::chrono::milliseconds cap,
                  Ended ended);
    ~ChmCompileJob();
    ChmCompileJob(const ChmCompileJob&) = delete;
    ChmCompileJob& operator=(const ChmCompileJob&) = delete;

    // Kills a compiler still running; the job ends as cancelled.
    void Cancel();
    bool Running() const { return running_; }

private:
    void End(ChmJobEnd how);
    void Stop(ChmJobEnd how);
    void Tell(ChmJobEnd how);

    std::unique_ptr<RunningProgram> compiler_;
    OneShotTimer cap_;
    Ended ended_;
    bool running_ = true;
};

// Runs the compiler as a job under the wait form with Cancel and the text `text`, while the
// event loop runs, and returns how it ended once it has.
ChmJobEnd RunChmCompileJob(IExportUi& ui, const char* text,
                           std::unique_ptr<RunningProgram> compiler, std::chrono::milliseconds cap);
