#include "platform/base/TextLineReader.h"

bool TTextLineReader::ReadLine(std::string_view& line) {
    if (AtEnd()) {
        return false;
    }
    size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
    }
    return true;
}
