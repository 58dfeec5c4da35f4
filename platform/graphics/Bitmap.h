#pragma once

// A bitmap: pixels in a QImage, a canvas to draw on them, and the BMP bytes it was loaded
// from (written back unchanged until the pixels are touched).

#include "platform/graphics/Graphic.h"

#include <memory>

class TQtCanvas;

class TBitmap : public TPixelGraphic {
public:
    TBitmap();
    TBitmap(int width, int height);
    explicit TBitmap(const QImage& image);
    ~TBitmap() override;
    TBitmap(const TBitmap& other);
    TBitmap& operator=(const TBitmap& other);

    std::string ClassName() const override { return "TBitmap"; }
    void Draw(TCanvas& canvas, const TRect& r) const override;
    void LoadFromBytes(std::string_view bytes) override;
    std::string SaveToBytes() const override;
    std::unique_ptr<TGraphic> Clone() const override;

    // Keeps what fits of the old pixels; new area is white.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }

    // A canvas on the pixels (96 pixels per inch, like the screen); the same canvas for the
    // bitmap's whole life, whatever its size. Asking for it counts as a change: the bitmap
    // is written anew from its pixels afterwards.
    TCanvas& Canvas();

    void SetImage(const QImage& image) override;

    // The colour left out when drawn transparently: the bottom-left pixel unless set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);

private:
    void Touch();

    std::unique_ptr<TQtCanvas> canvas_;
    TColor transparentColor_ = clDefault;
};

// `image` drawn onto `canvas` over `r`, with the pixels of `transparent` (a colour, or
// clNone for none) left out.
void DrawPicturePixels(TCanvas& canvas, const TRect& r, const QImage& image, TColor transparent);
