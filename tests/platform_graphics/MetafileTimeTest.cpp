// Pictures that take long to draw: a drawing stops when the picture's time is up, a picture
// that ran out of time is shown as its frame and not played again, fast pictures too large to
// keep are drawn at every paint, and the pictures of one showing share the time of one.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureTime.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/ResourceProbe.h"
#include "tests/support/SlowPictures.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

using namespace hostile_metafile;
using namespace metafile_fixture;

namespace {

const QRgb Frame = qRgb(128, 128, 128);
const QRgb White = qRgb(255, 255, 255);

std::unique_ptr<TMetafile> Loaded(const std::string& bytes) {
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(bytes);
    return metafile;
}

// `picture` stretched over a white surface of `width` x `height` screen pixels.
QImage DrawnAt(const TGraphic& picture, int width, int height) {
    Surface s(width, height);
    s.Canvas.StretchDraw(Rect(0, 0, width, height), picture);
    return s.Image;
}

// Only the frame is there: nothing of the picture inside it.
void ExpectFrameOnly(const QImage& image, const std::string& what) {
    EXPECT_EQ(image.pixel(0, 0), Frame) << what;
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), Frame) << what;
    for (double at : {0.25, 0.5, 0.75}) {
        const int x = static_cast<int>(at * image.width());
        const int y = static_cast<int>(at * image.height());
        EXPECT_EQ(image.pixel(x, y), White) << what << " at " << x << ", " << y;
    }
}

// `picture` stretched over a white page of `size` x `size` pixels at `ppi` pixels per inch.
QImage DrawnOnPage(const TGraphic& picture, int size, int ppi) {
    QImage page(size, size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TQtCanvas canvas(&painter, TSize{size, size}, ppi, ppi);
    canvas.StretchDraw(Rect(0, 0, size, size), picture);
    return page;
}

} // namespace

TEST(MetafileTime, APictureThatRanOutOfTimeIsItsFrameAndCostsNoPlayOnARepaint) {
    // Kept as a bitmap, and too large to keep (17.6 MB), where every paint played it again.
    for (int size : {100, 2100}) {
        SCOPED_TRACE(size);
        const std::string bytes = SlowBitmapsWmf(UnseenColour());
        const auto picture = Loaded(bytes);
        TResourceProbe probe;
        const QImage first = DrawnAt(*picture, size, size);
        EXPECT_LT(probe.Millis(), 2000);
        EXPECT_EQ(first.pixel(0, 0), Frame);
        if (size == 100) {
            // A drawing stopped on its way is not kept: the frame alone.
            ExpectFrameOnly(first, "first paint");
        }
        // Painted again, by a copy, and by a picture read again from the same bytes.
        const auto copy = picture->Clone();
        const auto again = Loaded(bytes);
        ExpectFrameOnly(DrawnAt(*picture, size, size), "repaint");
        ExpectFrameOnly(DrawnAt(*copy, size, size), "copy");
        ExpectFrameOnly(DrawnAt(*again, size, size), "read again");
    }
}

// One record of 8 polygons of 32,000 points zigzagging over the picture (1 MB) took 37 s to
// print: on the screen and on a 300-dpi page it stops within the picture's time.
TEST(MetafileTime, AFigureOfThousandsOfLongEdgesStopsWithinThePicturesTime) {
    for (int ppi : {96, 300}) {
        SCOPED_TRACE(ppi);
        const int size = ppi == 96 ? 1024 : 2400;
        const auto picture = Loaded(ZigzagWmf(8, 32000, UnseenColour(), true));
        TResourceProbe probe;
        const QImage page = DrawnOnPage(*picture, size, ppi);
        EXPECT_LT(probe.Millis(), 2000);
        EXPECT_EQ(page.pixel(0, 0), Frame);
    }
}

// A figure of 3,000 long edges on a page of 2,400 rows is drawn a band of rows at a time: the
// bands light exactly the pixels the rasterizer lights for the whole figure.
TEST(MetafileTime, AFigureDrawnInBandsLightsThePixelsOfTheWholeFigure) {
    const auto picture = Loaded(ZigzagWmf(1, 3000, 0xCC2222, false));
    const QImage page = DrawnOnPage(*picture, 2400, 300);
    QImage whole(2400, 2400, QImage::Format_RGB32);
    whole.fill(Qt::white);
    {
        QPolygonF polygon;
        for (const QPoint& p : ZigzagPoints(3000, 0)) {
            polygon << QPointF(p) * (2400.0 / 1024);
        }
        QPainterPath path;
        path.addPolygon(polygon);
        path.closeSubpath();
        QPainter painter(&whole);
        painter.fillPath(path, QColor(0xCC, 0x22, 0x22));
    }
    EXPECT_GT(CountPixels(page, page.rect(), [](QRgb p) { return p == qRgb(0xCC, 0x22, 0x22); }),
              2400 * 2400 / 10);
    int differing = 0;
    for (int y = 0; y < 2400; ++y) {
        for (int x = 0; x < 2400; ++x) {
            differing += page.pixel(x, y) != whole.pixel(x, y);
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST(MetafileTime, AnEnhancedMetafileThatTookLongerThanItsTimeIsNotPlayedAgain) {
    // Its first paint stops when the time is up, keeps what it drew and shows the frame over it
    // (too large to keep as a bitmap, it is drawn straight onto the surface).
    const auto picture = Loaded(SlowEmf(1000, UnseenColour(), 2100));
    const QImage first = DrawnAt(*picture, 2100, 2100);
    EXPECT_EQ(first.pixel(0, 0), Frame);
    EXPECT_NE(first.pixel(1050, 1050), White);
    TResourceProbe probe;
    ExpectFrameOnly(DrawnAt(*picture, 2100, 2100), "repaint");
    EXPECT_LT(probe.Millis(), 2000);
}

// An enhanced metafile of 3,000 ellipses, each filling the picture, took 3.4 s at each drawing:
// the SVG renderer draws it in one call. Kept as a bitmap on the screen and drawn straight onto a
// page, its drawing stops within the picture's time, and it is shown as its frame: alone on the
// screen (a bitmap is kept only whole), over what was drawn by then on the page.
TEST(MetafileTime, AnEnhancedMetafileStopsWithinThePicturesTime) {
    for (int ppi : {96, 300}) {
        SCOPED_TRACE(ppi);
        const auto picture = Loaded(SlowEmf(3000, UnseenColour(), 1200));
        // Converted first, at a size that costs nothing to draw.
        DrawnAt(*picture, 1, 1);
        TResourceProbe probe;
        const QImage page = DrawnOnPage(*picture, 1200, ppi);
        EXPECT_LT(probe.Millis(), 2000);
        EXPECT_EQ(page.pixel(0, 0), Frame);
        EXPECT_EQ(page.pixel(1199, 1199), Frame);
        EXPECT_EQ(page.pixel(600, 600) == White, ppi == 96);
    }
}

TEST(MetafileTime, FastPicturesTooLargeToKeepAreDrawnAtEveryPaint) {
    // 3,000 x 1,500 pixels: 18 MB, drawn straight onto the surface each time.
    for (const std::string& bytes : {Wmf(true), Emf()}) {
        const auto picture = Loaded(bytes);
        for (int paint = 0; paint < 3; ++paint) {
            const TPictureShowing showing;
            const QImage image = DrawnAt(*picture, 3000, 1500);
            const TDrawn d{0, 0, 3000, 1500};
            EXPECT_TRUE(IsRed(RectPixel(image, d))) << paint;
            EXPECT_TRUE(IsBlue(LinePixel(image, d))) << paint;
            EXPECT_EQ(EmptyPixel(image, d), White) << paint;
            EXPECT_NE(image.pixel(0, 0), Frame) << paint;
        }
    }
}

TEST(MetafileTime, ThePicturesOfOneShowingShareTheTimeOfOne) {
    const auto slow = Loaded(SlowBitmapsWmf(UnseenColour()));
    std::vector<std::unique_ptr<TMetafile>> sound;
    sound.push_back(Loaded(Wmf(true)));
    sound.push_back(Loaded(Emf()));
    {
        TResourceProbe probe;
        const TPictureShowing showing;
        EXPECT_EQ(DrawnAt(*slow, 100, 100).pixel(0, 0), Frame);
        // The second is spent: the others are not played (nor converted), inside a showing
        // opened within this one too.
        for (const auto& picture : sound) {
            ExpectFrameOnly(DrawnAt(*picture, 200, 100), "same showing");
            const TPictureShowing inner;
            ExpectFrameOnly(DrawnAt(*picture, 200, 100), "inner showing");
        }
        EXPECT_LT(probe.Millis(), 2000);
    }
    // They have not run out of time of their own: the next showing draws them.
    const TPictureShowing next;
    for (const auto& picture : sound) {
        const QImage image = DrawnAt(*picture, 200, 100);
        const TDrawn d{0, 0, 200, 100};
        EXPECT_TRUE(IsRed(RectPixel(image, d)));
        EXPECT_TRUE(IsBlue(LinePixel(image, d)));
    }
    ExpectFrameOnly(DrawnAt(*slow, 100, 100), "ran out before");
}

// Twenty slow pictures each trying their second in turn held every paint of their window for a
// second. A window spends at most a tenth of its time on drawings that are stopped: right after
// a slow picture took its second, its next paint tries no picture; another window's paint does.
TEST(MetafileTime, AWindowSpendsATenthOfItsTimeOnDrawingsThatAreStopped) {
    TPictureWaste window;
    const auto slow = Loaded(SlowBitmapsWmf(UnseenColour()));
    const auto sound = Loaded(Wmf(true));
    {
        const TPictureShowing paint(&window);
        EXPECT_EQ(DrawnAt(*slow, 100, 100).pixel(0, 0), Frame);
    }
    {
        TResourceProbe probe;
        const TPictureShowing paint(&window);
        ExpectFrameOnly(DrawnAt(*sound, 200, 100), "the same window");
        EXPECT_LT(probe.Millis(), 2000);
    }
    TPictureWaste other;
    const TPictureShowing paint(&other);
    const QImage image = DrawnAt(*sound, 200, 100);
    const TDrawn d{0, 0, 200, 100};
    EXPECT_TRUE(IsRed(RectPixel(image, d)));
    EXPECT_TRUE(IsBlue(LinePixel(image, d)));
}

// What a showing tells its window: the pictures it put off for want of its time (not drawn, not
// converted, or cut short by the pictures before them), not one that ran out of its own; and
// whether it kept a drawing or a conversion, which a drawing from what was kept, or one too
// large to keep, is not.
TEST(MetafileTime, AShowingTellsWhatItPutOffAndWhatItKept) {
    const auto runaway = Loaded(SlowBitmapsWmf(UnseenColour()));
    const auto sound = Loaded(Wmf(true));
    const auto enhanced = Loaded(SlowEmf(1, UnseenColour(), 100));
    {
        const TPictureShowing showing;
        EXPECT_EQ(DrawnAt(*runaway, 100, 100).pixel(0, 0), Frame);
        EXPECT_EQ(showing.PicturesPutOff(), 0);
        ExpectFrameOnly(DrawnAt(*sound, 200, 100), "put off");
        ExpectFrameOnly(DrawnAt(*enhanced, 100, 100), "not converted");
        EXPECT_EQ(showing.PicturesPutOff(), 2);
        EXPECT_FALSE(showing.KeptAny());
    }
    {
        const TPictureShowing showing;
        EXPECT_EQ(DrawnAt(*runaway, 100, 100).pixel(0, 0), Frame);
        EXPECT_TRUE(IsRed(RectPixel(DrawnAt(*sound, 200, 100), TDrawn{0, 0, 200, 100})));
        EXPECT_TRUE(showing.KeptAny());
        EXPECT_NE(DrawnAt(*enhanced, 100, 100).pixel(50, 50), White);
        EXPECT_EQ(showing.PicturesPutOff(), 0);
    }
    {
        const TPictureShowing showing;
        EXPECT_TRUE(IsRed(RectPixel(DrawnAt(*sound, 200, 100), TDrawn{0, 0, 200, 100})));
        EXPECT_NE(DrawnAt(*enhanced, 100, 100).pixel(50, 50), White);
        EXPECT_TRUE(IsRed(RectPixel(DrawnAt(*sound, 3000, 1500), TDrawn{0, 0, 3000, 1500})));
        EXPECT_FALSE(showing.KeptAny());
        EXPECT_EQ(showing.PicturesPutOff(), 0);
    }
    // Pictures of 700 and 600 ms: the second finds 300 ms left and is stopped on its way.
    const int bitmaps = slow_pictures::BitmapsTaking(700, 48);
    const auto first = Loaded(slow_pictures::SlowishWmf(0x00C000 | UnseenColour(), bitmaps, 48));
    const auto second =
        Loaded(slow_pictures::SlowishWmf(0x00C000 | UnseenColour(), bitmaps * 6 / 7, 48));
    {
        const TPictureShowing showing;
        EXPECT_NE(DrawnAt(*first, 48, 48).pixel(24, 24), White);
        EXPECT_EQ(DrawnAt(*second, 48, 48).pixel(24, 24), White);
        EXPECT_EQ(showing.PicturesPutOff(), 1);
    }
    const TPictureShowing next;
    EXPECT_NE(DrawnAt(*second, 48, 48).pixel(24, 24), White);
    EXPECT_EQ(next.PicturesPutOff(), 0);
    EXPECT_TRUE(next.KeptAny());
}

// A picture stopped on its way because the pictures before it took the showing's time has not
// spent its own: one of 750 ms that finds 400 ms left is cut short, and the next showing still
// gives it the whole second it needs.
TEST(MetafileTime, APictureStoppedBehindOthersKeepsItsOwnTime) {
    const auto picture = Loaded(slow_pictures::SlowishWmf(
        0x00C000 | UnseenColour(), slow_pictures::BitmapsTaking(750, 48), 48));
    {
        const TPictureShowing showing;
        TPictureShowing::Spend(600); // the pictures before it
        EXPECT_EQ(DrawnAt(*picture, 48, 48).pixel(24, 24), White);
        EXPECT_EQ(showing.PicturesPutOff(), 1);
    }
    const TPictureShowing next;
    EXPECT_NE(DrawnAt(*picture, 48, 48).pixel(24, 24), White);
    EXPECT_EQ(next.PicturesPutOff(), 0);
}
