#pragma once

// Byte-string helpers. Strings are std::string holding raw bytes; positions are 1-based
// where the name says so (Pos), as the binder and capture code counts them.

#include <cstdint>
#include <string>
#include <string_view>

// Upper-case hexadecimal with at least `digits` digits; negative values print as their 32-bit
// two's complement ("FFFFFFFF" for -1).
std::string IntToHex(uint32_t value, int digits);
inline std::string IntToHex(int32_t value, int digits) {
    return IntToHex(static_cast<uint32_t>(value), digits);
}

std::string IntToStr(int64_t value);

// Strict decimal conversion: optional sign and digits only, within 32 bits; anything else
// raises EConvertError.
int32_t StrToInt(const std::string& text);

// Reads a hexadecimal number at the start of `text` the way "%x" does: leading blanks, an
// optional "0x", then hex digits. Returns false, leaving `value` alone, when no digit is
// there. Values beyond 32 bits saturate.
bool ScanHex(std::string_view text, uint32_t& value);

// The value of one hexadecimal digit (either case), -1 for any other character.
int HexDigitValue(char c);

// printf-style formatting into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// 1-based position of `needle` in `haystack`, 0 when absent. An empty needle never matches.
size_t Pos(std::string_view needle, std::string_view haystack);

// Replaces every occurrence of `from` in `text` by `to`, left to right, never re-scanning
// what was inserted. An empty `from` leaves the text as it is.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// ASCII case mapping; bytes above 0x7F are left as they are.
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);

// ASCII case-insensitive comparisons: equality, and whether `text` begins with `prefix`.
bool SameText(std::string_view a, std::string_view b);
bool StartsText(std::string_view prefix, std::string_view text);

// Text made safe inside HTML text and double-quoted attribute values: &, <, > and " become
// their entities; every other byte stays.
std::string HtmlEscape(std::string_view text);

// The "file://" address of an absolute path: every byte but letters, digits and "-._~/" is
// percent-encoded, so a blank, "#", "?" or "%" in a folder name stays part of the path.
std::string FileUrl(std::string_view path);
