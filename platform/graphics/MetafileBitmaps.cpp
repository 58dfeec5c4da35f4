#include "platform/graphics/MetafileBitmaps.h"

#include "platform/base/CheckedSize.h"
#include "platform/graphics/EncodedImageSize.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/MetafileRecords.h"

#include <optional>

namespace {

constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiRle8 = 1;
constexpr uint32_t BiRle4 = 2;
constexpr uint32_t BiBitfields = 3;
constexpr uint32_t BiJpeg = 4;
constexpr uint32_t BiPng = 5;
constexpr uint32_t BiAlphaBitfields = 6;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

[[noreturn]] void Refuse() {
    throw EInvalidGraphic(InvalidPictureFormat);
}

// The core header, the info header and its later versions: with colour masks (52, 56) and
// with colour spaces (108, 124).
bool KnownHeaderSize(uint32_t size) {
    for (uint32_t known : {CoreHeaderSize, InfoHeaderSize, 52u, 56u, 108u, 124u}) {
        if (size == known) {
            return true;
        }
    }
    return false;
}

bool BitCountFits(uint32_t bitCount, uint32_t compression, bool core) {
    if (core) {
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24;
    }
    switch (compression) {
    case BiRgb:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
               bitCount == 24 || bitCount == 32;
    case BiRle8:
        return bitCount == 8;
    case BiRle4:
        return bitCount == 4;
    case BiBitfields:
    case BiAlphaBitfields:
        return bitCount == 16 || bitCount == 32;
    case BiJpeg:
    case BiPng:
        return bitCount == 0;
    default:
        return false;
    }
}

// The bytes of the colour table and of the masks an info header of 40 bytes is followed by.
std::optional<uint64_t> TableBytes(uint32_t headerSize, uint32_t bitCount, uint32_t compression,
                                   uint64_t colorsUsed) {
    uint64_t entries = colorsUsed;
    if (bitCount > 0 && bitCount <= 8) {
        const uint64_t full = uint64_t{1} << bitCount;
        if (entries > full) {
            return std::nullopt;
        }
        if (entries == 0) {
            entries = full;
        }
    }
    uint64_t masks = 0;
    if (headerSize == InfoHeaderSize) {
        masks = compression == BiBitfields ? 12 : compression == BiAlphaBitfields ? 16 : 0;
    }
    const std::optional<uint64_t> table =
        SizeProduct({entries, headerSize == CoreHeaderSize ? 3u : 4u});
    if (!table || *table > UINT64_MAX - masks) {
        return std::nullopt;
    }
    return *table + masks;
}

} // namespace

bool RunLengthFits(std::string_view data, uint64_t width, uint64_t height, bool four) {
    // The position of the next pixel; x never passes the width.
    uint64_t x = 0;
    uint64_t y = 0;
    size_t at = 0;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(data[i]); };
    while (data.size() - at >= 2) {
        const unsigned count = byte(at);
        const unsigned value = byte(at + 1);
        at += 2;
        if (count > 0) { // `count` pixels of the colours in `value`
            if (y >= height || count > width - x) {
                return false;
            }
            x += count;
        } else if (value == 0) { // the end of a line
            if (y >= height) {
                return false;
            }
            ++y;
            x = 0;
        } else if (value == 1) { // the end of the bitmap
            return true;
        } else if (value == 2) { // a move right and up
            if (data.size() - at < 2) {
                return false;
            }
            const unsigned right = byte(at);
            const unsigned up = byte(at + 1);
            at += 2;
            if (right > width - x || up > height - y) {
                return false;
            }
            x += right;
            y += up;
        } else { // `value` pixels given one by one, padded to whole words
            const size_t bytes = four ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) / 2 * 2;
            if (data.size() - at < padded || y >= height || value > width - x) {
                return false;
            }
            x += value;
            at += padded;
        }
    }
    return false;
}

bool CheckDib(std::string_view b, uint64_t from, uint64_t end, uint64_t bitsFrom,
              uint64_t bitsEnd) {
    if (end > b.size() || from > end || end - from < 4) {
        Refuse();
    }
    const uint32_t headerSize = ReadU32(b, from);
    if (!KnownHeaderSize(headerSize) || headerSize > end - from) {
        Refuse();
    }
    const bool core = headerSize == CoreHeaderSize;
    uint64_t width = 0;
    int64_t height = 0;
    uint32_t bitCount = 0;
    uint32_t compression = BiRgb;
    uint32_t colorsUsed = 0;
    if (core) {
        width = ReadU16(b, from + 4);
        height = ReadU16(b, from + 6);
        bitCount = ReadU16(b, from + 10);
    } else {
        const int32_t signedWidth = static_cast<int32_t>(ReadU32(b, from + 4));
        width = signedWidth > 0 ? static_cast<uint64_t>(signedWidth) : 0;
        height = static_cast<int32_t>(ReadU32(b, from + 8));
        bitCount = ReadU16(b, from + 14);
        compression = ReadU32(b, from + 16);
        colorsUsed = ReadU32(b, from + 32);
    }
    // Rows run top-down when the height is negative; run-length data is only bottom-up.
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -height : height);
    const bool runLength = compression == BiRle8 || compression == BiRle4;
    if (width == 0 || rows == 0 || !SizeWithin({width, rows, 4}, MaxPicturePixelBytes) ||
        !BitCountFits(bitCount, compression, core) || (runLength && height < 0)) {
        Refuse();
    }
    const std::optional<uint64_t> table = TableBytes(headerSize, bitCount, compression, colorsUsed);
    if (!table || *table > end - from - headerSize) {
        Refuse();
    }
    if (bitsFrom == DibBitsAfterHeader) {
        bitsFrom = from + headerSize + *table;
    }
    if (bitsEnd > b.size() || bitsFrom > bitsEnd) {
        Refuse();
    }
    const std::string_view bits = b.substr(bitsFrom, bitsEnd - bitsFrom);
    if (runLength) {
        if (!RunLengthFits(bits, width, rows, compression == BiRle4)) {
            Refuse();
        }
        return true;
    }
    if (compression == BiJpeg || compression == BiPng) {
        if (bits.empty()) {
            Refuse();
        }
        // The header's size says nothing of the image inside, which is what gets decoded.
        const std::optional<TEncodedImageSize> image = EncodedImageSize(bits);
        const TEncodedImageKind kind =
            compression == BiPng ? TEncodedImageKind::Png : TEncodedImageKind::Jpeg;
        return image && image->Kind == kind && DecodedWithin(*image, MaxPicturePixelBytes);
    }
    // Each row is whole 32-bit words long.
    const uint64_t stride = (width * bitCount + 31) / 32 * 4;
    if (!SizeWithin({stride, rows}, bits.size())) {
        Refuse();
    }
    return true;
}
