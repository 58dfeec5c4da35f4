// A drawing made to stop through its painter: while there is time it lands on the painter it is
// meant for exactly as if drawn there straight (clip, transform, opacity, text, images,
// gradients, dashes), within that painter's own clip; once the time is up the rest is dropped
// and what was drawn stays; the painter is left as it was.
#include "platform/graphics/TimedPainting.h"
#include "tests/support/EncodedImage.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QSvgRenderer>

#include <thread>

namespace {

// A drawing that uses what an SVG renderer asks of a painter.
QByteArray Svg() {
    QImage dots(8, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            dots.setPixel(x, y, qRgb(30 * x, 40 * y, 200));
        }
    }
    const QByteArray png = QByteArray::fromStdString(EncodedImage(dots, "PNG")).toBase64();
    return R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink"
 width="200" height="100" viewBox="0 0 200 100">
 <defs>
  <linearGradient id="g" x1="0" y1="0" x2="1" y2="0">
   <stop offset="0" stop-color="#cc0000"/><stop offset="1" stop-color="#0000cc"/>
  </linearGradient>
  <clipPath id="c"><rect x="20" y="10" width="80" height="60"/></clipPath>
 </defs>
 <rect x="0" y="0" width="200" height="100" fill="url(#g)"/>
 <g clip-path="url(#c)"><ellipse cx="60" cy="40" rx="70" ry="50" fill="#00aa00"
  fill-opacity="0.6"/></g>
 <g transform="rotate(15 150 50)"><path d="M120 20 L190 40 L130 80 Z" fill="none"
  stroke="#333333" stroke-width="3" stroke-dasharray="6 3"/></g>
 <polyline points="10,90 50,70 90,95" fill="none" stroke="#ff00ff" stroke-width="2"/>
 <text x="110" y="90" font-family="Arial" font-size="14" fill="#000000">Notes</text>
 <image x="150" y="5" width="40" height="30" xlink:href="data:image/png;base64,)svg" +
           png +
           R"svg("/>
 <g opacity="0.5"><rect x="5" y="5" width="30" height="30" fill="#ffcc00"/></g>
</svg>)svg";
}

// How the surface a drawing lands on is prepared.
enum class TSurface {
    Plain,    // a bitmap of its own, as a picture is kept
    Prepared, // a painter with a clip, a transform and an opacity, as a page is drawn on
    TwoToOne, // two pixels to each unit, as on a screen of high density
};

// A white surface and its painter.
struct TPrepared {
    QImage Image{260, 160, QImage::Format_RGB32};
    QPainter Painter;

    explicit TPrepared(TSurface surface = TSurface::Prepared) {
        if (surface == TSurface::TwoToOne) {
            Image = QImage(520, 320, QImage::Format_RGB32);
            Image.setDevicePixelRatio(2);
        }
        Image.fill(Qt::white);
        Painter.begin(&Image);
        if (surface != TSurface::Prepared) {
            return;
        }
        Painter.setClipRect(QRect(30, 20, 220, 120));
        Painter.translate(15, 10);
        Painter.scale(1.2, 1.2);
        Painter.setOpacity(0.9);
        Painter.setPen(QPen(Qt::green, 5));
    }
};

} // namespace

TEST(TimedPainting, WithinItsTimeADrawingLandsAsIfDrawnStraight) {
    QSvgRenderer renderer(Svg());
    ASSERT_TRUE(renderer.isValid());
    for (const TSurface surface : {TSurface::Plain, TSurface::Prepared, TSurface::TwoToOne}) {
        SCOPED_TRACE(static_cast<int>(surface));
        TPrepared straight(surface);
        renderer.render(&straight.Painter, QRectF(0, 0, 200, 100));
        straight.Painter.end();

        TPrepared timed(surface);
        const QTransform transform = timed.Painter.transform();
        const QRectF clip = timed.Painter.clipBoundingRect();
        const QPen pen = timed.Painter.pen();
        const qreal opacity = timed.Painter.opacity();
        EXPECT_TRUE(PaintWithin(timed.Painter, 60000, [&](QPainter& painter) {
            renderer.render(&painter, QRectF(0, 0, 200, 100));
        }));
        // The painter is as it was.
        EXPECT_EQ(timed.Painter.transform(), transform);
        EXPECT_EQ(timed.Painter.clipBoundingRect(), clip);
        EXPECT_EQ(timed.Painter.opacity(), opacity);
        EXPECT_EQ(timed.Painter.pen(), pen);
        timed.Painter.end();
        // Something was drawn, and on the prepared painter nothing outside its clip.
        EXPECT_NE(straight.Image.pixel(100, 60), qRgb(255, 255, 255));
        EXPECT_EQ(straight.Image.pixel(25, 60) == qRgb(255, 255, 255),
                  surface == TSurface::Prepared);
        EXPECT_EQ(timed.Image, straight.Image);
    }
}

TEST(TimedPainting, OnceItsTimeIsUpTheRestIsDroppedAndWhatWasDrawnStays) {
    TPrepared timed;
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(PaintWithin(timed.Painter, 1000, [&](QPainter& painter) {
        // The drawing's own clip, taken off and set again, then replaced: the painter's own
        // clip holds all the while, and only it. The square reaches left of it in vain.
        painter.setClipRect(QRectF(0, 0, 10, 10));
        painter.setClipping(false);
        painter.setClipRect(QRectF(0, 0, 10, 10));
        painter.setClipRect(QRectF(-100, -100, 1000, 1000));
        painter.fillRect(QRectF(-20, 0, 70, 50), Qt::red);
        // A second square after the time.
        std::this_thread::sleep_until(std::chrono::steady_clock::now() +
                                      std::chrono::milliseconds(1100));
        painter.fillRect(QRectF(60, 0, 50, 50), Qt::blue);
    }));
    EXPECT_GE(clock.elapsed(), 1000);
    timed.Painter.end();
    // The red square at 90 % opacity inside the painter's clip, from (30, 20) to (75, 70).
    const QRgb red = timed.Image.pixel(50, 40);
    EXPECT_GT(qRed(red), 200);
    EXPECT_LT(qBlue(red), 60);
    EXPECT_EQ(timed.Image.pixel(25, 40), qRgb(255, 255, 255));
    int blue = 0;
    for (int y = 0; y < timed.Image.height(); ++y) {
        for (int x = 0; x < timed.Image.width(); ++x) {
            blue += qBlue(timed.Image.pixel(x, y)) > 200 && qRed(timed.Image.pixel(x, y)) < 60;
        }
    }
    EXPECT_EQ(blue, 0);
    // No time at all draws nothing.
    TPrepared none;
    EXPECT_FALSE(PaintWithin(none.Painter, 0, [](QPainter& painter) {
        painter.fillRect(QRectF(0, 0, 200, 100), Qt::red);
    }));
    none.Painter.end();
    QImage white(260, 160, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(none.Image, white);
}
