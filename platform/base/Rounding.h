#pragma once

// Integer scaling and rounding with the results the stored layouts and pixel maths were
// computed with.

#include <cstdint>

// number * numerator / denominator with a 64-bit intermediate product, halves rounded away
// from zero. A zero denominator or a result outside the 32-bit range gives -1.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// Nearest integer, halves to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).
int64_t DelphiRound(double value);
