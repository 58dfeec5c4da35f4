#include "platform/base/Guid.h"

#include <mutex>
#include <random>

TGUID NewGuid() {
    // One generator seeded from the system's entropy; ids are drawn from any thread.
    static std::mutex lock;
    static std::mt19937_64 engine{std::random_device{}()};
    uint64_t high, low;
    {
        std::lock_guard<std::mutex> guard(lock);
        high = engine();
        low = engine();
    }
    TGUID guid;
    guid.D1 = static_cast<uint32_t>(high >> 32);
    guid.D2 = static_cast<uint16_t>(high >> 16);
    guid.D3 = static_cast<uint16_t>((high & 0x0FFF) | 0x4000); // version 4
    for (int i = 0; i < 8; ++i) {
        guid.D4[static_cast<size_t>(i)] = static_cast<uint8_t>(low >> (56 - 8 * i));
    }
    guid.D4[0] = static_cast<uint8_t>((guid.D4[0] & 0x3F) | 0x80); // RFC 4122 variant
    return guid;
}

uint32_t NewNodeId() {
    return NewGuid().D1;
}
