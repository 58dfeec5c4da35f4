#include "app/ui/dialogs/NewBinder.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

TEST(NewBinderDlg, NextPreviousTabsAndFinishOnlyForAValidName) {
    TNewBinderDlg wizard(nullptr, "/home/u/binders");
    EXPECT_EQ(wizard.PageControl1->tabText(0) + wizard.PageControl1->tabText(1),
              "Diretory LocationBinder Infomation");
    EXPECT_EQ(wizard.Button6->text(), "Next >>");
    EXPECT_FALSE(wizard.Button7->isEnabled());

    wizard.Button6->click();
    EXPECT_EQ(wizard.PageControl1->currentWidget(), wizard.TabSheet2);
    EXPECT_EQ(wizard.Button6->text(), "<<Previous");
    EXPECT_TRUE(wizard.Button7->isEnabled() && wizard.Button7->isDefault());
    for (const char* name : {"", "a/b", "a\\b"}) {
        wizard.Edit2->setText(name);
        EXPECT_FALSE(wizard.Button7->isEnabled()) << name;
    }
    wizard.Edit2->setText("My Binder");
    EXPECT_TRUE(wizard.Button7->isEnabled());

    // A tab click moves the wizard as the button does.
    wizard.PageControl1->setCurrentIndex(0);
    EXPECT_EQ(wizard.Button6->text(), "Next>>");
    EXPECT_TRUE(!wizard.Button7->isEnabled() && wizard.Button6->isDefault());
    wizard.PageControl1->setCurrentIndex(1);
    EXPECT_TRUE(wizard.Button7->isEnabled());
}

TEST(NewBinderDlg, FinishGivesTheChoiceAndCancelNothing) {
    auto finish = [] {
        auto* wizard = static_cast<TNewBinderDlg*>(QApplication::activeModalWidget());
        wizard->Button6->click();
        wizard->Edit2->setText("notes");
        wizard->Edit3->setPlainText("line 1\nline 2");
        wizard->Button7->click();
    };
    QTimer::singleShot(0, finish);
    const std::optional<TNewBinderChoice> choice = ShowNewBinderDialog(nullptr, "/data");
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->Folder + "|" + choice->Name + "|" + choice->Description,
              "/data|notes|line 1\nline 2");

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(ShowNewBinderDialog(nullptr, "/data"), std::nullopt);
}
