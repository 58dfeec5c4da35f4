#pragma once

// Stored properties of objects written in the framework's component stream: each has its
// stream name, how its value is written (integer, boolean, colour, identifier, enumeration or
// set by member names, string), and access to the field. A property equal to its default is
// not written. The style collections and the table item keep their tables in this form.

#include "platform/base/StringUtils.h"
#include "platform/graphics/ComponentStream.h"

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace rnprops {

// How a property's value is written and read.
enum class Kind { String, Integer, Boolean, Color, Charset, Cursor, Enum, Set };

struct Ident {
    std::string_view Name;
    int Value;
};

inline constexpr Ident CharsetIdents[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255}};

inline constexpr Ident CursorIdents[] = {
    {"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
    {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
    {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
    {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
    {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
    {"crHandPoint", -21}, {"crSizeAll", -22}};

using Names = std::span<const std::string_view>;

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

} // namespace rnprops

// One stored property of objects of class T.
template <class T> struct TRNStoredProperty {
    std::string_view Name;
    rnprops::Kind Type;
    rnprops::Names Members; // enumeration values or set members, in order
    int64_t (*Get)(const T&);
    bool (*Set)(T&, int64_t);
    std::string (*GetText)(const T&) = nullptr;
    void (*SetText)(T&, std::string) = nullptr;
};

#define RN_STORED_VALUE(T, name, kind, members, field)                                             \
    TRNStoredProperty<T> {                                                                         \
        name, rnprops::Kind::kind, members, [](const T& s) { return rnprops::ToInt(s.field); },    \
            [](T& s, int64_t v) { return rnprops::FromInt(s.field, v); }                           \
    }
#define RN_STORED_TEXT(T, name, field)                                                             \
    TRNStoredProperty<T> {                                                                         \
        name, rnprops::Kind::String, {}, nullptr, nullptr, [](const T& s) { return s.field; },     \
            [](T& s, std::string v) { s.field = std::move(v); }                                    \
    }

namespace rnprops {

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

template <class Style>
void WriteValue(TWriter& writer, const TRNStoredProperty<Style>& p, int64_t value) {
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

[[noreturn]] inline void BadValue(const TReader& reader, std::string_view property,
                                  const std::string& value) {
    throw EReadError("Invalid property value: " + value + " for \"" + std::string(property) +
                     "\" at byte " + std::to_string(reader.Position()));
}

inline int64_t MemberIndex(const TReader& reader, std::string_view property, Names members,
                           const std::string& name) {
    for (size_t i = 0; i < members.size(); ++i) {
        if (SameText(members[i], name)) {
            return static_cast<int64_t>(i);
        }
    }
    BadValue(reader, property, "\"" + name + "\"");
}

template <class Style>
void ReadValue(TReader& reader, const TRNStoredProperty<Style>& p, Style& style) {
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

} // namespace rnprops

// Writes, each under `path` + its name, the properties of `object` that differ from those of
// `defaults`, in the table's order.
template <class T, size_t N>
void RN_WriteStoredProperties(TWriter& writer, const T& object, const T& defaults,
                              const TRNStoredProperty<T> (&table)[N], std::string_view path = {}) {
    for (const TRNStoredProperty<T>& p : table) {
        const std::string name = std::string(path) + std::string(p.Name);
        if (p.Type == rnprops::Kind::String) {
            const std::string text = p.GetText(object);
            if (text != p.GetText(defaults)) {
                writer.WritePropName(name);
                writer.WriteString(text);
            }
        } else if (const int64_t value = p.Get(object); value != p.Get(defaults)) {
            writer.WritePropName(name);
            rnprops::WriteValue(writer, p, value);
        }
    }
}

// Reads the value of the property named `name` (`path` + a name of the table) into `object`;
// false when the table has no such property. A value the property cannot take raises
// EReadError.
template <class T, size_t N>
bool RN_ReadStoredProperty(TReader& reader, T& object, const TRNStoredProperty<T> (&table)[N],
                           std::string_view name, std::string_view path = {}) {
    if (name.size() < path.size() || !SameText(name.substr(0, path.size()), path)) {
        return false;
    }
    name.remove_prefix(path.size());
    for (const TRNStoredProperty<T>& p : table) {
        if (SameText(p.Name, name)) {
            rnprops::ReadValue(reader, p, object);
            return true;
        }
    }
    return false;
}
