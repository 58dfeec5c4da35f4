#include "app/binder/commands/ChmCompileJob.h"
#include "app/binder/commands/ChmCommands.h"

#include "platform/shell/ShellOpen.h"

#include "tests/support/FakeExportUi.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

// A compiler stand-in that writes its process id and then runs `script`.
std::unique_ptr<RunningProgram> Start(const TempDir& dir, const std::string& script) {
    return ShellOpenProcess("sh", {"-c", "echo $$ > pid; " + script}, dir.Str(), nullptr);
}

bool Gone(const TempDir& dir) {
    const std::string pid = ReadFileBytes(dir / "pid");
    return !pid.empty() && ::kill(std::stoi(pid), 0) != 0;
}

// Runs one job to its end in the event loop, with a guard against an end that never comes;
// notes at each end whether the compiler of `dir` was gone by then.
struct JobRun {
    const TempDir& Dir;
    std::vector<ChmJobEnd> Ends;
    std::vector<bool> GoneAtEnd;
    bool TimedOut = false;

    void Run(std::unique_ptr<RunningProgram> compiler, std::chrono::milliseconds cap,
             const std::function<void(ChmCompileJob&)>& meanwhile = {}) {
        EventLoopWait wait;
        ChmCompileJob job(std::move(compiler), cap, [&](ChmJobEnd how) {
            Ends.push_back(how);
            GoneAtEnd.push_back(Gone(Dir));
            wait.Finish();
        });
        OneShotTimer guard;
        guard.Start(20s, [&] {
            TimedOut = true;
            wait.Finish();
        });
        OneShotTimer step;
        if (meanwhile) {
            step.Start(100ms, [&] { meanwhile(job); });
        }
        wait.Run();
        EXPECT_FALSE(job.Running());
    }
};

} // namespace

// The job says once how it ended: by itself with 0 or with another code, or killed by Cancel
// or by the cap. A killed compiler is gone by the time the end is told.
TEST(ChmCompileJob, TellsOnceHowItEnded) {
    struct Case {
        const char* name;
        const char* script;
        std::chrono::milliseconds cap;
        bool cancel;
        ChmJobEnd expected;
    };
    const std::vector<Case> cases = {
        {"ends with 0", "exit 0", 10min, false, ChmJobEnd::Compiled},
        {"ends with 2", "exit 2", 10min, false, ChmJobEnd::Failed},
        {"crashes", "kill -SEGV $$", 10min, false, ChmJobEnd::Failed},
        {"cancelled", "exec sleep 60", 10min, true, ChmJobEnd::Cancelled},
        {"capped", "exec sleep 60", 300ms, false, ChmJobEnd::Capped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::unique_ptr<RunningProgram> compiler = Start(dir, c.script);
        ASSERT_NE(compiler, nullptr);
        JobRun run{dir, {}, {}, false};
        run.Run(std::move(compiler), c.cap, [&](ChmCompileJob& job) {
            if (c.cancel) {
                job.Cancel();
                job.Cancel(); // a second press changes nothing
            }
        });
        EXPECT_FALSE(run.TimedOut);
        EXPECT_EQ(run.Ends, std::vector<ChmJobEnd>{c.expected});
        // Ended by itself or killed, the compiler is gone when the end is told.
        EXPECT_EQ(run.GoneAtEnd, std::vector<bool>{true});
    }
}

// Under the command the job runs behind the wait form with Cancel, which the command does not
// step: the wait is the event loop's, not a loop of the command's own.
TEST(ChmCompileJob, RunsUnderTheWaitFormAndItsCancelKillsIt) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "ends by itself");
        TempDir dir;
        FakeExportUi ui;
        int steps = 0;
        ui.PressCancel = [&steps] {
            ++steps;
            return false;
        };
        OneShotTimer press;
        if (cancel) {
            press.Start(100ms, [&ui] { ui.PressWaitFormCancel(); });
        }
        const ChmJobEnd end = RunChmCompileJob(
            ui, ChmCompilingText, Start(dir, cancel ? "exec sleep 60" : "exit 0"), 10min);
        EXPECT_EQ(end, cancel ? ChmJobEnd::Cancelled : ChmJobEnd::Compiled);
        EXPECT_EQ(ui.Calls, (std::vector<std::string>{
                                "OpenStatusForm(" + std::string(ChmCompilingText) + "|cancel)",
                                "CloseStatusForm"}));
        EXPECT_EQ(steps, 0) << "the wait form was polled";
        EXPECT_EQ(ui.CancelHandler, nullptr) << "Cancel outlived the form";
        if (cancel) {
            EXPECT_TRUE(Gone(dir));
        }
    }
}
