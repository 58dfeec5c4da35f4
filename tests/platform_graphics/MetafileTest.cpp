#include "Surface.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureShowing.h"
#include "tests/support/HeapPeak.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/PicturesReady.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <random>

using namespace metafile_fixture;

namespace {

struct TCase {
    const char* Name;
    std::string Bytes;
};

std::vector<TCase> Fixtures() {
    return {{"placeable WMF", Wmf(true)},
            {"WMF", Wmf(false)},
            {"EMF", Emf()},
            // The frame in hundredths of a millimetre, as RTF documents give it.
            {"placeable WMF framed in millimetres", Wmf(true, 2540, 5292, 2646)}};
}

void ExpectDrawn(const QImage& image, TDrawn d, const std::string& what) {
    EXPECT_TRUE(IsRed(RectPixel(image, d))) << what << std::hex << RectPixel(image, d);
    EXPECT_TRUE(IsBlue(LinePixel(image, d))) << what << std::hex << LinePixel(image, d);
    EXPECT_EQ(EmptyPixel(image, d), qRgb(255, 255, 255)) << what;
}

void ExpectRefused(const std::string& bytes, const std::string& what) {
    TMetafile metafile;
    metafile.LoadFromBytes(Wmf(true));
    try {
        metafile.LoadFromBytes(bytes);
        ADD_FAILURE() << what << ": loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Could not load image. Invalid format") << what;
    }
    EXPECT_EQ(metafile.SaveToBytes(), Wmf(true)) << what;
}

std::string Cut(const std::string& s, size_t from, size_t count, const std::string& with) {
    std::string out = s;
    out.replace(from, count, with);
    return out;
}

std::string U32(uint32_t v) {
    std::string s;
    WriteU32(s, v);
    return s;
}

} // namespace

TEST(MetafilePlayback, FixturesDrawTheirShapesScaledIntoTheRectangle) {
    for (const TCase& c : Fixtures()) {
        TMetafile metafile;
        metafile.LoadFromBytes(c.Bytes);
        metafile.SetInch(96); // the bare metafile's 200 units: 200 pixels
        // At its own size into a bitmap, and stretched to another shape.
        TBitmap bitmap(metafile.Width() + 20, metafile.Height() + 20);
        bitmap.Canvas().Brush().SetColor(clWhite);
        bitmap.Canvas().FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
        bitmap.Canvas().Draw(10, 10, metafile);
        ExpectDrawn(bitmap.Image(), {10, 10, metafile.Width(), metafile.Height()}, c.Name);

        Surface wide(500, 130);
        wide.Canvas.StretchDraw(Rect(20, 15, 420, 115), metafile);
        ExpectDrawn(wide.Image, {20, 15, 400, 100}, c.Name);
        // Nothing outside the rectangle.
        EXPECT_EQ(wide.Pixel(10, 10), qRgb(255, 255, 255)) << c.Name;
        EXPECT_EQ(wide.Pixel(450, 120), qRgb(255, 255, 255)) << c.Name;
    }
}

TEST(MetafilePlayback, PrinterCanvasDrawsAtItsResolution) {
    for (const TCase& c : Fixtures()) {
        TMetafile metafile;
        metafile.LoadFromBytes(c.Bytes);
        // A 300-dpi surface, as a printer page is.
        QImage page(1000, 600, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        {
            TQtCanvas canvas(&painter, TSize{1000, 600}, 300, 300);
            canvas.StretchDraw(Rect(100, 100, 900, 500), metafile);
        }
        painter.end();
        ExpectDrawn(page, {100, 100, 800, 400}, c.Name);
    }
}

TEST(MetafilePlayback, LargeDrawingsArePlayedStraightOntoTheSurface) {
    // 3000 x 2000 pixels would make a kept bitmap of 24 MB: the drawing goes onto the
    // surface instead, the same shapes in the same places.
    TMetafile metafile;
    metafile.LoadFromBytes(Emf());
    Surface s(3100, 2100);
    s.Canvas.StretchDraw(Rect(50, 50, 3050, 2050), metafile);
    ExpectDrawn(s.Image, {50, 50, 3000, 2000}, "large");
    EXPECT_EQ(s.Pixel(20, 20), qRgb(255, 255, 255));
}

TEST(MetafilePlayback, SizesFramesAndUnitsPerInch) {
    TMetafile placeable;
    placeable.LoadFromBytes(Wmf(true, 192));
    EXPECT_EQ(placeable.Width(), 100);
    EXPECT_EQ(placeable.Height(), 50);
    EXPECT_EQ(placeable.Inch(), 192);
    placeable.SetInch(1440); // a placeable metafile keeps its own
    EXPECT_EQ(placeable.Inch(), 192);
    EXPECT_EQ(placeable.Width(), 100);

    // Without a placeable header the window extent is the frame, 1440 units per inch until
    // told otherwise.
    TMetafile bare;
    bare.LoadFromBytes(Wmf(false));
    EXPECT_FALSE(bare.Enhanced());
    EXPECT_EQ(bare.Inch(), 0);
    EXPECT_EQ(bare.HeaderSize(), 18);
    EXPECT_EQ(bare.Width(), 13); // 200 / 1440 inch
    EXPECT_EQ(bare.Height(), 7);
    int changes = 0;
    bare.OnChange = [&] { ++changes; };
    bare.SetInch(1440);
    EXPECT_EQ(bare.Inch(), 1440);
    EXPECT_EQ(changes, 1);
    bare.SetInch(96);
    EXPECT_EQ(bare.Width(), 200);
    EXPECT_EQ(bare.Height(), 100);
    EXPECT_EQ(bare.SaveToBytes(), Wmf(false));

    TMetafile enhanced;
    enhanced.LoadFromBytes(Emf());
    EXPECT_TRUE(enhanced.Enhanced());
    EXPECT_EQ(enhanced.Width(), 200);
    EXPECT_EQ(enhanced.Height(), 100);
    EXPECT_EQ(enhanced.Inch(), 0);
    enhanced.SetInch(1440);
    EXPECT_EQ(enhanced.Inch(), 1440);
    EXPECT_EQ(enhanced.Width(), 200); // its frame is in millimetres
    EXPECT_EQ(enhanced.SaveToBytes(), Emf());

    // A copy draws the same picture.
    auto copy = enhanced.Clone();
    Surface s(200, 100);
    s.Canvas.Draw(0, 0, *copy);
    ExpectDrawn(s.Image, {0, 0, 200, 100}, "copy");
}

TEST(MetafilePlayback, RepaintsDrawTheKeptBitmap) {
    // The fake canvas records the bitmap drawn: painting again draws the same pixels, and a
    // new size gives a bitmap of that size.
    TMetafile metafile;
    metafile.LoadFromBytes(Emf());
    TFakeCanvas canvas;
    canvas.StretchDraw(Rect(0, 0, 200, 100), metafile);
    canvas.StretchDraw(Rect(5, 5, 205, 105), metafile);
    canvas.StretchDraw(Rect(0, 0, 100, 50), metafile);
    ASSERT_EQ(canvas.Calls().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(canvas.Calls()[i].Op, "DrawImage");
    }
    EXPECT_EQ(canvas.Calls()[1].Rect, Rect(5, 5, 205, 105));
    EXPECT_EQ(canvas.Calls()[2].Size, (TSize{100, 50}));
}

// Shown 2000 x 1000 pixels large (8 MB of them) in a view where the bound of ready images leaves
// it 1 MB, a metafile is played or converted at the size that fits, not at its size and shrunk
// after: nothing near 8 MB is held at once. It is drawn stretched over its place.
TEST(MetafilePlayback, APictureShownLargerThanTheBoundAllowsIsDrawnAtTheSizeThatFits) {
    for (const TCase& c : Fixtures()) {
        const TReadyBound bound(uint64_t{1} << 20);
        TMetafile metafile;
        metafile.LoadFromBytes(c.Bytes);
        TPictureViewer viewer([] {});
        Surface s(2000, 1000);
        const THeapPeak peak;
        for (int waiting : {1, 0}) {
            {
                const TPictureShowing showing(viewer, true);
                s.Canvas.StretchDraw(Rect(0, 0, 2000, 1000), metafile);
                EXPECT_EQ(showing.PicturesWaiting(), waiting) << c.Name;
            }
            ASSERT_TRUE(WaitForPictures()) << c.Name;
        }
        if (peak.Counting()) {
            EXPECT_LT(peak.GrowthMb(), 5) << c.Name;
        }
        EXPECT_LE(PicturePreparer().ReadyBytes(), uint64_t{1} << 20) << c.Name;
        EXPECT_GE(PicturePreparer().ReadyBytes(), uint64_t{9} << 16) << c.Name;
        ExpectDrawn(s.Image, {0, 0, 2000, 1000}, c.Name);
    }
}

TEST(MetafileHostileInput, DamagedFilesAreRefusedCleanly) {
    const std::string wmf = Wmf(true);
    const std::string bare = Wmf(false);
    const std::string emf = Emf();
    // The first record of the bare metafile starts after its 18-byte header.
    const std::vector<TCase> damaged = {
        {"empty header", std::string("\x01\x00\x09\x00", 4)},
        {"placeable cut in its header", wmf.substr(0, 21)},
        {"cut inside the metafile header", wmf.substr(0, 30)},
        {"cut inside a record", bare.substr(0, 18 + 7)},
        {"record longer than the file", Cut(bare, 18, 4, U32(0x7FFFFFF0))},
        {"record shorter than its own head", Cut(bare, 18, 4, U32(1))},
        {"declared size past the end", Cut(bare, 6, 4, U32(100000))},
        {"not a metafile", std::string(200, 'x')},
        {"enhanced header size past the end", Cut(emf, 4, 4, U32(5000))},
        {"enhanced header size too small", Cut(emf, 4, 4, U32(40))},
        {"enhanced record size past the end", Cut(emf, 88 + 4, 4, U32(100000))},
        {"enhanced record size not whole words", Cut(emf, 88 + 4, 4, U32(22))},
        {"enhanced record size zero", Cut(emf, 88 + 4, 4, U32(0))},
        {"enhanced cut inside a record", emf.substr(0, emf.size() - 6)},
        {"enhanced declared size past the end", Cut(emf, 48, 4, U32(1 << 30))},
        {"enhanced description outside the header", Cut(emf, 60, 8, U32(10) + U32(84))},
        {"enhanced frame upside down", Cut(emf, 32, 4, U32(static_cast<uint32_t>(-500)))},
        // 40000 x 40000 pixels: far more than 64 MB to draw.
        {"enhanced frame too large", Cut(emf, 32, 8, U32(1058334) + U32(1058334))},
        {"placeable frame too large",
         Wmf(true, 1).substr(0, 14) + std::string("\x01\x00", 2) + Wmf(true, 1).substr(16)},
    };
    for (const TCase& c : damaged) {
        ExpectRefused(c.Bytes, c.Name);
    }

    // A bitmap record claiming 30000 x 30000 pixels, and one whose pixels are not there.
    auto withBitmap = [&](int32_t width, int32_t height, size_t pixelBytes) {
        std::string dib;
        for (uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) {
            WriteU32(dib, v);
        }
        WriteU16(dib, 1);
        WriteU16(dib, 32);
        for (int i = 0; i < 6; ++i) {
            WriteU32(dib, 0);
        }
        dib += std::string(pixelBytes, '\0');
        // Stretched bits: bounds, destination and source, then where the bitmap lies.
        std::string record;
        WriteU32(record, 81);
        WriteU32(record, static_cast<uint32_t>(80 + dib.size()));
        for (int i = 0; i < 10; ++i) {
            WriteU32(record, 0);
        }
        for (uint32_t v : {80u, 40u, 120u, static_cast<uint32_t>(pixelBytes)}) {
            WriteU32(record, v);
        }
        for (int i = 0; i < 4; ++i) {
            WriteU32(record, 0);
        }
        record += dib;
        std::string out = emf.substr(0, 88) + record + emf.substr(88);
        return Cut(out, 48, 4, U32(static_cast<uint32_t>(out.size())));
    };
    TMetafile fine;
    EXPECT_NO_THROW(fine.LoadFromBytes(withBitmap(2, 2, 16)));
    ExpectRefused(withBitmap(30000, 30000, 16), "bitmap too large");
    ExpectRefused(withBitmap(200, 200, 16), "bitmap pixels missing");
}

TEST(MetafileHostileInput, CutAndFlippedBytesNeverCrashThePlayers) {
    // Every cut of the fixtures and bytes changed at random: each is refused or drawn, and
    // drawing never reads outside what was loaded (the sanitizers watch).
    std::mt19937 random(46);
    for (const TCase& c : Fixtures()) {
        std::vector<std::string> variants;
        for (size_t n = 0; n < c.Bytes.size(); n += 3) {
            variants.push_back(c.Bytes.substr(0, n));
        }
        for (int i = 0; i < 150; ++i) {
            std::string bytes = c.Bytes;
            for (int k = 0; k < 3; ++k) {
                bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
            }
            variants.push_back(bytes);
        }
        int drawn = 0;
        for (const std::string& bytes : variants) {
            TMetafile metafile;
            try {
                metafile.LoadFromBytes(bytes);
            } catch (const EInvalidGraphic& e) {
                EXPECT_STREQ(e.what(), "Could not load image. Invalid format");
                continue;
            }
            Surface s(64, 64);
            s.Canvas.StretchDraw(Rect(0, 0, 64, 64), metafile);
            ++drawn;
        }
        EXPECT_GT(drawn, 0) << c.Name;
    }
}
