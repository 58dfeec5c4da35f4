// Requests from other processes that open a dialog in the running instance, when the sender
// has gone before the dialog closes: the program goes on and takes the next request.
#include "app/ui/Program.h"
#include "platform/base/Files.h"
#include "platform/base/MemorySettingsStore.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QDialog>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>

namespace {

// Starts tarnwick-send and answers the dialog its request brings up only once the sender has
// ended and its connection has been let go. The name of the dialog, or "" when none came.
std::string SendAndCloseAfterSenderIsGone(const QStringList& arguments, const std::string& folder,
                                          int& exitCode) {
    QProcess sender;
    sender.setWorkingDirectory(QString::fromStdString(folder));
    std::string dialogName;
    bool answered = false;
    // The dialog's own loop sees the sender go, as it does while a user reads the dialog.
    QTimer closer;
    std::chrono::steady_clock::time_point lastSeen; // the sender still running
    WhenModal([&](QWidget* dialog) {
        dialogName = dialog->objectName().isEmpty() ? dialog->metaObject()->className()
                                                    : dialog->objectName().toStdString();
        closer.callOnTimeout([&, dialog] {
            const auto now = std::chrono::steady_clock::now();
            if (sender.state() != QProcess::NotRunning) {
                lastSeen = now;
            } else if (now - lastSeen > std::chrono::milliseconds(300)) {
                closer.stop();
                static_cast<QDialog*>(dialog)->reject();
                answered = true;
            }
        });
        lastSeen = std::chrono::steady_clock::now();
        closer.start(10);
    });
    sender.start(TARNWICK_SEND, arguments);
    if (!sender.waitForStarted(20000) || !WaitUntil([&] { return answered; })) {
        return "";
    }
    WaitUntil([&] { return sender.state() == QProcess::NotRunning; });
    exitCode = sender.exitStatus() == QProcess::NormalExit ? sender.exitCode() : -1;
    return dialogName;
}

} // namespace

TEST(HandOver, ADialogOutlivesItsSenderAndTheNextRequestIsTaken) {
    ProgramEnv env;
    WriteFileBytes(env.Folder / "sent.htm", "<html><title>Sent</title></html>");
    const QString page = QString::fromStdString((env.Folder / "sent.htm").string());
    const QString missing = QString::fromStdString((env.Folder / "missing.bdf").string());

    struct Case {
        const char* name;
        QStringList arguments;
        std::string dialog;
    };
    const Case cases[] = {
        {"insert", {"--insert", "http://127.0.0.1:1/page.htm", "Sent", page}, "FormLoc"},
        {"open that fails", {"--open", missing}, "QMessageBox"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsStore store;
        auto program = StartProgram(env.Folder.Str(), store);
        ASSERT_NE(program, nullptr);
        for (int request = 1; request <= 2; ++request) {
            int exitCode = -1;
            EXPECT_EQ(SendAndCloseAfterSenderIsGone(c.arguments, env.Folder.Str(), exitCode),
                      c.dialog)
                << "request " << request;
            EXPECT_EQ(exitCode, 0);
        }
        CloseProgram(program);
    }
}
