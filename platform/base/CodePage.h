#pragma once

// 8-bit text in Windows code pages (1252, 1251, 932 ...) turned into UTF-16 through iconv.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The code page 8-bit text is read in when nothing names one.
constexpr unsigned CP_ACP = 0;
constexpr unsigned CP_UTF8 = 65001;
constexpr unsigned DefaultAnsiCodePage = 1252;

// Decodes `bytes` in `codePage` (CP_ACP for the default ANSI page). A byte sequence that is
// not a character of the page becomes U+FFFD, one per byte, so nothing is dropped. When
// `unitsAfterByte` is given it receives, for every byte, the number of UTF-16 units decoded
// up to and including the character that byte belongs to.
std::u16string MultiByteToUtf16(std::string_view bytes, unsigned codePage,
                                std::vector<size_t>* unitsAfterByte = nullptr);

// UTF-16 to UTF-8 and back; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
