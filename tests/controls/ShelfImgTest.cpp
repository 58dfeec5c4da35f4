#include "controls/ShelfImg.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/QtCanvas.h"
#include "tests/support/EncodedImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Encoded(const char* format) {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    return EncodedImage(image, format);
}

// Qt writes no GIF: a one-pixel picture written by hand.
const std::string Gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                      "\x21\xf9\x04\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                      "\x02\x02\x44\x01\x00\x3b",
                      43);

struct Counted {
    TShelfImage picture;
    int changes = 0;
    Counted() {
        picture.OnChange = [this] { ++changes; };
    }
    void Load(const std::string& bytes) {
        std::istringstream in(bytes);
        picture.LoadFromStream(in);
    }
};

} // namespace

TEST(ShelfImage, PictureBytesComeBackExactlyAsRead) {
    for (const auto& [name, bytes] : {std::pair{"BMP", Encoded("BMP")},
                                      std::pair{"JPEG", Encoded("JPG")}, std::pair{"GIF", Gif}}) {
        SCOPED_TRACE(name);
        Counted image;
        image.Load(bytes);
        EXPECT_FALSE(image.picture.Empty());
        EXPECT_EQ(image.changes, 1);
        EXPECT_GT(image.picture.Width(), 0);
        std::ostringstream out;
        image.picture.SaveToStream(out);
        EXPECT_EQ(out.str(), bytes);
        TShelfImage copy;
        copy.Assign(image.picture);
        EXPECT_EQ(copy.SaveToBytes(), bytes);
    }
}

TEST(ShelfImage, BytesThatAreNoPictureLeaveItEmpty) {
    const std::string wmf("\xd7\xcd\xc6\x9a\x00\x00\x00\x00\x00\x00", 10);
    for (const std::string& bytes : {std::string("just some text\n"), wmf, Encoded("PNG")}) {
        Counted image;
        image.Load(Encoded("BMP"));
        try {
            image.Load(bytes);
            ADD_FAILURE() << "no exception";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Could not load image. Invalid format");
        }
        EXPECT_TRUE(image.picture.Empty());
        EXPECT_EQ(image.picture.SaveToBytes(), "");

        TempDir dir;
        WriteFileBytes(dir / "picture.txt", bytes);
        image.Load(Encoded("BMP"));
        EXPECT_NO_THROW(image.picture.LoadFromFile(dir / "picture.txt"));
        EXPECT_TRUE(image.picture.Empty());
    }
}

TEST(ShelfImage, AssignCopiesOnlySideBarPictures) {
    Counted image;
    image.Load(Encoded("BMP"));
    image.changes = 0;
    image.picture.Assign(nullptr);
    EXPECT_TRUE(image.picture.Empty());
    EXPECT_EQ(image.changes, 1);

    image.Load(Encoded("BMP"));
    image.changes = 0;
    TShelfImage empty;
    EXPECT_NO_THROW(image.picture.Assign(empty));
    EXPECT_TRUE(image.picture.Empty());
    EXPECT_EQ(image.changes, 1);

    image.Load(Encoded("BMP"));
    image.changes = 0;
    TBitmap other(4, 4);
    EXPECT_THROW(image.picture.Assign(other), EInvalidGraphic);
    EXPECT_EQ(image.picture.SaveToBytes(), Encoded("BMP"));
    EXPECT_EQ(image.changes, 0);
}

TEST(ShelfImage, DrawsStretchedOverExactlyTheRectangle) {
    Counted image;
    image.Load(Encoded("JPG"));
    QImage target(200, 100, QImage::Format_RGB32);
    target.fill(Qt::white);
    TQtCanvas canvas(&target);
    image.picture.Draw(canvas, Bounds(10, 10, 100, 50));
    for (auto [x, y] : {std::pair{10, 10}, {109, 10}, {10, 59}, {109, 59}}) {
        QColor c = target.pixelColor(x, y);
        EXPECT_TRUE(c.red() > 200 && c.green() < 60) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{9, 10}, {110, 10}, {10, 9}, {10, 60}}) {
        EXPECT_EQ(target.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
    }
}
