#pragma once

// Pictures that hold much work, as their own programs write them: a drawing of 1,500 shapes and a
// polyline of 20,000 points that LibreOffice Draw wrote as an enhanced metafile of 10 MB and
// 476,000 records (tests/fixtures/graphics/make-detailed-drawing.py makes it again), and a photo
// of 64 megapixels in libjpeg's own progression of ten scans, its colour at half or at full
// resolution. Both are drawn where they are shown.

#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "tests/support/LargePhotos.h"
#include "tests/support/TempDir.h"

#include <QImage>
#include <QRect>

#include <algorithm>
#include <memory>
#include <string>

namespace detailed_pictures {

inline const std::string& Drawing() {
    static const std::string bytes = ReadFileBytes(FixturePath("graphics/detailed-drawing.emf"));
    return bytes;
}

// 9248 x 6936 pixels around a dark red, each channel of each pixel apart by a noise of its own
// as fine detail is, progressive at quality 90: colour at half resolution each way as a camera
// writes it (26 MB), or at full resolution (`fullColour`) as an editor saving a photo at that
// quality does (four thirds more coefficients, all kept from the first scan to the last).
inline std::string Photo(bool fullColour) {
    return WrittenJpeg(
        9248, 6936,
        [fullColour](jpeg_compress_struct& info) {
            if (fullColour) {
                FullColourResolution(info);
            }
            jpeg_simple_progression(&info);
        },
        [](int row, unsigned char* pixels) {
            const auto y = static_cast<uint32_t>(row);
            for (uint32_t i = 0; i < 9248 * 3; ++i) {
                const uint32_t noise = large_photos::Mixed(i * 2654435761u ^ y * 40503u) % 61;
                const uint32_t base = i % 3 == 0 ? 160 : 32;
                pixels[i] = static_cast<unsigned char>(base + noise - 30);
            }
        });
}

// Each made once for the tests of a program.
inline const std::string& ProgressivePhoto() {
    static const std::string bytes = Photo(false);
    return bytes;
}
inline const std::string& FullColourProgressivePhoto() {
    static const std::string bytes = Photo(true);
    return bytes;
}

// The header of a progressive JPEG image of the same size whose ten components are each at full
// resolution, and a scan of nothing: its coefficients alone would take 1.3 GB, more than any photo
// needs. What a hostile file may say of itself.
inline std::string HostileFullSizeJpeg() {
    const int components = 10;
    std::string bytes = "\xFF\xD8\xFF\xC2";
    const int length = 8 + 3 * components;
    for (int v : {length >> 8, length & 0xFF, 8, 6936 >> 8, 6936 & 0xFF, 9248 >> 8, 9248 & 0xFF,
                  components}) {
        bytes += static_cast<char>(v);
    }
    for (int c = 1; c <= components; ++c) {
        bytes += {static_cast<char>(c), 0x11, 0};
    }
    bytes += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00", 10);
    bytes += std::string(64, '\0') + "\xFF\xD9";
    return bytes;
}

// Either picture loaded from its bytes, as the note loads it.
inline std::unique_ptr<TGraphic> LoadedPicture(const std::string& bytes) {
    std::unique_ptr<TGraphic> picture;
    if (bytes.rfind("\xFF\xD8", 0) == 0) {
        picture = std::make_unique<TJPEGImage>();
    } else {
        picture = std::make_unique<TMetafile>();
    }
    picture->LoadFromBytes(bytes);
    return picture;
}

// A pixel of either picture's colours, not of a frame's greys or the white around: the fills of
// the drawing and the photo's colour have channels more than 40 apart, which no grey has.
inline bool Coloured(QRgb pixel) {
    const int high = std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    const int low = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)});
    return high - low >= 40;
}

// The share of the pixels of `area` of `image` that are coloured.
inline double ColouredShare(const QImage& image, const QRect& area) {
    int coloured = 0;
    int all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            coloured += Coloured(image.pixel(x, y));
            ++all;
        }
    }
    return all > 0 ? double(coloured) / all : 0;
}

} // namespace detailed_pictures
