// The side bar's picture: any picture file the side bar reads (bitmap, icon, GIF, JPEG,
// metafile), loaded and drawn stretched as the side bar draws it.
#include "FuzzSupport.h"

#include "controls/ShelfImg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndDraw<TShelfImage>(data, size);
    return 0;
}
