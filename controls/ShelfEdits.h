#pragma once

// The editor controls the side bar puts over a value: the spin editor for whole and decimal
// numbers, dates and times with its pair of repeating arrow buttons, its masked variant, and
// an edit with a ".." button.

#include "controls/ShelfEditsSpeedButton.h"
#include "controls/ShelfEditsSpinModel.h"

#include <QLineEdit>
#include <QPointer>

#include <functional>
#include <string>

enum class TSpinDirection { spVertical, spHorizontal };

// Two arrow buttons; the one clicked last (or moved to with the arrow keys) has the focus.
class TShelfSpinButton : public QWidget {
public:
    explicit TShelfSpinButton(QWidget* parent = nullptr);

    TSpinDirection Direction() const { return direction_; }
    // Vertical: 15 wide with up and down arrows; horizontal: 20 wide with left and right.
    void SetDirection(TSpinDirection value);
    TShelfTimerSpeedButton& UpButton() { return *up_; }
    TShelfTimerSpeedButton& DownButton() { return *down_; }
    TShelfTimerSpeedButton* FocusedButton() const { return focused_; }
    void SetFocusBtn(TShelfTimerSpeedButton* button);
    // Takes the focus when a button is pressed, when it can.
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control) { focusControl_ = control; }
    void SetIsWinXP(bool value);
    void SetFlat(bool value);

    std::function<void()> OnUpClick;
    std::function<void()> OnDownClick;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void AdjustSize();
    void Pressed(TShelfTimerSpeedButton* button);

    TShelfTimerSpeedButton* up_;
    TShelfTimerSpeedButton* down_;
    TShelfTimerSpeedButton* focused_;
    QPointer<QWidget> focusControl_;
    TSpinDirection direction_ = TSpinDirection::spVertical;
};

class TShelfSpinEdit : public QLineEdit {
public:
    explicit TShelfSpinEdit(QWidget* parent = nullptr);

    // The limits, increments, type and separators; change the type through SetSpinType.
    TSpinValueModel& Model() { return model_; }
    const TSpinValueModel& Model() const { return model_; }
    TShelfSpinType SpinType() const { return model_.SpinType; }
    // Writes the current value again in the new type.
    void SetSpinType(TShelfSpinType value);
    void SetPrecision(int value);
    int MinValue() const { return model_.MinValue; }
    void SetMinValue(int value) { model_.MinValue = value; }
    int MaxValue() const { return model_.MaxValue; }
    void SetMaxValue(int value) { model_.MaxValue = value; }
    bool EditorEnabled() const { return model_.EditorEnabled; }
    void SetEditorEnabled(bool value) { model_.EditorEnabled = value; }
    bool ReturnIsTab() const { return returnIsTab_; }
    void SetReturnIsTab(bool value) { returnIsTab_ = value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    void SetIsWinXP(bool value) { button_->SetIsWinXP(value); }
    void SetSpinFlat(bool value) { button_->SetFlat(value); }
    bool SpinTransparent() const { return spinTransparent_; }
    // A transparent button lets the editor show through the gaps around its arrows.
    void SetSpinTransparent(bool value);
    // On, the height never drops below GetMinHeight (which follows the font).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    void SetDirection(TSpinDirection value);
    TShelfSpinButton& Button() { return *button_; }

    int Value() const { return model_.ReadValue(Text()); }
    void SetValue(int value);
    double FloatValue() const { return model_.ReadFloat(Text()); }
    void SetFloatValue(double value);
    TDateTime DateValue() const { return model_.ReadDate(Text()); }
    void SetDateValue(TDateTime value);
    TDateTime TimeValue() const { return model_.ReadTime(Text()); }
    void SetTimeValue(TDateTime value);
    std::string Text() const { return text().toStdString(); }

    // One step; a read-only editor beeps instead.
    virtual void UpClick();
    virtual void DownClick();
    // The smallest height that shows the text whole.
    int GetMinHeight() const;

    // Loading() starts setting the editor up from stored properties: dates and times set
    // meanwhile are only kept, since the type and limits may not have arrived yet. Loaded()
    // ends it, writing the kept date or time and then the value again in the current type.
    void Loading() { loading_ = true; }
    virtual void Loaded();

    std::function<void()> Beep;

protected:
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void StepBy(bool up);
    void PlaceButton();
    // Sets the text, the caret where it was.
    void SetTextKeepCaret(const std::string& text);
    void ApplyMinHeight();

    TSpinValueModel model_;
    TDateTime dateValue_ = 0;
    TDateTime timeValue_ = 0;
    TShelfSpinButton* button_;
    bool returnIsTab_ = false;
    bool autoSelect_ = true;
    bool autoSize_ = true;
    bool spinTransparent_ = false;
    bool loading_ = false;
};

// A spin editor whose text follows an edit mask (see QtInputMask).
class TShelfMaskSpinEdit : public TShelfSpinEdit {
public:
    using TShelfSpinEdit::TShelfSpinEdit;
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& value);

private:
    std::string editMask_;
};

// A ".." button that reports a left press at once.
class TShelfEditButton : public QWidget {
public:
    explicit TShelfEditButton(QWidget* parent = nullptr);

    TShelfSpeedButton& Button() { return *button_; }
    QString ButtonCaption() const { return button_->text(); }
    void SetButtonCaption(const QString& value) { button_->setText(value); }
    void SetGlyph(const QIcon& glyph) { button_->setIcon(glyph); }
    QWidget* FocusControl() const { return focusControl_; }
    void SetFocusControl(QWidget* control) { focusControl_ = control; }
    void SetFlat(bool value) { button_->SetFlat(value); }
    void SetIsWinXP(bool value) { button_->SetIsWinXP(value); }

    std::function<void()> OnClick;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void Pressed();

    TShelfSpeedButton* button_;
    QPointer<QWidget> focusControl_;
};

// An edit with a ".." button at its right; the button and F4 raise OnClickBtn. With
// EditorEnabled off nothing can be typed, pasted or cut.
class TShelfEditBtn : public QLineEdit {
public:
    explicit TShelfEditBtn(QWidget* parent = nullptr);

    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value) { editorEnabled_ = value; }
    bool RightAlign() const { return rightAlign_; }
    void SetRightAlign(bool value);
    int ButtonWidth() const { return buttonWidth_; }
    void SetButtonWidth(int value);
    void SetIsWinXP(bool value) { button_->SetIsWinXP(value); }
    TShelfEditButton& Button() { return *button_; }
    int GetMinHeight() const;

    std::function<void()> OnClickBtn;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void ClickBtn();
    void PlaceButton();

    TShelfEditButton* button_;
    bool editorEnabled_ = true;
    bool rightAlign_ = false;
    int buttonWidth_ = 18;
};
