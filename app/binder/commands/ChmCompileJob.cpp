#include "app/binder/commands/ChmCompileJob.h"

#include "app/binder/commands/ExportUi.h"
#include "app/binder/commands/HeldWaitForm.h"

ChmCompileJob::ChmCompileJob(std::unique_ptr<RunningProgram> compiler,
                             std::chrono::milliseconds cap, Ended ended)
    : compiler_(std::move(compiler)), ended_(std::move(ended)) {
    cap_.Start(cap, [this] { Stop(ChmJobEnd::Capped); });
    compiler_->WhenEnded(
        [this] { End(compiler_->ExitCode() == 0 ? ChmJobEnd::Compiled : ChmJobEnd::Failed); });
}

ChmCompileJob::~ChmCompileJob() {
    // A compiler still running goes with its handle, which reports to no one any more.
    running_ = false;
    cap_.Stop();
}

void ChmCompileJob::Cancel() {
    Stop(ChmJobEnd::Cancelled);
}

void ChmCompileJob::Stop(ChmJobEnd how) {
    if (!running_) {
        return;
    }
    // Over before the kill, whose own report of the end then finds the job done; the end is
    // told once the compiler is gone.
    running_ = false;
    cap_.Stop();
    compiler_->Kill();
    Tell(how);
}

void ChmCompileJob::End(ChmJobEnd how) {
    if (!running_) {
        return;
    }
    running_ = false;
    cap_.Stop();
    Tell(how);
}

void ChmCompileJob::Tell(ChmJobEnd how) {
    if (ended_) {
        ended_(how);
    }
}

ChmJobEnd RunChmCompileJob(IExportUi& ui, const char* text,
                           std::unique_ptr<RunningProgram> compiler,
                           std::chrono::milliseconds cap) {
    EventLoopWait wait;
    ChmJobEnd end = ChmJobEnd::Failed;
    ChmCompileJob job(std::move(compiler), cap, [&](ChmJobEnd how) {
        end = how;
        wait.Finish();
    });
    // Closed before the job goes, so Cancel never reaches a job that is gone.
    const HeldWaitForm waiting(ui, text, true);
    ui.WhenWaitFormCancelled([&job] { job.Cancel(); });
    wait.Run();
    return end;
}
