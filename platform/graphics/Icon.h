#pragma once

// An icon file (.ico): the image closest to 32 x 32 pixels (the most colours among equals) is
// shown, with its transparency; the file is kept and written back as read. An icon made from
// pixels is written as a one-image icon file.

#include "platform/graphics/Graphic.h"

class TIcon : public TPixelGraphic {
public:
    std::string ClassName() const override { return "TIcon"; }
    void Draw(TCanvas& canvas, const TRect& r) const override;
    void LoadFromBytes(std::string_view bytes) override;
    std::unique_ptr<TGraphic> Clone() const override;
    // The image, with alpha, written as a one-image icon file.
    void SetImage(const QImage& image) override;
};
