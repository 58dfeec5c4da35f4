#include "platform/graphics/Bitmap.h"

#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/QtCanvas.h"

#include <QPainter>

namespace {

QImage NewImage(int width, int height) {
    if (width <= 0 || height <= 0) {
        return QImage();
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int width, int height) {
    image_ = NewImage(width, height);
}

TBitmap::TBitmap(const QImage& image) {
    SetImage(image);
}

TBitmap::~TBitmap() = default;

TBitmap::TBitmap(const TBitmap& other)
    : TPixelGraphic(), transparentColor_(other.transparentColor_) {
    CopyFrom(other);
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
    if (this != &other) {
        transparentColor_ = other.transparentColor_;
        CopyFrom(other);
        Changed();
    }
    return *this;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) const {
    DrawPicturePixels(canvas, r, image_, Transparent() ? TransparentColor() : clNone);
}

void TBitmap::LoadFromBytes(std::string_view bytes) {
    QImage image;
    if (!bytes.empty()) {
        std::string error;
        if (!DecodeBmp(bytes, image, error)) {
            throw EInvalidGraphic(error);
        }
    }
    Store(std::move(image), std::string(bytes));
}

std::string TBitmap::SaveToBytes() const {
    if (image_.isNull()) {
        return "";
    }
    return bytes_.empty() ? EncodeBmp(image_) : bytes_;
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    return std::make_unique<TBitmap>(*this);
}

void TBitmap::SetSize(int width, int height) {
    if (width == Width() && height == Height()) {
        return;
    }
    QImage resized = NewImage(width, height);
    if (!resized.isNull() && !image_.isNull()) {
        QPainter painter(&resized);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, image_);
    }
    Store(std::move(resized), "");
}

TCanvas& TBitmap::Canvas() {
    Touch();
    if (!canvas_) {
        canvas_ = std::make_unique<TQtCanvas>(&image_);
    }
    return *canvas_;
}

void TBitmap::SetImage(const QImage& image) {
    Store(image.isNull() ? QImage()
                         : image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                         : QImage::Format_RGB32),
          "");
}

TColor TBitmap::TransparentColor() const {
    if (transparentColor_ != clDefault || image_.isNull()) {
        return transparentColor_;
    }
    QRgb pixel = image_.pixel(0, image_.height() - 1);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

void TBitmap::SetTransparentColor(TColor color) {
    transparentColor_ = color;
    Changed();
}

void TBitmap::Touch() {
    bytes_.clear();
}

void DrawPicturePixels(TCanvas& canvas, const TRect& r, const QImage& image, TColor transparent) {
    if (image.isNull()) {
        return;
    }
    TRect dest = r;
    TRect source = Rect(0, 0, image.width(), image.height());
    if (transparent == clNone || transparent == clDefault) {
        canvas.DrawImage(dest, image, source);
        return;
    }
    // Only what a page shows is masked: a picture far larger than it costs its visible part.
    if (canvas.KeepsWholeImages() && !canvas.VisiblePart(dest, source)) {
        return;
    }
    QImage masked = (source == Rect(0, 0, image.width(), image.height())
                         ? image
                         : image.copy(source.Left, source.Top, source.Width(), source.Height()))
                        .convertToFormat(QImage::Format_ARGB32);
    QRgb key = 0xFF000000u | (DrawnRGB(transparent) & 0xFF) << 16 |
               (DrawnRGB(transparent) & 0xFF00) | (DrawnRGB(transparent) >> 16 & 0xFF);
    for (int y = 0; y < masked.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] | 0xFF000000u) == key) {
                line[x] = 0;
            }
        }
    }
    canvas.DrawImage(dest, masked, Rect(0, 0, masked.width(), masked.height()));
}
