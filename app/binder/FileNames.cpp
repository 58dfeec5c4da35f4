#include "app/binder/FileNames.h"

#include <algorithm>

std::string CleanFileName(std::string_view name) {
    std::string result(name);
    std::erase_if(result, [](char c) {
        return c != '\0' && std::string_view("\\/:*?\"<>|\n\r").find(c) != std::string_view::npos;
    });
    return result;
}

std::string TitleEntryName(std::string_view title) {
    std::string result(title);
    std::erase_if(result, [](char c) { return c == '/' || c == '\\' || c == '\0'; });
    if (result.empty() || result == "." || result == "..") {
        return "_";
    }
    return result;
}

namespace {

size_t LastSeparator(std::string_view path) {
    return path.find_last_of("/\\");
}

} // namespace

std::string_view NameOfPath(std::string_view path) {
    const size_t slash = LastSeparator(path);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderOfPath(std::string_view path) {
    const size_t slash = LastSeparator(path);
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}
