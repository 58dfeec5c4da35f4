#include "platform/graphics/EncodedImageSize.h"

#include "platform/base/CheckedSize.h"

namespace {

constexpr std::string_view PngSignature("\x89PNG\r\n\x1A\n", 8);

uint64_t BigEndian(std::string_view b, size_t at, size_t bytes) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) {
        value = value << 8 | static_cast<unsigned char>(b[at + i]);
    }
    return value;
}

// The image header chunk comes first: its length (13), its name, the width and height (at
// most 2^31 - 1 each), the bit depth.
std::optional<TEncodedImageSize> PngSize(std::string_view b) {
    if (b.size() < 33 || BigEndian(b, 8, 4) != 13 || b.substr(12, 4) != "IHDR") {
        return std::nullopt;
    }
    TEncodedImageSize size{TEncodedImageKind::Png, BigEndian(b, 16, 4), BigEndian(b, 20, 4), 4};
    if (size.Width == 0 || size.Height == 0 || size.Width > INT32_MAX || size.Height > INT32_MAX) {
        return std::nullopt;
    }
    if (b[24] == 16) {
        size.BytesPerPixel = 8;
    }
    return size;
}

// Start-of-frame markers: 0xC0 to 0xCF but for the Huffman tables (C4), the extension (C8) and
// the arithmetic coding conditions (CC).
bool StartOfFrame(unsigned marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The segments after the start of the image, each a marker and its length, up to the first
// frame header: its precision, height and width. The scan starts no frame before it.
std::optional<TEncodedImageSize> JpegSize(std::string_view b) {
    size_t at = 2;
    while (true) {
        if (b.size() - at < 2 || static_cast<unsigned char>(b[at]) != 0xFF) {
            return std::nullopt;
        }
        const auto marker = static_cast<unsigned char>(b[at + 1]);
        at += 2;
        if (marker == 0xFF) { // fill before a marker
            --at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // markers of no length
            continue;
        }
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || b.size() - at < 2) {
            return std::nullopt;
        }
        const uint64_t length = BigEndian(b, at, 2);
        if (length < 2 || length > b.size() - at) {
            return std::nullopt;
        }
        if (StartOfFrame(marker)) {
            if (length < 8) {
                return std::nullopt;
            }
            TEncodedImageSize size{TEncodedImageKind::Jpeg, BigEndian(b, at + 5, 2),
                                   BigEndian(b, at + 3, 2), 4};
            // A height of 0 is given later in the data, where no header reader looks.
            if (size.Width == 0 || size.Height == 0) {
                return std::nullopt;
            }
            return size;
        }
        at += length;
    }
}

} // namespace

std::optional<TEncodedImageSize> EncodedImageSize(std::string_view bytes) {
    if (bytes.substr(0, PngSignature.size()) == PngSignature) {
        return PngSize(bytes);
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xD8) {
        return JpegSize(bytes);
    }
    return std::nullopt;
}

bool DecodedWithin(const TEncodedImageSize& size, uint64_t limit) {
    return SizeWithin({size.Width, size.Height, size.BytesPerPixel}, limit);
}
