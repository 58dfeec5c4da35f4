#include "platform/widgets/Caret.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

TControlCaret::TControlCaret(QWidget& owner, std::function<TPoint()> origin)
    : owner_(owner), origin_(std::move(origin)) {
    timer_.SetEnabled(false);
    timer_.OnTimer = [this] { Blink(); };
}

void TControlCaret::Create(int width, int height) {
    Invalidate();
    exists_ = true;
    hideCount_ = 1;
    width_ = width;
    height_ = height;
    Restart();
}

void TControlCaret::Destroy() {
    Invalidate();
    exists_ = false;
    timer_.SetEnabled(false);
}

void TControlCaret::SetPos(int x, int y) {
    Invalidate();
    x_ = x;
    y_ = y;
    Restart();
}

void TControlCaret::Show() {
    if (hideCount_ > 0 && --hideCount_ == 0) {
        Restart();
    }
}

void TControlCaret::Hide() {
    ++hideCount_;
    Invalidate();
}

bool TControlCaret::Visible() const {
    return Shown() && on_ && owner_.hasFocus();
}

void TControlCaret::PaintOver(QPainter& painter) const {
    if (!Visible()) {
        return;
    }
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(QRect(x_, y_, width_, height_), Qt::white);
    painter.restore();
}

void TControlCaret::Blink() {
    on_ = !on_;
    Invalidate();
}

void TControlCaret::Restart() {
    // A caret that has just moved shows at once; a flash time of 0 or less means no blinking.
    on_ = true;
    const int flash = QApplication::cursorFlashTime();
    timer_.SetInterval(flash > 0 ? flash / 2 : 0);
    timer_.SetEnabled(Shown() && flash > 0);
    Invalidate();
}

void TControlCaret::Invalidate() {
    if (exists_ && width_ > 0 && height_ > 0) {
        const TPoint origin = origin_();
        owner_.update(origin.X + x_, origin.Y + y_, width_, height_);
    }
}
