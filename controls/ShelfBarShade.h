#pragma once

// The shaded background of the side bar's caption bars, computed once per width and caption
// setting into a pixel buffer that painting only copies.

#include <cstdint>
#include <random>
#include <vector>

enum class TShadeType {
    stNormal,
    stNoise,
    stDiagShade,
    stHShade,
    stVShade,
    stHBump,
    stVBump,
    stSoftBump,
    stHardBump,
    stLMetal,
    stRMetal,
    stIRadial,
    stORadial,
    stHShadeInv,
    stVShadeInv,
    stXPButton,
    stBitmap,
    stBitmapRStretch,
    stBitmapLStretch
};

// Fills `pixels` (row by row, 0xffRRGGBB as QImage::Format_RGB32 has them) with a w x h shade
// of `rgb` (red in the low byte). `light` is the brightest level, `grain` the noise amplitude
// of stNoise; the random types draw from `random`. A width or height of 0 or less gives an
// empty buffer.
void ShadeHeader(std::vector<uint32_t>& pixels, int w, int h, uint32_t rgb, TShadeType type,
                 int light, int grain, std::mt19937& random);

// Round(Sqrt((x1-x2)^2 + (y1-y2)^2)), halves to even.
int Distance(int x1, int y1, int x2, int y2);
