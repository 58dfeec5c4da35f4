#pragma once

// Small scans of texts the user or a page gave: a trailing "(n)" and a page title.

#include <cstdint>
#include <string>

// The number in a trailing "(n)": 0 when the text does not end with ")"; -1 when there is no
// "(" before it, when the text between the last "(" and the final ")" has fewer than 1 or
// more than 4 characters or is not a decimal number, and for the empty text.
int32_t ParseTrailingCount(const std::string& text);

// The text between the first "<title>" and the first "</title", found in any letter case and
// cut from the text as it is; "" without "<title>" or when "</title" is missing or comes
// before it.
std::string ExtractHtmlTitle(const std::string& html);
