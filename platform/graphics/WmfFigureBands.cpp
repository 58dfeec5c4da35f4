// Drawing calls weighed before they are made. The rasterizer passes over every edge of a path
// each time the path is drawn, then works row by row through the device rows the path covers,
// and on a row its work can grow with the square of the edges crossing it: one polygon of a
// few thousand points zigzagging over a printed page took tens of seconds in a single call,
// and no clock read between records could stop it. So each call is weighed row by row at its
// worst first, and made a band of rows at a time (a clip of those rows: the bands together
// light exactly the pixels of the whole figure), no band costlier than the time left; a
// figure of which not even one row fits stops the play.
#include "platform/graphics/WmfPlayback.h"

#include "platform/graphics/WmfPlayer.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// What the rasterizer's worst cases cost, in nanoseconds, measured on figures made to be slow
// and rounded up: per row, the square of the edges crossing it and each pixel filled; per
// call, a pass over the edges (a stroked one is turned into an outline first); per pixel of a
// line one pixel wide.
constexpr double RowEdgeSquareNanos = 3;
constexpr double RowPixelNanos = 2;
constexpr double FilledEdgeNanos = 100;
constexpr double StrokedEdgeNanos = 2000;
constexpr double LinePixelNanos = 10;

// An edge of a stroke is crossed on both sides of the pen, and its joins add as many.
constexpr double StrokeEdgeCrossings = 4;

struct TWeighedCall {
    // The rows the call works on, from `Top`, with the worst each costs.
    int Top = 0;
    std::vector<double> RowNanos;
    // The pass over the edges, whatever rows are drawn.
    double PassNanos = 0;
    qsizetype Edges = 0;
};

// Adds `value` to every row of [from, to) through the differences of `rows`.
void AddOverRows(std::vector<double>& rows, double from, double to, double value) {
    const double last = static_cast<double>(rows.size()) - 1;
    const auto first = static_cast<size_t>(std::clamp(std::floor(from), 0.0, last));
    const auto end = static_cast<size_t>(std::clamp(std::floor(to) + 1, 0.0, last));
    rows[first] += value;
    rows[end] -= value;
}

// The edges of `path`: each line between two of its points, a curve by its control points,
// and for a fill the line closing each figure.
template <typename Edge> void ForEachEdge(const QPainterPath& path, bool fill, Edge edge) {
    QPointF start;
    QPointF last;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo()) {
            if (fill && i > 0) {
                edge(last, start);
            }
            start = e;
        } else {
            edge(last, QPointF(e));
        }
        last = e;
    }
    if (fill && path.elementCount() > 0) {
        edge(last, start);
    }
}

// The rows of the device `height` rows high (with a clip within [clipTop, clipBottom)) that
// `path` covers, each weighed at its worst.
TWeighedCall Weigh(const QPainterPath& path, double penWidth, double clipTop, double clipBottom,
                   double deviceWidth) {
    TWeighedCall call;
    const double half = penWidth > 1 ? penWidth / 2 + 1 : 1;
    const QRectF box = path.controlPointRect().adjusted(-half, -half, half, half);
    const double top = std::max(std::floor(box.top()), clipTop);
    const double bottom = std::min(std::ceil(box.bottom()), clipBottom);
    if (!(top < bottom)) {
        return call;
    }
    call.Top = static_cast<int>(top);
    const auto rows = static_cast<size_t>(bottom - top);
    // The differences from row to row, then the rows themselves.
    std::vector<double> crossings(rows + 1, 0.0);
    std::vector<double> linePixels(rows + 1, 0.0);
    const bool line = penWidth > 0 && penWidth <= 1;
    const double reach = line ? 0 : half;
    ForEachEdge(path, penWidth == 0, [&](QPointF from, QPointF to) {
        ++call.Edges;
        const double high = std::min(from.y(), to.y()) - reach - top;
        const double low = std::max(from.y(), to.y()) + reach - top;
        if (low < 0 || high >= static_cast<double>(rows)) {
            return;
        }
        if (line) {
            // A line lights about its longer extent in pixels, spread over its rows.
            const double pixels = std::max(std::fabs(to.x() - from.x()), low - high) + 1;
            AddOverRows(linePixels, high, low, pixels / (std::floor(low) - std::floor(high) + 1));
        } else {
            AddOverRows(crossings, high, low, penWidth > 0 ? StrokeEdgeCrossings : 1);
        }
    });
    const double width = std::min(box.width(), deviceWidth);
    call.RowNanos.resize(rows);
    double crossing = 0;
    double pixels = 0;
    for (size_t r = 0; r < rows; ++r) {
        crossing += crossings[r];
        pixels += linePixels[r];
        call.RowNanos[r] = line ? pixels * LinePixelNanos
                                : crossing * crossing * RowEdgeSquareNanos + width * RowPixelNanos;
    }
    call.PassNanos =
        static_cast<double>(call.Edges) * (penWidth > 1 ? StrokedEdgeNanos : FilledEdgeNanos);
    return call;
}

} // namespace

void TWmfPlayback::DrawMeasured(const QPainterPath& path, double penWidth,
                                const std::function<void()>& draw) {
    const QPaintDevice* device = painter_->device();
    const int width = device ? device->width() : 0;
    const int height = device ? device->height() : 0;
    QRectF clip(0, 0, width, height);
    if (painter_->hasClipping()) {
        // The painter draws in device pixels here: its clip is in them too.
        clip = clip.intersected(painter_->clipBoundingRect());
    }
    if (width <= 0 || height <= 0) {
        // A device of no known size: the call is made whole if its edges fit.
        const TWeighedCall call = Weigh(path, penWidth, 0, 1, 0);
        if (call.PassNanos > double(millis_ - meter_.Elapsed()) * 1e6) {
            stopped_ = true;
            return;
        }
        meter_.Drawing(call.Edges, 0);
        if (OutOfTime()) {
            stopped_ = true;
            return;
        }
        draw();
        return;
    }
    const TWeighedCall call = Weigh(path, penWidth, std::floor(clip.top()),
                                    std::ceil(clip.bottom()), std::ceil(clip.width()));
    const auto rows = static_cast<int>(call.RowNanos.size());
    for (int from = 0; from < rows;) {
        const double left = double(millis_ - meter_.Elapsed()) * 1e6;
        double cost = call.PassNanos;
        int to = from;
        while (to < rows && cost + call.RowNanos[static_cast<size_t>(to)] <= left) {
            cost += call.RowNanos[static_cast<size_t>(to)];
            ++to;
        }
        if (to == from) {
            stopped_ = true;
            return;
        }
        meter_.Drawing(call.Edges, to - from);
        if (OutOfTime()) {
            // A meter that counts what is drawn may have had enough.
            stopped_ = true;
            return;
        }
        if (from == 0 && to == rows) {
            draw();
            return;
        }
        painter_->save();
        painter_->setClipRect(QRect(0, call.Top + from, width, to - from), Qt::IntersectClip);
        draw();
        painter_->restore();
        from = to;
    }
}
