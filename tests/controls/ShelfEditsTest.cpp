#include "controls/ShelfEdits.h"
#include "controls/ShelfEditsCombo.h"
#include "platform/widgets/Control.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <limits>

namespace {

TSpinValueModel TimeAndDateModel(TShelfSpinType type) {
    TSpinValueModel model;
    model.SpinType = type;
    model.Settings.LongTimeFormat = "hh:nn:ss";
    model.Settings.ShortDateFormat = "dd/mm/yyyy";
    return model;
}

} // namespace

TEST(ShelfSpinModel, StepsOfEachTypeStayWithinTheirLimits) {
    struct Case {
        TShelfSpinType type;
        int min, max;
        const char* text;
        int caret;
        bool up;
        const char* expected;
    };
    using T = TShelfSpinType;
    for (Case c :
         {// Whole numbers: no limit when both are 0; what is no number starts at the least.
          Case{T::sptNormal, 0, 100, "100", 0, true, "100"},
          {T::sptNormal, 0, 100, "0", 0, false, "0"},
          {T::sptNormal, 0, 100, "50", 0, true, "51"},
          {T::sptNormal, 0, 0, "100", 0, true, "101"},
          {T::sptNormal, 0, 0, "-5", 0, false, "-6"},
          {T::sptNormal, 10, 100, "abc", 0, true, "11"},
          {T::sptNormal, 10, 100, "", 0, false, "10"},
          // Times by the field under the caret, round the clock.
          {T::sptTime, 0, 100, "00:00:30", 7, false, "00:00:29"},
          {T::sptTime, 0, 100, "00:00:00", 0, false, "23:00:00"},
          {T::sptTime, 0, 100, "23:59:59", 7, true, "00:00:00"},
          {T::sptTime, 0, 100, "10:15:00", 4, true, "10:16:00"},
          {T::sptTime, 0, 100, "10:15:00", 2, true, "11:15:00"},
          {T::sptTime, 0, 100, "not a time", 0, true, "01:00:00"},
          // Dates by day, month or year, kept to the month's length.
          {T::sptDate, 0, 100, "31/01/2024", 0, true, "01/02/2024"},
          {T::sptDate, 0, 100, "01/03/2024", 2, false, "29/02/2024"},
          {T::sptDate, 0, 100, "31/01/2024", 3, true, "29/02/2024"},
          {T::sptDate, 0, 100, "31/03/2023", 5, false, "28/02/2023"},
          {T::sptDate, 0, 100, "29/02/2024", 8, true, "28/02/2025"},
          {T::sptDate, 0, 100, "29/02/2024", 6, false, "28/02/2023"},
          {T::sptDate, 0, 100, "15/06/2024", 10, true, "15/06/2025"}}) {
        TSpinValueModel model = TimeAndDateModel(c.type);
        model.MinValue = c.min;
        model.MaxValue = c.max;
        EXPECT_EQ(model.Step(c.text, c.caret, c.up), c.expected) << c.text << " " << c.caret;
    }
    // A step past the range of whole numbers stops at the limit, or at the end of the range
    // when there is no limit.
    const std::string most = std::to_string(std::numeric_limits<int>::max());
    const std::string least = std::to_string(std::numeric_limits<int>::min());
    for (int increment : {1, std::numeric_limits<int>::max()}) {
        TSpinValueModel model;
        model.Increment = increment;
        EXPECT_EQ(model.Step(most, 0, true), "100") << increment;
        EXPECT_EQ(model.Step(least, 0, false), "0") << increment;
        model.MaxValue = 0;
        EXPECT_EQ(model.Step(most, 0, true), most) << increment;
        EXPECT_EQ(model.Step(least, 0, false), least) << increment;
    }
    TSpinValueModel limited = TimeAndDateModel(TShelfSpinType::sptDate);
    limited.MinDateValue = EncodeDate(2024, 1, 1);
    limited.MaxDateValue = EncodeDate(2024, 12, 31);
    EXPECT_EQ(limited.Step("31/12/2024", 0, true), "31/12/2024");
    EXPECT_EQ(limited.Step("garbage", 0, false), "01/01/2024");
}

TEST(ShelfSpinModel, DecimalNumbersReadWriteAndClamp) {
    TSpinValueModel model;
    model.SpinType = TShelfSpinType::sptFloat;
    model.IncrementFloat = 0.25;
    EXPECT_EQ(model.Step("1.5", 0, true), "1.75");
    EXPECT_EQ(model.Step("99.9", 0, true), "100");
    EXPECT_DOUBLE_EQ(model.ReadFloat("x1"), 0.0);
    model.Precision = 2;
    EXPECT_EQ(model.WriteFloat(1.5), "1.50");
    model.Settings.DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(model.ReadFloat("2,5"), 2.5);
    EXPECT_EQ(model.WriteFloat(2.5), "2,50");
}

TEST(ShelfSpinModel, TypedCharactersAreFiltered) {
    struct Case {
        TShelfSpinType type;
        int precision;
        bool editorEnabled;
        const char* text;
        int caret, selected;
        char16_t key;
        bool valid;
        char16_t inserted;
    };
    using T = TShelfSpinType;
    for (Case c : {Case{T::sptFloat, 2, true, "1.25", 4, 0, u'3', false, u'3'},
                   {T::sptFloat, 2, true, "1.25", 4, 1, u'3', true, u'3'},
                   {T::sptFloat, 2, true, "1.25", 1, 0, u'3', true, u'3'},
                   {T::sptFloat, 2, true, "1.2", 3, 0, u'5', true, u'5'},
                   {T::sptFloat, 0, true, "12", 2, 0, u',', true, u'.'},
                   {T::sptFloat, 0, true, "1.2", 3, 0, u'.', false, u'.'},
                   {T::sptFloat, 0, true, "1.2", 3, 0, u',', false, u'.'},
                   {T::sptNormal, 0, true, "1", 1, 0, u'a', false, u'a'},
                   {T::sptNormal, 0, true, "1", 1, 0, u':', false, u':'},
                   {T::sptNormal, 0, true, "1", 1, 0, u'/', false, u'/'},
                   {T::sptTime, 0, true, "1:2", 3, 0, u':', true, u':'},
                   {T::sptTime, 0, true, "1:2:3", 5, 0, u':', false, u':'},
                   {T::sptDate, 0, true, "1/2", 3, 0, u'/', true, u'/'},
                   {T::sptNormal, 0, true, "1", 1, 0, u'\r', false, u'\r'},
                   {T::sptNormal, 0, true, "1", 1, 0, u'\b', true, u'\b'},
                   {T::sptNormal, 0, false, "1", 1, 0, u'5', false, u'5'},
                   {T::sptNormal, 0, false, "1", 1, 0, u'\b', false, u'\b'},
                   {T::sptNormal, 0, false, "1", 1, 0, u'\x03', true, u'\x03'}}) {
        TSpinValueModel model;
        model.SpinType = c.type;
        model.Precision = c.precision;
        model.EditorEnabled = c.editorEnabled;
        char16_t key = c.key;
        EXPECT_EQ(model.IsValidChar(key, c.text, c.caret, c.selected), c.valid)
            << c.text << " " << static_cast<int>(c.key);
        EXPECT_EQ(key, c.inserted);
    }
}

TEST(ShelfSpinModel, EditMasksBecomeQtInputMasks) {
    struct Case {
        const char* mask;
        const char* qt;
    };
    for (Case c : {Case{"!99/99/0000;1;_", "00/00/9999;_"},
                   {"LLL", "AAA;_"},
                   {">ll<aa", ">aa<nn;_"},
                   {"000\\-00", "999-99;_"},
                   {"CC:cc", "XX:xx;_"},
                   {"X00;0; ", "\\X99; "},
                   {"<>A", "!N;_"},
                   {"", ""}}) {
        EXPECT_EQ(QtInputMask(c.mask), c.qt) << c.mask;
    }
}

TEST(ShelfSpinEdit, HeldButtonRepeatsAfterADelay) {
    TShelfSpinEdit edit;
    edit.SetMaxValue(0); // no limit
    edit.resize(80, 22);
    TShelfTimerSpeedButton& up = edit.Button().UpButton();
    std::vector<std::pair<int, std::string>> steps;
    int now = 0;
    QTest::mousePress(&up, Qt::LeftButton);
    steps.emplace_back(now, edit.Text());
    ASSERT_NE(up.RepeatTimer(), nullptr);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(up.RepeatTimer()->Enabled());
        now += up.RepeatTimer()->Interval();
        up.RepeatTimer()->Tick();
        steps.emplace_back(now, edit.Text());
    }
    using Steps = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(steps, (Steps{{0, "1"}, {400, "2"}, {500, "3"}, {600, "4"}}));
    QTest::mouseRelease(&up, Qt::LeftButton);
    EXPECT_FALSE(up.RepeatTimer()->Enabled());
}

TEST(ShelfSpinEdit, ReadOnlyAndDisabledEditorsRefuseInput) {
    TShelfSpinEdit edit;
    int beeps = 0;
    edit.Beep = [&] { ++beeps; };
    edit.setText("5");
    edit.setReadOnly(true);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "5");
    EXPECT_EQ(beeps, 1);

    edit.setReadOnly(false);
    edit.SetEditorEnabled(false);
    QTest::keyClicks(&edit, "7");
    EXPECT_EQ(edit.Text(), "5");
    EXPECT_EQ(beeps, 2);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Text(), "6");

    TShelfSpinEdit decimal;
    decimal.SetSpinType(TShelfSpinType::sptFloat);
    decimal.setText("");
    QTest::keyClicks(&decimal, "1,2,5");
    EXPECT_EQ(decimal.Text(), "1.25");
}

TEST(ShelfSpinEdit, TransparentButtonShowsTheEditorThroughItsGaps) {
    TShelfSpinEdit edit;
    edit.resize(80, 30);
    const QImage opaque = edit.grab().toImage();
    const QRect button = edit.Button().geometry();
    // The last row of the button is left free by the down arrow.
    const QPoint gap(button.center().x(), button.bottom());
    const QPoint beside(button.left() - 2, button.bottom());
    EXPECT_EQ(opaque.pixelColor(gap), QColorOf(clBtnFace));
    edit.SetSpinTransparent(true);
    QImage shown = edit.grab().toImage();
    EXPECT_EQ(shown.pixelColor(gap), shown.pixelColor(beside));
    EXPECT_NE(shown.pixelColor(gap), QColorOf(clBtnFace));
    EXPECT_EQ(edit.Button().geometry(), button);
}

TEST(ShelfSpinEdit, TheHeightFollowsTheFontAndShrinksOnlyWithAutoSize) {
    const auto need = [](const QFont& font) {
        const int own = QFontMetrics(font).height();
        const int system = QFontMetrics(QApplication::font()).height();
        return own + std::min(own, system) / 4 + 2 + 4;
    };
    for (bool autoSize : {true, false}) {
        TShelfSpinEdit edit;
        edit.SetAutoSize(autoSize);
        QFont big = edit.font();
        big.setPixelSize(40);
        edit.setFont(big);
        edit.resize(80, 10);
        EXPECT_EQ(edit.height(), need(big)) << autoSize; // a smaller height is always raised
        QFont small = big;
        small.setPixelSize(10);
        edit.setFont(small);
        EXPECT_EQ(edit.height(), autoSize ? need(small) : need(big)) << autoSize;
    }
}

TEST(ShelfSpinEdit, LoadedWritesTheKeptDateOrTimeInTheFinalType) {
    struct Case {
        TShelfSpinType type;
        const char* text;
        const char* expected;
    };
    using T = TShelfSpinType;
    for (Case c : {Case{T::sptDate, "0", "05/03/2024"},
                   {T::sptTime, "0", "13:45:10"},
                   {T::sptNormal, "250", "100"},
                   {T::sptFloat, "x", "0"}}) {
        TShelfSpinEdit edit;
        edit.Model().Settings.ShortDateFormat = "dd/mm/yyyy";
        edit.Model().Settings.LongTimeFormat = "hh:nn:ss";
        edit.Loading();
        edit.SetSpinType(c.type);
        edit.setText(c.text);
        edit.SetDateValue(EncodeDate(2024, 3, 5));
        edit.SetTimeValue(EncodeTime(13, 45, 10, 0));
        EXPECT_EQ(edit.Text(), c.text);
        edit.Loaded();
        EXPECT_EQ(edit.Text(), c.expected) << c.text;
    }
}

TEST(ShelfEditBtn, ButtonAndF4RaiseOnClickBtn) {
    TShelfEditBtn edit;
    edit.resize(100, 22);
    int clicks = 0;
    edit.OnClickBtn = [&] { ++clicks; };
    QTest::keyClick(&edit, Qt::Key_F4);
    QTest::mousePress(&edit.Button().Button(), Qt::LeftButton);
    EXPECT_EQ(clicks, 2);
    edit.SetEditorEnabled(false);
    edit.setText("0");
    QTest::keyClicks(&edit, "abc");
    EXPECT_EQ(edit.text(), "0");
}

TEST(ShelfColorCombo, NamedEntriesRoundTripAndOthersAreCustom) {
    TShelfColorComboBox combo;
    ASSERT_EQ(combo.count(), 41);
    struct Case {
        int index;
        const char* name;
        TColor color;
    };
    for (Case c : {Case{0, "Black", clBlack},
                   {6, "Teal", clTeal},
                   {15, "White", clWhite},
                   {16, "Background", clBackground},
                   {30, "BtnFace", clBtnFace},
                   {39, "Infobk", clInfoBk}}) {
        combo.SetColorValue(c.color);
        EXPECT_EQ(combo.currentIndex(), c.index);
        EXPECT_EQ(combo.itemText(c.index).toStdString(), c.name);
        EXPECT_EQ(combo.ColorValue(), c.color);
    }
    for (int i = 0; i < 40; ++i) {
        combo.SetColorValue(combo.ColorOfIndex(i));
        EXPECT_EQ(combo.currentIndex(), i);
    }
    combo.SetColorValue(RGB(1, 2, 3));
    EXPECT_EQ(combo.currentIndex(), 40);
    EXPECT_EQ(combo.currentText().toStdString(), "Custom Color ...");
    EXPECT_EQ(combo.ColorValue(), RGB(1, 2, 3));
    EXPECT_EQ(combo.CustomColor(), RGB(1, 2, 3));
}

TEST(ShelfCombo, ButtonWidthAndDisabledColour) {
    TShelfComboBox combo;
    combo.SetButtonWidth(20);
    for (auto [width, expected] : {std::pair{14, 14}, {32, 32}, {13, 32}, {40, 32}}) {
        combo.SetButtonWidth(width);
        EXPECT_EQ(combo.ButtonWidth(), expected) << width;
    }
    TCustomControl parent;
    parent.SetColor(clRed);
    TShelfComboBox child(&parent);
    child.SetColor(clYellow);
    child.setEnabled(false);
    EXPECT_EQ(child.Color(), clRed);
    child.setEnabled(true);
    EXPECT_EQ(child.Color(), clYellow);
    EXPECT_FALSE(child.ParentColor());
}

TEST(ShelfCombo, TheRingAroundTheButtonAtRestIsTheButtonFace) {
    TShelfComboBox combo;
    combo.SetColor(clYellow);
    combo.SetButtonWidth(18);
    combo.resize(120, 24);
    ASSERT_FALSE(combo.MouseInside());
    ASSERT_FALSE(combo.hasFocus());
    const QImage shot = combo.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The ring runs one pixel around the button; its top, bottom and right are the control's
    // own frame, its left side stands between the text and the button.
    const int left = combo.width() - combo.ButtonWidth() - 2;
    for (int y = 3; y < combo.height() - 3; ++y) {
        EXPECT_EQ(shot.pixelColor(left, y), QColorOf(clBtnFace)) << y;
    }
    EXPECT_EQ(shot.pixelColor(left + 4, 2), QColorOf(clYellow));
    EXPECT_EQ(shot.pixelColor(combo.width() - 3, combo.height() / 2), QColorOf(clYellow));
    EXPECT_EQ(shot.pixelColor(left - 1, combo.height() / 2), QColorOf(clYellow));
}
