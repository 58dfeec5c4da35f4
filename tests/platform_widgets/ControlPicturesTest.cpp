// A window whose paint put off pictures for want of its time paints them again from the event
// loop while its paints get further, never endlessly, and where its pixels moved since.
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureTime.h"
#include "platform/widgets/Control.h"
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

// Pictures too large to keep are drawn straight onto the surface at every paint; together these
// take the whole second, and the small one after them waits. Painting again would do the same
// again: the window paints once.
TEST(ControlPictures, PicturesTooLargeToKeepThatTakeEachPaintsTimeArePaintedOnce) {
    const int bitmaps = BitmapsTaking(300, Frame);
    TPictureWall wall;
    wall.resize(300, 200);
    for (int i = 0; i < 8; ++i) {
        // 3,000 x 1,500 pixels: 18 MB, more than a picture keeps; beside the small one.
        wall.Add(SlowishWmf(Colour(i), bitmaps, Frame), Rect(100, 0, 3100, 1500));
    }
    const TRect small = Rect(10, 10, 10 + Frame, 10 + Frame);
    wall.Add(SlowishWmf(Colour(8), 1, Frame), small);
    wall.show();
    Serve(2500);
    EXPECT_EQ(wall.Paints, 1);
    // It waited indeed: a frame over white, not its colour.
    EXPECT_EQ(MiddleOf(wall.Shot(), small, 0), 0xFFFFFFu);
}

// A paint that kept something and put off a picture is followed by another; one that follows it
// and puts off as many pictures got no further, whatever it kept (a picture shown at two sizes
// keeps each size in turn), and is the last.
TEST(ControlPictures, PaintsThatPutOffNoFewerPicturesEndTheFollowing) {
    TPictureWall wall;
    wall.resize(100, 100);
    wall.Extra = [] {
        TPictureShowing::Kept();
        TPictureShowing::PutOff();
    };
    wall.show();
    Serve(1500);
    EXPECT_EQ(wall.Paints, 2);
    // Painted for another reason, the window follows up once more.
    wall.Invalidate();
    Serve(1500);
    EXPECT_EQ(wall.Paints, 4);
}

// Pictures put off while a note is scrolled are painted where they moved to, when the content
// moved again before the event loop came round.
TEST(ControlPictures, PutOffPicturesArePaintedWhereAScrollMovedThem) {
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
    // Scrolled into sight by a strip; the pictures the strip's paint put off are scrolled further
    // up before the window is painted again.
    wall.ScrollBy(50);
    wall.ScrollBy(30);
    Serve(6000);
    const QImage shot = wall.Shot();
    for (int i = 0; i < Pictures; ++i) {
        EXPECT_EQ(MiddleOf(shot, row[static_cast<size_t>(i)], wall.Offset), Colour(i))
            << "picture " << i;
    }
}
