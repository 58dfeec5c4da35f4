#pragma once

// The bitmaps of an enhanced metafile made ready for the converter. It cannot read run-length
// bitmaps, and a picture holding one converted to nothing: they are unpacked into plain pixels
// of 32 bits, the pixels their runs skip over transparent, as the platform leaves the page
// under them. It takes the fourth byte of 32-bit pixels for their opacity, where the platform
// does so only when blending by it: elsewhere that byte (mostly 0) is made opaque, or the
// bitmap vanished.

#include <string>
#include <string_view>

// `bytes`, which passed ReadMetafileLayout, with its bitmaps made ready as said. A bitmap that is
// not sound is left as it is.
std::string EmfWithConvertibleBitmaps(std::string_view bytes);
