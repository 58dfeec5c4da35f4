#pragma once

// File names made from titles and URLs.

#include <string>
#include <string_view>

// A file name without '\', '/', ':', '*', '?', '"', '<', '>', '|', LF and CR.
std::string CleanFileName(std::string_view name);

// A name that stays one entry of the folder it is put in, whatever the title: separators and
// NUL bytes go, and "", "." or ".." becomes "_". Blanks and everything else stay.
std::string TitleEntryName(std::string_view title);

// The text after the last "/" or "\" of a path; the whole path when it has neither.
std::string_view NameOfPath(std::string_view path);
// The text before the last "/" or "\" of a path; empty when it has neither.
std::string_view FolderOfPath(std::string_view path);
