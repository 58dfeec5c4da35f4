#include "platform/shell/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

bool Fail(const std::string& file, const ShellErrorBox& box) {
    if (box) {
        box("Could not run program '" + file + "'", "Operation Error!");
    }
    return false;
}

// A text with a scheme of two letters or more ("https:", "file:", "mailto:") is an address;
// anything else, "C:" included, is a path.
bool IsAddress(const QString& text) {
    const qsizetype colon = text.indexOf(':');
    if (colon < 2) {
        return false;
    }
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = text[i];
        if (!(c.isLetterOrNumber() || c == '+' || c == '-' || c == '.') || c.unicode() > 127) {
            return false;
        }
    }
    return text[0].isLetter();
}

class ShellProcess : public RunningProgram {
public:
    bool Start(const QString& program, const QStringList& arguments, const QString& folder) {
        process_.setProgram(program);
        process_.setArguments(arguments);
        if (!folder.isEmpty()) {
            process_.setWorkingDirectory(folder);
        }
        process_.setStandardInputFile(QProcess::nullDevice());
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        process_.start();
        return process_.waitForStarted();
    }
    ~ShellProcess() override {
        // Whoever watched the program may be gone already: the kill reports to no one.
        QObject::disconnect(&process_, &QProcess::finished, nullptr, nullptr);
        Kill();
    }

    bool WaitFor(int milliseconds) override {
        return process_.state() == QProcess::NotRunning || process_.waitForFinished(milliseconds) ||
               process_.state() == QProcess::NotRunning;
    }
    void Kill() override {
        if (process_.state() != QProcess::NotRunning) {
            killed_ = true;
            process_.kill();
            process_.waitForFinished(-1);
        }
    }
    void WhenEnded(std::function<void()> ended) override {
        if (process_.state() == QProcess::NotRunning) {
            QMetaObject::invokeMethod(&process_, std::move(ended), Qt::QueuedConnection);
            return;
        }
        QObject::connect(
            &process_, &QProcess::finished, &process_,
            [ended = std::move(ended)](int, QProcess::ExitStatus) { ended(); },
            Qt::SingleShotConnection);
    }
    int ExitCode() override {
        if (killed_ || !WaitFor(0) || process_.exitStatus() != QProcess::NormalExit) {
            return -1;
        }
        return process_.exitCode();
    }

private:
    QProcess process_;
    bool killed_ = false;
};

} // namespace

int ShellOpen(const std::string& file, const ShellErrorBox& box) {
    const QString text = ToQt(file);
    QUrl url;
    if (IsAddress(text)) {
        url = QUrl(text);
    } else if (QFileInfo::exists(text)) {
        url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    }
    // Without a GUI application there is no desktop to hand the file to.
    if (!url.isValid() || qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr ||
        !QDesktopServices::openUrl(url)) {
        Fail(file, box);
        return -1;
    }
    return 0;
}

std::unique_ptr<RunningProgram> ShellOpenProcess(const std::string& program,
                                                 const std::vector<std::string>& arguments,
                                                 const std::string& workingFolder,
                                                 const ShellErrorBox& box) {
    QString path = ToQt(program);
    if (!path.contains('/')) {
        path = QStandardPaths::findExecutable(path);
    }
    QStringList list;
    for (const std::string& argument : arguments) {
        list << ToQt(argument);
    }
    auto process = std::make_unique<ShellProcess>();
    if (path.isEmpty() || !process->Start(path, list, ToQt(workingFolder))) {
        Fail(program, box);
        return nullptr;
    }
    return process;
}
