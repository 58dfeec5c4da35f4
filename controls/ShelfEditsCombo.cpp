#include "controls/ShelfEditsCombo.h"

#include "controls/ShelfXPVS.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/widgets/Control.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr TColor ColorTable[40] = {
    clBlack,        clMaroon,         clGreen,         clOlive,           clNavy,
    clPurple,       clTeal,           clGray,          clSilver,          clRed,
    clLime,         clYellow,         clBlue,          clFuchsia,         clAqua,
    clWhite,        clBackground,     clActiveCaption, clInactiveCaption, clMenu,
    clWindow,       clWindowFrame,    clMenuText,      clWindowText,      clCaptionText,
    clActiveBorder, clInactiveBorder, clAppWorkSpace,  clHighlight,       clHighlightText,
    clBtnFace,      clBtnShadow,      clGrayText,      clBtnText,         clInactiveCaptionText,
    clBtnHighlight, cl3DDkShadow,     cl3DLight,       clInfoText,        clInfoBk};

const char* const CustomColorName = "Custom Color ...";

TColor ColorOfQ(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

// One entry: a swatch framed in black and the name beside it.
void DrawColorEntry(QPainter& painter, const QRect& r, TColor color, const QString& name,
                    bool selected, TColor background, const QColor& text) {
    painter.fillRect(r, selected ? QColorOf(clHighlight) : QColorOf(background));
    painter.setPen(Qt::black);
    painter.setBrush(QColorOf(color));
    painter.drawRect(
        QRect(QPoint(r.left() + 1, r.top() + 1), QPoint(r.left() + 19, r.bottom() - 1)));
    painter.setPen(selected ? QColorOf(clHighlightText) : text);
    painter.drawText(QRect(r.left() + 22, r.top(), r.width() - 22, r.height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
}

class TColorDelegate : public QStyledItemDelegate {
public:
    TColorDelegate(TShelfColorComboBox* combo) : QStyledItemDelegate(combo), combo_(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        bool selected = option.state & (QStyle::State_Selected | QStyle::State_HasFocus);
        DrawColorEntry(*painter, option.rect, combo_->ColorOfIndex(index.row()),
                       index.data().toString(), selected, combo_->Color(),
                       combo_->palette().color(QPalette::Text));
    }

private:
    TShelfColorComboBox* combo_;
};

} // namespace

// ---- flat combo

TShelfCustomCombo::TShelfCustomCombo(QWidget* parent, bool editable)
    : QComboBox(parent),
      buttonWidth_(QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2) {
    setEditable(editable);
    setAttribute(Qt::WA_Hover);
    ApplyColor();
}

void TShelfCustomCombo::SetFlat(bool value) {
    flat_ = value;
    update();
}

void TShelfCustomCombo::SetEtched(bool value) {
    etched_ = value;
    update();
}

void TShelfCustomCombo::SetFocusBorder(bool value) {
    focusBorder_ = value;
    update();
}

void TShelfCustomCombo::SetButtonWidth(int value) {
    if (value < 14 || value > 32) {
        return;
    }
    buttonWidth_ = value;
    PlaceEditor();
    update();
}

void TShelfCustomCombo::SetDropWidth(int value) {
    dropWidth_ = value;
}

void TShelfCustomCombo::SetIsWinXP(bool value) {
    isWinXP_ = value;
    update();
}

void TShelfCustomCombo::SetBkColor(TColor value) {
    bkColor_ = value;
    update();
}

TColor TShelfCustomCombo::Color() const {
    if (!parentColor_ || !parentWidget()) {
        return color_;
    }
    if (auto* control = dynamic_cast<TCustomControl*>(parentWidget())) {
        return control->Color();
    }
    return ColorOfQ(parentWidget()->palette().color(QPalette::Window));
}

void TShelfCustomCombo::SetColor(TColor value) {
    color_ = value;
    parentColor_ = false;
    ApplyColor();
}

void TShelfCustomCombo::SetParentColor(bool value) {
    parentColor_ = value;
    ApplyColor();
}

void TShelfCustomCombo::ApplyColor() {
    QPalette p = palette();
    QColor c = QColorOf(Color());
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Button, c);
    setPalette(p);
    if (lineEdit()) {
        lineEdit()->setPalette(p);
    }
    update();
}

bool TShelfCustomCombo::DoVisualStyles() const {
    return isWinXP_ && IsThemeActive();
}

void TShelfCustomCombo::showPopup() {
    if (dropWidth_ >= 1) {
        view()->setMinimumWidth(dropWidth_);
    }
    dropped_ = true;
    QComboBox::showPopup();
    update();
}

void TShelfCustomCombo::hidePopup() {
    dropped_ = false;
    QComboBox::hidePopup();
    update();
}

void TShelfCustomCombo::enterEvent(QEnterEvent* e) {
    QComboBox::enterEvent(e);
    if (isEnabled()) {
        mouseInside_ = true;
        update();
        if (autoFocus_) {
            setFocus(Qt::MouseFocusReason);
        }
    }
}

void TShelfCustomCombo::leaveEvent(QEvent* e) {
    QComboBox::leaveEvent(e);
    if (isEnabled()) {
        mouseInside_ = false;
        update();
    }
}

void TShelfCustomCombo::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    update();
}

void TShelfCustomCombo::focusOutEvent(QFocusEvent* e) {
    QComboBox::focusOutEvent(e);
    update();
}

void TShelfCustomCombo::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange && flat_) {
        // A disabled combo takes on the colour around it and gets its own back when enabled.
        if (!isEnabled()) {
            savedColor_ = color_;
            savedParentColor_ = parentColor_;
            parentColor_ = true;
        } else {
            color_ = savedColor_;
            parentColor_ = savedParentColor_;
        }
        ApplyColor();
    }
    QComboBox::changeEvent(e);
}

void TShelfCustomCombo::resizeEvent(QResizeEvent* e) {
    QComboBox::resizeEvent(e);
    PlaceEditor();
}

void TShelfCustomCombo::PlaceEditor() {
    if (flat_ && lineEdit()) {
        lineEdit()->setGeometry(3, 3, std::max(0, width() - buttonWidth_ - 6),
                                std::max(0, height() - 6));
    }
}

void TShelfCustomCombo::PaintValue(QPainter& painter, const QRect& r) {
    painter.setPen(palette().color(hasFocus() ? QPalette::HighlightedText : QPalette::Text));
    if (hasFocus()) {
        painter.fillRect(r, QColorOf(clHighlight));
    }
    painter.drawText(r.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, currentText());
}

void TShelfCustomCombo::paintEvent(QPaintEvent* e) {
    if (!flat_) {
        QComboBox::paintEvent(e);
        return;
    }
    QPainter painter(this);
    const int w = width();
    const int h = height();
    painter.fillRect(rect(), QColorOf(Color()));
    if (!isEditable()) {
        PaintValue(painter, QRect(3, 3, std::max(0, w - buttonWidth_ - 6), std::max(0, h - 6)));
    }
    TQtCanvas canvas(&painter, {w, h}, 96, 96);
    // The drop-down button.
    TRect button = Rect(w - buttonWidth_ - 2 + 1, 2 + 1, w - 2 - 1, h - 2 - 1);
    bool themed = false;
    if (DoVisualStyles()) {
        if (HTHEME theme = OpenThemeData(this, "combobox")) {
            int state = QApplication::mouseButtons() != Qt::NoButton ? CBXS_PRESSED : CBXS_NORMAL;
            themed = DrawThemeBackground(theme, canvas, CP_DROPDOWNBUTTON, state, button);
            CloseThemeData(theme);
        }
    }
    if (!themed) {
        DrawFrameControl(canvas, button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
    }
    // The borders: raised while hovered or focused with FocusBorder, else blended in.
    const bool active = mouseInside_ || hasFocus();
    TRect r = Rect(0, 0, w, h);
    if (focusBorder_ && active) {
        DrawEdge(canvas, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        canvas.Brush().SetColor(clBtnFace);
        canvas.FrameRect(r);
    } else {
        canvas.Brush().SetColor(bkColor_);
        canvas.FrameRect(r);
        r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        canvas.FrameRect(r);
    }
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    canvas.Brush().SetColor(Color());
    canvas.FrameRect(r);
    TRect frame = Rect(w - buttonWidth_ - 2, 2, w - 2, h - 2);
    if (active) {
        DrawEdge(canvas, frame, etched_ ? EDGE_ETCHED : EDGE_RAISED,
                 BF_RECT | (dropped_ ? BF_FLAT : 0u));
    } else {
        // At rest the ring around the button takes the button's face colour, so the button
        // stands apart from the text; its top, bottom and right stay the control's frame.
        const TClipKeeper clip(canvas);
        canvas.ExcludeClipRect(button);
        canvas.Brush().SetColor(clBtnFace);
        canvas.FillRect(Rect(frame.Left, frame.Top + 1, frame.Right - 1, frame.Bottom - 1));
    }
}

// ---- colour combo

TShelfColorComboBox::TShelfColorComboBox(QWidget* parent) : TShelfComboBox(parent, false) {
    for (TColor c : ColorTable) {
        addItem(QString::fromStdString(ColorToName(c).value_or("???")));
    }
    addItem(CustomColorName);
    setItemDelegate(new TColorDelegate(this));
    setCurrentIndex(-1);
}

void TShelfColorComboBox::SetCustomColor(TColor value) {
    customColor_ = value;
    update();
}

TColor TShelfColorComboBox::ColorOfIndex(int index) const {
    if (index >= 0 && index < CustomIndex) {
        return ColorTable[index];
    }
    return index == CustomIndex ? customColor_ : 0;
}

void TShelfColorComboBox::SetColorValue(TColor value) {
    for (int i = 0; i < CustomIndex; ++i) {
        if (ColorTable[i] == value) {
            setCurrentIndex(i);
            return;
        }
    }
    customColor_ = value;
    setCurrentIndex(CustomIndex);
    update();
}

void TShelfColorComboBox::PaintValue(QPainter& painter, const QRect& r) {
    const int index = currentIndex();
    const bool listed = index >= 0 && index <= CustomIndex;
    DrawColorEntry(painter, r, listed ? ColorOfIndex(index) : clWhite,
                   listed ? itemText(index) : QStringLiteral("???"), hasFocus(), Color(),
                   palette().color(QPalette::Text));
}

// ---- date-time picker

namespace {
const QDate DayZero(1899, 12, 30);
constexpr double MsPerDay = 86400000.0;
} // namespace

QDateTime QDateTimeOf(TDateTime value) {
    double day = std::floor(value);
    int ms = static_cast<int>(std::llround((value - day) * MsPerDay));
    ms = std::min(ms, static_cast<int>(MsPerDay) - 1);
    return QDateTime(DayZero.addDays(static_cast<qint64>(day)), QTime(0, 0).addMSecs(ms));
}

TDateTime DateTimeOf(const QDateTime& value) {
    return static_cast<double>(DayZero.daysTo(value.date())) +
           value.time().msecsSinceStartOfDay() / MsPerDay;
}

TShelfDateTimePicker::TShelfDateTimePicker(QWidget* parent) : QDateTimeEdit(parent) {
    SetKind(TDateTimeKind::dtkDate);
}

void TShelfDateTimePicker::SetKind(TDateTimeKind value) {
    kind_ = value;
    const bool date = value == TDateTimeKind::dtkDate;
    setDisplayFormat(date ? "M/d/yyyy" : "h:mm:ss AP");
    setCalendarPopup(date);
}

void TShelfDateTimePicker::DropDown() {
    QApplication::postEvent(this, new QKeyEvent(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier));
}

void TShelfDateTimePicker::paintEvent(QPaintEvent* e) {
    QDateTimeEdit::paintEvent(e);
    // Two frames in the window colour hide the sunken border.
    QPainter painter(this);
    painter.setPen(QColorOf(clWindow));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
}
