// Bitmaps inside metafile records and the enhanced header's description: what the players size
// their work by is checked before they are given the bytes. Run-length bitmaps are drawn with
// the pixels their runs skip over left as the page was, by our player and through the
// converter.
#include "Surface.h"

#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/EmfBitmapRecords.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileBitmaps.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/WmfPlayer.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/PictureFuzz.h"
#include "tests/support/SvgDrawing.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <climits>

using namespace hostile_metafile;

namespace {

bool Loads(const std::string& bytes) {
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(bytes);
        return true;
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Could not load image. Invalid format");
        return false;
    }
}

// A bitmap of 2 x 2 pixels with its fields changed by `change`.
TDib Changed(const std::function<void(TDib&)>& change) {
    TDib dib;
    change(dib);
    return dib;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

} // namespace

TEST(MetafileBitmaps, HostileBitmapsAndHeadersAreRefused) {
    for (const THostile& hostile : Hostile()) {
        EXPECT_FALSE(Loads(hostile.Bytes)) << hostile.Name;
    }
}

TEST(MetafileBitmaps, EveryFieldThePlayersTrustIsChecked) {
    const std::pair<const char*, TDib> cases[] = {
        {"+header of 12", Changed([](TDib& d) { d.HeaderSize = 12; })},
        {"+header of 124", Changed([](TDib& d) { d.HeaderSize = 124; })},
        {"-header of 64", Changed([](TDib& d) { d.HeaderSize = 64; })},
        {"+top-down rows", Changed([](TDib& d) { d.Height = -2; })},
        {"-negative width", Changed([](TDib& d) { d.Width = -2; })},
        {"-no height", Changed([](TDib& d) { d.Height = 0; })},
        {"-pixels missing", Changed([](TDib& d) { d.Height = 3; })},
        {"+4096 x 4096, the largest", Changed([](TDib& d) {
             d.Width = d.Height = 4096, d.BitCount = 1, d.Palette = Palette(2);
             d.Bits.resize(1 << 21);
         })},
        {"-4097 x 4096",
         Changed([](TDib& d) { d.Width = 4097, d.Height = 4096, d.Bits.resize(1 << 22); })},
        // Read where the info header keeps it: run-length coding of 8 bits for 24.
        {"-24 bits coded as runs", Changed([](TDib& d) { d.Compression = 1; })},
        {"-an unknown coding", Changed([](TDib& d) { d.Compression = 7; })},
        {"-3 bits a pixel", Changed([](TDib& d) { d.BitCount = 3; })},
        {"+256 colours of 8 bits",
         Changed([](TDib& d) { d.BitCount = 8, d.ColorsUsed = 256, d.Palette = Palette(256); })},
        {"-257 colours of 8 bits",
         Changed([](TDib& d) { d.BitCount = 8, d.ColorsUsed = 257, d.Palette = Palette(257); })},
        {"-all colours of 8 bits, 2 given",
         Changed([](TDib& d) { d.BitCount = 8, d.Palette = Palette(2); })},
        {"-100000 colours, 3 given",
         Changed([](TDib& d) { d.ColorsUsed = 100000, d.Palette = Palette(3); })},
        {"+runs ending with the end mark", Rle8(true)},
        {"-runs from the top down", Changed([](TDib& d) { d = Rle8(true), d.Height = -16; })},
        {"+runs of 4 bits",
         Changed([](TDib& d) { d = Rle8(true), d.BitCount = 4, d.Compression = 2; })},
    };
    for (const auto& [name, dib] : cases) {
        const bool sound = name[0] == '+';
        EXPECT_EQ(Loads(EmfWithBitmap(dib)), sound) << "EMF: " << name;
        EXPECT_EQ(Loads(WmfWithBitmap(dib)), sound) << "WMF: " << name;
    }
    // The header's size field must be one of the format's, and fit in the bytes given it.
    std::string emf = EmfWithBitmap(TDib());
    const size_t record = metafile_fixture::Emf().size() - 20;
    for (uint32_t size : {0u, 16u, 39u, 200u}) {
        Patch32(emf, record + 80, size);
        EXPECT_FALSE(Loads(emf)) << size;
    }
    Patch32(emf, record + 80, 40);
    Patch32(emf, record + 52, 39);
    EXPECT_FALSE(Loads(emf));
}

TEST(MetafileBitmaps, RunLengthDataEndsWithItsMarkWithinTheBitmap) {
    // 4 x 2 pixels: runs, line ends, moves and pixels given one by one (padded to words).
    EXPECT_TRUE(RunLengthFits(Bytes({4, 1, 0, 0, 0, 3, 1, 2, 3, 0, 1, 1, 0, 1}), 4, 2, false));
    EXPECT_TRUE(RunLengthFits(Bytes({0, 2, 4, 2, 0, 1}), 4, 2, false));
    EXPECT_FALSE(RunLengthFits(Bytes({4, 1, 0, 0, 4, 2, 0}), 4, 2, false));    // no end mark
    EXPECT_FALSE(RunLengthFits(Bytes({3, 1, 2, 1, 0, 1}), 4, 2, false));       // past the edge
    EXPECT_FALSE(RunLengthFits(Bytes({0, 0, 0, 0, 1, 1, 0, 1}), 4, 2, false)); // above the top
    EXPECT_FALSE(RunLengthFits(Bytes({0, 2, 0, 3, 0, 1}), 4, 2, false));       // moved past the top
    EXPECT_FALSE(RunLengthFits(Bytes({0, 4, 1, 2, 3}), 4, 2, false));          // pixels cut short
    // 5 pixels of 4 bits given one by one take 3 bytes, padded to 4.
    EXPECT_TRUE(RunLengthFits(Bytes({0, 5, 0x12, 0x34, 0x50, 0, 0, 1}), 5, 1, true));
    EXPECT_FALSE(RunLengthFits(Bytes({0, 5, 0x12, 0x34, 0x50}), 5, 1, true));
}

TEST(MetafileHeader, TheDescriptionLiesInTheHeaderWhateverItsLength) {
    auto described = [](uint32_t chars, uint32_t at) {
        std::string emf = metafile_fixture::Emf();
        Patch32(emf, 60, chars);
        Patch32(emf, 64, at);
        return emf;
    };
    EXPECT_TRUE(Loads(described(0, 0)));
    EXPECT_TRUE(Loads(described(0, 88))); // after the fixed part, empty
    EXPECT_FALSE(Loads(described(0, 89)));
    EXPECT_FALSE(Loads(described(0, 40))); // inside the fixed part
    EXPECT_FALSE(Loads(described(1, 88)));

    // A header of 100 bytes with a description of 6 characters loads and draws.
    std::string emf = metafile_fixture::Emf();
    emf.insert(88, std::string("a\0b\0\0\0c\0\0\0\0\0", 12));
    Patch32(emf, 4, 100);
    Patch32(emf, 48, static_cast<uint32_t>(emf.size()));
    Patch32(emf, 60, 6);
    Patch32(emf, 64, 88);
    TMetafile metafile;
    ASSERT_NO_THROW(metafile.LoadFromBytes(emf));
    Surface s(200, 100);
    s.Canvas.StretchDraw(Rect(0, 0, 200, 100), metafile);
    EXPECT_TRUE(metafile_fixture::IsRed(s.Pixel(50, 40)));
}

TEST(MetafileBitmaps, ImagesInsideAreMeasuredByTheirOwnHeaders) {
    // The bitmap's header says 100 x 100 pixels whatever the image holds; 64 MB of decoded
    // pixels is the most any picture may take.
    const std::pair<const char*, std::string> images[] = {
        {"+PNG of 4096 x 4096, the largest", EmfWithImage(PngHeader(4096, 4096))},
        {"-PNG of 4097 x 4096", EmfWithImage(PngHeader(4097, 4096))},
        {"-PNG of 5600 x 5600", EmfWithImage(PngHeader(5600, 5600))},
        {"+PNG of 16-bit channels, 2896 x 2896", EmfWithImage(PngHeader(2896, 2896, 16))},
        {"-PNG of 16-bit channels, 2897 x 2896", EmfWithImage(PngHeader(2897, 2896, 16))},
        {"-PNG of 2^31 x 1", EmfWithImage(PngHeader(0x80000000u, 1))},
        {"-PNG of no height", EmfWithImage(PngHeader(10, 0))},
        {"-PNG cut before its height", EmfWithImage(PngHeader(10, 10).substr(0, 22))},
        {"-PNG said to be a JPEG", EmfWithImage(PngHeader(10, 10), 4)},
        {"+JPEG of 4096 x 4096", EmfWithImage(JpegHeader(4096, 4096), 4)},
        {"-JPEG of 4096 x 4097", EmfWithImage(JpegHeader(4096, 4097), 4)},
        {"+progressive JPEG", EmfWithImage(JpegHeader(640, 480, 14, 0xC2), 4)},
        {"-JPEG whose only header is its tables", EmfWithImage(JpegHeader(10, 10, 14, 0xC4), 4)},
        {"+JPEG after a segment of 60000 bytes", EmfWithImage(JpegHeader(640, 480, 60000), 4)},
        {"-JPEG whose segment runs past its end",
         EmfWithImage(JpegHeader(640, 480, 60000).substr(0, 30000), 4)},
        {"-JPEG said to be a PNG", EmfWithImage(JpegHeader(10, 10), 5)},
        {"-neither", EmfWithImage(std::string(64, 'x'))},
    };
    for (const auto& [name, bytes] : images) {
        const bool fits = name[0] == '+';
        // Loaded either way: a picture that cannot be drawn is drawn as a frame.
        EXPECT_TRUE(Loads(bytes)) << name;
        EXPECT_EQ(ReadMetafileLayout(bytes).ImagesFit, fits) << name;
    }
    // An image of no bytes is no bitmap; nor is one of a bit count of its own.
    EXPECT_FALSE(Loads(EmfWithImage("")));
    EXPECT_FALSE(Loads(EmfWithBitmap(TDib{40, 100, 100, 24, 5, 0, "", PngHeader(10, 10)})));
    // Windows metafiles are played by our own player, which draws no such images.
    EXPECT_TRUE(
        ReadMetafileLayout(WmfWithBitmap(TDib{40, 100, 100, 0, 5, 0, "", PngHeader(5600, 5600)}))
            .ImagesFit);
}

TEST(MetafileBitmaps, APictureHoldingAnImageTooLargeIsDrawnAsAFrame) {
    auto drawn = [](const std::string& bytes) {
        TMetafile metafile;
        metafile.LoadFromBytes(bytes);
        auto surface = std::make_unique<Surface>(220, 120);
        surface->Canvas.StretchDraw(Rect(10, 10, 210, 110), metafile);
        return surface;
    };
    Surface frame(220, 120);
    DrawPictureFrame(frame.Canvas, Rect(10, 10, 210, 110));
    // A small image is drawn, stretched over the 100 x 50 units the record gives it.
    const auto small = drawn(EmfWithImage(EncodedImage(50, 50)));
    EXPECT_EQ(small->Pixel(40, 30), qRgb(0, 160, 0));
    EXPECT_NE(small->Image, frame.Image);
    const QRgb jpeg = drawn(EmfWithImage(EncodedImage(50, 50, "JPEG"), 4))->Pixel(40, 30);
    EXPECT_TRUE(qRed(jpeg) < 40 && qGreen(jpeg) > 120 && qBlue(jpeg) < 40) << std::hex << jpeg;
    EXPECT_EQ(drawn(EmfWithImage(PngHeader(4097, 4096)))->Image, frame.Image);
    // Two images of 3000 x 3000 pixels, each within the bound, beyond it together (72 MB).
    const std::string image = EncodedImage(3000, 3000);
    EXPECT_EQ(drawn(EmfWithImage(image))->Pixel(40, 30), qRgb(0, 160, 0));
    EXPECT_EQ(drawn(EmfWithImage(image, 5, EmfWithImage(image)))->Image, frame.Image);
}

namespace {

// 5 x 3 pixels of 8 bits in runs, with every kind of step: the bottom row a red pixel, a move
// one right, three given one by one (green, blue, red: padded to a whole word) and its end;
// the middle row one blue pixel and its end; the top row a move four right, one red pixel,
// and the end of the bitmap.
TDib RunsOfEveryKind() {
    std::string palette;
    for (uint32_t rgb : {0x000000u, 0xFF0000u, 0x00FF00u, 0x0000FFu}) { // black red green blue
        WriteU32(palette, rgb);
    }
    return TDib{
        40,
        5,
        3,
        8,
        1,
        4,
        palette,
        Bytes({1, 1, 0, 2, 1, 0, 0, 3, 2, 3, 1, 0, 0, 0, 1, 3, 0, 0, 0, 2, 4, 0, 1, 1, 0, 1})};
}

// What the platform draws for it, top row first: the pixels the runs skip leave the page as it
// was (0).
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Green = 0xFF00FF00;
constexpr QRgb Blue = 0xFF0000FF;
const std::vector<std::vector<QRgb>> RunsDrawn = {
    {0, 0, 0, 0, Red},
    {Blue, 0, 0, 0, 0},
    {Red, 0, Green, Blue, Red},
};

constexpr QRgb Yellow = 0xFFFFFF00;

// The colour at the middle of each of the bitmap's pixels when it is stretched over `cell`
// pixels a pixel from the top left corner of `image`.
std::vector<std::vector<QRgb>> Cells(const QImage& image, QSizeF cell, size_t columns,
                                     size_t rows) {
    std::vector<std::vector<QRgb>> out(rows);
    for (size_t y = 0; y < rows; ++y) {
        for (size_t x = 0; x < columns; ++x) {
            out[y].push_back(image.pixel(static_cast<int>((x + 0.5) * cell.width()),
                                         static_cast<int>((y + 0.5) * cell.height())));
        }
    }
    return out;
}

// The colours of `cells` as the nearest of red, green, blue and yellow: the SVG renderer
// smooths a bitmap it stretches.
std::vector<std::vector<QRgb>> Nearest(std::vector<std::vector<QRgb>> cells) {
    for (auto& row : cells) {
        for (QRgb& p : row) {
            int best = INT_MAX;
            for (QRgb c : {Red, Green, Blue, Yellow}) {
                const int distance = std::abs(qRed(p) - qRed(c)) + std::abs(qGreen(p) - qGreen(c)) +
                                     std::abs(qBlue(p) - qBlue(c));
                if (distance < best) {
                    best = distance;
                    p = distance < 96 ? c : p;
                }
            }
        }
    }
    return cells;
}

// RunsDrawn on a yellow page.
std::vector<std::vector<QRgb>> RunsOnYellow() {
    auto out = RunsDrawn;
    for (auto& row : out) {
        for (QRgb& p : row) {
            p = p == 0 ? Yellow : p;
        }
    }
    return out;
}

} // namespace

TEST(RunLengthBitmaps, SkippedPixelsAreTransparentWhereTheBitmapIsDrawn) {
    const TDib dib = RunsOfEveryKind();
    const std::string packed = DibHeader(dib) + dib.Palette + dib.Bits;
    QImage drawn;
    std::string error;
    ASSERT_TRUE(DecodeDib(packed, drawn, error, TSkippedPixels::Transparent)) << error;
    EXPECT_EQ(Cells(drawn, QSizeF(1, 1), 5, 3), RunsDrawn);
    // A bitmap alone keeps black there.
    QImage alone;
    ASSERT_TRUE(DecodeDib(packed, alone, error)) << error;
    auto black = RunsDrawn;
    for (auto& row : black) {
        std::replace(row.begin(), row.end(), QRgb{0}, QRgb{0xFF000000});
    }
    EXPECT_EQ(Cells(alone, QSizeF(1, 1), 5, 3), black);
}

TEST(RunLengthBitmaps, AnEnhancedMetafileDrawsThemOverWhatIsUnder) {
    // A yellow rectangle without an outline under the bitmap, both 100 x 50 units.
    using namespace metafile_fixture;
    const std::string yellow = EmfRecord(39, {1, 0, 0x0000FFFF, 0}) + EmfRecord(37, {1}) +
                               EmfRecord(37, {static_cast<int32_t>(0x80000008)}) +
                               EmfRecord(43, {0, 0, 100, 50}) + EmfRecord(14, {0, 16, 20});
    auto drawn = [&](const TDib& dib) {
        const std::string emf = EmfWithBitmap(dib, EmfOf(yellow, 5));
        EXPECT_TRUE(Loads(emf));
        const std::string svg = ConvertWithinBounds(emf, 200, 100);
        EXPECT_FALSE(svg.empty());
        return SvgDrawn(svg, 400, 200, QImage::Format_RGB32, Qt::white);
    };
    const TDib runs = RunsOfEveryKind();
    // The bitmap fills 100.5 x 50.25 of the 200 x 99.5 the converter makes of the picture.
    const QSizeF cell(400 * 100.5 / 200 / 5, 200 * 50.25 / 99.5 / 3);
    EXPECT_EQ(Nearest(Cells(drawn(runs), cell, 5, 3)), RunsOnYellow());
    // Runs of 4 bits: the same pixels, two to a byte.
    TDib four = runs;
    four.BitCount = 4;
    four.Compression = 2;
    four.Palette += std::string(48, '\0');
    four.Bits = Bytes(
        {1, 0x11, 0, 2, 1, 0, 0, 3, 0x23, 0x10, 0, 0, 1, 0x33, 0, 0, 0, 2, 4, 0, 1, 0x11, 0, 1});
    EXPECT_EQ(Nearest(Cells(drawn(four), cell, 5, 3)), RunsOnYellow());
    // Plain pixels of 32 bits whose fourth byte, unused, is 0: red and blue.
    const TDib plain{40, 2, 1, 32, 0, 0, "", Bytes({0, 0, 255, 0, 255, 0, 0, 0})};
    const std::vector<std::vector<QRgb>> redBlue = {{Red, Blue}};
    EXPECT_EQ(Nearest(Cells(drawn(plain), QSizeF(cell.width() * 5 / 2, 100), 2, 1)), redBlue);
}

TEST(RunLengthBitmaps, AWindowsMetafileDrawsThemOverWhatIsUnder) {
    using namespace metafile_fixture;
    const TDib dib = RunsOfEveryKind();
    std::string params;
    WriteU32(params, 0x00CC0020); // copy
    for (int v : {0, dib.Height, dib.Width, 0, 0, 50, 100, 0, 0}) {
        WriteU16(params, static_cast<uint32_t>(v));
    }
    params += DibHeader(dib) + dib.Palette + dib.Bits;
    const std::string records = WmfRecord(0x020B, {0, 0}) + WmfRecord(0x020C, {50, 100}) +
                                WmfRecord(0x02FA, {5, 0, 0, 0, 0}) + WmfRecord(0x012D, {0}) +
                                WmfRecord(0x02FC, {0, 0xFFFF, 0x0000, 0}) + WmfRecord(0x012D, {1}) +
                                WmfRecord(0x041B, {51, 101, 0, 0}) + WmfRecordBytes(0x0F43, params);
    const std::string wmf = WmfOf(records, 2);
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    ASSERT_TRUE(PlayWmf(wmf, ReadMetafileLayout(wmf), painter, QRectF(0, 0, 400, 200), 1000));
    EXPECT_EQ(Cells(image, QSizeF(400.0 / 5, 200.0 / 3), 5, 3), RunsOnYellow());
}

// A Windows metafile of 144 bytes whose one record stretches part of a bitmap of 4,096 x 4,096
// pixels in runs over 100 screen pixels: the bitmap's 64 MB are unpacked to draw it, and shrunk
// from where its part lies, not from a copy of the part (64 MB more, over what a picture may hold).
TEST(RunLengthBitmaps, PartOfALargeBitmapIsShrunkWithinWhatAPictureMayHold) {
    const std::string bytes =
        SquareWmf(BitmapPartRecord(UnseenColour(), 4096, 48, 4000, 100), 100, 1);
    EXPECT_EQ(LoadAndDrawMetafile(bytes), "");
    TMetafile metafile;
    metafile.LoadFromBytes(bytes);
    Surface s(100, 100);
    s.Canvas.Draw(0, 0, metafile);
    EXPECT_EQ(s.Pixel(0, 0), qRgb(255, 255, 255)) << "drawn as its frame";
}

TEST(RunLengthBitmaps, RunsThatLeaveTheirBitmapWriteNothingOutsideIt) {
    // 5 x 3 pixels of 8 bits, each with its harm after a red pixel at the bottom left.
    const std::pair<const char*, std::string> harms[] = {
        {"a run past the row", Bytes({1, 1, 200, 1, 0, 1})},
        {"pixels one by one past the row", Bytes({1, 1, 0, 8, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1})},
        {"a move past the right", Bytes({1, 1, 0, 2, 250, 0, 1, 1, 0, 1})},
        {"a move past the top", Bytes({1, 1, 0, 2, 0, 250, 1, 1, 0, 1})},
        {"lines past the top", Bytes({1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1})},
        {"pixels one by one cut short", Bytes({1, 1, 0, 8, 1, 1})},
        {"no end", Bytes({1, 1, 1, 1})},
    };
    const TDib sound = RunsOfEveryKind();
    for (const auto& [name, bits] : harms) {
        TDib dib = sound;
        dib.Bits = bits;
        // Refused when loaded; read anyway, nothing is written outside the bitmap (the
        // sanitizer watches) and the red pixel is where it was.
        EXPECT_FALSE(Loads(EmfWithBitmap(dib))) << name;
        EXPECT_FALSE(Loads(WmfWithBitmap(dib))) << name;
        QImage image;
        std::string error;
        if (DecodeDib(DibHeader(dib) + dib.Palette + dib.Bits, image, error,
                      TSkippedPixels::Transparent)) {
            EXPECT_EQ(image.size(), QSize(5, 3)) << name;
            EXPECT_EQ(image.pixel(0, 2), Red) << name;
        }
        // The converter's preparation leaves a bitmap it cannot read as it was.
        std::string emf = EmfWithBitmap(sound);
        const std::string harmful = EmfWithBitmap(dib);
        EXPECT_EQ(EmfWithConvertibleBitmaps(harmful), harmful) << name;
        EXPECT_NE(EmfWithConvertibleBitmaps(emf), emf) << name;
    }
}
