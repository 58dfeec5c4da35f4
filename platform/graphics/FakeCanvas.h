#pragma once

// A canvas for tests: fixed font metrics that do not depend on installed fonts, no pixels,
// and a record of every drawing call with the state it was drawn in.
//
// Metrics, for a font whose character height is e pixels (-Height, or Height * 4 / 5 for a
// positive Height): Ascent e, Descent e / 4, Height e + e / 4, InternalLeading e / 4,
// ExternalLeading e / 8; every character is e / 2 pixels wide (at least 1), one more in bold,
// and e wide for the wide characters of East Asian scripts (U+1100..U+115F, U+2E80..U+A4CF,
// U+AC00..U+D7A3, U+F900..U+FAFF, U+FF00..U+FF60). A surrogate pair is one character. A
// font with a Width scales every character by Width / (e / 2), so "x" is Width wide.

#include "platform/graphics/Canvas.h"

#include <string>
#include <vector>

struct TCanvasCall {
    // "Line" (Points: the polyline), "Rectangle", "RoundRect", "Ellipse", "Polygon",
    // "FillRect", "FrameRect", "FocusRect", "SetPixel", "TextOut" (Points: the origin;
    // Rect: the clip of TextRect, else empty), "DrawImage" (Rect: destination; Size: image
    // size), "CopyRect", "Paint" (Text: what PaintWith was asked to draw). Coordinates are
    // device pixels: the canvas's mapping applied. A TextOut's Size.cx is the drawn width.
    std::string Op;
    TRect Rect;
    std::vector<TPoint> Points;
    std::string Text; // UTF-8
    TSize Size;
    // State at the time of the call.
    std::string FontName;
    int FontHeight = 0;
    TFontStyles FontStyle;
    TColor FontColor = clBlack;
    TColor BrushColor = clWhite;
    TBrushStyle BrushStyle = TBrushStyle::bsSolid;
    TColor PenColor = clBlack;
    int PenWidth = 1;
    TPenStyle PenStyle = TPenStyle::psSolid;
    TPenMode PenMode = TPenMode::pmCopy;
    TBkMode BkMode = TBkMode::bkOpaque;
    int CharExtra = 0;
    bool Clipped = false;
    TRect ClipBox;

    // "TextOut(10,20,'ab')" and the like: handy in failure messages.
    std::string ToString() const;
};

class TFakeCanvas : public TCanvas {
public:
    explicit TFakeCanvas(TSize size = {640, 480}, int pixelsPerInch = 96);

    int PixelsPerInchX() const override { return ppi_; }
    int PixelsPerInchY() const override { return ppi_; }
    TSize SurfaceSize() const override { return size_; }
    void SetSurfaceSize(TSize size) { size_ = size; }
    bool GrabImage(const TRect&, QImage&) const override { return false; }
    void PaintWith(std::string_view what, const std::function<void(QPainter&)>& paint) override;

    const std::vector<TCanvasCall>& Calls() const { return calls_; }
    // The calls of one kind, in order.
    std::vector<TCanvasCall> CallsOf(std::string_view op) const;
    void ClearCalls() { calls_.clear(); }

    // The width of one character in the current font.
    int CharWidth(char32_t c);

protected:
    void DoPolyline(const std::vector<TPoint>& points) override;
    void DoRectangle(const TRect& r) override;
    void DoRoundRect(const TRect& r, int cornerWidth, int cornerHeight) override;
    void DoEllipse(const TRect& r) override;
    void DoPolygon(const std::vector<TPoint>& points) override;
    void DoFillRect(const TRect& r) override;
    void DoFrameRect(const TRect& r) override;
    void DoFocusRect(const TRect& r) override;
    TColor DoGetPixel(int x, int y) const override;
    void DoSetPixel(int x, int y, TColor color) override;
    void DoTextOut(int x, int y, std::u16string_view text, const TRect* clip,
                   const TRect* opaque) override;
    std::vector<int> DoCharExtents(std::u16string_view text) override;
    TTextMetric DoTextMetrics() override;
    void DoDrawImage(const TRect& dest, const QImage& image, const TRect& source) override;
    void DoCopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) override;

private:
    TCanvasCall& Record(std::string op);
    std::vector<TPoint> MapPoints(const std::vector<TPoint>& points) const;
    int Em() const;

    TSize size_;
    int ppi_;
    std::vector<TCanvasCall> calls_;
};
