// A window's paint draws the frames of pictures not ready; the window is painted again as they
// become ready, where its pixels moved since, never endlessly, and never once it is gone.
#include "platform/graphics/Metafile.h"
#include "platform/widgets/Control.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/PicturesReady.h"
#include "tests/support/SlowPictures.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace slow_pictures;

namespace {

constexpr int Frame = 48;

// A control that draws pictures at their places in a content moved up by `Offset`, on white,
// those inside the part painted only, as a note does, and counts its paints; `Extra` runs inside
// each paint after the pictures.
class TPictureWall : public TCustomControl {
public:
    struct TPlaced {
        std::unique_ptr<TMetafile> Picture;
        TRect Place;
    };
    std::vector<TPlaced> Pictures;
    int Offset = 0;
    int Paints = 0;
    std::function<void()> Extra;

    void Add(const std::string& bytes, const TRect& place) {
        auto picture = std::make_unique<TMetafile>();
        picture->LoadFromBytes(bytes);
        Pictures.push_back({std::move(picture), place});
    }
    // Moves the content up by `dy` as a scroller does: the pixels move, the strip they uncover
    // is painted at once.
    void ScrollBy(int dy) {
        Offset += dy;
        ScrollWindowEx(0, -dy, nullptr);
        Update();
    }
    QImage Shot() { return grab().toImage().convertToFormat(QImage::Format_RGB32); }

protected:
    void Paint() override {
        ++Paints;
        Canvas().Brush().SetColor(clWhite);
        Canvas().FillRect(ClientRect());
        for (const TPlaced& placed : Pictures) {
            TRect r = placed.Place;
            OffsetRect(r, 0, -Offset);
            TRect painted;
            if (IntersectRect(painted, r, Canvas().ClipRect())) {
                Canvas().StretchDraw(r, *placed.Picture);
            }
        }
        if (Extra) {
            Extra();
        }
    }
};

void Serve(qint64 millis) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < millis) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

uint32_t Colour(int i) {
    return 0x00A000 | static_cast<uint32_t>(i * 29 % 256) << 16 | 0x30;
}

// The middle pixel of the picture placed at `place` in the content, on `shot`, as 0xRRGGBB.
uint32_t MiddleOf(const QImage& shot, const TRect& place, int offset) {
    return shot.pixel((place.Left + place.Right) / 2, (place.Top + place.Bottom) / 2 - offset) &
           0xFFFFFF;
}

} // namespace

// The first paint draws frames and waits for no picture, the small quick one among the large
// slow-ish ones included; the window is painted again by itself as they become ready, until every
// picture is drawn, and then no more.
TEST(ControlPictures, AFirstPaintDrawsFramesAndTheWindowIsPaintedAgainAsPicturesBecomeReady) {
    const int bitmaps = BitmapsTaking(150, Frame);
    TPictureWall wall;
    wall.resize(300, 200);
    std::vector<uint32_t> firstPaint;
    const TRect small = Rect(10, 10, 10 + Frame, 10 + Frame);
    for (int i = 0; i < 8; ++i) {
        // 3,000 x 1,500 pixels, 18 MB, beside the small one.
        wall.Add(SlowishWmf(Colour(i), bitmaps, Frame), Rect(100, 0, 3100, 1500));
    }
    wall.Add(SlowishWmf(Colour(8), 1, Frame), small);
    wall.Extra = [&] {
        if (wall.Paints == 1) {
            firstPaint.push_back(DrawnRGB(wall.Canvas().Pixel(34, 34)));
            firstPaint.push_back(DrawnRGB(wall.Canvas().Pixel(10, 10)));
        }
    };
    wall.show();
    ASSERT_TRUE(WaitForPictures());
    // The frame over white, not the picture's colour.
    EXPECT_EQ(firstPaint, (std::vector<uint32_t>{0xFFFFFF, 0x808080}));
    const QImage shot = wall.Shot();
    EXPECT_EQ(MiddleOf(shot, small, 0), Colour(8));
    EXPECT_EQ(shot.pixel(200, 150) & 0xFFFFFF, Colour(7)); // the last drawn over the others
    const int paints = wall.Paints;
    // A paint at most for each picture and each try a busy machine put off, with the first.
    EXPECT_GE(paints, 2);
    EXPECT_LE(paints, 28);
    Serve(500);
    EXPECT_EQ(wall.Paints, paints);
}

// A window whose picture can never be drawn is painted once for it, not again and again: the
// picture is its frame for good. Painted for another reason, it paints once more.
TEST(ControlPictures, AWindowWhosePictureRanOutIsNotPaintedAgainEndlessly) {
    TPictureWall wall;
    wall.resize(100, 100);
    const std::string runaway = hostile_metafile::SlowBitmapsWmf(hostile_metafile::UnseenColour());
    wall.Add(runaway, Rect(0, 0, 100, 100));
    wall.show();
    // A busy machine may stop a try before the picture's time is spent: the window asks again.
    for (int round = 0; round < 6 && !PicturesRefused(runaway); ++round) {
        ASSERT_TRUE(WaitForPictures());
    }
    ASSERT_TRUE(PicturesRefused(runaway));
    ASSERT_TRUE(WaitForPictures());
    const int paints = wall.Paints;
    Serve(500);
    EXPECT_EQ(wall.Paints, paints);
    // Its frame, with the word that says it cannot be drawn, and none of the picture's colour.
    const QImage shot = wall.Shot();
    EXPECT_EQ(shot.pixel(10, 10) & 0xFFFFFF, 0xFFFFFFu);
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            ASSERT_NE(shot.pixel(x, y) & 0xFFFFFF, hostile_metafile::UnseenColour())
                << x << "," << y;
        }
    }
    wall.Invalidate();
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(wall.Paints, paints + 1);
}

// A window closed while its pictures are prepared: their work is stopped or ends unseen, and
// nothing is told to the window that is gone.
TEST(ControlPictures, AWindowGoneWhileItsPicturesArePreparedIsNeverTouched) {
    const int bitmaps = BitmapsTaking(200, Frame);
    const int dropped = PicturePreparer().Counts().Dropped;
    {
        TPictureWall wall;
        wall.resize(10 * Frame, Frame);
        for (int i = 0; i < 10; ++i) {
            wall.Add(SlowishWmf(Colour(i + 40), bitmaps, Frame),
                     Rect(i * Frame, 0, (i + 1) * Frame, Frame));
        }
        wall.show();
        QCoreApplication::processEvents();
        ASSERT_GE(wall.Paints, 1);
        ASSERT_TRUE(PicturePreparer().Busy());
    }
    ASSERT_TRUE(WaitForPictures());
    // Those still queued when it went were taken off unrun.
    EXPECT_GT(PicturePreparer().Counts().Dropped, dropped);
}

// Pictures asked for while a note is scrolled are painted where they moved to, when the content
// moved again before they were ready.
TEST(ControlPictures, PicturesNotReadyArePaintedWhereAScrollMovedThem) {
    const int bitmaps = BitmapsTaking(100, Frame);
    TPictureWall wall;
    constexpr int Pictures = 20;
    wall.resize((Pictures + 1) * Frame, 100);
    // A row out of sight below the window, together more than a paint's second.
    std::vector<TRect> row;
    for (int i = 0; i < Pictures; ++i) {
        row.push_back(Rect(i * Frame, 100, (i + 1) * Frame, 100 + Frame));
        wall.Add(SlowishWmf(Colour(i), bitmaps, Frame), row.back());
    }
    wall.show();
    Serve(300);
    // Scrolled into sight by a strip; the pictures the strip's paint asked for are scrolled
    // further up before the window is painted again.
    wall.ScrollBy(50);
    wall.ScrollBy(30);
    ASSERT_TRUE(WaitForPictures());
    const QImage shot = wall.Shot();
    for (int i = 0; i < Pictures; ++i) {
        EXPECT_EQ(MiddleOf(shot, row[static_cast<size_t>(i)], wall.Offset), Colour(i))
            << "picture " << i;
    }
}

// Two pictures shown together, each made smaller to fit the bound beside the other; a scroll's
// strip then draws part of the first while the second leaves the window. Nothing else paints the
// window: once the strips rest it is painted whole, and the first, alone in view, is made at the
// share it now has, once.
TEST(ControlPictures, APictureAScrollLeftAloneInViewIsMadeAtItsNewShareOnceTheScrollRests) {
    const std::string first = metafile_fixture::Wmf(true, 192);
    const std::string second = metafile_fixture::Wmf(true, 96);
    const TReadyBound bound(TPictureKey({}, 0, 100, 200).Bytes());
    TPictureWall wall;
    wall.resize(100, 150);
    wall.Add(first, Rect(0, -100, 100, 100));
    wall.Add(second, Rect(0, 100, 100, 200));
    wall.show();
    ASSERT_TRUE(WaitForPictures());
    const QByteArray content = TPictureBytes(first).Digest();
    ASSERT_EQ(PicturePreparer().Preparations(content), 1);
    ASSERT_GT(PicturePreparer().Counts().Reduced, 0);
    wall.ScrollBy(-50);
    for (int round = 0;
         round < 3000 && (PicturePreparer().Preparations(content) < 2 || PicturePreparer().Busy());
         ++round) {
        Serve(20);
    }
    EXPECT_EQ(PicturePreparer().Preparations(content), 2);
    QImage image;
    EXPECT_EQ(PicturePreparer().Look({content, 'W', 100, 200}, image),
              TPicturePreparer::TState::Ready);
    // Painted whole again, still: nothing more.
    wall.Invalidate();
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(PicturePreparer().Preparations(content), 2);
}
