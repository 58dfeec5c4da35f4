#pragma once

// The program's start-up, in the order it must happen: the splash form, the shared block, the
// single-instance hand-over (a second start passes its request to the running instance and
// ends), the DDE stand-in, the forms (main window, print preview, wait form, then the parts
// built over the window), the main window's creation, the splash closing, the event loop. And
// its end: by the main window's closing, or asked from outside (SIGTERM, SIGHUP, SIGINT, the
// desktop session quitting it as the session ends), when it ends as the window's closing does,
// asking nothing. When a logout or a shutdown begins, the session first asks the program to keep
// its data: it writes the binder then and runs on, since another program may cancel the logout.

#include "app/binder/BinderPaths.h"
#include "app/binder/Settings.h"
#include "app/capture/TransferBounds.h"
#include "app/capture/taskqueue.h"
#include "app/ui/Collaborators.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/InstanceChannel.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class ISettingsStore;
class QObject;
class QtSettingsStore;
class TForm4;
class TForm7;
class TerminationSignals;
class TFormVelmorRnx;
class TfrmPreview;

struct TProgramOptions {
    std::vector<std::string> Arguments; // the command line, the program first
    std::string StartFolder;            // the current folder at start-up
    std::chrono::milliseconds SplashTime{500};
    // The whole time one page's capture may take, its resources included.
    std::chrono::milliseconds PageTime = MaxPageTime;
    ISettingsStore* Store = nullptr;        // null: the user's settings file
    TCollaboratorFactory MakeCollaborators; // null: the program's own
};

class TProgram {
public:
    // The caller has made the QApplication and the main-thread invoker bound to its loop.
    explicit TProgram(TProgramOptions options);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Everything up to the event loop. Returns the exit code when the program ends here: 0 when
    // the running instance took the request over, 1 when the start failed; nothing when the
    // main window is up.
    std::optional<int> Start();
    // Start, then Serve; the exit code.
    int Run();
    // The event loop until the main window has closed or the program was asked to end; the
    // exit code. Asked to end (a termination signal, the end of the desktop session), the
    // program ends as File > Exit does once the loop is left, with no question or box, and
    // with 1 when something could not be written.
    int Serve();

    // The desktop session's request to keep the data (commitDataRequest): the open binder is
    // written as the pending changes' save writes it, with no box, and the program runs on; it
    // ends when the session ends it (a quit of the application, a termination signal).
    void CommitData();

    TFormVelmorRnx* Window() const { return window_.get(); }
    TSettings& Settings() { return settings_; }
    InstanceChannel& Channel() { return channel_; }

private:
    bool ClaimInstance(int& exitCode);
    void CreateForms();
    void WatchEndRequests();
    void EndRequested();

    TProgramOptions options_;
    std::unique_ptr<QtSettingsStore> ownStore_;
    ISettingsStore* store_ = nullptr;
    TSettings settings_;
    BinderPaths paths_;
    TaskQueue queue_;
    std::optional<DdeExecute> openCommand_; // the DDE request for a file argument
    std::unique_ptr<TForm7> splash_;
    InstanceChannel channel_;
    bool ddeStarted_ = false;
    std::unique_ptr<TFormVelmorRnx> window_;
    std::unique_ptr<TfrmPreview> preview_;
    std::unique_ptr<TForm4> form4_;
    TCollaborators collaborators_;
    std::unique_ptr<TerminationSignals> endSignals_;
    std::unique_ptr<QObject> quitWatch_;
    bool endRequested_ = false;
};

// The program: makes the application and the main-thread invoker, then runs TProgram.
int RunTarnwick(int argc, char** argv);
