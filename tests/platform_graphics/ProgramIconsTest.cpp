#include "platform/graphics/ProgramIcons.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/LittleEndian.h"
#include "tests/support/ProgramFileFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

using namespace program_file_fixture;

namespace {

const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);

// The colour of the icon read at `index`, or 0 when there is none.
QRgb IconColour(const std::string& iconFile) {
    if (iconFile.empty()) {
        return 0;
    }
    TIcon icon;
    icon.LoadFromBytes(iconFile);
    return icon.Image().pixel(16, 16) | 0xFF000000u;
}

std::vector<std::string> TwoIcons() {
    return {PngIcon(Red), PngIcon(Green)};
}

std::string Patched(std::string s, size_t at, uint32_t value) {
    std::string v;
    WriteU32(v, value);
    s.replace(at, 4, v);
    return s;
}

} // namespace

TEST(ProgramIcons, TheIconAtTheIndexOfPeAndNeFiles) {
    for (const auto& [kind, file] : {std::pair{"PE", Pe(TwoIcons(), {{1}, {2}})},
                                     std::pair{"NE", Ne(TwoIcons(), {{1}, {2}})}}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(IconColour(ReadProgramIconFromBytes(file, 0)), Red);
        EXPECT_EQ(IconColour(ReadProgramIconFromBytes(file, 1)), Green);
        EXPECT_EQ(ReadProgramIconFromBytes(file, 2), "");
        // A negative index names the group by its resource number.
        EXPECT_EQ(IconColour(ReadProgramIconFromBytes(file, -101)), Green);
        EXPECT_EQ(ReadProgramIconFromBytes(file, -7), "");

        TempDir dir;
        WriteFileBytes(dir / "tool.exe", file);
        EXPECT_EQ(ReadProgramIcon(dir / "tool.exe", 1), ReadProgramIconFromBytes(file, 1));
        EXPECT_EQ(ReadProgramIcon(dir / "missing.exe", 0), "");
    }
    // A group of two images gives an icon file with both, as the group lists them.
    const std::string both = ReadProgramIconFromBytes(Pe(TwoIcons(), {{2, 1}}), 0);
    ASSERT_GE(both.size(), 38u);
    EXPECT_EQ(ReadU16(both, 4), 2u);
    EXPECT_EQ(both.substr(ReadU32(both, 6 + 12), ReadU32(both, 6 + 8)), PngIcon(Green));
    EXPECT_EQ(both.substr(ReadU32(both, 22 + 12), ReadU32(both, 22 + 8)), PngIcon(Red));
}

TEST(ProgramIcons, DamagedProgramFilesGiveNoIcon) {
    const std::string pe = Pe(TwoIcons(), {{1}, {2}});
    const std::string ne = Ne(TwoIcons(), {{1}, {2}});
    // The resource section starts at 0x200; its root directory has two entries.
    std::string hugeIcon = PngIcon(Green);
    std::string big;
    for (uint32_t v : {30000u, 30000u}) { // IHDR width and height, big-endian
        big += static_cast<char>(v >> 24);
        big += static_cast<char>(v >> 16 & 0xFF);
        big += static_cast<char>(v >> 8 & 0xFF);
        big += static_cast<char>(v & 0xFF);
    }
    hugeIcon.replace(16, 8, big);
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"not a program", std::string(300, 'x')},
        {"new header past the end", Patched(pe, 0x3C, 0x7FFFFFF0)},
        {"section count huge", Patched(pe, 64 + 4, 0xFFFF0001)},
        {"resource address outside every section", Patched(pe, 64 + 24 + 96 + 16, 0x90000)},
        {"raw data past the end", Patched(pe, 64 + 24 + 224 + 16, 0x7FFFFFF0)},
        {"root directory claims 65535 entries", Patched(pe, 0x200 + 12, 0xFFFFFFFF)},
        {"type entry pointing outside", Patched(pe, 0x200 + 16 + 4, 0xFFFFFFF0)},
        {"groups in a loop", Patched(pe, 0x200 + 24 + 4, 0x80000000u)},
        {"icon too large to draw", Pe({PngIcon(Red), hugeIcon}, {{1}, {2}})},
        {"cut in the resources", pe.substr(0, 0x200 + 40)},
        {"NE cut in its table", ne.substr(0, 64 + 64 + 12)},
        {"NE alignment absurd", Patched(ne, 128, 0xFFFF)},
        {"NE resource past the end", ne.substr(0, ne.size() - 200)},
    };
    for (const auto& [what, file] : damaged) {
        const std::string icon = ReadProgramIconFromBytes(file, 1);
        // Either nothing, or the second icon (damage that does not touch it).
        if (!icon.empty()) {
            EXPECT_EQ(IconColour(icon), Green) << what;
        }
    }
    EXPECT_EQ(ReadProgramIconFromBytes(Pe({PngIcon(Red), hugeIcon}, {{1}, {2}}), 1), "");
    EXPECT_EQ(ReadProgramIconFromBytes(Patched(pe, 0x3C, 0x7FFFFFF0), 1), "");
    EXPECT_EQ(ReadProgramIconFromBytes(Patched(pe, 0x200 + 12, 0xFFFFFFFF), 1), "");

    // Every cut and bytes changed at random: never a crash, never more than an icon.
    std::mt19937 random(46);
    for (const std::string& file : {pe, ne}) {
        for (size_t n = 0; n < file.size(); n += 7) {
            const std::string icon = ReadProgramIconFromBytes(file.substr(0, n), 1);
            EXPECT_LE(icon.size(), file.size());
        }
        for (int i = 0; i < 300; ++i) {
            std::string bytes = file;
            for (int k = 0; k < 4; ++k) {
                bytes[random() % std::min<size_t>(bytes.size(), 0x300)] =
                    static_cast<char>(random() & 0xFF);
            }
            const std::string icon = ReadProgramIconFromBytes(bytes, static_cast<int>(i % 3));
            if (!icon.empty()) {
                TIcon decoded;
                try {
                    decoded.LoadFromBytes(icon);
                } catch (const EInvalidGraphic&) {
                }
            }
        }
    }
}

TEST(ProgramIcons, APictureSizeThatWrapsIsNoSmallSize) {
    // A PNG of 2^31 x 2^31 pixels: at four bytes each exactly 2^64 bytes, 0 in 64 bits.
    auto pngOf = [](uint32_t width, uint32_t height) {
        std::string png = PngIcon(Green);
        for (size_t i = 0; i < 4; ++i) { // big-endian, as PNG has it
            png[16 + i] = static_cast<char>(width >> (24 - 8 * i) & 0xFF);
            png[20 + i] = static_cast<char>(height >> (24 - 8 * i) & 0xFF);
        }
        return png;
    };
    EXPECT_EQ(ReadProgramIconFromBytes(Pe({pngOf(0x80000000u, 0x80000000u)}, {{1}}), 0), "");
    EXPECT_EQ(ReadProgramIconFromBytes(Ne({pngOf(0x80000000u, 0x80000000u)}, {{1}}), 0), "");
    EXPECT_NE(ReadProgramIconFromBytes(Pe({pngOf(4096, 4096)}, {{1}}), 0), "");
}
