#pragma once

// The parts of a paragraph style: the four offsets of a border or background (TRNRect), the
// visible sides of a border (TRNBooleanRect), the border itself and the background.

#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

#include <cstdint>

class TCanvas;
struct TRNScreenAndDevice;

class TRNRect {
public:
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Bottom = 0;

    void Assign(const TRNRect& source) { *this = source; }
    bool IsEqual(const TRNRect& value) const;
    // Each flag leaves its side out of the comparison.
    bool IsEqualEx(const TRNRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                   bool ignoreBottom) const;
    // The exact score, in 64 bits: a paragraph style adds it into its own.
    int64_t SimilarityValue(const TRNRect& value, int32_t weight) const;

    void AssignToRect(TRect& r) const;
    // Takes each side of this one that is larger than the rectangle's.
    void AssignToRectIfGreater(TRect& r) const;
    // Grows `r` by the offsets: left and top move out, right and bottom too.
    void InflateRect(TRect& r) const;
    // The same with the offsets scaled from screen to device resolution.
    void InflateRectSaD(TRect& r, const TRNScreenAndDevice& sad) const;
};

class TRNBooleanRect {
public:
    explicit TRNBooleanRect(bool value = true)
        : Left(value), Right(value), Top(value), Bottom(value) {}

    bool Left;
    bool Right;
    bool Top;
    bool Bottom;

    void Assign(const TRNBooleanRect& source) { *this = source; }
    bool IsEqual(const TRNBooleanRect& value) const;
    bool IsEqualEx(const TRNBooleanRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                   bool ignoreBottom) const;
};

enum class TRNBorderStyle : uint8_t {
    rnbNone,
    rnbSingle,
    rnbDouble,
    rnbTriple,
    rnbThickInside,
    rnbThickOutside
};

// Which parts of a border or background a comparison leaves out; filled from the paragraph
// ignore list.
struct TRNBorderIgnore {
    bool Color = false;
    bool Style = false;
    bool Width = false;
    bool InternalWidth = false;
    bool OffsetLeft = false;
    bool OffsetTop = false;
    bool OffsetRight = false;
    bool OffsetBottom = false;
    bool VisibleLeft = false;
    bool VisibleTop = false;
    bool VisibleRight = false;
    bool VisibleBottom = false;
};

class TRNBorder {
public:
    int32_t Width = 1;
    int32_t InternalWidth = 1;
    TColor Color = clWindowText;
    TRNBorderStyle Style = TRNBorderStyle::rnbNone;
    TRNBooleanRect VisibleBorders{true};
    TRNRect BorderOffsets;

    void Assign(const TRNBorder& source) { *this = source; }
    // The space the border takes on one side.
    int32_t GetTotalWidth() const;
    bool IsEqual(const TRNBorder& value) const;
    bool IsEqual_Para(const TRNBorder& value, const TRNBorderIgnore& ignore) const;
    int64_t SimilarityValue(const TRNBorder& value) const;

    // Draws around `r` grown by the offsets; nothing for rnbNone.
    void Draw(const TRect& r, TCanvas& canvas) const;
    // The same for a device: `r` is in screen pixels, the result in device pixels.
    void DrawSaD(const TRect& r, TCanvas& canvas, const TRNScreenAndDevice& sad) const;

private:
    void DoDraw(TRect r, TCanvas& canvas, int lineWidth, int gap, int step) const;
};

class TRNBackgroundRect {
public:
    TColor Color = clNone;
    TRNRect BorderOffsets;

    void Assign(const TRNBackgroundRect& source) { *this = source; }
    bool IsEqual(const TRNBackgroundRect& value) const;
    bool IsEqual_Para(const TRNBackgroundRect& value, const TRNBorderIgnore& ignore) const;
    int64_t SimilarityValue(const TRNBackgroundRect& value) const;

    // Grows `r` by the offsets (scaled to the device for the SaD form).
    void PrepareDraw(TRect& r) const;
    void PrepareDrawSaD(TRect& r, const TRNScreenAndDevice& sad) const;
    // Fills `r` with the colour; nothing for clNone.
    void Draw(const TRect& r, TCanvas& canvas) const;
};

// A screen length in device pixels; a resolution of 0 counts as 96.
int32_t RN_ScreenToDevice(int32_t length, int32_t devicePpi, int32_t screenPpi);
