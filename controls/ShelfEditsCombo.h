#pragma once

// The flat combo box (its own border and button painting, hover and AutoFocus), the colour
// combo with its 41 entries, and the date-time picker with a flat frame.

#include "controls/ShelfEditsSpeedButton.h"
#include "platform/base/DateTime.h"

#include <QComboBox>
#include <QDateTimeEdit>

class TShelfCustomCombo : public QComboBox {
public:
    // `editable` is the drop-down style (typing allowed); off for a list of fixed entries.
    explicit TShelfCustomCombo(QWidget* parent = nullptr, bool editable = true);

    bool AutoFocus() const { return autoFocus_; }
    void SetAutoFocus(bool value) { autoFocus_ = value; }
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    bool Etched() const { return etched_; }
    void SetEtched(bool value);
    bool FocusBorder() const { return focusBorder_; }
    void SetFocusBorder(bool value);
    int ButtonWidth() const { return buttonWidth_; }
    // Only 14 to 32 is taken.
    void SetButtonWidth(int value);
    int DropWidth() const { return dropWidth_; }
    void SetDropWidth(int value);
    bool IsWinXP() const { return isWinXP_; }
    void SetIsWinXP(bool value);
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor value);
    // The colour shown: the parent's while ParentColor is on.
    TColor Color() const;
    void SetColor(TColor value);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    bool MouseInside() const { return mouseInside_; }
    bool DoVisualStyles() const;

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // The value shown in a list-only combo.
    virtual void PaintValue(QPainter& painter, const QRect& r);

private:
    void ApplyColor();
    void PlaceEditor();

    bool autoFocus_ = false;
    bool flat_ = true;
    bool etched_ = false;
    bool focusBorder_ = false;
    int buttonWidth_;
    int dropWidth_ = 0;
    bool isWinXP_ = false;
    TColor bkColor_ = 0;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    TColor savedColor_ = clWindow;
    bool savedParentColor_ = false;
    bool mouseInside_ = false;
    bool dropped_ = false;
};

using TShelfComboBox = TShelfCustomCombo;

class TShelfColorComboBox : public TShelfComboBox {
public:
    static constexpr int CustomIndex = 40;

    explicit TShelfColorComboBox(QWidget* parent = nullptr);

    TColor CustomColor() const { return customColor_; }
    void SetCustomColor(TColor value);
    // The colour of the selected entry (CustomColor for "Custom Color ...", 0 for none).
    TColor ColorValue() const { return ColorOfIndex(currentIndex()); }
    // Selects the entry of a listed colour; any other becomes the custom colour.
    void SetColorValue(TColor value);
    TColor ColorOfIndex(int index) const;

protected:
    void PaintValue(QPainter& painter, const QRect& r) override;

private:
    TColor customColor_ = 0;
};

enum class TDateTimeKind { dtkDate, dtkTime };

// Conversions between the framework's day numbers and Qt's date-times (local, no zone).
QDateTime QDateTimeOf(TDateTime value);
TDateTime DateTimeOf(const QDateTime& value);

class TShelfDateTimePicker : public QDateTimeEdit {
public:
    explicit TShelfDateTimePicker(QWidget* parent = nullptr);

    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind value);
    TDateTime DateTime() const { return DateTimeOf(dateTime()); }
    void SetDateTime(TDateTime value) { setDateTime(QDateTimeOf(value)); }
    // Opens the calendar of a date picker, as F4 does.
    void DropDown();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TDateTimeKind kind_ = TDateTimeKind::dtkDate;
};
