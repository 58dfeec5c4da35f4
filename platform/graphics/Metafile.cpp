#include "platform/graphics/Metafile.h"

#include "platform/base/CheckedSize.h"
#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/MetafileRendering.h"
#include "platform/graphics/PictureTime.h"
#include "platform/graphics/ScreenMetrics.h"
#include "platform/graphics/WmfPlayer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <cstdlib>

namespace {

// Pictures drawn larger than this are played straight onto the surface instead of through a
// kept bitmap.
constexpr uint64_t RasterCacheBytes = 16ULL * 1024 * 1024;

int PixelsOf(int hundredthsMM) {
    return MulDiv(hundredthsMM, 96, 2540);
}

} // namespace

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

int TMetafile::Width() const {
    return PixelsOf(mmWidth_);
}

int TMetafile::Height() const {
    return PixelsOf(mmHeight_);
}

void TMetafile::SizeOf(const TMetafileLayout& layout, int inch, int& mmWidth, int& mmHeight) {
    if (layout.Enhanced) {
        mmWidth = static_cast<int>(layout.MMWidth);
        mmHeight = static_cast<int>(layout.MMHeight);
        return;
    }
    const int units = inch > 0 ? inch : DefaultMetafileInch;
    mmWidth = MulDiv(std::abs(layout.Right - layout.Left), 2540, units);
    mmHeight = MulDiv(std::abs(layout.Bottom - layout.Top), 2540, units);
}

void TMetafile::LoadFromBytes(std::string_view bytes) {
    if (bytes.empty()) {
        bytes_.clear();
        layout_ = {};
        enhanced_ = false;
        mmWidth_ = mmHeight_ = inch_ = headerSize_ = 0;
        rendering_.reset();
        time_.reset();
        Changed();
        return;
    }
    TMetafileLayout layout = ReadMetafileLayout(bytes);
    if (!layout.Enhanced && !layout.HasFrame) {
        // No frame of its own: the box its drawing covers.
        if (!WmfDrawingBox(bytes, layout.Left, layout.Top, layout.Right, layout.Bottom)) {
            throw EInvalidGraphic(InvalidPictureFormat);
        }
        layout.HasFrame = true;
    }
    int mmWidth = 0;
    int mmHeight = 0;
    SizeOf(layout, layout.Inch, mmWidth, mmHeight);
    if (static_cast<int64_t>(PixelsOf(mmWidth)) * PixelsOf(mmHeight) * 4 > MaxPicturePixelBytes) {
        throw EInvalidGraphic(InvalidPictureFormat);
    }
    bytes_.assign(bytes);
    layout_ = layout;
    enhanced_ = layout.Enhanced;
    inch_ = layout.Inch;
    mmWidth_ = mmWidth;
    mmHeight_ = mmHeight;
    headerSize_ = layout.HeaderSize;
    rendering_.reset();
    time_.reset();
    Changed();
}

void TMetafile::SetInch(int inch) {
    if (inch <= 0 || inch == inch_ || layout_.Placeable || bytes_.empty()) {
        return;
    }
    int mmWidth = 0;
    int mmHeight = 0;
    SizeOf(layout_, inch, mmWidth, mmHeight);
    if (static_cast<int64_t>(PixelsOf(mmWidth)) * PixelsOf(mmHeight) * 4 > MaxPicturePixelBytes) {
        return;
    }
    inch_ = inch;
    if (mmWidth != mmWidth_ || mmHeight != mmHeight_) {
        mmWidth_ = mmWidth;
        mmHeight_ = mmHeight;
        rendering_.reset();
    }
    Changed();
}

std::shared_ptr<TMetafileRendering> TMetafile::Rendering() const {
    if (!rendering_) {
        // Enhanced metafiles go through a converter of their own, bounded in a process of its
        // own, unless they hold an image too large to draw; Windows metafiles through our
        // player, which checks and bounds what it plays itself.
        if (!enhanced_) {
            rendering_ = WmfMetafileRendering(bytes_, layout_);
        } else {
            rendering_ = SvgMetafileRendering(
                layout_.ImagesFit
                    ? ConvertWithinBounds(bytes_, std::max(1, Width()), std::max(1, Height()))
                    : std::string());
        }
    }
    return rendering_;
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) const {
    if (bytes_.empty() || IsRectEmpty(r)) {
        return;
    }
    if (!time_) {
        time_ = std::make_shared<TPictureTime>(bytes_);
    }
    // A picture that ran out of time is not played again. Converting an enhanced metafile
    // costs the showing's time too; with none left it is converted at a later showing.
    std::shared_ptr<TMetafileRendering> rendering;
    const bool converts = enhanced_ && !rendering_;
    const bool ranOut = time_->RanOut();
    if (!ranOut && converts && TPictureShowing::Left() <= 0) {
        TPictureShowing::PutOff();
    } else if (!ranOut) {
        QElapsedTimer clock;
        clock.start();
        rendering = Rendering();
        TPictureShowing::Spend(clock.elapsed());
        if (converts) {
            TPictureShowing::Kept();
        }
    }
    if (!rendering || !rendering->Valid()) {
        DrawFrame(canvas, r);
        return;
    }
    const TRect device = canvas.LogicalToDevice(r);
    const int width = std::abs(device.Width());
    const int height = std::abs(device.Height());
    if (width == 0 || height == 0) {
        return;
    }
    // On the screen and into bitmaps the kept bitmap of the drawing; a printer, or a size
    // too large to keep, gets the drawing itself. Either is drawn within the picture's time;
    // one that could not be drawn whole is shown as its frame.
    auto screenLike = [](int ppi) { return ppi == 96 || ppi == ScreenPixelsPerInch(); };
    const bool screen = screenLike(canvas.PixelsPerInchX()) && screenLike(canvas.PixelsPerInchY());
    if (screen && SizeWithin({static_cast<uint64_t>(width), static_cast<uint64_t>(height), 4},
                             RasterCacheBytes)) {
        QImage raster;
        if (time_->Draw([&](qint64 millis) {
                raster = rendering->Raster(width, height, millis);
                return !raster.isNull();
            })) {
            canvas.DrawImage(r, raster, Rect(0, 0, width, height));
        } else {
            DrawFrame(canvas, r);
        }
        return;
    }
    // Played straight onto the surface, whatever the records draw beyond the picture's own
    // window stays inside its rectangle (the kept bitmap above is drawn into it exactly).
    bool whole = true;
    {
        TClipKeeper clip(canvas);
        canvas.IntersectClipRect(r);
        canvas.PaintWith("Metafile", [&](QPainter& painter) {
            whole = time_->Draw([&](qint64 millis) {
                return rendering->Render(painter, QRectF(r.Left, r.Top, r.Width(), r.Height()),
                                         millis);
            });
        });
    }
    if (!whole) {
        DrawFrame(canvas, r);
    }
}

void TMetafile::DrawFrame(TCanvas& canvas, const TRect& r) {
    TBrush saved;
    saved.Assign(canvas.Brush());
    canvas.Brush().SetColor(clGray);
    canvas.FrameRect(r);
    canvas.Brush().Assign(saved);
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    auto copy = std::make_unique<TMetafile>();
    copy->bytes_ = bytes_;
    copy->layout_ = layout_;
    copy->enhanced_ = enhanced_;
    copy->mmWidth_ = mmWidth_;
    copy->mmHeight_ = mmHeight_;
    copy->inch_ = inch_;
    copy->headerSize_ = headerSize_;
    copy->rendering_ = rendering_;
    copy->time_ = time_;
    copy->SetTransparent(Transparent());
    return copy;
}

void GiveMetafileDefaultInch(TGraphic& graphic) {
    auto* metafile = dynamic_cast<TMetafile*>(&graphic);
    if (metafile && !metafile->Empty() && metafile->Inch() == 0) {
        metafile->SetInch(DefaultMetafileInch);
    }
}
