// The exports and imports in the main window: their enabling, one export run
// through the window's own dialog, and the wait form that holds the commands around them.
#include "app/binder/CaptureRecords.h"
#include "app/binder/PageInfo.h"
#include "app/binder/TreeFile.h"
#include "app/ui/NotesCommands.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/WaitForm.h"
#include "app/ui/WindowRoleParts.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/PagesExchangeFile.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The main window over a binder in the rig's folder, with a folder selected whose note is being
// typed into ("typed" is in the editor, not yet in the record).
struct ImportRig : MainWindowRig {
    ImportRig() {
        BinderInFolder();
        Make();
        Lifecycle.Open = true;
        Target = Add(NodeKind::Folder, "Into");
        TRichNoteEdit& editor = Window->NotesPart().Commands().RichNoteEdit1();
        editor.Clear();
        editor.AddNL("words", 0, 0);
        editor.Format();
        EXPECT_TRUE(saveRichContent(NodeRecord(Target)->Notes, editor));
        Window->Binder().Items().SetSelected(Target);
        editor.EditData().SetCaretAtItem(0, 1);
        TypeInto(editor, "typed");
        EXPECT_EQ(Window->ViewsPane().Views().EditingNode(), Target);
        connection_ =
            QObject::connect(&Window->ViewsPane(), &TViewsPane::Refreshed, [this] { ++Refreshes; });
    }
    ~ImportRig() { QObject::disconnect(connection_); }

    // Runs the command of `action`, answering its file dialog with `path`.
    void Run(TMainAction action, const std::string& path) {
        bool answered = false;
        WhenModalIs<QFileDialog>([&](QFileDialog* files) {
            answered = true;
            files->selectFile(QString::fromStdString(path));
            static_cast<QDialog*>(files)->accept();
        });
        QAction* command = Window->Actions().Action(action);
        ASSERT_TRUE(command->isEnabled());
        Refreshes = 0;
        command->trigger();
        EXPECT_TRUE(answered);
    }

    TTreeNode* Target = nullptr;
    int Refreshes = 0;

private:
    QMetaObject::Connection connection_;
};

// Holds the wait form with Cancel, whose presses count in `cancels`; its Cancel button.
QPushButton* HoldWithCancel(TExportPort& ui, TForm4& form, int& cancels) {
    ui.OpenWaitForm("Compiling", true);
    ui.WhenWaitFormCancelled([&cancels] { ++cancels; });
    return form.findChild<QPushButton*>("CancelButton");
}

} // namespace

TEST(ExportCommands, EnabledByTheSelectedKindAndOffWithoutABinder) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* folder = rig.Add(NodeKind::Folder, "f");
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://a.example/");
    TTreeNode* note = rig.Add(NodeKind::Notes, "n");
    NodeRecord(page)->State = CaptureState::Completed;

    const std::pair<TMainAction, const char*> cases[] = {
        // F folder, P page, N note selected
        {TMainAction::FileImportVelmor, "F"}, {TMainAction::FileImportHtml, "F"},
        {TMainAction::FileExportAll, "FPN"},  {TMainAction::FileExportContent, "FPN"},
        {TMainAction::FileSaveHtml, "FP"},    {TMainAction::FileSaveHtmlAll, "FPN"},
        {TMainAction::FileExportList, "FPN"}, {TMainAction::FileExportListall, "FPN"},
        {TMainAction::ToolSyncContent, "P"},  {TMainAction::FileExportCHM, "FPN"},
    };
    const std::pair<TTreeNode*, char> selections[] = {{folder, 'F'}, {page, 'P'}, {note, 'N'}};
    for (const auto& [node, letter] : selections) {
        window.Binder().Items().SetSelected(node);
        for (const auto& [action, enabledFor] : cases) {
            EXPECT_EQ(window.Actions().Action(action)->isEnabled(),
                      std::string(enabledFor).find(letter) != std::string::npos)
                << static_cast<int>(action) << " with " << letter;
        }
    }

    window.Actions().Action(TMainAction::FileCloseBinder)->trigger();
    for (const auto& [action, enabledFor] : cases) {
        EXPECT_FALSE(window.Actions().Action(action)->isEnabled()) << static_cast<int>(action);
    }
}

TEST(ExportCommands, TheUrlListOfTheSelectedPageGoesToTheFileChosen) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    rig.Add(NodeKind::WebPage, "http://a.example/one");
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://a.example/two");
    window.Binder().Items().SetSelected(page);
    const std::string target = rig.Folder.Str() + "/urls.txt";

    std::string filters;
    WhenModalIs<QFileDialog>([&](QFileDialog* files) {
        filters = files->nameFilters().join(";").toStdString();
        files->selectFile(QString::fromStdString(target));
        static_cast<QDialog*>(files)->accept(); // QFileDialog keeps its own accept protected
    });
    window.Actions().Action(TMainAction::FileExportList)->trigger();

    EXPECT_EQ(ReadFileBytes(target), "http://a.example/two\r\n");
    EXPECT_NE(filters.find("*.txt"), std::string::npos) << filters;
}

// With no node selected the list of the selection is empty: the command still asks for a file
// and writes it empty. Its hints are the program's own texts.
TEST(ExportCommands, TheUrlListWithoutASelectionWritesAnEmptyFile) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    window.Binder().Items().SetSelected(rig.Add(NodeKind::WebPage, "http://a.example/one"));
    window.Binder().Items().SetSelected(nullptr);
    QAction* selected = window.Actions().Action(TMainAction::FileExportList);
    ASSERT_TRUE(selected->isEnabled());
    const std::string target = rig.Folder.Str() + "/empty.txt";
    WhenModalIs<QFileDialog>([&](QFileDialog* files) {
        files->selectFile(QString::fromStdString(target));
        static_cast<QDialog*>(files)->accept();
    });
    selected->trigger();
    EXPECT_TRUE(std::filesystem::exists(target));
    EXPECT_EQ(ReadFileBytes(target), "");

    const struct {
        TMainAction action;
        const char *tip, *status;
    } hints[] = {
        {TMainAction::FileExportList, "Export URL List",
         "Export All The URL of Webpage under Selected Folder Into a Text File"},
        {TMainAction::FileExportListall, "Export URL List All ",
         "Export All The URL of Webpages In The Binder  Into a Text File"},
    };
    for (const auto& h : hints) {
        EXPECT_EQ(window.Actions().Action(h.action)->toolTip().toStdString(), h.tip);
        EXPECT_EQ(window.Actions().Action(h.action)->statusTip().toStdString(), h.status);
    }
}

TEST(ExportCommands, TheWaitFormHoldsTheCommandsAndOffersCancel) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Capture.LevelRunning = true; // an export's form opens all the same
    TExportPort& ui = window.Roles().Exports;

    ui.OpenWaitForm("Compiling", true);
    EXPECT_TRUE(rig.Form4.isVisible());
    EXPECT_EQ(rig.Form4.windowModality(), Qt::ApplicationModal);
    auto* cancel = rig.Form4.findChild<QPushButton*>("CancelButton");
    ASSERT_NE(cancel, nullptr);
    ASSERT_TRUE(cancel->isVisible());
    EXPECT_FALSE(ui.StatusCancelled());
    cancel->click();
    ui.UpdateStatusForm();
    EXPECT_TRUE(ui.StatusCancelled());
    ui.CloseStatusForm();
    EXPECT_FALSE(rig.Form4.isVisible());
    EXPECT_EQ(rig.Form4.windowModality(), Qt::NonModal);
    EXPECT_FALSE(ui.StatusCancelled());

    // Without Cancel the form is the plain bar.
    ui.OpenWaitForm("Saving", false);
    EXPECT_FALSE(cancel->isVisible());
    ui.CloseStatusForm();
}

// A capture that ends while an export holds the wait form saves the binder from the event loop
// the command serves, and a capture's own status calls arrive there too: the form, its text
// and its Cancel stay until the command closes them.
TEST(ExportCommands, ACapturesSaveDuringTheHeldFormLeavesItAndItsCancel) {
    MainWindowRig rig;
    rig.BinderInFolder();
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    rig.Add(NodeKind::WebPage, "http://a.example/");
    TExportPort& ui = window.Roles().Exports;
    int cancels = 0;
    QPushButton* cancel = HoldWithCancel(ui, rig.Form4, cancels);
    ASSERT_NE(cancel, nullptr);
    // The ends of captures, as the capture engine hands them to the main thread: the records
    // saved, a page's links collected, the status of a page parsed.
    window.Binder().BinderDirty = true;
    Invoker().Post([&window] { static_cast<ICaptureRecords&>(window.Binder()).SaveChanges(); });
    Invoker().Post([&window] {
        ICaptureReports& reports = window.Roles().Captures;
        reports.OpenStatusForm("Parsing page, please wait ....");
        reports.UpdateStatusForm();
        reports.CloseStatusForm();
    });
    ui.UpdateStatusForm();
    ui.UpdateStatusForm();
    EXPECT_FALSE(window.Binder().BinderDirty) << "the captures' save ran";
    EXPECT_EQ(ReadFileBytes(rig.Paths.TreeFilePath), TreeFileBytes(window.Binder().Items()));

    EXPECT_TRUE(rig.Form4.isVisible());
    EXPECT_EQ(rig.Form4.windowTitle().toStdString(), "Compiling");
    EXPECT_EQ(rig.Form4.windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(window.Roles().Status.Holding());
    ASSERT_TRUE(cancel->isVisible());
    cancel->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(ui.StatusCancelled());

    // The command's own close ends it.
    ui.CloseStatusForm();
    EXPECT_FALSE(rig.Form4.isVisible());
    EXPECT_EQ(rig.Form4.windowModality(), Qt::NonModal);
    EXPECT_FALSE(ui.StatusCancelled());
}

// Cancel of the held form reaches what the command gave it at the press itself, and only
// while that form is up: the command waits in the event loop and polls nothing.
TEST(ExportCommands, TheWaitFormsCancelReachesTheCommandWhileItsFormIsUp) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TExportPort& ui = window.Roles().Exports;
    int cancels = 0;
    QPushButton* cancel = HoldWithCancel(ui, rig.Form4, cancels);
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(ui.StatusCancelled());
    ui.CloseStatusForm();
    cancel->click();
    EXPECT_EQ(cancels, 1) << "the form was closed";

    ui.OpenWaitForm("Compiling again", true);
    cancel->click();
    EXPECT_EQ(cancels, 1) << "the handler of an earlier form";
    ui.CloseStatusForm();
}

// An import of many pages is shown once they are all in: the views are refreshed a few times
// for the whole import, not once for every page inserted. The note being typed is kept, and
// the tree file holds the pages as soon as the command returns.
TEST(ExportCommands, AnExchangeImportRefreshesTheViewsOnceForAllItsPages) {
    constexpr int Pages = 300;
    ImportRig rig;
    TempDir source;
    const std::string file = source.Str() + "/pages.tqz";
    ASSERT_TRUE(WritePagesExchangeFile(source.Str(), file, Pages));
    rig.Run(TMainAction::FileImportVelmor, file);

    ASSERT_EQ(rig.Target->Count(), 1);
    EXPECT_EQ(rig.Target->Item(0)->Count(), Pages);
    EXPECT_GE(rig.Refreshes, 1);
    EXPECT_LE(rig.Refreshes, 3);
    EXPECT_NE(NodeRecord(rig.Target)->Notes.Bytes().find("typedwords"), std::string::npos);
    EXPECT_FALSE(rig.Window->Binder().BinderDirty);
    EXPECT_EQ(ReadFileBytes(rig.Paths.TreeFilePath), TreeFileBytes(rig.Window->Binder().Items()));
}

TEST(ExportCommands, AnHtmlImportRefreshesTheViewsOnceForAllItsPages) {
    constexpr int Pages = 120;
    ImportRig rig;
    TempDir source;
    for (int i = 0; i < Pages; ++i) {
        WriteFileBytes(source.Path() / ("p" + std::to_string(1000 + i) + ".htm"), "<p>page</p>");
    }
    rig.Run(TMainAction::FileImportHtml, source.Str());

    ASSERT_EQ(rig.Target->Count(), Pages);
    EXPECT_EQ(NodeRecord(rig.Target->Item(Pages - 1))->Title,
              "p" + std::to_string(999 + Pages) + ".htm");
    EXPECT_GE(rig.Refreshes, 1);
    EXPECT_LE(rig.Refreshes, 3);
    EXPECT_NE(NodeRecord(rig.Target)->Notes.Bytes().find("typedwords"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(rig.Paths.TreeFilePath), TreeFileBytes(rig.Window->Binder().Items()));
}

// Saving over a file that is there already is asked about once: by the command where it asks
// itself, and not at all for the URL list, which replaces its file as a rule.
TEST(ExportCommands, AnExistingFileIsAskedAboutOnceAtMost) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    rig.Paths.BinderRoot = rig.Folder.Str();
    rig.Paths.BinderStore = "store";
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://a.example/one");
    NodeRecord(page)->State = CaptureState::Completed;
    NodeRecord(page)->Content.PageHtml = "<p>one</p>";
    window.Binder().Items().SetSelected(page);
    const struct {
        TMainAction Command;
        const char* File;
        std::vector<std::string> Boxes;
    } cases[] = {
        {TMainAction::FileExportList, "urls.txt", {}},
        {TMainAction::FileExportAll, "all.tqz", {"Confirm: File Exist, Override?"}},
        {TMainAction::FileSaveHtml, "page.htm", {"Confirm: File Exist, Override?"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        const std::string target = rig.Folder.Str() + "/" + c.File;
        WriteFileBytes(target, "old");
        // Whatever a box asks, the answer is to go on and replace the file.
        BoxCatcher boxes;
        WhenModalIs<QFileDialog>([&](QFileDialog* files) {
            files->selectFile(QString::fromStdString(target));
            static_cast<QDialog*>(files)->accept();
        });
        window.Actions().Action(c.Command)->trigger();
        EXPECT_EQ(boxes.Boxes, c.Boxes);
        EXPECT_NE(ReadFileBytes(target), "old");
    }
}
