#pragma once

// The pages of a PDF file, counted from its page objects (type /Page, not the /Pages tree).

#include <fstream>
#include <iterator>
#include <string>

inline int PdfPageObjects(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int count = 0;
    const std::string key = "/Type /Page";
    for (size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1)) {
        const size_t next = at + key.size();
        count += next < pdf.size() && pdf[next] != 's' ? 1 : 0;
    }
    return count;
}
