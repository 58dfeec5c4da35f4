#include "platform/graphics/Icon.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFormat.h"

#include "platform/graphics/LittleEndian.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

// One icon image: a PNG, or a bitmap of twice the height (colours, then a one-bit mask in
// which set bits are transparent).
QImage DecodeEntry(std::string_view data) {
    if (data.size() >= 8 && data.substr(0, 8) == "\x89PNG\r\n\x1a\n") {
        QImage png = QImage::fromData(reinterpret_cast<const uchar*>(data.data()),
                                      static_cast<int>(data.size()), "PNG");
        return png.isNull() ? QImage() : png.convertToFormat(QImage::Format_ARGB32);
    }
    if (data.size() < 40 || ReadU32(data, 0) < 40) {
        return QImage();
    }
    int32_t doubled = static_cast<int32_t>(ReadU32(data, 8));
    if (doubled <= 0 || doubled % 2 != 0) {
        return QImage();
    }
    std::string header(data);
    int32_t height = doubled / 2;
    header[8] = static_cast<char>(height & 0xFF);
    header[9] = static_cast<char>(height >> 8 & 0xFF);
    header[10] = static_cast<char>(height >> 16 & 0xFF);
    header[11] = static_cast<char>(height >> 24 & 0xFF);
    QImage colors;
    std::string error;
    if (!DecodeDib(header, colors, error)) {
        return QImage();
    }
    QImage image = colors.convertToFormat(QImage::Format_ARGB32);
    int width = image.width();
    uint32_t headerSize = ReadU32(data, 0);
    uint32_t bitCount = ReadU16(data, 14);
    uint32_t colorsUsed = ReadU32(data, 32);
    size_t palette = bitCount <= 8 ? (colorsUsed ? colorsUsed : 1u << bitCount) * 4 : 0;
    size_t colorStride = (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
    size_t bits = headerSize + palette;
    size_t maskAt = bits + colorStride * static_cast<size_t>(height);
    size_t maskStride = (static_cast<size_t>(width) + 31) / 32 * 4;

    bool alpha = false;
    if (bitCount == 32) {
        for (int row = 0; row < height && !alpha; ++row) {
            for (int x = 0; x < width; ++x) {
                if (data[bits + static_cast<size_t>(row) * colorStride +
                         4 * static_cast<size_t>(x) + 3] != 0) {
                    alpha = true;
                    break;
                }
            }
        }
    }
    bool hasMask = data.size() >= maskAt + maskStride * static_cast<size_t>(height);
    for (int row = 0; row < height; ++row) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(height - 1 - row));
        for (int x = 0; x < width; ++x) {
            int a = 255;
            if (alpha) {
                a = static_cast<unsigned char>(data[bits + static_cast<size_t>(row) * colorStride +
                                                    4 * static_cast<size_t>(x) + 3]);
            } else if (hasMask) {
                unsigned char m =
                    static_cast<unsigned char>(data[maskAt + static_cast<size_t>(row) * maskStride +
                                                    static_cast<size_t>(x) / 8]);
                a = (m >> (7 - x % 8) & 1) ? 0 : 255;
            }
            line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), a);
        }
    }
    return image;
}

std::string EncodeIcon(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    uint32_t width = static_cast<uint32_t>(image.width());
    uint32_t height = static_cast<uint32_t>(image.height());
    uint32_t maskStride = (width + 31) / 32 * 4;
    std::string dib;
    WriteU32(dib, 40);
    WriteU32(dib, width);
    WriteU32(dib, height * 2);
    WriteU16(dib, 1);
    WriteU16(dib, 32);
    WriteU32(dib, 0);
    WriteU32(dib, (width * 4 + maskStride) * height);
    for (int i = 0; i < 4; ++i) {
        WriteU32(dib, 0);
    }
    for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (uint32_t x = 0; x < width; ++x) {
            WriteU32(dib, line[x]);
        }
    }
    for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::string row(maskStride, '\0');
        for (uint32_t x = 0; x < width; ++x) {
            if (qAlpha(line[x]) == 0) {
                row[x / 8] = static_cast<char>(row[x / 8] | 0x80 >> (x % 8));
            }
        }
        dib += row;
    }
    std::string out;
    WriteU16(out, 0);
    WriteU16(out, 1);
    WriteU16(out, 1);
    out += static_cast<char>(width >= 256 ? 0 : width);
    out += static_cast<char>(height >= 256 ? 0 : height);
    out += '\0';
    out += '\0';
    WriteU16(out, 1);
    WriteU16(out, 32);
    WriteU32(out, static_cast<uint32_t>(dib.size()));
    WriteU32(out, 22);
    return out + dib;
}

} // namespace

void TIcon::Draw(TCanvas& canvas, const TRect& r) const {
    DrawPicturePixels(canvas, r, image_, clNone);
}

void TIcon::LoadFromBytes(std::string_view bytes) {
    if (bytes.empty()) {
        Store(QImage(), "");
        return;
    }
    if (bytes.size() < 6 || ReadU16(bytes, 0) != 0 || ReadU16(bytes, 2) != 1 ||
        ReadU16(bytes, 4) == 0) {
        throw EInvalidGraphic("Icon image is not valid");
    }
    size_t count = ReadU16(bytes, 4);
    if (bytes.size() < 6 + 16 * count) {
        throw EInvalidGraphic("Icon image is not valid: truncated directory");
    }
    // The image nearest to 32 x 32, the deepest of equals.
    size_t best = count;
    long bestScore = 0;
    for (size_t i = 0; i < count; ++i) {
        size_t e = 6 + 16 * i;
        int w = static_cast<unsigned char>(bytes[e]) ? static_cast<unsigned char>(bytes[e]) : 256;
        int h = static_cast<unsigned char>(bytes[e + 1]) ? static_cast<unsigned char>(bytes[e + 1])
                                                         : 256;
        uint32_t size = ReadU32(bytes, e + 8);
        uint32_t offset = ReadU32(bytes, e + 12);
        if (offset > bytes.size() || size > bytes.size() - offset) {
            continue;
        }
        long score =
            (std::abs(w - 32) + std::abs(h - 32)) * 64L - static_cast<long>(ReadU16(bytes, e + 6));
        if (best == count || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    if (best == count) {
        throw EInvalidGraphic("Icon image is not valid: no image inside the file");
    }
    size_t e = 6 + 16 * best;
    QImage image = DecodeEntry(bytes.substr(ReadU32(bytes, e + 12), ReadU32(bytes, e + 8)));
    if (image.isNull()) {
        throw EInvalidGraphic("Icon image is not valid: unreadable image");
    }
    Store(std::move(image), std::string(bytes));
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
    auto copy = std::make_unique<TIcon>();
    copy->CopyFrom(*this);
    return copy;
}

void TIcon::SetImage(const QImage& image) {
    QImage kept = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
    std::string bytes = kept.isNull() ? std::string() : EncodeIcon(kept);
    Store(std::move(kept), std::move(bytes));
}
