#pragma once

// A metafile loaded and drawn as the program draws it, so that the fuzzer sees what the
// players do with the bytes: a Windows metafile played by our own player, an enhanced one
// converted in the converter's own process and the SVG text it answers read and drawn here,
// on the screen and on a 300-dpi page. (Converted here instead, the converter's font lookups
// would end the target once text had been drawn.)

#include "FuzzSupport.h"

#include "platform/graphics/Metafile.h"

// Plays only the kind of metafile a target is for (the other kind has a target of its own).
inline void LoadAndPlayMetafile(const uint8_t* data, size_t size, bool enhanced) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(bytes);
    } catch (const EInvalidGraphic&) {
        return;
    }
    if (metafile.Empty() || metafile.Enhanced() != enhanced) {
        return;
    }
    DrawMetafile(metafile);
}
