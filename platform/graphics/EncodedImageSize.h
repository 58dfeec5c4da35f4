#pragma once

// The size of a PNG or JPEG image read from its header, before anything decodes it: a few
// bytes of such an image can stand for any number of pixels, and a picture that holds one is
// measured by what decoding it would take, not by what the picture says of it.

#include <cstdint>
#include <optional>
#include <string_view>

enum class TEncodedImageKind { Png, Jpeg };

struct TEncodedImageSize {
    TEncodedImageKind Kind = TEncodedImageKind::Png;
    uint64_t Width = 0;
    uint64_t Height = 0;
    // Bytes a pixel takes once decoded: 8 for 16-bit PNG channels, else 4.
    uint64_t BytesPerPixel = 4;
};

// The kind and size of the image `bytes` begin with, or nothing when they begin with no PNG
// or JPEG header that gives a size of at least one pixel each way.
std::optional<TEncodedImageSize> EncodedImageSize(std::string_view bytes);

// Whether the image, decoded, takes at most `limit` bytes.
bool DecodedWithin(const TEncodedImageSize& size, uint64_t limit);
