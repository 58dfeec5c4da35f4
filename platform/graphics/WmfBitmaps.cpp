// The bitmap records of a Windows metafile (device-independent bitmaps copied, stretched or
// set onto the page) and the block fills (PatBlt, and the bitmap records that carry no
// bitmap), with the raster operations such pictures use.
#include "platform/graphics/WmfPlayback.h"

#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/ImagePart.h"

#include <QPaintEngine>
#include <QPainter>

#include <cmath>

namespace {

// The raster operation's index: its result for each pattern, source and destination bit.
uint32_t RopIndex(uint32_t rop) {
    return rop >> 16 & 0xFF;
}

// Whether the operation's result depends on the source bitmap.
bool UsesSource(uint32_t index) {
    return ((index >> 2 ^ index) & 0x33) != 0;
}

constexpr uint32_t SourceCopy = 0xCC;
constexpr uint32_t NotSourceCopy = 0x33;
constexpr uint32_t SourceAnd = 0x88;
constexpr uint32_t SourcePaint = 0xEE;
constexpr uint32_t SourceInvert = 0x66;
constexpr uint32_t Blackness = 0x00;
constexpr uint32_t Whiteness = 0xFF;
constexpr uint32_t DestinationInvert = 0x55;
constexpr uint32_t PatternInvert = 0x5A;
constexpr uint32_t DestinationKept = 0xAA;

// Rows of a bitmap are stored bottom-up unless its height is negative.
bool BottomUp(std::string_view dib) {
    if (dib.size() < 12) {
        return true;
    }
    return ReadU32(dib, 0) == 12 || static_cast<int32_t>(ReadU32(dib, 8)) > 0;
}

// The rows of a packed bitmap, as its header gives them (the decoder checks them).
int64_t DibRows(std::string_view dib) {
    if (dib.size() < 12) {
        return 0;
    }
    if (ReadU32(dib, 0) == 12) {
        return ReadU16(dib, 6);
    }
    return std::abs(int64_t{static_cast<int32_t>(ReadU32(dib, 8))});
}

// Where each bitmap record keeps its rectangles, as indexes of its parameter words: the
// source, the destination (the bitmap itself: WmfBitmapWord).
struct TBitmapFields {
    uint32_t Function;
    size_t SourceX, SourceY, SourceWidth, SourceHeight, X, Y, Width, Height;
};

constexpr TBitmapFields BitmapFields[] = {
    // Copied: the raster operation, the source's y and x, the size, the destination.
    {0x0940, 3, 2, 5, 4, 7, 6, 5, 4},
    // Stretched: the raster operation, the source's size and place, the destination's.
    {0x0B41, 5, 4, 3, 2, 9, 8, 7, 6},
    // Stretched with its colours: as above after the colour usage.
    {0x0F43, 6, 5, 4, 3, 10, 9, 8, 7},
    // Set onto the device: the colour usage and scan lines, the source, the destination, one
    // size for both.
    {0x0D33, 4, 3, 6, 5, 8, 7, 6, 5},
};

} // namespace

void TWmfPlayback::BitmapRecord(const TWmfRecord& r) {
    for (const TBitmapFields& f : BitmapFields) {
        if (f.Function != r.Function) {
            continue;
        }
        const std::optional<size_t> bitmap = WmfBitmapWord(r);
        // Without a bitmap a reserved word comes before the destination's size.
        const size_t shift = bitmap ? 0 : 1;
        if (r.Words() < f.X + shift + 1) {
            return;
        }
        const uint32_t rop = f.Function == 0x0D33 ? SourceCopy << 16 : r.U32(0);
        const int x = r.I16(f.X + shift);
        const int y = r.I16(f.Y + shift);
        const int width = r.I16(f.Width + shift);
        const int height = r.I16(f.Height + shift);
        if (!bitmap) {
            FillRop(DeviceRect(x, y, x + width, y + height), rop);
            return;
        }
        DrawDib(
            r.From(*bitmap), rop,
            QRectF(r.I16(f.SourceX), r.I16(f.SourceY), r.I16(f.SourceWidth), r.I16(f.SourceHeight)),
            x, y, width, height);
        return;
    }
}

void TWmfPlayback::PatBltRecord(const TWmfRecord& r) {
    // The raster operation, the height, width, y and x.
    if (r.Words() >= 6) {
        FillRop(DeviceRect(r.I16(5), r.I16(4), r.I16(5) + r.I16(3), r.I16(4) + r.I16(2)), r.U32(0));
    }
}

namespace {

// A bitmap drawn much smaller than its pixels is shrunk to the pixels it covers first: a printer
// or a page would otherwise take all of them (a bitmap of 4,096 x 4,096 drawn an inch wide took a
// printed page a tenth of a second to store). It is shrunk from its source rectangle where that
// lies in its pixels, never from a copy of it (64 MB more for part of a bitmap of 4,096 x 4,096).
// `source` and the scales follow the shrunk image.
void ShrinkToDevice(QImage& image, QRectF& source, double& sx, double& sy, bool smooth) {
    const QRect whole = source.toRect();
    if (QRectF(whole) != source || !image.rect().contains(whole)) {
        return;
    }
    const int width = std::max(1, static_cast<int>(std::ceil(std::abs(sx) * source.width())));
    const int height = std::max(1, static_cast<int>(std::ceil(std::abs(sy) * source.height())));
    if (int64_t{width} * height * 2 > int64_t{whole.width()} * whole.height()) {
        return;
    }
    image = ImagePart(image, whole)
                .scaled(std::min(width, whole.width()), std::min(height, whole.height()),
                        Qt::IgnoreAspectRatio,
                        smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    sx *= source.width() / image.width();
    sy *= source.height() / image.height();
    source = QRectF(0, 0, image.width(), image.height());
}

} // namespace

void TWmfPlayback::DrawDib(std::string_view dib, uint32_t rop, QRectF source, double x, double y,
                           double width, double height) {
    const uint32_t index = RopIndex(rop);
    const QRectF dest = DeviceRect(x, y, x + width, y + height);
    if (!UsesSource(index)) {
        FillRop(dest, rop);
        return;
    }
    source = source.normalized();
    if (source.isEmpty() || !BeginDrawing(dest)) {
        return;
    }
    // The source rectangle stretched onto the destination, mirrored when the destination's
    // extents are negative.
    const QPointF from = ToDevice(x, y);
    const QPointF to = ToDevice(x + width, y + height);
    double sx = (to.x() - from.x()) / source.width();
    double sy = (to.y() - from.y()) / source.height();
    if (!std::isfinite(sx) || !std::isfinite(sy) || sx == 0 || sy == 0) {
        return;
    }
    // Photographs stretched in halftone mode are smoothed; other bitmaps keep their pixels.
    const bool smooth = dc_.StretchMode == 4;
    // A page (a printer's) keeps every pixel drawn on it and compresses them on the window's
    // thread: a bitmap drawn there at a fraction of its size is read at that fraction, a smoothed
    // one at twice it, so that it costs about the pixels it covers. An image prepared beside the
    // window reads the bitmap whole, within the picture's bounds.
    const bool page =
        painter_->paintEngine() && painter_->paintEngine()->type() != QPaintEngine::Raster;
    const double perPixel = std::min(1 / std::abs(sx), 1 / std::abs(sy)) / (smooth ? 2 : 1);
    const int step = page ? static_cast<int>(std::clamp(perPixel, 1.0, 64.0)) : 1;
    // The pixels a run-length bitmap skips over leave the page as it is.
    QImage image;
    std::string error;
    if (!DecodeDib(dib, image, error, TSkippedPixels::Transparent, step)) {
        return;
    }
    // The source's y counts from the bottom row of a bottom-up bitmap.
    if (BottomUp(dib)) {
        source.moveTop(static_cast<double>(DibRows(dib)) - source.top() - source.height());
    }
    if (step > 1) {
        source = QRectF(source.left() / step, source.top() / step, source.width() / step,
                        source.height() / step);
        sx *= step;
        sy *= step;
    }
    ShrinkToDevice(image, source, sx, sy, smooth);
    switch (index) {
    case NotSourceCopy:
        image.invertPixels();
        break;
    case SourceAnd:
        // A raster operation may not heed transparency: a skipped pixel is white, which
        // leaves what it is anded with as it was (black does so for the other operations).
        if (image.hasAlphaChannel()) {
            for (int row = 0; row < image.height(); ++row) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
                for (int x = 0; x < image.width(); ++x) {
                    line[x] = qAlpha(line[x]) == 0 ? 0x00FFFFFFu : line[x];
                }
            }
        }
        painter_->setCompositionMode(RasterOps() ? QPainter::RasterOp_SourceAndDestination
                                                 : QPainter::CompositionMode_Multiply);
        break;
    case SourcePaint:
        painter_->setCompositionMode(RasterOps() ? QPainter::RasterOp_SourceOrDestination
                                                 : QPainter::CompositionMode_Lighten);
        break;
    case SourceInvert:
        painter_->setCompositionMode(RasterOps() ? QPainter::RasterOp_SourceXorDestination
                                                 : QPainter::CompositionMode_Difference);
        break;
    default:
        break;
    }
    painter_->setTransform(
        QTransform(sx, 0, 0, sy, from.x() - source.left() * sx, from.y() - source.top() * sy));
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter_->drawImage(source, image, source);
}

void TWmfPlayback::FillRop(const QRectF& rect, uint32_t rop) {
    const uint32_t index = RopIndex(rop);
    if (index == DestinationKept || !BeginDrawing(rect)) {
        return;
    }
    QPainterPath path;
    path.addRect(rect);
    switch (index) {
    case Blackness:
        painter_->fillPath(path, Qt::black);
        break;
    case Whiteness:
        painter_->fillPath(path, Qt::white);
        break;
    case DestinationInvert:
        painter_->setCompositionMode(RasterOps() ? QPainter::RasterOp_NotDestination
                                                 : QPainter::CompositionMode_Difference);
        painter_->fillPath(path, Qt::white);
        break;
    case PatternInvert:
        painter_->setCompositionMode(RasterOps() ? QPainter::RasterOp_SourceXorDestination
                                                 : QPainter::CompositionMode_Difference);
        FillWithBrush(path, dc_.Brush);
        break;
    default: // the brush
        FillWithBrush(path, dc_.Brush);
        break;
    }
}
