#include "platform/graphics/MetafileSvg.h"

#include "platform/graphics/EmfBitmapRecords.h"
#include "platform/graphics/EmfTextRecords.h"
#include "platform/graphics/FontGlyphCharacters.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/SvgStrokeSplitting.h"

#include <emf2svg.h>

#include <cstdlib>
#include <mutex>
#include <utility>

namespace {

// The converter is not known to be safe on two threads at once.
std::mutex& PlayerMutex() {
    static std::mutex mutex;
    return mutex;
}

// The metafile with its text written for the converter. Glyph indices are read through the
// fonts here, the converter never looking a font up: its lookups end a process whose font
// system has been started, and a font system started here for the lookup has ended before the
// converter runs.
std::string WithConvertibleText(std::string_view bytes) {
    if (!EmfHasGlyphText(bytes) || !TFontGlyphCharacters::Available()) {
        return EmfWithConvertibleText(bytes, nullptr);
    }
    TFontGlyphCharacters glyphs;
    return EmfWithConvertibleText(bytes, &glyphs);
}

std::string EmfToSvg(std::string_view bytes, int width, int height) {
    std::string data = EmfWithConvertibleBitmaps(WithConvertibleText(bytes));
    // A description of no characters is no description: the player would read its text at
    // the offset given all the same, up to whatever ends it.
    if (data.size() >= 68 && ReadU32(data, 60) == 0) {
        data.replace(64, 4, 4, '\0');
    }
    generatorOptions options{};
    options.nameSpace = nullptr;
    options.verbose = false;
    // The records every player understands; the EMF+ records beside them repeat the picture.
    options.emfplus = false;
    options.svgDelimiter = true;
    options.imgWidth = width;
    options.imgHeight = height;
    char* out = nullptr;
    size_t length = 0;
    const int done = emf2svg(data.data(), data.size(), &out, &length, &options);
    std::string svg = done == 1 && out ? std::string(out, length) : std::string();
    std::free(out);
    return SvgWithStrokesSplit(SvgWithTextRestored(std::move(svg)));
}

} // namespace

std::string MetafileToSvg(std::string_view bytes, const TMetafileLayout& layout, int width,
                          int height) {
    std::lock_guard lock(PlayerMutex());
    return layout.Enhanced && layout.ImagesFit ? EmfToSvg(bytes, width, height) : std::string();
}
