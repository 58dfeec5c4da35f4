// Bitmaps inside metafile records and the enhanced header's description: what the players size
// their work by is checked before they are given the bytes.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileBitmaps.h"
#include "tests/support/HostileMetafiles.h"

#include <gtest/gtest.h>

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
    frame.Canvas.Brush().SetColor(clGray);
    frame.Canvas.FrameRect(Rect(10, 10, 210, 110));
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
