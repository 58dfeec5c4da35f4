#pragma once

// Small text clean-ups shared by the capture and the binder commands.

#include <initializer_list>
#include <string>
#include <string_view>

// Removes every occurrence of each listed string, one string after the other.
std::string RemoveStrings(std::string_view text, std::initializer_list<std::string_view> strings);

// The text without any CR or LF among its first two characters.
std::string StripLeadingLineBreaks(std::string_view text);

// The text without any CR or LF.
std::string StripLineBreaks(std::string_view text);
