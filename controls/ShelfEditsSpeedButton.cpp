#include "controls/ShelfEditsSpeedButton.h"

#include "controls/ShelfXPVS.h"
#include "platform/graphics/Edges.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/widgets/Control.h"

#include <QMouseEvent>
#include <QPainter>

QColor QColorOf(TColor color) {
    uint32_t rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

namespace {

// Draws a themed part of `className`, or reports that the classic look is needed.
bool DrawThemed(QWidget* widget, QPainter& painter, const char* className, int part, int state) {
    HTHEME theme = OpenThemeData(widget, className);
    if (!theme) {
        return false;
    }
    TQtCanvas canvas(&painter, {widget->width(), widget->height()}, 96, 96);
    bool drawn = DrawThemeBackground(theme, canvas, part, state,
                                     Rect(0, 0, widget->width(), widget->height()));
    CloseThemeData(theme);
    return drawn;
}

} // namespace

TShelfSpeedButton::TShelfSpeedButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TShelfSpeedButton::SetFlat(bool value) {
    flat_ = value;
    update();
}

void TShelfSpeedButton::SetIsWinXP(bool value) {
    isWinXP_ = value;
    update();
}

bool TShelfSpeedButton::DoVisualStyles() const {
    return isWinXP_ && IsThemeActive();
}

void TShelfSpeedButton::enterEvent(QEnterEvent* e) {
    hot_ = true;
    update();
    QAbstractButton::enterEvent(e);
}

void TShelfSpeedButton::leaveEvent(QEvent* e) {
    hot_ = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void TShelfSpeedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintFace(painter);
}

void TShelfSpeedButton::PaintFace(QPainter& painter) {
    const int state = !isEnabled() ? PBS_DISABLED
                      : isDown()   ? PBS_PRESSED
                      : hot_       ? PBS_HOT
                                   : PBS_NORMAL;
    if (!DoVisualStyles() || !DrawThemed(this, painter, "button", BP_PUSHBUTTON, state)) {
        TQtCanvas canvas(&painter, {width(), height()}, 96, 96);
        unsigned look = DFCS_BUTTONPUSH | (isDown() ? DFCS_PUSHED : 0u) |
                        (flat_ && !hot_ ? DFCS_FLAT : 0u) | (isEnabled() ? 0u : DFCS_INACTIVE);
        DrawFrameControl(canvas, Rect(0, 0, width(), height()), DFC_BUTTON, look);
    }
    painter.setPen(QColorOf(isEnabled() ? clBtnText : clGrayText));
    painter.setFont(font());
    QRect r = rect();
    if (isDown()) {
        r.translate(1, 1);
    }
    painter.drawText(r, Qt::AlignCenter, text());
}

// ---- the repeating arrow

TShelfTimerSpeedButton::TShelfTimerSpeedButton(QWidget* parent) : TShelfSpeedButton(parent) {}

TShelfTimerSpeedButton::~TShelfTimerSpeedButton() = default;

void TShelfTimerSpeedButton::SetDirection(TButtonDirection value) {
    direction_ = value;
    update();
}

void TShelfTimerSpeedButton::SetFocusRect(bool value) {
    focusRect_ = value;
    update();
}

void TShelfTimerSpeedButton::mousePressEvent(QMouseEvent* e) {
    TShelfSpeedButton::mousePressEvent(e);
    if (e->button() != Qt::LeftButton) {
        return;
    }
    if (OnPress) {
        OnPress();
    }
    if (allowTimer_) {
        if (!timer_) {
            timer_ = std::make_unique<TTimer>();
            timer_->OnTimer = [this] { Repeat(); };
        }
        timer_->SetInterval(FirstDelay);
        timer_->SetEnabled(true);
    }
    Step();
    if (parentWidget()) {
        parentWidget()->update();
    }
}

void TShelfTimerSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    TShelfSpeedButton::mouseReleaseEvent(e);
    if (timer_) {
        timer_->SetEnabled(false);
    }
    if (parentWidget()) {
        parentWidget()->update();
    }
}

void TShelfTimerSpeedButton::Repeat() {
    timer_->SetInterval(RepeatDelay);
    if (!isDown()) {
        timer_->SetEnabled(false);
        return;
    }
    try {
        Step();
    } catch (const std::exception& error) {
        timer_->SetEnabled(false);
        HandleApplicationException(error);
    }
}

void TShelfTimerSpeedButton::Step() {
    if (OnStep) {
        OnStep();
    }
}

void TShelfTimerSpeedButton::PaintFace(QPainter& painter) {
    static constexpr int Parts[] = {SPNP_DOWNHORZ, SPNP_UPHORZ, SPNP_UP, SPNP_DOWN};
    static constexpr unsigned Arrows[] = {DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT, DFCS_SCROLLUP,
                                          DFCS_SCROLLDOWN};
    const int d = static_cast<int>(direction_);
    if (!DoVisualStyles() ||
        !DrawThemed(this, painter, "spin", Parts[d], isDown() ? UPS_PRESSED : UPS_NORMAL)) {
        TQtCanvas canvas(&painter, {width(), height()}, 96, 96);
        unsigned look = Arrows[d] | (isDown() ? DFCS_PUSHED : 0u) | (Flat() ? DFCS_FLAT : 0u);
        DrawFrameControl(canvas, Rect(0, 0, width(), height()), DFC_SCROLL, look);
    }
    if (focusRect_) {
        painter.setPen(QPen(QColorOf(clBtnText), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}
