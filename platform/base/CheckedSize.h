#pragma once

// Sizes multiplied out of numbers read from files (width by height by bytes a pixel, entries
// by bytes an entry): a product that does not fit in 64 bits is no size at all, so a check
// against a limit can never be passed by a product that wrapped around.

#include <cstdint>
#include <initializer_list>
#include <optional>

// The product of `factors`, or nothing when it does not fit in 64 bits.
inline std::optional<uint64_t> SizeProduct(std::initializer_list<uint64_t> factors) {
    for (uint64_t factor : factors) {
        if (factor == 0) {
            return 0;
        }
    }
    uint64_t product = 1;
    for (uint64_t factor : factors) {
        if (__builtin_mul_overflow(product, factor, &product)) {
            return std::nullopt;
        }
    }
    return product;
}

// Whether the product of `factors` is at most `limit`.
inline bool SizeWithin(std::initializer_list<uint64_t> factors, uint64_t limit) {
    const std::optional<uint64_t> product = SizeProduct(factors);
    return product && *product <= limit;
}
