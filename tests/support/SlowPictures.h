#pragma once

// Pictures that are slow to draw but do draw: a Windows metafile whose bitmaps cost their pixels
// to unpack before a rectangle fills its frame with its own colour, and the number of such
// bitmaps that makes a picture take a given time on this machine, measured as a window draws it.

#include "platform/graphics/Metafile.h"
#include "platform/graphics/PicturePreparation.h"
#include "platform/graphics/QtCanvas.h"
#include "tests/support/HostileMetafiles.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <string>

namespace slow_pictures {

// Bitmaps of this side take a few milliseconds each to unpack.
constexpr int BitmapSide = 2048;

// `bitmaps` bitmaps stretched over a frame of `frame` screen pixels, then a rectangle without
// an outline over the whole frame in `colour` (0xRRGGBB): drawn whole, the frame is that colour.
inline std::string SlowishWmf(uint32_t colour, int bitmaps, int frame) {
    using namespace metafile_fixture;
    const std::string records =
        hostile_metafile::SlowBitmapRecords(colour, bitmaps, BitmapSide, frame) +
        WmfRecord(0x02FC, {0, ColourLow(colour), ColourHigh(colour), 0}) + // solid brush
        WmfRecord(0x012D, {0}) + WmfRecord(0x02FA, {5, 0, 0, 0, 0}) +      // no pen
        WmfRecord(0x012D, {1}) + WmfRecord(0x041B, {frame + 1, frame + 1, 0, 0});
    return hostile_metafile::SquareWmf(records, frame, 2);
}

// How long `picture` takes to draw into a screen bitmap of `frame` pixels, outside any paint: its
// preparation, which nothing prepared before stands in for.
inline qint64 DrawingMillis(const TGraphic& picture, int frame) {
    PicturePreparer().Forget();
    QImage image(frame, frame, QImage::Format_RGB32);
    TQtCanvas canvas(&image);
    QElapsedTimer clock;
    clock.start();
    canvas.StretchDraw(Rect(0, 0, frame, frame), picture);
    return clock.elapsed();
}

// How many bitmaps make a picture of `frame` pixels take about `millis` to draw here; the
// pictures measured have colours no test uses (blue alone).
inline int BitmapsTaking(qint64 millis, int frame) {
    constexpr int Measured = 4;
    qint64 least = -1;
    for (uint32_t blue = 1; blue <= 2; ++blue) {
        TMetafile picture;
        picture.LoadFromBytes(SlowishWmf(blue, Measured, frame));
        const qint64 took = DrawingMillis(picture, frame);
        least = least < 0 ? took : std::min(least, took);
    }
    return std::max<int>(1, static_cast<int>(millis * Measured / std::max<qint64>(1, least)));
}

} // namespace slow_pictures
