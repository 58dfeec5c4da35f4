#include "platform/widgets/FileFilter.h"

#include <vector>

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string WithoutOwnPatterns(std::string description) {
    description = Trimmed(description);
    const size_t open = description.rfind('(');
    if (!description.empty() && description.back() == ')' && open != std::string::npos) {
        description = Trimmed(description.substr(0, open));
    }
    return description;
}

} // namespace

std::string ConvertFileFilter(const std::string& filter) {
    if (filter.empty()) {
        return "";
    }
    const std::vector<std::string> parts = Split(filter, '|');
    std::string result;
    for (size_t i = 0; i < parts.size(); i += 2) {
        std::string patterns;
        if (i + 1 < parts.size()) {
            for (const std::string& pattern : Split(parts[i + 1], ';')) {
                const std::string trimmed = Trimmed(pattern);
                if (trimmed.empty()) {
                    continue;
                }
                if (!patterns.empty()) {
                    patterns += ' ';
                }
                patterns += trimmed;
            }
        }
        if (patterns.empty()) {
            patterns.push_back('*');
        }
        std::string description = WithoutOwnPatterns(parts[i]);
        if (description.empty()) {
            description = patterns;
        }
        if (!result.empty()) {
            result += ";;";
        }
        result += description;
        result += " (";
        result += patterns;
        result += ')';
    }
    return result;
}
