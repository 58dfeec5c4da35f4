#pragma once

// Scores of how alike two styles are, used when a style read from a file is matched against
// the styles of a style sheet: a higher score means a closer match. The weights are variables
// so that a program can tune the matching.

#include "platform/graphics/Color.h"

#include <cstdint>

extern int32_t RNSMW_FONTNAME;
extern int32_t RNSMW_FONTSIZE;
extern int32_t RNSMW_FONTCHARSET;
extern int32_t RNSMW_EACHRGBCOLOR;
extern int32_t RNSMW_COLORSET;
extern int32_t RNSMW_EACHRGBBCOLOR;
extern int32_t RNSMW_BCOLORSET;
extern int32_t RNSMW_FONTEACHSTYLE;
extern int32_t RNSMW_FONTSTYLESET;
extern int32_t RNSMW_OVERLINE;
extern int32_t RNSMW_ALLCAPS;
extern int32_t RNSMW_VSHIFT;
extern int32_t RNSMW_CHARSCALE;
extern int32_t RNSMW_VSHIFTRATIO;
extern int32_t RNSMW_CURSOR;
extern int32_t RNSMW_PROTECTION;
extern int32_t RNSMW_ALIGNMENT;
extern int32_t RNSMW_LINESPACING;
extern int32_t RNSMW_INDENT;
extern int32_t RNSMW_BORDERSIDE;
extern int32_t RNSMW_BORDERNOSIDE;
extern int32_t RNSMW_WIDTH;
extern int32_t RNSMW_BORDERSTYLE;
extern int32_t RNSMW_PADDING;

// A style's score is a sum of these comparisons. Each is exact in 64 bits for any 32-bit values
// and weights; a style adds its terms in 64 bits and clamps only the sum, so a term far out of
// range that the others bring back counts in full (exact while the weights stay below 2^24, as
// the program's do).

// Weight for equal values, less the further Value2 lies from Value1 (relative to Value1;
// absolute when Value1 is 0), negative beyond.
int64_t RN_CompareInts64(int32_t Value1, int32_t Value2, int32_t Weight);
// The same clamped to 32 bits.
int32_t RN_CompareInts(int32_t Value1, int32_t Value2, int32_t Weight);

// Up to ChannelWeight per red, green and blue channel by their closeness, plus BonusWeight
// when both colours are light or both dark. Two clNone colours score full marks, one clNone
// nothing.
int64_t RN_CompareColors64(TColor Color1, TColor Color2, int32_t ChannelWeight,
                           int32_t BonusWeight);
int32_t RN_CompareColors(TColor Color1, TColor Color2, int32_t ChannelWeight, int32_t BonusWeight);

// A score summed in 64 bits, clamped to the 32 bits a style's score has.
int32_t RN_ClampScore(int64_t score);
