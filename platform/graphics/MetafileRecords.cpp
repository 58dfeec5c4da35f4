#include "platform/graphics/MetafileRecords.h"

#include "platform/graphics/Graphic.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/MetafileBitmaps.h"
#include "platform/graphics/WmfRecord.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr size_t EmfHeaderMinimum = 88;

[[noreturn]] void Refuse() {
    throw EInvalidGraphic(InvalidPictureFormat);
}

int32_t I16(std::string_view b, size_t at) {
    return static_cast<int16_t>(ReadU16(b, at));
}

int32_t I32(std::string_view b, size_t at) {
    return static_cast<int32_t>(ReadU32(b, at));
}

// A Windows metafile's records from `at` on: each whole inside the bytes, the end record
// last. Bytes may end after a whole record without the end record.
void WalkWmfRecords(std::string_view b, size_t at, TMetafileLayout& layout) {
    bool haveOrg = false;
    bool haveExt = false;
    TWmfRecord record;
    TWmfStep step;
    while ((step = NextWmfRecord(b, at, record)) == TWmfStep::Record) {
        switch (record.Function) {
        case 0x020B: // window origin
            if (!haveOrg && record.Words() >= 2) {
                layout.WindowTop = record.I16(0);
                layout.WindowLeft = record.I16(1);
                haveOrg = true;
            }
            break;
        case 0x020C: // window extent
            if (!haveExt && record.Words() >= 2) {
                layout.WindowBottom = record.I16(0);
                layout.WindowRight = record.I16(1);
                haveExt = true;
            }
            break;
        default:
            break;
        }
        if (const std::optional<size_t> word = WmfBitmapWord(record)) {
            // The record's parameters, as offsets into the bytes: a bitmap in a Windows
            // metafile record has its pixels right after its header, up to the record's end.
            const uint64_t params = static_cast<uint64_t>(record.Params.data() - b.data());
            const uint64_t end = params + record.Params.size();
            CheckDib(b, params + 2 * *word, end, DibBitsAfterHeader, end);
        }
    }
    if (step == TWmfStep::Bad) {
        Refuse();
    }
    if (haveExt && layout.WindowRight != 0 && layout.WindowBottom != 0) {
        layout.WindowRight += layout.WindowLeft;
        layout.WindowBottom += layout.WindowTop;
        layout.HasWindow = true;
    }
    if (!layout.Placeable && layout.HasWindow) {
        layout.Left = layout.WindowLeft;
        layout.Top = layout.WindowTop;
        layout.Right = layout.WindowRight;
        layout.Bottom = layout.WindowBottom;
        layout.HasFrame = true;
    }
}

TMetafileLayout ReadWmf(std::string_view b) {
    TMetafileLayout layout;
    size_t at = 0;
    if (b.size() >= 4 && ReadU32(b, 0) == WmfPlaceableKey) {
        if (b.size() < WmfPlaceableSize) {
            Refuse();
        }
        layout.Placeable = true;
        layout.Left = I16(b, 6);
        layout.Top = I16(b, 8);
        layout.Right = I16(b, 10);
        layout.Bottom = I16(b, 12);
        // A frame without units per inch is given the default, as a metafile that came
        // without any is.
        layout.Inch = static_cast<int>(ReadU16(b, 14));
        if (layout.Inch == 0) {
            layout.Inch = DefaultMetafileInch;
        }
        layout.HasFrame = true;
        layout.HeaderSize = static_cast<int>(WmfPlaceableSize);
        at = WmfPlaceableSize;
    }
    if (b.size() - at < WmfHeaderSize) {
        Refuse();
    }
    const uint32_t type = ReadU16(b, at);
    const uint32_t headerWords = ReadU16(b, at + 2);
    if ((type != 1 && type != 2) || headerWords != 9) {
        Refuse();
    }
    // The size the header declares, in 16-bit words, must be there, and so must a record as
    // large as the largest one it declares: readers size their buffers by it.
    const uint64_t declared = static_cast<uint64_t>(ReadU32(b, at + 6)) * 2;
    const uint64_t largestRecord = static_cast<uint64_t>(ReadU32(b, at + 12)) * 2;
    if (declared > b.size() - at || largestRecord > b.size() - at) {
        Refuse();
    }
    WalkWmfRecords(b, at + WmfHeaderSize, layout);
    if (!layout.Placeable) {
        layout.HeaderSize = static_cast<int>(WmfHeaderSize);
    }
    return layout;
}

// False when a bitmap of the record cannot be drawn within the bounds of a picture.
bool CheckEmfBitmaps(std::string_view b, size_t at, uint32_t type, uint64_t size) {
    bool fit = true;
    for (const size_t fields : EmfBitmapFields(type)) {
        if (fields + 16 > size) {
            Refuse();
        }
        const uint64_t bmiOffset = ReadU32(b, at + fields);
        const uint64_t bmiSize = ReadU32(b, at + fields + 4);
        const uint64_t bitsOffset = ReadU32(b, at + fields + 8);
        const uint64_t bitsSize = ReadU32(b, at + fields + 12);
        if (bmiSize == 0) {
            continue; // a transfer without a source bitmap
        }
        if (bmiOffset + bmiSize > size || bitsOffset + bitsSize > size) {
            Refuse();
        }
        fit = CheckDib(b, at + bmiOffset, at + bmiOffset + bmiSize, at + bitsOffset,
                       at + bitsOffset + bitsSize) &&
              fit;
    }
    return fit;
}

TMetafileLayout ReadEmf(std::string_view b) {
    TMetafileLayout layout;
    layout.Enhanced = true;
    const uint64_t headerSize = ReadU32(b, 4);
    if (headerSize < EmfHeaderMinimum || headerSize % 4 != 0 || headerSize > b.size()) {
        Refuse();
    }
    // The frame, in hundredths of a millimetre, inclusive.
    const int64_t left = I32(b, 24);
    const int64_t top = I32(b, 28);
    const int64_t right = I32(b, 32);
    const int64_t bottom = I32(b, 36);
    layout.MMWidth = right - left;
    layout.MMHeight = bottom - top;
    if (layout.MMWidth < 0 || layout.MMHeight < 0 || layout.MMWidth > INT32_MAX ||
        layout.MMHeight > INT32_MAX) {
        Refuse();
    }
    // The whole size the header declares must be there (0: not declared).
    const uint64_t declared = ReadU32(b, 48);
    if (declared > b.size()) {
        Refuse();
    }
    // The description, when there is one, lies inside the header record after its fixed
    // part. Its place is checked whatever its length: a player reads at an offset it is
    // given even for no characters.
    const uint64_t descriptionChars = ReadU32(b, 60);
    const uint64_t descriptionAt = ReadU32(b, 64);
    if ((descriptionChars > 0 || descriptionAt > 0) &&
        (descriptionAt < EmfHeaderMinimum || descriptionAt + descriptionChars * 2 > headerSize)) {
        Refuse();
    }
    layout.HeaderSize = static_cast<int>(headerSize);
    size_t at = static_cast<size_t>(headerSize);
    while (at < b.size()) {
        if (b.size() - at < 8) {
            Refuse();
        }
        const uint32_t type = ReadU32(b, at);
        const uint64_t size = ReadU32(b, at + 4);
        if (size < 8 || size % 4 != 0 || size > b.size() - at || type == 1 || type == 0) {
            Refuse();
        }
        if (!CheckEmfBitmaps(b, at, type, size)) {
            layout.ImagesFit = false;
        }
        if (type == 14) { // the end record
            break;
        }
        at += static_cast<size_t>(size);
    }
    return layout;
}

} // namespace

std::span<const size_t> EmfBitmapFields(uint32_t type) {
    static constexpr size_t Transfer[] = {84};
    static constexpr size_t MaskedTransfer[] = {84, 112};
    static constexpr size_t Parallelogram[] = {96, 124};
    static constexpr size_t ToDevice[] = {48};
    static constexpr size_t Brush[] = {16};
    switch (type) {
    case 76:  // bit block transfer
    case 77:  // stretched block transfer
    case 114: // alpha blend
    case 116: // transparent block transfer
        return Transfer;
    case 78: // masked block transfer: the source, then the mask
        return MaskedTransfer;
    case 79: // parallelogram block transfer: the source, then the mask
        return Parallelogram;
    case 80: // bits set onto the device
    case 81: // stretched bits
        return ToDevice;
    case 93: // monochrome brush
    case 94: // pattern brush
        return Brush;
    default:
        return {};
    }
}

size_t ForEachEmfRecord(std::string_view bytes,
                        const std::function<void(uint32_t type, std::string_view record)>& record) {
    size_t at = ReadU32(bytes, 4);
    while (bytes.size() - at >= 8) {
        const uint32_t type = ReadU32(bytes, at);
        const size_t size = ReadU32(bytes, at + 4);
        if (size < 8 || size > bytes.size() - at) {
            break;
        }
        record(type, bytes.substr(at, size));
        at += size;
        if (type == 14) { // the end record
            break;
        }
    }
    return at;
}

void FollowEmfSize(std::string& rewritten, std::string_view original) {
    const uint32_t declared = ReadU32(original, 48);
    if (declared == 0) {
        return; // not declared
    }
    const int64_t grown =
        static_cast<int64_t>(rewritten.size()) - static_cast<int64_t>(original.size());
    std::string field;
    WriteU32(field, static_cast<uint32_t>(std::max<int64_t>(0, declared + grown)));
    rewritten.replace(48, 4, field);
}

TMetafileLayout ReadMetafileLayout(std::string_view bytes) {
    if (bytes.size() >= EmfHeaderMinimum && ReadU32(bytes, 0) == 1 &&
        ReadU32(bytes, 40) == EmfSignature) {
        return ReadEmf(bytes);
    }
    return ReadWmf(bytes);
}
