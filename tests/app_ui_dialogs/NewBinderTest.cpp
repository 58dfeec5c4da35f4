#include "app/ui/dialogs/NewBinder.h"

#include "tests/support/FormControls.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

TEST(NewBinderDlg, NextPreviousTabsAndFinishOnlyForAValidName) {
    TNewBinderDlg wizard(nullptr, "/home/u/binders");
    EXPECT_FALSE(Control<QPushButton>(wizard, "Button7")->isEnabled());

    Control<QPushButton>(wizard, "Button6")->click();
    EXPECT_EQ(Control<QTabWidget>(wizard, "PageControl1")->currentWidget(),
              Control<QWidget>(wizard, "TabSheet2"));
    EXPECT_EQ(Control<QPushButton>(wizard, "Button6")->text(), "<<Previous");
    EXPECT_TRUE(Control<QPushButton>(wizard, "Button7")->isEnabled() &&
                Control<QPushButton>(wizard, "Button7")->isDefault());
    for (const char* name : {"", "a/b", "a\\b"}) {
        Control<QLineEdit>(wizard, "Edit2")->setText(name);
        EXPECT_FALSE(Control<QPushButton>(wizard, "Button7")->isEnabled()) << name;
    }
    Control<QLineEdit>(wizard, "Edit2")->setText("My Binder");
    EXPECT_TRUE(Control<QPushButton>(wizard, "Button7")->isEnabled());

    // A tab click moves the wizard as the button does.
    Control<QTabWidget>(wizard, "PageControl1")->setCurrentIndex(0);
    EXPECT_EQ(Control<QPushButton>(wizard, "Button6")->text(), "Next>>");
    EXPECT_TRUE(!Control<QPushButton>(wizard, "Button7")->isEnabled() &&
                Control<QPushButton>(wizard, "Button6")->isDefault());
    Control<QTabWidget>(wizard, "PageControl1")->setCurrentIndex(1);
    EXPECT_TRUE(Control<QPushButton>(wizard, "Button7")->isEnabled());
}

TEST(NewBinderDlg, FinishGivesTheChoiceAndCancelNothing) {
    auto finish = [] {
        auto* wizard = static_cast<TNewBinderDlg*>(QApplication::activeModalWidget());
        Control<QPushButton>(*wizard, "Button6")->click();
        Control<QLineEdit>(*wizard, "Edit2")->setText("notes");
        Control<QPlainTextEdit>(*wizard, "Edit3")->setPlainText("line 1\nline 2");
        Control<QPushButton>(*wizard, "Button7")->click();
    };
    QTimer::singleShot(0, finish);
    const std::optional<TNewBinderChoice> choice = ShowNewBinderDialog(nullptr, "/data");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->Folder + "|" + choice->Name + "|" + choice->Description,
              "/data|notes|line 1\nline 2");

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(ShowNewBinderDialog(nullptr, "/data"), std::nullopt);
}
