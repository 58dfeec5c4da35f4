#include "platform/graphics/EmfTextRecords.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/MetafileRecords.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace {

constexpr uint32_t EmrSaveDc = 33;
constexpr uint32_t EmrRestoreDc = 34;
constexpr uint32_t EmrSelectObject = 37;
constexpr uint32_t EmrDeleteObject = 40;
constexpr uint32_t EmrCreateFont = 82;
constexpr uint32_t EmrTextA = 83;
constexpr uint32_t EmrTextW = 84;

// Records that make an object of another kind in the slot they name.
constexpr uint32_t OtherObjects[] = {38, 39, 49, 93, 94, 95, 99, 122};

constexpr uint32_t TextOpaque = 0x0002;
constexpr uint32_t TextClipped = 0x0004;
constexpr uint32_t TextGlyphIndex = 0x0010;
constexpr uint32_t TextNoRect = 0x0100;
constexpr uint32_t TextPairedAdvances = 0x2000;

// The font record's description: its weight, italic and charset bytes, and its name of 32
// UTF-16 units, from the record's start.
constexpr size_t FontWeightAt = 28;
constexpr size_t FontItalicAt = 32;
constexpr size_t FontCharsetAt = 35;
constexpr size_t FontFaceAt = 40;
constexpr size_t FontFaceUnits = 32;

// The text record: up to its reference point the same in both kinds, then the count, where
// the characters lie, the options, the rectangle (unless the options leave it out) and where
// the advances lie.
constexpr size_t TextFixedPart = 36;
constexpr size_t TextCountAt = 44;
constexpr size_t TextStringAt = 48;
constexpr size_t TextOptionsAt = 52;
constexpr size_t TextRectAt = 56;
constexpr size_t TextWholeRecord = 76;

// Stands in for a '>' that ends "]]>" in text: a character no text may hold in XML, which
// the converter copies all the same.
constexpr char16_t HiddenEnd = 0xFFFE;
constexpr std::string_view HiddenEndUtf8 = "\xEF\xBF\xBE";

std::u16string FaceOf(std::string_view record) {
    std::u16string face;
    for (size_t i = 0; i < FontFaceUnits; ++i) {
        const auto unit = static_cast<char16_t>(ReadU16(record, FontFaceAt + 2 * i));
        if (unit == 0) {
            break;
        }
        face += unit;
    }
    return face;
}

bool Surrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The name as the converter must be given it: the characters that would end the quotes it is
// written in as their XML references, characters that are no XML text left out, as much as
// fits the record's field.
std::u16string WritableFace(const std::u16string& face) {
    std::u16string out;
    for (size_t i = 0; i < face.size(); ++i) {
        const char16_t c = face[i];
        std::u16string piece(1, c);
        switch (c) {
        case u'&':
            piece = u"&amp;";
            break;
        case u'<':
            piece = u"&lt;";
            break;
        case u'>':
            piece = u"&gt;";
            break;
        case u'"':
            piece = u"&quot;";
            break;
        case u'\'':
            piece = u"&apos;";
            break;
        default:
            if (c < 0x20 || c >= 0xFFFE) {
                piece.clear();
            } else if (Surrogate(c)) {
                const bool paired = c < 0xDC00 && i + 1 < face.size() && face[i + 1] >= 0xDC00 &&
                                    face[i + 1] <= 0xDFFF;
                piece = paired ? face.substr(i++, 2) : std::u16string();
            }
            break;
        }
        if (out.size() + piece.size() >= FontFaceUnits) {
            break;
        }
        out += piece;
    }
    return out;
}

// One unit of a text record's text with the advance (and, when paired, the rise) after it.
struct TTextUnit {
    char16_t Character;
    int64_t Advance = 0;
    int64_t Rise = 0;
};

// The units made text the converter copies as it is: characters that are no XML text replaced
// or, the character 0, left out (its advance going to the unit before), and the '>' of "]]>"
// hidden.
std::vector<TTextUnit> WritableUnits(const std::vector<TTextUnit>& units) {
    std::vector<TTextUnit> out;
    for (size_t i = 0; i < units.size(); ++i) {
        TTextUnit u = units[i];
        if (u.Character == 0) {
            if (!out.empty()) {
                out.back().Advance += u.Advance;
                out.back().Rise += u.Rise;
            }
            continue;
        }
        if (u.Character >= 0xD800 && u.Character < 0xDC00 && i + 1 < units.size() &&
            units[i + 1].Character >= 0xDC00 && units[i + 1].Character <= 0xDFFF) {
            out.push_back(u);
            out.push_back(units[++i]);
            continue;
        }
        if (Surrogate(u.Character) || u.Character >= 0xFFFE) {
            u.Character = 0xFFFD;
        }
        const size_t n = out.size();
        if (u.Character == u'>' && n >= 2 && out[n - 1].Character == u']' &&
            out[n - 2].Character == u']') {
            u.Character = HiddenEnd;
        }
        out.push_back(u);
    }
    return out;
}

// Where a text record keeps its advances; none when it gives no place for them.
size_t AdvancesAt(std::string_view record, uint32_t options) {
    const size_t at = options & TextNoRect ? TextRectAt : TextRectAt + 16;
    return record.size() >= at + 4 ? ReadU32(record, at) : 0;
}

// The text record `record` as a record of Unicode characters, in `font`; nothing when its
// characters lie outside it; the record as it is when it gives glyph indices and no `glyphs`
// says what they show.
std::optional<std::string> WritableText(std::string_view record, const TEmfTextFont& font,
                                        TGlyphCharacters* glyphs) {
    const uint32_t type = ReadU32(record, 0);
    if (record.size() < TextRectAt + 4) {
        return std::nullopt;
    }
    const uint32_t options = ReadU32(record, TextOptionsAt);
    const bool glyphIndices = options & TextGlyphIndex;
    if (glyphIndices && !glyphs) {
        return std::string(record);
    }
    const bool hasRect = !(options & TextNoRect);
    if (hasRect && record.size() < TextWholeRecord) {
        return std::nullopt;
    }
    const uint64_t count = ReadU32(record, TextCountAt);
    const uint64_t stringAt = ReadU32(record, TextStringAt);
    const uint64_t unitBytes = type == EmrTextW || glyphIndices ? 2 : 1;
    if (stringAt > record.size() || count > (record.size() - stringAt) / unitBytes) {
        return std::nullopt;
    }
    const std::string_view string = record.substr(stringAt, count * unitBytes);
    // The advances, when they are all there: one per unit of the record (a byte of 8-bit text),
    // with a rise after each when paired.
    const bool paired = options & TextPairedAdvances;
    const uint64_t entry = paired ? 8 : 4;
    const uint64_t advancesAt = AdvancesAt(record, options);
    const bool advances = advancesAt >= TextFixedPart && advancesAt <= record.size() &&
                          count <= (record.size() - advancesAt) / entry;
    auto advance = [&](size_t i) {
        return advances ? static_cast<int32_t>(ReadU32(record, advancesAt + i * entry)) : 0;
    };
    auto rise = [&](size_t i) {
        return advances && paired
                   ? static_cast<int32_t>(ReadU32(record, advancesAt + i * entry + 4))
                   : 0;
    };

    std::vector<TTextUnit> units;
    if (unitBytes == 2) {
        for (size_t i = 0; i < count; ++i) {
            const uint32_t unit = ReadU16(string, 2 * i);
            // A glyph that shows no character is left out, as the 0 character is.
            const char16_t c = glyphIndices ? glyphs->CharacterOf(font, unit) : char16_t(unit);
            units.push_back({c, advance(i), rise(i)});
        }
    } else {
        std::vector<size_t> unitsAfterByte;
        const std::u16string text = DecodeCharsetText(string, font.Charset, &unitsAfterByte);
        for (char16_t c : text) {
            units.push_back({c});
        }
        // The advances of the bytes of a character add up on its first unit.
        size_t first = 0;
        for (size_t i = 0; i < unitsAfterByte.size() && !units.empty(); ++i) {
            if (i > 0 && unitsAfterByte[i] != unitsAfterByte[i - 1]) {
                first = std::min(unitsAfterByte[i - 1], units.size() - 1);
            }
            units[first].Advance += advance(i);
            units[first].Rise += rise(i);
        }
    }
    units = WritableUnits(units);

    std::string out(record.substr(0, TextFixedPart));
    out.replace(0, 4, std::string("\x54\0\0\0", 4)); // a record of Unicode characters
    out.append(record.substr(36, 8));                // the reference point
    const auto n = static_cast<uint32_t>(units.size());
    const uint32_t textBytes = (2 * n + 3) / 4 * 4;
    WriteU32(out, n);
    WriteU32(out, static_cast<uint32_t>(TextWholeRecord));
    // Without a rectangle, it neither fills nor clips.
    WriteU32(out, (options & ~(TextGlyphIndex | TextNoRect)) &
                      (hasRect ? ~0u : ~(TextOpaque | TextClipped)));
    out += hasRect ? std::string(record.substr(TextRectAt, 16)) : std::string(16, '\0');
    WriteU32(out, advances ? static_cast<uint32_t>(TextWholeRecord + textBytes) : 0);
    for (const TTextUnit& u : units) {
        WriteU16(out, u.Character);
    }
    out.resize(TextWholeRecord + textBytes, '\0');
    if (advances) {
        for (const TTextUnit& u : units) {
            WriteU32(out, static_cast<uint32_t>(u.Advance));
            if (paired) {
                WriteU32(out, static_cast<uint32_t>(u.Rise));
            }
        }
    }
    std::string size;
    WriteU32(size, static_cast<uint32_t>(out.size()));
    out.replace(4, 4, size);
    return out;
}

// The font each record draws its text in, followed through the records that make, choose,
// delete, keep and bring back fonts.
class TFontsInUse {
public:
    void See(std::string_view record, uint32_t type) {
        const uint32_t object = record.size() >= 12 ? ReadU32(record, 8) : 0;
        if (type == EmrCreateFont && record.size() >= FontFaceAt + 2 * FontFaceUnits) {
            TEmfTextFont font;
            font.Face = FaceOf(record);
            font.Weight = static_cast<int32_t>(ReadU32(record, FontWeightAt));
            font.Italic = record[FontItalicAt] != 0;
            font.Charset = static_cast<uint8_t>(record[FontCharsetAt]);
            objects_[object] = font;
        } else if (type == EmrDeleteObject) {
            objects_.erase(object);
        } else if (type == EmrSelectObject) {
            if (object & 0x80000000u) {
                const uint32_t stock = object & 0x7FFFFFFF;
                if ((stock >= 10 && stock <= 14) || stock == 16 || stock == 17) {
                    selected_ = TEmfTextFont();
                }
            } else if (const auto it = objects_.find(object); it != objects_.end()) {
                selected_ = it->second;
            }
        } else if (type == EmrSaveDc) {
            saved_.push_back(selected_);
        } else if (type == EmrRestoreDc) {
            // A negative level counts back from the last one kept.
            const auto level = static_cast<int32_t>(object);
            const int64_t index =
                level < 0 ? static_cast<int64_t>(saved_.size()) + level : int64_t{level} - 1;
            if (level != 0 && index >= 0 && index < static_cast<int64_t>(saved_.size())) {
                selected_ = saved_[static_cast<size_t>(index)];
                saved_.resize(static_cast<size_t>(index));
            }
        } else {
            for (uint32_t other : OtherObjects) {
                if (type == other) {
                    objects_.erase(object);
                }
            }
        }
    }

    const TEmfTextFont& Selected() const { return selected_; }

private:
    std::map<uint32_t, TEmfTextFont> objects_;
    TEmfTextFont selected_;
    std::vector<TEmfTextFont> saved_;
};

} // namespace

bool EmfHasGlyphText(std::string_view bytes) {
    bool glyphs = false;
    ForEachEmfRecord(bytes, [&](uint32_t type, std::string_view record) {
        glyphs = glyphs || ((type == EmrTextA || type == EmrTextW) && record.size() >= 56 &&
                            (ReadU32(record, TextOptionsAt) & TextGlyphIndex));
    });
    return glyphs;
}

std::string EmfWithConvertibleText(std::string_view bytes, TGlyphCharacters* glyphs) {
    std::string out(bytes.substr(0, ReadU32(bytes, 4)));
    TFontsInUse fonts;
    uint32_t left = 0;
    const size_t end = ForEachEmfRecord(bytes, [&](uint32_t type, std::string_view record) {
        fonts.See(record, type);
        if (type == EmrTextA || type == EmrTextW) {
            const std::optional<std::string> text = WritableText(record, fonts.Selected(), glyphs);
            if (text) {
                out += *text;
            } else {
                ++left;
            }
            return;
        }
        std::string copy(record);
        if (type == EmrCreateFont && record.size() >= FontFaceAt + 2 * FontFaceUnits) {
            const std::u16string face = WritableFace(FaceOf(record));
            for (size_t i = 0; i < FontFaceUnits; ++i) {
                std::string unit;
                WriteU16(unit, i < face.size() ? face[i] : 0);
                copy.replace(FontFaceAt + 2 * i, 2, unit);
            }
        }
        out += copy;
    });
    out.append(bytes.substr(end));
    // The header's size and count of records follow.
    FollowEmfSize(out, bytes);
    std::string field;
    const uint32_t records = ReadU32(bytes, 52);
    WriteU32(field, records >= left ? records - left : 0);
    out.replace(52, 4, field);
    return out;
}

std::string SvgWithTextRestored(std::string svg) {
    if (svg.find(HiddenEndUtf8) == std::string::npos) {
        return svg;
    }
    constexpr std::string_view Open = "<![CDATA[";
    constexpr std::string_view Close = "]]>";
    // Inside a section the '>' comes back as the end of that section, a new one starting with
    // it; elsewhere the stand-in is only a replacement character.
    std::string out;
    size_t at = 0;
    auto copy = [&](size_t to, std::string_view hidden) {
        for (size_t found; (found = svg.find(HiddenEndUtf8, at)) < to; at = found + 3) {
            out.append(svg, at, found - at);
            out += hidden;
        }
        out.append(svg, at, to - at);
        at = to;
    };
    while (at < svg.size()) {
        const size_t open = svg.find(Open, at);
        copy(open == std::string::npos ? svg.size() : open, "\xEF\xBF\xBD");
        if (open == std::string::npos) {
            break;
        }
        const size_t close = svg.find(Close, open + Open.size());
        copy(close == std::string::npos ? svg.size() : close, "]]><![CDATA[>");
    }
    return out;
}
