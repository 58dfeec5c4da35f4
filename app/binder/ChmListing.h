#pragma once

// The names of the files a compiled help file holds, read from its directory: the header, the
// directory's own header and its listing chunks, nothing of the compressed content. Every
// offset, length and count is checked against what the file holds.

#include <optional>
#include <set>
#include <string>

// Every name the directory lists ("/", "/8F/", "/8F/page.htm", "::DataSpace/NameList" ...);
// nothing when the file cannot be read or is no compiled help file.
std::optional<std::set<std::string>> ChmFileNames(const std::string& path);
