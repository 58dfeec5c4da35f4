#include "platform/graphics/EmfBitmapRecords.h"

#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/MetafileBitmaps.h"
#include "platform/graphics/MetafileRecords.h"

#include <QImage>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t EmrAlphaBlend = 114;
// Where an alpha blend says whether it blends by the source's own opacity.
constexpr size_t AlphaFormatAt = 43;
constexpr uint32_t SourceAlpha = 0x01;

constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiRle8 = 1;
constexpr uint32_t BiRle4 = 2;
constexpr uint32_t InfoHeaderSize = 40;

// One bitmap of a record: its header (with its colours) and its pixels.
struct TRecordBitmap {
    std::string Header;
    std::string Pixels;
};

// A bitmap's header and colours as one block, followed by its pixels: the form the bitmap
// reader takes. Only the colours the header counts are kept.
std::string PackedDib(std::string_view header, std::string_view pixels) {
    const uint32_t bitCount = ReadU16(header, 14);
    uint64_t colours = ReadU32(header, 32);
    if (bitCount <= 8 && (colours == 0 || colours > (uint64_t{1} << bitCount))) {
        colours = uint64_t{1} << bitCount;
    }
    const size_t size = ReadU32(header, 0);
    return std::string(header.substr(0, std::min<size_t>(header.size(), size + 4 * colours))) +
           std::string(pixels);
}

// A bitmap of plain 32-bit pixels, bottom-up, with their opacity in their fourth byte.
TRecordBitmap PlainBitmap(const QImage& image) {
    TRecordBitmap out;
    const auto width = static_cast<uint32_t>(image.width());
    const auto height = static_cast<uint32_t>(image.height());
    for (uint32_t v : {InfoHeaderSize, width, height}) {
        WriteU32(out.Header, v);
    }
    WriteU16(out.Header, 1);
    WriteU16(out.Header, 32);
    for (uint32_t v : {BiRgb, width * height * 4, 2835u, 2835u, 0u, 0u}) {
        WriteU32(out.Header, v);
    }
    out.Pixels.reserve(static_cast<size_t>(width) * height * 4);
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            WriteU32(out.Pixels, line[x]);
        }
    }
    return out;
}

// The bitmap as the converter can read it, or nothing when it can read it as it is.
std::optional<TRecordBitmap> Convertible(std::string_view header, std::string_view pixels,
                                         bool blendsByOpacity) {
    if (header.size() < InfoHeaderSize || ReadU32(header, 0) < InfoHeaderSize) {
        return std::nullopt;
    }
    const uint32_t bitCount = ReadU16(header, 14);
    const uint32_t compression = ReadU32(header, 16);
    if (compression == BiRle8 || compression == BiRle4) {
        QImage image;
        std::string error;
        if (!DecodeDib(PackedDib(header, pixels), image, error, TSkippedPixels::Transparent)) {
            return std::nullopt;
        }
        return PlainBitmap(image.convertToFormat(QImage::Format_ARGB32));
    }
    if (compression == BiRgb && bitCount == 32 && !blendsByOpacity) {
        TRecordBitmap opaque{std::string(header), std::string(pixels)};
        for (size_t at = 3; at < opaque.Pixels.size(); at += 4) {
            opaque.Pixels[at] = '\xFF';
        }
        return opaque;
    }
    return std::nullopt;
}

void Patch(std::string& record, size_t at, size_t value) {
    std::string field;
    WriteU32(field, static_cast<uint32_t>(value));
    record.replace(at, 4, field);
}

// The record with its bitmaps made readable, or nothing when they are read as they are.
std::optional<std::string> ConvertibleRecord(std::string_view record, uint32_t type) {
    const auto fields = EmfBitmapFields(type);
    if (fields.empty()) {
        return std::nullopt;
    }
    const bool blendsByOpacity = type == EmrAlphaBlend && record.size() > AlphaFormatAt &&
                                 (static_cast<uint8_t>(record[AlphaFormatAt]) & SourceAlpha);
    // The record's own fields end where its first bitmap starts.
    size_t fixed = record.size();
    size_t lastField = 0;
    std::vector<TRecordBitmap> bitmaps;
    bool changed = false;
    for (const size_t f : fields) {
        if (f + 16 > record.size()) {
            return std::nullopt;
        }
        const uint64_t headerAt = ReadU32(record, f);
        const uint64_t headerSize = ReadU32(record, f + 4);
        const uint64_t pixelsAt = ReadU32(record, f + 8);
        const uint64_t pixelsSize = ReadU32(record, f + 12);
        lastField = f + 16;
        if (headerSize == 0) {
            bitmaps.push_back({});
            continue;
        }
        try {
            CheckDib(record, headerAt, headerAt + headerSize, pixelsAt, pixelsAt + pixelsSize);
        } catch (const EInvalidGraphic&) {
            return std::nullopt;
        }
        fixed = std::min<size_t>({fixed, headerAt, pixelsAt});
        const std::string_view header = record.substr(headerAt, headerSize);
        const std::string_view pixels = record.substr(pixelsAt, pixelsSize);
        std::optional<TRecordBitmap> readable = Convertible(header, pixels, blendsByOpacity);
        changed = changed || readable.has_value();
        bitmaps.push_back(readable ? *readable
                                   : TRecordBitmap{std::string(header), std::string(pixels)});
    }
    if (!changed || fixed < lastField) {
        return std::nullopt;
    }
    std::string out(record.substr(0, (fixed + 3) / 4 * 4));
    out.resize((fixed + 3) / 4 * 4, '\0');
    for (size_t i = 0; i < fields.size(); ++i) {
        const TRecordBitmap& bitmap = bitmaps[i];
        if (bitmap.Header.empty()) {
            continue;
        }
        Patch(out, fields[i], out.size());
        Patch(out, fields[i] + 4, bitmap.Header.size());
        out += bitmap.Header;
        out.resize((out.size() + 3) / 4 * 4, '\0');
        Patch(out, fields[i] + 8, out.size());
        Patch(out, fields[i] + 12, bitmap.Pixels.size());
        out += bitmap.Pixels;
        out.resize((out.size() + 3) / 4 * 4, '\0');
    }
    Patch(out, 4, out.size());
    return out;
}

} // namespace

std::string EmfWithConvertibleBitmaps(std::string_view bytes) {
    std::string out(bytes.substr(0, ReadU32(bytes, 4)));
    bool changed = false;
    const size_t end = ForEachEmfRecord(bytes, [&](uint32_t type, std::string_view record) {
        const std::optional<std::string> readable = ConvertibleRecord(record, type);
        changed = changed || readable.has_value();
        out += readable ? *readable : std::string(record);
    });
    if (!changed) {
        return std::string(bytes);
    }
    out.append(bytes.substr(end));
    FollowEmfSize(out, bytes);
    return out;
}
