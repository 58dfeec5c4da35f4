#include "controls/ShelfEdits.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QStyle>

namespace {

bool IsPasteOrCut(QKeyEvent* e) {
    return e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut);
}

// The font's height plus a quarter of the smaller of it and the system font's.
int TextHeight(const QWidget& w) {
    int own = w.fontMetrics().height();
    int system = QFontMetrics(QApplication::font()).height();
    return own + std::min(own, system) / 4;
}

} // namespace

// ---- spin button

TShelfSpinButton::TShelfSpinButton(QWidget* parent)
    : QWidget(parent), up_(new TShelfTimerSpeedButton(this)),
      down_(new TShelfTimerSpeedButton(this)), focused_(up_) {
    for (TShelfTimerSpeedButton* b : {up_, down_}) {
        b->SetAllowTimer(true);
        b->OnPress = [this, b] { Pressed(b); };
    }
    up_->OnStep = [this] {
        if (OnUpClick) {
            OnUpClick();
        }
    };
    down_->OnStep = [this] {
        if (OnDownClick) {
            OnDownClick();
        }
    };
    setFocusPolicy(Qt::TabFocus);
    // Opaque: the gaps between and around the arrows show the button face.
    QPalette face = palette();
    face.setColor(QPalette::Window, QColorOf(clBtnFace));
    setPalette(face);
    setBackgroundRole(QPalette::Window); // not the editor's text background
    setAutoFillBackground(true);
    SetDirection(TSpinDirection::spVertical);
    resize(15, 25);
}

void TShelfSpinButton::SetDirection(TSpinDirection value) {
    direction_ = value;
    const bool vertical = value == TSpinDirection::spVertical;
    up_->SetDirection(vertical ? TButtonDirection::bdUp : TButtonDirection::bdRight);
    down_->SetDirection(vertical ? TButtonDirection::bdDown : TButtonDirection::bdLeft);
    resize(vertical ? 15 : 20, height());
    AdjustSize();
}

void TShelfSpinButton::SetFocusBtn(TShelfTimerSpeedButton* button) {
    if (focused_) {
        focused_->SetFocusRect(false);
    }
    focused_ = button;
    focused_->SetFocusRect(hasFocus());
}

void TShelfSpinButton::SetIsWinXP(bool value) {
    up_->SetIsWinXP(value);
    down_->SetIsWinXP(value);
}

void TShelfSpinButton::SetFlat(bool value) {
    up_->SetFlat(value);
    down_->SetFlat(value);
}

void TShelfSpinButton::AdjustSize() {
    const int w = width();
    const int h = height();
    if (direction_ == TSpinDirection::spVertical) {
        if (w < 15) {
            resize(15, h);
            return;
        }
        up_->setGeometry(0, 0, w, h / 2);
        down_->setGeometry(0, h / 2, w, std::max(0, h - h / 2 - 1));
    } else {
        if (w < 20) {
            resize(20, h);
            return;
        }
        down_->setGeometry(0, 0, w / 2, h);
        up_->setGeometry(w / 2 + 1, 0, w / 2, h);
    }
}

void TShelfSpinButton::resizeEvent(QResizeEvent*) {
    AdjustSize();
}

void TShelfSpinButton::Pressed(TShelfTimerSpeedButton* button) {
    SetFocusBtn(button);
    if (focusControl_ && focusControl_->isEnabled() && focusControl_->isVisible() &&
        focusControl_->focusPolicy() != Qt::NoFocus) {
        focusControl_->setFocus(Qt::MouseFocusReason);
    } else if (focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::MouseFocusReason);
    }
}

void TShelfSpinButton::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Space:
        if (const auto& click = focused_ == up_ ? OnUpClick : OnDownClick) {
            click();
        }
        break;
    case Qt::Key_Up:
        SetFocusBtn(up_);
        if (OnUpClick) {
            OnUpClick();
        }
        break;
    case Qt::Key_Down:
        SetFocusBtn(down_);
        if (OnDownClick) {
            OnDownClick();
        }
        break;
    default:
        QWidget::keyPressEvent(e);
    }
}

void TShelfSpinButton::focusInEvent(QFocusEvent*) {
    focused_->SetFocusRect(true);
}

void TShelfSpinButton::focusOutEvent(QFocusEvent*) {
    focused_->SetFocusRect(false);
}

// ---- spin edit

TShelfSpinEdit::TShelfSpinEdit(QWidget* parent)
    : QLineEdit(parent), button_(new TShelfSpinButton(this)) {
    Beep = [] { QApplication::beep(); };
    button_->SetFocusControl(this);
    button_->OnUpClick = [this] { UpClick(); };
    button_->OnDownClick = [this] { DownClick(); };
    button_->setFocusPolicy(Qt::NoFocus);
    setText("0");
    ApplyMinHeight();
}

void TShelfSpinEdit::SetSpinType(TShelfSpinType value) {
    model_.SpinType = value;
    setText(QString::fromStdString(model_.Rewritten(Text())));
}

void TShelfSpinEdit::SetPrecision(int value) {
    model_.Precision = value;
    if (model_.SpinType == TShelfSpinType::sptFloat) {
        setText(QString::fromStdString(model_.Rewritten(Text())));
    }
}

void TShelfSpinEdit::SetDirection(TSpinDirection value) {
    button_->SetDirection(value);
    PlaceButton();
}

void TShelfSpinEdit::SetSpinTransparent(bool value) {
    spinTransparent_ = value;
    button_->setAutoFillBackground(!value);
    PlaceButton();
}

void TShelfSpinEdit::SetAutoSize(bool value) {
    autoSize_ = value;
    ApplyMinHeight();
}

void TShelfSpinEdit::ApplyMinHeight() {
    // A smaller height is always raised to the font's need (Qt raises the current height to a
    // new minimum by itself); with AutoSize the editor also shrinks back to it when its font
    // gets smaller.
    const int minHeight = GetMinHeight();
    setMinimumHeight(minHeight);
    if (autoSize_) {
        resize(width(), minHeight);
    }
}

void TShelfSpinEdit::changeEvent(QEvent* e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        ApplyMinHeight();
    }
}

void TShelfSpinEdit::Loaded() {
    loading_ = false;
    if (model_.SpinType == TShelfSpinType::sptDate) {
        setText(QString::fromStdString(model_.WriteDate(dateValue_)));
    } else if (model_.SpinType == TShelfSpinType::sptTime) {
        setText(QString::fromStdString(model_.WriteTime(timeValue_)));
    }
    setText(QString::fromStdString(model_.Rewritten(Text())));
}

void TShelfSpinEdit::SetValue(int value) {
    setText(QString::fromStdString(model_.WriteValue(value)));
    if (!model_.EditorEnabled) {
        selectAll();
    }
}

void TShelfSpinEdit::SetFloatValue(double value) {
    setText(QString::fromStdString(model_.WriteFloat(value)));
}

void TShelfSpinEdit::SetDateValue(TDateTime value) {
    dateValue_ = value;
    if (!loading_) {
        SetTextKeepCaret(model_.WriteDate(value));
    }
}

void TShelfSpinEdit::SetTimeValue(TDateTime value) {
    timeValue_ = value;
    if (!loading_) {
        SetTextKeepCaret(model_.WriteTime(value));
    }
}

void TShelfSpinEdit::SetTextKeepCaret(const std::string& text) {
    int caret = cursorPosition();
    setText(QString::fromStdString(text));
    setCursorPosition(caret);
}

void TShelfSpinEdit::UpClick() {
    StepBy(true);
}

void TShelfSpinEdit::DownClick() {
    StepBy(false);
}

void TShelfSpinEdit::StepBy(bool up) {
    if (isReadOnly()) {
        if (Beep) {
            Beep();
        }
        return;
    }
    SetTextKeepCaret(model_.Step(Text(), cursorPosition(), up));
    if (!model_.EditorEnabled) {
        selectAll();
    }
}

int TShelfSpinEdit::GetMinHeight() const {
    // A frame takes four of the system's one-pixel borders.
    constexpr int BorderHeight = 1;
    return TextHeight(*this) + 2 + (hasFrame() ? 4 * BorderHeight : 0);
}

void TShelfSpinEdit::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        key == Qt::Key_Up ? UpClick() : DownClick();
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && returnIsTab_) {
        focusNextChild();
        return;
    }
    if (key == Qt::Key_Delete && !model_.EditorEnabled) {
        return;
    }
    if (IsPasteOrCut(e)) {
        if (model_.EditorEnabled && !isReadOnly()) {
            QLineEdit::keyPressEvent(e);
        }
        return;
    }
    const QString typed = e->text();
    if (typed.size() == 1 && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        char16_t ch = typed.at(0).unicode();
        if (!model_.IsValidChar(ch, Text(), cursorPosition(),
                                static_cast<int>(selectedText().size()))) {
            if (Beep) {
                Beep();
            }
            return;
        }
        if (ch != typed.at(0).unicode()) {
            insert(QString(QChar(ch)));
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TShelfSpinEdit::contextMenuEvent(QContextMenuEvent* e) {
    if (model_.EditorEnabled && !isReadOnly()) {
        QLineEdit::contextMenuEvent(e);
    }
}

void TShelfSpinEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    const bool leftDown = (QApplication::mouseButtons() & Qt::LeftButton) != 0;
    if (autoSelect_ && !(leftDown && model_.EditorEnabled)) {
        selectAll();
    }
}

void TShelfSpinEdit::focusOutEvent(QFocusEvent* e) {
    std::string checked = model_.Checked(Text());
    if (checked != Text()) {
        setText(QString::fromStdString(checked));
    }
    QLineEdit::focusOutEvent(e);
}

void TShelfSpinEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    PlaceButton();
}

void TShelfSpinEdit::PlaceButton() {
    const int offset = hasFrame() ? 2 : 1;
    const int w = button_->width();
    button_->setGeometry(width() - w - offset, offset - 1, w,
                         std::max(0, height() - 2 * offset + 2));
    setTextMargins(0, 0, w + 2, 0);
}

void TShelfMaskSpinEdit::SetEditMask(const std::string& value) {
    editMask_ = value;
    setInputMask(QString::fromStdString(QtInputMask(value, Model().Settings)));
}

// ---- edit button

TShelfEditButton::TShelfEditButton(QWidget* parent)
    : QWidget(parent), button_(new TShelfSpeedButton(this)) {
    button_->setText("..");
    QObject::connect(button_, &QAbstractButton::pressed, button_, [this] { Pressed(); });
    resize(20, 25);
}

void TShelfEditButton::resizeEvent(QResizeEvent*) {
    if (height() < 15) {
        resize(width(), 15);
        return;
    }
    button_->setGeometry(0, 0, width(), height());
}

void TShelfEditButton::Pressed() {
    if (OnClick) {
        OnClick();
    }
    QWidget* target = focusControl_;
    if (target && target->focusPolicy() & Qt::TabFocus && target->isEnabled() &&
        target->isVisible()) {
        if (!target->hasFocus()) {
            target->setFocus(Qt::MouseFocusReason);
        }
    } else if (focusPolicy() & Qt::TabFocus) {
        setFocus(Qt::MouseFocusReason);
    }
}

// ---- edit with button

TShelfEditBtn::TShelfEditBtn(QWidget* parent)
    : QLineEdit(parent), button_(new TShelfEditButton(this)) {
    button_->SetFocusControl(this);
    button_->setFocusPolicy(Qt::NoFocus);
    button_->OnClick = [this] { ClickBtn(); };
    setText("0");
    setMinimumHeight(GetMinHeight());
}

void TShelfEditBtn::SetRightAlign(bool value) {
    rightAlign_ = value;
    setAlignment(value ? Qt::AlignRight : Qt::AlignLeft);
}

void TShelfEditBtn::SetButtonWidth(int value) {
    buttonWidth_ = value;
    PlaceButton();
}

int TShelfEditBtn::GetMinHeight() const {
    return TextHeight(*this);
}

void TShelfEditBtn::ClickBtn() {
    if (OnClickBtn) {
        OnClickBtn();
    }
}

void TShelfEditBtn::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F4) {
        ClickBtn();
        return;
    }
    if (!editorEnabled_) {
        const bool typing = !e->text().isEmpty() && e->text().at(0).isPrint();
        if (typing || IsPasteOrCut(e) || e->key() == Qt::Key_Backspace ||
            e->key() == Qt::Key_Delete) {
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TShelfEditBtn::contextMenuEvent(QContextMenuEvent* e) {
    if (editorEnabled_) {
        QLineEdit::contextMenuEvent(e);
    }
}

void TShelfEditBtn::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    PlaceButton();
}

void TShelfEditBtn::PlaceButton() {
    const int offset = hasFrame() ? 2 : 0;
    button_->setGeometry(width() - buttonWidth_ - offset, offset, buttonWidth_,
                         std::max(15, height() - 2 * offset));
    setTextMargins(0, 0, buttonWidth_ + 3, 0);
}
