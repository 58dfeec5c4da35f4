// A print or an export waits for its pictures, all of them within one time: once it is spent the
// pictures left are frames that nobody prepares or plays; the waits serve the event loop; a job
// inside another shares its time, one inside a paint waits for nothing.
#include "Surface.h"

#include "platform/base/CpuTime.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureShowing.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/LargePhotos.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/PicturesReady.h"
#include "tests/support/SharedProcessor.h"
#include "tests/support/TempDir.h"
#include "tests/support/WidePenMetafiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QPainter>
#include <QPicture>
#include <QTimer>
#include <QWindow>

#include <fstream>
#include <iterator>
#include <thread>

using namespace std::chrono_literals;
using namespace metafile_fixture;

namespace {

const QRgb Frame = qRgb(128, 128, 128);

std::unique_ptr<TMetafile> Loaded(const std::string& bytes) {
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(bytes);
    return metafile;
}

QImage DrawnAt(const TGraphic& picture, int size) {
    Surface s(size, size);
    s.Canvas.StretchDraw(Rect(0, 0, size, size), picture);
    return s.Image;
}

// `picture` over a white page of `size` x `size` pixels at 300 pixels per inch.
QImage DrawnOnPage(const TGraphic& picture, int size = 600) {
    QImage page(size, size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TQtCanvas canvas(&painter, TSize{size, size}, 300, 300);
    canvas.StretchDraw(Rect(0, 0, size, size), picture);
    return page;
}

} // namespace

// Four pictures of a second and more each: the first is waited for until the job's 300 ms are
// spent, and is a frame; the others are frames that start no work, drawn into an image or played
// straight onto a page, whatever they would cost.
TEST(PictureJob, PicturesAfterTheJobsTimeIsSpentAreFramesThatNobodyPrepares) {
    std::vector<std::unique_ptr<TMetafile>> slow;
    for (int i = 0; i < 4; ++i) {
        slow.push_back(Loaded(hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour())));
    }
    const auto zigzag =
        Loaded(hostile_metafile::ZigzagWmf(8, 32000, hostile_metafile::UnseenColour(), true));
    const int started = PicturePreparer().Counts().Started;
    {
        const TPictureJob job(300ms);
        EXPECT_EQ(DrawnAt(*slow[0], 100).pixel(0, 0), Frame);
        EXPECT_EQ(job.Left(), 0ms);
        const int64_t cpu = ThreadCpuMicros();
        for (int i = 1; i < 4; ++i) {
            EXPECT_EQ(DrawnAt(*slow[static_cast<size_t>(i)], 100).pixel(0, 0), Frame) << i;
        }
        EXPECT_EQ(DrawnOnPage(*zigzag).pixel(0, 0), Frame);
        // Neither waited for nor played: what a few frames cost.
        EXPECT_LT(ThreadCpuMicros() - cpu, 200000);
    }
    EXPECT_EQ(PicturePreparer().Counts().Started, started + 1);
    // A job with time left draws a picture onto the page, and a picture into an image.
    const TPictureJob job;
    const TDrawn d{0, 0, 600, 600};
    EXPECT_TRUE(IsRed(RectPixel(DrawnOnPage(*Loaded(Wmf(true))), d)));
    EXPECT_TRUE(IsRed(RectPixel(DrawnAt(*Loaded(Emf()), 600), d)));
}

// While a job waits for a picture, the event loop runs: a timer due fires before the drawing is
// over. A job inside another takes from the outer's time; one opened inside a paint waits for
// nothing.
TEST(PictureJob, AJobsWaitServesTheEventLoopAndJobsInsideOthersTakeNoTimeOfTheirOwn) {
    const auto slow = Loaded(hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour()));
    bool drawing = false;
    bool firedWhileDrawing = false;
    QTimer::singleShot(0, [&] { firedWhileDrawing = drawing; });
    {
        const TPictureJob outer(60s);
        {
            const TPictureJob inner(1ms);
            EXPECT_EQ(inner.Left(), outer.Left());
            drawing = true;
            DrawnAt(*slow, 100);
            drawing = false;
            EXPECT_EQ(inner.Left(), outer.Left());
        }
        EXPECT_LT(outer.Left(), 60s);
        EXPECT_GT(outer.Left(), 0ms);
    }
    EXPECT_TRUE(firedWhileDrawing);

    TPictureViewer viewer([] {});
    const auto waiting = Loaded(hostile_metafile::SlowEmf(1, hostile_metafile::UnseenColour(), 50));
    Surface s(50, 50);
    const TPictureShowing showing(viewer, false);
    const TPictureJob insidePaint;
    s.Canvas.StretchDraw(Rect(0, 0, 50, 50), *waiting);
    EXPECT_EQ(showing.PicturesWaiting(), 1);
    EXPECT_EQ(s.Pixel(0, 0), Frame);
}

// A window asked to close while a job waits for a picture stays open until the job ends (what
// the job draws may belong to it), and closes then.
TEST(PictureJob, AWindowAskedToCloseWhileAJobWaitsClosesWhenTheJobEnds) {
    const auto slow = Loaded(hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour()));
    QWindow window;
    window.resize(50, 50);
    window.show();
    bool asked = false;
    bool openWhenAsked = false;
    QTimer::singleShot(0, [&] {
        window.close();
        asked = true;
        openWhenAsked = window.isVisible();
    });
    {
        const TPictureJob job;
        DrawnAt(*slow, 100);
        EXPECT_TRUE(asked);
        EXPECT_TRUE(openWhenAsked);
        EXPECT_TRUE(window.isVisible());
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
}

// A Windows metafile played straight onto a page inside a job serves the event loop while it
// plays, and the time the window takes meanwhile is not the picture's; outside a job the play
// serves nothing.
TEST(PictureJob, APlayStraightOntoAPageServesTheEventLoopOnlyInsideAJob) {
    const auto slow = Loaded(hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour()));
    bool drawing = false;
    int firedWhileDrawing = 0;
    QTimer ticks;
    ticks.setInterval(0);
    QObject::connect(&ticks, &QTimer::timeout, [&] { firedWhileDrawing += drawing ? 1 : 0; });
    ticks.start();
    auto drawOnPage = [&] {
        drawing = true;
        DrawnOnPage(*slow);
        drawing = false;
    };
    drawOnPage();
    EXPECT_EQ(firedWhileDrawing, 0);

    // The window, served once, takes a while of its own.
    constexpr auto WindowsWhile = 300ms;
    QTimer::singleShot(0, [&] { std::this_thread::sleep_for(WindowsWhile); });
    const auto budget = 60s;
    const TPictureJob job(budget);
    const auto start = std::chrono::steady_clock::now();
    drawOnPage();
    const auto wall = std::chrono::steady_clock::now() - start;
    EXPECT_GT(firedWhileDrawing, 0);
    EXPECT_LE(budget - job.Left(), wall - WindowsWhile);
}

// A large picture's digest is worked out beside the window: a paint draws the picture's frame and
// is told when the digest is known; a job waits for it; both have the bytes' own digest.
TEST(PictureJob, ALargePicturesDigestIsWorkedOutBesideTheWindow) {
    std::string bytes(3 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 31 / 7);
    }
    const QByteArray expected =
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 QCryptographicHash::Blake2b_256);
    const auto painted = std::make_shared<const TPictureBytes>(bytes);
    int told = 0;
    TPictureViewer viewer([&] { ++told; });
    {
        const TPictureShowing showing(viewer, false);
        EXPECT_EQ(PreparedDigest(painted), nullptr);
        EXPECT_EQ(showing.PicturesWaiting(), 1);
    }
    const auto until = std::chrono::steady_clock::now() + 30s;
    while (told == 0 && std::chrono::steady_clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_GT(told, 0);
    {
        const TPictureShowing showing(viewer, false);
        const QByteArray* digest = PreparedDigest(painted);
        ASSERT_NE(digest, nullptr);
        EXPECT_EQ(*digest, expected);
        EXPECT_EQ(showing.PicturesWaiting(), 0);
    }
    const auto printed = std::make_shared<const TPictureBytes>(bytes);
    const TPictureJob job;
    const QByteArray* digest = PreparedDigest(printed);
    ASSERT_NE(digest, nullptr);
    EXPECT_EQ(*digest, expected);
}

// A picture of megabytes written by an export (inside a job) serves the window between its pieces,
// and the file holds its bytes; outside a job the writing serves nothing.
TEST(PictureJob, ALargePictureWrittenInAJobServesTheWindowBetweenItsPieces) {
    TempDir dir;
    TBitmap picture(1800, 1800);
    const std::string bytes = picture.SaveToBytes();
    ASSERT_GT(bytes.size(), size_t{8} << 20);
    for (const bool inJob : {false, true}) {
        bool writing = false;
        bool firedWhileWriting = false;
        QTimer::singleShot(0, [&] { firedWhileWriting = writing; });
        const auto file = dir.Path() / (inJob ? "job.bmp" : "alone.bmp");
        {
            const std::unique_ptr<TPictureJob> job =
                inJob ? std::make_unique<TPictureJob>() : nullptr;
            writing = true;
            picture.SaveToFile(file);
            writing = false;
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(firedWhileWriting, inJob);
        std::ifstream in(file, std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == bytes) << inJob;
    }
}

// A Windows metafile played straight onto a page draws a bounded number of edges there (a page
// stores them all and compresses them in one call when it ends): polylines of twice and four
// times the bound record about what the bound's share of a small one's record comes to.
TEST(PictureJob, APlayStraightOntoAPageDrawsABoundedNumberOfEdges) {
    auto recorded = [](int points) {
        const auto picture = Loaded(wide_pen::Wmf(points, 1));
        QPicture page;
        {
            QPainter painter(&page);
            TQtCanvas canvas(&painter, TSize{2400, 2400}, 300, 300);
            const TPictureJob job;
            canvas.StretchDraw(Rect(0, 0, 2400, 2400), *picture);
        }
        return page.size();
    };
    constexpr int Small = 20000;
    constexpr int Bound = 150000;
    const double perPoint = static_cast<double>(recorded(Small)) / Small;
    EXPECT_GT(perPoint, 0);
    for (int points : {2 * Bound, 4 * Bound}) {
        EXPECT_LT(recorded(points), perPoint * Bound * 1.25) << points;
    }
}

// An enhanced metafile of a long polyline with a wide pen, printed at 300 dpi: the converting
// process runs out of its CPU time drawing it at the page's 3,200 pixels, so the page gets it at
// the 1,024 the screen shows, stretched over its place, and not its frame; the screen still draws
// it, and a later print tries the page's size no more.
TEST(PictureJob, AnEnhancedMetafileTooCostlyAtThePagesSizeIsPrintedAtTheScreensSize) {
    const uint32_t colour = 0x0000C0 | hostile_metafile::UnseenColour() << 8;
    const QRgb pen = qRgb(0, static_cast<int>(colour >> 8 & 0xFF), 0xC0);
    const auto picture = Loaded(wide_pen::Emf(400, 400, colour));
    constexpr int Page = wide_pen::Frame * 300 / 96;
    auto print = [&] {
        QImage page(Page, Page, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        TQtCanvas canvas(&painter, TSize{Page, Page}, 300, 300);
        // Time enough on the wall for a busy machine: what matters here is the sizes tried.
        const TPictureJob job(60s);
        canvas.StretchDraw(Rect(0, 0, Page, Page), *picture);
        return page;
    };
    auto drawn = [&](const QImage& page, const char* what) {
        EXPECT_NE(page.pixel(0, 0), Frame) << what;
        EXPECT_GT(CountPixels(page, page.rect(), [&](QRgb p) { return p == pen; }), Page * Page / 2)
            << what;
    };
    drawn(print(), "first print");
    EXPECT_FALSE(PicturesRefused(wide_pen::Emf(400, 400, colour)));
    const int started = PicturePreparer().Counts().Started;
    drawn(print(), "second print");
    EXPECT_EQ(PicturePreparer().Counts().Started, started);
    const QImage screen = DrawnAt(*picture, wide_pen::Frame);
    EXPECT_EQ(screen.pixel(wide_pen::Frame / 2, wide_pen::Frame / 2), pen);
}

// An enhanced metafile is drawn in the converting process, whose CPU time the job's wait counts as
// it goes: a job of 300 ms ends its wait after 300 ms of it, long before the process's own bound,
// and the picture is its frame for this job but not refused (its work was stopped, not spent).
TEST(PictureJob, AJobSpendsTheCpuTimeOfThePicturesConvertingProcess) {
    const std::string bytes =
        hostile_metafile::SlowEmf(1000, hostile_metafile::UnseenColour(), 2100);
    const auto picture = Loaded(bytes);
    const TPictureJob job(300ms);
    EXPECT_EQ(DrawnAt(*picture, 2100).pixel(0, 0), Frame);
    EXPECT_EQ(job.Left(), 0ms);
    EXPECT_FALSE(PicturesRefused(bytes));
}

// Photos printed on a processor shared with busy loops, as a loaded machine prints them: their
// decodes take less CPU time together than the job has, and every one is printed as on an idle
// machine, though the print takes many times the job's time on the wall.
TEST(PictureJob, APrintOnABusyProcessorDrawsEveryPictureItsTimeHolds) {
    constexpr int Side = 1600;
    std::vector<std::unique_ptr<TJPEGImage>> photos;
    for (uint32_t i = 0; i < 5; ++i) {
        photos.push_back(std::make_unique<TJPEGImage>());
        photos.back()->LoadFromBytes(large_photos::PhotoJpeg(Side, Side, 0x806040 + i, i));
    }
    auto print = [&](std::chrono::milliseconds budget, std::vector<QImage>& pages) {
        PicturePreparer().Forget();
        const TPictureJob job(budget);
        const TPicturePage pieces;
        for (const auto& photo : photos) {
            pages.push_back(DrawnOnPage(*photo, Side));
        }
        return budget - job.Left();
    };
    std::vector<QImage> idle;
    const auto idleCpu = print(60s, idle);
    const auto budget = 2 * idleCpu;
    std::vector<QImage> busy;
    std::chrono::milliseconds busyCpu{};
    const auto start = std::chrono::steady_clock::now();
    OnAProcessorSharedWith(9, [&] { busyCpu = print(budget, busy); });
    const auto wall = std::chrono::steady_clock::now() - start;
    for (size_t i = 0; i < photos.size(); ++i) {
        EXPECT_NE(idle[i].pixel(0, 0), Frame) << i;
        EXPECT_TRUE(busy[i] == idle[i]) << i;
    }
    EXPECT_LT(busyCpu, budget);
    EXPECT_GT(wall, 2 * budget) << "the processor was not shared as it should be";
}
