#include "richtext/view/RNBack.h"

#include "platform/graphics/Canvas.h"

TRNBackground::TRNBackground() : bitmap_(std::make_unique<TBitmap>()) {}

TRNBackground::~TRNBackground() = default;

bool TRNBackground::ScrollRequiresFullRedraw() const {
    if (bitmap_->Empty()) {
        return false;
    }
    return Style == TBackgroundStyle::bsStretched || Style == TBackgroundStyle::bsTiled ||
           Style == TBackgroundStyle::bsCentered;
}

void TRNBackground::UpdatePaletted(TRNPaletteAction) {
    ImageCopy.reset();
}

void TRNBackground::Draw(TCanvas& canvas, const TRect& rect, int hOffs, int vOffs, int width,
                         int height, TColor color) const {
    const TBitmap& bitmap = ImageCopy ? *ImageCopy : *bitmap_;
    const QImage& image = bitmap.Image();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    const TRect whole = Rect(0, 0, w, h);
    const bool empty = bitmap.Empty() || w <= 0 || h <= 0;
    if (!empty) {
        switch (Style) {
        case TBackgroundStyle::bsStretched:
            canvas.DrawImage(Bounds(-rect.Left, -rect.Top, width, height), image, whole);
            return;
        case TBackgroundStyle::bsTiled:
            // Only the tiles that meet the rectangle.
            for (int r = rect.Top / h; r <= rect.Bottom / h; ++r) {
                for (int c = rect.Left / w; c <= rect.Right / w; ++c) {
                    canvas.DrawImage(Bounds(c * w - rect.Left, r * h - rect.Top, w, h), image,
                                     whole);
                }
            }
            return;
        case TBackgroundStyle::bsTiledAndScrolled:
            for (int r = (rect.Top + vOffs) / h; r <= (rect.Bottom + vOffs) / h; ++r) {
                for (int c = (rect.Left + hOffs) / w; c <= (rect.Right + hOffs) / w; ++c) {
                    canvas.DrawImage(
                        Bounds(c * w - hOffs - rect.Left, r * h - vOffs - rect.Top, w, h), image,
                        whole);
                }
            }
            return;
        default:
            break;
        }
    }
    canvas.Brush().SetColor(color);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.FillRect(Rect(0, 0, rect.Width(), rect.Height()));
    if (!empty && Style == TBackgroundStyle::bsCentered) {
        canvas.DrawImage(Bounds((width - w) / 2 - rect.Left, (height - h) / 2 - rect.Top, w, h),
                         image, whole);
    }
}
