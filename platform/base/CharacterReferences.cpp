#include "platform/base/CharacterReferences.h"

#include "platform/base/CodePage.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

struct NamedReference {
    std::string_view Name;
    char32_t Code;
};

// The names page titles use in practice, sorted for a binary search.
constexpr std::array<NamedReference, 40> NamedReferences = {{
    {"AElig", 0xC6},    {"Aacute", 0xC1},  {"Eacute", 0xC9},  {"Ouml", 0xD6},     {"Uuml", 0xDC},
    {"aacute", 0xE1},   {"acute", 0xB4},   {"aelig", 0xE6},   {"agrave", 0xE0},   {"amp", 0x26},
    {"apos", 0x27},     {"auml", 0xE4},    {"bull", 0x2022},  {"ccedil", 0xE7},   {"copy", 0xA9},
    {"deg", 0xB0},      {"eacute", 0xE9},  {"egrave", 0xE8},  {"euro", 0x20AC},   {"gt", 0x3E},
    {"hellip", 0x2026}, {"laquo", 0xAB},   {"ldquo", 0x201C}, {"lsaquo", 0x2039}, {"lsquo", 0x2018},
    {"lt", 0x3C},       {"mdash", 0x2014}, {"middot", 0xB7},  {"nbsp", 0xA0},     {"ndash", 0x2013},
    {"ouml", 0xF6},     {"quot", 0x22},    {"raquo", 0xBB},   {"rdquo", 0x201D},  {"reg", 0xAE},
    {"rsaquo", 0x203A}, {"rsquo", 0x2019}, {"szlig", 0xDF},   {"trade", 0x2122},  {"uuml", 0xFC},
}};

// What browsers make of the numbers 128-159, which name control characters in Unicode but are
// Windows-1252 characters in the pages that use them. 0 leaves the number as it is.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool IsDigit(char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

char32_t CharacterOfNumber(uint32_t number) {
    if (number >= 0x80 && number <= 0x9F && Windows1252High[number - 0x80] != 0) {
        return Windows1252High[number - 0x80];
    }
    if (number == 0 || number > 0x10FFFF || (number >= 0xD800 && number <= 0xDFFF)) {
        return 0xFFFD;
    }
    return number;
}

// A numeric reference at `text` (just after "&#"): its character and length, or 0 length.
size_t ReadNumeric(std::string_view text, char32_t& code) {
    size_t i = 0;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) {
        ++i;
    }
    const size_t first = i;
    uint32_t number = 0;
    for (; i < text.size() && IsDigit(text[i], hex); ++i) {
        // Beyond U+10FFFF the value no longer matters: keep it from wrapping.
        number = std::min<uint32_t>(number * (hex ? 16 : 10) + DigitValue(text[i]), 0x110000);
    }
    if (i == first) {
        return 0;
    }
    if (i < text.size() && text[i] == ';') {
        ++i;
    }
    code = CharacterOfNumber(number);
    return i;
}

// A named reference at `text` (just after "&"): its character and length, or 0 length.
size_t ReadNamed(std::string_view text, char32_t& code) {
    const size_t end = text.substr(0, 9).find(';');
    if (end == std::string_view::npos || end == 0) {
        return 0;
    }
    const std::string_view name = text.substr(0, end);
    const auto found = std::lower_bound(
        NamedReferences.begin(), NamedReferences.end(), name,
        [](const NamedReference& entry, std::string_view key) { return entry.Name < key; });
    if (found == NamedReferences.end() || found->Name != name) {
        return 0;
    }
    code = found->Code;
    return end + 1;
}

} // namespace

std::string DecodeCharacterReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        const std::string_view rest = text.substr(amp + 1);
        char32_t code = 0;
        const size_t length = !rest.empty() && rest[0] == '#' ? ReadNumeric(rest.substr(1), code)
                                                              : ReadNamed(rest, code);
        if (length == 0) {
            out += '&';
            i = amp + 1;
            continue;
        }
        AppendUtf8(out, code);
        i = amp + 1 + length + (rest[0] == '#' ? 1 : 0);
    }
    return out;
}
