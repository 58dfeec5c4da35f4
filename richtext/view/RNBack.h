#pragma once

// The background of a document window: a colour and an optional picture drawn stretched,
// tiled to the window, tiled to the document (scrolling with it) or centred.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItem.h"

#include <memory>

class TCanvas;

class TRNBackground : public IRNBackground {
public:
    TRNBackground();
    ~TRNBackground() override;

    // A copy of the picture prepared for a palette display; never made on true-colour
    // displays, drawn instead of the picture when present.
    std::unique_ptr<TBitmap> ImageCopy;
    TBackgroundStyle Style = TBackgroundStyle::bsNoBitmap;

    TBackgroundStyle GetStyle() const override { return Style; }
    void SetStyle(TBackgroundStyle style) override { Style = style; }
    TBitmap& Bitmap() override { return *bitmap_; }
    const TBitmap& Bitmap() const { return *bitmap_; }

    // Whether scrolling must repaint everything: the picture stays fixed to the window while
    // the text moves.
    bool ScrollRequiresFullRedraw() const;
    // Drops the palette copy; nothing else exists to prepare here.
    void UpdatePaletted(TRNPaletteAction action);
    // Fills `rect` (window coordinates) of a view of `width` x `height` scrolled to
    // (hOffs, vOffs) into `canvas`, whose (0, 0) stands for the top-left corner of `rect`.
    void Draw(TCanvas& canvas, const TRect& rect, int hOffs, int vOffs, int width, int height,
              TColor color) const;

private:
    std::unique_ptr<TBitmap> bitmap_;
};
