#pragma once

// A line-by-line renderer for the small HTML subset of status-bar panels: B, I, U, S, SUB,
// SUP, A, FONT, P, BR, HR, IND, IMG, BODY and BLINK, the entities &lt; &gt; &amp; &quot;,
// colour names ("clRed") and "#RRGGBB". Every call lays the text out afresh: each line is
// measured, then painted or hit-tested, so painting and the mouse always agree.
//
// Text is UTF-8. Tags and attributes are matched without regard to letter case; a tag whose
// ">" is missing ends the text.

#include "platform/graphics/Canvas.h"

#include <optional>
#include <string>
#include <string_view>

class TImageList;

// Draws `text` into `rect` of `canvas` (hitTest false: result false), or finds the link under
// the point (x, y) without drawing (hitTest true: true, with `anchor` set to the link's href,
// when the point lies on a link). `images` may be null. In the hidden blink phase text
// inside BLINK takes the background colour. The canvas font is restored at the end; the
// brush is left as BODY and FONT bgcolor set it.
bool HTMLDrawText(TCanvas& canvas, std::string_view text, const TRect& rect,
                  const TImageList* images, int x, int y, bool hitTest, bool blinkShown,
                  TColor linkColor, std::string& anchor);

// The colour of a name of the table ("clred", "clbtnface" ...); black for any other name.
TColor HTMLColorByName(std::string_view name);

// The colour of the six hexadecimal digits after the first "#" of `value` (red first), or
// nothing when there are not six.
std::optional<TColor> HTMLHexToColor(std::string_view value);
