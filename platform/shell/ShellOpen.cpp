#include "platform/shell/ShellOpen.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr const char* DesktopOpenerProgram = "xdg-open";

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

// The desktop's opener run on one file or address. It says whether the file could be opened
// only by its exit status, which comes when it ends: then a failure is shown, and the run
// goes. Runs still going when the program ends are stopped without a word; the viewers they
// started stay open.
class DesktopOpener : public QObject {
public:
    DesktopOpener(std::string file, ShellErrorBox box)
        : QObject(QCoreApplication::instance()), file_(std::move(file)), box_(std::move(box)) {}

    bool Start(const QString& program, const QString& target) {
        if (!process_.Start(program, {target}, QString())) {
            return false;
        }
        process_.WhenEnded([this] {
            if (process_.ExitCode() != 0) {
                Fail(file_, box_);
            }
            deleteLater();
        });
        return true;
    }

private:
    std::string file_;
    ShellErrorBox box_;
    ShellProcess process_; // last, so it goes first: a run still going stops before the rest
};

} // namespace

int ShellOpen(const std::string& file, const ShellErrorBox& box) {
    const QString text = ToQt(file);
    QString target;
    if (IsAddress(text)) {
        const QUrl url(text);
        target = url.isValid() ? url.toString(QUrl::FullyEncoded) : QString();
    } else if (QFileInfo::exists(text)) {
        target = QFileInfo(text).absoluteFilePath();
    }
    const QString opener = QStandardPaths::findExecutable(DesktopOpenerProgram);
    // Without a GUI application there is no desktop to hand the file to.
    if (target.isEmpty() || opener.isEmpty() ||
        qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        Fail(file, box);
        return -1;
    }
    auto* run = new DesktopOpener(file, box);
    if (!run->Start(opener, target)) {
        delete run;
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
