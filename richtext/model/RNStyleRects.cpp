#include "richtext/model/RNStyleRects.h"

#include "richtext/model/RNClasses.h"
#include "richtext/model/RNSimilarity.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"

#include <algorithm>

int32_t RN_ScreenToDevice(int32_t length, int32_t devicePpi, int32_t screenPpi) {
    // A device that reports no resolution would divide by zero or scale everything away.
    return MulDiv(length, devicePpi == 0 ? 96 : devicePpi, screenPpi == 0 ? 96 : screenPpi);
}

namespace {

int32_t ScaleX(int32_t length, const TRNScreenAndDevice& sad) {
    return RN_ScreenToDevice(length, sad.ppixDevice, sad.ppixScreen);
}

int32_t ScaleY(int32_t length, const TRNScreenAndDevice& sad) {
    return RN_ScreenToDevice(length, sad.ppiyDevice, sad.ppiyScreen);
}

} // namespace

// TRNRect

bool TRNRect::IsEqual(const TRNRect& value) const {
    return IsEqualEx(value, false, false, false, false);
}

bool TRNRect::IsEqualEx(const TRNRect& value, bool ignoreLeft, bool ignoreTop, bool ignoreRight,
                        bool ignoreBottom) const {
    return (ignoreLeft || Left == value.Left) && (ignoreTop || Top == value.Top) &&
           (ignoreRight || Right == value.Right) && (ignoreBottom || Bottom == value.Bottom);
}

int64_t TRNRect::SimilarityValue(const TRNRect& value, int32_t weight) const {
    return RN_CompareInts64(value.Left, Left, weight) + RN_CompareInts64(value.Top, Top, weight) +
           RN_CompareInts64(value.Right, Right, weight) +
           RN_CompareInts64(value.Bottom, Bottom, weight);
}

void TRNRect::AssignToRect(TRect& r) const {
    r = {Left, Top, Right, Bottom};
}

void TRNRect::AssignToRectIfGreater(TRect& r) const {
    r.Left = std::max(r.Left, Left);
    r.Top = std::max(r.Top, Top);
    r.Right = std::max(r.Right, Right);
    r.Bottom = std::max(r.Bottom, Bottom);
}

void TRNRect::InflateRect(TRect& r) const {
    r.Left -= Left;
    r.Top -= Top;
    r.Right += Right;
    r.Bottom += Bottom;
}

void TRNRect::InflateRectSaD(TRect& r, const TRNScreenAndDevice& sad) const {
    r.Left -= ScaleX(Left, sad);
    r.Top -= ScaleY(Top, sad);
    r.Right += ScaleX(Right, sad);
    r.Bottom += ScaleY(Bottom, sad);
}

// TRNBooleanRect

bool TRNBooleanRect::IsEqual(const TRNBooleanRect& value) const {
    return IsEqualEx(value, false, false, false, false);
}

bool TRNBooleanRect::IsEqualEx(const TRNBooleanRect& value, bool ignoreLeft, bool ignoreTop,
                               bool ignoreRight, bool ignoreBottom) const {
    return (ignoreLeft || Left == value.Left) && (ignoreTop || Top == value.Top) &&
           (ignoreRight || Right == value.Right) && (ignoreBottom || Bottom == value.Bottom);
}

// TRNBorder

int32_t TRNBorder::GetTotalWidth() const {
    switch (Style) {
    case TRNBorderStyle::rnbSingle:
        return Width;
    case TRNBorderStyle::rnbDouble:
        return 2 * Width + InternalWidth;
    case TRNBorderStyle::rnbTriple:
        return 3 * Width + 2 * InternalWidth;
    case TRNBorderStyle::rnbThickInside:
    case TRNBorderStyle::rnbThickOutside:
        return 3 * Width + InternalWidth;
    case TRNBorderStyle::rnbNone:
        break;
    }
    return 0;
}

bool TRNBorder::IsEqual(const TRNBorder& value) const {
    return IsEqual_Para(value, {});
}

bool TRNBorder::IsEqual_Para(const TRNBorder& value, const TRNBorderIgnore& ignore) const {
    return (ignore.Style || Style == value.Style) && (ignore.Color || Color == value.Color) &&
           (ignore.Width || Width == value.Width) &&
           (ignore.InternalWidth || InternalWidth == value.InternalWidth) &&
           BorderOffsets.IsEqualEx(value.BorderOffsets, ignore.OffsetLeft, ignore.OffsetTop,
                                   ignore.OffsetRight, ignore.OffsetBottom) &&
           VisibleBorders.IsEqualEx(value.VisibleBorders, ignore.VisibleLeft, ignore.VisibleTop,
                                    ignore.VisibleRight, ignore.VisibleBottom);
}

int64_t TRNBorder::SimilarityValue(const TRNBorder& value) const {
    const bool none1 = value.Style == TRNBorderStyle::rnbNone;
    const bool none2 = Style == TRNBorderStyle::rnbNone;
    const bool present1[4] = {
        !none1 && value.VisibleBorders.Left, !none1 && value.VisibleBorders.Top,
        !none1 && value.VisibleBorders.Right, !none1 && value.VisibleBorders.Bottom};
    const bool present2[4] = {!none2 && VisibleBorders.Left, !none2 && VisibleBorders.Top,
                              !none2 && VisibleBorders.Right, !none2 && VisibleBorders.Bottom};
    const int32_t offsets1[4] = {value.BorderOffsets.Left, value.BorderOffsets.Top,
                                 value.BorderOffsets.Right, value.BorderOffsets.Bottom};
    const int32_t offsets2[4] = {BorderOffsets.Left, BorderOffsets.Top, BorderOffsets.Right,
                                 BorderOffsets.Bottom};
    int32_t both = 0;
    for (int side = 0; side < 4; ++side) {
        both += present1[side] && present2[side] ? 1 : 0;
    }
    int64_t score = 0;
    if (both > 0) {
        score = both * (RN_CompareColors64(value.Color, Color, RNSMW_EACHRGBCOLOR, RNSMW_COLORSET) +
                        RN_CompareInts64(value.Width, Width, RNSMW_WIDTH) +
                        RN_CompareInts64(value.InternalWidth, InternalWidth, RNSMW_WIDTH) +
                        (value.Style == Style ? RNSMW_BORDERSTYLE : 0));
    }
    for (int side = 0; side < 4; ++side) {
        if (!present1[side] && !present2[side]) {
            score += RNSMW_BORDERNOSIDE;
        } else if (present1[side] != present2[side]) {
            score -= RNSMW_BORDERNOSIDE;
        } else {
            score += RN_CompareInts64(offsets1[side], offsets2[side], RNSMW_PADDING);
        }
    }
    return score;
}

void TRNBorder::Draw(const TRect& r, TCanvas& canvas) const {
    if (Style == TRNBorderStyle::rnbNone) {
        return;
    }
    TRect grown = r;
    BorderOffsets.InflateRect(grown);
    DoDraw(grown, canvas, Width, InternalWidth, 1);
}

void TRNBorder::DrawSaD(const TRect& r, TCanvas& canvas, const TRNScreenAndDevice& sad) const {
    if (Style == TRNBorderStyle::rnbNone) {
        return;
    }
    TRect scaled = {ScaleX(r.Left, sad), ScaleY(r.Top, sad), ScaleX(r.Right, sad),
                    ScaleY(r.Bottom, sad)};
    BorderOffsets.InflateRectSaD(scaled, sad);
    DoDraw(scaled, canvas, ScaleY(Width, sad), ScaleY(InternalWidth, sad), ScaleY(1, sad));
}

void TRNBorder::DoDraw(TRect r, TCanvas& canvas, int lineWidth, int gap, int step) const {
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetColor(Color);
    int lines = 2;
    if (Style == TRNBorderStyle::rnbSingle) {
        lines = 1;
    } else if (Style == TRNBorderStyle::rnbTriple) {
        lines = 3;
    }
    for (int line = lines; line >= 1; --line) {
        const bool thick = (Style == TRNBorderStyle::rnbThickInside && line == 2) ||
                           (Style == TRNBorderStyle::rnbThickOutside && line == 1);
        canvas.Pen().SetWidth(thick ? 2 * lineWidth : lineWidth);
        // Each side forth and back, so that both of its end points are painted.
        auto side = [&canvas](int x1, int y1, int x2, int y2) {
            canvas.MoveTo(x1, y1);
            canvas.LineTo(x2, y2);
            canvas.LineTo(x1, y1);
        };
        if (VisibleBorders.Top) {
            side(r.Left, r.Top, r.Right, r.Top);
        }
        if (VisibleBorders.Right) {
            side(r.Right, r.Top, r.Right, r.Bottom);
        }
        if (VisibleBorders.Bottom) {
            side(r.Right, r.Bottom, r.Left, r.Bottom);
        }
        if (VisibleBorders.Left) {
            side(r.Left, r.Bottom, r.Left, r.Top);
        }
        ::InflateRect(r, gap + step, gap + step);
        if (lineWidth == 1 && Style == TRNBorderStyle::rnbThickOutside) {
            r.Right += step;
            r.Bottom += step;
        } else if (lineWidth == 1 && Style == TRNBorderStyle::rnbThickInside) {
            r.Left -= step;
            r.Top -= step;
        }
    }
    canvas.Pen().SetWidth(1);
}

// TRNBackgroundRect

bool TRNBackgroundRect::IsEqual(const TRNBackgroundRect& value) const {
    return IsEqual_Para(value, {});
}

bool TRNBackgroundRect::IsEqual_Para(const TRNBackgroundRect& value,
                                     const TRNBorderIgnore& ignore) const {
    return (ignore.Color || Color == value.Color) &&
           BorderOffsets.IsEqualEx(value.BorderOffsets, ignore.OffsetLeft, ignore.OffsetTop,
                                   ignore.OffsetRight, ignore.OffsetBottom);
}

int64_t TRNBackgroundRect::SimilarityValue(const TRNBackgroundRect& value) const {
    return RN_CompareColors64(value.Color, Color, RNSMW_EACHRGBBCOLOR, RNSMW_BCOLORSET) +
           BorderOffsets.SimilarityValue(value.BorderOffsets, RNSMW_PADDING);
}

void TRNBackgroundRect::PrepareDraw(TRect& r) const {
    BorderOffsets.InflateRect(r);
}

void TRNBackgroundRect::PrepareDrawSaD(TRect& r, const TRNScreenAndDevice& sad) const {
    BorderOffsets.InflateRectSaD(r, sad);
}

void TRNBackgroundRect::Draw(const TRect& r, TCanvas& canvas) const {
    if (Color == clNone) {
        return;
    }
    canvas.Brush().SetColor(Color);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Pen().SetStyle(TPenStyle::psClear);
    canvas.FillRect(r);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
}
