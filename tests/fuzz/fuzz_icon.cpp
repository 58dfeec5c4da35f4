// Icon files, and the icons taken out of program files (PNG or bitmap images inside).
#include "FuzzSupport.h"

#include "platform/graphics/Icon.h"
#include "platform/graphics/ProgramIcons.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadAndDraw<TIcon>(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (int index : {0, 1, -1}) {
        const std::string icon = ReadProgramIconFromBytes(bytes, index);
        if (!icon.empty()) {
            LoadAndDraw<TIcon>(reinterpret_cast<const uint8_t*>(icon.data()), icon.size());
        }
    }
    return 0;
}
