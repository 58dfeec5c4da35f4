#pragma once

// The text of the notes-format benchmarks: paragraphs of 96 bytes in a repeating mix of the notes
// sheet's heading, body, code and Unicode styles.
#include "tests/support/NotesSheet.h"

#include <string>

namespace bench {

inline std::string Paragraph(int i) {
    std::string s = "Paragraph " + std::to_string(i) + ": ";
    while (s.size() < 96) {
        s += "the quick brown fox jumps over the lazy dog ";
    }
    s.resize(96);
    return s;
}

// Adds paragraph `i`; `paraNos` gives the paragraph style of each of the eight places of the mix.
inline void AddMixedParagraph(TNotesDocument& doc, int i, const int (&paraNos)[8]) {
    constexpr int Styles[] = {0, 0, 0, 1, 0, 3, 0, 11};
    const int k = i % 8;
    if (Styles[k] == 11) {
        doc.AddNLATag(Paragraph(i).substr(0, 48), 11, paraNos[k], {});
    } else {
        doc.AddNL(Paragraph(i), Styles[k], paraNos[k]);
    }
}

} // namespace bench
