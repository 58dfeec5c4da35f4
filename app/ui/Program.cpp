#include "app/ui/Program.h"

#include "app/binder/WindowTexts.h"
#include "app/ui/CommandLine.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/NotesPart.h"
#include "app/ui/SplashForm.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WindowRoleParts.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/base/EventLoopInvoker.h"
#include "platform/base/Invoker.h"
#include "platform/base/QtSettingsStore.h"
#include "platform/base/QtText.h"
#include "platform/shell/ChannelFrame.h"
#include "platform/shell/DdeServer.h"
#include "platform/shell/SharedMemory.h"
#include "platform/shell/TerminationSignals.h"
#include "platform/widgets/Cursors.h"
#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/tables/RNTable.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QSessionManager>
#include <QThread>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <iostream>

namespace {

// Hears the application's quit. Quitting closes every window first, and the main window would
// then ask "Are you sure to exit?"; the desktop session ends the program this way, when nobody
// is there to answer.
class QuitWatch : public QObject {
public:
    // `quit` answers whether it took the quit over.
    explicit QuitWatch(std::function<bool()> quit) : quit_(std::move(quit)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == QCoreApplication::instance() && event->type() == QEvent::Quit && quit_();
    }

private:
    std::function<bool()> quit_;
};

} // namespace

TProgram::TProgram(TProgramOptions options) : options_(std::move(options)) {
    if (options_.Store == nullptr) {
        ownStore_ = std::make_unique<QtSettingsStore>();
        store_ = ownStore_.get();
    } else {
        store_ = options_.Store;
    }
    if (!options_.MakeCollaborators) {
        options_.MakeCollaborators = MakeCollaborators;
    }
}

TProgram::~TProgram() {
    // Nothing may reach the collaborators once they start to go: the end requests are no
    // longer heard, the queue's worker stops, the window forgets them, the DDE stand-in
    // forgets the window.
    endSignals_.reset();
    quitWatch_.reset();
    queue_.Stop();
    if (ddeStarted_) {
        // Also when the window never closed: the running instance leaves no block behind.
        DdeServerDone();
        CloseSharedMemory();
    }
    if (window_) {
        window_->SetLifecycle(nullptr);
        window_->SetCaptureStarter(nullptr);
        window_->Roles().Captures.SetLevelStatusForm(nullptr);
        window_->Roles().Status.SetForm(nullptr);
    }
    collaborators_.Capture.reset();
    collaborators_.Lifecycle.reset();
    collaborators_.Form9.reset();
}

bool TProgram::ClaimInstance(int& exitCode) {
    std::string handover = EncodeMessageFrame({OnlyOneVelmorMessage, 0});
    if (openCommand_) {
        handover += EncodeExecuteFrame(DdeServiceName, openCommand_->Topic, openCommand_->Text);
    }
    switch (channel_.ClaimOrHandOver(handover)) {
    case InstanceChannel::Claim::Primary:
        return true;
    case InstanceChannel::Claim::HandedOver:
        // The running instance has the request; the block stays for it.
        exitCode = 0;
        return false;
    case InstanceChannel::Claim::Failed:
        break;
    }
    // Running on beside an instance that cannot be reached could let two of them write one
    // binder.
    std::cerr << "tarnwick: cannot reach or become the running instance: " << channel_.ErrorText()
              << '\n';
    exitCode = 1;
    return false;
}

void TProgram::CreateForms() {
    TMainWindowParts parts{*store_, settings_,          paths_,
                           queue_,  options_.Arguments, options_.StartFolder};
    window_ = std::make_unique<TFormVelmorRnx>(parts);
    TWindowRoleParts& roles = window_->Roles();
    preview_ = std::make_unique<TfrmPreview>();
    window_->NotesPart().Commands().SetPreviewForm(preview_.get());
    form4_ = std::make_unique<TForm4>();
    roles.Status.SetForm(form4_.get());
    TCollaboratorContext context{*roles.Binder,
                                 roles.Captures.Port(),
                                 window_->Binder(),
                                 window_->TreeCommands(),
                                 queue_,
                                 *store_,
                                 settings_,
                                 paths_,
                                 options_.StartFolder,
                                 options_.PageTime};
    collaborators_ = options_.MakeCollaborators(context);
    window_->SetCaptureStarter(collaborators_.Capture.get());
    window_->SetLifecycle(collaborators_.Lifecycle.get());
    roles.Captures.SetLevelStatusForm(dynamic_cast<MessageTarget*>(collaborators_.Form9.get()));
}

std::optional<int> TProgram::Start() {
    const TCommandLine commandLine = ParseCommandLine(options_.Arguments);
    if (commandLine.FileArgument) {
        // The running instance has its own current folder.
        const std::string path = std::filesystem::absolute(*commandLine.FileArgument).string();
        openCommand_ = MakeDdeOpenCommand(path);
        if (!openCommand_) {
            std::cerr << "tarnwick: a binder path given to open is too long: " << path << '\n';
            return 1;
        }
    }
    splash_ = std::make_unique<TForm7>();
    splash_->show();
    QCoreApplication::processEvents();

    // Whether it is the first or a second instance, the block is made or opened; without it
    // the program runs on without that way in.
    CreateSharedMemory();
    int exitCode = 0;
    if (!ClaimInstance(exitCode)) {
        return exitCode;
    }
    DdeServerInit(channel_, [this](const std::string& path) {
        if (window_) {
            window_->Hook().DdeOpen(path);
        }
    });
    ddeStarted_ = true;

    // Installed data lives beside the program unless the settings name another folder.
    settings_.WorkDir = FromQ(QCoreApplication::applicationDirPath());
    // Links in notes show the hand; the style sheets keep only its number.
    RegisterCursor(crJump, QCursor(Qt::PointingHandCursor));
    CreateForms();
    if (!window_->FormCreate(&channel_)) {
        DdeServerDone();
        ddeStarted_ = false;
        CloseSharedMemory();
        return 1;
    }
    QThread::msleep(static_cast<unsigned long>(options_.SplashTime.count()));
    splash_.reset();
    window_->show();
    if (openCommand_) {
        // A binder named on the command line comes in as the shell's DDE request would.
        QTimer::singleShot(0, window_.get(), [command = *openCommand_] {
            DdeServerCallback(DdeServiceName, command.Topic, command.Text);
        });
    }
    QObject::connect(window_.get(), &TFormVelmorRnx::FormClosed, QCoreApplication::instance(),
                     &QCoreApplication::quit, Qt::QueuedConnection);
    WatchEndRequests();
    return std::nullopt;
}

void TProgram::WatchEndRequests() {
    endSignals_ = std::make_unique<TerminationSignals>([this](int) { EndRequested(); });
    // A logout or a shutdown asks each program to keep its data first, and may still be
    // cancelled by another program: the program must not end here (nor ask anything).
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, window_.get(),
                     [this](QSessionManager&) { CommitData(); });
    // The session, once it ends, quits the application. A quit once the window has closed is
    // the program's own end (FormClosed) and takes its course.
    quitWatch_ = std::make_unique<QuitWatch>([this] {
        if (!window_ || window_->Closed()) {
            return false;
        }
        EndRequested();
        return true;
    });
}

void TProgram::CommitData() {
    if (window_) {
        // What could not be written has gone to the error output; nobody could answer a box.
        window_->KeepData();
    }
}

void TProgram::EndRequested() {
    // Nothing is closed from here: the request may come while a command waits in a dialog or
    // a menu, and would pull the binder from under it. Every event loop is left instead (the
    // dialogs answer as if cancelled and their commands finish), and the program ends once
    // the outermost one has returned (Serve).
    endRequested_ = true;
    // Work held under the wait form is ended as its Cancel ends it: an import would otherwise
    // go on with its files, each within its page time, before the program could end.
    if (window_) {
        window_->Roles().Status.CancelHeldWork();
    }
    QCoreApplication::exit(0);
}

int TProgram::Serve() {
    // A request that came before the loop ran must not be lost to the loop's start.
    if (!endRequested_) {
        QApplication::exec();
    }
    bool failed = false;
    if (window_ && !window_->Closed()) {
        // The loop was left before the window closed: the program was asked to end.
        endRequested_ = true;
        failed = !window_->EndQuietly();
    }
    if (ownStore_ && !ownStore_->Sync()) {
        std::cerr << "tarnwick: the settings could not be written to "
                  << QtSettingsStore::DefaultFileName() << '\n';
        failed = failed || endRequested_;
    }
    return failed ? 1 : 0;
}

int TProgram::Run() {
    try {
        if (const std::optional<int> exitCode = Start()) {
            return *exitCode;
        }
        return Serve();
    } catch (const std::exception& error) {
        if (endRequested_) {
            // Asked to end, nobody is there to read a box.
            std::cerr << "tarnwick: " << error.what() << '\n';
        } else {
            QMessageBox::critical(nullptr, ApplicationTitle, ToQ(error.what()));
        }
        return 1;
    }
}

int RunTarnwick(int argc, char** argv) {
    QApplication application(argc, argv);
    // Notes read from binders may hold tables: their item class is known before any is read.
    RegisterTableItemClass();
    application.setApplicationName(ApplicationTitle);
    // The program ends when its main window closes, not when the last dialog does while the
    // window waits hidden in the notification area.
    QApplication::setQuitOnLastWindowClosed(false);
    MainThreadInvoker invoker;
    SetInvoker(&invoker);
    BindInvokerToEventLoop(invoker);
    int exitCode = 1;
    {
        TProgramOptions options;
        for (const QString& argument : QCoreApplication::arguments()) {
            options.Arguments.push_back(FromQ(argument));
        }
        options.StartFolder = FromQ(QDir::currentPath());
        TProgram program(std::move(options));
        exitCode = program.Run();
    }
    invoker.Shutdown();
    SetInvoker(nullptr);
    return exitCode;
}
