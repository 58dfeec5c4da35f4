#include "app/ui/StatusRules.h"

#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cstdint>

bool BrowserStatusShown(const std::string& text) {
    return text.find('.') != std::string::npos && LowerCase(text).find("file") == std::string::npos;
}

int BrowserProgressPosition(int progress, int maximum) {
    if (progress == 1 || maximum == 0) {
        return 0;
    }
    const int64_t position = static_cast<int64_t>(progress) * 100 / maximum;
    return static_cast<int>(std::clamp<int64_t>(position, 0, 100));
}

std::string CaretPositionText(int line, int column) {
    return "Ln " + std::to_string(line) + " , Col. " + std::to_string(column);
}

std::string GetLongHint(const std::string& hint) {
    const size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}
