#pragma once

// Program files written byte by byte for the tests: a PE file (MS-DOS stub header, PE
// headers, one resource section) and an NE file (the 16-bit layout icon libraries use), each
// holding icon groups made of the icon images given. Image i has resource number i + 1;
// group g lists the images whose numbers it is given and has resource number 100 + g.

#include "platform/graphics/LittleEndian.h"

#include <QBuffer>
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace program_file_fixture {

// A 32 x 32 icon image of one colour, as PNG.
inline std::string PngIcon(QRgb color) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// The group resource listing the images `ids` (each 32 x 32, 32 bits).
inline std::string GroupOf(const std::vector<std::string>& images,
                           const std::vector<uint16_t>& ids) {
    std::string g;
    WriteU16(g, 0);
    WriteU16(g, 1);
    WriteU16(g, static_cast<uint32_t>(ids.size()));
    for (uint16_t id : ids) {
        g += std::string("\x20\x20\x00\x00", 4);
        WriteU16(g, 1);
        WriteU16(g, 32);
        WriteU32(g, static_cast<uint32_t>(images[id - 1].size()));
        WriteU16(g, id);
    }
    return g;
}

inline std::string MzHeader(uint32_t newHeader) {
    std::string mz = "MZ" + std::string(0x3A, '\0');
    WriteU32(mz, newHeader);
    return mz;
}

inline void PadTo(std::string& s, size_t size) {
    if (s.size() < size) {
        s.append(size - s.size(), '\0');
    }
}

inline std::string Pe(const std::vector<std::string>& images,
                      const std::vector<std::vector<uint16_t>>& groups) {
    constexpr uint32_t SectionRva = 0x1000;
    constexpr uint32_t SectionFile = 0x200;
    const size_t n = images.size();
    const size_t m = groups.size();
    std::vector<std::string> blobs = images;
    for (const auto& ids : groups) {
        blobs.push_back(GroupOf(images, ids));
    }
    // Where each part of the resource section goes.
    const uint32_t iconDir = 32;
    const uint32_t groupDir = iconDir + 16 + 8 * static_cast<uint32_t>(n);
    const uint32_t langDirs = groupDir + 16 + 8 * static_cast<uint32_t>(m);
    const uint32_t dataEntries = langDirs + 24 * static_cast<uint32_t>(n + m);
    uint32_t dataAt = dataEntries + 16 * static_cast<uint32_t>(n + m);
    auto dirHead = [](std::string& s, size_t ids) {
        s += std::string(12, '\0');
        WriteU16(s, 0);
        WriteU16(s, static_cast<uint32_t>(ids));
    };
    std::string r;
    dirHead(r, 2);
    WriteU32(r, 3);
    WriteU32(r, 0x80000000u | iconDir);
    WriteU32(r, 14);
    WriteU32(r, 0x80000000u | groupDir);
    dirHead(r, n);
    for (size_t i = 0; i < n; ++i) {
        WriteU32(r, static_cast<uint32_t>(i + 1));
        WriteU32(r, 0x80000000u | (langDirs + 24 * static_cast<uint32_t>(i)));
    }
    dirHead(r, m);
    for (size_t g = 0; g < m; ++g) {
        WriteU32(r, static_cast<uint32_t>(100 + g));
        WriteU32(r, 0x80000000u | (langDirs + 24 * static_cast<uint32_t>(n + g)));
    }
    for (size_t k = 0; k < n + m; ++k) {
        dirHead(r, 1);
        WriteU32(r, 0x409);
        WriteU32(r, dataEntries + 16 * static_cast<uint32_t>(k));
    }
    std::string data;
    for (const std::string& blob : blobs) {
        WriteU32(r, SectionRva + dataAt + static_cast<uint32_t>(data.size()));
        WriteU32(r, static_cast<uint32_t>(blob.size()));
        WriteU32(r, 0);
        WriteU32(r, 0);
        data += blob;
        PadTo(data, (data.size() + 3) / 4 * 4);
    }
    r += data;

    std::string file = MzHeader(64);
    file += std::string("PE\0\0", 4);
    WriteU16(file, 0x14C); // machine
    WriteU16(file, 1);     // sections
    file += std::string(12, '\0');
    WriteU16(file, 224); // optional header size
    WriteU16(file, 0x0102);
    std::string optional;
    WriteU16(optional, 0x10B);
    PadTo(optional, 92);
    WriteU32(optional, 16); // data directories
    for (int d = 0; d < 16; ++d) {
        WriteU32(optional, d == 2 ? SectionRva : 0);
        WriteU32(optional, d == 2 ? static_cast<uint32_t>(r.size()) : 0);
    }
    file += optional;
    std::string section = ".rsrc" + std::string(3, '\0');
    WriteU32(section, static_cast<uint32_t>(r.size())); // virtual size
    WriteU32(section, SectionRva);
    WriteU32(section, static_cast<uint32_t>(r.size())); // raw size
    WriteU32(section, SectionFile);
    section += std::string(16, '\0');
    file += section;
    PadTo(file, SectionFile);
    return file + r;
}

// The NE form: resources aligned to 16 bytes.
inline std::string Ne(const std::vector<std::string>& images,
                      const std::vector<std::vector<uint16_t>>& groups) {
    constexpr uint32_t Shift = 4;
    std::string file = MzHeader(64);
    const size_t n = images.size();
    const size_t m = groups.size();
    const uint32_t tableAt = 64; // relative to the NE header
    const uint32_t tableSize =
        2 + 8 + 12 * static_cast<uint32_t>(n) + 8 + 12 * static_cast<uint32_t>(m) + 2;
    std::string ne = "NE" + std::string(0x22, '\0');
    WriteU16(ne, tableAt);
    WriteU16(ne, tableAt + tableSize);
    PadTo(ne, 64);
    uint32_t dataAt = (64 + 64 + tableSize + 15) / 16 * 16;
    std::string table;
    WriteU16(table, Shift);
    std::string data;
    auto addType = [&](uint32_t type, const std::vector<std::string>& blobs, uint32_t firstId) {
        WriteU16(table, 0x8000 | type);
        WriteU16(table, static_cast<uint32_t>(blobs.size()));
        WriteU32(table, 0);
        for (size_t i = 0; i < blobs.size(); ++i) {
            const uint32_t at = dataAt + static_cast<uint32_t>(data.size());
            WriteU16(table, at >> Shift);
            WriteU16(table, static_cast<uint32_t>((blobs[i].size() + 15) >> Shift));
            WriteU16(table, 0x30);
            WriteU16(table, 0x8000 | (firstId + static_cast<uint32_t>(i)));
            WriteU32(table, 0);
            data += blobs[i];
            PadTo(data, (data.size() + 15) / 16 * 16);
        }
    };
    std::vector<std::string> groupBlobs;
    for (const auto& ids : groups) {
        groupBlobs.push_back(GroupOf(images, ids));
    }
    addType(3, images, 1);
    addType(14, groupBlobs, 100);
    WriteU16(table, 0);
    file += ne + table;
    PadTo(file, dataAt);
    return file + data;
}

} // namespace program_file_fixture
