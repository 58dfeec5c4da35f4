#include "app/binder/FoldersLeft.h"

std::string FoldersLeftMessage(std::string_view deleted, const std::vector<std::string>& left) {
    if (left.empty()) {
        return {};
    }
    std::string text = std::string(deleted) + ", but " + left.front();
    if (const size_t others = left.size() - 1; others == 1) {
        text += ", and so does 1 other folder";
    } else if (others > 1) {
        text += ", and so do " + std::to_string(others) + " other folders";
    }
    return text + ".";
}
