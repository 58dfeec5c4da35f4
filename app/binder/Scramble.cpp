#include "app/binder/Scramble.h"

#include <cstring>
#include <limits>

std::unique_ptr<char[]> ScrambleBuffer(const char* data, std::string_view key, size_t size) {
    if (size == 0 || size >= std::numeric_limits<size_t>::max() / 2) {
        return nullptr;
    }
    auto buffer = std::make_unique<char[]>(size + 1);
    std::memcpy(buffer.get(), data, size);
    buffer[size] = '\0';
    const size_t keyLength = key.size();
    size_t k = 0;
    for (size_t i = 0; i < size; ++i) {
        const char keyByte = k < keyLength ? key[k] : '\0';
        buffer[i] = static_cast<char>(buffer[i] ^ keyByte);
        ++k;
        if (i >= keyLength) {
            k = 0;
        }
    }
    return buffer;
}
