#pragma once

// HTML character references in texts taken from pages ("&#8212;", "&#x2014;", "&mdash;").

#include <string>
#include <string_view>

// `text` with its character references replaced by the characters they stand for, written as
// UTF-8. A numeric reference may end without ";"; a named one needs it. A number that names no
// character (0, a surrogate, beyond U+10FFFF) becomes U+FFFD; 128-159 are read as Windows-1252,
// as browsers do. Whatever is not a complete reference stays as it is, "&" included.
std::string DecodeCharacterReferences(std::string_view text);
