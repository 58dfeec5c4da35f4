#include "platform/base/Rounding.h"

#include <cmath>

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0) {
        return -1;
    }
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    int64_t half = divisor / 2;
    int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(result);
}

int64_t DelphiRound(double value) {
    // The default floating-point environment rounds to nearest, ties to even.
    return static_cast<int64_t>(std::nearbyint(value));
}
