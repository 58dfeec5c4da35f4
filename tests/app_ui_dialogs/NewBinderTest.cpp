#include "app/ui/dialogs/NewBinder.h"

#include "tests/support/FormControls.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
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

// The binder file writes a blank as "%20" and reads "%20" back as a blank: a "%20" of the user's
// own in the folder or the name would put the binder's tree and pages in a folder never chosen.
// Finish refuses it with a message, on the tab of the field at fault, and the wizard stays.
TEST(NewBinderDlg, FinishRefusesAPercentTwentyInTheFolderOrTheNameWithAMessage) {
    std::vector<std::string> boxes;
    QTimer boxAnswer;
    QObject::connect(&boxAnswer, &QTimer::timeout, [&boxes] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            boxes.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
            box->accept();
        }
    });
    boxAnswer.start(5);
    struct Seen {
        size_t Boxes;
        bool Shown;
        int Tab;
    };
    std::vector<Seen> seen;
    QTimer::singleShot(0, [&] {
        auto* wizard = static_cast<TNewBinderDlg*>(QApplication::activeModalWidget());
        auto* tabs = Control<QTabWidget>(*wizard, "PageControl1");
        auto* finish = Control<QPushButton>(*wizard, "Button7");
        const auto look = [&] {
            seen.push_back({boxes.size(), wizard->isVisible(), tabs->currentIndex()});
        };
        Control<QPushButton>(*wizard, "Button6")->click();
        Control<QLineEdit>(*wizard, "Edit2")->setText("x%20y");
        ASSERT_TRUE(finish->isEnabled());
        finish->click();
        look();
        Control<QLineEdit>(*wizard, "Edit2")->setText("plain");
        Control<QLineEdit>(*wizard, "Edit1")->setText("/data/x%20y/binders");
        finish->click();
        look();
        // A blank is kept as "%20" and read back as itself.
        Control<QLineEdit>(*wizard, "Edit1")->setText("/data/x y");
        Control<QPushButton>(*wizard, "Button6")->click();
        finish->click();
    });
    const std::optional<TNewBinderChoice> choice = ShowNewBinderDialog(nullptr, "/data");
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].Boxes, 1u);
    EXPECT_TRUE(seen[0].Shown);
    EXPECT_EQ(seen[0].Tab, 1) << "the name's tab";
    EXPECT_EQ(seen[1].Boxes, 2u);
    EXPECT_TRUE(seen[1].Shown);
    EXPECT_EQ(seen[1].Tab, 0) << "the folder's tab";
    ASSERT_EQ(boxes.size(), 2u);
    for (const std::string& box : boxes) {
        EXPECT_TRUE(box.starts_with("New Binder Wizard: ")) << box;
        EXPECT_NE(box.find("\"%20\""), std::string::npos) << box;
    }
    EXPECT_NE(boxes[0], boxes[1]) << "each names the field at fault";
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->Folder + "|" + choice->Name, "/data/x y|plain");
}
