#include "Surface.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

std::string U16(uint32_t v) {
    std::string s;
    WriteU16(s, v);
    return s;
}

std::string U32(uint32_t v) {
    std::string s;
    WriteU32(s, v);
    return s;
}

std::string InfoHeader(int32_t width, int32_t height, int bits, uint32_t compression,
                       uint32_t colorsUsed, uint32_t imageSize = 0) {
    return U32(40) + U32(static_cast<uint32_t>(width)) + U32(static_cast<uint32_t>(height)) +
           U16(1) + U16(static_cast<uint32_t>(bits)) + U32(compression) + U32(imageSize) + U32(0) +
           U32(0) + U32(colorsUsed) + U32(0);
}

std::string FileHeader(size_t total, uint32_t offBits) {
    return "BM" + U32(static_cast<uint32_t>(total)) + U32(0) + U32(offBits);
}

// Black, red, green, blue, as blue-green-red-zero quads.
const std::string Palette4 = std::string("\0\0\0\0", 4) + std::string("\0\0\xff\0", 4) +
                             std::string("\0\xff\0\0", 4) + std::string("\xff\0\0\0", 4);

// 3 x 2, 8 bits per pixel: top row blue, black, red; bottom row red, green, blue.
std::string EightBitBmp() {
    std::string bits = std::string("\x01\x02\x03\x00", 4) + std::string("\x03\x00\x01\x00", 4);
    std::string dib = InfoHeader(3, 2, 8, 0, 4) + Palette4;
    return FileHeader(14 + dib.size() + bits.size(), static_cast<uint32_t>(14 + dib.size())) + dib +
           bits;
}

// 2 x 2, 24 bits: top row white, grey; bottom row red, blue (rows padded to 8 bytes).
std::string TwentyFourBitBmp(bool topDown = false) {
    std::string bottom = std::string("\x00\x00\xff\xff\x00\x00\x00\x00", 8);
    std::string top = std::string("\xff\xff\xff\x80\x80\x80\x00\x00", 8);
    std::string dib = InfoHeader(2, topDown ? -2 : 2, 24, 0, 0, 16);
    return FileHeader(14 + 40 + 16, 54) + dib + (topDown ? top + bottom : bottom + top);
}

} // namespace

TEST(Bitmap, EightBitFileLoadsDrawsAndSavesBackIdentical) {
    std::string file = EightBitBmp();
    TBitmap bitmap;
    bitmap.LoadFromBytes(file);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    const QRgb rows[2][3] = {{qRgb(0, 0, 255), qRgb(0, 0, 0), qRgb(255, 0, 0)},
                             {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(bitmap.Image().pixel(x, y), rows[y][x]) << x << "," << y;
        }
    }
    EXPECT_EQ(bitmap.SaveToBytes(), file);

    // Stretched to twice its size on a real canvas.
    Surface surface(10, 10);
    surface.Canvas.StretchDraw(Rect(2, 2, 8, 6), bitmap);
    EXPECT_EQ(surface.Pixel(2, 2), qRgb(0, 0, 255));
    EXPECT_EQ(surface.Pixel(7, 5), qRgb(0, 0, 255));
    EXPECT_EQ(surface.Pixel(4, 4), qRgb(0, 255, 0));
    EXPECT_EQ(surface.Pixel(8, 6), qRgb(255, 255, 255));
    surface.Canvas.Draw(0, 7, bitmap);
    EXPECT_EQ(surface.Pixel(2, 7), qRgb(255, 0, 0));

    // Touching the pixels writes a fresh file with the same picture.
    bitmap.Canvas().SetPixel(1, 0, clWhite);
    std::string rewritten = bitmap.SaveToBytes();
    EXPECT_NE(rewritten, file);
    TBitmap again;
    again.LoadFromBytes(rewritten);
    EXPECT_EQ(again.Image().pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(again.Image().pixel(2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(again.SaveToBytes(), rewritten);
}

TEST(Bitmap, TwentyFourBitFilesBothRowOrders) {
    for (bool topDown : {false, true}) {
        std::string file = TwentyFourBitBmp(topDown);
        TBitmap bitmap;
        bitmap.LoadFromBytes(file);
        EXPECT_EQ(bitmap.Image().pixel(0, 0), qRgb(255, 255, 255));
        EXPECT_EQ(bitmap.Image().pixel(1, 0), qRgb(128, 128, 128));
        EXPECT_EQ(bitmap.Image().pixel(0, 1), qRgb(255, 0, 0));
        EXPECT_EQ(bitmap.Image().pixel(1, 1), qRgb(0, 0, 255));
        EXPECT_EQ(bitmap.SaveToBytes(), file);
    }
    // Our own writer produces exactly the bottom-up file.
    TBitmap made;
    made.LoadFromBytes(TwentyFourBitBmp(true));
    made.SetSize(2, 2);
    made.Canvas();
    EXPECT_EQ(made.SaveToBytes(), TwentyFourBitBmp(false));
}

TEST(Bitmap, RunLengthAndFourBitFiles) {
    // 4 x 2 RLE8: bottom row a run of four reds; top row green, green, blue, blue written
    // as an absolute run.
    std::string bits = std::string("\x04\x01\x00\x00\x00\x04\x02\x02\x03\x03\x00\x01", 12);
    std::string dib = InfoHeader(4, 2, 8, 1, 4) + Palette4;
    std::string file =
        FileHeader(14 + dib.size() + bits.size(), static_cast<uint32_t>(14 + dib.size())) + dib +
        bits;
    TBitmap rle;
    rle.LoadFromBytes(file);
    EXPECT_EQ(rle.Image().pixel(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(rle.Image().pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(rle.Image().pixel(3, 0), qRgb(0, 0, 255));
    EXPECT_EQ(rle.SaveToBytes(), file);

    // 3 x 1 at 4 bits: indexes 1, 2, 3.
    std::string four = InfoHeader(3, 1, 4, 0, 4) + Palette4 + std::string("\x12\x30\x00\x00", 4);
    QImage image;
    std::string error;
    ASSERT_TRUE(DecodeDib(four, image, error)) << error;
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));

    // A bit offset of 0 (as some writers leave it) reads the bits after the palette.
    std::string zeroOffset = EightBitBmp();
    zeroOffset.replace(10, 4, U32(0));
    TBitmap mended;
    mended.LoadFromBytes(zeroOffset);
    EXPECT_EQ(mended.Image().pixel(2, 0), qRgb(255, 0, 0));
}

TEST(Bitmap, MalformedFilesAreRefusedAndChangeNothing) {
    TBitmap bitmap;
    bitmap.LoadFromBytes(TwentyFourBitBmp());
    std::string good = EightBitBmp();
    for (size_t n = 1; n < good.size() - 1; ++n) {
        EXPECT_THROW(bitmap.LoadFromBytes(good.substr(0, n)), EInvalidGraphic) << n;
    }
    std::string huge = InfoHeader(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, 0);
    std::string negative = InfoHeader(-3, 2, 24, 0, 0);
    std::string oddBits = InfoHeader(3, 2, 7, 0, 0);
    std::string jpegInside = InfoHeader(3, 2, 24, 4, 0);
    std::string topDownRle = InfoHeader(4, -2, 8, 1, 4) + Palette4 + std::string("\x00\x01", 2);
    std::string manyColors = InfoHeader(1, 1, 24, 0, 0x7FFFFFFF);
    for (const std::string& dib : {huge, negative, oddBits, jpegInside, topDownRle, manyColors}) {
        std::string file = FileHeader(14 + dib.size() + 64, 0) + dib + std::string(64, '\0');
        try {
            bitmap.LoadFromBytes(file);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Bitmap image is not valid", 0), 0u) << e.what();
        }
    }
    // A run-length picture that runs off the end of its data.
    std::string cut =
        InfoHeader(4, 2, 8, 1, 4) + Palette4 + std::string("\x04\x01\x00\x00\x00\x05\x01", 7);
    EXPECT_THROW(bitmap.LoadFromBytes(FileHeader(200, 0) + cut), EInvalidGraphic);
    EXPECT_THROW(bitmap.LoadFromBytes("GIF89a"), EInvalidGraphic);
    EXPECT_EQ(bitmap.SaveToBytes(), TwentyFourBitBmp());
}

TEST(Bitmap, SizeCanvasTransparencyAndAssign) {
    TBitmap bitmap(4, 3);
    int changes = 0;
    bitmap.OnChange = [&] { ++changes; };
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 2, 3));
    bitmap.SetSize(6, 3);
    // The same canvas draws on the resized pixels.
    canvas.FillRect(Rect(5, 0, 6, 1));
    EXPECT_EQ(bitmap.Image().pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(bitmap.Image().pixel(4, 1), qRgb(255, 255, 255));
    EXPECT_EQ(bitmap.Image().pixel(5, 0), qRgb(255, 0, 0));
    EXPECT_GT(changes, 0);

    // Transparent drawing leaves out the colour of the bottom-left pixel.
    bitmap.SetTransparent(true);
    EXPECT_EQ(bitmap.TransparentColor(), clRed);
    Surface surface(6, 3, qRgb(0, 0, 0));
    surface.Canvas.Draw(0, 0, bitmap);
    EXPECT_EQ(surface.Pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(surface.Pixel(3, 0), qRgb(255, 255, 255));

    TBitmap copy;
    EXPECT_TRUE(copy.Assign(bitmap));
    EXPECT_EQ(copy.Image(), bitmap.Image());
    EXPECT_TRUE(copy.Transparent());
    EXPECT_TRUE(TBitmap().Empty());
    EXPECT_EQ(TBitmap().SaveToBytes(), "");
}

TEST(JPEGImage, FileLoadsDrawsAndSavesBackIdentical) {
    std::string file = ReadFileBytes(FixturePath("graphics/gradient.jpg"));
    ASSERT_FALSE(file.empty());
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(file);
    EXPECT_EQ(jpeg.Width(), 24);
    EXPECT_EQ(jpeg.Height(), 16);
    EXPECT_EQ(jpeg.SaveToBytes(), file);
    EXPECT_EQ(jpeg.Clone()->SaveToBytes(), file);
    // The white square in the middle survives compression closely.
    QRgb centre = jpeg.Image().pixel(12, 8);
    EXPECT_GT(qRed(centre), 230);
    EXPECT_GT(qBlue(centre), 230);

    Surface surface(48, 32, qRgb(0, 0, 0));
    surface.Canvas.StretchDraw(Rect(0, 0, 48, 32), jpeg);
    EXPECT_GT(qGray(surface.Pixel(24, 16)), 220);
    EXPECT_LT(qGreen(surface.Pixel(1, 1)), 60);

    TFakeCanvas fake;
    fake.Draw(3, 4, jpeg);
    ASSERT_EQ(fake.CallsOf("DrawImage").size(), 1u);
    EXPECT_EQ(fake.CallsOf("DrawImage")[0].Rect, Rect(3, 4, 27, 20));
}

TEST(JPEGImage, BitmapsCompressAtQualityNinety) {
    TBitmap bitmap(16, 16);
    bitmap.Canvas().Brush().SetColor(clNavy);
    bitmap.Canvas().FillRect(Rect(0, 0, 8, 16));
    TJPEGImage jpeg;
    ASSERT_TRUE(jpeg.Assign(bitmap));
    std::string bytes = jpeg.SaveToBytes();
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 2), "\xff\xd8");
    // The first luminance quantizer of quality 90 is 16 * 20 / 100, rounded: 3.
    size_t dqt = bytes.find("\xff\xdb");
    ASSERT_NE(dqt, std::string::npos);
    EXPECT_EQ(static_cast<unsigned char>(bytes[dqt + 5]), 3);
    EXPECT_LT(qRed(jpeg.Image().pixel(2, 8)), 20);
    EXPECT_GT(qBlue(jpeg.Image().pixel(2, 8)), 100);
    EXPECT_GT(qGray(jpeg.Image().pixel(13, 8)), 240);
    TJPEGImage reread;
    reread.LoadFromBytes(bytes);
    EXPECT_EQ(reread.Image(), jpeg.Image());
}

TEST(JPEGImage, GarbageIsRefused) {
    std::string file = ReadFileBytes(FixturePath("graphics/gradient.jpg"));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(file);
    for (const std::string& bad :
         {std::string("\xff\xd8\xff", 3), std::string("not a jpeg"), file.substr(0, 20),
          std::string("\xff\xd8") + std::string(50, '\xee')}) {
        EXPECT_THROW(jpeg.LoadFromBytes(bad), EInvalidGraphic);
    }
    EXPECT_EQ(jpeg.SaveToBytes(), file);
}

TEST(Icon, MaskedIconKeepsItsFileAndTransparency) {
    // One 2 x 2 image at 24 bits: colours red, green / blue, white (top row first), and a
    // mask that makes the top-left pixel transparent.
    std::string xorBits = std::string("\xff\x00\x00\xff\xff\xff\x00\x00", 8) +
                          std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8);
    std::string andBits = std::string("\x00\x00\x00\x00", 4) + std::string("\x80\x00\x00\x00", 4);
    std::string image = InfoHeader(2, 4, 24, 0, 0) + xorBits + andBits;
    std::string file = U16(0) + U16(1) + U16(1) + std::string("\x02\x02\x00\x00", 4) + U16(1) +
                       U16(24) + U32(static_cast<uint32_t>(image.size())) + U32(22) + image;
    TIcon icon;
    icon.LoadFromBytes(file);
    EXPECT_EQ(icon.Width(), 2);
    EXPECT_EQ(icon.Height(), 2);
    EXPECT_EQ(qAlpha(icon.Image().pixel(0, 0)), 0);
    EXPECT_EQ(icon.Image().pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(icon.Image().pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(icon.SaveToBytes(), file);

    Surface surface(2, 2, qRgb(7, 7, 7));
    surface.Canvas.Draw(0, 0, icon);
    EXPECT_EQ(surface.Pixel(0, 0), qRgb(7, 7, 7));
    EXPECT_EQ(surface.Pixel(1, 1), qRgb(255, 255, 255));

    // An icon made from pixels writes an icon file that reads back the same.
    TIcon made;
    made.SetImage(icon.Image());
    TIcon reread;
    reread.LoadFromBytes(made.SaveToBytes());
    EXPECT_EQ(reread.Image(), icon.Image());

    std::string badOffset = file;
    badOffset.replace(18, 4, U32(5000));
    for (const std::string& bad : {file.substr(0, 10), U16(0) + U16(1) + U16(0), badOffset,
                                   std::string("\x00\x00\x02\x00\x01\x00", 6)}) {
        EXPECT_THROW(icon.LoadFromBytes(bad), EInvalidGraphic);
    }
    EXPECT_EQ(icon.SaveToBytes(), file);
}

TEST(Metafile, SizeFromTheHeaderBytesKeptDrawnAsAFrame) {
    // Placeable: a 1440 x 720 frame at 1440 units per inch is one inch by half an inch. The
    // metafile header and its end record follow.
    std::string placeable = U32(0x9AC6CDD7) + U16(0) + U16(0) + U16(0) + U16(1440) + U16(720) +
                            U16(1440) + U32(0) + U16(0) + std::string("\x01\x00\x09\x00", 4) +
                            U16(0x300) + U32(12) + U16(0) + U32(3) + U16(0) + U32(3) + U16(0);
    TMetafile wmf;
    wmf.LoadFromBytes(placeable);
    EXPECT_FALSE(wmf.Enhanced());
    EXPECT_EQ(wmf.Width(), 96);
    EXPECT_EQ(wmf.Height(), 48);
    EXPECT_EQ(wmf.Inch(), 1440);
    EXPECT_EQ(wmf.HeaderSize(), 22);
    EXPECT_EQ(wmf.SaveToBytes(), placeable);

    std::string emf = U32(1) + U32(88) + std::string(16, '\0') + U32(0) + U32(0) + U32(2540) +
                      U32(1270) + U32(0x464D4520) + std::string(44, '\0');
    TMetafile enhanced;
    enhanced.LoadFromBytes(emf);
    EXPECT_TRUE(enhanced.Enhanced());
    EXPECT_EQ(enhanced.MMWidth(), 2540);
    EXPECT_EQ(enhanced.Width(), 96);
    EXPECT_EQ(enhanced.Height(), 48);
    EXPECT_EQ(enhanced.SaveToBytes(), emf);

    TFakeCanvas canvas;
    canvas.Brush().SetColor(clYellow);
    canvas.StretchDraw(Rect(1, 2, 30, 40), enhanced);
    ASSERT_EQ(canvas.Calls().size(), 1u);
    EXPECT_EQ(canvas.Calls()[0].Op, "FrameRect");
    EXPECT_EQ(canvas.Calls()[0].Rect, Rect(1, 2, 30, 40));
    EXPECT_EQ(canvas.Brush().Color(), clYellow);

    std::string badSize = emf;
    badSize.replace(4, 4, U32(5000));
    for (const std::string& bad :
         {std::string("\x01\x00\x09\x00", 4), placeable.substr(0, 21), badSize}) {
        EXPECT_THROW(wmf.LoadFromBytes(bad), EInvalidGraphic);
    }
    EXPECT_EQ(wmf.SaveToBytes(), placeable);
    // A frame without units per inch is given the default and kept as it came.
    const std::string noInch = placeable.substr(0, 14) + U16(0) + placeable.substr(16);
    wmf.LoadFromBytes(noInch);
    EXPECT_EQ(wmf.Inch(), 1440);
    EXPECT_EQ(wmf.Width(), 96);
    EXPECT_EQ(wmf.SaveToBytes(), noInch);
}

TEST(Graphic, FactoryFilesAndClone) {
    for (const char* name : {"TBitmap", "TJPEGImage", "TIcon", "TMetafile"}) {
        auto graphic = CreateGraphic(name);
        ASSERT_TRUE(graphic) << name;
        EXPECT_EQ(graphic->ClassName(), name);
        EXPECT_TRUE(graphic->Empty());
    }
    EXPECT_EQ(CreateGraphic("TPNGObject"), nullptr);
    EXPECT_EQ(GraphicClassForExtension(".JPG"), "TJPEGImage");
    EXPECT_EQ(GraphicClassForExtension("jpeg"), "TJPEGImage");
    EXPECT_EQ(GraphicClassForExtension("bmp"), "TBitmap");
    EXPECT_EQ(GraphicClassForExtension(".emf"), "TMetafile");
    EXPECT_EQ(GraphicClassForExtension("png"), "");

    TempDir dir;
    TBitmap bitmap;
    bitmap.LoadFromBytes(EightBitBmp());
    bitmap.SaveToFile(dir / "a.bmp");
    EXPECT_EQ(ReadFileBytes(dir / "a.bmp"), EightBitBmp());
    auto loaded = CreateGraphic(GraphicClassForExtension("bmp"));
    loaded->LoadFromFile(dir / "a.bmp");
    EXPECT_EQ(loaded->Width(), 3);
    EXPECT_THROW(loaded->LoadFromFile(dir / "missing.bmp"), EStreamError);
    EXPECT_EQ(loaded->Clone()->SaveToBytes(), EightBitBmp());
    TMetafile metafile;
    EXPECT_FALSE(metafile.Assign(bitmap));
}

TEST(ImageList, StripsMasksAndDisabledDrawing) {
    // A 32 x 16 strip: two 16 x 16 images, the left red, the right green, with a
    // fuchsia corner left out.
    TBitmap strip(32, 16);
    strip.Canvas().Brush().SetColor(clRed);
    strip.Canvas().FillRect(Rect(0, 0, 16, 16));
    strip.Canvas().Brush().SetColor(clLime);
    strip.Canvas().FillRect(Rect(16, 0, 32, 16));
    strip.Canvas().Brush().SetColor(clFuchsia);
    strip.Canvas().FillRect(Rect(16, 0, 20, 4));
    TImageList list;
    EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(qAlpha(list.Image(1).pixel(1, 1)), 0);
    EXPECT_EQ(list.Image(1).pixel(8, 8), qRgb(0, 255, 0));

    Surface surface(40, 16, qRgb(0, 0, 0));
    list.Draw(surface.Canvas, 0, 0, 1);
    list.Draw(surface.Canvas, 20, 0, 0, false);
    list.Draw(surface.Canvas, 0, 0, 2);
    list.Draw(surface.Canvas, 0, 0, -1);
    EXPECT_EQ(surface.Pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(surface.Pixel(8, 8), qRgb(0, 255, 0));
    QRgb greyed = surface.Pixel(28, 8);
    EXPECT_EQ(qRed(greyed), qGreen(greyed));
    EXPECT_GT(qRed(greyed), 127);
    list.SetSize(8, 8);
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageList, BlendedDrawingMixesHalfWithTheColour) {
    TBitmap red(16, 16);
    red.Canvas().Brush().SetColor(clRed);
    red.Canvas().FillRect(Rect(0, 0, 16, 16));
    red.Canvas().Brush().SetColor(clFuchsia);
    red.Canvas().FillRect(Rect(0, 0, 4, 4));
    TImageList list;
    list.AddMasked(red, clFuchsia);
    Surface surface(16, 16, qRgb(0, 0, 0));
    list.DrawBlended(surface.Canvas, 0, 0, 0, clBlue);
    list.DrawBlended(surface.Canvas, 0, 0, 5, clBlue);
    EXPECT_EQ(surface.Pixel(8, 8), qRgb(127, 0, 127));
    // Transparent pixels stay transparent.
    EXPECT_EQ(surface.Pixel(1, 1), qRgb(0, 0, 0));
}

// A bitmap read at every step-th pixel holds exactly those pixels of the bitmap read whole: plain
// bits bottom-up and top-down, and runs with a jump over skipped pixels.
TEST(Bitmap, ABitmapReadAtAStepHoldsEveryStepthPixelOfTheWhole) {
    using namespace hostile_metafile;
    QImage numbered(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < numbered.height(); ++y) {
        for (int x = 0; x < numbered.width(); ++x) {
            numbered.setPixel(x, y, qRgb(x * 7, y * 11, (x + y) * 3));
        }
    }
    std::string topDown = EncodeDib(numbered.mirrored(false, true));
    Patch32(topDown, 8, static_cast<uint32_t>(-numbered.height()));
    // Runs: each row runs of its own colours, row 5 jumps 3 right and 2 up (skipped pixels).
    TDib runs{40, 29, 17, 8, 1, 4, Palette(4), ""};
    for (int row = 0; row < runs.Height; ++row) {
        if (row == 5) {
            runs.Bits += std::string("\x00\x02\x03\x02", 4);
            row += 2;
        }
        for (int x = 0; x < runs.Width; x += 4) {
            runs.Bits += static_cast<char>(std::min(4, runs.Width - x));
            runs.Bits += static_cast<char>((row + x) % 4);
        }
        runs.Bits += std::string("\x00\x00", 2);
    }
    runs.Bits += std::string("\x00\x01", 2);
    for (const std::string& dib :
         {EncodeDib(numbered), topDown, DibHeader(runs) + runs.Palette + runs.Bits}) {
        QImage whole;
        std::string error;
        ASSERT_TRUE(DecodeDib(dib, whole, error, TSkippedPixels::Transparent)) << error;
        for (int step : {2, 3, 5}) {
            QImage stepped;
            ASSERT_TRUE(DecodeDib(dib, stepped, error, TSkippedPixels::Transparent, step));
            ASSERT_EQ(stepped.size(),
                      QSize((whole.width() + step - 1) / step, (whole.height() + step - 1) / step));
            for (int y = 0; y < stepped.height(); ++y) {
                for (int x = 0; x < stepped.width(); ++x) {
                    ASSERT_EQ(stepped.pixel(x, y), whole.pixel(x * step, y * step))
                        << step << ": " << x << "," << y;
                }
            }
        }
    }
}
