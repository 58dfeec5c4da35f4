#include "app/ui/dialogs/LocationRules.h"

#include "platform/base/Exceptions.h"
#include "platform/base/StringUtils.h"

#include <algorithm>

std::string BinderNamePart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) {
        return {};
    }
    return path.substr(start, dot - start);
}

std::string BinderListEntry(const std::string& path) {
    return BinderNamePart(path) + " -- " + path;
}

std::optional<int32_t> ParseCaptureLevels(const std::string& text, std::string* message) {
    try {
        return StrToInt(text);
    } catch (const EConvertError& error) {
        if (message != nullptr) {
            *message = error.what();
        }
        return std::nullopt;
    }
}

int32_t StepCaptureLevels(const std::string& text, bool up) {
    int64_t levels = 0;
    try {
        levels = StrToInt(text);
    } catch (const EConvertError&) {
    }
    return static_cast<int32_t>(std::clamp<int64_t>(levels + (up ? 1 : -1), 0, MaxCaptureLevels));
}

int PopupFrameTop(int fieldTop, int fieldBottom, int frameHeight, int screenHeight) {
    return screenHeight < frameHeight + fieldBottom ? fieldTop - frameHeight : fieldBottom;
}
