#include "platform/graphics/WmfPlayer.h"

#include "platform/base/CpuTime.h"
#include "platform/graphics/WmfPlayback.h"

#include <QPainter>

#include <cmath>

namespace {

// How long a metafile without a frame may take to find the box of its drawing when it is
// loaded: loaded and first drawn, a picture takes well under two seconds.
constexpr qint64 MeasureMillis = 500;

struct TBox {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;

    double Width() const { return Right - Left; }
    double Height() const { return Bottom - Top; }
};

// The box the picture fills: the metafile's own window (the extents may be negative, the
// axis then runs the other way), else the frame of its header or of its drawing.
bool BoxOf(const TMetafileLayout& layout, TBox& box) {
    if (layout.Enhanced) {
        return false;
    }
    if (layout.HasWindow) {
        box = {double(layout.WindowLeft), double(layout.WindowTop), double(layout.WindowRight),
               double(layout.WindowBottom)};
    } else if (layout.HasFrame) {
        box = {double(layout.Left), double(layout.Top), double(layout.Right),
               double(layout.Bottom)};
    } else {
        return false;
    }
    return box.Width() != 0 && box.Height() != 0;
}

// The size of the object table the header asks for.
size_t ObjectCount(std::string_view bytes) {
    const size_t header = WmfFirstRecord(bytes) - WmfHeaderSize;
    return bytes.size() >= header + WmfHeaderSize ? ReadU16(bytes, header + 10) : 0;
}

} // namespace

TCpuPlayMeter::TCpuPlayMeter() : start_(ThreadCpuMicros()) {}

qint64 TCpuPlayMeter::Elapsed() {
    return (ThreadCpuMicros() - start_ - leftOut_) / 1000;
}

bool WmfHasBox(const TMetafileLayout& layout) {
    TBox box;
    return BoxOf(layout, box);
}

bool PlayWmf(std::string_view bytes, const TMetafileLayout& layout, QPainter& painter,
             const QRectF& target, qint64 millis) {
    TCpuPlayMeter clock;
    return PlayWmf(bytes, layout, painter, target, millis, clock);
}

bool PlayWmf(std::string_view bytes, const TMetafileLayout& layout, QPainter& painter,
             const QRectF& target, qint64 millis, TPlayMeter& meter) {
    TBox box;
    if (!BoxOf(layout, box) || target.isEmpty()) {
        return true;
    }
    const double sx = target.width() / box.Width();
    const double sy = target.height() / box.Height();
    const QTransform boxToTarget(sx, 0, 0, sy, target.left() - box.Left * sx,
                                 target.top() - box.Top * sy);
    // Playing starts with the window and the viewport both on the box.
    TWmfMapping start;
    start.WindowOrg = start.ViewportOrg = QPointF(box.Left, box.Top);
    start.WindowExt = start.ViewportExt = QPointF(box.Width(), box.Height());
    // The box's units per inch: the frame's own where the box is the frame, else as many as
    // the window spans across the frame's width.
    const double inch = layout.Inch > 0 ? layout.Inch : DefaultMetafileInch;
    const double frameWidth = std::fabs(double(layout.Right) - layout.Left);
    start.UnitsPerInch = layout.HasWindow && layout.Placeable && frameWidth > 0
                             ? std::fabs(box.Width()) * inch / frameWidth
                             : inch;
    TWmfPlayback playback(&painter, boxToTarget * painter.deviceTransform(), start,
                          ObjectCount(bytes), meter);
    return playback.Play(bytes, WmfFirstRecord(bytes), millis);
}

bool WmfDrawingBox(std::string_view bytes, int32_t& left, int32_t& top, int32_t& right,
                   int32_t& bottom) {
    // Played one to one without a painter: the bounds of what would be drawn, within CPU time, so
    // that a busy machine does not give the picture a smaller size.
    TCpuPlayMeter clock;
    TWmfPlayback playback(nullptr, QTransform(), TWmfMapping(), ObjectCount(bytes), clock);
    playback.Play(bytes, WmfFirstRecord(bytes), MeasureMillis);
    const QRectF box = playback.Bounds();
    if (!(box.width() > 0) || !(box.height() > 0) || std::fabs(box.left()) > 32767 ||
        std::fabs(box.top()) > 32767 || std::fabs(box.right()) > 32767 ||
        std::fabs(box.bottom()) > 32767) {
        return false;
    }
    left = static_cast<int32_t>(std::floor(box.left()));
    top = static_cast<int32_t>(std::floor(box.top()));
    right = static_cast<int32_t>(std::ceil(box.right()));
    bottom = static_cast<int32_t>(std::ceil(box.bottom()));
    return true;
}
