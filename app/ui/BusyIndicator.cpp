#include "app/ui/BusyIndicator.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int FrameCount = 12;
constexpr int FrameMs = 100; // ten pictures a second are enough for a turning globe

} // namespace

TBusyIndicator::TBusyIndicator(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    timer_.setInterval(FrameMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
}

QSize TBusyIndicator::sizeHint() const {
    return {24, 24};
}

void TBusyIndicator::Start() {
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void TBusyIndicator::Stop() {
    timer_.stop();
    if (frame_ != 0) {
        frame_ = 0;
        update();
    }
}

void TBusyIndicator::Step() {
    frame_ = (frame_ + 1) % FrameCount;
    update();
}

void TBusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height()) - 4;
    const QRectF globe((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    const QColor line = isEnabled() ? QColor(0x1f, 0x4e, 0x8c) : palette().color(QPalette::Mid);
    painter.setPen(QPen(line, 1.2));
    painter.setBrush(QColor(0xcf, 0xe4, 0xf7));
    painter.drawEllipse(globe);

    QPainterPath inside;
    inside.addEllipse(globe);
    painter.setClipPath(inside);
    painter.setBrush(Qt::NoBrush);
    const QPointF centre = globe.center();
    const double radius = side / 2.0;
    // Parallels stand still; meridians move across as the globe turns.
    for (double latitude : {-0.5, 0.0, 0.5}) {
        const double y = centre.y() + latitude * radius;
        painter.drawLine(QPointF(globe.left(), y), QPointF(globe.right(), y));
    }
    for (int meridian = 0; meridian < 3; ++meridian) {
        const double phase = (frame_ + meridian * FrameCount / 3.0) / FrameCount; // 0..1
        const double x = -1.0 + 2.0 * (phase - static_cast<int>(phase));
        const double half = radius * (1.0 - x * x) * 0.9;
        painter.drawEllipse(QPointF(centre.x() + x * radius * 0.6, centre.y()), half, radius);
    }
}
