// The program's own window in a child process, killed (SIGKILL) once a command has returned or a
// while after a change: the binder opened again holds what the commands did, as after a crash
// or a power cut before anyone closed it. A delete is gone with its files, an import is there
// with its files, and a note stored by moving to another node is there half a minute later.
#include "app/binder/BinderHeader.h"
#include "app/binder/FolderMark.h"
#include "app/binder/StoreFiles.h"
#include "app/binder/TreeCommands.h"
#include "app/ui/NotesCommands.h"
#include "platform/base/Files.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/KilledChild.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/PagesExchangeFile.h"
#include "tests/support/StoredFiles.h"

#include <QAction>
#include <QFileDialog>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* FolderVariable = "TARNWICK_BINDER_CRASH_FOLDER";
constexpr const char* StepVariable = "TARNWICK_BINDER_CRASH_STEP";
constexpr const char* FileVariable = "TARNWICK_BINDER_CRASH_FILE";
constexpr const char* DoneLine = "binder step done";
constexpr int Pages = 40;
constexpr int ImportedPages = 25;
constexpr const char* TypedWord = "remember";

std::string DefaultBinder(const std::string& folder) {
    return JoinPath(folder, "default.bdf");
}

// <root>/<store> of the binder.
std::string StoreOf(const std::string& binderFile) {
    TBinderHeader header;
    EXPECT_TRUE(ReadBinderHeader(binderFile, header));
    return JoinPath(header.Root, header.Store);
}

TTreeNode* AddNode(TBinderTree& binder, TTreeNode* parent, NodeKind kind,
                   const std::string& title) {
    auto record = std::make_unique<TPageInfo>();
    record->Kind = kind;
    record->Title = title;
    binder.Items().SetSelected(parent);
    return binder.CreateNode(kind, TInsertMode::Child, true, std::move(record));
}

// What the child does before it says it is done; it then serves its event loop until killed.
void RunStep(TFormVelmorRnx& window, const std::string& step, const std::string& store) {
    TBinderTree& binder = window.Binder();
    if (step == "delete") {
        // A folder of captured pages, each with its picture, saved; then the folder deleted.
        TTreeNode* folder = AddNode(binder, nullptr, NodeKind::Folder, "Pages");
        AddNode(binder, nullptr, NodeKind::Folder, "Kept");
        for (int i = 0; i < Pages; ++i) {
            TTreeNode* page =
                AddNode(binder, folder, NodeKind::WebPage, "Page " + std::to_string(i));
            TPageInfo& record = *NodeRecord(page);
            record.State = CaptureState::Completed;
            record.Content.Stats.State = static_cast<int32_t>(CaptureState::Completed);
            record.Content.PageHtml = "<img src=\"a.gif\">";
            WriteStoredFile(fs::path(store).parent_path().string(),
                            fs::path(store).filename().string(), record.Id, "a.gif", "GIF");
        }
        binder.BinderDirty = true;
        ASSERT_TRUE(window.TreeCommands().FileSaveExecute());
        binder.Items().SetSelected(folder);
        QAction* command = window.Actions().Action(TMainAction::EditDelete1);
        ASSERT_TRUE(command->isEnabled());
        command->trigger();
        ASSERT_EQ(binder.Items().Count(), 1);
    } else if (step == "import") {
        TTreeNode* into = AddNode(binder, nullptr, NodeKind::Folder, "Into");
        binder.Items().SetSelected(into);
        const char* file = std::getenv(FileVariable);
        ASSERT_NE(file, nullptr);
        WhenModalIs<QFileDialog>([file](QFileDialog* files) {
            files->selectFile(file);
            static_cast<QDialog*>(files)->accept();
        });
        QAction* command = window.Actions().Action(TMainAction::FileImportVelmor);
        ASSERT_TRUE(command->isEnabled());
        command->trigger();
        ASSERT_EQ(binder.Items().Count(), ImportedPages + 2);
    } else if (step == "note") {
        TTreeNode* note = AddNode(binder, nullptr, NodeKind::Notes, "Note");
        TTreeNode* other = AddNode(binder, nullptr, NodeKind::Notes, "Other");
        binder.Items().SetSelected(note);
        TRichNoteEdit& editor = window.NotesPart().Commands().RichNoteEdit1();
        TypeInto(editor, TypedWord);
        binder.Items().SetSelected(other);
        ASSERT_NE(NodeRecord(note)->Notes.Bytes().find(TypedWord), std::string::npos);
    } else {
        FAIL() << "no step " << step;
    }
}

// Runs the step in a child, killed `after` it said the step is done; true when it said so.
bool RunStepAndKill(const std::string& step, const std::string& folder,
                    std::chrono::milliseconds after, const std::string& file = "") {
    ScopedEnv folderVariable(FolderVariable, folder);
    ScopedEnv stepVariable(StepVariable, step);
    ScopedEnv fileVariable(FileVariable, file);
    return KillChildOnceItSays("BinderCrash.ChildRunsAStepUntilKilled", DoneLine, after);
}

} // namespace

// The child's part, skipped unless a test below runs it.
TEST(BinderCrash, ChildRunsAStepUntilKilled) {
    const char* folder = std::getenv(FolderVariable);
    const char* step = std::getenv(StepVariable);
    if (folder == nullptr || step == nullptr) {
        GTEST_SKIP() << "run by the other BinderCrash tests";
    }
    ChildProgram child(folder);
    ASSERT_NE(child.Program, nullptr);
    child.Program->Settings().AskBeforeDelete = false;
    RunStep(*child.Program->Window(), step, StoreOf(DefaultBinder(folder)));
    if (HasFatalFailure()) {
        return;
    }
    std::printf("%s\n", DoneLine);
    std::fflush(stdout);
    ServeEventsFor(std::chrono::minutes(10));
    ADD_FAILURE() << "not killed";
}

TEST(BinderCrash, AFolderOfPagesDeletedStaysDeleted) {
    TempDir folder;
    ASSERT_TRUE(RunStepAndKill("delete", folder.Str(), std::chrono::seconds(0)));
    ReopenedBinder binder(DefaultBinder(folder.Str()));
    ASSERT_TRUE(binder.Opened);
    EXPECT_TRUE(binder.Ui.CallsOf("ShowMessage").empty());
    const TTreeNodes& tree = binder.Tree.Items();
    EXPECT_EQ(TopLevel(tree, "Pages"), nullptr);
    EXPECT_NE(TopLevel(tree, "Kept"), nullptr);
    EXPECT_EQ(tree.Count(), 1);
    // Nothing of the pages is left in the store either: at most the store's own mark.
    const std::string store = JoinPath(binder.Paths.BinderRoot, binder.Paths.BinderStore);
    std::vector<std::string> left;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(store, missing)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_TRUE(left.empty() || left == std::vector<std::string>{FolderMarkName}) << left.size();
}

TEST(BinderCrash, AnImportedExchangeFileIsThere) {
    TempDir folder;
    TempDir source;
    const std::string file = source.Str() + "/pages.tqz";
    ASSERT_TRUE(WritePagesExchangeFile(source.Str(), file, ImportedPages));
    ASSERT_TRUE(RunStepAndKill("import", folder.Str(), std::chrono::seconds(0), file));
    ReopenedBinder binder(DefaultBinder(folder.Str()));
    ASSERT_TRUE(binder.Opened);
    TTreeNode* into = TopLevel(binder.Tree.Items(), "Into");
    ASSERT_NE(into, nullptr);
    ASSERT_EQ(into->Count(), 1);
    const TTreeNode* imported = into->Item(0);
    EXPECT_EQ(NodeRecord(imported)->Title, "Imported");
    ASSERT_EQ(imported->Count(), ImportedPages);
    for (int i = 0; i < ImportedPages; ++i) {
        const TPageInfo* page = NodeRecord(imported->Item(i));
        EXPECT_EQ(page->State, CaptureState::Completed);
        EXPECT_EQ(ReadFileBytes(fs::path(NodeStoreFolder(binder.Paths.BinderRoot,
                                                         binder.Paths.BinderStore, page->Id)) /
                                "a.gif"),
                  "GIF " + std::to_string(i));
    }
}

// The one test that waits the real time: the change is written within half a minute.
TEST(BinderCrash, ANoteStoredByMovingOnIsThereHalfAMinuteLater) {
    TempDir folder;
    ASSERT_TRUE(RunStepAndKill("note", folder.Str(), std::chrono::seconds(32)));
    ReopenedBinder binder(DefaultBinder(folder.Str()));
    ASSERT_TRUE(binder.Opened);
    TTreeNode* note = TopLevel(binder.Tree.Items(), "Note");
    ASSERT_NE(note, nullptr);
    EXPECT_NE(NodeRecord(note)->Notes.Bytes().find(TypedWord), std::string::npos);
}
