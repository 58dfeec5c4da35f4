#include "app/binder/MainServices.h"

#include "platform/base/Exceptions.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <cstring>
#include <limits>

std::string BinderCaption(const std::string& binderName) {
    if (binderName.empty()) {
        return ApplicationTitle;
    }
    return std::string(ApplicationTitle) + " - " + ReplaceAll(binderName, "%20", " ");
}

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

void SelectNodeRange(TTreeNode* a, TTreeNode* b, std::span<TTreeNode* const> nodes,
                     std::vector<TTreeNode*>& list) {
    if (a == nullptr || b == nullptr) {
        return;
    }
    auto first = std::find_if(nodes.begin(), nodes.end(),
                              [&](const TTreeNode* node) { return node == a || node == b; });
    if (first == nodes.end()) {
        return;
    }
    TTreeNode* other = *first == a ? b : a;
    auto last = std::find(first, nodes.end(), other);
    if (last == nodes.end()) {
        return;
    }
    for (auto node = first; node != last + 1; ++node) {
        if (std::find(list.begin(), list.end(), *node) == list.end()) {
            list.push_back(*node);
        }
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

std::string NodeKindText(int32_t kind) {
    static const char* const texts[] = {"Folder", " WebPage", "Notes Document ", "Link"};
    return kind >= 1 && kind <= 4 ? texts[kind - 1] : "Unknow";
}

std::string CaptureResultText(int32_t state) {
    static const char* const texts[] = {"Capture Incompleted", "Capture Completed",
                                        "Capture Failed", "Capture stopped"};
    return state >= 1 && state <= 4 ? texts[state - 1] : "";
}

std::unique_ptr<char[]> ScrambleBuffer(const char* data, std::string_view key, size_t size) {
    if (size == 0 || size >= std::numeric_limits<size_t>::max() / 2) {
        return nullptr;
    }
    auto buffer = std::make_unique<char[]>(size + 1);
    std::memcpy(buffer.get(), data, size);
    buffer[size] = '\0';
    const size_t keyLength = key.size();
    size_t k = 0;
    for (size_t i = 0; i < size; ++i) {
        const char keyByte = k < keyLength ? key[k] : '\0';
        buffer[i] = static_cast<char>(buffer[i] ^ keyByte);
        ++k;
        if (i >= keyLength) {
            k = 0;
        }
    }
    return buffer;
}
