// Long outlines stroked a few segments at a time. Stroking a path of thousands of segments is
// one call whose work on a device row grows with the square of the segments crossing it: a
// polyline of 2,000 points with a wide pen, printed at 300 dpi, took half a minute. Pieces of a
// few segments cost little each, and the clock is read between them. A piece starts with the
// last segment of the piece before it, so every join lies whole inside one piece; where pieces
// meet they end flat, and the pen's own caps are added at the true ends of an open figure.
// Pixels are lit where their centres fall inside the pen's shape, so pieces whose shapes
// together make the outline's shape light exactly its pixels.
#include "platform/graphics/WmfPlayback.h"

#include <QPainter>

#include <cmath>
#include <vector>

namespace {

// Segments stroked in one call.
constexpr int PieceSegments = 16;

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

void TWmfPlayback::StrokeInPieces(const QPainterPath& outline, const QPen& pen) {
    const bool wide = pen.widthF() > 1;
    // Joins lie inside pieces; where pieces meet, a wide pen ends flat.
    QPen piecePen = pen;
    if (wide) {
        piecePen.setCapStyle(Qt::FlatCap);
    }
    auto stroke = [&](const QPainterPath& path, const QPen& with) {
        if (!OutOfTime()) {
            DrawMeasured(path, with.widthF(), [&] { painter_->strokePath(path, with); });
        }
    };
    // Short figures are stroked together, as many as make a piece.
    QPainterPath gathered;
    int gatheredSegments = 0;
    auto flush = [&] {
        if (gatheredSegments > 0) {
            stroke(gathered, pen);
        }
        gathered = QPainterPath();
        gatheredSegments = 0;
    };
    for (const TFigure& figure : FiguresOf(outline)) {
        const size_t count = figure.Segments.size();
        if (count == 0) {
            continue; // a start alone draws nothing
        }
        if (count <= static_cast<size_t>(PieceSegments)) {
            if (gatheredSegments + static_cast<int>(count) > PieceSegments) {
                flush();
            }
            gathered.addPath(PieceOf(outline, figure, 0, count));
            gatheredSegments += static_cast<int>(count);
            continue;
        }
        flush();
        const QPointF leaving = Direction(outline, figure, true);
        const QPointF arriving = Direction(outline, figure, false);
        if (wide && leaving == QPointF()) {
            // Every segment of no length: the figure is a dot, stroked as one.
            stroke(PieceOf(outline, figure, 0, count), pen);
            continue;
        }
        for (size_t first = 0; first + 1 < count; first += PieceSegments - 1) {
            stroke(PieceOf(outline, figure, first, std::min(count, first + PieceSegments)),
                   piecePen);
        }
        if (!wide) {
            continue;
        }
        if (Closed(outline, figure)) {
            // The join where the figure closes: its last segment and its first.
            QPainterPath wrap = PieceOf(outline, figure, count - 1, count);
            wrap.connectPath(PieceOf(outline, figure, 0, 1));
            stroke(wrap, piecePen);
            continue;
        }
        // The pen's caps at the two ends: a square cap is the pen drawn flat half its width
        // past the end, a round one the pen's own dot.
        const QPointF start = figure.Start;
        const QPointF end = EndOf(outline, figure.Segments.back());
        const double half = pen.widthF() / 2;
        for (const auto& [point, outward] :
             {std::pair{start, -leaving}, std::pair{end, arriving}}) {
            QPainterPath cap(point);
            if (pen.capStyle() == Qt::SquareCap) {
                cap.lineTo(point + outward * half);
                stroke(cap, piecePen);
            } else if (pen.capStyle() == Qt::RoundCap) {
                cap.lineTo(point - outward / 64);
                stroke(cap, pen);
            }
        }
    }
    flush();
}
