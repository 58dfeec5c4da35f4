#include "Surface.h"

#include "platform/graphics/FakeCanvas.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPicture>
#include <QTextBoundaryFinder>

#include <memory>

namespace {

QImage Pattern(int w = 120, int h = 80) {
    QImage image(w, h, QImage::Format_RGB32);
    // A pattern, so that an inverting figure that missed a pixel would show.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x * 2 % 256, y * 3 % 256, (x * y) % 256));
        }
    }
    return image;
}

// Both back ends, for the checks that must hold on each.
std::vector<std::unique_ptr<TCanvas>> BothCanvases(QImage& image) {
    std::vector<std::unique_ptr<TCanvas>> out;
    out.push_back(std::make_unique<TFakeCanvas>());
    out.push_back(std::make_unique<TQtCanvas>(&image));
    return out;
}

} // namespace

TEST(Canvas, TextWidthsAddUpAcrossPiecesOnBothBackEnds) {
    QImage image = Pattern();
    for (auto& canvas : BothCanvases(image)) {
        for (const char* name : {"Arial", "Times New Roman", "Courier New", "MS Sans Serif"}) {
            for (TFontStyles style : {TFontStyles{}, TFontStyles{TFontStyle::fsBold},
                                      TFontStyles{TFontStyle::fsItalic}}) {
                canvas->Font().SetName(name);
                canvas->Font().SetSize(11);
                canvas->Font().SetStyle(style);
                std::u16string line =
                    u"AVAWAY To. fi fl ff LTA \u00e9t\u00e9 e\u0301t\u00e9 \u4e2d\u6587";
                int whole = canvas->TextWidthW(line);
                EXPECT_GT(whole, 0);
                for (size_t cut = 0; cut <= line.size(); ++cut) {
                    // Never cut inside a character with its mark.
                    if (cut < line.size() && line[cut] == u'\u0301') {
                        continue;
                    }
                    std::u16string_view v(line);
                    EXPECT_EQ(canvas->TextWidthW(v.substr(0, cut)) +
                                  canvas->TextWidthW(v.substr(cut)),
                              whole)
                        << name << " cut " << cut;
                }
                std::vector<int> dx;
                int fit = canvas->GetTextExtentExPointW(line, 1 << 20, &dx);
                EXPECT_EQ(fit, static_cast<int>(line.size()));
                ASSERT_EQ(dx.size(), line.size());
                EXPECT_EQ(dx.back(), whole);
                for (size_t i = 1; i < dx.size(); ++i) {
                    EXPECT_GE(dx[i], dx[i - 1]);
                }
                // 8-bit text in the font's code page measures as its characters.
                EXPECT_EQ(canvas->TextWidth("caf\xe9 au lait"),
                          canvas->TextWidthW(u"caf\u00e9 au lait"));
            }
        }
    }
}

TEST(Canvas, TextDrawnPieceByPieceLandsWhereTheWholeLineDoes) {
    Surface whole(200, 30), pieces(200, 30);
    for (TCanvas* c : {&whole.Canvas, &pieces.Canvas}) {
        c->Font().SetName("Arial");
        c->Font().SetSize(12);
        c->Brush().SetStyle(TBrushStyle::bsClear);
    }
    whole.Canvas.TextOutW(2, 2, u"Wave To Tarnwick");
    int x = 2;
    for (std::u16string_view piece : {u"Wa", u"ve T", u"o Tar", u"nwick"}) {
        pieces.Canvas.TextOutW(x, 2, piece);
        x += pieces.Canvas.TextWidthW(piece);
    }
    EXPECT_EQ(Differences(whole.Image, pieces.Image), 0);
    EXPECT_GT(CountPixels(whole.Image, whole.Image.rect(), IsDark), 40);
}

TEST(Canvas, TextDrawnAtOnceLooksLikeEachClusterDrawnByItself) {
    struct Case {
        int height;
        std::u16string text;
    };
    const Case cases[] = {
        {-15, u"Wave To fi \u00e9t\u00e9 \U0001F600 \u4e2d"},
        {-15, u"co\u00adop"}, // a soft hyphen shows
        {-15, u"\u20cf\u20d0\u20d1\u20d2\u20d3\u20d4\u20d5\u20d6\u20d7\u20d8"}, // marks
        {-90, u"\u0170\u0171\u0172\u0173\u0174\u0175\u0176\u0177\u0178\u0179\u017a"
              u"\u017b\u017c\u017d\u017e\u017f\u0180\u0181\u0182\u0183"}, // past the cache
    };
    for (const Case& c : cases) {
        Surface atOnce(1600, 120), byCluster(1600, 120);
        TQtCanvas& canvas = atOnce.Canvas;
        canvas.Font().SetName("Arial");
        canvas.Font().SetHeight(c.height);
        canvas.Font().SetColor(clBlack);
        canvas.SetBkMode(TBkMode::bkTransparent);
        canvas.TextOutW(4, 4, c.text);

        std::vector<int> dx;
        canvas.GetTextExtentExPointW(c.text, 1 << 20, &dx);
        const QString text(reinterpret_cast<const QChar*>(c.text.data()),
                           static_cast<qsizetype>(c.text.size()));
        QPainter p(&byCluster.Image);
        p.setFont(canvas.QtFont());
        p.setPen(Qt::black);
        const int baseline = 4 + canvas.GetTextMetrics().Ascent;
        QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
        qsizetype start = 0;
        while (clusters.toNextBoundary() != -1) {
            const int x = 4 + (start == 0 ? 0 : dx[static_cast<size_t>(start - 1)]);
            p.drawText(QPoint(x, baseline), text.mid(start, clusters.position() - start));
            start = clusters.position();
        }
        p.end();
        EXPECT_EQ(Differences(atOnce.Image, byCluster.Image), 0) << (&c - cases);
    }
}

TEST(Canvas, FakeMetricsAreFixed) {
    TFakeCanvas canvas;
    canvas.Font().SetHeight(-16);
    TTextMetric tm = canvas.GetTextMetrics();
    EXPECT_EQ(tm.Ascent, 16);
    EXPECT_EQ(tm.Descent, 4);
    EXPECT_EQ(tm.Height, 20);
    EXPECT_EQ(tm.InternalLeading, 4);
    EXPECT_EQ(tm.ExternalLeading, 2);
    EXPECT_EQ(canvas.TextExtentW(u"abc"), (TSize{24, 20}));
    EXPECT_EQ(canvas.TextWidthW(u"\u4e2dx"), 24);
    EXPECT_EQ(canvas.TextWidthW(u"\U0001F600"), 8);
    canvas.Font().SetStyle({TFontStyle::fsBold});
    EXPECT_EQ(canvas.TextWidthW(u"abc"), 27);
    // A font of 12 points at 96 pixels per inch is 16 pixels high.
    canvas.Font().SetSize(12);
    EXPECT_EQ(canvas.Font().Height(), -16);
    // Shift-JIS: the two bytes of one character share its end and fit only together.
    canvas.Font().SetStyle({});
    canvas.Font().SetCharset(SHIFTJIS_CHARSET);
    std::vector<int> dx;
    EXPECT_EQ(canvas.GetTextExtentExPoint("a\x82\xa0"
                                          "b",
                                          20, &dx),
              1);
    EXPECT_EQ(dx, (std::vector<int>{8, 24, 24, 32}));
    EXPECT_EQ(canvas.GetTextExtentExPoint("a\x82\xa0"
                                          "b",
                                          24, nullptr),
              3);
}

TEST(Canvas, FakeRecordsCallsWithTheirState) {
    TFakeCanvas canvas;
    canvas.Font().SetName("Arial");
    canvas.Font().SetColor(clRed);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.TextOut(5, 6, "caf\xe9");
    canvas.Brush().SetColor(clYellow);
    canvas.TextRect(Rect(0, 0, 50, 10), 1, 2, "x");
    canvas.Pen().SetMode(TPenMode::pmNot);
    canvas.MoveTo(1, 1);
    canvas.LineTo(9, 1);
    ASSERT_EQ(canvas.Calls().size(), 3u);
    const TCanvasCall& text = canvas.Calls()[0];
    EXPECT_EQ(text.ToString(), "TextOut(5,6,'caf\xc3\xa9')");
    EXPECT_EQ(text.FontName, "Arial");
    EXPECT_EQ(text.FontColor, clRed);
    EXPECT_EQ(text.BkMode, TBkMode::bkTransparent);
    // Colouring a clear brush makes it solid, so the clipped text is opaque.
    EXPECT_EQ(canvas.Calls()[1].BkMode, TBkMode::bkOpaque);
    EXPECT_EQ(canvas.Calls()[1].Rect, Rect(0, 0, 50, 10));
    EXPECT_EQ(canvas.Calls()[2].ToString(), "Line(1,1 9,1)");
    EXPECT_EQ(canvas.Calls()[2].PenMode, TPenMode::pmNot);
    EXPECT_EQ(canvas.PenPos(), Point(9, 1));
}

TEST(Canvas, InvertingFiguresDrawnTwiceRestoreTheSurface) {
    QImage image = Pattern();
    const QImage before = image.copy();
    TQtCanvas canvas(&image);
    auto figures = [&] {
        // The table's column guide: a dash-dot-dot line inverting what is under it.
        canvas.Pen().SetMode(TPenMode::pmNot);
        canvas.Pen().SetStyle(TPenStyle::psDashDotDot);
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
        canvas.MoveTo(40, 0);
        canvas.LineTo(40, 80);
        canvas.Pen().SetStyle(TPenStyle::psSolid);
        canvas.Polyline({{5, 5}, {60, 30}, {10, 70}, {5, 5}});
        canvas.Pen().SetMode(TPenMode::pmXor);
        canvas.Pen().SetColor(clLime);
        canvas.Brush().SetColor(clBlue);
        canvas.Rectangle(70, 10, 110, 40);
        canvas.Ellipse(Rect(20, 40, 60, 75));
        canvas.Pen().SetMode(TPenMode::pmNotXor);
        canvas.Polygon({{80, 50}, {115, 60}, {90, 78}});
        canvas.Pen().SetMode(TPenMode::pmCopy);
        canvas.DrawFocusRect(Rect(3, 3, 117, 77));
    };
    figures();
    EXPECT_GT(Differences(image, before), 100);
    figures();
    EXPECT_EQ(Differences(image, before), 0);
}

TEST(Canvas, JoinedLinesTouchEachPixelOnce) {
    Surface s(20, 20);
    s.Canvas.Pen().SetMode(TPenMode::pmNot);
    // A closed square: every corner is the end of one line and the start of the next.
    s.Canvas.Polyline({{2, 2}, {12, 2}, {12, 12}, {2, 12}, {2, 2}});
    for (TPoint corner : {Point(2, 2), Point(12, 2), Point(12, 12), Point(2, 12)}) {
        EXPECT_EQ(s.Pixel(corner.X, corner.Y), qRgb(0, 0, 0)) << corner.X << "," << corner.Y;
    }
    EXPECT_EQ(s.Pixel(7, 7), qRgb(255, 255, 255));
}

TEST(Canvas, FillsFramesClipsAndPixels) {
    Surface s(40, 30);
    s.Canvas.Brush().SetColor(clBtnFace);
    s.Canvas.FillRect(Rect(0, 0, 10, 10));
    EXPECT_EQ(s.Pixel(9, 9), qRgb(192, 192, 192));
    EXPECT_EQ(s.Pixel(10, 10), qRgb(255, 255, 255));
    s.Canvas.Brush().SetColor(clRed);
    s.Canvas.FrameRect(Rect(10, 10, 20, 20));
    EXPECT_EQ(s.Pixel(10, 15), qRgb(255, 0, 0));
    EXPECT_EQ(s.Pixel(19, 19), qRgb(255, 0, 0));
    EXPECT_EQ(s.Pixel(15, 15), qRgb(255, 255, 255));
    // A brush of no colour fills nothing.
    s.Canvas.Brush().SetColor(clNone);
    s.Canvas.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(s.Pixel(30, 25), qRgb(255, 255, 255));

    s.Canvas.SetClipRect(Rect(0, 20, 40, 30));
    s.Canvas.ExcludeClipRect(Rect(0, 25, 5, 30));
    EXPECT_EQ(s.Canvas.ClipRect(), Rect(0, 20, 40, 30));
    s.Canvas.Brush().SetColor(clBlue);
    s.Canvas.FillRect(Rect(0, 0, 40, 30));
    EXPECT_EQ(s.Pixel(30, 15), qRgb(255, 255, 255));
    EXPECT_EQ(s.Pixel(30, 25), qRgb(0, 0, 255));
    EXPECT_EQ(s.Pixel(2, 27), qRgb(255, 255, 255));
    s.Canvas.SetPixel(1, 1, clGreen);
    EXPECT_EQ(s.Pixel(1, 1), qRgb(192, 192, 192)); // outside the clip
    s.Canvas.RemoveClip();
    s.Canvas.SetPixel(1, 1, clGreen);
    EXPECT_EQ(s.Canvas.Pixel(1, 1), clGreen);
    EXPECT_EQ(s.Canvas.Pixel(100, 100), clNone);

    // Copying a part of another s.Canvas.
    Surface source(10, 10, qRgb(1, 2, 3));
    s.Canvas.CopyRect(Rect(30, 0, 35, 5), source.Canvas, Rect(0, 0, 5, 5));
    EXPECT_EQ(s.Pixel(34, 4), qRgb(1, 2, 3));
}

TEST(Canvas, OpaqueTextFillsItsCellsTransparentTextDoesNot) {
    Surface s(100, 30);
    s.Canvas.Font().SetName("Arial");
    s.Canvas.Font().SetColor(clBlack);
    s.Canvas.Brush().SetColor(clYellow);
    s.Canvas.TextOutW(0, 0, u"..");
    int w = s.Canvas.TextWidthW(u"..");
    EXPECT_EQ(s.Pixel(w - 1, 0), qRgb(255, 255, 0));
    s.Canvas.SetBkMode(TBkMode::bkTransparent);
    s.Canvas.TextOutW(50, 0, u"..");
    EXPECT_EQ(s.Pixel(50 + w - 1, 0), qRgb(255, 255, 255));
    // TextRect fills its whole rectangle and clips the text to it.
    s.Canvas.Brush().SetColor(clAqua);
    s.Canvas.TextRectW(Rect(0, 20, 10, 30), 0, 20, u"WWWWWW");
    EXPECT_EQ(s.Pixel(9, 29), qRgb(0, 255, 255));
    EXPECT_EQ(s.Pixel(12, 25), qRgb(255, 255, 255));
}

TEST(Canvas, FontWidthStretchesTextOnBothBackEnds) {
    QImage image = Pattern();
    for (auto& canvas : BothCanvases(image)) {
        canvas->Font().SetName("Arial");
        canvas->Font().SetSize(20);
        int natural = canvas->TextWidth("x");
        int wide = canvas->TextWidth("xxxxxxxxxx");
        // Ten "x" of a font whose width is w take about ten times w.
        for (int width : {natural / 2, natural * 2}) {
            canvas->Font().SetWidth(width);
            EXPECT_NEAR(canvas->TextWidth("xxxxxxxxxx"), 10 * width, width + 1);
        }
        canvas->Font().SetWidth(0);
        EXPECT_EQ(canvas->TextWidth("xxxxxxxxxx"), wide);
    }
    TFakeCanvas fake;
    fake.Font().SetHeight(-20);
    fake.Font().SetWidth(5);
    EXPECT_EQ(fake.TextWidth("x"), 5);
}

TEST(Canvas, SymbolCharsetTextDrawsItsSymbols) {
    TFakeCanvas canvas;
    canvas.Font().SetName("Symbol");
    canvas.Font().SetCharset(SYMBOL_CHARSET);
    canvas.TextOut(0, 0, "a\x44\xd6\xae\xfe\x80");
    canvas.Font().SetCharset(ANSI_CHARSET);
    canvas.TextOut(0, 0, "a\x44");
    auto texts = canvas.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 2u);
    // alpha, Delta, square root, right arrow, the last brace piece; 0x80 has no symbol.
    EXPECT_EQ(texts[0].Text, "\xce\xb1\xce\x94\xe2\x88\x9a\xe2\x86\x92\xe2\x8e\xad\xef\xbf\xbd");
    EXPECT_EQ(texts[1].Text, "aD");
}

namespace {

// A pixel's place as a colour and back: the place's number (x and y, 12 bits each) mixed by a
// one-to-one mapping of 24 bits, so that neighbouring pixels have unrelated colours and a picture
// of them does not compress (a page keeping the whole picture is as large as its pixels).
constexpr uint32_t Mask24 = 0xFFFFFF;
constexpr uint32_t Odd = 0x2C9277;
// The inverse of Odd modulo 2^24.
constexpr uint32_t OddInverse = [] {
    uint32_t inverse = Odd;
    for (int i = 0; i < 5; ++i) {
        inverse = inverse * (2 - Odd * inverse) & Mask24;
    }
    return inverse;
}();
static_assert((Odd * OddInverse & Mask24) == 1);

QRgb PlaceColour(int x, int y) {
    uint32_t v = (static_cast<uint32_t>(y) << 12 | static_cast<uint32_t>(x)) * Odd & Mask24;
    v ^= v >> 12;
    return qRgb(static_cast<int>(v >> 16), static_cast<int>(v >> 8 & 0xFF),
                static_cast<int>(v & 0xFF));
}

QPoint PlaceOf(QRgb c) {
    uint32_t v = static_cast<uint32_t>(c) & Mask24;
    v ^= v >> 12;
    v = v * OddInverse & Mask24;
    return QPoint(static_cast<int>(v & 0xFFF), static_cast<int>(v >> 12));
}

// A picture of distinct pixels: every pixel its own colour, so a shifted or rescaled drawing shows.
QImage NumberedPixels(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, PlaceColour(x, y));
        }
    }
    return image;
}

// Whether every pixel of `drawn` shows about the picture's pixel `expected` shows there: a picture
// narrowed to its visible part may sample up to a source pixel apart where its pixels are cut, a
// shrunk one up to the source pixels a page pixel covers.
bool SamplesAlike(const QImage& drawn, const QImage& expected, int tolerance) {
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QPoint apart = PlaceOf(drawn.pixel(x, y)) - PlaceOf(expected.pixel(x, y));
            if (std::abs(apart.x()) > tolerance || std::abs(apart.y()) > tolerance) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

// A picture far larger than a page, enlarged (as onto a printed page) or shrunk, partly off each
// edge, on a plain and on a mapped canvas: the page keeps only its visible part, and it looks as
// the whole picture drawn there does.
TEST(CanvasPictures, APictureLargerThanAPageKeepsOnlyItsVisiblePartAndLooksAsTheWhole) {
    const QImage picture = NumberedPixels(900, 700);
    const TRect all = Rect(0, 0, picture.width(), picture.height());
    for (const auto& [dest, mapped] : {std::pair{Rect(-1000, -500, 1812, 1687), false},
                                       {Rect(-130, 20, 203, 279), false},
                                       {Rect(37, -3000, 2850, 190), false},
                                       {Rect(-700, -400, 2113, 1787), true}}) {
        QPicture page;
        {
            QPainter painter(&page);
            painter.setClipRect(0, 0, 160, 120);
            TQtCanvas canvas(&painter, TSize{160, 120}, 96, 96);
            if (mapped) {
                canvas.SetMapMode(TMapMode::mmAnisotropic);
                canvas.SetWindowExt(320, 240);
                canvas.SetViewportExt(160, 120);
            }
            ASSERT_TRUE(canvas.KeepsWholeImages());
            canvas.DrawImage(dest, picture, all);
        }
        // What the page keeps of the picture: about its visible part.
        EXPECT_LT(page.size(), picture.sizeInBytes() / 4);
        Surface cropped(160, 120);
        {
            QPainter painter(&cropped.Image);
            page.play(&painter);
        }
        Surface whole(160, 120);
        {
            QPainter painter(&whole.Image);
            painter.scale(mapped ? 0.5 : 1, mapped ? 0.5 : 1);
            painter.drawImage(QRect(dest.Left, dest.Top, dest.Width(), dest.Height()), picture);
        }
        const int perPixel = (all.Width() + dest.Width() - 1) / dest.Width() * (mapped ? 2 : 1);
        EXPECT_TRUE(SamplesAlike(cropped.Image, whole.Image, perPixel + 1))
            << dest.Left << "," << dest.Top;
    }
    // Wholly outside: nothing.
    Surface outside(50, 50);
    TRect dest = Rect(60, 0, 900, 50);
    TRect source = Rect(0, 0, 10, 10);
    EXPECT_FALSE(outside.Canvas.VisiblePart(dest, source));
}
