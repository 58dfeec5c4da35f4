#include "platform/graphics/QtCanvas.h"
#include "richtext/view/RNBack.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

constexpr int View = 100;
const QRgb Fill = qRgb(0, 128, 0); // clGreen

// A picture whose pixels say where they are: red = x, green = y.
QImage Positions(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x, y, 200));
        }
    }
    return image;
}

QImage Draw(const TRNBackground& back, const TRect& r, int hOffs, int vOffs) {
    QImage image(r.Width(), r.Height(), QImage::Format_RGB32);
    image.fill(Qt::black);
    TQtCanvas canvas(&image);
    back.Draw(canvas, r, hOffs, vOffs, View, View, clGreen);
    return image;
}

std::unique_ptr<TRNBackground> With(TBackgroundStyle style, const QImage& picture) {
    auto back = std::make_unique<TRNBackground>();
    back->Style = style;
    if (!picture.isNull()) {
        back->Bitmap().SetImage(picture);
    }
    return back;
}

TEST(Background, EachStyleFillsTheViewFromThePicture) {
    const QImage tile = Positions(20, 20);
    const TRect all = Rect(0, 0, View, View);
    struct Probe {
        TBackgroundStyle Style;
        QImage Picture;
        int VOffs, X, Y;
        QRgb Expected;
    } probes[] = {
        // Tiles fixed to the window ignore the scroll; tiles fixed to the document move up
        // by half a tile.
        {TBackgroundStyle::bsTiled, tile, 10, 3, 0, qRgb(3, 0, 200)},
        {TBackgroundStyle::bsTiled, tile, 10, 45, 27, qRgb(5, 7, 200)},
        {TBackgroundStyle::bsTiledAndScrolled, tile, 10, 3, 0, qRgb(3, 10, 200)},
        {TBackgroundStyle::bsTiledAndScrolled, tile, 10, 45, 27, qRgb(5, 17, 200)},
        // Stretched five times, no smoothing.
        {TBackgroundStyle::bsStretched, tile, 0, 52, 99, qRgb(10, 19, 200)},
        // A small picture centred with the colour around it.
        {TBackgroundStyle::bsCentered, tile, 0, 40, 45, qRgb(0, 5, 200)},
        {TBackgroundStyle::bsCentered, tile, 0, 39, 45, Fill},
        // A large one with its overhang split evenly.
        {TBackgroundStyle::bsCentered, Positions(200, 160), 0, 0, 0, qRgb(50, 30, 200)},
        // No picture: the colour, whatever the style.
        {TBackgroundStyle::bsTiled, QImage(), 0, 50, 50, Fill},
        {TBackgroundStyle::bsNoBitmap, tile, 0, 50, 50, Fill},
    };
    for (const Probe& p : probes) {
        const QImage image = Draw(*With(p.Style, p.Picture), all, 0, p.VOffs);
        EXPECT_EQ(image.pixel(p.X, p.Y), p.Expected)
            << "style " << int(p.Style) << " at " << p.X << "," << p.Y;
    }
}

TEST(Background, APartialRectangleGivesThePixelsOfTheWholeView) {
    const TRect part = Rect(23, 17, 71, 88);
    for (TBackgroundStyle style :
         {TBackgroundStyle::bsNoBitmap, TBackgroundStyle::bsStretched, TBackgroundStyle::bsTiled,
          TBackgroundStyle::bsTiledAndScrolled, TBackgroundStyle::bsCentered}) {
        const auto back = With(style, Positions(30, 25));
        const QImage full = Draw(*back, Rect(0, 0, View, View), 7, 13);
        const QImage partial = Draw(*back, part, 7, 13);
        EXPECT_EQ(partial, full.copy(part.Left, part.Top, part.Width(), part.Height()))
            << "style " << int(style);
    }
}

TEST(Background, OnlyAPictureFixedToTheWindowNeedsAFullRedrawOnScroll) {
    struct Case {
        TBackgroundStyle Style;
        bool Picture, Full;
    } cases[] = {
        {TBackgroundStyle::bsNoBitmap, true, false},
        {TBackgroundStyle::bsStretched, true, true},
        {TBackgroundStyle::bsTiled, true, true},
        {TBackgroundStyle::bsTiledAndScrolled, true, false},
        {TBackgroundStyle::bsCentered, true, true},
        {TBackgroundStyle::bsCentered, false, false},
    };
    for (const Case& c : cases) {
        const auto back = With(c.Style, c.Picture ? Positions(4, 4) : QImage());
        EXPECT_EQ(back->ScrollRequiresFullRedraw(), c.Full) << int(c.Style) << " " << c.Picture;
    }
}

} // namespace
