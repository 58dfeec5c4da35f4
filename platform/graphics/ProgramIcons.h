#pragma once

// Icons kept as resources inside program and library files: the PE files of 32- and 64-bit
// programs (.exe, .dll) and the NE files of 16-bit ones and of icon libraries (.icl). Every
// offset and size read from the file is checked against the file before it is used, and no
// more than a few megabytes are ever read for one icon.

#include <filesystem>
#include <string>
#include <string_view>

// The icon at `index` among the file's icons (counted in the order the file lists its icon
// groups; a negative index names the group by its resource number), as the bytes of an icon
// file that TIcon reads. "" when the file is no program file, holds no icon there or is
// damaged.
std::string ReadProgramIcon(const std::filesystem::path& path, int index);
std::string ReadProgramIconFromBytes(std::string_view bytes, int index);
