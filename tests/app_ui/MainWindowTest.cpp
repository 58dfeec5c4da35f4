// The main window's life over fakes: the binder opened at start, closing with and without the
// confirmation, the stored bounds, messages from workers, the status bar and the wait form.
#include "app/binder/CaptureStarter.h"
#include "app/capture/CaptureFinished.h"
#include "app/capture/CapturePort.h"
#include "app/capture/MultiCapture.h"
#include "app/ui/ApplicationErrors.h"
#include "app/ui/BinderTreeView.h"
#include "app/ui/ConfirmDlg.h"
#include "controls/MarkupStatusBar.h"
#include "platform/shell/SharedBlock.h"
#include "platform/shell/SharedMemory.h"
#include "platform/widgets/Control.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FormControls.h"

#include <QAction>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusTipEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

namespace {

// A control of the window whose paint draws its top half, then fails with `Error`.
class FailingPaint : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::string Error; // none until set
    int Paints = 0;

protected:
    void Paint() override {
        ++Paints;
        Canvas().Brush().SetColor(clWhite);
        Canvas().FillRect(ClientRect());
        if (Error.empty()) {
            return;
        }
        Canvas().Brush().SetColor(clBlue);
        Canvas().FillRect(Rect(0, 0, ClientWidth(), ClientHeight() / 2));
        throw std::runtime_error(Error);
    }
};

void PaintAgain(TCustomControl& control) {
    control.Invalidate();
    control.repaint();
}

void AnswerConfirm(bool tick, bool ok) {
    WhenModalIs<TForm5>([tick, ok](TForm5* confirm) {
        Control<QCheckBox>(*confirm, "CheckBox1")->setChecked(tick);
        (ok ? Control<QPushButton>(*confirm, "Button1") : Control<QPushButton>(*confirm, "Button2"))
            ->click();
    });
}

} // namespace

TEST(MainWindow, NoddeOpensTheLastBinderOrTheDefaultOne) {
    struct Case {
        const char* flag;
        std::string lastFile;
        bool opens, creates, started;
        std::vector<std::string> calls; // "@" stands for the start folder
    };
    const Case cases[] = {
        {"/nodde", "", true, true, true, {"create @ default", "open @/default.bdf"}},
        {"/NODDE",
         "/gone/x.bdf",
         false,
         true,
         true,
         {"open /gone/x.bdf", "create @ default", "open @/default.bdf"}},
        {"/nodde", "/b/y.bdf", true, true, true, {"open /b/y.bdf"}},
        // A default binder that cannot be made ends the start as failed.
        {"/nodde", "", true, false, false, {"create @ default"}},
        // Without the switch the binder arrives later, from the shell's request or the user.
        {"-nodde", "/b/y.bdf", true, true, true, {}},
    };
    for (const Case& c : cases) {
        MainWindowRig rig;
        rig.Store.WriteValue("RecentFile", "LastFile", c.lastFile);
        rig.Lifecycle.OpenSucceeds = c.opens;
        rig.Lifecycle.CreateSucceeds = c.creates;
        EXPECT_EQ(rig.Make({"tarnwick", c.flag}).FormCreate(nullptr), c.started);
        std::vector<std::string> expected;
        for (std::string call : c.calls) {
            if (const size_t at = call.find('@'); at != std::string::npos) {
                call.replace(at, 1, rig.Folder.Str());
            }
            expected.push_back(call);
        }
        EXPECT_EQ(rig.Lifecycle.Calls, expected) << c.lastFile;
    }
}

TEST(MainWindow, ExitConfirmationCancelKeepsEverythingAndItsBoxIsStored) {
    IsolatedShell shell;
    ASSERT_NE(CreateSharedMemory(), nullptr);
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    ASSERT_TRUE(window.FormCreate(nullptr));
    rig.Settings.AskBeforeClose = true;
    rig.Lifecycle.Open = true;
    std::string error;
    const auto blockThere = [&] {
        return SharedBlock::Open(shell.BlockName(), SharedBlock::Mode::OpenExisting, error) !=
               nullptr;
    };

    AnswerConfirm(true, false); // ticked, then Cancel: still asked no more
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(rig.Lifecycle.Open);
    EXPECT_TRUE(blockThere());
    EXPECT_EQ(rig.Stored("FormMax"), "(none)"); // nothing written yet
    EXPECT_FALSE(rig.Settings.AskBeforeClose);

    // A binder that could not be saved keeps the window open: its changes are still there.
    rig.Lifecycle.CloseFails = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(blockThere());
    rig.Lifecycle.CloseFails = false;

    rig.Settings.AskBeforeClose = true;
    AnswerConfirm(true, true);
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(rig.Lifecycle.Open);
    EXPECT_FALSE(blockThere());
    EXPECT_EQ(rig.Stored("AskBeforeClose"), "0");
    CloseSharedMemory();
}

TEST(MainWindow, LastNodeIdSurvivesTheBinderClosingBeforeTheSettingsAreWritten) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Add(NodeKind::Folder, "f");
    TTreeNode* page = rig.Add(NodeKind::WebPage, "p");
    rig.Lifecycle.Open = true;
    window.Binder().Items().SetSelected(page);
    window.TreeView1Click();
    const uint32_t id = NodeRecord(page)->Id;
    ASSERT_TRUE(window.close());
    EXPECT_EQ(window.Binder().Items().Count(), 0);
    EXPECT_EQ(rig.Stored("LastNodeID"), std::to_string(static_cast<int32_t>(id)));
}

TEST(MainWindow, MaximisedCloseStoresTheBoundsFromBeforeAndTheyComeBack) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    window.move(40, 50);
    window.resize(700, 500);
    window.show();
    QCoreApplication::processEvents();
    const QRect before(window.x(), window.y(), window.width(), window.height());
    window.showMaximized();
    ASSERT_TRUE(WaitUntil([&] { return window.isMaximized() && window.width() > 700; }));
    ASSERT_TRUE(window.close());
    EXPECT_EQ(rig.Stored("FormMax"), "1");
    EXPECT_EQ(rig.Stored("Left"), std::to_string(before.x()));
    EXPECT_EQ(rig.Stored("Top"), std::to_string(before.y()));
    EXPECT_EQ(rig.Stored("Width"), "700");
    EXPECT_EQ(rig.Stored("Height"), "500");

    TFormVelmorRnx& again = rig.Make();
    EXPECT_EQ(again.width(), 700);
    again.show();
    EXPECT_TRUE(again.isMaximized());
}

TEST(MainWindow, CaptureEndPostedByAWorkerIsHandledOnTheMainThread) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TPageInfo* record = NodeRecord(rig.Add(NodeKind::WebPage, "p"));
    record->Content.FetchedText = "<html></html>";
    std::thread worker([&] { window.Roles().Captures.Port().CaptureDone(record->Id); });
    worker.join();
    EXPECT_EQ(record->State, CaptureState::Unfinished); // nothing ran on the worker
    ASSERT_TRUE(WaitUntil([&] { return record->State == CaptureState::Completed; }));
    EXPECT_EQ(record->Progress.StatusText, "Download Finished");
    EXPECT_TRUE(window.Binder().BinderDirty);
}

TEST(MainWindow, StopCancelsTheSelectedPagesCaptureThroughItself) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://a.example/");
    MultiCapture capture;
    NodeRecord(page)->CurrentCapture = &capture;
    window.Binder().Items().SetSelected(page);
    window.ToolButton13Click();
    EXPECT_TRUE(capture.IsCancelled());
    EXPECT_EQ(NodeRecord(page)->State, CaptureState::Stopped);
    EXPECT_TRUE(rig.Capture.Calls.empty()); // its results are not thrown away
}

TEST(MainWindow, StopIsOnOnlyForAPageStillToBeCaptured) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* folder = rig.Add(NodeKind::Folder, "f");
    TTreeNode* note = rig.Add(NodeKind::Notes, "n", folder);
    TTreeNode* link = rig.Add(NodeKind::Link, "http://l.example/", folder);
    TTreeNode* waiting = rig.Add(NodeKind::WebPage, "http://w.example/");
    TTreeNode* done = rig.Add(NodeKind::WebPage, "http://d.example/");
    // New notes, links and folders are made "unfinished" like pages, yet nothing captures them.
    for (TTreeNode* node : {folder, note, link, waiting}) {
        NodeRecord(node)->State = CaptureState::Unfinished;
    }
    NodeRecord(done)->State = CaptureState::Completed;
    QAction* stop = window.Actions().Action(TMainAction::ToolButton13);
    struct Step {
        TTreeNode* node;
        bool enabled;
    };
    for (const Step& step :
         {Step{waiting, true}, Step{note, false}, Step{waiting, true}, Step{link, false},
          Step{waiting, true}, Step{folder, false}, Step{done, false}, Step{nullptr, false}}) {
        window.Binder().Items().SetSelected(step.node);
        QApplication::processEvents();
        EXPECT_EQ(stop->isEnabled(), step.enabled)
            << (step.node != nullptr ? step.node->Text() : "nothing");
    }
}

TEST(MainWindow, StatusBarWriterAndItsCallsFromWorkers) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TMarkupStatusPanels& panels = window.StatusBar().Bar().Panels();
    window.modifysb(2, "", -1);
    EXPECT_EQ(panels[2].Text(), "          ");
    EXPECT_EQ(panels[2].Style(), TMarkupStatusPanelStyle::psHTML);
    window.StatusBar().WebBrowserProgressChange(50, 200);
    EXPECT_EQ(panels[3].Style(), TMarkupStatusPanelStyle::psProgress);
    EXPECT_EQ(panels[3].Progress().Position(), 25);
    window.modifysb(7, "no such panel", -1); // ignored

    std::thread worker([&] {
        window.modifysb(0, "from a worker", -1);
        window.Roles().Dialogs.OpenStatusForm("Saving");
    });
    worker.join();
    EXPECT_FALSE(rig.Form4.isVisible());
    ASSERT_TRUE(WaitUntil([&] { return panels[0].Text() == "from a worker"; }));
    ASSERT_TRUE(WaitUntil([&] { return rig.Form4.isVisible(); }));
    EXPECT_EQ(rig.Form4.windowTitle(), "Saving");
    EXPECT_TRUE(rig.Form4.Running());

    rig.Capture.LevelRunning = true; // the level capture's own form reports; this one stays
    window.Roles().Dialogs.CloseStatusForm();
    EXPECT_TRUE(rig.Form4.isVisible());
    rig.Capture.LevelRunning = false;
    window.Roles().Dialogs.CloseStatusForm();
    EXPECT_FALSE(rig.Form4.isVisible());
    EXPECT_EQ(rig.Form4.Position(), 100);
    EXPECT_FALSE(rig.Form4.Running());
}

TEST(WaitForm, StatusMessagesAndTheRunningBar) {
    MainWindowRig rig;
    TCapturePort& port = rig.Make().Roles().Captures.Port();
    TForm4& form = rig.Form4;
    // The capture engine reports from its worker.
    std::thread worker(
        [&port] { port.SavingStatus(StatusForm::Wait, 0, "Parsing page, please wait ...."); });
    worker.join();
    ASSERT_TRUE(WaitUntil([&] { return form.isVisible(); }));
    EXPECT_EQ(form.windowTitle(), "Parsing page, please wait ....");
    EXPECT_TRUE(form.Running());
    Control<QProgressBar>(form, "ProgressBar1")->setValue(98);
    form.Timer1Timer();
    EXPECT_EQ(form.Position(), 99);
    form.Timer1Timer();
    EXPECT_EQ(form.Position(), 0);
    Control<QProgressBar>(form, "ProgressBar1")->setValue(30);
    form.Dispatch({WM_SAVINGSTATUS, 0, 0, "again"}); // restarts from 0
    EXPECT_EQ(form.Position(), 0);
    form.Dispatch({WM_SAVINGSTATUS, 2, 0, {}}); // not for this form
    EXPECT_TRUE(form.isVisible());
    form.Dispatch({WM_SAVINGSTATUS, 1, 0, {}});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Position(), 100);
    EXPECT_FALSE(form.Running());

    // Work on the main thread serves no event meanwhile: only its steps move the bar.
    port.OpenStatusForm("Parsing page, please wait ....");
    ASSERT_TRUE(form.isVisible());
    for (int step = 0; step < 3; ++step) {
        port.UpdateStatusForm();
    }
    EXPECT_EQ(form.Position(), 3);
    port.CloseStatusForm();
    EXPECT_FALSE(form.isVisible());
}

TEST(MainWindow, StoredSideBarWidthAndTheSideBarToggle) {
    MainWindowRig rig;
    rig.Store.WriteValue("Config", "LeftWide", "200");
    TFormVelmorRnx& window = rig.Make();
    ASSERT_TRUE(window.FormCreate(nullptr));
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.LeftPanelWidth(), 200);
    EXPECT_EQ(window.TreePane().TreeView1().width(), 199);
    // Status panel 0 takes what the window gains or loses.
    TMarkupStatusPanel& hints = window.StatusBar().Bar().Panels()[0];
    const int hintsWidth = hints.Width();
    window.resize(window.width() + 100, window.height());
    QCoreApplication::processEvents();
    EXPECT_EQ(hints.Width(), hintsWidth + 100);
    window.ViewLeftSideBarExecute();
    EXPECT_FALSE(window.SideBarShown());
    EXPECT_LE(window.LeftPanelWidth(), 1);
    window.ViewLeftSideBarExecute();
    EXPECT_EQ(window.LeftPanelWidth(), 200);
    ASSERT_TRUE(window.close());
    EXPECT_EQ(rig.Stored("LeftWide"), "200");
    EXPECT_EQ(rig.Stored("LeftEnabled"), "1");
}

TEST(MainWindow, CommandHintsGoToTheHintHandlerOrToTheStatusBarWithAutoHint) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TMarkupStatusBar& bar = window.StatusBar().Bar();
    const auto hover = [&window](const char* name) {
        QAction* command = window.findChild<QAction*>(name);
        EXPECT_NE(command, nullptr) << name;
        command->showStatusText(&window);
        return command->statusTip().toStdString();
    };
    const auto leave = [&window] {
        QStatusTipEvent tip("");
        QApplication::sendEvent(&window, &tip);
    };
    // The application's handler writes panel 0 and keeps the last hint when the mouse leaves.
    const std::string open = hover("FileOpenBinder");
    ASSERT_FALSE(open.empty());
    EXPECT_EQ(rig.Panel(0), open);
    leave();
    EXPECT_EQ(rig.Panel(0), open);

    // Without it the bar shows the hints itself, but only with AutoHint on.
    window.OnApplicationHint = nullptr;
    hover("FileExit");
    EXPECT_EQ(rig.Panel(0), open);
    bar.SetAutoHint(true);
    const std::string exit = hover("FileExit");
    ASSERT_NE(exit, open);
    EXPECT_EQ(rig.Panel(0), exit);
    leave();
    EXPECT_EQ(rig.Panel(0), "");
    bar.SetSimplePanel(true);
    EXPECT_EQ(hover("FileOpenBinder"), open);
    EXPECT_EQ(bar.SimpleText(), open);
    EXPECT_EQ(rig.Panel(0), "");
}

TEST(MainWindow, AnErrorOfAPaintIsShownOnceAfterThePaintAndACommandsEachTime) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    FailingPaint control(&window);
    control.setGeometry(10, 10, 40, 40);
    std::vector<std::string> shown;
    std::vector<int> paintsAtBox;
    window.ApplicationErrors().ShowBox = [&](const std::string& text) {
        shown.push_back(text);
        paintsAtBox.push_back(control.Paints);
        // Under the open box the control is painted again and fails again.
        PaintAgain(control);
    };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    control.Error = "List index out of bounds (3)";
    const int paintsBefore = control.Paints;
    testing::internal::CaptureStderr();
    PaintAgain(control);
    PaintAgain(control);
    ASSERT_EQ(control.Paints, paintsBefore + 2);
    // Nothing from inside the paints; what the control drew before it failed is shown.
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(control.grab().toImage().pixel(20, 5), QColor(Qt::blue).rgb());
    ServeEventsFor(std::chrono::milliseconds(50));
    const std::string first = control.Error;
    EXPECT_EQ(shown, std::vector<std::string>{first});
    // Shown after the paints that raised it.
    EXPECT_EQ(paintsAtBox, std::vector<int>{paintsBefore + 2});
    // After its box, the same error is not shown again either.
    PaintAgain(control);
    ServeEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(shown.size(), 1u);

    // Another error still shows, once.
    control.Error = "Canvas does not allow drawing";
    PaintAgain(control);
    PaintAgain(control);
    ServeEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(shown, (std::vector<std::string>{first, control.Error}));
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("tarnwick: " + first + "\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("tarnwick: " + control.Error + "\n"), std::string::npos) << errors;

    // A command's error is shown at once, each time it is raised.
    window.ApplicationErrors().ShowBox = [&](const std::string& text) { shown.push_back(text); };
    for (int i = 0; i < 2; ++i) {
        GuardEvent([&] { throw std::runtime_error(first); });
        EXPECT_EQ(shown.size(), 3u + static_cast<size_t>(i));
        EXPECT_EQ(shown.back(), first);
    }
}
