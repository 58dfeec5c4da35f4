#include "platform/graphics/StrokeSplitting.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// One segment of a figure: a line or a curve, as the elements of the path from `First` on
// (a curve has its two control points after it), starting at `From`.
struct TSegment {
    int First = 0;
    int Elements = 1;
    QPointF From;
};

// One figure of a path: where it starts and its segments.
struct TFigure {
    QPointF Start;
    std::vector<TSegment> Segments;
};

std::vector<TFigure> FiguresOf(const QPainterPath& path) {
    std::vector<TFigure> figures;
    QPointF at;
    for (int i = 0; i < path.elementCount();) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo() || figures.empty()) {
            figures.push_back({QPointF(e), {}});
            at = e;
            if (e.isMoveTo()) {
                ++i;
                continue;
            }
        }
        const int elements = e.isCurveTo() ? 3 : 1;
        if (i + elements > path.elementCount()) {
            break;
        }
        figures.back().Segments.push_back({i, elements, at});
        at = path.elementAt(i + elements - 1);
        i += elements;
    }
    return figures;
}

QPointF EndOf(const QPainterPath& path, const TSegment& s) {
    return path.elementAt(s.First + s.Elements - 1);
}

// The segments `first` up to `end` of `figure` as one open path.
QPainterPath PieceOf(const QPainterPath& path, const TFigure& figure, size_t first, size_t end) {
    QPainterPath piece(figure.Segments[first].From);
    for (size_t i = first; i < end; ++i) {
        const TSegment& s = figure.Segments[i];
        if (s.Elements == 3) {
            piece.cubicTo(path.elementAt(s.First), path.elementAt(s.First + 1),
                          path.elementAt(s.First + 2));
        } else {
            piece.lineTo(path.elementAt(s.First));
        }
    }
    return piece;
}

// A figure is closed, and joined where it starts, when it ends where it started.
bool Closed(const QPainterPath& path, const TFigure& figure) {
    const QPointF end = EndOf(path, figure.Segments.back());
    return qFuzzyCompare(end.x(), figure.Start.x()) && qFuzzyCompare(end.y(), figure.Start.y());
}

QPointF Unit(QPointF v) {
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

// The direction a figure leaves its start in (`atStart`), or arrives at its end in: that of
// its first (last) segment of any length.
QPointF Direction(const QPainterPath& path, const TFigure& figure, bool atStart) {
    const size_t count = figure.Segments.size();
    for (size_t k = 0; k < count; ++k) {
        const TSegment& s = figure.Segments[atStart ? k : count - 1 - k];
        std::vector<QPointF> points{s.From};
        for (int e = 0; e < s.Elements; ++e) {
            points.push_back(path.elementAt(s.First + e));
        }
        const size_t n = points.size();
        for (size_t j = 1; j < n; ++j) {
            const QPointF v = atStart ? points[j] - points[0] : points[n - 1] - points[n - 1 - j];
            if (v != QPointF()) {
                return Unit(v);
            }
        }
    }
    return QPointF();
}

} // namespace

std::vector<TStrokePiece> SplitStroke(const QPainterPath& outline, double width,
                                      Qt::PenCapStyle cap, bool hairline, size_t segments) {
    segments = std::max<size_t>(segments, 2);
    std::vector<TStrokePiece> pieces;
    // Where pieces meet, a pen wider than a pixel ends flat.
    const Qt::PenCapStyle meeting = hairline ? cap : Qt::FlatCap;
    // Short figures go together, as many as make a piece.
    QPainterPath gathered;
    size_t gatheredSegments = 0;
    auto flush = [&] {
        if (gatheredSegments > 0) {
            pieces.push_back({gathered, cap});
        }
        gathered = QPainterPath();
        gatheredSegments = 0;
    };
    for (const TFigure& figure : FiguresOf(outline)) {
        const size_t count = figure.Segments.size();
        if (count == 0) {
            continue; // a start alone draws nothing
        }
        if (count <= segments) {
            if (gatheredSegments + count > segments) {
                flush();
            }
            gathered.addPath(PieceOf(outline, figure, 0, count));
            gatheredSegments += count;
            continue;
        }
        flush();
        const QPointF leaving = Direction(outline, figure, true);
        const QPointF arriving = Direction(outline, figure, false);
        if (!hairline && leaving == QPointF()) {
            // Every segment of no length: the figure is a dot, stroked as one.
            pieces.push_back({PieceOf(outline, figure, 0, count), cap});
            continue;
        }
        for (size_t first = 0; first + 1 < count; first += segments - 1) {
            pieces.push_back(
                {PieceOf(outline, figure, first, std::min(count, first + segments)), meeting});
        }
        if (hairline) {
            continue;
        }
        if (Closed(outline, figure)) {
            // The join where the figure closes: its last segment and its first.
            QPainterPath wrap = PieceOf(outline, figure, count - 1, count);
            wrap.connectPath(PieceOf(outline, figure, 0, 1));
            pieces.push_back({wrap, Qt::FlatCap});
            continue;
        }
        // The pen's caps at the two ends: a square cap is the pen drawn flat half its width
        // past the end, a round one the pen's own dot.
        const QPointF start = figure.Start;
        const QPointF end = EndOf(outline, figure.Segments.back());
        for (const auto& [point, outward] :
             {std::pair{start, -leaving}, std::pair{end, arriving}}) {
            QPainterPath dot(point);
            if (cap == Qt::SquareCap) {
                dot.lineTo(point + outward * (width / 2));
                pieces.push_back({dot, Qt::FlatCap});
            } else if (cap == Qt::RoundCap) {
                dot.lineTo(point - outward / 64);
                pieces.push_back({dot, Qt::RoundCap});
            }
        }
    }
    flush();
    return pieces;
}
