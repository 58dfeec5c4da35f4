#include "app/binder/ChmListing.h"

#include <cstdint>
#include <fstream>
#include <string_view>

namespace {

// The file header: its signature, then at 0x48 the directory's offset and length.
constexpr size_t HeaderSize = 0x58;
constexpr size_t DirectoryOffsetAt = 0x48;
constexpr size_t DirectoryLengthAt = 0x50;
// The directory's header: its length at 8, the chunk size at 16, the chunk count at 44.
constexpr size_t DirectoryHeaderSize = 0x54;
// A listing chunk: the length of the free space at its end at 4, the entries from 20 on.
constexpr size_t ListingChunkHead = 20;
// Far above the directory of any help file this program makes, and a bound on what a damaged
// file can make us read.
constexpr uint64_t MaxDirectoryLength = 64u << 20;

uint64_t Little(std::string_view bytes, size_t at, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// The directory's numbers: seven bits a byte, the highest first, the top bit set on every byte
// but the last. Nothing when they run past `end` or past 64 bits.
std::optional<uint64_t> EncodedInteger(std::string_view bytes, size_t& at, size_t end) {
    uint64_t value = 0;
    for (int used = 0; at < end && used < 9; ++used) {
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

// The entries of one listing chunk; false when one runs past the chunk.
bool ReadListingChunk(std::string_view chunk, std::set<std::string>& names) {
    const uint64_t free = Little(chunk, 4, 4);
    if (free > chunk.size() - ListingChunkHead) {
        return false;
    }
    const size_t end = chunk.size() - static_cast<size_t>(free);
    size_t at = ListingChunkHead;
    while (at < end) {
        const std::optional<uint64_t> length = EncodedInteger(chunk, at, end);
        if (!length || *length > end - at) {
            return false;
        }
        std::string name(chunk.substr(at, static_cast<size_t>(*length)));
        at += static_cast<size_t>(*length);
        // Its section, offset and length.
        for (int field = 0; field < 3; ++field) {
            if (!EncodedInteger(chunk, at, end)) {
                return false;
            }
        }
        names.insert(std::move(name));
    }
    return true;
}

} // namespace

std::optional<std::set<std::string>> ChmFileNames(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff fileSize = file.tellg();
    if (fileSize < static_cast<std::streamoff>(HeaderSize)) {
        return std::nullopt;
    }
    std::string header(HeaderSize, '\0');
    file.seekg(0);
    if (!file.read(header.data(), static_cast<std::streamsize>(header.size())) ||
        !header.starts_with("ITSF")) {
        return std::nullopt;
    }
    const uint64_t offset = Little(header, DirectoryOffsetAt, 8);
    const uint64_t length = Little(header, DirectoryLengthAt, 8);
    const auto size = static_cast<uint64_t>(fileSize);
    if (length < DirectoryHeaderSize || length > MaxDirectoryLength || offset > size ||
        length > size - offset) {
        return std::nullopt;
    }
    std::string directory(static_cast<size_t>(length), '\0');
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file.read(directory.data(), static_cast<std::streamsize>(directory.size())) ||
        !directory.starts_with("ITSP")) {
        return std::nullopt;
    }
    const uint64_t chunksAt = Little(directory, 8, 4);
    const uint64_t chunkSize = Little(directory, 16, 4);
    const uint64_t chunks = Little(directory, 44, 4);
    if (chunksAt < DirectoryHeaderSize || chunkSize < ListingChunkHead || chunksAt > length ||
        chunks > (length - chunksAt) / chunkSize) {
        return std::nullopt;
    }
    std::set<std::string> names;
    for (uint64_t i = 0; i < chunks; ++i) {
        const std::string_view chunk = std::string_view(directory).substr(
            static_cast<size_t>(chunksAt + i * chunkSize), static_cast<size_t>(chunkSize));
        // Index chunks only lead to listing chunks, which are all read anyway.
        if (chunk.starts_with("PMGL") && !ReadListingChunk(chunk, names)) {
            return std::nullopt;
        }
    }
    return names;
}
