#include "app/ui/dialogs/UnitLocation.h"

#include "app/binder/TreeFile.h"
#include "app/ui/dialogs/LocationRules.h"
#include "app/ui/dialogs/PopupFrameUnit.h"
#include "app/ui/dialogs/UpDown.h"

#include "tests/app_binder/BinderTreeFixture.h"
#include "tests/app_ui_dialogs/FakeAddItemHost.h"
#include "tests/support/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Folders F(G) and H with a page inside F: the dump holds F, G and H only.
struct FolderDump {
    TTreeNodes tree;
    std::string dump;
    FolderDump() {
        TTreeNode* f = AddRecord(tree, nullptr, NodeKind::Folder, 0xF, "F");
        AddRecord(tree, f, NodeKind::Folder, 0x6, "G");
        AddRecord(tree, f, NodeKind::WebPage, 0xA1, "P");
        AddRecord(tree, nullptr, NodeKind::Folder, 0x8, "H");
        dump = BinderFolderDump(tree);
    }
};

std::string Text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

TEST(LocationRules, BinderEntriesLevelsAndDropDownPlace) {
    EXPECT_EQ(BinderNamePart("/x/my.binder.bdf"), "my.binder");
    EXPECT_EQ(BinderNamePart("C:\\b\\a--b.bdf"), "a--b");
    EXPECT_EQ(BinderNamePart("/x.d/file"), "");
    EXPECT_EQ(BinderListEntry("/x/noext"), " -- /x/noext");

    // Typed by hand, the number goes on as typed; only the up-down keeps to 0..6.
    EXPECT_EQ(ParseCaptureLevels("9"), 9);
    EXPECT_EQ(ParseCaptureLevels("-2"), -2);
    EXPECT_EQ(ParseCaptureLevels("abc"), std::nullopt);
    EXPECT_EQ(StepCaptureLevels("6", true), 6);
    EXPECT_EQ(StepCaptureLevels("0", false), 0);
    EXPECT_EQ(StepCaptureLevels("abc", true), 1);
    EXPECT_EQ(StepCaptureLevels("9", false), 6);
    EXPECT_EQ(StepCaptureLevels("2147483647", true), 6);

    EXPECT_EQ(PopupFrameTop(100, 120, 117, 768), 120);
    EXPECT_EQ(PopupFrameTop(700, 720, 117, 768), 583); // would pass the bottom: above the field
}

TEST(FormLoc, MenuModeFoldersBinderListAndItemKinds) {
    FolderDump folders;
    FakeAddItemHost host;
    host.OpenPath = "/b/a--b.bdf";
    host.Binders = {"/b/one.bdf", "", "/b/a--b.bdf", "/B/A--B.bdf"};
    TFormLoc dialog(nullptr, host, -1, 0x6, folders.dump);
    dialog.show();

    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit1")), "G");
    EXPECT_EQ(dialog.PickedFolderId(), 0x6u);
    EXPECT_EQ(Control<QTreeWidget>(dialog, "TreeView1")->topLevelItemCount(), 2);
    ASSERT_EQ(Control<QComboBox>(dialog, "ListBox1")->count(), 3);
    EXPECT_EQ(Control<QComboBox>(dialog, "ListBox1")->itemText(1), "a--b -- /b/a--b.bdf");
    EXPECT_EQ(dialog.BinderIndex(), 1);

    // Note hides the URL; Web Page brings it back; Link keeps what was typed.
    dialog.SetUrl("http://typed.example/");
    Control<QRadioButton>(dialog, "RadioButton2")->click();
    EXPECT_EQ(dialog.ItemKind(), NodeKind::Notes);
    EXPECT_FALSE(Control<QLineEdit>(dialog, "Edit2")->isEnabled() ||
                 Control<QLabel>(dialog, "StaticText3")->isEnabled());
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit2")), "");
    Control<QRadioButton>(dialog, "RadioButton1")->click();
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit2")), "http://typed.example/");
    dialog.SetUrl("http://other.example/");
    Control<QRadioButton>(dialog, "RadioButton3")->click();
    EXPECT_EQ(dialog.ItemKind(), NodeKind::Link);
    Control<QRadioButton>(dialog, "RadioButton1")->click();
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit2")), "http://other.example/");
    EXPECT_EQ(dialog.ItemKind(), NodeKind::WebPage);

    host.FileAnswer = "/pages/a b.htm";
    Control<QToolButton>(dialog, "Button2")->click();
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit2")), "file:///pages/a b.htm");
    ASSERT_EQ(host.FileDialogs.size(), 1u);
    EXPECT_EQ(host.FileDialogs[0].InitialDir + host.FileDialogs[0].Filter,
              "/last/dirHtml Files|*.htm;*.html;*.shtml|");

    // A dump without the marker leaves the main tree's folder and no pick.
    host.FolderLabel = "Main Folder";
    TFormLoc bad(nullptr, host, -1, 0x6, "a#NotADump3#1.0");
    EXPECT_EQ(Text(Control<QLineEdit>(bad, "Edit1")), "Main Folder");
    EXPECT_EQ(bad.PickedFolderId(), std::nullopt);
    EXPECT_EQ(Control<QTreeWidget>(bad, "TreeView1")->topLevelItemCount(), 0);
}

TEST(FormLoc, FolderDropDownPicksOnMouseUpExceptOnAnExpandButton) {
    FolderDump folders;
    FakeAddItemHost host;
    TFormLoc dialog(nullptr, host, -1, std::nullopt, folders.dump);
    dialog.show();
    QTreeWidget* tree = Control<QTreeWidget>(dialog, "TreeView1");
    QTreeWidgetItem* f = tree->topLevelItem(0);
    QTreeWidgetItem* h = tree->topLevelItem(1);

    Control<QToolButton>(dialog, "DropDownButton")->click();
    ASSERT_TRUE(Control<TPopupFrame>(dialog, "PopupFrame1")->isVisible());
    const QRect fRect = tree->visualItemRect(f);
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {},
                        QPoint(fRect.left() - tree->indentation() / 2, fRect.center().y()));
    EXPECT_TRUE(Control<TPopupFrame>(dialog, "PopupFrame1")->isVisible());
    tree->setCurrentItem(h);
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(h).center());
    EXPECT_FALSE(Control<TPopupFrame>(dialog, "PopupFrame1")->isVisible());
    EXPECT_EQ(dialog.PickedFolderId(), 0x8u);
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit1")), "H");

    // A press outside the drop-down takes the selection too.
    Control<QToolButton>(dialog, "DropDownButton")->click();
    f->setExpanded(true);
    tree->setCurrentItem(f->child(0));
    QTest::mousePress(Control<TPopupFrame>(dialog, "PopupFrame1"), Qt::LeftButton, {},
                      QPoint(-5, -5));
    EXPECT_FALSE(Control<TPopupFrame>(dialog, "PopupFrame1")->isVisible());
    EXPECT_EQ(dialog.PickedFolderId(), 0x6u);
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit1")), "G");
}

TEST(FormLoc, LevelsStayInRangeAndTextThatIsNoNumberIsAnswered) {
    FakeAddItemHost host;
    TFormLoc dialog(nullptr, host, -1, std::nullopt, "");
    dialog.SetUrl("http://example.com/");
    dialog.show();
    Control<QRadioButton>(dialog, "RadioButton5")->click();
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit4")), "1");
    EXPECT_TRUE(Control<QLineEdit>(dialog, "Edit4")->isEnabled() &&
                Control<QCheckBox>(dialog, "CheckBox1")->isEnabled());
    for (int i = 0; i < 8; ++i) {
        Control<TUpDown>(dialog, "UpDown1")->UpButton->click();
    }
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit4")), "6");
    for (int i = 0; i < 6; ++i) {
        Control<TUpDown>(dialog, "UpDown1")->DownButton->click();
    }
    EXPECT_EQ(Text(Control<QLineEdit>(dialog, "Edit4")), "0");
    EXPECT_TRUE(Control<QRadioButton>(dialog, "RadioButton4")->isChecked());
    EXPECT_FALSE(Control<QLineEdit>(dialog, "Edit4")->isEnabled() ||
                 Control<TUpDown>(dialog, "UpDown1")->isEnabled());

    Control<QRadioButton>(dialog, "RadioButton5")->click();
    Control<QCheckBox>(dialog, "CheckBox1")->setChecked(true);
    Control<QLineEdit>(dialog, "Edit4")->setText("abc");
    Control<QPushButton>(dialog, "Button1")->click();
    EXPECT_EQ(host.Messages, std::vector<std::string>{"'abc' is not a valid integer value"});
    EXPECT_TRUE(dialog.isVisible());
    Control<QLineEdit>(dialog, "Edit4")->setText("40");
    Control<QPushButton>(dialog, "Button1")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const CaptureOptions options = dialog.Options();
    EXPECT_EQ(std::tie(options.Mode, options.Levels, options.CurrentWebOnly),
              std::make_tuple(1, 40, true));

    // A value typed by hand reaches the capture options as typed, past the up-down's range.
    for (const int typed : {9, -2}) {
        TFormLoc again(nullptr, host, -1, std::nullopt, "");
        again.SetUrl("http://example.com/");
        again.show();
        Control<QRadioButton>(again, "RadioButton5")->click();
        Control<QLineEdit>(again, "Edit4")->setText(QString::number(typed));
        Control<QPushButton>(again, "Button1")->click();
        EXPECT_EQ(again.result(), QDialog::Accepted);
        EXPECT_EQ(again.Options().Levels, typed);
    }
}

TEST(FormLoc, ModeFourChoosesTheDestinationAndNewComesBackInModeFour) {
    FakeAddItemHost host;
    host.Binders = {"/b/one.bdf"};
    TFormLoc dialog(nullptr, host, 4, std::nullopt, "",
                    {"http://sent.example/", "Sent", "<html>sent</html>", 4});
    dialog.SetUrl("http://sent.example/");
    dialog.show();
    EXPECT_EQ(Control<QGroupBox>(dialog, "GroupBox1")->title(), "Select Destination Binder");
    EXPECT_TRUE(Control<QRadioButton>(dialog, "RadioButton2")->isHidden());
    EXPECT_FALSE(Control<QLineEdit>(dialog, "Edit2")->isEnabled() ||
                 Control<QToolButton>(dialog, "Button2")->isEnabled());
    EXPECT_EQ(dialog.ItemKind(), NodeKind::WebPage);

    Control<QLineEdit>(dialog, "Edit3")->setText("Edited");
    Control<QRadioButton>(dialog, "RadioButton3")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    const TBinderSwitch expected{TBinderSwitchKind::CreateNew,
                                 "",
                                 {"http://sent.example/", "Edited", "<html>sent</html>", 4}};
    EXPECT_EQ(host.Switches, std::vector<TBinderSwitch>{expected});
}

TEST(FormLoc, BinderSwitchesSendTheDialogsOwnRequestAgain) {
    FakeAddItemHost host;
    host.OpenPath = "/b/one.bdf";
    host.Binders = {"/b/one.bdf", "/b/a--b.bdf"};
    {
        TFormLoc dialog(nullptr, host, 10, std::nullopt, "");
        dialog.show();
        dialog.ListBox1Change(0);  // the open binder
        dialog.ListBox1Change(-1); // typed text
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(host.Switches.empty());
        dialog.SetUrl("http://typed.example/");
        dialog.SetTitle("Typed");
        dialog.ListBox1Change(1);
        EXPECT_FALSE(dialog.isVisible());
    }
    {
        // The open-binder button of a menu dialog brings it back as the destination chooser.
        TFormLoc dialog(nullptr, host, -1, std::nullopt, "");
        dialog.show();
        dialog.SetUrl("http://kept.example/");
        Control<QRadioButton>(dialog, "RadioButton2")->click();
        Control<QToolButton>(dialog, "BitBtn1")->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    const std::vector<TBinderSwitch> expected = {
        {TBinderSwitchKind::OpenListed, "/b/a--b.bdf", {"http://typed.example/", "Typed", "", 10}},
        {TBinderSwitchKind::OpenOther, "", {"", "", "", 4}}};
    EXPECT_EQ(host.Switches, expected);
}
