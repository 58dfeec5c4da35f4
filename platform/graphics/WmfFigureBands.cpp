// Figures of many long edges. Each time a path is drawn the rasterizer passes over all of its
// edges, and then over every device row each edge crosses: one polygon record of 32,000 points
// zigzagging over a printed page took seconds to fill and stroke, and no clock read between
// records could stop it. Such a figure is drawn a band of device rows at a time, the clock read
// between bands (the bands together light exactly the pixels the whole figure does), and a
// figure whose edges alone would take longer to pass over than the time left stops the play.
#include "platform/graphics/WmfPlayback.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Device rows crossed by edges in one band: a band takes well under a tenth of a second.
constexpr double BandCrossings = 1e6;
// What one pass over an edge costs, in nanoseconds: a stroked edge is turned into an outline
// first, a filled one only sorted.
constexpr double StrokedEdgeNanos = 2000;
constexpr double FilledEdgeNanos = 100;

struct TFigureWork {
    double Edges = 0;
    double Crossings = 0;
};

// The edges of `path` and the rows between `top` and `bottom` they cross; a curve counts by
// its control points.
TFigureWork WorkOf(const QPainterPath& path, double top, double bottom) {
    TFigureWork work;
    double lastY = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (!e.isMoveTo()) {
            work.Edges += 1;
            work.Crossings += std::clamp(std::max(lastY, e.y), top, bottom) -
                              std::clamp(std::min(lastY, e.y), top, bottom);
        }
        lastY = e.y;
    }
    return work;
}

} // namespace

void TWmfPlayback::DrawInBands(const QRectF& bounds, const QPainterPath& fill,
                               const QPainterPath& stroke, const std::function<void()>& draw) {
    const QPaintDevice* device = painter_->device();
    const int width = device ? device->width() : 0;
    const int height = device ? device->height() : 0;
    const double top = std::clamp(std::floor(bounds.top()), 0.0, double(height));
    const double bottom = std::clamp(std::ceil(bounds.bottom()), 0.0, double(height));
    const TFigureWork filled = WorkOf(fill, top, bottom);
    const TFigureWork stroked = WorkOf(stroke, top, bottom);
    const double passMillis =
        (filled.Edges * FilledEdgeNanos + stroked.Edges * StrokedEdgeNanos) / 1e6;
    if (passMillis > double(millis_ - clock_.elapsed())) {
        stopped_ = true;
        return;
    }
    // An outline is stroked along both its sides.
    const double crossings = filled.Crossings + 2 * stroked.Crossings;
    const int rows = static_cast<int>(bottom - top);
    const int bands = static_cast<int>(
        std::clamp(std::ceil(crossings / BandCrossings), 1.0, std::max(1.0, double(rows))));
    if (bands <= 1 || width <= 0) {
        draw();
        return;
    }
    const int bandRows = (rows + bands - 1) / bands;
    for (int y = static_cast<int>(top); y < bottom && !OutOfTime(); y += bandRows) {
        painter_->save();
        painter_->setClipRect(QRect(0, y, width, bandRows), Qt::IntersectClip);
        draw();
        painter_->restore();
    }
}
