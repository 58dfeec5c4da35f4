#pragma once

#include <cctype>
#include <string>

// True for "mm/dd/yy hh:nn:ss": the creation-date text of binder nodes.
inline bool LooksLikeDateTime(const std::string& text) {
    const std::string shape = "99/99/99 99:99:99";
    if (text.size() != shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (shape[i] == '9' ? !digit : text[i] != shape[i]) {
            return false;
        }
    }
    return true;
}
