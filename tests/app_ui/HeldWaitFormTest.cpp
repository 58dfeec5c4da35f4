// The wait form an export or import holds is closed however the command ends: work that throws
// half-way leaves no form up, nothing modal, and the window taking commands and saves again.
#include "app/binder/ExportContext.h"
#include "app/binder/PageInfo.h"
#include "app/binder/commands/ChmCommands.h"
#include "app/binder/commands/ExchangeCommands.h"
#include "app/binder/commands/HtmlCommands.h"
#include "app/ui/ExportPort.h"
#include "app/ui/WaitStatus.h"
#include "platform/base/Files.h"
#include "platform/base/StringUtils.h"
#include "platform/shell/ShellOpen.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FakeExportUi.h"
#include "tests/support/PagesExchangeFile.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QFileDialog>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

// The exports' port of a test: its dialogs and boxes answer from the test's queues, its wait form
// is the window's own, and the call named by FailAt throws while that form is held, as work
// that fails half-way does.
struct WindowFormPort : FakeExportUi {
    WindowFormPort(TExportPort& window, const TWaitStatus& status)
        : Window(window), Status(status) {}
    void OpenWaitForm(const std::string& text, bool cancellable) override {
        FakeExportUi::OpenWaitForm(text, cancellable);
        Window.OpenWaitForm(text, cancellable);
    }
    void CloseStatusForm() override {
        FakeExportUi::CloseStatusForm();
        Window.CloseStatusForm();
    }
    void UpdateStatusForm() override {
        FailIfAt("UpdateStatusForm");
        Window.UpdateStatusForm();
    }
    void WhenWaitFormCancelled(std::function<void()> cancel) override {
        FailIfAt("WhenWaitFormCancelled");
        Window.WhenWaitFormCancelled(std::move(cancel));
    }
    void SetLastDialogDir(const std::string& folder) override {
        FailIfAt("SetLastDialogDir");
        FakeExportUi::SetLastDialogDir(folder);
    }
    void ShowMessage(const std::string& text) override {
        FakeExportUi::ShowMessage(text);
        FailIfAt("ShowMessage");
    }
    void FailIfAt(const std::string& call) {
        if (call == FailAt && Status.Holding()) {
            ++Failures;
            throw std::runtime_error(call + " failed");
        }
    }

    TExportPort& Window;
    const TWaitStatus& Status;
    std::string FailAt;
    int Failures = 0;
};

struct FailingWindow : MainWindowRig {
    FailingWindow() {
        BinderInFolder();
        Make();
        Lifecycle.Open = true;
        Window->resize(800, 500);
        Window->show();
        Target = Add(NodeKind::Folder, "Into");
        Window->Binder().Items().SetSelected(Target);
    }
    ExportContext Context() { return {Window->Binder(), Paths, Settings, Queue, Capture}; }
    // Runs a command over a port that fails at `failAt`; the command's error reaches the caller.
    void RunFailing(const std::string& failAt,
                    const std::function<void(ExportContext&, IExportUi&)>& command,
                    const std::function<void(WindowFormPort&)>& answers = {}) {
        WindowFormPort port(Window->Roles().Exports, Window->Roles().Status);
        port.FailAt = failAt;
        if (answers) {
            answers(port);
        }
        ExportContext context = Context();
        EXPECT_THROW(command(context, port), std::runtime_error) << failAt;
        EXPECT_EQ(port.Failures, 1) << "the work did not fail where it should";
        ExpectFormClosed(failAt);
    }
    void ExpectFormClosed(const std::string& how) {
        SCOPED_TRACE(how);
        EXPECT_FALSE(Form4.isVisible());
        EXPECT_EQ(Form4.windowModality(), Qt::NonModal);
        EXPECT_FALSE(Window->Roles().Status.Holding());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_TRUE(Window->isEnabled());
    }
    // A page of the binder whose stored resource "img/a.gif" is there to be copied.
    TTreeNode* StoredPage() {
        TTreeNode* page = Add(NodeKind::WebPage, "http://a.example/");
        TPageInfo& record = *NodeRecord(page);
        record.Id = 0xAB;
        record.State = CaptureState::Completed;
        record.Content.PageHtml = "<p>page</p>";
        WriteFileBytes(Folder.Path() / "store" / "AB" / "img" / "a.gif", "GIF");
        return page;
    }

    TTreeNode* Target = nullptr;
};

// The HTML import through the window's own command: a capture that throws while the pages go
// in ends the command with the form closed.
TEST(HeldWaitForm, AnHtmlImportWhoseCaptureThrowsClosesTheForm) {
    FailingWindow w;
    TempDir source;
    WriteFileBytes(source.Path() / "a.htm", "<p>a</p>");
    w.Capture.OnNow = [](TPageInfo&) { throw std::runtime_error("the page cannot be captured"); };
    WhenModalIs<QFileDialog>([&](QFileDialog* folders) {
        folders->selectFile(QString::fromStdString(source.Str()));
        static_cast<QDialog*>(folders)->accept();
    });
    QAction* import = w.Window->Actions().Action(TMainAction::FileImportHtml);
    ASSERT_TRUE(import->isEnabled());
    {
        BoxCatcher boxes;
        import->trigger();
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_NE(boxes.Boxes[0].find("the page cannot be captured"), std::string::npos);
    }
    w.ExpectFormClosed("import");

    // The window takes the next command, whose form opens and closes as usual.
    w.Capture.OnNow = nullptr;
    w.Window->Binder().Items().SetSelected(w.Target);
    ASSERT_TRUE(import->isEnabled());
    WhenModalIs<QFileDialog>([&](QFileDialog* folders) {
        folders->selectFile(QString::fromStdString(source.Str()));
        static_cast<QDialog*>(folders)->accept();
    });
    import->trigger();
    EXPECT_EQ(w.Target->Count(), 2);
    w.ExpectFormClosed("the next import");
}

// Every command that holds the form, failing while it is held.
TEST(HeldWaitForm, EveryCommandThatHoldsTheFormClosesItWhenItsWorkThrows) {
    FailingWindow w;
    TempDir source;
    WriteFileBytes(source.Path() / "a.htm", "<p>a</p>");
    w.RunFailing("UpdateStatusForm", FileImportHtmlExecute,
                 [&](WindowFormPort& port) { port.DialogAnswers.push_back(source.Str()); });

    const std::string exchange = source.Str() + "/pages.tqz";
    ASSERT_TRUE(WritePagesExchangeFile(source.Str(), exchange, 3));
    w.Window->Binder().Items().SetSelected(w.Target);
    w.RunFailing("UpdateStatusForm", FileImportVelmorExecute,
                 [&](WindowFormPort& port) { port.DialogAnswers.push_back(exchange); });
    w.RunFailing("SetLastDialogDir", FileExportAllExecute, [&](WindowFormPort& port) {
        port.DialogAnswers.push_back(source.Str() + "/out.tqz");
    });

    // Saved as HTML, a page's resource cannot be written where a file is in the way ("img"),
    // and showing that failure throws.
    TTreeNode* page = w.StoredPage();
    w.Window->Binder().Items().SetSelected(page);
    TempDir out;
    WriteFileBytes(out.Path() / "img", "in the way");
    w.RunFailing("ShowMessage", FileSaveHtmlExecute, [&](WindowFormPort& port) {
        port.DialogAnswers.push_back(out.Str() + "/page.htm");
    });

    // The help export: its compiler runs under the held form with Cancel.
    w.RunFailing(
        "WhenWaitFormCancelled",
        [](ExportContext& context, IExportUi& ui) { FileExportCHMExecute(context, ui); },
        [&](WindowFormPort& port) {
            port.Chm = TChmChoice{out.Str() + "/help.chm", "0x409", false, false, true};
            port.Compiler = [&](const std::string&) {
                return ShellOpenProcess("sh", {"-c", "exec sleep 30"}, out.Str(), nullptr);
            };
        });
}

} // namespace
