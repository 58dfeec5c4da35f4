#pragma once

// Long outlines stroked a few segments at a time. Stroking a path of thousands of segments is
// one drawing call whose work on a device row grows with the square of the segments crossing
// it: a polyline of 2,000 points with a wide pen, printed at 300 dpi, took half a minute, and
// nothing could stop it on its way. Pieces of a few segments cost little each, and whoever
// draws them can stop between them. A piece starts with the last segment of the piece before
// it, so that every join lies whole inside one piece; where pieces meet they end flat, and the
// pen's own caps are added at the true ends of an open figure. A pixel is lit where its centre
// falls inside the pen's shape, so pieces whose shapes together make the outline's shape light
// exactly the outline's pixels.

#include <QPainterPath>

#include <cstddef>
#include <vector>

struct TStrokePiece {
    QPainterPath Path;
    // The cap the piece is stroked with.
    Qt::PenCapStyle Cap;
};

// The pieces of `segments` segments at the most (2 at the least) that, each stroked with a
// solid pen `width` wide (its joins whatever they are) and the piece's cap, light together what
// `outline` stroked with that pen and `cap` lights. A `hairline` pen, one pixel wide, has
// neither caps nor joins to take care of.
std::vector<TStrokePiece> SplitStroke(const QPainterPath& outline, double width,
                                      Qt::PenCapStyle cap, bool hairline, size_t segments);
