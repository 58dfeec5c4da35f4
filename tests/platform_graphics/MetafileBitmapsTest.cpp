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

// The bitmap in an enhanced and in a Windows metafile: both load, or both are refused.
void ExpectBitmap(const TDib& dib, bool sound, const std::string& what) {
    EXPECT_EQ(Loads(EmfWithBitmap(dib)), sound) << "EMF: " << what;
    EXPECT_EQ(Loads(WmfWithBitmap(dib)), sound) << "WMF: " << what;
}

// 2 x 2 green pixels, 24 bits each, rows padded to 8 bytes.
TDib Green() {
    TDib dib;
    const std::string row = std::string("\x00\xFF\x00\x00\xFF\x00\x00\x00", 8);
    dib.Bits = row + row;
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

TEST(MetafileBitmaps, HeadersAreReadAsTheirSizesAre) {
    for (uint32_t size : {12u, 40u, 52u, 56u, 108u, 124u}) {
        TDib dib = Green();
        dib.HeaderSize = size;
        ExpectBitmap(dib, true, "header of " + std::to_string(size));
    }
    // The bitmap is drawn: green where it lies beside the red rectangle.
    TMetafile metafile;
    metafile.LoadFromBytes(EmfWithBitmap(Green()));
    Surface s(200, 100);
    s.Canvas.StretchDraw(Rect(0, 0, 200, 100), metafile);
    EXPECT_EQ(s.Pixel(5, 5), qRgb(0, 255, 0));
    EXPECT_EQ(s.Pixel(5, 70), qRgb(255, 255, 255));

    // Where the bitmap header lies: in the record after the fixtures' drawing, 80 bytes into
    // the stretched bits and 28 into the stretched bitmap.
    const size_t emfHeader = metafile_fixture::Emf().size() - 20 + 80;
    const size_t wmfHeader = metafile_fixture::Wmf(true).size() - 6 + 28;
    for (uint32_t size : {0u, 4u, 16u, 20u, 39u, 41u, 64u, 200u, 0xFFFFFFF0u}) {
        std::string emf = EmfWithBitmap(Green());
        std::string wmf = WmfWithBitmap(Green());
        Patch32(emf, emfHeader, size);
        Patch32(wmf, wmfHeader, size);
        EXPECT_FALSE(Loads(emf)) << "EMF header of " << size;
        EXPECT_FALSE(Loads(wmf)) << "WMF header of " << size;
    }
    // A header larger than the bytes the record gives it.
    TDib cut = Green();
    cut.HeaderSize = 124;
    std::string emf = EmfWithBitmap(cut);
    Patch32(emf, emfHeader - 80 + 52, 100); // the header's bytes in the record
    EXPECT_FALSE(Loads(emf));
}

TEST(MetafileBitmaps, SizesAreNeitherEmptyNorLargerThanAnyPicture) {
    auto sized = [](int32_t width, int32_t height, uint32_t bitCount = 24) {
        TDib dib;
        dib.Width = width;
        dib.Height = height;
        dib.BitCount = bitCount;
        const uint64_t rows = static_cast<uint64_t>(height < 0 ? -int64_t{height} : height);
        const uint64_t stride =
            (static_cast<uint64_t>(width > 0 ? width : 0) * bitCount + 31) / 32 * 4;
        dib.Bits = std::string(stride * rows, '\0');
        if (bitCount == 1) {
            dib.Palette = Palette(2);
        }
        return dib;
    };
    ExpectBitmap(sized(3, 2), true, "3 x 2");
    ExpectBitmap(sized(3, -2), true, "top-down rows");
    ExpectBitmap(sized(0, 2), false, "no width");
    ExpectBitmap(sized(-3, 2), false, "negative width");
    ExpectBitmap(sized(3, 0), false, "no height");
    // 64 MB of pixels at 4 bytes each is the largest picture.
    EXPECT_TRUE(Loads(EmfWithBitmap(sized(4096, 4096, 1))));
    EXPECT_FALSE(Loads(EmfWithBitmap(sized(4097, 4096, 1))));
    EXPECT_FALSE(Loads(EmfWithBitmap(sized(4096, -4097, 1))));
}

TEST(MetafileBitmaps, BitCountAndCompressionGoTogether) {
    auto with = [](uint32_t bitCount, uint32_t compression, std::string bits) {
        TDib dib;
        dib.BitCount = bitCount;
        dib.Compression = compression;
        dib.Bits = std::move(bits);
        if (bitCount > 0 && bitCount <= 8) {
            dib.Palette = Palette(size_t{1} << bitCount);
        }
        return dib;
    };
    const std::string pixels(16, '\0');
    const std::string masks = Bytes({0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
    TDib bitFields = with(16, 3, pixels);
    bitFields.Palette = masks;
    ExpectBitmap(bitFields, true, "16 bits with masks");
    for (uint32_t bits : {1u, 4u, 8u, 16u, 32u}) {
        ExpectBitmap(with(bits, 0, pixels), true, std::to_string(bits) + " bits");
    }
    ExpectBitmap(with(0, 0, pixels), false, "no bits a pixel");
    ExpectBitmap(with(3, 0, pixels), false, "3 bits a pixel");
    ExpectBitmap(with(64, 0, std::string(64, '\0')), false, "64 bits a pixel");
    // Read where the info header keeps it: run-length coding of 8 bits for a bitmap of 24.
    ExpectBitmap(with(24, 1, Bytes({0, 1})), false, "24 bits coded as runs of 8");
    ExpectBitmap(with(8, 2, Bytes({0, 1})), false, "8 bits coded as runs of 4");
    ExpectBitmap(with(24, 3, std::string(16, '\0')), false, "24 bits with masks");
    ExpectBitmap(with(8, 7, pixels), false, "an unknown coding");
}

TEST(MetafileBitmaps, ColoursUsedAgreeWithTheBitCountAndTheBytes) {
    auto coloured = [](uint32_t bitCount, uint32_t colours, size_t entries) {
        TDib dib;
        dib.BitCount = bitCount;
        dib.ColorsUsed = colours;
        dib.Palette = Palette(entries);
        dib.Bits = std::string(16, '\0');
        return dib;
    };
    ExpectBitmap(coloured(8, 256, 256), true, "256 of 8 bits");
    ExpectBitmap(coloured(8, 2, 2), true, "2 of 8 bits");
    ExpectBitmap(coloured(8, 0, 256), true, "all of 8 bits");
    ExpectBitmap(coloured(24, 3, 3), true, "3 with 24 bits");
    ExpectBitmap(coloured(8, 257, 257), false, "257 of 8 bits");
    ExpectBitmap(coloured(4, 17, 17), false, "17 of 4 bits");
    ExpectBitmap(coloured(1, 3, 3), false, "3 of 1 bit");
    // The table the header announces is not in the record.
    ExpectBitmap(coloured(8, 0, 2), false, "256 of 8 bits, 2 given");
    ExpectBitmap(coloured(24, 100000, 3), false, "100000 with 24 bits, 3 given");
    ExpectBitmap(coloured(24, 0xFFFFFFFF, 3), false, "every colour there is with 24 bits");
}

TEST(MetafileBitmaps, RunLengthDataEndsWithItsMarkInsideTheBitmap) {
    // 4 x 2 pixels of 8 bits: runs, lines, moves and pixels given one by one.
    const std::pair<std::string, bool> cases8[] = {
        {Bytes({4, 1, 0, 0, 4, 2, 0, 1}), true},
        {Bytes({4, 1, 0, 0, 4, 2, 0, 0, 0, 1}), true}, // the last line ended too
        {Bytes({0, 1}), true},                         // nothing drawn
        {Bytes({0, 3, 1, 2, 3, 0, 1, 1, 0, 1}), true}, // 3 pixels, padded to 4 bytes
        {Bytes({0, 2, 4, 1, 0, 1}), true},             // a move to the right edge
        {Bytes({4, 1, 0, 0, 4, 2}), false},            // no end mark
        {Bytes({4, 1, 0, 0, 4, 2, 0}), false},         // half an end mark
        {Bytes({5, 1, 0, 1}), false},                  // a run past the right edge
        {Bytes({3, 1, 2, 1, 0, 1}), false},            // runs past the right edge
        {Bytes({0, 0, 0, 0, 1, 1, 0, 1}), false},      // a pixel above the top row
        {Bytes({0, 0, 0, 0, 0, 0, 0, 1}), false},      // a line above the top row
        {Bytes({0, 2, 5, 0, 0, 1}), false},            // a move past the right edge
        {Bytes({0, 2, 0, 3, 0, 1}), false},            // a move past the top
        {Bytes({0, 2, 1}), false},                     // a move cut short
        {Bytes({0, 4, 1, 2, 3}), false},               // pixels cut short
        {Bytes({0, 5, 1, 2, 3, 4, 5, 0, 0, 1}), false} // more pixels than the row holds
    };
    for (const auto& [data, fits] : cases8) {
        EXPECT_EQ(RunLengthFits(data, 4, 2, false), fits) << testing::PrintToString(data);
    }
    // 5 pixels of 4 bits: given one by one they take 3 bytes, padded to 4.
    EXPECT_TRUE(RunLengthFits(Bytes({0, 5, 0x12, 0x34, 0x50, 0, 0, 1}), 5, 1, true));
    EXPECT_FALSE(RunLengthFits(Bytes({0, 5, 0x12, 0x34, 0x50}), 5, 1, true));
    EXPECT_FALSE(RunLengthFits(Bytes({6, 0x12, 0, 1}), 5, 1, true));

    ExpectBitmap(Rle8(true), true, "runs of 8 bits");
    ExpectBitmap(Rle8(false), false, "runs of 8 bits without the end mark");
    TDib four = Rle8(true);
    four.BitCount = 4;
    four.Compression = 2;
    ExpectBitmap(four, true, "runs of 4 bits");
    TDib topDown = Rle8(true);
    topDown.Height = -16;
    ExpectBitmap(topDown, false, "runs from the top down");
}

TEST(MetafileHeader, TheDescriptionLiesInsideTheHeaderWhateverItsLength) {
    auto described = [](uint32_t chars, uint32_t at) {
        std::string emf = metafile_fixture::Emf();
        Patch32(emf, 60, chars);
        Patch32(emf, 64, at);
        return emf;
    };
    EXPECT_TRUE(Loads(described(0, 0)));
    EXPECT_TRUE(Loads(described(0, 88))); // right after the fixed part, empty
    EXPECT_FALSE(Loads(DescriptionAtTheEnd()));
    EXPECT_FALSE(Loads(described(0, 89)));
    EXPECT_FALSE(Loads(described(0, 0xFFFFFFFF)));
    EXPECT_FALSE(Loads(described(0, 40))); // inside the fixed part
    EXPECT_FALSE(Loads(described(1, 88)));
    EXPECT_FALSE(Loads(described(0x80000000, 88)));

    // A header of 100 bytes that holds a description of 6 characters: it loads and draws.
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
