// The main window's small forms on a real display: the tip at start-up, the download manager on
// Ctrl+D over a real task queue, and a screenshot of each form.
#include "app/capture/taskqueue.h"
#include "app/ui/UtilityCommands.h"
#include "app/ui/dialogs/downloadmgr.h"
#include "app/ui/dialogs/tip.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/Screenshot.h"
#include "tests/support/FormControls.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

// Opens the form of `command`, takes its picture and closes it.
void ShootForm(TFormVelmorRnx& window, const char* command, const char* file) {
    bool shot = false;
    WhenModal([&](QWidget* form) {
        QCoreApplication::processEvents();
        Screenshot(*form, file);
        shot = true;
        static_cast<QDialog*>(form)->reject();
    });
    window.findChild<QAction*>(command)->trigger();
    EXPECT_TRUE(shot) << command;
}

} // namespace

TEST(UtilityFormsDisplay, TipAtStartAndTheDownloadManagerOnCtrlD) {
    TaskQueue queue; // the lifecycle is a fake, so nothing ever starts its poller
    MainWindowRig rig;
    rig.Settings.ShowTips = true;
    TFormVelmorRnx& window = rig.Make({"tarnwick", "/nodde", "/tip"}, &queue);
    window.Utilities().SetTipClock([] { return QDate(2026, 12, 25); });
    ASSERT_TRUE(window.FormCreate(nullptr));
    rig.Lifecycle.Open = true;
    rig.Paths.BinderName = "default";
    rig.Paths.BinderRoot = rig.Folder.Str();
    auto record = std::make_unique<TPageInfo>();
    record->Kind = NodeKind::WebPage;
    record->Id = 0x51;
    record->RequestedUrl = "http://example.test/queued.htm";
    record->State = CaptureState::Unfinished;
    TTreeNode* page = window.Binder().Items().AddChildObject(
        nullptr, "http://example.test/queued.htm", std::move(record));
    Task task("http://example.test/queued.htm", rig.Folder.Str() + "/store/51", UnfinishedPageKind);
    task.NodeId = 0x51;
    queue.AddTask(task);

    std::vector<int> tips;
    WhenModalIs<TForm1>([&](TForm1* tip) {
        QCoreApplication::processEvents();
        tips.push_back(tip->TipIndex());
        Screenshot(*tip, "tip-of-the-day.png");
        Control<QPushButton>(*tip, "Button2")->click();
        tips.push_back(tip->TipIndex());
        Control<QCheckBox>(*tip, "CheckBox1")->setChecked(false);
        Control<QPushButton>(*tip, "Button1")->click();
    });
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(WaitUntil([&] { return tips.size() == 2 && !QApplication::activeModalWidget(); }));
    EXPECT_EQ(tips, (std::vector<int>{6, 7}));
    EXPECT_FALSE(rig.Settings.ShowTips);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    std::vector<std::string> listed;
    WhenModalIs<TForm8>([&](TForm8* manager) {
        QCoreApplication::processEvents();
        Screenshot(*manager, "download-manager.png");
        QTreeWidget* list = Control<QTreeWidget>(*manager, "ListView1");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            listed.push_back(list->topLevelItem(i)->text(0).toStdString() + " " +
                             list->topLevelItem(i)->text(2).toStdString());
        }
        if (list->topLevelItemCount() > 0) {
            list->setCurrentItem(list->topLevelItem(0));
            Control<QPushButton>(*manager, "SpeedButton1")->click();
        }
        EXPECT_EQ(list->topLevelItemCount(), 0);
        Control<QPushButton>(*manager, "SpeedButton2")->click();
    });
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([&] { return !QApplication::activeModalWidget(); }));
    EXPECT_EQ(listed, std::vector<std::string>{"http://example.test/queued.htm pending"});
    EXPECT_EQ(queue.At(0).State, TaskCancelled);

    NodeRecord(page)->State = CaptureState::Completed; // a finished page gets a new address
    window.Binder().Items().SetSelected(page);
    window.TreeView1Click();
    ShootForm(window, "Options", "options.png");
    ShootForm(window, "ToolChangeURL", "change-url.png");
    ShootForm(window, "HelpAbout", "about.png");
    rig.Settings.AskBeforeClose = false;
}
