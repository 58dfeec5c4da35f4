#include "app/ui/BusyIndicator.h"

#include "tests/support/ShellTestEnv.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage Picture(TBusyIndicator& indicator) {
    QImage image(indicator.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    indicator.render(&image);
    return image;
}

int InkedPixels(const QImage& image) {
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            inked += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    return inked;
}

} // namespace

TEST(BusyIndicator, TurnsOnlyWhileStartedAndRestsOnItsFirstPicture) {
    TBusyIndicator indicator;
    indicator.resize(indicator.sizeHint());
    const QImage resting = Picture(indicator);
    // At rest it is a picture, not an empty box: most of it is drawn.
    EXPECT_GT(InkedPixels(resting), resting.width() * resting.height() / 3);
    EXPECT_FALSE(indicator.Running());

    indicator.Start();
    indicator.Start(); // a second start keeps the one timer
    EXPECT_TRUE(indicator.Running());
    ASSERT_TRUE(WaitUntil([&] { return indicator.Frame() >= 2; }));
    EXPECT_NE(Picture(indicator), resting);

    indicator.Stop();
    EXPECT_FALSE(indicator.Running());
    EXPECT_EQ(indicator.Frame(), 0);
    EXPECT_EQ(Picture(indicator), resting);
    // Stopped, nothing moves on however long the loop runs.
    EXPECT_FALSE(WaitUntil([&] { return indicator.Frame() != 0; }, std::chrono::milliseconds(400)));
}
