#pragma once

// How the installation's page templates and error page are stored.

#include <cstddef>
#include <memory>
#include <string_view>

// The key the installation's page templates and error page are stored with.
inline constexpr std::string_view ScrambleKey = "TarnwickQz";

// The bytes combined by exclusive or with the key as the installation's files were stored:
// bytes 0 to L-1 with the key's L characters, byte L with the key's terminating NUL (so it
// stays), every later byte with the key's first character. The same call restores the input.
// A block of size + 1 bytes, the last NUL; null for size 0.
std::unique_ptr<char[]> ScrambleBuffer(const char* data, std::string_view key, size_t size);
