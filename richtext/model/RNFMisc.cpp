#include "richtext/model/RNFMisc.h"

#include "platform/base/Stream.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/Graphic.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNItem.h"
#include "richtext/model/RNStyle.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace {

constexpr char HexDigits[] = "0123456789ABCDEF";

// The value of each byte as a hexadecimal digit, -1 for a byte that is none.
struct HexTable {
    int8_t value[256];
    constexpr HexTable() : value() {
        for (int c = 0; c < 256; ++c) {
            value[c] = c >= '0' && c <= '9'   ? static_cast<int8_t>(c - '0')
                       : c >= 'A' && c <= 'F' ? static_cast<int8_t>(c - 'A' + 10)
                       : c >= 'a' && c <= 'f' ? static_cast<int8_t>(c - 'a' + 10)
                                              : int8_t{-1};
        }
    }
};
constexpr HexTable Hex;

int HexValue(char c) {
    return Hex.value[static_cast<unsigned char>(c)];
}

// The field up to the next space; the space itself is skipped.
std::string_view TakeField(std::string_view& p) {
    // Fields are a few bytes long: a plain loop beats a library search set up for long ones.
    size_t end = 0;
    while (end < p.size() && p[end] != ' ') {
        ++end;
    }
    std::string_view field = p.substr(0, end);
    p.remove_prefix(end == p.size() ? end : end + 1);
    return field;
}

std::string Quoted(std::string_view name) {
    RNFCheckLine(name);
    std::string s = "\"";
    for (char c : name) {
        s += c;
        if (c == '"') {
            s += '"';
        }
    }
    return s + '"';
}

template <class Infos>
bool ReadStyleName(const Infos* styles, std::string_view& p, int& styleNo, bool& unknownName) {
    std::string name;
    if (!RNFReadText(p, name)) {
        return false;
    }
    styleNo = 0;
    for (int i = 0; styles && i < styles->Count(); ++i) {
        if ((*styles)[i].StyleName == name) {
            styleNo = i;
            return true;
        }
    }
    unknownName = true;
    return true;
}

template <class Infos>
std::string SaveStyleRef(const Infos* styles, bool useStyleNames, int styleNo) {
    if (useStyleNames && styles && styleNo >= 0 && styleNo < styles->Count()) {
        // A name is read back as the first style of that name: a later style sharing it is
        // written by its number, or its items would come back in the other style.
        const std::string& name = (*styles)[styleNo].StyleName;
        bool shared = false;
        for (int i = 0; i < styleNo && !shared; ++i) {
            shared = (*styles)[i].StyleName == name;
        }
        if (!shared) {
            return Quoted(name);
        }
    }
    return std::to_string(styleNo);
}

} // namespace

void RNFWrite(TStream& stream, std::string_view s) {
    stream.WriteString(s);
}

void RNFWriteLine(TStream& stream, std::string_view s) {
    stream.WriteString(s);
    stream.WriteString("\r\n");
}

void RNFWriteLineX(TStream& stream, std::string_view s, bool unicode) {
    stream.WriteString(s);
    stream.WriteString(unicode ? std::string_view("\x29\x20", 2) : std::string_view("\r\n"));
}

void RNFWriteBinary(TStream& stream, std::string_view bytes) {
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        throw ERichNoteError("A body of more than 2 GB can't be saved");
    }
    char count[4];
    RNFPutByteCount(count, static_cast<uint32_t>(bytes.size()));
    stream.WriteBuffer(count, 4);
    stream.WriteString(bytes);
}

std::string RNFBytes2TextString(std::string_view bytes) {
    std::string s(bytes.size() * 2, '0');
    char* out = s.data();
    for (unsigned char b : bytes) {
        *out++ = HexDigits[b >> 4];
        *out++ = HexDigits[b & 15];
    }
    return s;
}

bool RNFTextString2Bytes(std::string_view s, std::string& bytes) {
    bytes.assign(s.size() / 2, '\0');
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        int hi = HexValue(s[i]);
        int lo = HexValue(s[i + 1]);
        if (hi < 0 || lo < 0) {
            bytes.resize(i / 2);
            return false;
        }
        bytes[i / 2] = static_cast<char>(hi << 4 | lo);
    }
    return s.size() % 2 == 0;
}

std::string RNFSavePicture(const TGraphic& graphic) {
    return RNFBytes2TextString(graphic.SaveToBytes());
}

void RNFWriteBody(TStream& stream, std::string_view bytes, bool binary) {
    if (binary) {
        RNFWriteBinary(stream, bytes);
    } else {
        RNFWriteLine(stream, RNFBytes2TextString(bytes));
    }
}

void RNFSavePictureBinary(TStream& stream, const TGraphic& graphic) {
    RNFWriteBinary(stream, graphic.SaveToBytes());
}

bool RNFLoadPicture(std::string_view s, TGraphic& graphic) {
    std::string bytes;
    if (!RNFTextString2Bytes(s, bytes)) {
        return false; // a damaged body is not worth decoding
    }
    graphic.LoadFromBytes(bytes);
    return true;
}

void RNFLoadPictureBinary(std::string_view bytes, TGraphic& graphic) {
    graphic.LoadFromBytes(bytes);
}

namespace {
// A control read from a note goes back as it came; a live one as its published properties.
std::string ControlBytes(const IEmbeddedControl& control) {
    if (const auto* stored = dynamic_cast<const TOpaqueControl*>(&control)) {
        return stored->Bytes();
    }
    return WriteControlComponent(control);
}
} // namespace

std::string RNFSaveControl(const IEmbeddedControl& control) {
    return RNFBytes2TextString(ControlBytes(control));
}

void RNFSaveControlBinary(TStream& stream, const IEmbeddedControl& control) {
    RNFWriteBinary(stream, ControlBytes(control));
}

std::unique_ptr<IEmbeddedControl> RNFLoadControlBytes(const std::string& className,
                                                      const std::string& name, std::string bytes,
                                                      IControlParent* parent) {
    auto control = std::make_unique<TOpaqueControl>(className, name, std::move(bytes));
    control->SetVisible(false);
    control->SetParent(parent);
    return control;
}

bool RNFReadString(std::string_view& p, std::string& s) {
    s = TakeField(p);
    return !s.empty();
}

bool RNFReadIntegerField(std::string_view& p, int& value) {
    std::string_view field = TakeField(p);
    if (field.empty()) {
        return false;
    }
    bool negative = field.front() == '-';
    if (negative) {
        field.remove_prefix(1);
        if (field.empty()) {
            value = 0;
            return true;
        }
    }
    uint32_t magnitude = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), magnitude);
    if (ec != std::errc() || end != field.data() + field.size() || field.front() == '+') {
        return false;
    }
    if (negative) {
        if (magnitude > uint32_t{1} << 31) {
            return false;
        }
        value = static_cast<int>(-static_cast<int64_t>(magnitude));
    } else {
        if (magnitude > static_cast<uint32_t>(std::numeric_limits<int>::max())) {
            return false;
        }
        value = static_cast<int>(magnitude);
    }
    return true;
}

bool RNFReadText(std::string_view& p, std::string& s) {
    if (p.empty() || p.front() != '"') {
        return false;
    }
    s.clear();
    size_t i = 1;
    for (;;) {
        if (i >= p.size()) {
            return false;
        }
        if (p[i] == '"') {
            if (i + 1 < p.size() && p[i + 1] == '"') {
                s += '"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        s += p[i++];
    }
    if (i < p.size()) {
        if (p[i] != ' ') {
            return false;
        }
        ++i;
    }
    p.remove_prefix(i);
    return true;
}

bool RNFReadStringTag(std::string_view& p, RNTag& tag) {
    std::string text;
    if (!RNFReadString(p, text)) {
        return false;
    }
    tag = text == "0" ? RNTag::String({}) : RNTag::String(std::move(text));
    return true;
}

bool RNFReadTextStyleName(const TRNStyle* sheet, std::string_view& p, int& styleNo,
                          bool& unknownName) {
    return ReadStyleName(sheet ? &sheet->TextStyles() : nullptr, p, styleNo, unknownName);
}

bool RNFReadParaStyleName(const TRNStyle* sheet, std::string_view& p, int& paraNo,
                          bool& unknownName) {
    return ReadStyleName(sheet ? &sheet->ParaStyles() : nullptr, p, paraNo, unknownName);
}

std::string RNFSaveTag(bool tagsArePChars, const RNTag& tag) {
    if (!tagsArePChars) {
        return std::to_string(tag.AsInt());
    }
    const std::string& text = tag.AsString();
    if (text.empty()) {
        return "0";
    }
    if (text.find_first_of(std::string_view(" \r\n\0", 4)) != std::string::npos) {
        throw ERichNoteError("A tag holding a blank or a line end can't be saved");
    }
    return text;
}

std::string RNFSaveText(const TRNStyle* sheet, bool useStyleNames, int styleNo) {
    return SaveStyleRef(sheet ? &sheet->TextStyles() : nullptr, useStyleNames, styleNo);
}

std::string RNFSavePara(const TRNStyle* sheet, bool useStyleNames, int paraNo) {
    return SaveStyleRef(sheet ? &sheet->ParaStyles() : nullptr, useStyleNames, paraNo);
}

void RNFCheckLine(std::string_view s) {
    if (s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        throw ERichNoteError("A line end inside a name can't be saved");
    }
}

void RNFSaveItemHeader(TStream& stream, TCustomRNData& rnData, const TCustomRNItemInfo& item,
                       int lineCount, int paraNo, int saveType) {
    TRNFOptions options = rnData.GetRNFOptions();
    bool names = options.Contains(TRNFOption::rnfoUseStyleNames);
    bool strings = rnData.GetOptions().Contains(TRNOption::rnoTagsArePChars);
    std::string line = std::to_string(item.StyleNo) + ' ' + std::to_string(lineCount) + ' ' +
                       RNFSavePara(rnData.GetRNStyle(), names, paraNo) + ' ' +
                       std::to_string(item.ItemOptions.Bits() & RNItemOptionsStoredMask) + ' ' +
                       std::to_string(saveType) + ' ' + RNFSaveTag(strings, item.Tag) + ' ' +
                       item.SaveRNFHeaderTail(rnData);
    RNFWriteLine(stream, line);
}
