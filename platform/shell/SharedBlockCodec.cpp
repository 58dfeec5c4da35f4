#include "platform/shell/SharedBlockCodec.h"

#include <algorithm>
#include <cstring>

namespace {

bool HasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// Copies the string and its terminator at `at`; returns the offset after the terminator.
std::size_t PutString(std::span<char> block, std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
    block[at + text.size()] = '\0';
    return at + text.size() + 1;
}

// The string at the front of `rest`, up to its terminator or the end of the block; `rest` then
// starts after the terminator (or is empty).
std::string TakeString(std::span<const char>& rest) {
    if (rest.empty()) {
        return {};
    }
    const void* nul = std::memchr(rest.data(), 0, rest.size());
    if (nul == nullptr) {
        std::string text(rest.begin(), rest.end());
        rest = {};
        return text;
    }
    const auto length = static_cast<std::size_t>(static_cast<const char*>(nul) - rest.data());
    std::string text(rest.data(), length);
    rest = rest.subspan(length + 1);
    return text;
}

} // namespace

bool EncodeBinderPath(std::span<char> block, std::string_view path) {
    if (HasNul(path) || path.size() + 1 > block.size()) {
        return false;
    }
    std::fill(block.begin(), block.end(), '\0');
    PutString(block, 0, path);
    return true;
}

bool EncodeInsertItem(std::span<char> block, const InsertInfo& item) {
    if (HasNul(item.URL) || HasNul(item.Info) || HasNul(item.Html)) {
        return false;
    }
    // Three terminators and the flag byte; summed in steps so no size can wrap around.
    std::size_t room = block.size();
    for (std::size_t length : {item.URL.size(), item.Info.size(), item.Html.size()}) {
        if (length + 1 > room) {
            return false;
        }
        room -= length + 1;
    }
    if (room < 1) {
        return false;
    }
    std::fill(block.begin(), block.end(), '\0');
    std::size_t at = PutString(block, 0, item.URL);
    at = PutString(block, at, item.Info);
    at = PutString(block, at, item.Html);
    block[at] = static_cast<char>(static_cast<std::uint8_t>(item.Flag & 0xFF));
    return true;
}

std::string DecodeBinderPath(std::span<const char> block) {
    return TakeString(block);
}

InsertInfo DecodeInsertItem(std::span<const char> block) {
    InsertInfo item;
    item.URL = TakeString(block);
    item.Info = TakeString(block);
    item.Html = TakeString(block);
    item.Flag = block.empty() ? 0 : static_cast<std::int8_t>(block[0]);
    return item;
}
