#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The layout of the block that other programs use to hand pages and binder paths to the running
// instance. Its name, size and layout bind every writer, so they never change.
inline constexpr std::size_t SharedMemorySize = 0xFFFFF;

// An insert item as the browser side leaves it: three NUL-terminated strings and a signed byte.
struct InsertInfo {
    std::string URL;
    std::string Info;
    std::string Html;
    // The byte after the third string, sign-extended. Nothing here gives it a meaning.
    std::int32_t Flag = 0;
};

// Each writer clears the whole block before it writes, so nothing of a longer earlier content
// survives. A content that does not fit with its terminators, or a string that holds a NUL of
// its own (it would be cut there), is refused and the block is left as it was.
bool EncodeBinderPath(std::span<char> block, std::string_view path);
// Only the low eight bits of the flag are stored.
bool EncodeInsertItem(std::span<char> block, const InsertInfo& item);

// Nothing in the block says how long its strings are, and another program may have filled it
// with anything: every read stops at the end of the block, a string without its terminator ends
// there, and a flag byte past the end reads as 0.
std::string DecodeBinderPath(std::span<const char> block);
InsertInfo DecodeInsertItem(std::span<const char> block);
