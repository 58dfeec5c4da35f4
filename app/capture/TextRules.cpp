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
    for (int i = 0; i < 2 && !text.empty() && (text.front() == '\r' || text.front() == '\n'); ++i) {
        text.remove_prefix(1);
    }
    return std::string(text);
}

std::string StripLineBreaks(std::string_view text) {
    std::string result(text);
    result.erase(
        std::remove_if(result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }),
        result.end());
    return result;
}
