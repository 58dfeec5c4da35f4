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
