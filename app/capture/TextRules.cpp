#include "app/capture/TextRules.h"

#include "platform/base/StringUtils.h"

#include <algorithm>

std::string RemoveStrings(std::string_view text, std::initializer_list<std::string_view> strings) {
    std::string result(text);
    for (std::string_view removed : strings) {
        result = ReplaceAll(result, removed, "");
    }
    return result;
}

std::string StripLeadingLineBreaks(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size() && i < 2; ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            result += text[i];
        }
    }
    if (text.size() > 2) {
        result.append(text.substr(2));
    }
    return result;
}

std::string StripLineBreaks(std::string_view text) {
    std::string result(text);
    result.erase(
        std::remove_if(result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }),
        result.end());
    return result;
}
