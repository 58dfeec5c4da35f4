#pragma once

// The pieces of RTF that the document writer and the items' own writers share.

#include "platform/graphics/Color.h"

#include <string>
#include <string_view>

class TRNColorList;

// Text: a backslash before "\", "{" and "}", bytes below 26 and above 127 as "\'hh".
std::string RN_RTFEscapeText(std::string_view s);
// Names (style names): "\", "{" and "}" become "_", then as text.
std::string RN_RTFEscapeName(std::string_view s);
// The colour's index in the table, 0 (automatic) for clNone or a colour it lacks.
int RN_RTFColorIndex(const TRNColorList& colorList, TColor color);
// A length in pixels in twips.
int RN_PixelsToTwips(int pixels, double twipsPerPixel);
