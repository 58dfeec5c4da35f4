#pragma once

// The records of a Windows metafile, one after the other: the record walk that checks a
// metafile when it is loaded and the player that draws it step through them with the same
// function, so both agree on every record and on where the metafile ends.

#include "platform/graphics/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The placeable header that may lead a Windows metafile, and the metafile's own header.
constexpr size_t WmfPlaceableSize = 22;
constexpr size_t WmfHeaderSize = 18;
constexpr uint32_t WmfPlaceableKey = 0x9AC6CDD7;

// One record: its function and the bytes of its parameters, in 16-bit words.
struct TWmfRecord {
    uint32_t Function = 0;
    std::string_view Params;

    size_t Words() const { return Params.size() / 2; }
    // The parameter word `i` (0 when the record has no such word), unsigned or signed, and a
    // 32-bit value made of the words `i` and `i + 1`, the low word first.
    uint32_t U16(size_t i) const { return i < Words() ? ReadU16(Params, 2 * i) : 0; }
    int32_t I16(size_t i) const { return static_cast<int16_t>(U16(i)); }
    uint32_t U32(size_t i) const { return U16(i) | U16(i + 1) << 16; }
    // The parameter bytes from word `i` on.
    std::string_view From(size_t i) const {
        return 2 * i < Params.size() ? Params.substr(2 * i) : std::string_view();
    }
};

enum class TWmfStep {
    Record, // a whole record, `at` moved past it
    End,    // the end record, or no bytes left: nothing after it belongs to the metafile
    Bad     // a record cut short or reaching past the bytes
};

// Reads the record at `at`. A record of function 0 ends the metafile whatever size it gives
// itself: the bytes after it are neither checked nor played.
inline TWmfStep NextWmfRecord(std::string_view bytes, size_t& at, TWmfRecord& record) {
    if (at >= bytes.size()) {
        return TWmfStep::End;
    }
    if (bytes.size() - at < 6) {
        return TWmfStep::Bad;
    }
    const uint64_t words = ReadU32(bytes, at);
    const uint32_t function = ReadU16(bytes, at + 4);
    if (words < 3 || words * 2 > bytes.size() - at) {
        return TWmfStep::Bad;
    }
    if (function == 0) {
        return TWmfStep::End;
    }
    record.Function = function;
    record.Params = bytes.substr(at + 6, static_cast<size_t>(words * 2 - 6));
    at += static_cast<size_t>(words * 2);
    return TWmfStep::Record;
}

// Whether a block transfer record (0x0940, 0x0B41) carries a bitmap: without one it has as
// many parameter words as its function's high byte says, and only fills its rectangle.
inline bool WmfCarriesBitmap(const TWmfRecord& record) {
    return record.Words() > (record.Function >> 8);
}

// Where the device-independent bitmap of a record starts, as an index of its parameter words
// (the pixels follow its header and colours): the bitmap the walk checks is the one the player
// draws. None for records without a bitmap.
inline std::optional<size_t> WmfBitmapWord(const TWmfRecord& record) {
    switch (record.Function) {
    case 0x0940: // copied onto the page: the raster operation, source and destination
        return WmfCarriesBitmap(record) ? std::optional<size_t>(8) : std::nullopt;
    case 0x0B41: // stretched onto the page: the raster operation, source and destination
        return WmfCarriesBitmap(record) ? std::optional<size_t>(10) : std::nullopt;
    case 0x0F43: // stretched with its colours: as above after the colour usage
        return 11;
    case 0x0D33: // set onto the device: the colour usage, scan lines, source, destination
        return 9;
    case 0x0142: // a pattern brush: its style and colour usage
        return 2;
    default:
        return std::nullopt;
    }
}

// Where the first record of a metafile that passed the walk starts.
inline size_t WmfFirstRecord(std::string_view bytes) {
    const bool placeable = bytes.size() >= 4 && ReadU32(bytes, 0) == WmfPlaceableKey;
    return (placeable ? WmfPlaceableSize : 0) + WmfHeaderSize;
}
