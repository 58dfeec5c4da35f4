#pragma once

// Lines of a text held in memory, read the way the framework reads a text file: a line ends
// at CR, at LF or at CR LF, and a final line end adds no empty line after it.

#include <cstddef>
#include <string_view>

class TTextLineReader {
public:
    explicit TTextLineReader(std::string_view text) : text_(text) {}

    // The next line without its end; false when nothing is left.
    bool ReadLine(std::string_view& line);
    bool AtEnd() const { return pos_ >= text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};
