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

    // A button before the table and one in each of the table's two cells.
    TableForm() {
        auto* layout = new QVBoxLayout(&Window);
        layout->addWidget(Note);
        layout->addWidget(After);
        Note->SetStyle(&Sheet);
        Note->setMinimumSize(400, 200);
        Note->SetTabStop(true);
        Note->AddControlEx("Outer", Button(0, "outer"), 0, TRNVAlign::rnvaBaseline);
        auto table = std::make_unique<TRNTableItemInfo>(1, 2, &Note->RNData());
        TRNTableItemInfo& t = *table;
        Note->AddItem("", std::move(table));
        t.Cells(0, 0)->Clear();
        t.Cells(0, 0)->AddControlEx("Left", Button(1, "left"), 0, TRNVAlign::rnvaBaseline);
        t.Cells(0, 1)->Clear();
        t.Cells(0, 1)->AddControlEx("Right", Button(2, "right"), 0, TRNVAlign::rnvaBaseline);
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

} // namespace
