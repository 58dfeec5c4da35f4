#include "platform/graphics/Canvas.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImagePart.h"

#include <QImage>
#include <QRect>

namespace {

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// Characters, not UTF-16 units: the second half of a surrogate pair gets no spacing.
bool IsTrailSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

int CharacterCount(std::u16string_view text) {
    int count = 0;
    for (char16_t unit : text) {
        count += IsTrailSurrogate(unit) ? 0 : 1;
    }
    return count;
}

int FitCount(const std::vector<int>& extents, int maxExtent) {
    int fit = 0;
    while (fit < static_cast<int>(extents.size()) &&
           extents[static_cast<size_t>(fit)] <= maxExtent) {
        ++fit;
    }
    return fit;
}

} // namespace

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

uint32_t DrawnRGB(TColor color) {
    return ColorToRGB(color) & 0xFFFFFF;
}

std::u16string TCanvas::Decode(std::string_view text, std::vector<size_t>* unitsAfterByte) const {
    return DecodeCharsetText(text, font_.Charset(), unitsAfterByte);
}

void TCanvas::LineTo(int x, int y) {
    DoPolyline({penPos_, {x, y}});
    penPos_ = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.size() >= 2) {
        DoPolyline(points);
    }
}

void TCanvas::Rectangle(const TRect& r) {
    DoRectangle(r);
}

void TCanvas::RoundRect(const TRect& r, int cornerWidth, int cornerHeight) {
    DoRoundRect(r, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(const TRect& r) {
    DoEllipse(r);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() >= 2) {
        DoPolygon(points);
    }
}

void TCanvas::FillRect(const TRect& r) {
    DoFillRect(r);
}

void TCanvas::FrameRect(const TRect& r) {
    DoFrameRect(r);
}

void TCanvas::DrawFocusRect(const TRect& r) {
    DoFocusRect(r);
}

TBkMode TCanvas::BkMode() const {
    if (bkOverride_ && brush_.Revision() == brushRevisionAtOverride_) {
        return *bkOverride_;
    }
    return brush_.Style() == TBrushStyle::bsSolid ? TBkMode::bkOpaque : TBkMode::bkTransparent;
}

void TCanvas::SetBkMode(TBkMode mode) {
    bkOverride_ = mode;
    brushRevisionAtOverride_ = brush_.Revision();
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    TextOutW(x, y, Decode(text));
}

void TCanvas::TextOutW(int x, int y, std::u16string_view text) {
    DoTextOut(x, y, text, nullptr, nullptr);
    penPos_ = {x + SpacedWidth(text), y};
}

void TCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
    TextRectW(r, x, y, Decode(text));
}

void TCanvas::TextRectW(const TRect& r, int x, int y, std::u16string_view text) {
    bool opaque = BkMode() == TBkMode::bkOpaque;
    DoTextOut(x, y, text, &r, opaque ? &r : nullptr);
}

TSize TCanvas::TextExtent(std::string_view text) {
    return TextExtentW(Decode(text));
}

TSize TCanvas::TextExtentW(std::u16string_view text) {
    return {SpacedWidth(text), DoTextMetrics().Height};
}

std::vector<int> TCanvas::SpacedExtents(std::u16string_view text) {
    std::vector<int> extents = DoCharExtents(text);
    if (charExtra_ != 0) {
        int added = 0;
        for (size_t i = 0; i < extents.size() && i < text.size(); ++i) {
            added += IsTrailSurrogate(text[i]) ? 0 : charExtra_;
            extents[i] += added;
        }
    }
    return extents;
}

int TCanvas::SpacedWidth(std::u16string_view text) {
    int width = DoTextWidth(text);
    return charExtra_ == 0 ? width : width + charExtra_ * CharacterCount(text);
}

bool TCanvas::IsMapped() const {
    return mapMode_ == TMapMode::mmAnisotropic && windowExt_.cx != 0 && windowExt_.cy != 0;
}

TPoint TCanvas::LogicalToDevice(TPoint p) const {
    if (!IsMapped()) {
        return p;
    }
    return {viewportOrg_.X + MulDiv(p.X, viewportExt_.cx, windowExt_.cx),
            viewportOrg_.Y + MulDiv(p.Y, viewportExt_.cy, windowExt_.cy)};
}

TRect TCanvas::LogicalToDevice(const TRect& r) const {
    TPoint a = LogicalToDevice(r.TopLeft());
    TPoint b = LogicalToDevice(r.BottomRight());
    return Rect(a.X, a.Y, b.X, b.Y);
}

int TCanvas::DoTextWidth(std::u16string_view text) {
    std::vector<int> extents = DoCharExtents(text);
    return extents.empty() ? 0 : extents.back();
}

TTextMetric TCanvas::GetTextMetrics() {
    return DoTextMetrics();
}

int TCanvas::GetTextExtentExPoint(std::string_view text, int maxExtent, std::vector<int>* dx) {
    std::vector<size_t> unitsAfterByte;
    std::u16string wide = Decode(text, &unitsAfterByte);
    std::vector<int> unitExtents = SpacedExtents(wide);
    std::vector<int> byteExtents(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        size_t units = unitsAfterByte[i];
        byteExtents[i] = units == 0 ? 0 : unitExtents[units - 1];
    }
    // A double-byte character fits whole or not at all.
    int fit = FitCount(byteExtents, maxExtent);
    while (fit > 0 && static_cast<size_t>(fit) < text.size() &&
           unitsAfterByte[static_cast<size_t>(fit)] ==
               unitsAfterByte[static_cast<size_t>(fit) - 1]) {
        --fit;
    }
    if (dx) {
        *dx = std::move(byteExtents);
    }
    return fit;
}

int TCanvas::GetTextExtentExPointW(std::u16string_view text, int maxExtent, std::vector<int>* dx) {
    std::vector<int> extents = SpacedExtents(text);
    int fit = FitCount(extents, maxExtent);
    if (dx) {
        *dx = std::move(extents);
    }
    return fit;
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
    if (!graphic.Empty()) {
        graphic.Draw(*this, Bounds(x, y, graphic.Width(), graphic.Height()));
    }
}

void TCanvas::StretchDraw(const TRect& r, const TGraphic& graphic) {
    if (!graphic.Empty()) {
        graphic.Draw(*this, r);
    }
}

void TCanvas::DrawImage(const TRect& dest, const QImage& image, const TRect& source) {
    if (image.isNull() || IsRectEmpty(dest) || IsRectEmpty(source)) {
        return;
    }
    if (!KeepsWholeImages()) {
        DoDrawImage(dest, image, source);
        return;
    }
    // A surface that keeps the images drawn on it whole is given only the part that shows.
    TRect shownDest = dest;
    TRect shownSource = source;
    if (!VisiblePart(shownDest, shownSource)) {
        return;
    }
    const QRect part(shownSource.Left, shownSource.Top, shownSource.Width(), shownSource.Height());
    if (part.width() <= 0 || part.height() <= 0 || !image.rect().contains(part)) {
        DoDrawImage(shownDest, image, shownSource);
        return;
    }
    DoDrawImage(shownDest, ImagePart(image, part), Rect(0, 0, part.width(), part.height()));
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) {
    if (!IsRectEmpty(dest) && !IsRectEmpty(sourceRect)) {
        DoCopyRect(dest, source, sourceRect);
    }
}

TRect TCanvas::ClipRect() const {
    TSize size = SurfaceSize();
    TRect whole = Rect(0, 0, size.cx, size.cy);
    if (!clip_) {
        return whole;
    }
    QRect box = clip_->boundingRect();
    return Rect(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
}

TRect TCanvas::VisibleRect() const {
    return DeviceToLogical(ClipRect());
}

TRect TCanvas::SurfaceRect() const {
    const TSize size = SurfaceSize();
    return DeviceToLogical(Rect(0, 0, size.cx, size.cy));
}

TRect TCanvas::DeviceToLogical(const TRect& device) const {
    if (!IsMapped() || viewportExt_.cx == 0 || viewportExt_.cy == 0) {
        return device;
    }
    auto back = [](int v, int origin, int viewport, int window) {
        return MulDiv(v - origin, window, viewport);
    };
    TRect r = Rect(back(device.Left, viewportOrg_.X, viewportExt_.cx, windowExt_.cx),
                   back(device.Top, viewportOrg_.Y, viewportExt_.cy, windowExt_.cy),
                   back(device.Right, viewportOrg_.X, viewportExt_.cx, windowExt_.cx),
                   back(device.Bottom, viewportOrg_.Y, viewportExt_.cy, windowExt_.cy));
    r = Rect(std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
             std::max(r.Top, r.Bottom));
    // A logical unit may cover several device pixels or a fraction of one: rounding never hides
    // a pixel that shows.
    InflateRect(r, std::abs(windowExt_.cx / viewportExt_.cx) + 1,
                std::abs(windowExt_.cy / viewportExt_.cy) + 1);
    return r;
}

namespace {

// The part of [from, from + length) of a destination that lies in [shownFrom, shownTo), and the
// part of [source, source + sourceLength) drawn there, the source widened to whole pixels.
void NarrowSpan(int& from, int& length, int& source, int& sourceLength, int shownFrom,
                int shownTo) {
    const auto scaled = [&](int64_t v, int64_t onto, int64_t of) { return v * onto / of; };
    const int64_t firstSource = scaled(shownFrom - from, sourceLength, length);
    const int64_t endSource = std::min<int64_t>(
        sourceLength, (int64_t{shownTo - from} * sourceLength + length - 1) / length);
    const auto newFrom = static_cast<int>(from + scaled(firstSource, length, sourceLength));
    const auto newEnd = static_cast<int>(from + scaled(endSource, length, sourceLength));
    from = newFrom;
    length = std::max(1, newEnd - newFrom);
    source += static_cast<int>(firstSource);
    sourceLength = static_cast<int>(endSource - firstSource);
}

} // namespace

bool TCanvas::VisiblePart(TRect& dest, TRect& source) const {
    if (dest.Width() <= 0 || dest.Height() <= 0 || source.Width() <= 0 || source.Height() <= 0) {
        // Mirrored or empty: drawn as it is.
        return !IsRectEmpty(dest);
    }
    TRect shown;
    if (!IntersectRect(shown, dest, VisibleRect())) {
        return false;
    }
    if (shown == dest) {
        return true;
    }
    int x = dest.Left, width = dest.Width(), sx = source.Left, sourceWidth = source.Width();
    int y = dest.Top, height = dest.Height(), sy = source.Top, sourceHeight = source.Height();
    NarrowSpan(x, width, sx, sourceWidth, shown.Left, shown.Right);
    NarrowSpan(y, height, sy, sourceHeight, shown.Top, shown.Bottom);
    if (sourceWidth <= 0 || sourceHeight <= 0) {
        return false;
    }
    dest = Bounds(x, y, width, height);
    source = Bounds(sx, sy, sourceWidth, sourceHeight);
    return true;
}

void TCanvas::SetClipRegion(const QRegion& region) {
    clip_ = region;
}

void TCanvas::SetClipRect(const TRect& r) {
    clip_ = QRegion(ToQRect(LogicalToDevice(r)));
}

void TCanvas::IntersectClipRect(const TRect& r) {
    TSize size = SurfaceSize();
    QRegion current = clip_ ? *clip_ : QRegion(0, 0, size.cx, size.cy);
    clip_ = current.intersected(ToQRect(LogicalToDevice(r)));
}

void TCanvas::ExcludeClipRect(const TRect& r) {
    TSize size = SurfaceSize();
    QRegion current = clip_ ? *clip_ : QRegion(0, 0, size.cx, size.cy);
    clip_ = current.subtracted(ToQRect(LogicalToDevice(r)));
}

void TCanvas::RemoveClip() {
    clip_.reset();
}
