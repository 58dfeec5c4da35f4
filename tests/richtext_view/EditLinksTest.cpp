// Links in the editor: they react only while Ctrl is held (rnoCtrlJumps), with the style's
// hypertext cursor under the mouse; otherwise a click on one places the caret.
#include "EditForm.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>

#include <vector>

namespace {

struct LinkForm : EditForm {
    LinkForm()
        : EditForm([](TRichNoteEdit& e) {
              const int link = AddLinkStyle(e);
              e.AddNL("ab", 0, 0);
              e.AddNL("linked", link, 0);
          }) {
        Edit->SetCursor(crIBeam);
        Edit->EditorOptions.Include(TRNEditorOption::rnoCtrlJumps);
        Edit->Handlers.OnJump = [this](IRichNoteHost&, int id) { Jumps.push_back(id); };
        // As formatted: nothing typed, no focus lost since.
        const int d = D().FindDrawItemByItem(1);
        const TRNDrawLineInfo& piece = *D().DrawItems[d];
        OnLink = QPoint(piece.Left + piece.Width / 2 - D().GetHOffs(),
                        piece.Top + piece.Height / 2 - D().GetVOffs()) +
                 Edit->ClientOrigin();
        QCursor::setPos(Edit->mapToGlobal(OnLink));
        Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoModifier);
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent e(type, QPointF(OnLink), Edit->mapToGlobal(QPointF(OnLink)), button, held,
                      modifiers);
        QApplication::sendEvent(Edit, &e);
        QApplication::processEvents();
    }
    void Click(Qt::KeyboardModifiers modifiers) {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, modifiers);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, modifiers);
    }
    void Ctrl(bool down) {
        QKeyEvent e(down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Control,
                    down ? Qt::ControlModifier : Qt::NoModifier);
        QApplication::sendEvent(Edit, &e);
        QApplication::processEvents();
    }

    QPoint OnLink;
    std::vector<int> Jumps;
};

TEST(EditLinks, CtrlMakesLinksReactAndReleasingItMakesThemText) {
    LinkForm f;
    ASSERT_EQ(f.D().GetItemText(1), "linked");
    EXPECT_EQ(f.Edit->Cursor(), crIBeam);
    f.Ctrl(true);
    EXPECT_EQ(f.Edit->Cursor(), crJump);
    f.Click(Qt::ControlModifier);
    ASSERT_EQ(f.Jumps.size(), 1u);
    EXPECT_EQ(f.Jumps[0], f.Edit->FirstJumpNo);
    EXPECT_EQ(f.Edit->Cursor(), crJump);

    // Without Ctrl the link is text: the cursor is the editor's own and a click places the
    // caret in it.
    f.Ctrl(false);
    EXPECT_EQ(f.Edit->Cursor(), crIBeam);
    EXPECT_EQ(f.Edit->NormalCursor(), crIBeam);
    f.Click(Qt::NoModifier);
    EXPECT_EQ(f.Jumps.size(), 1u);
    EXPECT_EQ(f.D().GetCurItemNo(), 1);
    EXPECT_GT(f.D().GetOffsetInCurItem(), 1);
    EXPECT_LT(f.D().GetOffsetInCurItem(), 7);
}

TEST(EditLinks, AFreshEditorsLinksAreTextUntilCtrlIsHeld) {
    LinkForm f;
    ASSERT_EQ(f.D().GetItemText(1), "linked");
    EXPECT_FALSE(f.Edit->Flags.Contains(TRNFlag::rnflUseJumps));
    EXPECT_EQ(f.Edit->Cursor(), f.Edit->NormalCursor());
    f.Click(Qt::NoModifier);
    EXPECT_TRUE(f.Jumps.empty());
    EXPECT_EQ(f.D().GetCurItemNo(), 1);
    f.Ctrl(true);
    EXPECT_EQ(f.Edit->Cursor(), crJump);
    f.Click(Qt::ControlModifier);
    EXPECT_EQ(f.Jumps.size(), 1u);

    // Leaving the editor with Ctrl still down ends the links there and then.
    auto* other = new QLineEdit(&f.Window);
    f.Window.layout()->addWidget(other);
    f.Edit->setFocus();
    f.Ctrl(true);
    ASSERT_EQ(f.Edit->Cursor(), crJump);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.Edit->Cursor(), crIBeam);
    f.Click(Qt::ControlModifier);
    EXPECT_EQ(f.Jumps.size(), 1u);
}

TEST(EditLinks, WithoutTheOptionCtrlLeavesLinksAsText) {
    LinkForm f;
    f.Edit->EditorOptions.Exclude(TRNEditorOption::rnoCtrlJumps);
    f.Ctrl(true);
    EXPECT_EQ(f.Edit->Cursor(), crIBeam);
    f.Click(Qt::ControlModifier);
    EXPECT_TRUE(f.Jumps.empty());
    EXPECT_EQ(f.D().GetCurItemNo(), 1);
}

} // namespace
