// The wait form's status role on its own, without a main window: calls from workers reach the
// form on the main thread, a capture with linked pages keeps the form as it is unless the form
// is held around an export, and Cancel counts only while it is held.
#include "app/ui/WaitStatus.h"
#include "app/ui/WaitForm.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FakeCaptureStarter.h"

#include <QPushButton>
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
