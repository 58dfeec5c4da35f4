#pragma once

// The line-level pieces of RNF, the notes format: writing lines and fields, hexadecimal and
// binary bodies, reading the fields of a header line, and what the document's reader and
// writer share with the item classes.
//
// A header line is read through a view of what is left of it: each field routine takes its
// field off the front, with the one space after it.

#include "platform/graphics/Color.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNError.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TBitmap;
class TCustomRNData;
class TCustomRNItemInfo;
class TGraphic;
class TRNStyle;
class TStream;
class IControlParent;
class IEmbeddedControl;

// Why an RNF read failed; the reader adds the record and line.
class ERNFReadError : public ERichNoteError {
public:
    using ERichNoteError::ERichNoteError;
};

// What a background offers the RNF reader and writer: its drawing style and its picture. The
// display layer's background implements it.
enum class TBackgroundStyle { bsNoBitmap, bsStretched, bsTiled, bsTiledAndScrolled, bsCentered };

class IRNBackground {
public:
    virtual ~IRNBackground() = default;
    virtual TBackgroundStyle GetStyle() const = 0;
    virtual void SetStyle(TBackgroundStyle style) = 0;
    virtual TBitmap& Bitmap() = 0;
};

// What a read did besides its result, for callers that must undo or report it.
struct TRNFReadResult {
    // The items this read put into the document: from FirstItemNo, ItemsInserted of them.
    int FirstItemNo = 0;
    int ItemsInserted = 0;
    // Items inserted after the first one (the first goes through InsertFirstRNFItem).
    int NonFirstItemsAdded = 0;
    // Set while the read runs; stays set when it fails.
    bool Running = false;
    bool FullReformat = false;
    // Record, line and what was wrong, when the read failed.
    std::string Error;
};

// Lines.
void RNFWrite(TStream& stream, std::string_view s);
void RNFWriteLine(TStream& stream, std::string_view s);
// s, then the paragraph separator 29 20 for a Unicode line, else CR LF.
void RNFWriteLineX(TStream& stream, std::string_view s, bool unicode);
// A 32-bit little-endian byte count, then the bytes.
void RNFWriteBinary(TStream& stream, std::string_view bytes);
// The body line of a record: the bytes as they are when `binary`, else as a hexadecimal line.
void RNFWriteBody(TStream& stream, std::string_view bytes, bool binary);
// The byte count RNFWriteBinary puts before its bytes: written into `out[0..3]`, and read from
// the first four of `data` (which must hold them).
inline void RNFPutByteCount(char* out, uint32_t n) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>(n >> (8 * i));
    }
}
inline uint32_t RNFReadByteCount(std::string_view data) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// Bytes as upper-case hexadecimal digits, and back (either case). A bad digit or an odd
// length fails; the bytes decoded before it stay in `bytes`.
std::string RNFBytes2TextString(std::string_view bytes);
bool RNFTextString2Bytes(std::string_view s, std::string& bytes);

// Picture and control bodies: hexadecimal text, or a binary line written into the stream.
std::string RNFSavePicture(const TGraphic& graphic);
void RNFSavePictureBinary(TStream& stream, const TGraphic& graphic);
bool RNFLoadPicture(std::string_view s, TGraphic& graphic);
void RNFLoadPictureBinary(std::string_view bytes, TGraphic& graphic);
// A control is stored as its component stream; only a control read from a note has one, so
// any other control raises ERichNoteError and the write fails.
std::string RNFSaveControl(const IEmbeddedControl& control);
void RNFSaveControlBinary(TStream& stream, const IEmbeddedControl& control);
// A control of `className` holding `bytes`, hidden and placed on `parent`.
std::unique_ptr<IEmbeddedControl> RNFLoadControlBytes(const std::string& className,
                                                      const std::string& name, std::string bytes,
                                                      IControlParent* parent);

// Header fields. Each returns false for a field that is missing or malformed.
bool RNFReadString(std::string_view& p, std::string& s);
// An optional minus and decimal digits up to a space or the end; a lone minus is 0. Values
// beyond 32 bits fail.
bool RNFReadIntegerField(std::string_view& p, int& value);
// The same, with a lone digit (and its minus) read in place: nearly every header field is
// one, a table cell's one-paragraph document has nine, and a call for each would cost more
// than the reading.
inline bool RNFReadInteger(std::string_view& p, int& value) {
    const size_t sign = !p.empty() && p[0] == '-' ? 1 : 0;
    if (p.size() > sign) {
        const unsigned digit = static_cast<unsigned char>(p[sign]) - unsigned{'0'};
        const size_t end = sign + 1;
        if (digit <= 9 && (p.size() == end || p[end] == ' ')) {
            value = sign ? -static_cast<int>(digit) : static_cast<int>(digit);
            p.remove_prefix(p.size() == end ? end : end + 1);
            return true;
        }
    }
    return RNFReadIntegerField(p, value);
}

// A double-quoted string, a doubled quote standing for one.
bool RNFReadText(std::string_view& p, std::string& s);
// A tag: a string when tags are strings, else a number. The number, the usual form, is read
// in place like the fields around it.
bool RNFReadStringTag(std::string_view& p, RNTag& tag);
inline bool RNFReadTag(std::string_view& p, bool tagsArePChars, RNTag& tag) {
    if (tagsArePChars) {
        return RNFReadStringTag(p, tag);
    }
    int value = 0;
    if (!RNFReadInteger(p, value)) {
        return false;
    }
    tag = RNTag(value);
    return true;
}
// A number, or a quoted style name looked up in the sheet; a name the sheet does not hold
// gives style 0 and sets `unknownName`. The number, the usual form, is read in place.
bool RNFReadTextStyleName(const TRNStyle* sheet, std::string_view& p, int& styleNo,
                          bool& unknownName);
bool RNFReadParaStyleName(const TRNStyle* sheet, std::string_view& p, int& paraNo,
                          bool& unknownName);
inline bool RNFReadTextStyle(const TRNStyle* sheet, std::string_view& p, int& styleNo,
                             bool& unknownName) {
    if (!p.empty() && p.front() == '"') {
        return RNFReadTextStyleName(sheet, p, styleNo, unknownName);
    }
    return RNFReadInteger(p, styleNo);
}
inline bool RNFReadParaStyle(const TRNStyle* sheet, std::string_view& p, int& paraNo,
                             bool& unknownName) {
    if (!p.empty() && p.front() == '"') {
        return RNFReadParaStyleName(sheet, p, paraNo, unknownName);
    }
    return RNFReadInteger(p, paraNo);
}

// The field forms. A string tag with a blank or a line end, and (by name) a style name with a
// line end, cannot be read back: they raise ERichNoteError.
std::string RNFSaveTag(bool tagsArePChars, const RNTag& tag);
std::string RNFSaveText(const TRNStyle* sheet, bool useStyleNames, int styleNo);
std::string RNFSavePara(const TRNStyle* sheet, bool useStyleNames, int paraNo);
// A line that a reader would cut (a line end or NUL in it) raises ERichNoteError.
void RNFCheckLine(std::string_view s);

// The header line of an item record: StyleNo, line count, paragraph, options, save type, tag
// and the class's own tail.
void RNFSaveItemHeader(TStream& stream, TCustomRNData& rnData, const TCustomRNItemInfo& item,
                       int lineCount, int paraNo, int saveType);
