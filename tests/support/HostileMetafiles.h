#pragma once

// Metafiles made to hurt, written byte by byte: the fixture drawings of MetafileFixtures.h with
// one bitmap record added whose bitmap is built field by field, and enhanced metafiles whose
// header points outside themselves. Each one that `Hostile()` lists once made a player spin,
// ask for gigabytes or read past its bytes.

#include "tests/support/MetafileFixtures.h"

#include <cstdint>
#include <string>
#include <vector>

namespace hostile_metafile {

// A device-independent bitmap: the header fields the players size their work by, then what
// follows the header (palette and pixels).
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

// The header of `HeaderSize` bytes: the core header's 16-bit fields for 12, else the info
// header's fields as far as they go, zeros after the first 40.
inline std::string DibHeader(const TDib& dib) {
    std::string h;
    WriteU32(h, dib.HeaderSize);
    if (dib.HeaderSize == 12) {
        WriteU16(h, static_cast<uint32_t>(dib.Width));
        WriteU16(h, static_cast<uint32_t>(dib.Height));
        WriteU16(h, 1);
        WriteU16(h, dib.BitCount);
        return h;
    }
    WriteU32(h, static_cast<uint32_t>(dib.Width));
    WriteU32(h, static_cast<uint32_t>(dib.Height));
    WriteU16(h, 1);
    WriteU16(h, dib.BitCount);
    WriteU32(h, dib.Compression);
    WriteU32(h, static_cast<uint32_t>(dib.Bits.size()));
    WriteU32(h, 2835);
    WriteU32(h, 2835);
    WriteU32(h, dib.ColorsUsed);
    WriteU32(h, 0);
    h.resize(dib.HeaderSize, '\0');
    return h;
}

inline void Patch32(std::string& s, size_t at, uint32_t value) {
    std::string v;
    WriteU32(v, value);
    s.replace(at, 4, v);
}

inline void Patch16(std::string& s, size_t at, uint32_t value) {
    std::string v;
    WriteU16(v, value);
    s.replace(at, 2, v);
}

// The fixture's enhanced metafile with a stretched-bits record (the bitmap stretched over
// 100 x 50 units, copied as it is) before its end record.
inline std::string EmfWithBitmap(const TDib& dib) {
    const std::string info = DibHeader(dib) + dib.Palette;
    std::string record;
    WriteU32(record, 81);
    WriteU32(record, static_cast<uint32_t>(80 + info.size() + dib.Bits.size()));
    for (int32_t v : {0, 0, 100, 50, 0, 0, 0, 0}) { // bounds, destination, source origin
        WriteU32(record, static_cast<uint32_t>(v));
    }
    WriteU32(record, static_cast<uint32_t>(dib.Width)); // source extent
    WriteU32(record, static_cast<uint32_t>(dib.Height));
    WriteU32(record, 80); // where the header lies, its size, where the pixels lie, their size
    WriteU32(record, static_cast<uint32_t>(info.size()));
    WriteU32(record, static_cast<uint32_t>(80 + info.size()));
    WriteU32(record, static_cast<uint32_t>(dib.Bits.size()));
    WriteU32(record, 0);          // colours from the palette
    WriteU32(record, 0x00CC0020); // copy the source
    WriteU32(record, 100);        // destination extent
    WriteU32(record, 50);
    record += info + dib.Bits;
    record.resize((record.size() + 3) / 4 * 4, '\0');
    Patch32(record, 4, static_cast<uint32_t>(record.size()));
    const std::string emf = metafile_fixture::Emf();
    const size_t end = emf.size() - 20; // the end record
    std::string out = emf.substr(0, end) + record + emf.substr(end);
    Patch32(out, 48, static_cast<uint32_t>(out.size()));
    Patch32(out, 52, ReadU32(out, 52) + 1);
    return out;
}

// The fixture's placeable Windows metafile with a stretched-bitmap record before its end
// record.
inline std::string WmfWithBitmap(const TDib& dib) {
    std::string record;
    WriteU32(record, 0);
    WriteU16(record, 0x0F43);
    WriteU32(record, 0x00CC0020); // copy the source
    WriteU16(record, 0);          // colours from the palette
    for (int32_t v : {dib.Height, dib.Width, 0, 0, 50, 100, 0, 0}) {
        WriteU16(record, static_cast<uint32_t>(v) & 0xFFFF);
    }
    record += DibHeader(dib) + dib.Palette + dib.Bits;
    record.resize((record.size() + 1) / 2 * 2, '\0');
    Patch32(record, 0, static_cast<uint32_t>(record.size() / 2));
    const std::string wmf = metafile_fixture::Wmf(true);
    const size_t end = wmf.size() - 6; // the end record
    std::string out = wmf.substr(0, end) + record + wmf.substr(end);
    Patch32(out, 22 + 6, static_cast<uint32_t>((out.size() - 22) / 2));
    Patch32(out, 22 + 12, static_cast<uint32_t>(record.size() / 2));
    return out;
}

// A palette of `count` entries, each blue-green-red-reserved.
inline std::string Palette(size_t count) {
    std::string p;
    for (size_t i = 0; i < count; ++i) {
        WriteU32(p, static_cast<uint32_t>(i * 0x010101u));
    }
    return p;
}

// A 16 x 16 bitmap of 8 bits a pixel, run-length coded: every row a run of 16 pixels of colour
// 1, the row ends, and last the end mark, unless `endMark` is false.
inline TDib Rle8(bool endMark) {
    TDib dib;
    dib.Width = 16;
    dib.Height = 16;
    dib.BitCount = 8;
    dib.Compression = 1;
    dib.ColorsUsed = 2;
    dib.Palette = Palette(2);
    dib.Bits.clear();
    for (int row = 0; row < 16; ++row) {
        dib.Bits += std::string("\x10\x01\x00\x00", 4);
    }
    if (endMark) {
        dib.Bits += std::string("\x00\x01", 2);
    }
    return dib;
}

struct THostile {
    const char* Name;
    std::string Bytes;
};

// A bitmap header of 16 bytes, 0 pixels wide and 2,139,062,143 rows high.
inline TDib EndlessRows() {
    TDib dib;
    dib.HeaderSize = 16;
    dib.Width = 0;
    dib.Height = 0x7F7F7F7F;
    dib.Bits = std::string(16, '\x7F');
    return dib;
}

// 2^31 x 2^31 pixels: four bytes each make exactly 2^64 bytes.
inline TDib WrappingSize() {
    TDib dib;
    dib.Width = INT32_MIN;
    dib.Height = INT32_MIN;
    dib.BitCount = 32;
    return dib;
}

// Two pixels of 8 bits that claim 1,600,000,000 palette colours.
inline TDib ManyColours() {
    TDib dib;
    dib.BitCount = 8;
    dib.ColorsUsed = 1600000000;
    dib.Palette = Palette(2);
    dib.Bits = std::string(8, '\x01');
    return dib;
}

// The fixture's enhanced metafile whose description has no characters and starts at the end
// of the file.
inline std::string DescriptionAtTheEnd() {
    std::string emf = metafile_fixture::Emf();
    Patch32(emf, 60, 0);
    Patch32(emf, 64, static_cast<uint32_t>(emf.size()));
    return emf;
}

inline std::vector<THostile> Hostile() {
    return {
        {"EMF bitmap of zero width and endless rows", EmfWithBitmap(EndlessRows())},
        {"WMF bitmap of zero width and endless rows", WmfWithBitmap(EndlessRows())},
        {"EMF run-length bitmap without its end mark", EmfWithBitmap(Rle8(false))},
        {"WMF run-length bitmap without its end mark", WmfWithBitmap(Rle8(false))},
        {"EMF description of no characters at the end", DescriptionAtTheEnd()},
        {"EMF bitmap whose size wraps", EmfWithBitmap(WrappingSize())},
        {"WMF bitmap whose size wraps", WmfWithBitmap(WrappingSize())},
        {"EMF bitmap of 1.6 billion colours", EmfWithBitmap(ManyColours())},
        {"WMF bitmap of 1.6 billion colours", WmfWithBitmap(ManyColours())},
    };
}

} // namespace hostile_metafile
