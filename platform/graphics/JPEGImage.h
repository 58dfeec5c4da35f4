#pragma once

// A JPEG picture, decoded with libjpeg. It keeps the file it was read from and writes exactly
// that back; one made from other pixels is compressed at quality 90. Only its header is read
// when it is loaded: its pixels are decoded when they are needed, beside the window when it is
// drawn (PicturePreparation.h), at the scale nearest the size it is shown at (a page of a print
// or its preview gets only the piece of it the page shows); on the caller's behalf when its
// pixels are asked for (Image()). Either way within the bounds of a picture: a decode stops when
// it has taken the CPU time a photo of its pixels may take, and one whose header says it needs
// more working memory than a picture may hold (the ceiling above the largest photos,
// PictureBudget.h) is not begun; the picture is then its frame.

#include "platform/graphics/Graphic.h"
#include "platform/graphics/PictureBudget.h"

#include <QRect>

#include <functional>
#include <memory>

class TPictureBytes;

class TJPEGImage : public TPixelGraphic {
public:
    std::string ClassName() const override { return "TJPEGImage"; }
    bool Empty() const override { return width_ == 0; }
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void Draw(TCanvas& canvas, const TRect& r) const override;
    // Refuses bytes whose header is not a JPEG image's, or says more pixels than a bitmap may
    // have.
    void LoadFromBytes(std::string_view bytes) override;
    std::string SaveToBytes() const override;
    std::unique_ptr<TGraphic> Clone() const override;
    // Compresses the pixels; what is kept is what a reader of the written file sees.
    void SetImage(const QImage& image) override;

    // The quality new compressions use.
    static constexpr int CompressionQuality = 90;

protected:
    void DecodePixels() const override;

private:
    std::shared_ptr<const TPictureBytes> source_;
    int width_ = 0;
    int height_ = 0;
};

// What a decode may take: the CPU time of the thread that decodes, libjpeg's working memory (the
// coefficients an image in several scans keeps between them: what its header says it needs, no
// more than `WorkingMemory`, taken from what the decodes under way share, DecodeMemory.h), and
// whether to stop, asked now and then (also while it waits for that memory).
struct TJpegBounds {
    int64_t CpuMicros = 1000000;
    uint64_t WorkingMemory = PictureMemoryCeiling;
    std::function<bool()> Stopped;
};

enum class TJpegEnd { Decoded, Invalid, OutOfBounds, Stopped };

// The size a JPEG image's header gives; false with `error` set for bytes that are not one, or
// one of more pixels than a bitmap may have.
bool ReadJpegHeader(std::string_view bytes, int& width, int& height, std::string& error);
// The image decoded at 1/`scale` of its size (1, 2, 4 or 8) within `bounds`; only the part
// `piece` of that decode when it is not empty (its rows above are skipped, those below not read).
TJpegEnd DecodeJpegWithin(std::string_view bytes, int scale, const TJpegBounds& bounds,
                          QImage& image, std::string& error, const QRect& piece = {});
// The whole image within the bounds of a picture of its pixels: false with `error` set when it
// cannot be had.
bool DecodeJpeg(std::string_view bytes, QImage& image, std::string& error);
std::string EncodeJpeg(const QImage& image, int quality);
