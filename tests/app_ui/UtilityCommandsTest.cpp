// The main window's smaller commands over fakes: the options, a page's new address, the About
// box, the installed read-me and help, and stepping on an empty tree.
#include "app/ui/UtilityCommands.h"

#include "app/binder/TreeFile.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FormControls.h"
#include "tests/support/StandInOpener.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

void Trigger(TFormVelmorRnx& window, const char* action) {
    QAction* found = window.findChild<QAction*>(action);
    ASSERT_NE(found, nullptr) << action;
    found->trigger();
}

// Runs `command` and answers the first dialog it opens with `answer`.
template <typename Dialog>
void Answer(TFormVelmorRnx& window, const char* command, std::function<void(Dialog&)> answer) {
    bool answered = false;
    WhenModalIs<Dialog>([&](Dialog* dialog) {
        answered = true;
        answer(*dialog);
    });
    Trigger(window, command);
    EXPECT_TRUE(answered) << command;
}

using BoolSetting = bool TSettings::*;
const std::pair<const char*, BoolSetting> OptionBoxes[] = {
    {"CheckBox1", &TSettings::ShowPageViaFile}, {"CheckBox2", &TSettings::StripScript},
    {"CheckBox5", &TSettings::RecursiveImport}, {"CheckBox3", &TSettings::AskBeforeDelete},
    {"CheckBox4", &TSettings::AskBeforeClose},  {"CheckBox6", &TSettings::ShowTips}};

} // namespace

TEST(UtilityCommands, OptionsRoundTripEverySettingAndCancelWritesNothing) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Settings.ListMode = 2;
    bool value = false;
    for (const auto& [name, setting] : OptionBoxes) {
        rig.Settings.*setting = value = !value;
    }
    const TSettings before = rig.Settings;
    for (const bool ok : {false, true}) {
        Answer<QDialog>(window, "Options", [&](QDialog& dialog) {
            EXPECT_TRUE(Control<QRadioButton>(dialog, "ListByTitle")->isChecked());
            for (const auto& [name, setting] : OptionBoxes) {
                QCheckBox* box = Control<QCheckBox>(dialog, name);
                EXPECT_EQ(box->isChecked(), before.*setting) << name;
                box->toggle();
            }
            Control<QPushButton>(dialog, ok ? "OKBtn" : "CancelBtn")->click();
        });
        for (const auto& [name, setting] : OptionBoxes) {
            EXPECT_EQ(rig.Settings.*setting, ok != before.*setting) << name << " ok " << ok;
        }
        EXPECT_EQ(rig.Settings.ListMode, 2);
    }
    EXPECT_TRUE(rig.Lifecycle.Calls.empty());
}

TEST(UtilityCommands, ChangedPageListIsToldAndReloadsTheBinder) {
    const struct {
        std::vector<const char*> Clicks;
        int32_t ListMode;
        bool Reload;
    } cases[] = {
        {{"ListByTitle"}, 2, true},
        {{"ListByTitle", "ListByUrl"}, 1, false},
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        TFormVelmorRnx& window = rig.Make();
        BoxCatcher boxes;
        Answer<QDialog>(window, "Options", [&](QDialog& dialog) {
            for (const char* click : c.Clicks) {
                Control<QRadioButton>(dialog, click)->click();
            }
            Control<QPushButton>(dialog, "OKBtn")->click();
        });
        EXPECT_EQ(rig.Settings.ListMode, c.ListMode);
        EXPECT_EQ(boxes.Boxes,
                  c.Reload
                      ? std::vector<std::string>{"Change Option: The binder will be reload for "
                                                 "this change to take effect    "}
                      : std::vector<std::string>{});
        EXPECT_EQ(rig.Lifecycle.Calls,
                  c.Reload ? std::vector<std::string>{"reload"} : std::vector<std::string>{});
    }
}

TEST(UtilityCommands, ChangeUrlStoresTheAddressBeforeTheCapture) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    {
        // With nothing selected the command is off; run all the same, it says why it stops.
        EXPECT_FALSE(window.findChild<QAction*>("ToolChangeURL")->isEnabled());
        BoxCatcher boxes;
        window.Utilities().ToolChangeURLExecute();
        EXPECT_EQ(boxes.Boxes, std::vector<std::string>{"Tarnwick: No node selected"});
    }
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://old.example/");
    NodeRecord(page)->Id = 0x2A;
    NodeRecord(page)->State = CaptureState::Completed; // a page still captured has no new address
    window.Binder().Items().SetSelected(page);
    std::string captured;
    rig.Capture.OnStart = [&](TPageInfo& record) { captured = record.RequestedUrl; };

    Answer<QDialog>(window, "ToolChangeURL", [](QDialog& dialog) {
        EXPECT_EQ(Control<QLineEdit>(dialog, "Edit1")->text(), "http://old.example/");
        Control<QLineEdit>(dialog, "Edit1")->setText("http://new.example/");
        Control<QPushButton>(dialog, "CancelBtn")->click();
    });
    EXPECT_EQ(NodeRecord(page)->RequestedUrl, "http://old.example/");
    EXPECT_FALSE(window.Binder().BinderDirty);
    EXPECT_TRUE(rig.Capture.Calls.empty());

    Answer<QDialog>(window, "ToolChangeURL", [](QDialog& dialog) {
        Control<QLineEdit>(dialog, "Edit1")->setText("http://new.example/");
        Control<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(NodeRecord(page)->RequestedUrl, "http://new.example/");
    EXPECT_TRUE(window.Binder().BinderDirty);
    EXPECT_EQ(rig.Capture.Calls, std::vector<std::string>{"start 2A 0"});
    EXPECT_EQ(captured, "http://new.example/");
    EXPECT_EQ(window.ViewsPane().Views().EditingNode(), page);
}

// The page's files are captured anew under the new address: the tree file holds that address
// as soon as the command returns, not only at close.
TEST(UtilityCommands, ChangeUrlWritesTheTreeFileAtOnce) {
    MainWindowRig rig;
    rig.Paths.BinderRoot = rig.Folder.Str();
    rig.Paths.TreeFilePath = rig.Folder.Str() + "/binder.sav";
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* page = rig.Add(NodeKind::WebPage, "http://old.example/");
    NodeRecord(page)->State = CaptureState::Completed;
    window.Binder().Items().SetSelected(page);
    Answer<QDialog>(window, "ToolChangeURL", [](QDialog& dialog) {
        Control<QLineEdit>(dialog, "Edit1")->setText("http://new.example/");
        Control<QPushButton>(dialog, "OKBtn")->click();
    });
    EXPECT_EQ(rig.Capture.Calls.size(), 1u);
    EXPECT_FALSE(window.Binder().BinderDirty);
    const std::string written = ReadFileBytes(rig.Paths.TreeFilePath);
    TTreeNodes reread;
    TreeLoadContext context;
    ASSERT_EQ(LoadTreeDump(reread, written, context), TreeLoadResult::Loaded);
    ASSERT_EQ(reread.Count(), 1);
    EXPECT_EQ(NodeRecord(reread.GetFirstNode())->RequestedUrl, "http://new.example/");
}

TEST(UtilityCommands, ReadMeAndHelpOpenTheFilesOfTheWorkFolder) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TempDir work; // installed without the files: the shell's refusal names the path it got
    rig.Settings.WorkDir = work.Str();
    const std::string readMe =
        "Operation Error!: Could not run program '" + work.Str() + "/readme.txt'";
    const std::string help =
        "Operation Error!: Could not run program '" + work.Str() + "/tqzhelp.chm'";
    BoxCatcher boxes;
    Trigger(window, "ReadMe1");
    Trigger(window, "HelpContent");
    EXPECT_EQ(boxes.Boxes, (std::vector<std::string>{readMe, help}));
    boxes.Boxes.clear();
    Answer<QDialog>(window, "TipsofTheDay1", [](QDialog& form) {
        Control<QPushButton>(form, "Button3")->click();
        form.accept();
    });
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{help});
}

// The help file is there but no program opens it: the desktop's opener fails after it has
// started, and that is said once, for the Help menu and for the tip form's Help alike.
TEST(UtilityCommands, HelpWithoutAViewerSaysSoOnce) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    TempDir work;
    rig.Settings.WorkDir = work.Str();
    WriteFileBytes(work / "tqzhelp.chm", "help");
    const std::string help =
        "Operation Error!: Could not run program '" + work.Str() + "/tqzhelp.chm'";
    StandInOpener opener(3);
    BoxCatcher boxes;
    Trigger(window, "HelpContent");
    EXPECT_TRUE(WaitUntil([&] { return !boxes.Boxes.empty(); }));
    ServeEventsFor(std::chrono::milliseconds(300));
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{help});

    boxes.Boxes.clear();
    Answer<QDialog>(window, "TipsofTheDay1", [&](QDialog& form) {
        Control<QPushButton>(form, "Button3")->click();
        EXPECT_TRUE(WaitUntil([&] { return !boxes.Boxes.empty(); }));
        form.accept();
    });
    ServeEventsFor(std::chrono::milliseconds(300));
    EXPECT_EQ(boxes.Boxes, std::vector<std::string>{help});
    EXPECT_EQ(opener.Runs().size(), 2u);
}

TEST(UtilityCommands, AboutNamesTheOpenBinder) {
    const struct {
        std::string Name, Root, ShownName;
    } cases[] = {{"My%20Pages", "/home/u/binders", "My Pages"}, {"", "", ""}};
    for (const auto& c : cases) {
        MainWindowRig rig;
        TFormVelmorRnx& window = rig.Make();
        rig.Paths.BinderName = c.Name;
        rig.Paths.BinderRoot = c.Root;
        Answer<QDialog>(window, "HelpAbout", [&](QDialog& box) {
            EXPECT_EQ(Control<QLabel>(box, "Label3")->text().toStdString(), c.ShownName);
            EXPECT_EQ(Control<QLabel>(box, "Label4")->text().toStdString(), c.Root);
            box.accept();
        });
    }
}

TEST(UtilityCommands, SteppingOnAnEmptyTreeDoesNothing) {
    MainWindowRig rig;
    TFormVelmorRnx& window = rig.Make();
    for (const int index : {-1, 0, 5}) {
        window.SelectNodeByIndex(index);
        EXPECT_EQ(window.Binder().Selected(), nullptr);
    }
}
