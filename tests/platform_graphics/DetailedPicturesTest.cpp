// Pictures that hold much work and that their own programs write and draw are drawn: a drawing of
// 476,000 records and a progressive photo of 64 megapixels, on the screen (a paint asks, the work
// is done beside the window, the next paint draws it) and on a page (a print waits for it). A
// picture given up says so in its frame; one a paint waits for is its frame alone.
#include "Surface.h"

#include "platform/graphics/PictureShowing.h"
#include "tests/support/DetailedPictures.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/PicturesReady.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <memory>

using namespace detailed_pictures;

namespace {

const QRgb Frame = qRgb(128, 128, 128);

// `picture` drawn over `surface` in a paint of `viewer`'s window; how many pictures it left
// waiting.
int Painted(TPictureViewer& viewer, const TGraphic& picture, Surface& surface) {
    const TPictureShowing showing(viewer, true);
    surface.Canvas.StretchDraw(Rect(0, 0, surface.Image.width(), surface.Image.height()), picture);
    return showing.PicturesWaiting();
}

// `picture` printed over a page of `width` x `height` pixels at `ppi`, as a print draws it.
QImage Printed(const TGraphic& picture, int width, int height, int ppi) {
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TQtCanvas canvas(&painter, TSize{width, height}, ppi, ppi);
    const TPictureJob job;
    const TPicturePage pieces;
    canvas.StretchDraw(Rect(0, 0, width, height), picture);
    return page;
}

// The pixels of the word a given-up frame holds, in the middle of the surface, apart from the
// frame's own: those neither white nor the frame's grey at the border.
int WordPixels(const QImage& image) {
    return CountPixels(image, image.rect().adjusted(2, 2, -2, -2),
                       [](QRgb p) { return p != qRgb(255, 255, 255); });
}

} // namespace

TEST(DetailedPictures, ADrawingOfHalfAMillionRecordsAndA64MegapixelProgressivePhotoAreDrawn) {
    for (const std::string* bytes :
         {&Drawing(), &ProgressivePhoto(), &FullColourProgressivePhoto()}) {
        const auto picture = LoadedPicture(*bytes);
        SCOPED_TRACE(picture->ClassName());
        TPictureViewer viewer([] {});
        Surface first(480, 360);
        EXPECT_EQ(Painted(viewer, *picture, first), 1);
        EXPECT_EQ(first.Pixel(0, 0), Frame);
        ASSERT_TRUE(WaitForPictures());
        EXPECT_FALSE(PicturesRefused(*bytes));
        Surface next(480, 360);
        EXPECT_EQ(Painted(viewer, *picture, next), 0);
        EXPECT_GT(ColouredShare(next.Image, next.Image.rect()), 0.4);
        // A page at 300 pixels to the inch: 5 by 3.75 inches.
        const QImage page = Printed(*picture, 1500, 1125, 300);
        EXPECT_GT(ColouredShare(page, page.rect()), 0.4);
    }
}

TEST(DetailedPictures, AGivenUpPictureSaysSoInItsFrameAndOneAPaintWaitsForIsItsFrameAlone) {
    // A metafile holding an image too large to draw: refused once its work looks at it.
    const std::string bytes =
        hostile_metafile::EmfWithImage(hostile_metafile::PngHeader(4097, 4096));
    const auto picture = LoadedPicture(bytes);
    TPictureViewer viewer([] {});
    Surface asked(300, 100);
    EXPECT_EQ(Painted(viewer, *picture, asked), 1);
    EXPECT_EQ(asked.Pixel(0, 0), Frame);
    EXPECT_EQ(WordPixels(asked.Image), 0);
    ASSERT_TRUE(WaitForPictures());
    ASSERT_TRUE(PicturesRefused(bytes));
    Surface refused(300, 100);
    EXPECT_EQ(Painted(viewer, *picture, refused), 0);
    EXPECT_EQ(refused.Pixel(0, 0), Frame);
    // The word's letters, grey, in the middle: none above or below them, nothing coloured.
    const int word = WordPixels(refused.Image);
    EXPECT_GT(word, 60);
    EXPECT_EQ(CountPixels(refused.Image, QRect(40, 36, 220, 28),
                          [](QRgb p) { return p != qRgb(255, 255, 255); }),
              word);
    EXPECT_EQ(ColouredShare(refused.Image, refused.Image.rect()), 0);
    // Given up on a page, and drawn anywhere else, it says the same.
    EXPECT_EQ(Printed(*picture, 300, 100, 96), refused.Image);
    Surface elsewhere(300, 100);
    elsewhere.Canvas.StretchDraw(Rect(0, 0, 300, 100), *picture);
    EXPECT_EQ(elsewhere.Image, refused.Image);
    // A frame too small for the word is the frame alone, and nothing is drawn outside it.
    Surface small(60, 40);
    small.Canvas.StretchDraw(Rect(10, 10, 50, 30), *picture);
    EXPECT_EQ(small.Pixel(10, 10), Frame);
    EXPECT_EQ(CountPixels(small.Image, QRect(11, 11, 38, 18),
                          [](QRgb p) { return p != qRgb(255, 255, 255); }),
              0);
}

// A header that claims the photo's size in ten components at full resolution: refused before any
// of it is decoded, at whatever scale; the view that asked is told at once, and paints the frame
// with its word.
TEST(DetailedPictures, AHostilePhotoClaimingTheSameSizeIsRefusedWithinItsBoundsAndItsViewTold) {
    const std::string bytes = HostileFullSizeJpeg();
    for (int scale : {1, 8}) {
        QImage image;
        std::string error;
        EXPECT_EQ(DecodeJpegWithin(bytes, scale, TJpegBounds{}, image, error),
                  TJpegEnd::OutOfBounds);
        EXPECT_NE(error.find("memory"), std::string::npos) << error;
        EXPECT_TRUE(image.isNull());
    }
    const auto picture = LoadedPicture(bytes);
    EXPECT_EQ(picture->Width(), 9248);
    int told = 0;
    TPictureViewer viewer([&told] { ++told; });
    Surface asked(480, 360);
    EXPECT_EQ(Painted(viewer, *picture, asked), 1);
    EXPECT_EQ(WordPixels(asked.Image), 0);
    ASSERT_TRUE(WaitForPictures());
    EXPECT_TRUE(PicturesRefused(bytes));
    EXPECT_EQ(told, 1);
    Surface repainted(480, 360);
    EXPECT_EQ(Painted(viewer, *picture, repainted), 0);
    EXPECT_GT(WordPixels(repainted.Image), 60);
}

// A given-up frame of 9248 x 6936 pixels seen through a view of 480 x 360 at its top left, its
// middle and its bottom right: the view holds its word each time, and the same word stays at the
// same place of the frame from one view to the next. Printed, the page that holds its top does.
TEST(DetailedPictures, AGivenUpFrameLargerThanTheViewHasItsWordWhereverItIsSeen) {
    const std::string bytes = HostileFullSizeJpeg();
    const auto picture = LoadedPicture(bytes);
    {
        TPictureViewer viewer([] {});
        Surface asked(480, 360);
        Painted(viewer, *picture, asked);
        ASSERT_TRUE(WaitForPictures());
        ASSERT_TRUE(PicturesRefused(bytes));
    }
    const auto seen = [&](int x, int y, int width, int height) {
        Surface view(width, height);
        view.Canvas.StretchDraw(Rect(-x, -y, 9248 - x, 6936 - y), *picture);
        return view.Image;
    };
    for (const QPoint at : {QPoint(0, 0), QPoint(4000, 3000), QPoint(9248 - 480, 6936 - 360)}) {
        EXPECT_GT(WordPixels(seen(at.x(), at.y(), 480, 360)), 60) << at.x();
    }
    // Scrolled by 100 pixels each way, the pixels both views show are the same.
    const QImage first = seen(4000, 3000, 480, 360);
    const QImage scrolled = seen(4100, 3100, 480, 360);
    EXPECT_EQ(first.copy(100, 100, 380, 260), scrolled.copy(0, 0, 380, 260));

    QImage page(1500, 1125, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        TQtCanvas canvas(&painter, TSize{1500, 1125}, 300, 300);
        const TPictureJob job;
        canvas.StretchDraw(Rect(100, 100, 100 + 9248, 100 + 6936), *picture);
    }
    // Inside the frame's lines.
    EXPECT_GT(WordPixels(page.copy(100, 100, 1400, 1025)), 60);
}
