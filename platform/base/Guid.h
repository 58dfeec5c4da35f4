#pragma once

#include <array>
#include <cstdint>

// A random (version 4) GUID in its four-part form.
struct TGUID {
    uint32_t D1 = 0;
    uint16_t D2 = 0;
    uint16_t D3 = 0;
    std::array<uint8_t, 8> D4{};
};

TGUID NewGuid();

// A binder node id: the first 32 bits of a fresh GUID.
uint32_t NewNodeId();
