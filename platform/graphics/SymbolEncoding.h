#pragma once

// 8-bit text in a font of the symbol charset: its bytes name the glyphs of the Symbol font
// (Greek letters, arrows, mathematical signs), which we draw as the Unicode characters they
// stand for, so any font with those characters shows them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One UTF-16 unit per byte; bytes with no symbol become U+FFFD. `unitsAfterByte`, when given,
// receives i + 1 for byte i, as MultiByteToUtf16 reports it.
std::u16string DecodeSymbol(std::string_view bytes, std::vector<size_t>* unitsAfterByte = nullptr);
