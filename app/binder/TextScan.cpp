#include "app/binder/TextScan.h"

#include "platform/base/Exceptions.h"
#include "platform/base/StringUtils.h"

int32_t ParseTrailingCount(const std::string& text) {
    if (text.empty()) {
        return -1;
    }
    if (text.back() != ')') {
        return 0;
    }
    size_t open = text.rfind('(');
    if (open == std::string::npos) {
        return -1;
    }
    const size_t length = text.size() - 1 - open - 1;
    if (length < 1 || length > 4) {
        return -1;
    }
    try {
        return StrToInt(text.substr(open + 1, length));
    } catch (const EConvertError&) {
        return -1;
    }
}

std::string ExtractHtmlTitle(const std::string& html) {
    const std::string lower = LowerCase(html);
    const size_t start = lower.find("<title>");
    if (start == std::string::npos) {
        return std::string();
    }
    const size_t end = lower.find("</title");
    if (end == std::string::npos || end < start + 7) {
        return std::string();
    }
    return html.substr(start + 7, end - start - 7);
}
