#include "platform/graphics/ImageList.h"

#include "platform/graphics/Canvas.h"

namespace {

// The disabled look: every visible pixel a light grey by its brightness.
QImage Greyed(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            int grey = qGray(line[x]);
            int light = 128 + grey / 2;
            line[x] = qRgba(light, light, light, qAlpha(line[x]));
        }
    }
    return out;
}

} // namespace

TImageList::TImageList(int width, int height)
    : width_(width > 0 ? width : 16), height_(height > 0 ? height : 16) {}

void TImageList::SetSize(int width, int height) {
    if (width > 0 && height > 0 && (width != width_ || height != height_)) {
        width_ = width;
        height_ = height;
        images_.clear();
    }
}

int TImageList::Add(const TBitmap& bitmap, const TBitmap* mask) {
    if (bitmap.Empty()) {
        return -1;
    }
    int first = Count();
    const QImage& source = bitmap.Image();
    QImage maskImage =
        mask && !mask->Empty() ? mask->Image().convertToFormat(QImage::Format_RGB32) : QImage();
    int pieces = std::max(1, source.width() / width_);
    for (int i = 0; i < pieces; ++i) {
        QImage piece(width_, height_, QImage::Format_ARGB32);
        piece.fill(0);
        for (int y = 0; y < height_ && y < source.height(); ++y) {
            for (int x = 0; x < width_ && i * width_ + x < source.width(); ++x) {
                int sx = i * width_ + x;
                QRgb pixel = source.pixel(sx, y) | 0xFF000000u;
                if (!maskImage.isNull() && maskImage.valid(sx, y) &&
                    (maskImage.pixel(sx, y) & 0xFFFFFF) != 0) {
                    pixel = 0;
                }
                piece.setPixel(x, y, pixel);
            }
        }
        images_.push_back(std::move(piece));
    }
    return first;
}

int TImageList::AddMasked(const TBitmap& bitmap, TColor maskColor) {
    if (bitmap.Empty()) {
        return -1;
    }
    uint32_t rgb = DrawnRGB(maskColor);
    QRgb key = qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    TBitmap mask(bitmap.Width(), bitmap.Height());
    QImage maskImage(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
    for (int y = 0; y < maskImage.height(); ++y) {
        for (int x = 0; x < maskImage.width(); ++x) {
            bool clear = (bitmap.Image().pixel(x, y) | 0xFF000000u) == key;
            maskImage.setPixel(x, y, clear ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    mask.SetImage(maskImage);
    return Add(bitmap, &mask);
}

int TImageList::AddImage(const QImage& image) {
    if (image.isNull()) {
        return -1;
    }
    QImage scaled = image.convertToFormat(QImage::Format_ARGB32);
    if (scaled.width() != width_ || scaled.height() != height_) {
        scaled = scaled.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    images_.push_back(std::move(scaled));
    return Count() - 1;
}

void TImageList::Delete(int index) {
    if (index >= 0 && index < Count()) {
        images_.erase(images_.begin() + index);
    }
}

void TImageList::Clear() {
    images_.clear();
}

void TImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
    if (index < 0 || index >= Count()) {
        return;
    }
    const QImage& image = images_[static_cast<size_t>(index)];
    canvas.DrawImage(Bounds(x, y, width_, height_), enabled ? image : Greyed(image),
                     Rect(0, 0, width_, height_));
}

void TImageList::DrawBlended(TCanvas& canvas, int x, int y, int index, TColor color) const {
    if (index < 0 || index >= Count()) {
        return;
    }
    uint32_t rgb = DrawnRGB(color);
    int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    QImage blended = images_[static_cast<size_t>(index)].convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < blended.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(blended.scanLine(row));
        for (int col = 0; col < blended.width(); ++col) {
            QRgb p = line[col];
            line[col] =
                qRgba((qRed(p) + r) / 2, (qGreen(p) + g) / 2, (qBlue(p) + b) / 2, qAlpha(p));
        }
    }
    canvas.DrawImage(Bounds(x, y, width_, height_), blended, Rect(0, 0, width_, height_));
}

QImage TImageList::Image(int index) const {
    if (index < 0 || index >= Count()) {
        return QImage();
    }
    return images_[static_cast<size_t>(index)];
}
