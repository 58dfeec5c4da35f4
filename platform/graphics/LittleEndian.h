#pragma once

// Little-endian numbers in byte strings, as the picture and stream formats store them. The
// caller checks that the bytes are there.

#include <cstdint>
#include <string>
#include <string_view>

inline uint32_t ReadU16(std::string_view b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at]) |
                                 static_cast<unsigned char>(b[at + 1]) << 8);
}

inline uint32_t ReadU32(std::string_view b, size_t at) {
    return ReadU16(b, at) | ReadU16(b, at + 2) << 16;
}

inline uint64_t ReadU64(std::string_view b, size_t at) {
    return ReadU32(b, at) | static_cast<uint64_t>(ReadU32(b, at + 4)) << 32;
}

inline void WriteU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8 & 0xFF);
}

inline void WriteU32(std::string& out, uint32_t v) {
    WriteU16(out, v & 0xFFFF);
    WriteU16(out, v >> 16);
}

inline void WriteU64(std::string& out, uint64_t v) {
    WriteU32(out, static_cast<uint32_t>(v));
    WriteU32(out, static_cast<uint32_t>(v >> 32));
}
