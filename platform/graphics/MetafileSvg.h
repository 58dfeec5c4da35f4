#pragma once

// Plays a metafile's records into SVG text: Windows metafiles through libwmf, enhanced ones
// through libemf2svg. The text is drawn with QtSvg. The bytes must have passed
// ReadMetafileLayout first: the players are given only whole records.

#include "platform/graphics/MetafileRecords.h"

#include <string>
#include <string_view>

// The drawing `width` by `height` units large, or "" when the player refuses the bytes.
std::string MetafileToSvg(std::string_view bytes, const TMetafileLayout& layout, int width,
                          int height);

// The box a Windows metafile's drawing covers, in its logical units; false when it draws
// nothing or cannot be read. Sizes a metafile that has no frame of its own.
bool WmfDrawingBox(std::string_view bytes, int32_t& left, int32_t& top, int32_t& right,
                   int32_t& bottom);
