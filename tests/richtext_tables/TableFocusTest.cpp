// Tab among the controls of a viewer's document when some of them sit in table cells: the
// navigation goes on from the control that had the focus.
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/RichNote.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace {

struct TableForm {
    TRNStyle Sheet;
    QWidget Window;
    TRichNote* Note = new TRichNote(&Window);
    QLineEdit* After = new QLineEdit(&Window);
    QPushButton* Buttons[3] = {};
    TRNTableItemInfo* Table = nullptr;

    QLineEdit* Edit = nullptr;

    // A button before the table and one in each of the table's two cells; with `withEdit` an
    // edit box after the button of the second cell.
    explicit TableForm(bool withEdit = false) {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Note);
        layout->addWidget(After);
        Note->SetStyle(&Sheet);
        Note->setMinimumSize(400, 200);
        Note->SetTabStop(true);
        Note->AddControlEx("Outer", Button(0, "outer"), 0, TRNVAlign::rnvaBaseline);
        auto table = std::make_unique<TRNTableItemInfo>(1, 2, &Note->RNData());
        TRNTableItemInfo& t = *table;
        Table = &t;
        Note->AddItem("", std::move(table));
        t.Cells(0, 0)->Clear();
        t.Cells(0, 0)->AddControlEx("Left", Button(1, "left"), 0, TRNVAlign::rnvaBaseline);
        t.Cells(0, 1)->Clear();
        t.Cells(0, 1)->AddControlEx("Right", Button(2, "right"), 0, TRNVAlign::rnvaBaseline);
        if (withEdit) {
            auto edit = std::make_unique<QLineEdit>();
            edit->resize(80, 22);
            Edit = edit.get();
            t.Cells(0, 1)->AddControlEx("Edit",
                                        std::make_unique<TEmbeddedWidget>(std::move(edit), "TEdit"),
                                        -1, TRNVAlign::rnvaBaseline);
        }
        Note->AddNL("after the table", 0, 0);
        Note->Format();
        Window.show();
        QApplication::setActiveWindow(&Window);
        QApplication::processEvents();
    }
    std::unique_ptr<IEmbeddedControl> Button(int index, const char* caption) {
        auto button = std::make_unique<QPushButton>(caption);
        button->resize(60, 24);
        Buttons[index] = button.get();
        return std::make_unique<TEmbeddedWidget>(std::move(button), "TButton");
    }
    static QWidget* Focused() { return QApplication::focusWidget(); }
    static void Tab(bool backward = false) {
        QKeyEvent press(QEvent::KeyPress, backward ? Qt::Key_Backtab : Qt::Key_Tab,
                        backward ? Qt::ShiftModifier : Qt::NoModifier);
        QApplication::sendEvent(Focused(), &press);
        QApplication::processEvents();
    }
};

TEST(TableFocus, TabFromAControlInACellMovesToTheNextFocusableItemAfterIt) {
    TableForm f;
    ASSERT_EQ(f.Buttons[1]->parentWidget(), f.Note);
    f.Buttons[1]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(f.Focused(), f.Buttons[1]);
    f.Tab();
    EXPECT_EQ(f.Focused(), f.Buttons[2]);
    // The cell's control is the document's focused item, the table the root's.
    EXPECT_EQ(f.Note->RNData().FocusedItemNo, 1);
    // Back from the right cell to the left one, then out of the table to the control before it.
    f.Tab(true);
    EXPECT_EQ(f.Focused(), f.Buttons[1]);
    f.Tab(true);
    EXPECT_EQ(f.Focused(), f.Buttons[0]);
    // From the last control on, the focus leaves the document.
    f.Buttons[2]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    f.Tab();
    EXPECT_EQ(f.Focused(), f.After);
}

// Clicked into, a control in a cell is the document's focused item at once: the table in the
// document, the control's item in its cell.
TEST(TableFocus, AControlInACellFocusedByTheMouseIsTheFocusedItemAtOnce) {
    TableForm f(true);
    QLineEdit* edit = f.Edit;
    TRichNoteRNData& doc = f.Note->RNData();
    ASSERT_EQ(doc.FocusedItemNo, -1);

    f.Buttons[1]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(f.Focused(), f.Buttons[1]);
    EXPECT_EQ(doc.FocusedItemNo, 1);
    EXPECT_EQ(doc.TopLevelFocusedRNData, f.Table->Cells(0, 0));
    EXPECT_EQ(doc.TopLevelFocusedItemNo, 0);
    EXPECT_EQ(f.Table->Cells(0, 0)->FocusedItemNo, 0);

    // The second control of the other cell, by a focus the mouse gave.
    edit->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(f.Focused(), edit);
    EXPECT_EQ(doc.FocusedItemNo, 1);
    EXPECT_EQ(doc.TopLevelFocusedRNData, f.Table->Cells(0, 1));
    EXPECT_EQ(doc.TopLevelFocusedItemNo, 1);
    EXPECT_EQ(f.Table->Cells(0, 0)->FocusedItemNo, -1);

    // A control outside the table.
    f.Buttons[0]->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(doc.FocusedItemNo, 0);
    EXPECT_EQ(doc.TopLevelFocusedRNData, &doc);
    EXPECT_EQ(doc.TopLevelFocusedItemNo, 0);
    // A widget of the window outside the document leaves the document's focus alone.
    f.After->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(doc.TopLevelFocusedItemNo, 0);
}

} // namespace
