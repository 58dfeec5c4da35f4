#include "platform/graphics/BmpFormat.h"

#include "platform/base/CheckedSize.h"
#include "platform/graphics/LittleEndian.h"

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct Header {
    uint32_t size = 0;
    long long width = 0;
    long long height = 0; // negative: rows top-down
    uint32_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
    bool core = false;
};

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;

class Decoder {
public:
    Decoder(std::string_view bytes, std::string& error,
            TSkippedPixels skipped = TSkippedPixels::Black, int step = 1)
        : b_(bytes), error_(error), skipped_(skipped), step_(std::max(1, step)) {}

    // Reads the header at `at`; `bitsAt` is where the pixels start when known (0: right
    // after the palette).
    bool Decode(size_t at, size_t bitsAt, QImage& image) {
        if (!ReadHeader(at)) {
            return false;
        }
        size_t pos = at + h_.size;
        if (h_.compression == BI_BITFIELDS && h_.size == 40) {
            if (!Need(pos, 12, "bit field masks")) {
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                h_.masks[i] = ReadU32(b_, pos + 4 * static_cast<size_t>(i));
            }
            pos += 12;
        }
        if (!ReadPalette(pos)) {
            return false;
        }
        if (bitsAt == 0 || bitsAt < pos || bitsAt >= b_.size()) {
            bitsAt = pos;
        }
        const bool runs = h_.compression == BI_RLE8 || h_.compression == BI_RLE4;
        const bool gaps = runs && skipped_ == TSkippedPixels::Transparent;
        QImage out(static_cast<int>((h_.width + step_ - 1) / step_),
                   static_cast<int>((Rows() + step_ - 1) / step_),
                   HasAlpha() || gaps ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (out.isNull()) {
            return Fail("not enough memory for the bitmap");
        }
        out.fill(gaps ? 0x00000000u : 0xFF000000u);
        bool ok = runs ? DecodeRle(bitsAt, out) : DecodePlain(bitsAt, out);
        if (!ok) {
            return false;
        }
        image = std::move(out);
        return true;
    }

private:
    bool Fail(const std::string& why) {
        error_ = "Bitmap image is not valid: " + why;
        return false;
    }

    bool Need(size_t at, size_t count, const char* what) {
        if (at > b_.size() || b_.size() - at < count) {
            return Fail(std::string("truncated ") + what);
        }
        return true;
    }

    long long Rows() const { return h_.height < 0 ? -h_.height : h_.height; }
    bool HasAlpha() const { return h_.masks[3] != 0 && h_.bitCount == 32; }

    bool ReadHeader(size_t at) {
        if (!Need(at, 4, "header")) {
            return false;
        }
        h_.size = ReadU32(b_, at);
        if (h_.size == 12) {
            if (!Need(at, 12, "header")) {
                return false;
            }
            h_.core = true;
            h_.width = ReadU16(b_, at + 4);
            h_.height = ReadU16(b_, at + 6);
            h_.bitCount = ReadU16(b_, at + 10);
        } else if (h_.size >= 40 && h_.size <= 1024) {
            if (!Need(at, h_.size, "header")) {
                return false;
            }
            h_.width = static_cast<int32_t>(ReadU32(b_, at + 4));
            h_.height = static_cast<int32_t>(ReadU32(b_, at + 8));
            h_.bitCount = ReadU16(b_, at + 14);
            h_.compression = ReadU32(b_, at + 16);
            h_.colorsUsed = ReadU32(b_, at + 32);
            if (h_.size >= 52) {
                for (int i = 0; i < 3; ++i) {
                    h_.masks[i] = ReadU32(b_, at + 40 + 4 * static_cast<size_t>(i));
                }
            }
            if (h_.size >= 56) {
                h_.masks[3] = ReadU32(b_, at + 52);
            }
        } else {
            return Fail("unknown header size " + std::to_string(h_.size));
        }
        if (h_.width <= 0 || h_.height == 0) {
            return Fail("empty or negative size");
        }
        if (!SizeWithin({static_cast<uint64_t>(h_.width), static_cast<uint64_t>(Rows())},
                        static_cast<uint64_t>(MaxBitmapPixels))) {
            return Fail("too large");
        }
        switch (h_.bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
            break;
        case 16:
        case 32:
            break;
        default:
            return Fail("unsupported bit count " + std::to_string(h_.bitCount));
        }
        bool compressionFits =
            h_.compression == BI_RGB ||
            (h_.compression == BI_RLE8 && h_.bitCount == 8 && h_.height > 0) ||
            (h_.compression == BI_RLE4 && h_.bitCount == 4 && h_.height > 0) ||
            (h_.compression == BI_BITFIELDS && (h_.bitCount == 16 || h_.bitCount == 32));
        if (!compressionFits) {
            return Fail("unsupported compression " + std::to_string(h_.compression));
        }
        if (h_.compression != BI_BITFIELDS) {
            if (h_.bitCount == 16) {
                h_.masks[0] = 0x7C00, h_.masks[1] = 0x03E0, h_.masks[2] = 0x001F;
            } else if (h_.bitCount == 32) {
                h_.masks[0] = 0xFF0000, h_.masks[1] = 0xFF00, h_.masks[2] = 0xFF;
            }
        }
        return true;
    }

    bool ReadPalette(size_t& pos) {
        size_t entry = h_.core ? 3 : 4;
        size_t count = h_.colorsUsed;
        if (h_.bitCount <= 8) {
            size_t full = size_t{1} << h_.bitCount;
            if (count == 0 || count > full) {
                count = full;
            }
        } else if (count > 65536) {
            return Fail("palette too large");
        }
        if (!Need(pos, count * entry, "palette")) {
            return false;
        }
        if (h_.bitCount <= 8) {
            palette_.resize(count);
            for (size_t i = 0; i < count; ++i) {
                size_t p = pos + i * entry;
                palette_[i] = 0xFF000000u | static_cast<unsigned char>(b_[p + 2]) << 16 |
                              static_cast<unsigned char>(b_[p + 1]) << 8 |
                              static_cast<unsigned char>(b_[p]);
            }
        }
        pos += count * entry;
        return true;
    }

    QRgb FromPalette(uint32_t index) const {
        return index < palette_.size() ? palette_[index] : 0xFF000000u;
    }

    static uint32_t Channel(uint32_t value, uint32_t mask) {
        if (mask == 0) {
            return 0;
        }
        int shift = 0;
        while (!(mask >> shift & 1)) {
            ++shift;
        }
        uint32_t max = mask >> shift;
        return ((value & mask) >> shift) * 255 / max;
    }

    QRgb FromMasks(uint32_t v) const {
        uint32_t a = HasAlpha() ? Channel(v, h_.masks[3]) : 255;
        return a << 24 | Channel(v, h_.masks[0]) << 16 | Channel(v, h_.masks[1]) << 8 |
               Channel(v, h_.masks[2]);
    }

    bool DecodePlain(size_t at, QImage& out) {
        size_t width = static_cast<size_t>(h_.width);
        size_t rows = static_cast<size_t>(Rows());
        size_t stride = (width * h_.bitCount + 31) / 32 * 4;
        size_t lastRow = (width * h_.bitCount + 7) / 8;
        if (!Need(at, stride * (rows - 1) + lastRow, "pixel data")) {
            return false;
        }
        const auto step = static_cast<size_t>(step_);
        for (size_t y = 0; y < rows; y += step) {
            const size_t row = h_.height < 0 ? y : rows - 1 - y;
            size_t src = at + row * stride;
            QRgb* const line = reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(y / step)));
            for (size_t x = 0; x < width; x += step) {
                QRgb& pixel = line[x / step];
                switch (h_.bitCount) {
                case 1:
                    pixel =
                        FromPalette(static_cast<unsigned char>(b_[src + x / 8]) >> (7 - x % 8) & 1);
                    break;
                case 4:
                    pixel = FromPalette(
                        static_cast<unsigned char>(b_[src + x / 2]) >> (x % 2 ? 0 : 4) & 0xF);
                    break;
                case 8:
                    pixel = FromPalette(static_cast<unsigned char>(b_[src + x]));
                    break;
                case 16:
                    pixel = FromMasks(ReadU16(b_, src + 2 * x));
                    break;
                case 24: {
                    size_t p = src + 3 * x;
                    pixel = 0xFF000000u | static_cast<unsigned char>(b_[p + 2]) << 16 |
                            static_cast<unsigned char>(b_[p + 1]) << 8 |
                            static_cast<unsigned char>(b_[p]);
                    break;
                }
                default:
                    pixel = FromMasks(ReadU32(b_, src + 4 * x));
                    break;
                }
            }
        }
        return true;
    }

    bool DecodeRle(size_t at, QImage& out) {
        const bool four = h_.compression == BI_RLE4;
        long long width = h_.width, rows = Rows();
        long long x = 0, row = 0;
        size_t p = at;
        const long long step = step_;
        auto put = [&](uint32_t index) {
            const long long y = rows - 1 - row;
            if (x < width && row < rows && x % step == 0 && y % step == 0) {
                reinterpret_cast<QRgb*>(out.scanLine(static_cast<int>(y / step)))[x / step] =
                    FromPalette(index);
            }
            ++x;
        };
        while (true) {
            if (!Need(p, 2, "run-length data")) {
                return false;
            }
            unsigned count = static_cast<unsigned char>(b_[p]);
            unsigned value = static_cast<unsigned char>(b_[p + 1]);
            p += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count; ++i) {
                    put(four ? (i % 2 ? value & 0xF : value >> 4) : value);
                }
            } else if (value == 0) {
                x = 0;
                ++row;
            } else if (value == 1) {
                return true;
            } else if (value == 2) {
                if (!Need(p, 2, "run-length data")) {
                    return false;
                }
                x += static_cast<unsigned char>(b_[p]);
                row += static_cast<unsigned char>(b_[p + 1]);
                p += 2;
            } else {
                size_t bytes = four ? (value + 1) / 2 : value;
                if (!Need(p, bytes, "run-length data")) {
                    return false;
                }
                for (unsigned i = 0; i < value; ++i) {
                    unsigned byte = static_cast<unsigned char>(b_[p + (four ? i / 2 : i)]);
                    put(four ? (i % 2 ? byte & 0xF : byte >> 4) : byte);
                }
                p += (bytes + 1) / 2 * 2;
            }
            if (row >= rows) {
                return true;
            }
        }
    }

    std::string_view b_;
    std::string& error_;
    TSkippedPixels skipped_;
    int step_;
    Header h_;
    std::vector<QRgb> palette_;
};

} // namespace

bool DecodeBmp(std::string_view bytes, QImage& image, std::string& error) {
    if (bytes.size() < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') {
        error = "Bitmap image is not valid: no bitmap file header";
        return false;
    }
    return Decoder(bytes, error).Decode(14, ReadU32(bytes, 10), image);
}

bool DecodeDib(std::string_view bytes, QImage& image, std::string& error, TSkippedPixels skipped,
               int step) {
    return Decoder(bytes, error, skipped, step).Decode(0, 0, image);
}

std::string EncodeDib(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    uint32_t width = static_cast<uint32_t>(image.width());
    uint32_t height = static_cast<uint32_t>(image.height());
    uint32_t stride = (width * 24 + 31) / 32 * 4;
    std::string out;
    out.reserve(40 + static_cast<size_t>(stride) * height);
    WriteU32(out, 40);
    WriteU32(out, width);
    WriteU32(out, height);
    WriteU16(out, 1);
    WriteU16(out, 24);
    WriteU32(out, 0);
    WriteU32(out, stride * height);
    WriteU32(out, 0);
    WriteU32(out, 0);
    WriteU32(out, 0);
    WriteU32(out, 0);
    for (int y = static_cast<int>(height) - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        size_t start = out.size();
        for (uint32_t x = 0; x < width; ++x) {
            out += static_cast<char>(qBlue(line[x]));
            out += static_cast<char>(qGreen(line[x]));
            out += static_cast<char>(qRed(line[x]));
        }
        out.append(stride - (out.size() - start), '\0');
    }
    return out;
}

std::string EncodeBmp(const QImage& image) {
    std::string dib = EncodeDib(image);
    std::string out = "BM";
    WriteU32(out, static_cast<uint32_t>(14 + dib.size()));
    WriteU32(out, 0);
    WriteU32(out, 14 + 40);
    return out + dib;
}
