// A message box raised from inside a dialog, on a real display: the Find dialog's "Search
// complete" is drawn before any key is pressed, over the dialog it came from, and the dialog's
// label hands its Alt key to the field. On a desktop, the help that no program opens is said
// once.
#include "app/ui/NotesPrompts.h"
#include "app/ui/dialogs/FindDialog.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/app_ui/display/ScreenPixels.h"
#include "tests/support/FormControls.h"
#include "tests/support/StandInOpener.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct ScreenInk {
    int Light = 0; // pixels of the box's own background
    int Dark = 0;  // pixels of its text
};

// Reads a widget's area from the screen, as the X server shows it.
ScreenInk ReadScreen(QWidget& widget) {
    const QImage shot = ScreenPixels(widget, widget.rect());
    const int background = widget.palette().color(QPalette::Window).lightness();
    ScreenInk ink;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const int lightness = QColor(shot.pixel(x, y)).lightness();
            ink.Light += std::abs(lightness - background) < 12 ? 1 : 0;
            ink.Dark += lightness < 90 ? 1 : 0;
        }
    }
    return ink;
}

// Reads the next message box that comes up: its text and caption, the window it belongs to and
// what the screen shows of its text, after events were served with no key pressed; then closes
// it.
struct BoxWatch {
    std::string Text;
    QWidget* Parent = nullptr;
    ScreenInk Label;

    void Arm() {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            timer->stop();
            timer->deleteLater();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
            QTest::qWait(300); // events served, no key pressed
            Text = box->text().toStdString() + "|" + box->windowTitle().toStdString();
            Parent = box->parentWidget();
            if (auto* shown = box->findChild<QLabel*>("qt_msgbox_label")) {
                Label = ReadScreen(*shown);
            }
            box->accept();
        });
        timer->start();
    }
};

// The tip form opened from the Help menu and its help asked for, `meanwhile` done once it shows:
// no help file is installed in the test's folder, so opening it fails with a box, which `watch`
// reads. The tip form, or null when none opened.
QWidget* AskTheTipFormForHelp(TFormVelmorRnx& window, BoxWatch& watch,
                              const std::function<void()>& meanwhile = {}) {
    QWidget* tipForm = nullptr;
    WhenModal([&](QWidget* tip) {
        tipForm = tip;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(tip));
        if (meanwhile) {
            meanwhile();
        }
        watch.Arm();
        QTest::mouseClick(Control<QPushButton>(*tip, "Button3"), Qt::LeftButton);
        static_cast<QDialog*>(tip)->reject();
    });
    window.findChild<QAction*>("TipsofTheDay1")->trigger();
    return tipForm;
}

} // namespace

TEST(DialogMessageDisplay, TheTipFormsHelpErrorIsDrawnOverTheTipForm) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    BoxWatch watch;
    QWidget* tipForm = AskTheTipFormForHelp(window, watch);
    ASSERT_NE(tipForm, nullptr);
    ASSERT_FALSE(watch.Text.empty());
    EXPECT_EQ(watch.Parent, tipForm);
    EXPECT_GT(watch.Label.Light, watch.Label.Dark);
    EXPECT_GT(watch.Label.Dark, 10);
    rig.Window.reset();
}

// Another window holding the focus while the tip form is open (another program's, or one the
// window manager activated) does not take the box away from the form it came from.
TEST(DialogMessageDisplay, TheTipFormsHelpErrorStaysWithTheTipFormWhateverWindowIsActive) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWidget other;
    other.resize(200, 100);
    BoxWatch watch;
    QWidget* tipForm = AskTheTipFormForHelp(window, watch, [&] {
        other.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&other));
        QApplication::setActiveWindow(&other);
        EXPECT_EQ(QApplication::activeWindow(), &other);
    });
    ASSERT_NE(tipForm, nullptr);
    ASSERT_FALSE(watch.Text.empty());
    EXPECT_EQ(watch.Parent, tipForm);
    rig.Window.reset();
}

TEST(DialogMessageDisplay, SearchCompleteIsDrawnBeforeAnyKeyOverTheFindDialog) {
    QWidget page;
    page.resize(700, 400);
    FakeNotesHost host;
    TQtNotesPrompts prompts(page);
    TImageList images;
    FillMainImages(images);
    TNotesCommands notes(page, host, prompts, images);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    notes.Action(TNoteAction::RFind)->trigger();
    TFindDialog& find = notes.FindDialog1();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&find));
    find.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&find));

    // The label's mnemonic moves the focus into its field.
    auto* field = find.findChild<QLineEdit*>();
    auto* matchCase = find.findChild<QCheckBox*>();
    ASSERT_NE(field, nullptr);
    matchCase->setFocus();
    QTest::keyClick(&find, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(field->hasFocus());
    auto* caption = find.findChild<QLabel*>("FindWhatLabel");
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->buddy(), field);
    QTest::keyClicks(field, "zzz");

    BoxWatch watch;
    watch.Arm();
    auto* findNext = find.findChild<QPushButton*>();
    for (QPushButton* button : find.findChildren<QPushButton*>()) {
        findNext = button->text() == "&Find Next" ? button : findNext;
    }
    QTest::mouseClick(findNext, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return !watch.Text.empty(); }));
    EXPECT_EQ(watch.Text, "Can't find|Search complete");
    // It belongs to the dialog it was raised from, so it stands over that dialog.
    EXPECT_EQ(watch.Parent, &find);
    // Drawn: mostly the box's own background, with the text's strokes in it.
    EXPECT_GT(watch.Label.Light, watch.Label.Dark);
    EXPECT_GT(watch.Label.Dark, 10);
}

// On a desktop the help goes to the desktop's opener, here a stand-in first on PATH. When no
// program opens the file the opener fails after it has started: one box says so. When it
// opens it, nothing is said.
TEST(DialogMessageDisplay, HelpContentsSaysOnceWhenNoProgramOpensTheHelp) {
    for (const int status : {3, 0}) {
        SCOPED_TRACE(status);
        MainWindowRig rig;
        TFormVelmorRnx& window = rig.Make();
        TempDir work;
        rig.Settings.WorkDir = work.Str();
        WriteFileBytes(work / "tqzhelp.chm", "help");
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        StandInOpener opener(status);
        BoxCatcher boxes;
        window.findChild<QAction*>("HelpContent")->trigger();
        EXPECT_TRUE(WaitUntil([&] { return !opener.Runs().empty(); }));
        // Long enough for the opener's end to be served, and for a box to come up.
        (void)WaitUntil([&] { return !boxes.Boxes.empty(); }, std::chrono::seconds(2));
        QTest::qWait(300);
        EXPECT_EQ(opener.Runs(), std::vector<std::string>{(work / "tqzhelp.chm").string()});
        const std::vector<std::string> expected = {"Operation Error!: Could not run program '" +
                                                   (work / "tqzhelp.chm").string() + "'"};
        EXPECT_EQ(boxes.Boxes, status == 0 ? std::vector<std::string>{} : expected);
        rig.Window.reset();
    }
}
