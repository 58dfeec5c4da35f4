// The notes editor's tool bars in the main window at its first size: every command is a
// button on screen with a picture, none pushed behind the tool bar's "more" button.
#include "app/ui/NotesCommands.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/UiTestSupport.h"

#include <QAction>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(NotesToolBarDisplay, EveryCommandShowsAsAPictureAtTheFirstWindowSize) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* note = rig.Add(NodeKind::Notes, "A note");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Binder().Items().SetSelected(note);
    TRichNoteEdit& edit = window.NotesPart().Commands().RichNoteEdit1();
    ASSERT_TRUE(WaitUntil([&] { return edit.isVisible(); }));
    QApplication::processEvents();
    QWidget* page = edit.parentWidget();
    ASSERT_LE(window.width(), 900); // the first size, no wider

    int buttons = 0;
    for (int i = 0; i <= static_cast<int>(TNoteAction::ToolButton56); ++i) {
        const auto which = static_cast<TNoteAction>(i);
        if (which == TNoteAction::RDelete || which == TNoteAction::RSelectAll) {
            continue; // menu entries only
        }
        QAction* action = window.NotesPart().Commands().Action(which);
        QWidget* button = nullptr;
        for (QToolBar* bar : page->findChildren<QToolBar*>()) {
            button = button != nullptr ? button : bar->widgetForAction(action);
        }
        ASSERT_NE(button, nullptr) << action->objectName().toStdString();
        EXPECT_TRUE(button->isVisible()) << action->objectName().toStdString();
        // Wholly inside the page, not cut by its right edge.
        const QRect onPage(button->mapTo(page, QPoint(0, 0)), button->size());
        EXPECT_TRUE(page->rect().contains(onPage)) << action->objectName().toStdString();
        auto* tool = qobject_cast<QToolButton*>(button);
        ASSERT_NE(tool, nullptr);
        EXPECT_EQ(tool->toolButtonStyle(), Qt::ToolButtonIconOnly);
        EXPECT_FALSE(tool->icon().isNull()) << action->objectName().toStdString();
        ++buttons;
    }
    EXPECT_EQ(buttons, 29);
    for (QToolBar* bar : page->findChildren<QToolBar*>()) {
        if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button")) {
            EXPECT_FALSE(more->isVisible()) << bar->objectName().toStdString();
        }
    }
    // The main tool bar's buttons are pictures too, but for the side bar's, named in the tips.
    auto* main = window.findChild<QToolBar*>("ToolBar1");
    ASSERT_NE(main, nullptr);
    for (QAction* action : main->actions()) {
        auto* tool = qobject_cast<QToolButton*>(main->widgetForAction(action));
        if (tool != nullptr && !action->isSeparator() && action->objectName() != "ToolButton62") {
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
    }
    rig.Window.reset();
}
