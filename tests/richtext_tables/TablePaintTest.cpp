#include "tests/richtext_view/ViewFixture.h"

#include "TableFixture.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/QtCanvas.h"

#include <QImage>

namespace {

// The canvas colour of a pixel, comparable with ColorToRGB of a table colour.
uint32_t At(const QImage& image, int x, int y) {
    QRgb p = image.pixel(x, y);
    return static_cast<uint32_t>(qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16));
}

struct Surface {
    QImage Image{60, 60, QImage::Format_RGB32};
    Surface() { Image.fill(Qt::black); }
};

TEST(TablePaint, ZeroWidthBordersShowDottedGuidesInAnEditorButNeverInPrint) {
    for (bool printing : {false, true}) {
        Viewer v;
        TRNTableItemInfo t(1, 1, &v.D());
        t.InEditor = true;
        t.Color = clNone;
        Surface s;
        TQtCanvas canvas(&s.Image);
        t.DrawBorder(canvas, 10, 10, 40, 40, 0, clBtnHighlight, clBlack, clWindow,
                     TRNTableBorderStyle::rntbLowered, true, printing, Rect(0, 0, 60, 60), nullptr);
        int face = 0;
        for (int y = 10; y <= 40; ++y) {
            face += At(s.Image, 10, y) == ColorToRGB(clBtnFace);
        }
        if (printing) {
            EXPECT_EQ(face, 0);
        } else {
            EXPECT_GT(face, 5);
            EXPECT_LT(face, 31); // dotted, not solid
        }
    }
}

TEST(TablePaint, RaisedBorderOnAHighlightBackgroundAndItsCorners) {
    Viewer v;
    TRNTableItemInfo t(1, 1, &v.D());
    Surface s;
    TQtCanvas canvas(&s.Image);
    t.DrawBorder(canvas, 10, 10, 30, 30, 1, clRed, clBlue, clBtnHighlight,
                 TRNTableBorderStyle::rntbRaised, false, false, Rect(0, 0, 60, 60), nullptr);
    const uint32_t face = ColorToRGB(clBtnFace), shadow = ColorToRGB(clBtnShadow);
    struct Pixel {
        int x, y;
        uint32_t rgb;
    } pixels[] = {{15, 10, face},   {10, 15, face},   {10, 10, face},  {15, 29, shadow},
                  {29, 15, shadow}, {29, 10, shadow}, {10, 29, shadow}};
    for (const Pixel& p : pixels) {
        EXPECT_EQ(At(s.Image, p.x, p.y), p.rgb) << p.x << "," << p.y;
    }
    EXPECT_EQ(At(s.Image, 30, 15), 0u); // the right edge is exclusive
}

TEST(TablePaint, OnlyTheColourStyleHonoursHiddenSides) {
    Viewer v;
    TRNTableItemInfo t(1, 1, &v.D());
    TRNBooleanRect sides;
    sides.Left = false;
    struct Case {
        TRNTableBorderStyle style;
        bool leftDrawn;
    } cases[] = {{TRNTableBorderStyle::rntbColor, false}, {TRNTableBorderStyle::rntbLowered, true}};
    for (const Case& c : cases) {
        Surface s;
        TQtCanvas canvas(&s.Image);
        t.DrawBorder(canvas, 10, 10, 30, 30, 1, clRed, clBlue, clWindow, c.style, false, false,
                     Rect(0, 0, 60, 60), &sides);
        EXPECT_EQ(At(s.Image, 10, 20) != 0u, c.leftDrawn);
        EXPECT_NE(At(s.Image, 20, 10), 0u);
    }
}

TEST(TablePaint, HalftonePrintingDrawsOneThickLinePerEdge) {
    Viewer v;
    TRNTableItemInfo t(1, 1, &v.D());
    for (bool printing : {false, true}) {
        TFakeCanvas canvas;
        t.DrawBorder(canvas, 10, 10, 40, 40, 4, clRed, clBlue, clWindow,
                     TRNTableBorderStyle::rntbRaisedColor, false, printing, Rect(0, 0, 60, 60),
                     nullptr);
        int thick = 0, thin = 0;
        for (const TCanvasCall& call : canvas.Calls()) {
            if (call.Op == "Line") {
                (call.PenWidth == 4 ? thick : thin)++;
            }
        }
        EXPECT_EQ(std::make_pair(thick, thin),
                  printing ? std::make_pair(4, 0) : std::make_pair(0, 16));
    }
}

TEST(TablePaint, AClipInsideACellSpanningRowsStillPaintsIt) {
    Viewer v;
    TRNTableItemInfo t(5, 2, &v.D());
    t.Rows.MergeCells(0, 0, 1, 5, true);
    t.Cells(0, 0)->Color = clRed;
    t.Color = clNone;
    t.OnDocWidthChange(100, nullptr, false);
    QImage image(100, t.GetHeight(), QImage::Format_RGB32);
    image.fill(Qt::black);
    TQtCanvas canvas(&image);
    const TRNTableCellData& cell = *t.Cells(0, 0);
    int y = cell.Top + cell.Height - 5; // in the last row only
    TRect clip = Rect(0, y - 2, 100, y + 2);
    canvas.SetClipRect(clip);
    t.PaintTo(0, 0, 0, 5, canvas, {}, v.Style, t.FormattingInfo, clip);
    EXPECT_EQ(At(image, cell.Left + 2, y), ColorToRGB(clRed));
}

} // namespace
