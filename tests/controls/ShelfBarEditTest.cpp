#include "ShelfBarTestBar.h"
#include "controls/ShelfBarEditors.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

namespace {

// A shown bar with one psProperties panel that logs the editing events.
struct PropertiesBar {
    TestShelfBar bar{240, 400};
    TShelfPanel* panel;
    std::vector<std::string> log;

    PropertiesBar() {
        panel = &bar.Panels().Add();
        panel->SetStyle(TPanelStyle::psProperties);
        panel->SetItemHeight(20);
        panel->SetCaptionWidth(80);
        bar.SetTopPanel(0);
        const auto record = [this](const char* what) {
            return [this, what](TShelfBar&, TShelfPanel*, TShelfItem* item) {
                log.push_back(std::string(what) + " " + item->Caption());
            };
        };
        bar.OnEditStart = record("start");
        bar.OnEditStop = record("stop");
        bar.OnEditUpdate = record("update");
        bar.show();
        QApplication::setActiveWindow(&bar);
    }

    TShelfItem& Add(TPropertyType type, const std::string& text = "") {
        TShelfItem& item = panel->Items().Add();
        item.SetCaption("row" + std::to_string(item.Index()));
        item.SetPropertyType(type);
        item.SetTextValue(text);
        return item;
    }

    TShelfBarEditors& Editors() { return bar.Editors(); }
    QWidget* Focused() { return QApplication::focusWidget(); }
    // The middle of the value area of a row.
    QPoint ValueOf(TShelfItem& item) {
        TRect r = bar.GetItemRect(panel, &item);
        return {panel->CaptionWidth() + 40, (r.Top + r.Bottom) / 2};
    }
};

} // namespace

TEST(ShelfBarEdit, StartEditPicksTheEditorForEachType) {
    using P = TPropertyType;
    struct Case {
        P type;
        int kind;
        QWidget* (*editor)(TShelfBarEditors&);
    };
    const auto edit = [](TShelfBarEditors& e) -> QWidget* { return e.Edit; };
    const auto button = [](TShelfBarEditors& e) -> QWidget* { return e.EditBtn; };
    const auto picker = [](TShelfBarEditors& e) -> QWidget* { return e.DateTimePicker; };
    for (Case c : {Case{P::ptInteger, 3, edit},
                   {P::ptFloat, 3, edit},
                   {P::ptText, 3, edit},
                   {P::ptColor, 4, [](TShelfBarEditors& e) -> QWidget* { return e.ColorCombo; }},
                   {P::ptFont, 2, button},
                   {P::ptValues, 0, [](TShelfBarEditors& e) -> QWidget* { return e.Combo; }},
                   {P::ptIntSpin, 3, [](TShelfBarEditors& e) -> QWidget* { return e.Spin; }},
                   {P::ptTextButton, 2, button},
                   {P::ptPropButton, 2, button},
                   {P::ptDate, 1, picker},
                   {P::ptTime, 1, picker}}) {
        PropertiesBar t;
        TShelfItem& item = t.Add(c.type, "7");
        t.bar.StartEdit(&item);
        QWidget* editor = c.editor(t.Editors());
        EXPECT_TRUE(t.bar.IsEditing());
        EXPECT_TRUE(item.IsEditing());
        EXPECT_EQ(t.bar.EditorKind(), c.kind);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->geometry().left(), 82);
        EXPECT_EQ(t.log, std::vector<std::string>{"start row0"});
    }
    PropertiesBar t;
    TShelfItem& spin = t.Add(P::ptIntSpin, "5");
    spin.SetSpinMin(1);
    spin.SetSpinMax(9);
    t.bar.StartEdit(&spin);
    EXPECT_EQ(t.Editors().Spin->MaxValue(), 9);
    EXPECT_EQ(t.Editors().Spin->OrigValue, "5");
    TShelfItem& values = t.Add(P::ptValues, "b");
    values.SetValues({"a", "b"});
    t.bar.OnGetValueList = [](TShelfBar&, TShelfItem*, std::vector<std::string>& list) {
        list.push_back("c");
    };
    t.bar.StartEdit(&values);
    EXPECT_FALSE(t.Editors().Spin->isVisible());
    EXPECT_EQ(t.Editors().Combo->count(), 3);
    EXPECT_EQ(t.Editors().Combo->currentText().toStdString(), "b");
}

// A read-only row is not started at all. A custom row without its editor ends the edit before
// it and is announced, but is not edited.
TEST(ShelfBarEdit, ReadOnlyAndLinklessCustomRowsDoNotEdit) {
    PropertiesBar t;
    TShelfItem& text = t.Add(TPropertyType::ptText, "x");
    TShelfItem& readOnly = t.Add(TPropertyType::ptText, "y");
    readOnly.SetReadOnly(true);
    TShelfItem& custom = t.Add(TPropertyType::ptCustom);
    t.bar.StartEdit(&text);
    t.bar.StartEdit(&readOnly);
    EXPECT_TRUE(text.IsEditing());
    EXPECT_FALSE(readOnly.IsEditing());
    EXPECT_EQ(t.log, (std::vector<std::string>{"start row0"}));
    t.log.clear();
    t.bar.StartEdit(&custom);
    EXPECT_FALSE(t.bar.IsEditing());
    EXPECT_FALSE(text.IsEditing());
    EXPECT_FALSE(custom.IsEditing());
    EXPECT_FALSE(t.Editors().Edit->isVisible());
    EXPECT_EQ(t.log, (std::vector<std::string>{"update row0", "stop row0", "start row2"}));
}

TEST(ShelfBarEdit, TypeEnterAndEscape) {
    PropertiesBar t;
    TShelfItem& item = t.Add(TPropertyType::ptText, "abc");
    t.bar.StartEdit(&item);
    QLineEdit* edit = t.Editors().Edit;
    ASSERT_EQ(t.Focused(), edit);
    QTest::keyClicks(edit, "xyz");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(item.TextValue(), "xyz");
    QTest::keyClicks(edit, "q");
    EXPECT_EQ(edit->text(), "q");
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->text(), "xyz");
    t.bar.StopEdit(&item);
    t.bar.StopEdit(&item);
    EXPECT_FALSE(edit->isVisible());
    EXPECT_EQ(item.TextValue(), "xyz");
    EXPECT_EQ(t.log,
              (std::vector<std::string>{"start row0", "update row0", "update row0", "stop row0"}));
}

TEST(ShelfBarEdit, NumberRowsFilterTypingAndKeepIntValue) {
    struct Case {
        TPropertyType type;
        const char* typed;
        const char* text;
    };
    for (Case c : {Case{TPropertyType::ptInteger, "1a2", "12"},
                   {TPropertyType::ptInteger, "-4x", "-4"},
                   {TPropertyType::ptFloat, "1.2.5", "1.25"},
                   {TPropertyType::ptText, "1a2", "1a2"}}) {
        PropertiesBar t;
        TShelfItem& item = t.Add(c.type, "0");
        t.bar.StartEdit(&item);
        QTest::keyClicks(t.Editors().Edit, c.typed);
        QTest::keyClick(t.Editors().Edit, Qt::Key_Return);
        EXPECT_EQ(item.TextValue(), c.text);
        if (c.type == TPropertyType::ptInteger) {
            EXPECT_EQ(item.IntValue(), std::stoi(c.text));
        }
    }
}

TEST(ShelfBarEdit, MovingOntoACheckBoxLeavesItAndAClickFlipsIt) {
    PropertiesBar t;
    TShelfItem& text = t.Add(TPropertyType::ptText, "a");
    TShelfItem& check = t.Add(TPropertyType::ptBoolean);
    t.bar.StartEdit(&text);
    QTest::keyClick(t.Editors().Edit, Qt::Key_Down);
    EXPECT_EQ(t.bar.EditedItem(), &check);
    EXPECT_FALSE(check.BoolValue());
    EXPECT_FALSE(t.Editors().Edit->isVisible());
    QTest::mouseClick(&t.bar, Qt::LeftButton, {}, t.ValueOf(check));
    EXPECT_TRUE(check.BoolValue());
    EXPECT_EQ(check.TextValue(), "");
    QTest::keyClick(&t.bar, Qt::Key_Space);
    EXPECT_FALSE(check.BoolValue());
    QTest::keyClick(&t.bar, Qt::Key_Up);
    EXPECT_EQ(t.bar.EditedItem(), &text);
    EXPECT_TRUE(t.Editors().Edit->isVisible());
}

TEST(ShelfBarEdit, EnterWithAutoAdvance) {
    PropertiesBar t;
    t.bar.SetAutoAdvance(true);
    TShelfItem& first = t.Add(TPropertyType::ptText, "a");
    TShelfItem& last = t.Add(TPropertyType::ptText, "b");
    t.bar.StartEdit(&first);
    QTest::keyClicks(t.Editors().Edit, "one");
    QTest::keyClick(t.Editors().Edit, Qt::Key_Return);
    EXPECT_EQ(first.TextValue(), "one");
    EXPECT_EQ(t.bar.EditedItem(), &last);
    QTest::keyClicks(t.Editors().Edit, "two");
    QTest::keyClick(t.Editors().Edit, Qt::Key_Return);
    EXPECT_EQ(last.TextValue(), "two");
    EXPECT_EQ(t.bar.EditedItem(), &last);
    EXPECT_TRUE(t.bar.IsEditing());
}

TEST(ShelfBarEdit, UnreadableDateStartsFromDateValue) {
    PropertiesBar t;
    TShelfItem& item = t.Add(TPropertyType::ptDate);
    item.SetDateValue(EncodeDate(2024, 3, 5));
    item.SetTextValue("garbage");
    EXPECT_NO_THROW(t.bar.StartEdit(&item));
    EXPECT_TRUE(t.bar.IsEditing());
    EXPECT_EQ(t.Editors().DateTimePicker->DateTime(), EncodeDate(2024, 3, 5));
    t.Editors().DateTimePicker->SetDateTime(EncodeDate(2025, 1, 2));
    t.bar.StopEdit(&item);
    EXPECT_EQ(item.DateValue(), EncodeDate(2025, 1, 2));
    EXPECT_EQ(item.TextValue(), DateToStr(EncodeDate(2025, 1, 2)));
}

TEST(ShelfBarEdit, ColourAndFontDialogs) {
    struct Case {
        bool accept;
        TColor expected;
    };
    for (Case c : {Case{false, clRed}, {true, RGB(1, 2, 3)}}) {
        PropertiesBar t;
        TShelfItem& item = t.Add(TPropertyType::ptColor);
        item.SetColorValue(clRed);
        int asked = 0;
        t.bar.ColorDialog = [&](TShelfBar&, TColor& color) {
            ++asked;
            EXPECT_EQ(color, clRed);
            color = RGB(1, 2, 3);
            return c.accept;
        };
        t.bar.StartEdit(&item);
        t.Editors().ColorCombo->setCurrentIndex(TShelfColorComboBox::CustomIndex);
        t.Editors().ColorCombo->activated(TShelfColorComboBox::CustomIndex);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(item.ColorValue(), c.expected);
        EXPECT_FALSE(t.bar.IsEditing());
    }
    PropertiesBar t;
    TShelfItem& font = t.Add(TPropertyType::ptFont);
    t.bar.FontDialog = [](TShelfBar&, TFont& f) {
        f.SetName("Courier");
        return true;
    };
    t.bar.StartEdit(&font);
    QTest::keyClick(t.Editors().EditBtn, Qt::Key_F4);
    EXPECT_EQ(font.FontValue().Name(), "Courier");
    EXPECT_EQ(font.TextValue(), "Courier");
    EXPECT_FALSE(t.bar.IsEditing());
}

TEST(ShelfBarEdit, CustomLinksInPlaceAndInAPopup) {
    struct Link : TShelfEditLink {
        std::vector<std::string> calls;
        void CreateEditor(QWidget* parent) override {
            calls.push_back(parent->windowType() == Qt::Popup ? "create popup" : "create bar");
        }
        void SetProperties(const TRect& r, TShelfItem*) override {
            calls.push_back("properties " + std::to_string(r.Left));
        }
        void StartEdit(TShelfItem*) override { calls.push_back("start"); }
        void StopEdit(TShelfItem*) override { calls.push_back("stop"); }
        void DestroyEditor() override { calls.push_back("destroy"); }
    };
    for (TShelfEditStyle style : {TShelfEditStyle::esInplace, TShelfEditStyle::esPopup}) {
        PropertiesBar t;
        Link link;
        link.EditStyle = style;
        TShelfItem& item = t.Add(TPropertyType::ptCustom);
        item.SetEditLink(&link);
        t.bar.StartEdit(&item);
        EXPECT_TRUE(t.bar.IsEditing());
        EXPECT_EQ(link.ShelfBar(), &t.bar);
        if (style == TShelfEditStyle::esPopup) {
            ASSERT_NE(link.PopupForm(), nullptr);
            link.PopupForm()->hide();
            EXPECT_FALSE(t.bar.IsEditing());
            EXPECT_EQ(link.calls, (std::vector<std::string>{"create popup", "properties 82",
                                                            "start", "stop", "destroy"}));
        } else {
            uint16_t key = VK_RETURN;
            link.EditKeyDown(key, {});
            EXPECT_EQ(key, 0);
            t.bar.StopEdit(&item);
            EXPECT_EQ(link.calls,
                      (std::vector<std::string>{"create bar", "properties 82", "start", "stop"}));
        }
        item.SetEditLink(nullptr);
    }
}
