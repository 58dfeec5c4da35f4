#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/UnitTablesize.h"
#include "app/ui/dialogs/splitdlg.h"

#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

namespace {

QRadioButton* Item(const QWidget& form, const QString& text) {
    for (QRadioButton* item : form.findChildren<QRadioButton*>()) {
        if (item->text() == text) {
            return item;
        }
    }
    ADD_FAILURE() << "no item " << text.toStdString();
    return nullptr;
}

} // namespace

TEST(TableDialogs, PercentWidthIsEditableOnlyWhenSizedManually) {
    TForm2 form(nullptr);
    QRadioButton* manual = Item(form, "Size table manually");
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(form.LayoutIndex(), 0);
    EXPECT_FALSE(form.CSpinEdit3->isEnabled());
    manual->setChecked(true);
    EXPECT_EQ(form.LayoutIndex(), 1);
    EXPECT_TRUE(form.CSpinEdit3->isEnabled());
    form.SetLayoutIndex(0);
    EXPECT_FALSE(form.CSpinEdit3->isEnabled());
}

TEST(TableDialogs, SpinEditsKeepTheirRangesAndSteps) {
    TForm2 table(nullptr);
    TOKBottomDlg split(nullptr);
    struct Case {
        TCSpinEdit* edit;
        int below, above, min, max, stepFromStart;
    } cases[] = {
        {table.CSpinEdit1, 0, 1001, 1, 1000, 3},   {table.CSpinEdit2, -5, 5000, 1, 1000, 3},
        {table.CSpinEdit3, 0, 1001, 1, 1000, 105}, {split.CSpinEdit1, 1, 101, 2, 100, 3},
        {split.CSpinEdit2, 0, 1000, 2, 100, 3},
    };
    for (const Case& c : cases) {
        const int start = c.edit->value();
        c.edit->stepUp();
        EXPECT_EQ(c.edit->value(), c.stepFromStart);
        c.edit->setValue(start);
        c.edit->setValue(c.below);
        EXPECT_EQ(c.edit->value(), c.min);
        c.edit->setValue(c.above);
        EXPECT_EQ(c.edit->value(), c.max);
    }
}
