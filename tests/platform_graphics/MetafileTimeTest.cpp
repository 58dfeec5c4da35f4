// Pictures that take long to draw: a drawing stops when the picture's time is up, counted so that
// a busy machine does not change the verdict; a picture that ran out of its time is its frame and
// is not played again; a paint never waits for a picture: it draws what is ready and asks for the
// rest, each picture prepared within its own time however many others a paint asks for.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureShowing.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/PicturesReady.h"
#include "tests/support/SharedProcessor.h"
#include "tests/support/SlowPictures.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

#include <thread>
#include <utility>

#include <sys/resource.h>

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

// Only the frame is there: nothing of the picture inside it (looked at above and below the middle,
// where the frame of a picture given up has its word).
void ExpectFrameOnly(const QImage& image, const std::string& what) {
    EXPECT_EQ(image.pixel(0, 0), Frame) << what;
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), Frame) << what;
    for (const auto& [across, down] :
         {std::pair{0.25, 0.25}, std::pair{0.5, 0.25}, std::pair{0.75, 0.25}, std::pair{0.25, 0.75},
          std::pair{0.5, 0.75}, std::pair{0.75, 0.75}}) {
        const int x = static_cast<int>(across * image.width());
        const int y = static_cast<int>(down * image.height());
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

// The CPU time the whole process has used, its workers with it, in milliseconds.
long long ProcessCpuMillis() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

// Draws `picture` (of `bytes`) until its verdict is known: a busy machine may keep a try from
// spending the picture's time, and such a try is made again, given longer. Each try shows the
// frame alone.
void DrawUntilRefused(const TGraphic& picture, const std::string& bytes, int size) {
    for (int tries = 0; tries < 6 && !PicturesRefused(bytes); ++tries) {
        ExpectFrameOnly(DrawnAt(picture, size, size), "try " + std::to_string(tries));
    }
    ASSERT_TRUE(PicturesRefused(bytes));
}

// A paint of a window: draws `pictures`, each `width` x `height`, side by side on a surface.
struct TPaint {
    TPaint(TPictureViewer& viewer, const std::vector<const TGraphic*>& pictures, int width,
           int height)
        : Shot(width * static_cast<int>(pictures.size()), height) {
        const TPictureShowing showing(viewer, true);
        for (size_t i = 0; i < pictures.size(); ++i) {
            const int left = static_cast<int>(i) * width;
            Shot.Canvas.StretchDraw(Rect(left, 0, left + width, height), *pictures[i]);
        }
        Waiting = showing.PicturesWaiting();
    }
    QImage Of(int i, int width) const {
        return Shot.Image.copy(i * width, 0, width, Shot.Image.height());
    }
    Surface Shot;
    int Waiting = 0;
};

// Paints `pictures` again, as the window does when told, until none waits or a few rounds went
// by (a try a busy machine stopped before the picture's time was spent is made again when the
// picture is asked for again); the last paint.
std::unique_ptr<TPaint> PaintUntilReady(TPictureViewer& viewer,
                                        const std::vector<const TGraphic*>& pictures, int width,
                                        int height) {
    auto paint = std::make_unique<TPaint>(viewer, pictures, width, height);
    for (int round = 0; round < 6 && paint->Waiting > 0; ++round) {
        EXPECT_TRUE(WaitForPictures());
        paint = std::make_unique<TPaint>(viewer, pictures, width, height);
    }
    return paint;
}

} // namespace

// Once a picture is known to run out of its time it is its frame: painted again, by a copy and
// by a picture read again from the same bytes, it starts no work. Kept as a bitmap, and at a size
// too large for what a picture could keep before.
TEST(MetafileTime, APictureThatRanOutOfTimeIsItsFrameAndCostsNoPlayOnARepaint) {
    for (int size : {100, 2100}) {
        SCOPED_TRACE(size);
        const std::string bytes = SlowBitmapsWmf(UnseenColour());
        const auto picture = Loaded(bytes);
        // One try takes the picture's second, in CPU time, at the most (and room for the
        // sanitizers); whatever else the machine does.
        const long long cpu = ProcessCpuMillis();
        ExpectFrameOnly(DrawnAt(*picture, size, size), "first paint");
        EXPECT_LT(ProcessCpuMillis() - cpu, PictureMillis + 1000);
        DrawUntilRefused(*picture, bytes, size);
        const int started = PicturePreparer().Counts().Started;
        const auto copy = picture->Clone();
        const auto again = Loaded(bytes);
        ExpectFrameOnly(DrawnAt(*picture, size, size), "repaint");
        ExpectFrameOnly(DrawnAt(*copy, size, size), "copy");
        ExpectFrameOnly(DrawnAt(*again, size, size), "read again");
        ExpectFrameOnly(DrawnAt(*again, size / 2, size / 2), "another size");
        EXPECT_EQ(PicturePreparer().Counts().Started, started);
    }
}

// One record of 8 polygons of 32,000 points zigzagging over the picture (1 MB) took 37 s to
// print: on the screen and on a 300-dpi page it stops within the picture's time, counted in CPU
// time, which a busy machine does not stretch.
TEST(MetafileTime, AFigureOfThousandsOfLongEdgesStopsWithinThePicturesTime) {
    for (int ppi : {96, 300}) {
        SCOPED_TRACE(ppi);
        const int size = ppi == 96 ? 1024 : 2400;
        const auto picture = Loaded(ZigzagWmf(8, 32000, UnseenColour(), true));
        const long long cpu = ProcessCpuMillis();
        const QImage page = DrawnOnPage(*picture, size, ppi);
        EXPECT_LT(ProcessCpuMillis() - cpu, 2 * PictureMillis);
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

// The same figure drawn on a page while the thread that plays it shares its processor with nine
// busy threads, as on a busy machine: a play's time is its CPU time, so it is drawn as on an idle
// machine (its time on the wall was counted once, and the figure stopped part way, the frame
// over it).
TEST(MetafileTime, AFigureDrawnOnAPageOnABusyProcessorIsDrawnWhole) {
    const auto picture = Loaded(ZigzagWmf(1, 3000, 0xCC2222, false));
    const QImage idle = DrawnOnPage(*picture, 2400, 300);
    QImage busy;
    OnAProcessorSharedWith(9, [&] { busy = DrawnOnPage(*picture, 2400, 300); });
    EXPECT_GT(CountPixels(busy, busy.rect(), [](QRgb p) { return p == qRgb(0xCC, 0x22, 0x22); }),
              2400 * 2400 / 10);
    EXPECT_TRUE(busy == idle);
}

// A Windows metafile without a frame is as large as the box its drawing covers, found when it is
// loaded: on a busy processor too, the box of the whole drawing, its last rectangle far out.
TEST(MetafileTime, AMetafileWithoutAFrameIsSizedByItsWholeDrawingOnABusyProcessor) {
    std::string records = WmfRecord(0x02FC, {0, 0x22CC, 0x22, 0});
    for (int i = 0; i < 20000; ++i) {
        const int x = i % 100 * 10;
        records += WmfRecord(0x041B, {x + 5, x + 5, x, x});
    }
    records += WmfRecord(0x041B, {3000, 4000, 2900, 3900});
    const std::string bytes = WmfOf(records);
    TMetafile idle;
    idle.LoadFromBytes(bytes);
    TMetafile busy;
    OnAProcessorSharedWith(9, [&] { busy.LoadFromBytes(bytes); });
    EXPECT_EQ(busy.Width(), idle.Width());
    EXPECT_EQ(busy.Height(), idle.Height());
    EXPECT_GE(idle.Width(), 4000 * 96 / DefaultMetafileInch);
}

// A slow picture asked for by a paint whose window then goes: nobody wants it any more, and its
// work stops where it is, the worker free again at once (it once went on for the picture's
// whole second); the picture is not refused.
TEST(MetafileTime, APictureNobodyWantsAnyMoreStopsBeingPrepared) {
    const std::string bytes = SlowBitmapsWmf(UnseenColour());
    const auto slow = Loaded(bytes);
    const TPreparerCounts before = PicturePreparer().Counts();
    {
        TPictureViewer viewer([] {});
        EXPECT_EQ(TPaint(viewer, {slow.get()}, 100, 100).Waiting, 1);
        // The work begins when the event loop comes round after the paint.
        for (int wait = 0; wait < 60000 && PicturePreparer().Counts().Started == before.Started;
             ++wait) {
            QCoreApplication::sendPostedEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    const long long cpu = ProcessCpuMillis();
    ASSERT_TRUE(WaitForPictures());
    EXPECT_LT(ProcessCpuMillis() - cpu, PictureMillis / 2);
    EXPECT_EQ(PicturePreparer().Counts().Dropped, before.Dropped + 1);
    EXPECT_FALSE(PicturesRefused(bytes));
}

// 1,000 ellipses each filling a picture of 2,100 pixels: its conversion and drawing run out of
// their CPU time in the converting process; the picture is its frame and is not converted again.
TEST(MetafileTime, AnEnhancedMetafileThatTookLongerThanItsTimeIsNotPlayedAgain) {
    const std::string bytes = SlowEmf(1000, UnseenColour(), 2100);
    const auto picture = Loaded(bytes);
    ExpectFrameOnly(DrawnAt(*picture, 2100, 2100), "first paint");
    ASSERT_TRUE(PicturesRefused(bytes));
    const int started = PicturePreparer().Counts().Started;
    ExpectFrameOnly(DrawnAt(*picture, 2100, 2100), "repaint");
    EXPECT_EQ(PicturePreparer().Counts().Started, started);
}

// An enhanced metafile of 3,000 ellipses, each filling the picture, took 3.4 s at each drawing:
// the SVG renderer draws it in one call. On the screen and on a page it is drawn in the converting
// process, which its CPU time stops: the picture is its frame, and the SVG is never drawn here.
TEST(MetafileTime, AnEnhancedMetafileStopsWithinThePicturesTime) {
    for (int ppi : {96, 300}) {
        SCOPED_TRACE(ppi);
        const std::string bytes = SlowEmf(3000, UnseenColour(), 1200);
        const auto picture = Loaded(bytes);
        const int started = PicturePreparer().Counts().Started;
        const long long cpu = ProcessCpuMillis();
        const QImage page = DrawnOnPage(*picture, 1200, ppi);
        // The drawing was not this process's.
        EXPECT_LT(ProcessCpuMillis() - cpu, PictureMillis);
        EXPECT_EQ(page.pixel(0, 0), Frame);
        EXPECT_EQ(page.pixel(1199, 1199), Frame);
        EXPECT_EQ(page.pixel(600, 300), White);
        EXPECT_TRUE(PicturesRefused(bytes));
        EXPECT_EQ(PicturePreparer().Counts().Started, started + 1);
    }
}

// 3,000 x 1,500 pixels, 18 MB: prepared once and drawn from that image at every paint.
TEST(MetafileTime, LargePicturesAreDrawnAtEveryPaintFromOnePreparation) {
    for (const std::string& bytes : {Wmf(true), Emf()}) {
        const auto picture = Loaded(bytes);
        const int started = PicturePreparer().Counts().Started;
        for (int paint = 0; paint < 3; ++paint) {
            const QImage image = DrawnAt(*picture, 3000, 1500);
            const TDrawn d{0, 0, 3000, 1500};
            EXPECT_TRUE(IsRed(RectPixel(image, d))) << paint;
            EXPECT_TRUE(IsBlue(LinePixel(image, d))) << paint;
            EXPECT_EQ(EmptyPixel(image, d), White) << paint;
            EXPECT_NE(image.pixel(0, 0), Frame) << paint;
        }
        EXPECT_EQ(PicturePreparer().Counts().Started, started + 1);
    }
}

// A paint waits for no picture, however slow: it draws the frames of those not ready, and the
// next paint draws those ready by then; the slow one is its frame once it ran out of its time.
TEST(MetafileTime, APaintDrawsWhatIsReadyAndAsksForTheRestWithoutWaiting) {
    const std::string slowBytes = SlowBitmapsWmf(UnseenColour());
    const auto slow = Loaded(slowBytes);
    const auto wmf = Loaded(Wmf(true));
    const auto emf = Loaded(Emf());
    int told = 0;
    TPictureViewer viewer([&] { ++told; });
    const std::vector<const TGraphic*> pictures{slow.get(), wmf.get(), emf.get()};
    {
        const TPaint first(viewer, pictures, 200, 100);
        EXPECT_EQ(first.Waiting, 3);
        for (int i = 0; i < 3; ++i) {
            ExpectFrameOnly(first.Of(i, 200), "first paint, picture " + std::to_string(i));
        }
    }
    ASSERT_TRUE(WaitForPictures());
    EXPECT_GE(told, 1);
    const auto next = PaintUntilReady(viewer, pictures, 200, 100);
    const TDrawn d{0, 0, 200, 100};
    for (int i = 1; i < 3; ++i) {
        EXPECT_TRUE(IsRed(RectPixel(next->Of(i, 200), d))) << i;
        EXPECT_TRUE(IsBlue(LinePixel(next->Of(i, 200), d))) << i;
    }
    ExpectFrameOnly(next->Of(0, 200), "the slow one");
    EXPECT_TRUE(PicturesRefused(slowBytes));
    EXPECT_EQ(next->Waiting, 0);
}

// Twenty slow pictures each trying their second in turn held every paint of their window for a
// second. Now no paint runs a picture's work: paints while a slow picture is prepared ask for it
// once, and once it ran out of its time no paint starts its work again.
TEST(MetafileTime, PaintsStartAPicturesWorkOnceAndNeverAfterItRanOut) {
    const std::string bytes = SlowBitmapsWmf(UnseenColour());
    const auto slow = Loaded(bytes);
    TPictureViewer viewer([] {});
    const int started = PicturePreparer().Counts().Started;
    EXPECT_EQ(TPaint(viewer, {slow.get()}, 100, 100).Waiting, 1);
    // Once its work began (a try takes about a second), more paints start no other. The work
    // begins when the event loop comes round after the paint.
    for (int wait = 0; wait < 60000 && PicturePreparer().Counts().Started == started; ++wait) {
        QCoreApplication::sendPostedEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (int paint = 0; paint < 5; ++paint) {
        const TPaint shown(viewer, {slow.get()}, 100, 100);
        EXPECT_EQ(shown.Waiting, 1);
    }
    EXPECT_EQ(PicturePreparer().Counts().Started, started + 1);
    DrawUntilRefused(*slow, bytes, 100);
    const int known = PicturePreparer().Counts().Started;
    for (int paint = 0; paint < 5; ++paint) {
        const TPaint shown(viewer, {slow.get()}, 100, 100);
        EXPECT_EQ(shown.Waiting, 0);
        ExpectFrameOnly(shown.Of(0, 100), "after it ran out");
    }
    EXPECT_EQ(PicturePreparer().Counts().Started, known);
}

// What a paint tells its window: how many pictures it drew as frames waiting for them; not one
// that ran out of its own time, nor one ready. Pictures of 500 and 430 ms, more than a second
// together, are each prepared in their own time, neither cut short by the other.
TEST(MetafileTime, AShowingTellsHowManyPicturesWaitNotThoseRanOutOrReady) {
    const int bitmaps = slow_pictures::BitmapsTaking(500, 48);
    const std::string runawayBytes = SlowBitmapsWmf(UnseenColour());
    const auto runaway = Loaded(runawayBytes);
    DrawUntilRefused(*runaway, runawayBytes, 100);
    const auto sound = Loaded(Wmf(true));
    const auto enhanced = Loaded(SlowEmf(1, UnseenColour(), 100));
    TPictureViewer viewer([] {});
    EXPECT_EQ(TPaint(viewer, {runaway.get()}, 100, 100).Waiting, 0);
    EXPECT_EQ(TPaint(viewer, {runaway.get(), sound.get(), enhanced.get()}, 100, 100).Waiting, 2);
    const auto ready =
        PaintUntilReady(viewer, {runaway.get(), sound.get(), enhanced.get()}, 100, 100);
    EXPECT_EQ(ready->Waiting, 0);
    EXPECT_TRUE(IsRed(RectPixel(ready->Of(1, 100), TDrawn{0, 0, 100, 100})));
    EXPECT_NE(ready->Of(2, 100).pixel(50, 50), White);

    const std::string firstBytes =
        slow_pictures::SlowishWmf(0x00C000 | UnseenColour(), bitmaps, 48);
    const auto first = Loaded(firstBytes);
    const auto second =
        Loaded(slow_pictures::SlowishWmf(0x00C000 | UnseenColour(), bitmaps * 6 / 7, 48));
    EXPECT_EQ(TPaint(viewer, {first.get(), second.get()}, 48, 48).Waiting, 2);
    const auto both = PaintUntilReady(viewer, {first.get(), second.get()}, 48, 48);
    EXPECT_NE(both->Of(0, 48).pixel(24, 24), White)
        << bitmaps << " bitmaps, refused: " << PicturesRefused(firstBytes);
    EXPECT_NE(both->Of(1, 48).pixel(24, 24), White);
    EXPECT_EQ(both->Waiting, 0);
}

// Pictures of 450 ms asked for by one paint, more than there are workers: those queued behind
// the others are prepared in their own time all the same, and every one is drawn. (A busy
// machine may stop a try before its time is spent: that picture is asked for again by the next
// paint, and given longer.)
TEST(MetafileTime, APictureQueuedBehindOthersKeepsItsOwnTime) {
    const int bitmaps = slow_pictures::BitmapsTaking(450, 48);
    std::vector<std::unique_ptr<TMetafile>> pictures;
    std::vector<std::string> bytes;
    std::vector<const TGraphic*> shown;
    for (int i = 0; i < 6; ++i) {
        bytes.push_back(slow_pictures::SlowishWmf(0x00C000 | UnseenColour(), bitmaps, 48));
        pictures.push_back(Loaded(bytes.back()));
        shown.push_back(pictures.back().get());
    }
    TPictureViewer viewer([] {});
    const auto last = PaintUntilReady(viewer, shown, 48, 48);
    EXPECT_EQ(last->Waiting, 0);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NE(last->Of(i, 48).pixel(24, 24), White) << i;
        EXPECT_FALSE(PicturesRefused(bytes[static_cast<size_t>(i)])) << i;
    }
}
