// "Html File(s) From Directory" in the program as it runs, over a folder whose first page shows
// pictures from a server that accepts and never answers: the window's event loop serves every
// posted event promptly all the while its wait form is up, and either Cancel of that form ends
// the import, the page at work stopped with the pictures not yet asked for never asked for and no
// later file added, or the page's time ends the pictures and the import goes on.
#include "app/binder/PageInfo.h"
#include "app/ui/Program.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WaitStatus.h"
#include "platform/base/Files.h"

#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

namespace fs = std::filesystem;

namespace {

// The longest a posted event may wait while the import's form is up: an import that held the
// event loop would hold it for a page's time (two seconds at least here); a busy machine may
// hold a served loop a few tenths of a second.
constexpr qint64 LongestServedWait = 1000;
// More than a page fetches at once.
constexpr int Pictures = 8;

// Serves a posted event that posts itself again, as the window's own calls arrive, and keeps
// the longest wait between two of them served while `counting` holds.
class LoopWatch : public QObject {
public:
    explicit LoopWatch(std::function<bool()> counting) : counting_(std::move(counting)) {
        clock_.start();
        QCoreApplication::postEvent(this, new QEvent(Tick));
    }

    qint64 LongestWait = 0;
    int Served = 0; // while counting

protected:
    bool event(QEvent* e) override {
        if (e->type() != Tick) {
            return QObject::event(e);
        }
        const qint64 now = clock_.elapsed();
        if (counting_()) {
            if (last_ >= 0) {
                LongestWait = std::max(LongestWait, now - last_);
            }
            last_ = now;
            ++Served;
        } else {
            last_ = -1;
        }
        QCoreApplication::postEvent(this, new QEvent(Tick));
        return true;
    }

private:
    static constexpr QEvent::Type Tick = static_cast<QEvent::Type>(QEvent::User + 18);
    std::function<bool()> counting_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
};

struct ImportRun {
    int Pages = 0;
    std::optional<CaptureState> First;
    CaptureGroupCounts FirstPictures;
    qint64 LongestWait = 0;
    int Served = 0;
    bool CancelPressed = false;
    bool Dirty = true;
    int Asked = 0; // pictures asked for
};

// Imports a folder of "a.htm", whose pictures never come, and "b.htm" into a new folder of the
// program's binder; with `cancel`, Cancel is pressed once a picture has been asked for and the
// loop served a while beside it.
ImportRun ImportStalledFolder(std::chrono::milliseconds pageTime, bool cancel) {
    std::atomic<int> asked{0};
    std::atomic<int> hungUp{0};
    std::optional<RawServer> pictures;
    pictures.emplace([&](int socket, const std::string&) {
        ++asked;
        char probe;
        while (!pictures->Stopping()) {
            if (::recv(socket, &probe, 1, MSG_DONTWAIT) == 0) {
                ++hungUp;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    TempDir source;
    std::string page = "<title>A</title><p>a</p>";
    for (int i = 0; i < Pictures; ++i) {
        page += "<img src=\"" + pictures->Url("/" + std::to_string(i) + ".gif") + "\">";
    }
    WriteFileBytes(source.Path() / "a.htm", page);
    WriteFileBytes(source.Path() / "b.htm", "<p>b</p>");

    ProgramEnv env;
    std::unique_ptr<TProgram> program =
        StartProgram(env.Folder.Str(), env.Store,
                     [pageTime](TProgramOptions& options) { options.PageTime = pageTime; });
    EXPECT_NE(program, nullptr);
    if (program == nullptr) {
        return {};
    }
    TFormVelmorRnx& window = *program->Window();
    window.Actions().Action(TMainAction::FileNewFolder)->trigger();
    TTreeNode* folder = window.Binder().Selected();
    EXPECT_EQ(GetNodeKind(folder), NodeKind::Folder);
    QAction* import = window.Actions().Action(TMainAction::FileImportHtml);
    EXPECT_TRUE(import->isEnabled());
    if (folder == nullptr || !import->isEnabled()) {
        return {};
    }

    TWaitStatus& status = window.Roles().Status;
    ImportRun run;
    LoopWatch watch([&status] { return status.Holding(); });
    // Cancel waits until the stalled pictures have held the capture a while.
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&] {
        if (auto* button = status.Form()->findChild<QPushButton*>("CancelButton");
            button != nullptr && button->isVisible()) {
            button->click();
            run.CancelPressed = true;
        }
    });
    QTimer presser;
    presser.setInterval(5);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (cancel && asked > 0 && status.Holding()) {
            presser.stop();
            later.start(500);
        }
    });
    presser.start();
    WhenModalIs<QFileDialog>([&](QFileDialog* folders) {
        folders->selectFile(QString::fromStdString(source.Str()));
        static_cast<QDialog*>(folders)->accept();
    });
    import->trigger();
    presser.stop();
    later.stop();

    run.Pages = folder->Count();
    if (run.Pages > 0) {
        const TPageInfo& first = *NodeRecord(folder->Item(0));
        run.First = static_cast<CaptureState>(first.Content.Stats.State);
        EXPECT_EQ(first.State, *run.First) << "the state held and the state stored differ";
        run.FirstPictures = first.Content.Stats.Groups[GroupImg];
    }
    run.LongestWait = watch.LongestWait;
    run.Served = watch.Served;
    run.Dirty = window.Binder().BinderDirty;
    CloseProgram(program);
    pictures.reset(); // waits for the connections' ends
    run.Asked = asked.load();
    EXPECT_GT(run.Asked, 0);
    EXPECT_EQ(hungUp.load(), run.Asked) << "a picture's request was left open";
    return run;
}

} // namespace

TEST(HtmlImport, CancelEndsAnImportHeldByPicturesThatNeverCome) {
    const ImportRun run = ImportStalledFolder(MaxPageTime, true);
    EXPECT_TRUE(run.CancelPressed);
    EXPECT_EQ(run.Pages, 1) << "a file after the cancelled page was added";
    EXPECT_EQ(run.First, CaptureState::Stopped);
    // Those at work were cut and count failed; the rest were neither asked for nor counted.
    EXPECT_LT(run.Asked, Pictures);
    EXPECT_GT(run.FirstPictures.Failed, 0);
    EXPECT_LT(run.FirstPictures.Failed, Pictures);
    EXPECT_EQ(run.FirstPictures.Fetched, 0);
    EXPECT_GT(run.Served, 0);
    EXPECT_LT(run.LongestWait, LongestServedWait);
    EXPECT_FALSE(run.Dirty) << "the binder was not written after the import";
}

TEST(HtmlImport, ThePageTimeEndsPicturesThatNeverComeAndTheImportGoesOn) {
    const ImportRun run = ImportStalledFolder(std::chrono::seconds(2), false);
    EXPECT_EQ(run.Pages, 2);
    EXPECT_EQ(run.First, CaptureState::Completed);
    EXPECT_EQ(run.FirstPictures.Failed, Pictures);
    EXPECT_EQ(run.FirstPictures.Fetched, 0);
    EXPECT_GT(run.Served, 0);
    EXPECT_LT(run.LongestWait, LongestServedWait);
    EXPECT_FALSE(run.Dirty);
}

// Escape pressed on the form and on the window, and the command reached again, while an
// import waits for pictures that never come: the import captures each file once and ends
// within the page time a file.
TEST(HtmlImport, KeysAndTheCommandAgainDuringAnImportCaptureEachFileOnce) {
    std::mutex lock;
    std::map<std::string, int> asked;
    std::optional<RawServer> pictures;
    pictures.emplace([&](int, const std::string& request) {
        {
            const std::lock_guard<std::mutex> guard(lock);
            ++asked[request.substr(0, request.find(" HTTP"))];
        }
        while (!pictures->Stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    TempDir source;
    for (const char* name : {"a", "b", "c"}) {
        WriteFileBytes(source.Path() / (std::string(name) + ".htm"),
                       std::string("<p>") + name + "</p><img src=\"" +
                           pictures->Url("/" + std::string(name) + ".gif") + "\">");
    }
    static constexpr auto PageTime = std::chrono::seconds(2);
    ProgramEnv env;
    std::unique_ptr<TProgram> program = StartProgram(
        env.Folder.Str(), env.Store, [](TProgramOptions& options) { options.PageTime = PageTime; });
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    window.Actions().Action(TMainAction::FileNewFolder)->trigger();
    TTreeNode* folder = window.Binder().Selected();
    ASSERT_EQ(GetNodeKind(folder), NodeKind::Folder);
    QAction* import = window.Actions().Action(TMainAction::FileImportHtml);
    TWaitStatus& status = window.Roles().Status;
    // Every folder dialog that comes up is answered with the folder.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto* folders = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            folders->selectFile(QString::fromStdString(source.Str()));
            static_cast<QDialog*>(folders)->accept();
        }
    });
    answerer.start(5);
    int pressed = 0;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (!status.Holding() || pressed >= 3) {
            return;
        }
        ++pressed;
        QTest::keyClick(status.Form(), Qt::Key_Escape);
        QTest::keyClick(&window, Qt::Key_Escape);
        import->trigger();
    });
    presser.start(300);
    QElapsedTimer took;
    took.start();
    import->trigger();
    presser.stop();
    answerer.stop();
    const qint64 elapsed = took.elapsed();
    EXPECT_EQ(pressed, 3);
    EXPECT_EQ(folder->Count(), 3);
    EXPECT_LT(elapsed, 3 * (std::chrono::milliseconds(PageTime).count() + 2000));
    CloseProgram(program);
    pictures.reset();
    const std::map<std::string, int> once{{"GET /a.gif", 1}, {"GET /b.gif", 1}, {"GET /c.gif", 1}};
    EXPECT_EQ(asked, once);
}

namespace {

constexpr const char* EndingFolderVariable = "TARNWICK_IMPORT_ENDING_FOLDER";
constexpr const char* PictureAskedLine = "a picture of the import was asked for";

} // namespace

// The child's part, skipped unless the test below runs it: the program imports a folder whose
// first page shows a picture that never comes, within the whole page time; once the picture is
// asked for, it says so and serves until it ends.
TEST(HtmlImport, ChildImportsAStalledFolderAndServes) {
    const char* folder = std::getenv(EndingFolderVariable);
    if (folder == nullptr) {
        GTEST_SKIP() << "run by HtmlImport.AnEndRequestEndsTheImportAndTheProgramWithinSeconds";
    }
    std::atomic<int> asked{0};
    std::optional<RawServer> pictures;
    pictures.emplace([&](int, const std::string&) {
        ++asked;
        while (!pictures->Stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const fs::path source = fs::path(folder) / "pages";
    fs::create_directories(source);
    WriteFileBytes(source / "a.htm", "<p>a</p><img src=\"" + pictures->Url("/never.gif") + "\">");
    WriteFileBytes(source / "b.htm", "<p>b</p>");
    ChildProgram child(folder);
    std::unique_ptr<TProgram>& program = child.Program;
    ASSERT_NE(program, nullptr);
    TFormVelmorRnx& window = *program->Window();
    QTimer told;
    QObject::connect(&told, &QTimer::timeout, [&] {
        if (asked > 0) {
            told.stop();
            std::printf("%s\n", PictureAskedLine);
            std::fflush(stdout);
        }
    });
    told.start(5);
    WhenModalIs<QFileDialog>([&](QFileDialog* folders) {
        folders->selectFile(QString::fromStdString(source.string()));
        static_cast<QDialog*>(folders)->accept();
    });
    QTimer::singleShot(
        0, &window, [&window] { window.Actions().Action(TMainAction::FileImportHtml)->trigger(); });
    const int exitCode = program->Serve();
    program.reset();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(exitCode);
}

// SIGTERM while an import waits for a picture within its page time: the import ends as its
// Cancel ends it and the program ends within seconds, keeping the page it added.
TEST(HtmlImport, AnEndRequestEndsTheImportAndTheProgramWithinSeconds) {
    TempDir folder;
    ScopedEnv folderVariable(EndingFolderVariable, folder.Str());
    std::chrono::steady_clock::time_point signalled;
    const ChildEnd end = SignalChildOnceItSays("HtmlImport.ChildImportsAStalledFolderAndServes",
                                               PictureAskedLine, SIGTERM, {}, [&] {
                                                   signalled = std::chrono::steady_clock::now();
                                                   return true;
                                               });
    const auto took = std::chrono::steady_clock::now() - signalled;
    ASSERT_TRUE(end.Said);
    ASSERT_TRUE(end.Ended) << "the program did not end within a minute of the request";
    EXPECT_TRUE(end.Exited);
    EXPECT_EQ(end.ExitCode, 0) << end.Errors;
    EXPECT_LT(took, std::chrono::seconds(20));
    ReopenedBinder binder(JoinPath(folder.Str(), "default.bdf"));
    ASSERT_TRUE(binder.Opened);
    ASSERT_EQ(binder.Tree.Items().TopLevelCount(), 1) << "the page added is not kept";
    EXPECT_EQ(NodeRecord(binder.Tree.Items().TopLevelItem(0))->Title, "a.htm");
}
