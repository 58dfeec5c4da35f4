#pragma once

// A JPEG picture, decoded with libjpeg. It keeps the file it was read from and writes exactly
// that back; one made from other pixels is compressed at quality 90.

#include "platform/graphics/Graphic.h"

class TJPEGImage : public TPixelGraphic {
public:
    std::string ClassName() const override { return "TJPEGImage"; }
    void Draw(TCanvas& canvas, const TRect& r) const override;
    void LoadFromBytes(std::string_view bytes) override;
    std::unique_ptr<TGraphic> Clone() const override;
    // Compresses the pixels; what is kept is what a reader of the written file sees.
    void SetImage(const QImage& image) override;

    // The quality new compressions use.
    static constexpr int CompressionQuality = 90;
};

// libjpeg behind the picture: false with `error` set for bytes it cannot decode.
bool DecodeJpeg(std::string_view bytes, QImage& image, std::string& error);
std::string EncodeJpeg(const QImage& image, int quality);
