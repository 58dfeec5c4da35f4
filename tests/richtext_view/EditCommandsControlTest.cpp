// Commands of the editor control around its keys: custom undo groups, focus after Undo and
// Redo, the caret leaving the document, Cut of a read-only editor, a failing paste, and the
// Enter, Backspace and Delete commands.
#include "EditForm.h"
#include "richtext/model/RNError.h"
#include "richtext/view/RNEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include <stdexcept>
#include <vector>

namespace {

TEST(EditCommands, ACustomGroupIsOneUndoStepUnderItsName) {
    EditForm f("abc");
    const std::string before = f.Rnf();
    f.Edit->BeginUndoCustomGroup("Stamp");
    f.Edit->SetUndoGroupMode(true);
    f.D().InsertText_("12");
    f.Caret(0, 1);
    f.D().InsertText_("34");
    f.Edit->SetUndoGroupMode(false);
    EXPECT_EQ(f.Edit->UndoAction(), TRNUndoType::rnutCustom);
    EXPECT_EQ(f.Edit->UndoName(), "Stamp");
    EXPECT_EQ(f.D().GetItemText(0), "34abc12");
    f.Edit->Undo();
    EXPECT_EQ(f.Rnf(), before);
    EXPECT_EQ(f.Edit->RedoName(), "Stamp");
}

TEST(EditCommands, TabNavigationOtherThanNoneIsRefused) {
    EditForm f;
    for (TRNTabNavigationType mode :
         {TRNTabNavigationType::rntnTab, TRNTabNavigationType::rntnCtrlTab}) {
        try {
            f.Edit->SetTabNavigation(mode);
            ADD_FAILURE() << "accepted";
        } catch (const ERichNoteError& e) {
            EXPECT_STREQ(e.what(), "Not supported in editor");
        }
        EXPECT_EQ(f.Edit->TabNavigation(), TRNTabNavigationType::rntnNone);
    }
    EXPECT_NO_THROW(f.Edit->SetTabNavigation(TRNTabNavigationType::rntnNone));
}

TEST(EditCommands, UndoAndRedoGiveTheKeyboardBackToTheEditor) {
    EditForm f;
    auto* other = new QLineEdit(&f.Window);
    f.Window.layout()->addWidget(other);
    f.Type("z");
    for (const bool redo : {false, true}) {
        other->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), other);
        redo ? f.Edit->Redo() : f.Edit->Undo();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), f.Edit) << redo;
    }
    EXPECT_EQ(f.D().GetItemText(0), "xyz");
}

TEST(EditCommands, TheCaretLeavesInTheDirectionOfItsKey) {
    EditForm f("ab");
    std::vector<TRNCaretGetOutDirection> out;
    f.Edit->OnCaretGetOut = [&](TRichNoteEdit&, TRNCaretGetOutDirection d) { out.push_back(d); };
    f.Caret(0, 1);
    f.Key(Qt::Key_Left);
    f.Key(Qt::Key_Up);
    f.Caret(0, 3);
    f.Key(Qt::Key_Right);
    f.Key(Qt::Key_Down);
    using D = TRNCaretGetOutDirection;
    EXPECT_EQ(out, (std::vector<D>{D::rncdLeft, D::rncdUp, D::rncdRight, D::rncdDown}));
    // Inside the text the caret just moves.
    f.Caret(0, 2);
    f.Key(Qt::Key_Left);
    EXPECT_EQ(out.size(), 4u);
}

TEST(EditCommands, AReadOnlyEditorCutsNothingAndCopiesNothing) {
    EditForm f("secret");
    QApplication::clipboard()->setText("kept");
    f.Edit->ReadOnly = true;
    f.Edit->SelectAll();
    f.Edit->CutDef();
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    EXPECT_EQ(f.D().GetItemText(0), "secret");
    f.Edit->ReadOnly = false;
    f.Edit->SelectAll();
    f.Edit->CutDef();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString().substr(0, 6), "secret");
    EXPECT_NE(f.D().GetItemText(0), "secret");
}

TEST(EditCommands, AnErrorDuringAPasteEndsInABeep) {
    EditForm f;
    QApplication::clipboard()->setText("pasted");
    f.Edit->OnChange = [](TRichNoteEdit&) { throw std::runtime_error("host failed"); };
    const int beeps = f.Beeps;
    EXPECT_NO_THROW(f.Edit->Paste());
    EXPECT_EQ(f.Beeps, beeps + 1);
}

TEST(EditCommands, EnterBackspaceAndDeleteAsCommands) {
    EditForm f("abcd");
    f.Caret(0, 3);
    const std::string before = f.Rnf();
    const int changes = f.Changes;
    f.Edit->OnEnterPress(false);
    ASSERT_EQ(f.D().ItemCount(), 2);
    EXPECT_EQ(f.D().GetItemText(0), "ab");
    EXPECT_EQ(f.D().GetItemText(1), "cd");
    EXPECT_TRUE(f.D().IsParaStart(1));
    EXPECT_GT(f.Changes, changes);
    f.Edit->OnBackSpacePress(false);
    EXPECT_EQ(f.Rnf(), before);
    f.Edit->OnDeletePress(false);
    EXPECT_EQ(f.D().GetItemText(0), "abd");
    f.Edit->ReadOnly = true;
    f.Edit->OnBackSpacePress(false);
    f.Edit->OnEnterPress(false);
    EXPECT_EQ(f.D().GetItemText(0), "abd");
    EXPECT_EQ(f.D().ItemCount(), 1);
    f.Edit->ReadOnly = false;
    f.Undo();
    EXPECT_EQ(f.Rnf(), before);
}

} // namespace
