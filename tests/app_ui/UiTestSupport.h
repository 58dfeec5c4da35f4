#pragma once

// What the window tests share: a main-thread invoker driven by the event loop, answers to
// modal dialogs, and a main window built over fakes of everything it talks to.

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/NotesPart.h"
#include "app/ui/Program.h"
#include "app/ui/StatusBarWriter.h"
#include "app/ui/TreePane.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WindowRoleParts.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"
#include "controls/MarkupStatusBar.h"
#include "platform/base/EventLoopInvoker.h"
#include "platform/base/Invoker.h"
#include "platform/base/MemorySettingsStore.h"
#include "platform/browser/WebBrowser.h"

#include "tests/support/FakeBinderLifecycle.h"
#include "tests/support/FakeCaptureStarter.h"
#include "tests/support/FakeTaskQueue.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ShellTestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The program's invoker for one test; queued calls run from the event loop.
class ScopedEventLoopInvoker {
public:
    ScopedEventLoopInvoker() {
        SetInvoker(&invoker_);
        BindInvokerToEventLoop(invoker_);
    }
    ~ScopedEventLoopInvoker() {
        // Wake-ups already queued in the event loop point at this invoker: run them first.
        invoker_.SetWake(nullptr);
        QCoreApplication::processEvents();
        invoker_.Drain();
        SetInvoker(nullptr);
    }

private:
    MainThreadInvoker invoker_;
};

// Runs a program to its end while serving the event loop, as the running instance would; -1
// when it did not run to a normal end. `errors` takes what it wrote to its error output.
inline int RunToEnd(const char* program, const QStringList& arguments, const std::string& folder,
                    std::string* errors = nullptr) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder));
    process.start(program, arguments);
    if (!process.waitForStarted(20000) ||
        !WaitUntil([&] { return process.state() == QProcess::NotRunning; })) {
        return -1;
    }
    if (errors != nullptr) {
        *errors = process.readAllStandardError().toStdString();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The program as `make run` starts it ("/nodde") in the folder, over the store, with what
// `adjust` changes of its options; null when it did not start.
inline std::unique_ptr<TProgram>
StartProgram(const std::string& folder, MemorySettingsStore& store,
             const std::function<void(TProgramOptions& options)>& adjust = nullptr) {
    TProgramOptions options;
    options.Arguments = {"tarnwick", "/nodde"};
    options.StartFolder = folder;
    options.SplashTime = std::chrono::milliseconds(0);
    options.Store = &store;
    if (adjust) {
        adjust(options);
    }
    auto program = std::make_unique<TProgram>(std::move(options));
    return program->Start() == std::nullopt ? std::move(program) : nullptr;
}

// What a program started in this test stands on: the invoker, a shell and a folder of its own,
// and its settings.
struct ProgramEnv {
    ScopedEventLoopInvoker Invoker;
    IsolatedShell Shell;
    TempDir Folder;
    ScopedEnv Config{"XDG_CONFIG_HOME", Folder.Str()};
    MemorySettingsStore Store;
};

// Closes the program's window as the user does, without the question, then ends the program.
inline void CloseProgram(std::unique_ptr<TProgram>& program) {
    if (program && program->Window()) {
        program->Settings().AskBeforeClose = false;
        program->Window()->close();
    }
    program.reset();
}

// Types `text` into the widget, a key press for each character.
inline void TypeInto(QWidget& widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&widget, &press);
    }
}

// Answers every message box while it lives, going on where it asks (OK, else the answer given), and
// keeps its caption and text.
class BoxCatcher {
public:
    // A question with Yes and No is answered `answer`.
    explicit BoxCatcher(QMessageBox::StandardButton answer = QMessageBox::Yes) {
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            Boxes.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
            for (const auto go : {QMessageBox::Ok, answer}) {
                if (QAbstractButton* button = box->button(go)) {
                    button->click();
                    return;
                }
            }
            box->accept();
        });
        timer_.start(5);
    }
    std::vector<std::string> Boxes; // "caption: text"

private:
    QTimer timer_;
};

// Calls `answer` with the next modal dialog, from inside the dialog's own event loop.
inline void WhenModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

// Calls `answer` with the next modal dialog, which has to be a `Dialog`.
template <typename Dialog> void WhenModalIs(std::function<void(Dialog*)> answer) {
    WhenModal([answer](QWidget* widget) {
        auto* dialog = dynamic_cast<Dialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

// A lifecycle whose close empties the tree, as the real one does, or fails as one that cannot
// write the tree file.
struct TreeClearingLifecycle : FakeBinderLifecycle {
    TBinderTree* Tree = nullptr;
    bool CloseFails = false;
    void CloseBinder() override {
        Calls.push_back("close");
        if (CloseFails) {
            return;
        }
        Open = false;
        if (Tree != nullptr) {
            Tree->Items().Clear();
        }
    }
};

// The main window over fakes, started in `Folder`; Make builds it once the test has prepared
// the store, over the fake task queue unless it is given another.
struct MainWindowRig {
    MainWindowRig() { Settings.AskBeforeClose = false; }
    ~MainWindowRig() { Window.reset(); }

    TFormVelmorRnx& Make(std::vector<std::string> arguments = {"tarnwick"},
                         ITaskQueue* queue = nullptr) {
        Window.reset();
        Window = std::make_unique<TFormVelmorRnx>(TMainWindowParts{
            Store, Settings, Paths, queue ? *queue : Queue, arguments, Folder.Str()});
        Window->SetCaptureStarter(&Capture);
        Window->Roles().Status.SetForm(&Form4);
        Lifecycle.Tree = &Window->Binder();
        Window->SetLifecycle(&Lifecycle);
        return *Window;
    }

    // A node of `kind` titled (and for a page addressed) `title`, last under `parent` (the top
    // level when null).
    TTreeNode* Add(NodeKind kind, const std::string& title, TTreeNode* parent = nullptr) {
        auto record = std::make_unique<TPageInfo>();
        record->Kind = kind;
        record->Title = title;
        record->RequestedUrl = title; // pages are listed by their address
        return Window->Binder().Items().AddChildObject(parent, title, std::move(record));
    }

    // The binder's folder is the rig's folder, its store "store", its tree file "binder.sav";
    // before Make.
    void BinderInFolder() {
        Paths.BinderRoot = Folder.Str();
        Paths.BinderStore = "store";
        Paths.TreeFilePath = Folder.Str() + "/binder.sav";
    }

    std::string Panel(int panel) { return Window->StatusBar().Bar().Panels()[panel].Text(); }
    std::string Stored(const std::string& name) {
        return Store.ReadValue("Config", name).value_or("(none)");
    }

    ScopedEventLoopInvoker Invoker;
    TempDir Folder;
    MemorySettingsStore Store;
    TSettings Settings;
    BinderPaths Paths;
    FakeTaskQueue Queue;
    FakeCaptureStarter Capture;
    TreeClearingLifecycle Lifecycle;
    TForm4 Form4;
    std::unique_ptr<TFormVelmorRnx> Window;
};
