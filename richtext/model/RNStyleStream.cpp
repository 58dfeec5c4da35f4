#include "richtext/model/RNStyleStream.h"

#include "richtext/model/RNError.h"

#include "platform/base/StringUtils.h"

#include <array>
#include <limits>
#include <span>
#include <string_view>
#include <type_traits>

namespace {

// How a property's value is written and read.
enum class Kind { String, Integer, Boolean, Color, Charset, Cursor, Enum, Set };

struct Ident {
    std::string_view Name;
    int Value;
};

constexpr Ident CharsetIdents[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255}};

constexpr Ident CursorIdents[] = {
    {"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
    {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
    {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
    {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
    {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
    {"crHandPoint", -21}, {"crSizeAll", -22}};

using Names = std::span<const std::string_view>;

constexpr std::string_view FontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr std::string_view StyleExNames[] = {"rnfsOverline", "rnfsAllCaps"};
constexpr std::string_view ProtectionNames[] = {
    "rnprStyleProtect",     "rnprModifyProtect",   "rnprDeleteProtect",    "rnprConcateProtect",
    "rnprRNFInsertProtect", "rnprDoNotAutoSwitch", "rnprParaStartProtect", "rnprSticking"};
constexpr std::string_view AlignmentNames[] = {"rnaLeft", "rnaRight", "rnaCenter", "rnaJustify"};
constexpr std::string_view LineSpacingTypeNames[] = {"rnlsPercent", "rnlsSpaceBetween"};
constexpr std::string_view BorderStyleNames[] = {"rnbNone",   "rnbSingle",      "rnbDouble",
                                                 "rnbTriple", "rnbThickInside", "rnbThickOutside"};

// Every stored value as a 64-bit integer, and back with a range check.
template <class T> int64_t ToInt(const T& value) {
    if constexpr (std::is_enum_v<T>) {
        return static_cast<int64_t>(value);
    } else if constexpr (std::is_arithmetic_v<T>) {
        return static_cast<int64_t>(value);
    } else {
        return value.Bits();
    }
}

template <class T> bool FromInt(T& field, int64_t value) {
    if constexpr (std::is_same_v<T, bool>) {
        field = value != 0;
    } else if constexpr (std::is_enum_v<T>) {
        field = static_cast<T>(value);
    } else if constexpr (std::is_arithmetic_v<T>) {
        if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
            return false;
        }
        field = static_cast<T>(value);
    } else {
        field = T::FromBits(static_cast<uint32_t>(value));
    }
    return true;
}

// One stored property: its name in the stream, how it is written, and access to it.
template <class Style> struct Property {
    std::string_view Name;
    Kind Type;
    Names Members; // enumeration values or set members, in order
    int64_t (*Get)(const Style&);
    bool (*Set)(Style&, int64_t);
    std::string (*GetText)(const Style&) = nullptr;
    void (*SetText)(Style&, std::string) = nullptr;
};

#define RN_VALUE(Style, name, kind, members, field)                                                \
    Property<Style> {                                                                              \
        name, kind, members, [](const Style& s) { return ToInt(s.field); },                        \
            [](Style& s, int64_t v) { return FromInt(s.field, v); }                                \
    }
#define RN_TEXT(Style, name, field)                                                                \
    Property<Style> {                                                                              \
        name, Kind::String, {}, nullptr, nullptr, [](const Style& s) { return s.field; },          \
            [](Style& s, std::string v) { s.field = std::move(v); }                                \
    }

const Property<TFontInfo> FontProperties[] = {
    RN_TEXT(TFontInfo, "StyleName", StyleName),
    RN_VALUE(TFontInfo, "BaseStyleNo", Kind::Integer, {}, BaseStyleNo),
    RN_TEXT(TFontInfo, "FontName", FontName),
    RN_VALUE(TFontInfo, "Size", Kind::Integer, {}, Size),
    RN_VALUE(TFontInfo, "Charset", Kind::Charset, {}, Charset),
    RN_VALUE(TFontInfo, "Style", Kind::Set, FontStyleNames, Style),
    RN_VALUE(TFontInfo, "StyleEx", Kind::Set, StyleExNames, StyleEx),
    RN_VALUE(TFontInfo, "VShift", Kind::Integer, {}, VShift),
    RN_VALUE(TFontInfo, "Color", Kind::Color, {}, Color),
    RN_VALUE(TFontInfo, "BackColor", Kind::Color, {}, BackColor),
    RN_VALUE(TFontInfo, "HoverColor", Kind::Color, {}, HoverColor),
    RN_VALUE(TFontInfo, "HoverBackColor", Kind::Color, {}, HoverBackColor),
    RN_VALUE(TFontInfo, "Jump", Kind::Boolean, {}, Jump),
    RN_VALUE(TFontInfo, "JumpCursor", Kind::Cursor, {}, JumpCursor),
    RN_VALUE(TFontInfo, "CharScale", Kind::Integer, {}, CharScale),
    RN_VALUE(TFontInfo, "NextStyleNo", Kind::Integer, {}, NextStyleNo),
    RN_VALUE(TFontInfo, "Unicode", Kind::Boolean, {}, Unicode),
    RN_VALUE(TFontInfo, "Protection", Kind::Set, ProtectionNames, Protection),
};

const Property<TParaInfo> ParaProperties[] = {
    RN_TEXT(TParaInfo, "StyleName", StyleName),
    RN_VALUE(TParaInfo, "BaseStyleNo", Kind::Integer, {}, BaseStyleNo),
    RN_VALUE(TParaInfo, "FirstIndent", Kind::Integer, {}, FirstIndent),
    RN_VALUE(TParaInfo, "LeftIndent", Kind::Integer, {}, LeftIndent),
    RN_VALUE(TParaInfo, "RightIndent", Kind::Integer, {}, RightIndent),
    RN_VALUE(TParaInfo, "SpaceBefore", Kind::Integer, {}, SpaceBefore),
    RN_VALUE(TParaInfo, "SpaceAfter", Kind::Integer, {}, SpaceAfter),
    RN_VALUE(TParaInfo, "Alignment", Kind::Enum, AlignmentNames, Alignment),
    RN_VALUE(TParaInfo, "LineSpacing", Kind::Integer, {}, LineSpacing),
    RN_VALUE(TParaInfo, "LineSpacingType", Kind::Enum, LineSpacingTypeNames, LineSpacingType),
    RN_VALUE(TParaInfo, "NextParaNo", Kind::Integer, {}, NextParaNo),
    RN_VALUE(TParaInfo, "Border.Width", Kind::Integer, {}, Border.Width),
    RN_VALUE(TParaInfo, "Border.InternalWidth", Kind::Integer, {}, Border.InternalWidth),
    RN_VALUE(TParaInfo, "Border.Color", Kind::Color, {}, Border.Color),
    RN_VALUE(TParaInfo, "Border.Style", Kind::Enum, BorderStyleNames, Border.Style),
    RN_VALUE(TParaInfo, "Border.VisibleBorders.Left", Kind::Boolean, {},
             Border.VisibleBorders.Left),
    RN_VALUE(TParaInfo, "Border.VisibleBorders.Right", Kind::Boolean, {},
             Border.VisibleBorders.Right),
    RN_VALUE(TParaInfo, "Border.VisibleBorders.Top", Kind::Boolean, {}, Border.VisibleBorders.Top),
    RN_VALUE(TParaInfo, "Border.VisibleBorders.Bottom", Kind::Boolean, {},
             Border.VisibleBorders.Bottom),
    RN_VALUE(TParaInfo, "Border.BorderOffsets.Left", Kind::Integer, {}, Border.BorderOffsets.Left),
    RN_VALUE(TParaInfo, "Border.BorderOffsets.Right", Kind::Integer, {},
             Border.BorderOffsets.Right),
    RN_VALUE(TParaInfo, "Border.BorderOffsets.Top", Kind::Integer, {}, Border.BorderOffsets.Top),
    RN_VALUE(TParaInfo, "Border.BorderOffsets.Bottom", Kind::Integer, {},
             Border.BorderOffsets.Bottom),
    RN_VALUE(TParaInfo, "Background.Color", Kind::Color, {}, Background.Color),
    RN_VALUE(TParaInfo, "Background.BorderOffsets.Left", Kind::Integer, {},
             Background.BorderOffsets.Left),
    RN_VALUE(TParaInfo, "Background.BorderOffsets.Right", Kind::Integer, {},
             Background.BorderOffsets.Right),
    RN_VALUE(TParaInfo, "Background.BorderOffsets.Top", Kind::Integer, {},
             Background.BorderOffsets.Top),
    RN_VALUE(TParaInfo, "Background.BorderOffsets.Bottom", Kind::Integer, {},
             Background.BorderOffsets.Bottom),
};

#undef RN_VALUE
#undef RN_TEXT

template <size_t N> const std::string_view* IdentFor(const Ident (&table)[N], int64_t value) {
    for (const Ident& ident : table) {
        if (ident.Value == value) {
            return &ident.Name;
        }
    }
    return nullptr;
}

template <size_t N>
int64_t ReadIdentOrInteger(TReader& reader, const Ident (&table)[N], const char* what) {
    if (reader.NextValue() != TValueType::vaIdent) {
        return reader.ReadInteger();
    }
    const std::string name = reader.ReadIdent();
    for (const Ident& ident : table) {
        if (SameText(ident.Name, name)) {
            return ident.Value;
        }
    }
    throw EReadError(std::string("Invalid property value: unknown ") + what + " \"" + name +
                     "\" at byte " + std::to_string(reader.Position()));
}

template <class Style> void WriteValue(TWriter& writer, const Property<Style>& p, int64_t value) {
    switch (p.Type) {
    case Kind::Integer:
        writer.WriteInteger(value);
        break;
    case Kind::Boolean:
        writer.WriteBoolean(value != 0);
        break;
    case Kind::Color:
        writer.WriteColor(static_cast<TColor>(value));
        break;
    case Kind::Charset:
    case Kind::Cursor:
        if (const std::string_view* name = p.Type == Kind::Charset
                                               ? IdentFor(CharsetIdents, value)
                                               : IdentFor(CursorIdents, value)) {
            writer.WriteIdent(*name);
        } else {
            writer.WriteInteger(value);
        }
        break;
    case Kind::Enum:
        if (value >= 0 && static_cast<size_t>(value) < p.Members.size()) {
            writer.WriteIdent(p.Members[static_cast<size_t>(value)]);
        } else {
            writer.WriteInteger(value); // not a value of the enumeration: no name to give
        }
        break;
    case Kind::Set: {
        std::vector<std::string> members;
        for (size_t bit = 0; bit < p.Members.size(); ++bit) {
            if ((value >> bit & 1) != 0) {
                members.emplace_back(p.Members[bit]);
            }
        }
        writer.WriteSet(members);
        break;
    }
    case Kind::String:
        break;
    }
}

[[noreturn]] void BadValue(const TReader& reader, std::string_view property,
                           const std::string& value) {
    throw EReadError("Invalid property value: " + value + " for \"" + std::string(property) +
                     "\" at byte " + std::to_string(reader.Position()));
}

int64_t MemberIndex(const TReader& reader, std::string_view property, Names members,
                    const std::string& name) {
    for (size_t i = 0; i < members.size(); ++i) {
        if (SameText(members[i], name)) {
            return static_cast<int64_t>(i);
        }
    }
    BadValue(reader, property, "\"" + name + "\"");
}

template <class Style> void ReadValue(TReader& reader, const Property<Style>& p, Style& style) {
    int64_t value = 0;
    switch (p.Type) {
    case Kind::String:
        p.SetText(style, reader.ReadString());
        return;
    case Kind::Integer:
        value = reader.ReadInteger();
        break;
    case Kind::Boolean:
        value = reader.ReadBoolean() ? 1 : 0;
        break;
    case Kind::Color:
        value = reader.ReadColor();
        break;
    case Kind::Charset:
        value = ReadIdentOrInteger(reader, CharsetIdents, "charset");
        break;
    case Kind::Cursor:
        value = ReadIdentOrInteger(reader, CursorIdents, "cursor");
        break;
    case Kind::Enum:
        value = MemberIndex(reader, p.Name, p.Members, reader.ReadIdent());
        break;
    case Kind::Set:
        for (const std::string& member : reader.ReadSet()) {
            value |= int64_t{1} << MemberIndex(reader, p.Name, p.Members, member);
        }
        break;
    }
    if (!p.Set(style, value)) {
        BadValue(reader, p.Name, std::to_string(value));
    }
}

template <class Style, size_t N>
void WriteStyle(TWriter& writer, const Style& style, const Property<Style> (&table)[N]) {
    static const Style defaults;
    writer.WriteListBegin();
    for (const Property<Style>& p : table) {
        if (p.Type == Kind::String) {
            const std::string text = p.GetText(style);
            if (text != p.GetText(defaults)) {
                writer.WritePropName(p.Name);
                writer.WriteString(text);
            }
        } else if (const int64_t value = p.Get(style); value != p.Get(defaults)) {
            writer.WritePropName(p.Name);
            WriteValue(writer, p, value);
        }
    }
    writer.WriteListEnd();
}

// The properties of one style, up to the end of its list; `extra` takes the names the table
// does not hold (false: skipped).
template <class Style, size_t N, class Extra>
void ReadStyle(TReader& reader, Style& style, const Property<Style> (&table)[N], Extra extra) {
    reader.ReadProperties([&](const std::string& name) {
        for (const Property<Style>& p : table) {
            if (SameText(p.Name, name)) {
                ReadValue(reader, p, style);
                return true;
            }
        }
        return extra(name);
    });
}

template <class Infos, class Style, size_t N, class Extra>
void ReadStyles(TReader& reader, Infos& styles, const Property<Style> (&table)[N], Extra extra) {
    // Read into a copy, so that bad bytes leave the collection as it was.
    Infos read(styles.GetOwner());
    try {
        reader.ReadCollectionBegin();
        while (!reader.EndOfList()) {
            reader.ReadCollectionItemBegin();
            auto& style = read.Add();
            ReadStyle(reader, style, table,
                      [&](const std::string& name) { return extra(name, style); });
        }
        reader.ReadListEnd();
    } catch (const EReadError& e) {
        throw ERichNoteError("Cannot read the styles: " + e.Message());
    }
    read.KeepNextStylesInside();
    styles.Assign(read);
}

} // namespace

void RN_WriteTextStyles(TWriter& writer, const TFontInfos& styles) {
    writer.WriteCollectionBegin();
    for (int i = 0; i < styles.Count(); ++i) {
        WriteStyle(writer, styles[i], FontProperties);
    }
    writer.WriteListEnd();
}

void RN_WriteParaStyles(TWriter& writer, const TParaInfos& styles) {
    writer.WriteCollectionBegin();
    for (int i = 0; i < styles.Count(); ++i) {
        WriteStyle(writer, styles[i], ParaProperties);
    }
    writer.WriteListEnd();
}

void RN_ReadTextStyles(TReader& reader, TFontInfos& styles) {
    ReadStyles(reader, styles, FontProperties,
               [&reader](const std::string& name, TFontInfo& style) {
                   // Older notes marked symbol styles so; today that is two protection options.
                   if (!SameText(name, "SingleSymbols")) {
                       return false;
                   }
                   if (reader.ReadBoolean()) {
                       style.Protection.Include(TRNProtectOption::rnprStyleProtect)
                           .Include(TRNProtectOption::rnprDoNotAutoSwitch);
                   }
                   return true;
               });
}

void RN_ReadParaStyles(TReader& reader, TParaInfos& styles) {
    ReadStyles(reader, styles, ParaProperties,
               [](const std::string&, TParaInfo&) { return false; });
}
