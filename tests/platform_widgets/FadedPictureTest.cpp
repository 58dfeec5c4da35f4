#include "platform/widgets/FadedPicture.h"

#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

// A red square on a transparent ground, with a black dot.
static QImage Picture(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(side / 4, side / 4, side / 2, side / 2, QColor(200, 0, 0));
    p.fillRect(side / 2, side / 2, 1, 1, Qt::black);
    return image;
}

TEST(FadedPicture, GreyAThirdOfTheContrastAndTheSameTransparency) {
    const QImage faded = Faded(Picture(16));
    ASSERT_EQ(faded.size(), QSize(16, 16));
    EXPECT_EQ(faded.pixelColor(0, 0).alpha(), 0);
    // Black becomes a light grey, the red its grey lightened the same way.
    EXPECT_EQ(faded.pixelColor(8, 8), QColor(170, 170, 170));
    const int red = 255 - (255 - qGray(qRgb(200, 0, 0))) / 3;
    EXPECT_EQ(faded.pixelColor(5, 5), QColor(red, red, red));
}

TEST(FadedPicture, EverySizeOfTheIconGetsItsFadedPicture) {
    EXPECT_TRUE(WithFadedDisabled(QIcon()).isNull());
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(Picture(32)));
    icon.addPixmap(QPixmap::fromImage(Picture(16)));
    const QIcon shown = WithFadedDisabled(icon);
    for (const int side : {16, 24, 32}) {
        SCOPED_TRACE(side);
        const QImage normal = shown.pixmap(side, side, QIcon::Normal).toImage();
        const QImage disabled = shown.pixmap(side, side, QIcon::Disabled).toImage();
        ASSERT_EQ(disabled.size(), normal.size());
        EXPECT_EQ(disabled, Faded(normal).convertToFormat(disabled.format()));
    }
}
