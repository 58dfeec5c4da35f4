#pragma once

// Finds the names of resource files inside script text by their file extensions, and builds a
// copy of the text with found names replaced.

#include <array>
#include <string>
#include <string_view>

class ScriptParser {
public:
    // Searched in this order; at one position the earlier extension wins.
    static constexpr std::array<std::string_view, 27> Extensions = {
        ".htm", ".html",  ".shtm", ".shtml", ".css",  ".xml", ".xsl", ".cfm", ".htx",
        ".js",  ".phtml", ".gif",  ".jpg",   ".jpeg", ".jpe", ".png", ".bmp", ".tif",
        ".psd", ".psp",   ".tiff", ".wmf",   ".ico",  ".cur", ".ani", ".txt", ".swf"};

    explicit ScriptParser(std::string text);

    // The next name: the text up to the end of the first extension found (case-sensitive),
    // from behind the last "/", quote, "=", "(" or white space before it. Empty when no
    // extension follows.
    std::string FindNext();
    // Appends the text up to the last name found, then `text` in its place.
    void Replace(std::string_view text);
    // Appends the rest of the text.
    void Finish();

    const std::string& GetOutput() const { return output_; }

private:
    std::string text_;
    std::string output_;
    size_t position_ = 0;   // 0-based; the search goes on from here
    size_t matchStart_ = 0; // start of the last name found
    size_t copied_ = 0;     // how much of the text the output has taken
    // Where each extension occurs next at or after the position; remembered so that every
    // extension walks the text once however many names are found.
    std::array<size_t, Extensions.size()> next_;
};
