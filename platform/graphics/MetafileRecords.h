#pragma once

// What a metafile's bytes say about themselves, read before any of them reach a player: the
// kind, the frame and the record structure. Every record must lie inside the bytes, so that
// the players never read past the end of what they were given.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

struct TMetafileLayout {
    bool Enhanced = false;
    // Windows metafiles: whether the 22-byte placeable header leads.
    bool Placeable = false;
    // The frame of a Windows metafile in its logical units (placeable header, or else the
    // first window origin and extent records), and the units per inch (0 when not given).
    bool HasFrame = false;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int Inch = 0;
    // A Windows metafile's own window (its first origin and extent records): the logical
    // space its drawing fills, whatever frame a placeable header gives.
    bool HasWindow = false;
    int32_t WindowLeft = 0;
    int32_t WindowTop = 0;
    int32_t WindowRight = 0;
    int32_t WindowBottom = 0;
    // An enhanced metafile's frame, in hundredths of a millimetre.
    int64_t MMWidth = 0;
    int64_t MMHeight = 0;
    // The bytes of the header that gave the size.
    int HeaderSize = 0;
    // False when an enhanced metafile holds a bitmap that is an image (PNG, JPEG) too large
    // to decode within the bounds of a picture, or of a size that cannot be read: the picture
    // is drawn as a frame. (Our player of Windows metafiles draws no such images.)
    bool ImagesFit = true;
};

// Raises EInvalidGraphic with the message for a picture that cannot be loaded when the bytes
// are no metafile, are cut short or hold a record that reaches past their end.
TMetafileLayout ReadMetafileLayout(std::string_view bytes);

// Where the bitmaps of an enhanced metafile record of `type` are described: for each, the offset
// in the record of four fields, where its header lies and its size, where its pixels lie and
// their size (offsets from the record's start). None for records without bitmaps.
std::span<const size_t> EmfBitmapFields(uint32_t type);

// Calls `record` with the type and the bytes of each record of an enhanced metafile that passed
// ReadMetafileLayout, the end record last; answers where the records end (any bytes after the
// end record are no record).
size_t ForEachEmfRecord(std::string_view bytes,
                        const std::function<void(uint32_t type, std::string_view record)>& record);

// `rewritten`, made from the enhanced metafile `original` by rewriting its records, with the
// size its header declares grown or shrunk as it was.
void FollowEmfSize(std::string& rewritten, std::string_view original);

// The units per inch a metafile without any is given, where a size must be known.
constexpr int DefaultMetafileInch = 1440;

// Above this many bytes of pixels, a picture is refused rather than drawn.
constexpr int64_t MaxPicturePixelBytes = 64LL * 1024 * 1024;
