#pragma once

// 8-bit text in Windows code pages (1252, 1251, 932 ...) turned into UTF-16 through iconv.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The code page 8-bit text is read in when nothing names one.
constexpr unsigned CP_ACP = 0;
constexpr unsigned CP_OEMCP = 1; // OEM United States, 437
constexpr unsigned CP_MACCP = 2; // Macintosh Roman
constexpr unsigned CP_UTF8 = 65001;
constexpr unsigned DefaultAnsiCodePage = 1252;

// Decodes `bytes` in `codePage` (CP_ACP for the default ANSI page). A byte sequence that is
// not a character of the page becomes U+FFFD, one per byte, so nothing is dropped. When
// `unitsAfterByte` is given it receives, for every byte, the number of UTF-16 units decoded
// up to and including the character that byte belongs to.
std::u16string MultiByteToUtf16(std::string_view bytes, unsigned codePage,
                                std::vector<size_t>* unitsAfterByte = nullptr);

// Encodes `text` in `codePage`; a character the page does not have becomes "?". An
// unsupported page gives an empty result (see CodePageSupported).
std::string Utf16ToMultiByte(std::u16string_view text, unsigned codePage);

// Whether text can be converted to and from `codePage` here.
bool CodePageSupported(unsigned codePage);

// The page CP_ACP stands for (1252 unless changed). Text converted in an unsupported page
// falls back to it.
unsigned SystemAnsiCodePage();
void SetSystemAnsiCodePage(unsigned codePage);

// Upper-cases in place, keeping the length: a letter whose upper case would take another
// number of units stays as it is.
void CharUpperBuffW(std::u16string& text);

// UTF-16 to UTF-8 and back; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// Appends the UTF-8 bytes of one code point (a scalar value).
void AppendUtf8(std::string& out, char32_t code);
std::u16string Utf8ToUtf16(std::string_view text);
