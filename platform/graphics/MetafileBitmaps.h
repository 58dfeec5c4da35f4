#pragma once

// The device-independent bitmaps inside metafile records, checked before any player sees them:
// the players size their buffers and loops by the header's fields and walk run-length data to
// its end mark, so every field they trust must be sound and every byte they read must be there.

#include <cstdint>
#include <string_view>

// For a record that does not say where the pixels lie: right after the header and its
// colour table.
constexpr uint64_t DibBitsAfterHeader = UINT64_MAX;

// Raises EInvalidGraphic unless the bitmap whose header and colour table lie between `from`
// and `end` of `b`, and whose pixels lie between `bitsFrom` and `bitsEnd`, is sound: a header
// of one of the sizes the format has, a size neither empty nor larger than any picture may be,
// a bit count and compression that go together, no more colours than the bit count gives,
// and all its pixels there (run-length data ending with its end mark, writing nothing outside
// the bitmap). A sound bitmap may still be one that cannot be drawn within the bounds of a
// picture: a PNG or JPEG image inside of a kind other than the compression says, of a size
// that cannot be read, or larger than any picture may be; the answer is then false.
bool CheckDib(std::string_view b, uint64_t from, uint64_t end, uint64_t bitsFrom, uint64_t bitsEnd);

// Whether run-length coded pixels (4 bits a pixel when `four`, else 8) reach their end mark
// inside `data` and write no pixel outside `width` by `height`.
bool RunLengthFits(std::string_view data, uint64_t width, uint64_t height, bool four);
