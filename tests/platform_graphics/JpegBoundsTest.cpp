// JPEG images are decoded when they are needed, not when they are loaded: beside the window when
// drawn, at the scale nearest the size shown, and within a picture's bounds wherever decoded: its
// CPU time (a progressive image of 704 scans of 4,000 x 4,000 pixels took 4.5 s), its working
// memory, and the wish of whoever waits.
#include "Surface.h"

#include "platform/base/CpuTime.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/PictureShowing.h"
#include "tests/support/LargePhotos.h"
#include "tests/support/PicturesReady.h"
#include "tests/support/ProgressiveJpeg.h"

#include <gtest/gtest.h>

namespace {

const QRgb Frame = qRgb(128, 128, 128);

// A gradient from black at the left to red at the right, `width` x `height`, as a plain JPEG.
std::string Gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            image.setPixel(x, y, qRgb(x * 255 / (width - 1), 0, 0));
        }
    }
    return EncodeJpeg(image, 90);
}

// `picture` drawn over `width` x `height` in a paint of `viewer`'s window; how many pictures the
// paint left waiting.
int Painted(TPictureViewer& viewer, const TGraphic& picture, Surface& surface) {
    const TPictureShowing showing(viewer, true);
    surface.Canvas.StretchDraw(Rect(0, 0, surface.Image.width(), surface.Image.height()), picture);
    return showing.PicturesWaiting();
}

} // namespace

TEST(JpegBounds, ALoadReadsTheHeaderAndAPaintGetsTheImageDecodedBesideTheWindowAtItsScale) {
    const std::string bytes = Gradient(400, 300);
    TJPEGImage jpeg;
    const int started = PicturePreparer().Counts().Started;
    jpeg.LoadFromBytes(bytes);
    EXPECT_EQ(jpeg.Width(), 400);
    EXPECT_EQ(jpeg.Height(), 300);
    EXPECT_FALSE(jpeg.Empty());
    EXPECT_EQ(PicturePreparer().Counts().Started, started);

    TPictureViewer viewer([] {});
    Surface first(100, 75);
    const uint64_t ready = PicturePreparer().ReadyBytes();
    EXPECT_EQ(Painted(viewer, jpeg, first), 1);
    EXPECT_EQ(first.Pixel(0, 0), Frame);
    ASSERT_TRUE(WaitForPictures());
    // A quarter of its size covers the 100 x 75 pixels shown: that is what was decoded.
    EXPECT_EQ(PicturePreparer().ReadyBytes() - ready, uint64_t{100} * 75 * 4);
    Surface next(100, 75);
    EXPECT_EQ(Painted(viewer, jpeg, next), 0);
    EXPECT_LT(qRed(next.Pixel(3, 40)), 40);
    EXPECT_GT(qRed(next.Pixel(96, 40)), 215);
    EXPECT_LT(qGreen(next.Pixel(96, 40)), 40);
    // Its pixels asked for: the whole image, decoded then.
    EXPECT_EQ(jpeg.Image().size(), QSize(400, 300));
    EXPECT_GT(qRed(jpeg.Image().pixel(399, 150)), 215);
}

// The progressive image of 704 scans, 4,000 x 4,000 pixels, arithmetic coded: loading it decodes
// nothing; a decode of it stops when it has used a picture's CPU time, however busy the machine
// (its samples earn it two seconds, and it needs several times that); a paint does not wait for
// it, and it ends as its frame for good; its pixels asked for are none.
TEST(JpegBounds, AProgressiveImageOfHundredsOfScansEndsAsAFrameWithoutHoldingAnyone) {
    const std::string bytes = progressive_jpeg::Encoded(4000, 704, true);
    TJPEGImage jpeg;
    const int started = PicturePreparer().Counts().Started;
    const int64_t loading = ThreadCpuMicros();
    jpeg.LoadFromBytes(bytes);
    // Its header only: a decode takes seconds.
    EXPECT_LT(ThreadCpuMicros() - loading, 200000);
    EXPECT_EQ(jpeg.Width(), 4000);
    EXPECT_EQ(PicturePreparer().Counts().Started, started);

    QImage image;
    std::string error;
    const int64_t cpu = ThreadCpuMicros();
    TJpegBounds bounds;
    bounds.CpuMicros = PictureMillis * 1000;
    EXPECT_EQ(DecodeJpegWithin(bytes, 1, bounds, image, error), TJpegEnd::OutOfBounds);
    EXPECT_LT(ThreadCpuMicros() - cpu, (PictureMillis + 500) * 1000);
    EXPECT_TRUE(image.isNull());
    EXPECT_NE(error.find("longer"), std::string::npos) << error;

    TPictureViewer viewer([] {});
    Surface shown(200, 200);
    EXPECT_EQ(Painted(viewer, jpeg, shown), 1);
    EXPECT_EQ(shown.Pixel(0, 0), Frame);
    EXPECT_EQ(shown.Pixel(100, 100), qRgb(255, 255, 255));
    ASSERT_TRUE(WaitForPictures());
    EXPECT_TRUE(PicturesRefused(bytes));
    Surface again(200, 200);
    EXPECT_EQ(Painted(viewer, jpeg, again), 0);
    EXPECT_EQ(again.Pixel(0, 0), Frame);
    const int known = PicturePreparer().Counts().Started;
    EXPECT_TRUE(jpeg.Image().isNull());
    EXPECT_EQ(PicturePreparer().Counts().Started, known);
}

// A progressive image keeps all its coefficients between its scans: a decode that would need more
// working memory than allowed is refused; an image in one scan needs none of it.
TEST(JpegBounds, ADecodeNeedingMoreWorkingMemoryThanAllowedIsRefused) {
    const std::string progressive = progressive_jpeg::Encoded(600, 0);
    const std::string baseline = Gradient(600, 600);
    TJpegBounds small;
    small.WorkingMemory = uint64_t{1} << 20;
    QImage image;
    std::string error;
    EXPECT_EQ(DecodeJpegWithin(progressive, 1, small, image, error), TJpegEnd::OutOfBounds);
    EXPECT_TRUE(image.isNull());
    EXPECT_EQ(DecodeJpegWithin(baseline, 1, small, image, error), TJpegEnd::Decoded);
    EXPECT_EQ(image.size(), QSize(600, 600));
    EXPECT_EQ(DecodeJpegWithin(progressive, 1, TJpegBounds{}, image, error), TJpegEnd::Decoded);
    EXPECT_EQ(image.size(), QSize(600, 600));
    // At an eighth of its size.
    EXPECT_EQ(DecodeJpegWithin(progressive, 8, TJpegBounds{}, image, error), TJpegEnd::Decoded);
    EXPECT_EQ(image.size(), QSize(75, 75));
}

TEST(JpegBounds, ADecodeNoLongerWantedStops) {
    const std::string bytes = progressive_jpeg::Encoded(600, 0);
    int asked = 0;
    TJpegBounds bounds;
    bounds.Stopped = [&] { return ++asked > 2; };
    QImage image;
    std::string error;
    EXPECT_EQ(DecodeJpegWithin(bytes, 1, bounds, image, error), TJpegEnd::Stopped);
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(image.isNull());
}

namespace {

// How many pixels of `a` differ from the part of `b` at `at` by more than 6 in a channel, and the
// mean difference in a channel.
std::pair<int, double> Differing(const QImage& a, const QImage& b, QPoint at) {
    int more = 0;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x + at.x(), y + at.y());
            const int d[3] = {std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))};
            more += std::max({d[0], d[1], d[2]}) > 6;
            sum += d[0] + d[1] + d[2];
        }
    }
    return {more, sum / (3.0 * a.width() * a.height())};
}

} // namespace

// The image at the size shown (400 x 300 pixels, 480,000 bytes) is larger than the bound of ready
// images: the view gets it decoded at half its size, drawn stretched over its place; its pixels
// asked for are still the whole image.
TEST(JpegBounds, APictureWhoseImageWouldNotFitTheBoundIsDecodedSmallerAndDrawnStretched) {
    const TReadyBound bound(200000);
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Gradient(400, 300));
    TPictureViewer viewer([] {});
    Surface first(400, 300);
    EXPECT_EQ(Painted(viewer, jpeg, first), 1);
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(PicturePreparer().ReadyBytes(), uint64_t{200} * 150 * 4);
    Surface next(400, 300);
    EXPECT_EQ(Painted(viewer, jpeg, next), 0);
    EXPECT_LT(qRed(next.Pixel(3, 150)), 40);
    EXPECT_GT(qRed(next.Pixel(396, 150)), 215);
    EXPECT_GT(qRed(next.Pixel(200, 297)), 100);
    EXPECT_EQ(PicturePreparer().Counts().Reduced, 1);
    EXPECT_EQ(jpeg.Image().size(), QSize(400, 300));
}

// A page's bitmap showing 300 x 200 pixels of a photo of 2400 x 1800 gets that piece alone (and
// the pixel or two around it that rounding may show): at the photo's own pixels on a printed page,
// the same pixels as that part of the whole decode; at half of them on a preview at half its
// size, made the size shown. A piece beyond the image is none.
TEST(JpegBounds, APageDrawsThePieceOfALargePictureItShowsAtThePixelsItShowsItAt) {
    const std::string bytes = large_photos::PhotoJpeg(2400, 1800, 0x806040, 9);
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(bytes);
    PicturePreparer().Forget();
    for (int scale : {1, 2}) {
        QImage whole;
        std::string error;
        ASSERT_EQ(DecodeJpegWithin(bytes, scale, {}, whole, error), TJpegEnd::Decoded);
        Surface page(300, 200);
        page.Canvas.SetMapMode(TMapMode::mmAnisotropic);
        page.Canvas.SetWindowExt(scale, scale);
        page.Canvas.SetViewportExt(1, 1);
        page.Canvas.SetViewportOrg(-700 / scale, -500 / scale);
        const uint64_t ready = PicturePreparer().ReadyBytes();
        {
            const TPictureJob job;
            const TPicturePage pieces;
            page.Canvas.Draw(0, 0, jpeg);
        }
        EXPECT_GE(PicturePreparer().ReadyBytes() - ready, uint64_t{300} * 200 * 4) << scale;
        EXPECT_LE(PicturePreparer().ReadyBytes() - ready, uint64_t{306} * 206 * 4) << scale;
        const auto [more, mean] = Differing(page.Image, whole, {700 / scale, 500 / scale});
        if (scale == 1) {
            EXPECT_EQ(more, 0);
        } else {
            EXPECT_LT(mean, 3.0);
        }
    }
    QImage image;
    std::string error;
    EXPECT_EQ(DecodeJpegWithin(bytes, 1, {}, image, error, QRect(2400, 0, 10, 10)),
              TJpegEnd::Invalid);
    EXPECT_EQ(DecodeJpegWithin(bytes, 1, {}, image, error, QRect(2390, 1790, 50, 50)),
              TJpegEnd::Decoded);
    EXPECT_EQ(image.size(), QSize(10, 10));
}
