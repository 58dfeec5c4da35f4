// The program asked to end from outside (SIGTERM from `kill`, a shutdown or a logout, SIGHUP,
// SIGINT) ends by itself as File > Exit ends it, with "Are you sure to exit?" left on and no
// box: the note being typed is stored, the tree file and the task section written. A write that
// fails is told on the error output and the program still ends, with 1. And killed outright
// half a minute after the typing, the binder holds the note all the same.
#include "app/binder/BinderHeader.h"
#include "app/binder/TreeCommands.h"
#include "app/ui/NotesCommands.h"
#include "platform/base/Files.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"

#include <QAction>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* FolderVariable = "TARNWICK_ENDING_FOLDER";
constexpr const char* StepVariable = "TARNWICK_ENDING_STEP";
constexpr const char* DoneLine = "ending step done";
constexpr const char* TypedWord = "unforgotten";

std::string DefaultBinder(const std::string& folder) {
    return JoinPath(folder, "default.bdf");
}

TBinderHeader HeaderOf(const std::string& binderFile) {
    TBinderHeader header;
    EXPECT_TRUE(ReadBinderHeader(binderFile, header));
    return header;
}

void SayDone() {
    std::printf("%s\n", DoneLine);
    std::fflush(stdout);
}

// Runs the step in a child and sends it `signal` once it said it is done (`after` later).
ChildEnd RunStepAndSignal(const std::string& step, const std::string& folder, int signal,
                          std::chrono::milliseconds after = {}) {
    ScopedEnv folderVariable(FolderVariable, folder);
    ScopedEnv stepVariable(StepVariable, step);
    return SignalChildOnceItSays("ProgramEnding.ChildTypesIntoANoteAndServes", DoneLine, signal,
                                 after);
}

// The child said it was done, then ended by itself with `exitCode`.
testing::AssertionResult EndedByItself(const ChildEnd& end, int exitCode) {
    if (!end.Said || !end.Ended) {
        return testing::AssertionFailure() << "the program did not end by itself";
    }
    if (!end.Exited || end.ExitCode != exitCode) {
        return testing::AssertionFailure() << "it ended with " << end.ExitCode;
    }
    return testing::AssertionSuccess();
}

// The note titled "Note" of the binder as it is opened again; empty when there is none.
std::string StoredNote(const std::string& folder) {
    ReopenedBinder binder(DefaultBinder(folder));
    EXPECT_TRUE(binder.Opened);
    EXPECT_TRUE(binder.Ui.CallsOf("ShowMessage").empty());
    const TTreeNode* note = TopLevel(binder.Tree.Items(), "Note");
    if (note == nullptr) {
        ADD_FAILURE() << "no note in the binder";
        return {};
    }
    return NodeRecord(note)->Notes.Bytes();
}

// A note titled "Note" added at the top level and typed into without leaving it.
void TypeIntoANewNote(TFormVelmorRnx& window) {
    TBinderTree& binder = window.Binder();
    auto record = std::make_unique<TPageInfo>();
    record->Kind = NodeKind::Notes;
    record->Title = "Note";
    binder.Items().SetSelected(nullptr);
    TTreeNode* note =
        binder.CreateNode(NodeKind::Notes, TInsertMode::Child, true, std::move(record));
    ASSERT_NE(note, nullptr);
    binder.Items().SetSelected(note);
    TypeInto(window.NotesPart().Commands().RichNoteEdit1(), TypedWord);
    // Typed, not yet stored anywhere.
    ASSERT_EQ(NodeRecord(note)->Notes.Bytes().find(TypedWord), std::string::npos);
}

} // namespace

// The child's part, skipped unless a test below runs it: the program as `make run` starts it,
// a note added and typed into without leaving it; then the program runs until it ends, and
// the child ends with its exit code.
TEST(ProgramEnding, ChildTypesIntoANoteAndServes) {
    const char* folder = std::getenv(FolderVariable);
    const char* step = std::getenv(StepVariable);
    if (folder == nullptr || step == nullptr) {
        GTEST_SKIP() << "run by the other ProgramEnding tests";
    }
    const std::string what = step;
    ScopedEventLoopInvoker invoker;
    IsolatedShell shell;
    MemorySettingsStore store;
    std::unique_ptr<TProgram> program = StartProgram(folder, store);
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(program->Settings().AskBeforeClose); // the question is left on
    TFormVelmorRnx& window = *program->Window();
    ASSERT_NO_FATAL_FAILURE(TypeIntoANewNote(window));
    if (what == "blocked") {
        // A folder where the tree file goes: it cannot be written at the end.
        const TBinderHeader header = HeaderOf(DefaultBinder(folder));
        const std::string tree = JoinPath(header.Root, header.Save);
        fs::remove(tree);
        ASSERT_TRUE(fs::create_directory(tree));
    }
    if (what == "asking") {
        // The user chose Exit and the question is open when the request comes.
        WhenModal([](QWidget*) { SayDone(); });
        QTimer::singleShot(
            0, &window, [&window] { window.Actions().Action(TMainAction::FileExit)->trigger(); });
    } else if (what == "asking twice") {
        // A command that asks again once its first question is left: the request came while
        // the first was open.
        WhenModal([](QWidget*) { SayDone(); });
        QTimer::singleShot(0, &window, [&window] {
            for (const char* question : {"First?", "Second?"}) {
                QMessageBox box(QMessageBox::Question, "Tarnwick", question,
                                QMessageBox::Ok | QMessageBox::Cancel, &window);
                box.exec();
            }
        });
    } else {
        SayDone();
    }
    const int exitCode = program->Serve();
    program.reset();
    std::fflush(stdout);
    std::fflush(stderr);
    // Straight out with the program's code, as its main() would return it.
    std::_Exit(exitCode);
}

TEST(ProgramEnding, EachEndRequestStoresTheNoteBeingTypedWithoutAQuestion) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        TempDir folder;
        const ChildEnd end = RunStepAndSignal("typed", folder.Str(), signal);
        ASSERT_TRUE(EndedByItself(end, 0));
        EXPECT_EQ(end.Errors.find("tarnwick:"), std::string::npos) << end.Errors;
        // The task section was written with the count of the nodes (looked at before the
        // binder is opened again, whose close writes it too).
        EXPECT_NE(ReadFileBytes(DefaultBinder(folder.Str())).find("count=1"), std::string::npos);
        EXPECT_NE(StoredNote(folder.Str()).find(TypedWord), std::string::npos);
    }
}

TEST(ProgramEnding, AQuestionOpenWhenTheRequestComesIsLeftUnanswered) {
    TempDir folder;
    const ChildEnd end = RunStepAndSignal("asking", folder.Str(), SIGTERM);
    ASSERT_TRUE(EndedByItself(end, 0));
    EXPECT_NE(StoredNote(folder.Str()).find(TypedWord), std::string::npos);
}

TEST(ProgramEnding, AQuestionAskedAfterTheRequestIsLeftToo) {
    TempDir folder;
    const ChildEnd end = RunStepAndSignal("asking twice", folder.Str(), SIGTERM);
    ASSERT_TRUE(EndedByItself(end, 0));
    EXPECT_NE(StoredNote(folder.Str()).find(TypedWord), std::string::npos);
}

TEST(ProgramEnding, AWriteThatFailsIsToldOnTheErrorOutputAndEndsWithOne) {
    TempDir folder;
    const ChildEnd end = RunStepAndSignal("blocked", folder.Str(), SIGTERM);
    ASSERT_TRUE(EndedByItself(end, 1));
    const TBinderHeader header = HeaderOf(DefaultBinder(folder.Str()));
    EXPECT_NE(end.Errors.find("tarnwick: "), std::string::npos) << end.Errors;
    EXPECT_NE(end.Errors.find(JoinPath(header.Root, header.Save)), std::string::npos) << end.Errors;
    // What could be written was: the task section.
    EXPECT_NE(ReadFileBytes(DefaultBinder(folder.Str())).find("count=1"), std::string::npos);
}

// Waits the real time: the note typed is written within half a minute of its first change,
// though its node was never left, and the task section with it.
TEST(ProgramEnding, KilledHalfAMinuteAfterTypingTheNoteIsThere) {
    TempDir folder;
    const ChildEnd end = RunStepAndSignal("typed", folder.Str(), SIGKILL, std::chrono::seconds(35));
    ASSERT_TRUE(end.Said);
    EXPECT_FALSE(end.Exited);
    // The same save wrote the task section, with the count of the nodes.
    EXPECT_NE(ReadFileBytes(DefaultBinder(folder.Str())).find("count=1"), std::string::npos);
    EXPECT_NE(StoredNote(folder.Str()).find(TypedWord), std::string::npos);
}

// The desktop session asks the program to keep its data as a logout or a shutdown begins: the
// note being typed, the tree file and the task section are written then, with "Are you sure to
// exit?" left on and no box, and the program runs on, as it must when another program cancels
// the logout. When the session does end (it quits the application), the program ends without a
// question.
TEST(ProgramEnding, TheSessionsRequestToKeepTheDataStoresAndTheProgramRunsOn) {
    ProgramEnv env;
    std::unique_ptr<TProgram> program = StartProgram(env.Folder.Str(), env.Store);
    ASSERT_NE(program, nullptr);
    ASSERT_TRUE(program->Settings().AskBeforeClose);
    TFormVelmorRnx& window = *program->Window();
    ASSERT_NO_FATAL_FAILURE(TypeIntoANewNote(window));
    const std::string binderFile = DefaultBinder(env.Folder.Str());
    const TBinderHeader header = HeaderOf(binderFile);
    const std::string treeFile = JoinPath(header.Root, header.Save);
    ASSERT_EQ(ReadFileBytes(treeFile).find(TypedWord), std::string::npos);
    ASSERT_EQ(ReadFileBytes(binderFile).find("count=1"), std::string::npos);

    BoxCatcher boxes;
    bool asked = false, ranOn = false, timedOut = false;
    std::string treeAtCommit, binderAtCommit;
    // Any dialog is a question nobody is there to answer: it is noted and left.
    QTimer dialogs;
    QObject::connect(&dialogs, &QTimer::timeout, [&asked] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            asked = true;
            dialog->reject();
        }
    });
    dialogs.start(5);
    QTimer::singleShot(0, &window, [&] {
        program->CommitData();
        treeAtCommit = ReadFileBytes(treeFile);
        binderAtCommit = ReadFileBytes(binderFile);
        QTimer::singleShot(200, &window, [&] {
            ranOn = !window.Closed() && window.isVisible();
            // The session ends as the session manager ends it.
            QEvent quit(QEvent::Quit);
            QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        });
    });
    QTimer::singleShot(60000, &window, [&] {
        timedOut = true;
        QCoreApplication::exit(0);
    });
    const int exitCode = program->Serve();

    EXPECT_NE(treeAtCommit.find(TypedWord), std::string::npos);
    EXPECT_NE(binderAtCommit.find("count=1"), std::string::npos);
    EXPECT_TRUE(ranOn);
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(window.Closed());
    program.reset();
    EXPECT_NE(StoredNote(env.Folder.Str()).find(TypedWord), std::string::npos);
}
