#pragma once

// A metafile loaded and drawn as the program draws it, so that the fuzzer sees what the
// players do with the bytes: a Windows metafile played by our own player, an enhanced one
// converted by the converter the program starts and the SVG text it answers read and drawn
// here; each on the screen and on a 300-dpi page, within the rule of pictures.

#include "FuzzSupport.h"

#include "platform/graphics/Metafile.h"

// Plays only the kind of metafile a target is for (the other kind has a target of its own).
inline void LoadAndPlayMetafile(const uint8_t* data, size_t size, bool enhanced) {
    AbortOnBrokenRule(LoadAndDrawWithinRule<TMetafile>(
        std::string_view(reinterpret_cast<const char*>(data), size),
        [enhanced](const TMetafile& metafile) { return metafile.Enhanced() == enhanced; }));
}
