#pragma once

// The option bits every item carries; the character routines need the Unicode one.

#include "platform/base/Set.h"

enum class TRNItemOption {
    rnioSameAsPrev,      // continues the previous item's paragraph
    rnioPageBreakBefore, // starts a new page
    rnioBR,              // starts a new line inside its paragraph
    rnioUnicode,         // its text is raw UTF-16LE, two bytes per character
};
using TRNItemOptions = TSet<TRNItemOption>;

// Only these bits are ever stored.
constexpr uint32_t RNItemOptionsStoredMask = 15;
