#pragma once

// A drawing surface with the framework's canvas operations. Two back ends: TQtCanvas draws
// with QPainter (on an image, a window's surface or a printer) and TFakeCanvas measures with
// fixed metrics and records every call for tests.
//
// Text comes in two forms: 8-bit text in the code page of the font's charset and UTF-16.
// Widths always add up: the width of a text is the sum of the widths of its pieces, so a
// line drawn piece by piece lines up with the line measured whole.

#include "platform/graphics/Font.h"
#include "platform/graphics/Types.h"

#include <QRegion>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QImage;
class QPainter;
class TGraphic;

struct TTextMetric {
    int Height = 0; // Ascent + Descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
};

// How logical coordinates reach the device: one to one (text mapping), or the window
// extent stretched onto the viewport extent at the viewport origin (anisotropic mapping).
enum class TMapMode { mmText, mmAnisotropic };

// Whether text output fills the cells behind the characters with the brush colour.
enum class TBkMode { bkOpaque, bkTransparent };

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    const TFont& Font() const { return font_; }
    const TPen& Pen() const { return pen_; }
    const TBrush& Brush() const { return brush_; }

    // Resolution of the device (96 for the screen and images), and the surface's size.
    virtual int PixelsPerInchX() const = 0;
    virtual int PixelsPerInchY() const = 0;
    virtual TSize SurfaceSize() const = 0;
    // Whether the surface keeps every image drawn on it whole, whatever it shows of it (a printed
    // page does; pixels drawn on pixels keep only what shows).
    virtual bool KeepsWholeImages() const { return false; }
    // A printer's unprintable border: where the surface starts on the sheet, and the whole
    // sheet. A screen or an image has none: offset 0, the sheet is the surface.
    TPoint PhysicalOffset() const { return physicalOffset_; }
    TSize PhysicalSize() const { return physicalSize_ ? *physicalSize_ : SurfaceSize(); }
    void SetPhysicalPage(TPoint offset, TSize size) {
        physicalOffset_ = offset;
        physicalSize_ = size;
    }

    // Lines in the pen, the last point left out, so that joined lines touch each pixel once
    // (which matters for the inverting pen modes).
    TPoint PenPos() const { return penPos_; }
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);

    // Figures: outlined with the pen, filled with the brush; the right and bottom edges of
    // the rectangle are outside.
    void Rectangle(int x1, int y1, int x2, int y2) { Rectangle(Rect(x1, y1, x2, y2)); }
    void Rectangle(const TRect& r);
    void RoundRect(const TRect& r, int cornerWidth, int cornerHeight);
    void Ellipse(const TRect& r);
    void Polygon(const std::vector<TPoint>& points);

    // Brush-only fills and frames; the pen mode does not apply.
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    // A dotted rectangle that inverts what is there: drawn twice it is gone.
    void DrawFocusRect(const TRect& r);

    TColor Pixel(int x, int y) const { return DoGetPixel(x, y); }
    void SetPixel(int x, int y, TColor color) { DoSetPixel(x, y, color); }

    // Brush changes set the mode as the framework does (solid brush: opaque); SetBkMode
    // overrides it until the next brush change.
    TBkMode BkMode() const;
    void SetBkMode(TBkMode mode);

    void TextOut(int x, int y, std::string_view text);
    void TextOutW(int x, int y, std::u16string_view text);
    // Text clipped to `r`; with an opaque background the whole of `r` is filled first.
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    void TextRectW(const TRect& r, int x, int y, std::u16string_view text);

    TSize TextExtent(std::string_view text);
    TSize TextExtentW(std::u16string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextWidthW(std::u16string_view text) { return TextExtentW(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    int TextHeightW(std::u16string_view text) { return TextExtentW(text).cy; }
    TTextMetric GetTextMetrics();

    // How many characters (bytes of 8-bit text, units of UTF-16) fit in `maxExtent`
    // pixels; `dx`, when given, receives the width of the text up to and including each
    // character. The bytes of one double-byte character share its end.
    int GetTextExtentExPoint(std::string_view text, int maxExtent, std::vector<int>* dx);
    int GetTextExtentExPointW(std::u16string_view text, int maxExtent, std::vector<int>* dx);

    // Pictures: at their own size, or stretched over a rectangle.
    void Draw(int x, int y, const TGraphic& graphic);
    void StretchDraw(const TRect& r, const TGraphic& graphic);
    // Part of an image, scaled into `dest`; alpha is blended. What the pictures draw with.
    void DrawImage(const TRect& dest, const QImage& image, const TRect& source);
    // Copies (and scales) a part of another canvas's surface.
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect);
    // The pixels of a part of the surface; false when the back end has none.
    virtual bool GrabImage(const TRect& r, QImage& out) const = 0;

    // The clip: everything drawn is limited to it. ClipRect is its bounding box, or the whole
    // surface without a clip. The clip is kept in device pixels: rectangles given while a
    // mapping is on are mapped when they are set, as the platform's clip rectangles are.
    TRect ClipRect() const;
    // Narrows `dest`, and `source` (the part of a picture stretched onto it) with it, to what the
    // clip lets through, the source widened to whole pixels: a picture far larger than a page
    // that keeps images whole costs only its visible part there (DrawImage narrows it so; on
    // pixels it lands up to a pixel apart from the whole, so they are drawn whole and clipped).
    // False when none of it shows.
    bool VisiblePart(TRect& dest, TRect& source) const;
    // The whole surface, whatever the clip, in logical coordinates.
    TRect SurfaceRect() const;
    bool HasClip() const { return clip_.has_value(); }
    const std::optional<QRegion>& ClipRegion() const { return clip_; }
    void SetClipRegion(const QRegion& region);
    void SetClipRect(const TRect& r);
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void RemoveClip();

    // Mapping. Every drawing call and the clip are in logical coordinates; with text mapping
    // they are device pixels.
    TMapMode MapMode() const { return mapMode_; }
    void SetMapMode(TMapMode mode) { mapMode_ = mode; }
    TSize WindowExt() const { return windowExt_; }
    void SetWindowExt(int cx, int cy) { windowExt_ = {cx, cy}; }
    TSize ViewportExt() const { return viewportExt_; }
    void SetViewportExt(int cx, int cy) { viewportExt_ = {cx, cy}; }
    TPoint ViewportOrg() const { return viewportOrg_; }
    void SetViewportOrg(int x, int y) { viewportOrg_ = {x, y}; }
    // Whether logical coordinates are stretched (an anisotropic mapping with usable extents).
    bool IsMapped() const;
    TPoint LogicalToDevice(TPoint p) const;
    TRect LogicalToDevice(const TRect& r) const;

    // Pixels added after each character, in measuring and in drawing.
    int TextCharacterExtra() const { return charExtra_; }
    void SetTextCharacterExtra(int extra) { charExtra_ = extra; }

    // Lets Qt draw (a style's primitives, an icon) under the current clip. The fake
    // records `what` instead of calling `paint`.
    virtual void PaintWith(std::string_view what, const std::function<void(QPainter&)>& paint) = 0;

protected:
    virtual void DoPolyline(const std::vector<TPoint>& points) = 0;
    virtual void DoRectangle(const TRect& r) = 0;
    virtual void DoRoundRect(const TRect& r, int cornerWidth, int cornerHeight) = 0;
    virtual void DoEllipse(const TRect& r) = 0;
    virtual void DoPolygon(const std::vector<TPoint>& points) = 0;
    virtual void DoFillRect(const TRect& r) = 0;
    virtual void DoFrameRect(const TRect& r) = 0;
    virtual void DoFocusRect(const TRect& r) = 0;
    virtual TColor DoGetPixel(int x, int y) const = 0;
    virtual void DoSetPixel(int x, int y, TColor color) = 0;
    // `clip` limits the text; `opaque` is filled with the brush first (both may be null).
    virtual void DoTextOut(int x, int y, std::u16string_view text, const TRect* clip,
                           const TRect* opaque) = 0;
    // The width of the text up to and including each UTF-16 unit.
    virtual std::vector<int> DoCharExtents(std::u16string_view text) = 0;
    // The width of the whole text: the last of its extents. A back end that can add it up
    // without the list measures faster.
    virtual int DoTextWidth(std::u16string_view text);
    virtual TTextMetric DoTextMetrics() = 0;
    virtual void DoDrawImage(const TRect& dest, const QImage& image, const TRect& source) = 0;
    virtual void DoCopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) = 0;

    std::u16string Decode(std::string_view text,
                          std::vector<size_t>* unitsAfterByte = nullptr) const;
    // The back end's extents and width with the character extra spacing added.
    std::vector<int> SpacedExtents(std::u16string_view text);
    int SpacedWidth(std::u16string_view text);

private:
    // The bounding box of what the clip lets through, in logical coordinates.
    TRect VisibleRect() const;
    // `device` in logical coordinates, widened by what rounding could hide.
    TRect DeviceToLogical(const TRect& device) const;

    TFont font_;
    TPen pen_;
    TBrush brush_;
    TPoint penPos_;
    std::optional<TBkMode> bkOverride_;
    uint64_t brushRevisionAtOverride_ = 0;
    std::optional<QRegion> clip_;
    TMapMode mapMode_ = TMapMode::mmText;
    TSize windowExt_{1, 1};
    TSize viewportExt_{1, 1};
    TPoint viewportOrg_;
    int charExtra_ = 0;
    TPoint physicalOffset_;
    std::optional<TSize> physicalSize_;
};

// Keeps a canvas's clip and puts it back when it goes, however the drawing in between ends.
class TClipKeeper {
public:
    explicit TClipKeeper(TCanvas& canvas) : canvas_(canvas), clip_(canvas.ClipRegion()) {}
    ~TClipKeeper() {
        if (clip_) {
            canvas_.SetClipRegion(*clip_);
        } else {
            canvas_.RemoveClip();
        }
    }
    TClipKeeper(const TClipKeeper&) = delete;
    TClipKeeper& operator=(const TClipKeeper&) = delete;

private:
    TCanvas& canvas_;
    std::optional<QRegion> clip_;
};

// The colour a pixel is drawn in: system colours resolved, the top byte dropped.
uint32_t DrawnRGB(TColor color);
