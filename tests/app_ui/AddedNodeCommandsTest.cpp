// After a node is added, by whatever command, the node commands follow the node then selected:
// Delete (menu entry and tool button), Cut and Copy are on, and Delete deletes that node.
#include "app/binder/PageInfo.h"
#include "app/ui/SideBarPane.h"
#include "app/ui/dialogs/UnitLocation.h"
#include "platform/base/Files.h"

#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/FormControls.h"
#include "tests/support/PagesExchangeFile.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct AddingWindow : MainWindowRig {
    AddingWindow() {
        BinderInFolder();
        Settings.AskBeforeDelete = false;
        Make();
        Lifecycle.Open = true;
        Folder1 = Add(NodeKind::Folder, "folder");
        Page = Add(NodeKind::WebPage, "http://a.example/");
        Window->resize(900, 600);
        Window->show();
    }
    QAction* Command(TMainAction action) { return Window->Actions().Action(action); }
    bool On(TMainAction action) { return Command(action)->isEnabled(); }
    // The Delete button of the window's tool bar.
    bool DeleteButtonOn() {
        for (QToolBar* bar : Window->findChildren<QToolBar*>()) {
            if (QWidget* button = bar->widgetForAction(Command(TMainAction::EditDelete1))) {
                return button->isEnabled();
            }
        }
        ADD_FAILURE() << "no Delete button";
        return false;
    }
    void Select(TTreeNode* node) { Window->Binder().Items().SetSelected(node); }
    TTreeNode* Selected() { return Window->Binder().Selected(); }
    // Runs a command as its menu entry does, answering its next modal dialog with `answer`.
    void Run(TMainAction action, std::function<void(QWidget*)> answer = {}) {
        bool answered = !answer;
        if (answer) {
            WhenModal([&](QWidget* dialog) {
                answered = true;
                answer(dialog);
            });
        }
        ASSERT_TRUE(On(action)) << static_cast<int>(action);
        Command(action)->trigger();
        EXPECT_TRUE(answered);
    }
    static void AnswerNote(QWidget* dialog) {
        auto* form = dynamic_cast<TFormLoc*>(dialog);
        ASSERT_NE(form, nullptr);
        Control<QRadioButton>(*form, "RadioButton2")->click();
        Control<QPushButton>(*form, "Button1")->click();
    }
    static std::function<void(QWidget*)> AnswerFile(const std::string& path) {
        return [path](QWidget* dialog) {
            auto* files = dynamic_cast<QFileDialog*>(dialog);
            ASSERT_NE(files, nullptr);
            files->selectFile(QString::fromStdString(path));
            static_cast<QDialog*>(files)->accept();
        };
    }
    // The commands follow `node`, and Delete deletes it.
    void ExpectFollowing(TTreeNode* node, const std::string& way) {
        SCOPED_TRACE(way);
        ASSERT_NE(node, nullptr);
        ASSERT_EQ(Selected(), node);
        EXPECT_TRUE(On(TMainAction::EditDelete1));
        EXPECT_TRUE(DeleteButtonOn());
        EXPECT_TRUE(On(TMainAction::EditCut1));
        EXPECT_TRUE(On(TMainAction::EditCopy1));
        const uint64_t item = node->ItemId();
        const int count = Window->Binder().Items().Count();
        Command(TMainAction::EditDelete1)->trigger();
        EXPECT_EQ(Window->Binder().Items().FindByItemId(item), nullptr);
        EXPECT_LT(Window->Binder().Items().Count(), count);
    }

    TTreeNode* Folder1 = nullptr;
    TTreeNode* Page = nullptr;
};

TEST(AddedNodeCommands, AddItemLeavesTheCommandsOfTheNewNode) {
    for (TMainAction add : {TMainAction::FileNewNode, TMainAction::FileAppendNode}) {
        AddingWindow w;
        w.Select(w.Folder1);
        const int count = w.Window->Binder().Items().Count();
        w.Run(add, AddingWindow::AnswerNote);
        ASSERT_EQ(w.Window->Binder().Items().Count(), count + 1);
        ASSERT_EQ(GetNodeKind(w.Selected()), NodeKind::Notes);
        w.ExpectFollowing(w.Selected(), add == TMainAction::FileNewNode ? "New" : "Append");
    }
}

TEST(AddedNodeCommands, NewFoldersAndPastedNodesLeaveTheirCommands) {
    for (TMainAction add : {TMainAction::FileNewFolder, TMainAction::FileAppendFolder}) {
        AddingWindow w;
        w.Select(w.Folder1);
        w.Run(add);
        ASSERT_NE(w.Selected(), w.Folder1);
        w.ExpectFollowing(w.Selected(), "folder");
    }
    const struct {
        TMainAction Take, Paste;
        bool Copy;
    } pastes[] = {{TMainAction::EditCopy1, TMainAction::EditPaste1, true},
                  {TMainAction::EditCut1, TMainAction::ToolButton11, false}};
    for (const auto& paste : pastes) {
        AddingWindow w;
        w.Select(w.Page);
        w.Run(paste.Take);
        w.Select(w.Folder1);
        w.Run(paste.Paste);
        ASSERT_EQ(w.Folder1->Count(), 1);
        // A copy is selected once made; a node moved leaves the selection on the folder.
        w.ExpectFollowing(paste.Copy ? w.Folder1->Item(0) : w.Folder1,
                          paste.Copy ? "pasted copy" : "pasted cut node");
    }
}

TEST(AddedNodeCommands, ImportsLeaveTheCommandsOfTheNodeSelected) {
    {
        AddingWindow w;
        TempDir source;
        const std::string file = source.Str() + "/pages.tqz";
        ASSERT_TRUE(WritePagesExchangeFile(source.Str(), file, 3));
        w.Select(w.Folder1);
        w.Run(TMainAction::FileImportVelmor, AddingWindow::AnswerFile(file));
        ASSERT_GT(w.Folder1->Count(), 0);
        w.ExpectFollowing(w.Selected(), "exchange import");
    }
    {
        AddingWindow w;
        TempDir source;
        WriteFileBytes(source.Path() / "p.htm", "<p>page</p>");
        w.Select(w.Folder1);
        w.Run(TMainAction::FileImportHtml, AddingWindow::AnswerFile(source.Str()));
        ASSERT_EQ(w.Folder1->Count(), 1);
        w.ExpectFollowing(w.Selected(), "HTML import");
    }
}

} // namespace

// Back on the tree panel from another panel, the selected node's commands are on again, and
// Paste with them while a node waits to be pasted.
TEST(AddedNodeCommands, TheTreePanelOpenedAgainLeavesTheSelectedNodesCommands) {
    AddingWindow w;
    w.Select(w.Page);
    w.Run(TMainAction::EditCopy1);
    w.Select(w.Folder1);
    w.Window->SideBar().OpenPanel(BinderListPanel);
    w.Window->SideBar().OpenPanel(TreePanel);
    EXPECT_TRUE(w.On(TMainAction::EditPaste1));
    EXPECT_EQ(w.On(TMainAction::EditPaste1), w.On(TMainAction::ToolButton11));
    w.Run(TMainAction::EditPaste1);
    ASSERT_EQ(w.Folder1->Count(), 1);
    w.ExpectFollowing(w.Folder1->Item(0), "after the panels");

    // Nothing waits to be pasted any more: Paste stays off.
    w.Window->SideBar().OpenPanel(BinderListPanel);
    w.Window->SideBar().OpenPanel(TreePanel);
    EXPECT_FALSE(w.On(TMainAction::EditPaste1));
    EXPECT_TRUE(w.On(TMainAction::EditDelete1));
}
