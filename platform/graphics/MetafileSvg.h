#pragma once

// Plays an enhanced metafile's records into SVG text through libemf2svg; the text is drawn
// with QtSvg. The bytes must have passed ReadMetafileLayout first: the converter is given only
// whole records. Its font lookups end the process they run in once that process has drawn
// text, so the program runs it only in a process of its own (MetafileConversion.h). Windows
// metafiles are drawn by our own player (WmfPlayer.h).

#include "platform/graphics/MetafileRecords.h"

#include <string>
#include <string_view>

// The drawing `width` by `height` units large, or "" when the converter refuses the bytes,
// they are no enhanced metafile or they hold an image too large to draw.
std::string MetafileToSvg(std::string_view bytes, const TMetafileLayout& layout, int width,
                          int height);
