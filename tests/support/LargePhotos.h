#pragma once

// Photos as a camera writes them, made in the tests: baseline JPEG at quality 90, colour
// subsampled, a mid colour under a grain that changes every four pixels and a fine noise, so that
// they are decoded as real photos are (every block with coefficients of its own) and compress
// about as well (about 1.2 bits a pixel).

#include "tests/support/JpegWriting.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace large_photos {

inline uint32_t Mixed(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

// `width` x `height` pixels around `colour` (0xRRGGBB, each channel within 26 of it), the grain
// drawn from `salt`.
inline std::string PhotoJpeg(int width, int height, uint32_t colour, uint32_t salt) {
    const int base[3] = {static_cast<int>(colour >> 16 & 0xFF),
                         static_cast<int>(colour >> 8 & 0xFF), static_cast<int>(colour & 0xFF)};
    return WrittenJpeg(width, height, {}, [&](int row, unsigned char* pixels) {
        const auto y = static_cast<uint32_t>(row);
        for (int x = 0; x < width; ++x) {
            const uint32_t grain =
                Mixed(salt ^ (static_cast<uint32_t>(x / 4) * 73856093u) ^ ((y / 4) * 19349663u));
            const int shade = static_cast<int>(grain % 17) - 8 +
                              static_cast<int>((static_cast<uint32_t>(x) + y) / 64 % 32) - 16;
            for (int c = 0; c < 3; ++c) {
                const int noise = static_cast<int>(
                    Mixed(grain + static_cast<uint32_t>(x * 3 + c) + y * 7919u) % 5);
                const int v = base[c] + shade + noise - 2;
                pixels[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)] =
                    static_cast<unsigned char>(v < 0     ? 0
                                               : v > 255 ? 255
                                                         : v);
            }
        }
    });
}

} // namespace large_photos
