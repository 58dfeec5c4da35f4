#pragma once

// Metafiles made to hurt, written byte by byte: the drawings of MetafileFixtures.h with one
// bitmap record added, its bitmap built field by field, and an enhanced header pointing outside
// itself. Each that `Hostile()` lists made a player spin, ask for gigabytes, compute a size that
// wrapped, or read past its bytes, and is refused. `HostileWmfs()` lists Windows metafiles
// whose harm lies after their end record or in their header. Bitmaps may also hold a PNG or
// JPEG image whose own size is not the bitmap's (`EmfWithImage`).

#include "tests/support/MetafileFixtures.h"

#include "tests/support/EncodedImage.h"

#include <QPoint>

#include <cstdint>
#include <string>
#include <vector>

namespace hostile_metafile {

// A bitmap: the header fields the players size their work by, then its colours and pixels
// (2 x 2 pixels of 24 bits unless changed).
struct TDib {
    uint32_t HeaderSize = 40;
    int32_t Width = 2;
    int32_t Height = 2;
    uint32_t BitCount = 24;
    uint32_t Compression = 0;
    uint32_t ColorsUsed = 0;
    std::string Palette;
    std::string Bits = std::string(16, '\0');
};

inline void Patch32(std::string& s, size_t at, uint32_t value) {
    std::string v;
    WriteU32(v, value);
    s.replace(at, 4, v);
}

// The header of `HeaderSize` bytes: the core header's 16-bit fields for 12, else the info
// header's, zeros after the first 40.
inline std::string DibHeader(const TDib& dib) {
    std::string h;
    WriteU32(h, dib.HeaderSize);
    const bool core = dib.HeaderSize == 12;
    for (int32_t size : {dib.Width, dib.Height}) {
        core ? WriteU16(h, static_cast<uint32_t>(size)) : WriteU32(h, static_cast<uint32_t>(size));
    }
    WriteU16(h, 1);
    WriteU16(h, dib.BitCount);
    if (!core) {
        for (uint32_t v : {dib.Compression, static_cast<uint32_t>(dib.Bits.size()), 2835u, 2835u,
                           dib.ColorsUsed, 0u}) {
            WriteU32(h, v);
        }
        h.resize(dib.HeaderSize, '\0');
    }
    return h;
}

// The fixture's enhanced metafile (or `emf`) with a stretched-bits record (the bitmap copied
// over 100 x 50 units) before its end record.
inline std::string EmfWithBitmap(const TDib& dib, std::string emf = metafile_fixture::Emf()) {
    const std::string info = DibHeader(dib) + dib.Palette;
    const auto info32 = static_cast<uint32_t>(info.size());
    std::string record;
    // Type and size (set below), bounds, destination and source origins, source extent.
    for (uint32_t v : {81u, 0u, 0u, 0u, 100u, 50u, 0u, 0u, 0u, 0u}) {
        WriteU32(record, v);
    }
    WriteU32(record, static_cast<uint32_t>(dib.Width));
    WriteU32(record, static_cast<uint32_t>(dib.Height));
    // Where the header and the pixels lie and their sizes; colours from the palette, copy,
    // destination extent.
    for (uint32_t v : {80u, info32, 80u + info32, static_cast<uint32_t>(dib.Bits.size()), 0u,
                       0x00CC0020u, 100u, 50u}) {
        WriteU32(record, v);
    }
    record += info + dib.Bits;
    record.resize((record.size() + 3) / 4 * 4, '\0');
    Patch32(record, 4, static_cast<uint32_t>(record.size()));
    std::string out = std::move(emf);
    out.insert(out.size() - 20, record);
    Patch32(out, 48, static_cast<uint32_t>(out.size()));
    Patch32(out, 52, ReadU32(out, 52) + 1);
    return out;
}

// The fixture's placeable Windows metafile with a stretched-bitmap record before its end record.
inline std::string WmfWithBitmap(const TDib& dib) {
    std::string record;
    WriteU32(record, 0);
    WriteU16(record, 0x0F43);
    WriteU32(record, 0x00CC0020); // copy, colours from the palette, source and destination
    for (int32_t v : {0, dib.Height, dib.Width, 0, 0, 50, 100, 0, 0}) {
        WriteU16(record, static_cast<uint32_t>(v) & 0xFFFF);
    }
    record += DibHeader(dib) + dib.Palette + dib.Bits;
    record.resize((record.size() + 1) / 2 * 2, '\0');
    Patch32(record, 0, static_cast<uint32_t>(record.size() / 2));
    std::string out = metafile_fixture::Wmf(true);
    out.insert(out.size() - 6, record);
    Patch32(out, 22 + 6, static_cast<uint32_t>((out.size() - 22) / 2)); // size, largest record
    Patch32(out, 22 + 12, static_cast<uint32_t>(record.size() / 2));
    return out;
}

// A bitmap of 100 x 100 pixels, as its header says, whose pixels are the PNG (compression 5)
// or JPEG (4) image `image`.
inline std::string EmfWithImage(const std::string& image, uint32_t compression = 5,
                                std::string emf = metafile_fixture::Emf()) {
    return EmfWithBitmap(TDib{40, 100, 100, 0, compression, 0, "", image}, std::move(emf));
}

inline void WriteBigEndian(std::string& s, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        s += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// The start of a PNG image of `width` x `height` pixels with `depth` bits a channel: its
// signature and header chunk, all a reader needs to know its size (the chunk's check is not
// computed).
inline std::string PngHeader(uint32_t width, uint32_t height, int depth = 8) {
    std::string png("\x89PNG\r\n\x1A\n", 8);
    WriteBigEndian(png, 13, 4);
    png += "IHDR";
    WriteBigEndian(png, width, 4);
    WriteBigEndian(png, height, 4);
    png += static_cast<char>(depth);
    png += std::string("\x02\x00\x00\x00", 4); // colour, compression, filter, no interlace
    WriteBigEndian(png, 0, 4);
    return png;
}

// The start of a JPEG image up to its frame header (`width` x `height`, three components),
// after an application segment of `extra` bytes; the segment's marker is `marker`.
inline std::string JpegHeader(uint32_t width, uint32_t height, size_t extra = 14,
                              int marker = 0xC0) {
    std::string jpeg("\xFF\xD8\xFF\xE0", 4);
    WriteBigEndian(jpeg, static_cast<uint32_t>(extra + 2), 2);
    jpeg.append(extra, 'J');
    jpeg += '\xFF';
    jpeg += static_cast<char>(marker);
    WriteBigEndian(jpeg, 17, 2);
    jpeg += '\x08';
    WriteBigEndian(jpeg, height, 2);
    WriteBigEndian(jpeg, width, 2);
    jpeg += '\x03';
    jpeg.append(9, '\x11');
    return jpeg;
}

// A whole image of one colour, `width` x `height` pixels of 24 bits, in `format` ("PNG" or
// "JPEG") as a program that wrote it into a metafile would have saved it.
inline std::string EncodedImage(int width, int height, const char* format = "PNG") {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(0, 160, 0));
    return ::EncodedImage(image, format);
}

inline std::string Palette(size_t count) {
    std::string p;
    for (size_t i = 0; i < count; ++i) {
        WriteU32(p, static_cast<uint32_t>(i * 0x010101u));
    }
    return p;
}

// 16 x 16 pixels of 8 bits in runs: each row a run of colour 1 and its end, then the end mark
// unless `endMark` is false.
inline TDib Rle8(bool endMark) {
    TDib dib{40, 16, 16, 8, 1, 2, Palette(2), ""};
    for (int row = 0; row < 16; ++row) {
        dib.Bits += std::string("\x10\x01\x00\x00", 4);
    }
    dib.Bits += endMark ? std::string("\x00\x01", 2) : "";
    return dib;
}

struct THostile {
    const char* Name;
    std::string Bytes;
};

inline std::vector<THostile> Hostile() {
    // A header of 16 bytes, 0 pixels wide and 2,139,062,143 rows high.
    const TDib endless{16, 0, 0x7F7F7F7F, 24, 0, 0, "", std::string(16, '\x7F')};
    // 2^31 x 2^31 pixels: four bytes each make exactly 2^64 bytes.
    const TDib wrapping{40, INT32_MIN, INT32_MIN, 32, 0, 0, "", std::string(16, '\0')};
    // Two pixels of 8 bits that claim 1,600,000,000 colours.
    const TDib colours{40, 2, 2, 8, 0, 1600000000, Palette(2), std::string(8, '\x01')};
    // A description of no characters starting at the end of the file.
    std::string description = metafile_fixture::Emf();
    Patch32(description, 60, 0);
    Patch32(description, 64, static_cast<uint32_t>(description.size()));
    return {
        {"EMF bitmap of no width and endless rows", EmfWithBitmap(endless)},
        {"WMF bitmap of no width and endless rows", WmfWithBitmap(endless)},
        {"EMF bitmap in runs without their end mark", EmfWithBitmap(Rle8(false))},
        {"WMF bitmap in runs without their end mark", WmfWithBitmap(Rle8(false))},
        {"EMF description of no characters at the end", description},
        {"EMF bitmap whose size wraps", EmfWithBitmap(wrapping)},
        {"WMF bitmap whose size wraps", WmfWithBitmap(wrapping)},
        {"EMF bitmap of 1.6 billion colours", EmfWithBitmap(colours)},
        {"WMF bitmap of 1.6 billion colours", WmfWithBitmap(colours)},
    };
}

// A bitmap stretched over 100 x 100 units by a Windows metafile record: a 24-bit bitmap header
// claiming `width` x `height` pixels, followed by `pixels` bytes.
inline std::string WmfStretchedBitmap(int32_t width, int32_t height, size_t pixels = 0) {
    std::string params;
    for (int v : {0x0020, 0x00CC, 0, 1, 1, 0, 0, 100, 100, 0, 0}) {
        WriteU16(params, static_cast<uint32_t>(v));
    }
    for (uint32_t v : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) {
        WriteU32(params, v);
    }
    WriteU16(params, 1);
    WriteU16(params, 24);
    params.append(24, '\0');
    return metafile_fixture::WmfRecordBytes(0x0F43, params + std::string(pixels, '\x7F'));
}

// Windows metafiles made to hurt a player, each a sound picture before the harm (our player
// draws them, so they may load):
// - records after an end record of 5 words: a bitmap 0 pixels wide with 2,139,062,143 rows,
//   and one of 30000 x 30000 pixels of 24 bits (2.7 GB), neither with its pixels;
// - a header whose largest record is 0x7FFFFFFF words (4.3 GB).
inline std::vector<THostile> HostileWmfs() {
    using namespace metafile_fixture;
    std::string largest = WmfOf(SoundWmfRecords() + WmfRecord(0x0626, {15, 0, 0, 0, 0, 0}));
    largest.replace(12, 4, std::string("\xFF\xFF\xFF\x7F", 4));
    return {{"records after a longer end record",
             WmfOf(SoundWmfRecords() + WmfRecord(0x0000, {0, 0}) +
                   WmfStretchedBitmap(0, 0x7F7F7F7F) + WmfStretchedBitmap(30000, 30000))},
            {"largest record of 4.3 GB", largest}};
}

// A colour no picture made with it in this process had before, as 0xRRGGBB: a picture that
// ran out of time is remembered by its bytes, and each test wants one no drawing has met.
inline uint32_t UnseenColour() {
    static uint32_t last = 0;
    return ++last;
}

// A placeable Windows metafile of `records` whose frame and window are `units` square at 96
// units per inch: `units` screen pixels.
inline std::string SquareWmf(const std::string& records, int units, int objects) {
    using namespace metafile_fixture;
    const std::string window = WmfRecord(0x020B, {0, 0}) + WmfRecord(0x020C, {units, units});
    return PlaceableWmf(WmfOf(window + records, objects), 0, 0, units, units, 96);
}

// One text record that takes long to draw: in a frame of 1024 screen pixels, a font 1,400 units
// high turned by 30 degrees (OEM characters), and 32,000 full blocks with advances of 0, all on
// top of each other in the middle. The text colour (0xRRGGBB) tells copies apart, so that each
// test draws a picture no earlier drawing has met.
inline std::string SlowTextWmf(uint32_t colour) {
    using namespace metafile_fixture;
    std::string font;
    for (int v : {-1400, 0, 300, 300, 400}) { // height, width, escapement, orientation, weight
        WriteU16(font, static_cast<uint32_t>(v) & 0xFFFF);
    }
    font += std::string("\0\0\0\xFF\0\0\0\0", 8); // italic .. strike-out, OEM charset, pitch
    font += "Arial";
    font.resize(18 + 32, '\0');
    constexpr int Blocks = 32000;
    std::string text;
    for (int v : {512, 512, Blocks, 0}) { // y, x, the length, no options
        WriteU16(text, static_cast<uint32_t>(v));
    }
    text.append(Blocks, '\xDB');
    text.append(2 * Blocks, '\0'); // every advance 0
    const std::string records =
        WmfRecord(0x0209, {ColourLow(colour), ColourHigh(colour)}) + // SetTextColor
        WmfRecord(0x0102, {1}) +                                     // transparent background
        WmfRecordBytes(0x02FB, font) + WmfRecord(0x012D, {0}) + WmfRecordBytes(0x0A32, text);
    return SquareWmf(records, 1024, 1);
}

// A record of a bitmap of `side` x `side` pixels in runs (only its end mark, `colour` as 0xRRGGBB
// first in its palette) whose square of `part` pixels from (`at`, `at`) is stretched over `frame`
// units. Tiny, and the bitmap costs its pixels to unpack.
inline std::string BitmapPartRecord(uint32_t colour, int side, int at, int part, int frame) {
    std::string palette;
    WriteU32(palette, colour);
    WriteU32(palette, 0xFFFFFF);
    const TDib dib{40, side, side, 8, 1, 2, palette, std::string("\x00\x01", 2)};
    std::string params;
    WriteU32(params, 0x00CC0020); // copy
    // Colours from the palette, the source's size and place, the destination's.
    for (int v : {0, part, part, at, at, frame, frame, 0, 0}) {
        WriteU16(params, static_cast<uint32_t>(v));
    }
    params += DibHeader(dib) + dib.Palette + dib.Bits;
    return metafile_fixture::WmfRecordBytes(0x0F43, params);
}

// The records of `bitmaps` such bitmaps stretched whole over `frame` units.
inline std::string SlowBitmapRecords(uint32_t colour, int bitmaps, int side, int frame) {
    const std::string record = BitmapPartRecord(colour, side, 0, side, frame);
    std::string records;
    for (int i = 0; i < bitmaps; ++i) {
        records += record;
    }
    return records;
}

// 100 such bitmaps of 4,096 x 4,096 pixels over a frame of 100 screen pixels.
inline std::string SlowBitmapsWmf(uint32_t colour) {
    return SquareWmf(SlowBitmapRecords(colour, 100, 4096, 100), 100, 1);
}

// The points of a polygon that zigzags over a square of 1,024 units, each edge crossing about a
// third of it: `count` points, the `which`th such polygon.
inline std::vector<QPoint> ZigzagPoints(int count, int which) {
    std::vector<QPoint> points;
    for (int64_t i = 0; i < count; ++i) {
        points.emplace_back(static_cast<int>((i * 7919 + which * 31) % 1024),
                            static_cast<int>((i * 104729 + which) % 1024));
    }
    return points;
}

// One PolyPolygon record of `polygons` zigzags of `points` points each, filled with `colour`
// (0xRRGGBB), in a frame of 1,024 screen pixels; outlined with the default pen when `outlined`,
// else with none. Every edge is long: the figure costs its edges times the rows they cross.
inline std::string ZigzagWmf(int polygons, int points, uint32_t colour, bool outlined) {
    using namespace metafile_fixture;
    std::string params;
    WriteU16(params, static_cast<uint32_t>(polygons));
    for (int p = 0; p < polygons; ++p) {
        WriteU16(params, static_cast<uint32_t>(points));
    }
    for (int p = 0; p < polygons; ++p) {
        for (const QPoint& point : ZigzagPoints(points, p)) {
            WriteU16(params, static_cast<uint32_t>(point.x()));
            WriteU16(params, static_cast<uint32_t>(point.y()));
        }
    }
    std::string records =
        WmfRecord(0x02FC, {0, ColourLow(colour), ColourHigh(colour), 0}) + WmfRecord(0x012D, {0});
    if (!outlined) {
        records += WmfRecord(0x02FA, {5, 0, 0, 0, 0}) + WmfRecord(0x012D, {1}); // no pen
    }
    return SquareWmf(records + WmfRecordBytes(0x0538, params), 1024, 2);
}

// An enhanced metafile of `ellipses` ellipses each filling its frame of `size` screen pixels in
// `colour` (0xRRGGBB): each costs the frame's pixels, and the drawing cannot stop on its way.
inline std::string SlowEmf(int ellipses, uint32_t colour, int size) {
    using namespace metafile_fixture;
    const auto bgr = static_cast<int32_t>((colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16);
    std::string records = EmfRecord(39, {1, 0, bgr, 0}) + EmfRecord(37, {1});
    for (int i = 0; i < ellipses; ++i) {
        records += EmfRecord(42, {0, 0, size, size});
    }
    records += EmfRecord(14, {0, 16, 20});
    return EmfOf(records, static_cast<uint32_t>(ellipses + 3), size, size);
}

// `count` rectangles of 3 x 3 units filled in blue, in rows of 500 over a frame of 500 x 400
// screen pixels: 300,000 of them (7.2 MB) convert into 51.5 MB of SVG.
inline std::string RectanglesEmf(int count) {
    using namespace metafile_fixture;
    std::string records = EmfRecord(39, {1, 0, 0x0000C0, 0}) + EmfRecord(37, {1});
    for (int i = 0; i < count; ++i) {
        const int x = i % 500;
        const int y = i / 500 % 400;
        records += EmfRecord(43, {x, y, x + 3, y + 3});
    }
    records += EmfRecord(14, {0, 16, 20});
    return EmfOf(records, static_cast<uint32_t>(count + 3), 500, 400);
}

} // namespace hostile_metafile
