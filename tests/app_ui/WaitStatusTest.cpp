// The wait form's status role on its own, without a main window: calls from workers reach the
// form on the main thread, a capture with linked pages keeps the form as it is unless the form
// is held around an export, and Cancel counts only while it is held.
#include "app/ui/WaitStatus.h"
#include "app/capture/CapturePort.h"
#include "app/ui/WaitForm.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FakeCaptureStarter.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <thread>

TEST(WaitStatus, CallsFromAWorkerReachTheFormOnTheMainThreadAndALevelCaptureKeepsIt) {
    ScopedEventLoopInvoker invoker;
    TForm4 form;
    FakeCaptureStarter capture;
    TWaitStatus status;
    status.SetForm(&form);
    status.SetCaptureStarter(&capture);

    std::thread([&] { status.OpenStatusForm("Saving"); }).join();
    EXPECT_FALSE(form.isVisible()); // not shown from the worker itself
    ASSERT_TRUE(WaitUntil([&] { return form.isVisible(); }));
    EXPECT_EQ(form.windowTitle(), "Saving");
    const int before = form.Position();
    status.UpdateStatusForm();
    EXPECT_EQ(form.Position(), (before + 1) % 100);

    capture.LevelRunning = true;
    status.UpdateStatusForm(); // the level capture's own form reports
    EXPECT_EQ(form.Position(), (before + 1) % 100);
    std::thread([&] { status.CloseStatusForm(); }).join();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    status.OpenStatusForm("Other");
    EXPECT_EQ(form.windowTitle(), "Saving");

    capture.LevelRunning = false;
    std::thread([&] { status.CloseStatusForm(); }).join();
    ASSERT_TRUE(WaitUntil([&] { return !form.isVisible(); }));
    EXPECT_EQ(form.Position(), 100);
}

TEST(WaitStatus, AHeldFormClosesDuringALevelCaptureAndCancelCountsOnlyWhileHeld) {
    ScopedEventLoopInvoker invoker;
    TForm4 form;
    FakeCaptureStarter capture;
    TWaitStatus status;
    status.SetForm(&form);
    status.SetCaptureStarter(&capture);

    status.OpenWaitForm("Compiling", true);
    ASSERT_TRUE(form.isVisible());
    EXPECT_FALSE(status.StatusCancelled());
    auto* cancel = form.findChild<QPushButton*>("CancelButton");
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_TRUE(status.StatusCancelled());

    capture.LevelRunning = true;
    status.CloseWaitForm();
    EXPECT_FALSE(form.isVisible());
    // The form no longer held: its Cancel of before says nothing about later work.
    EXPECT_FALSE(status.StatusCancelled());
}

// The work under a held form goes on until it closes the form: the form's close box asks for
// its Cancel, as the program's end does, and takes nothing away meanwhile.
TEST(WaitStatus, AHeldFormStaysUpUntilItsWorkEndsAndClosingItOrAnEndCancels) {
    ScopedEventLoopInvoker invoker;
    TForm4 form;
    TWaitStatus status;
    status.SetForm(&form);
    int cancels = 0;
    status.OpenWaitForm("Adding page, please wait ....", true);
    status.WhenCancelled([&cancels] { ++cancels; });
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(cancels, 1);
    status.CancelHeldWork();
    EXPECT_EQ(cancels, 2);
    EXPECT_TRUE(status.StatusCancelled());
    status.CloseWaitForm();
    EXPECT_FALSE(form.isVisible());

    // Without Cancel (an export, the tree write) the close box does nothing, nor does an end.
    status.OpenWaitForm("Exporting", false);
    EXPECT_FALSE(form.close());
    status.CancelHeldWork();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(status.StatusCancelled());
    status.CloseWaitForm();
    status.OpenStatusForm("");
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    status.CloseStatusForm();
    EXPECT_FALSE(form.isVisible());
}

TEST(WaitStatus, WithoutAFormEveryCallDoesNothing) {
    ScopedEventLoopInvoker invoker;
    TWaitStatus status;
    status.OpenStatusForm("Saving");
    status.UpdateStatusForm();
    status.OpenWaitForm("Compiling", true);
    EXPECT_FALSE(status.StatusCancelled());
    status.CloseStatusForm();
    EXPECT_EQ(status.Form(), nullptr);
}

// Work on the main thread (a tree write) gets the form on the screen before it starts, with
// nothing but the window system and posted calls served meanwhile; the form takes the keyboard
// from no window (the work serves no input, so what is typed meanwhile waits for it); the
// workers' calls and the captures' status messages leave it to that work, which closes it with
// its last close.
TEST(WaitStatus, WorkOnTheMainThreadHasTheFormUpDrawnWithoutHoldingTheWindowUntilItClosesIt) {
    ScopedEventLoopInvoker invoker;
    TForm4 form;
    TWaitStatus status;
    status.SetForm(&form);
    bool timerFired = false;
    QTimer due;
    due.setSingleShot(true);
    QObject::connect(&due, &QTimer::timeout, [&] { timerFired = true; });
    due.start(0);

    status.OpenStatusForm("");
    ASSERT_TRUE(form.isVisible());
    ASSERT_NE(form.windowHandle(), nullptr);
    EXPECT_TRUE(form.windowHandle()->isExposed());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(timerFired) << "a timer ran before the work it waits for";

    std::thread([&] { status.CloseStatusForm(); }).join();
    std::thread([&] { status.OpenStatusForm("Capture"); }).join();
    form.Dispatch({WM_SAVINGSTATUS, 1, 0, {}});
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "");

    status.OpenStatusForm("again"); // a save inside the work
    status.CloseStatusForm();
    EXPECT_TRUE(form.isVisible());
    status.CloseStatusForm();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::NonModal);

    // A worker's form is shown as it comes, holding nothing.
    std::thread([&] { status.OpenStatusForm("Capture"); }).join();
    ASSERT_TRUE(WaitUntil([&] { return form.isVisible(); }));
    EXPECT_EQ(form.windowModality(), Qt::NonModal);
    EXPECT_EQ(form.windowTitle(), "Capture");
    std::thread([&] { status.CloseStatusForm(); }).join();
    ASSERT_TRUE(WaitUntil([&] { return !form.isVisible(); }));
}

// A tree write inside a held export or import walks the tree while it steps the bar: its steps
// serve no event, those of the held work before and after it do.
TEST(WaitStatus, TheStepsOfATreeWriteInsideAHeldFormServeNoEvent) {
    ScopedEventLoopInvoker invoker;
    TForm4 form;
    TWaitStatus status;
    status.SetForm(&form);
    status.OpenWaitForm("Importing", false);
    bool ran = false;
    QMetaObject::invokeMethod(
        &form, [&] { ran = true; }, Qt::QueuedConnection);

    status.OpenStatusForm("");
    status.UpdateStatusForm();
    status.UpdateStatusForm();
    EXPECT_FALSE(ran);
    EXPECT_EQ(form.Position(), 2);
    status.CloseStatusForm();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Importing");

    status.UpdateStatusForm();
    EXPECT_TRUE(ran);
    status.CloseWaitForm();
    EXPECT_FALSE(form.isVisible());
}
