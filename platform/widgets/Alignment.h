#pragma once

// Text alignment and reading order as controls publish them.

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// bdRightToLeft reads and aligns from the right; the other two right-to-left modes leave the
// alignment as it is.
enum class TBiDiMode {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};
