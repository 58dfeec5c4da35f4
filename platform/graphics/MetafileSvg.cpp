#include "platform/graphics/MetafileSvg.h"

#include "platform/graphics/LittleEndian.h"

#include <emf2svg.h>

#include <cstdlib>
#include <mutex>

namespace {

// The converter is not known to be safe on two threads at once.
std::mutex& PlayerMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string EmfToSvg(std::string_view bytes, int width, int height) {
    std::string data(bytes);
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
    return svg;
}

} // namespace

std::string MetafileToSvg(std::string_view bytes, const TMetafileLayout& layout, int width,
                          int height) {
    std::lock_guard lock(PlayerMutex());
    return layout.Enhanced && layout.ImagesFit ? EmfToSvg(bytes, width, height) : std::string();
}
