#include "app/capture/ScriptParser.h"

namespace {

constexpr size_t npos = std::string::npos;
constexpr size_t NotSearched = npos - 1;

} // namespace

ScriptParser::ScriptParser(std::string text) : text_(std::move(text)) {
    next_.fill(NotSearched);
}

std::string ScriptParser::FindNext() {
    size_t best = npos;
    size_t bestLength = 0;
    for (size_t k = 0; k < Extensions.size(); ++k) {
        // An extension that occurs nowhere further on stays that way (npos).
        if (next_[k] == NotSearched || (next_[k] != npos && next_[k] < position_)) {
            next_[k] = text_.find(Extensions[k], position_);
        }
        if (next_[k] < best) {
            best = next_[k];
            bestLength = Extensions[k].size();
        }
    }
    if (best == npos) {
        return {};
    }
    size_t end = best + bestLength;
    std::string_view searched = std::string_view(text_).substr(position_, end - position_);
    size_t cut = searched.find_last_of("/\"='( \t\r\n");
    matchStart_ = cut == npos ? position_ : position_ + cut + 1;
    position_ = end;
    return text_.substr(matchStart_, end - matchStart_);
}

void ScriptParser::Replace(std::string_view text) {
    if (matchStart_ > copied_) {
        output_.append(text_, copied_, matchStart_ - copied_);
    }
    output_ += text;
    copied_ = position_;
}

void ScriptParser::Finish() {
    output_.append(text_, copied_);
    copied_ = text_.size();
}
