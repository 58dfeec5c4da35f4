#include "platform/graphics/FakeCanvas.h"

#include "platform/base/CodePage.h"
#include "platform/base/Rounding.h"

#include <QImage>

#include <algorithm>

namespace {

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFF60);
}

std::string RectText(const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) +
           "," + std::to_string(r.Bottom);
}

} // namespace

std::string TCanvasCall::ToString() const {
    std::string out = Op + "(";
    if (Op == "TextOut") {
        out += std::to_string(Points.empty() ? 0 : Points[0].X) + "," +
               std::to_string(Points.empty() ? 0 : Points[0].Y) + ",'" + Text + "'";
    } else if (Op == "Line" || Op == "Polygon") {
        for (size_t i = 0; i < Points.size(); ++i) {
            out += (i ? " " : "") + std::to_string(Points[i].X) + "," + std::to_string(Points[i].Y);
        }
    } else if (Op == "Paint") {
        out += Text + " " + RectText(ClipBox);
    } else {
        out += RectText(Rect);
    }
    return out + ")";
}

TFakeCanvas::TFakeCanvas(TSize size, int pixelsPerInch) : size_(size), ppi_(pixelsPerInch) {
    Font().SetPixelsPerInch(pixelsPerInch);
}

std::vector<TPoint> TFakeCanvas::MapPoints(const std::vector<TPoint>& points) const {
    std::vector<TPoint> out;
    out.reserve(points.size());
    for (TPoint p : points) {
        out.push_back(LogicalToDevice(p));
    }
    return out;
}

TCanvasCall& TFakeCanvas::Record(std::string op) {
    TCanvasCall call;
    call.Op = std::move(op);
    call.FontName = Font().Name();
    call.FontHeight = Font().Height();
    call.FontStyle = Font().Style();
    call.FontColor = Font().Color();
    call.BrushColor = Brush().Color();
    call.BrushStyle = Brush().Style();
    call.PenColor = Pen().Color();
    call.PenWidth = Pen().Width();
    call.PenStyle = Pen().Style();
    call.PenMode = Pen().Mode();
    call.BkMode = BkMode();
    call.Clipped = HasClip();
    call.ClipBox = ClipRect();
    call.CharExtra = TextCharacterExtra();
    calls_.push_back(std::move(call));
    return calls_.back();
}

std::vector<TCanvasCall> TFakeCanvas::CallsOf(std::string_view op) const {
    std::vector<TCanvasCall> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [&](const TCanvasCall& c) { return c.Op == op; });
    return out;
}

void TFakeCanvas::PaintWith(std::string_view what, const std::function<void(QPainter&)>&) {
    Record("Paint").Text = std::string(what);
}

int TFakeCanvas::Em() const {
    int h = Font().Height();
    return std::max(1, h < 0 ? -h : h * 4 / 5);
}

int TFakeCanvas::CharWidth(char32_t c) {
    int em = Em();
    int natural = std::max(1, em / 2);
    int width = IsWide(c) ? em : natural;
    if (Font().Width() > 0) {
        // The font's width is the width of "x": every character scales with it.
        width = std::max(1, MulDiv(width, Font().Width(), natural));
    }
    return width + (Font().Style().Contains(TFontStyle::fsBold) ? 1 : 0);
}

void TFakeCanvas::DoPolyline(const std::vector<TPoint>& points) {
    Record("Line").Points = MapPoints(points);
}

void TFakeCanvas::DoRectangle(const TRect& r) {
    Record("Rectangle").Rect = LogicalToDevice(r);
}

void TFakeCanvas::DoRoundRect(const TRect& r, int cornerWidth, int cornerHeight) {
    TCanvasCall& call = Record("RoundRect");
    call.Rect = LogicalToDevice(r);
    call.Size = {cornerWidth, cornerHeight};
}

void TFakeCanvas::DoEllipse(const TRect& r) {
    Record("Ellipse").Rect = LogicalToDevice(r);
}

void TFakeCanvas::DoPolygon(const std::vector<TPoint>& points) {
    Record("Polygon").Points = MapPoints(points);
}

void TFakeCanvas::DoFillRect(const TRect& r) {
    Record("FillRect").Rect = LogicalToDevice(r);
}

void TFakeCanvas::DoFrameRect(const TRect& r) {
    Record("FrameRect").Rect = LogicalToDevice(r);
}

void TFakeCanvas::DoFocusRect(const TRect& r) {
    Record("FocusRect").Rect = LogicalToDevice(r);
}

TColor TFakeCanvas::DoGetPixel(int, int) const {
    return clNone;
}

void TFakeCanvas::DoSetPixel(int x, int y, TColor color) {
    TCanvasCall& call = Record("SetPixel");
    call.Points = {LogicalToDevice(TPoint{x, y})};
    call.Rect = LogicalToDevice(Bounds(x, y, 1, 1));
    call.FontColor = color;
}

void TFakeCanvas::DoTextOut(int x, int y, std::u16string_view text, const TRect* clip,
                            const TRect* opaque) {
    TCanvasCall& call = Record("TextOut");
    call.Points = {LogicalToDevice(TPoint{x, y})};
    call.Text = Utf16ToUtf8(text);
    call.Size = {SpacedWidth(text), 0};
    if (clip) {
        call.Rect = LogicalToDevice(*clip);
    }
    if (opaque) {
        call.BkMode = TBkMode::bkOpaque;
    } else if (clip) {
        call.BkMode = TBkMode::bkTransparent;
    }
}

std::vector<int> TFakeCanvas::DoCharExtents(std::u16string_view text) {
    std::vector<int> extents;
    extents.reserve(text.size());
    int x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF;
        if (pair) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        }
        x += CharWidth(c);
        extents.push_back(x);
        if (pair) {
            extents.push_back(x);
            ++i;
        }
    }
    return extents;
}

TTextMetric TFakeCanvas::DoTextMetrics() {
    int e = Em();
    TTextMetric tm;
    tm.Ascent = e;
    tm.Descent = e / 4;
    tm.Height = e + e / 4;
    tm.InternalLeading = e / 4;
    tm.ExternalLeading = e / 8;
    tm.AveCharWidth = CharWidth('x');
    tm.MaxCharWidth = e;
    return tm;
}

void TFakeCanvas::DoDrawImage(const TRect& dest, const QImage& image, const TRect&) {
    TCanvasCall& call = Record("DrawImage");
    call.Rect = LogicalToDevice(dest);
    call.Size = {image.width(), image.height()};
}

void TFakeCanvas::DoCopyRect(const TRect& dest, const TCanvas&, const TRect& sourceRect) {
    TCanvasCall& call = Record("CopyRect");
    call.Rect = LogicalToDevice(dest);
    call.Points = {sourceRect.TopLeft(), sourceRect.BottomRight()};
}
