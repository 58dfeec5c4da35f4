// The side bar's picture: any picture file the side bar reads (bitmap, icon, GIF, JPEG,
// metafile), loaded and drawn as the side bar draws it (stretched, here to its own size), within
// the rule of pictures.
#include "FuzzSupport.h"

#include "controls/ShelfImg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AbortOnBrokenRule(LoadAndDrawWithinRule<TShelfImage>(
        std::string_view(reinterpret_cast<const char*>(data), size),
        [](const TShelfImage&) { return true; }));
    return 0;
}
