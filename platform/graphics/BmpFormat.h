#pragma once

// The Windows bitmap format: BMP files ("BM" header) and packed device-independent bitmaps
// (the same without the 14-byte file header, as the clipboard and RTF carry them). Every size,
// count and offset is checked against the bytes there before it is used.

#include <string>
#include <string_view>

class QImage;

// Bitmaps over this many pixels are refused rather than allocated.
constexpr long long MaxBitmapPixels = 64LL * 1024 * 1024;

// What the pixels a run-length bitmap skips over become: black in an image of the bitmap alone;
// transparent where the bitmap is drawn onto a page, which the platform leaves as it was there.
enum class TSkippedPixels { Black, Transparent };

// 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, run-length (RLE8, RLE4) or with bit
// fields; bottom-up or top-down; core (12-byte) to V5 headers. A file header whose bit
// offset is missing or points outside the file is read as if the bits followed the palette.
// On failure `error` says why and `image` is left alone.
bool DecodeBmp(std::string_view bytes, QImage& image, std::string& error);
// With `step` above 1 a packed bitmap is read into every step-th pixel of every step-th row (its
// top row and left column first): a bitmap drawn far smaller than it is costs the pixels drawn.
bool DecodeDib(std::string_view bytes, QImage& image, std::string& error,
               TSkippedPixels skipped = TSkippedPixels::Black, int step = 1);

// 24 bits per pixel, bottom-up, uncompressed.
std::string EncodeBmp(const QImage& image);
std::string EncodeDib(const QImage& image);
