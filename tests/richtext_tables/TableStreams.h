#pragma once

// Table streams built byte by byte, and notes that carry them, for the readers' tests.

#include "TableFixture.h"

#include "platform/base/Stream.h"
#include "richtext/model/RNFMisc.h"

#include <string>
#include <string_view>

// A short string of the component stream: its length byte, then its bytes.
inline std::string Short(std::string_view s) {
    return static_cast<char>(s.size()) + std::string(s);
}

// A note of "before", a table and "after", whose table stream is replaced.
inline std::string NoteWithTableStream(const std::string& stream) {
    TableDoc d;
    d.Doc.RNFOptions.Exclude(TRNFOption::rnfoSaveBinary);
    d.Doc.AddNL("before", 0, 0);
    d.Doc.AddItem("", d.Make(1, 1));
    d.Doc.AddNL("after", 0, 0);
    TMemoryStream note;
    EXPECT_TRUE(d.Doc.SaveRNFToStream(note, false, clNone, nullptr));
    std::string text = note.Bytes();
    size_t at = text.find("\r\n54504630") + 2;
    size_t end = text.find("\r\n", at);
    return text.replace(at, end - at, RNFBytes2TextString(stream));
}

// A 3 x 93 grid whose 33 bytes end inside its first cell, which spans 2 columns.
inline std::string WideFirstCellCutShort() {
    auto int8 = [](int value) { return std::string{'\x02', static_cast<char>(value)}; };
    return "TPF0" + Short("TRNTableSW") + Short("") + // the wrapper
           Short("C") + int8(3) + int8(93) +          // the grid's size
           "\x01" + int8(2) + int8(1) +               // the cell list, the first cell's spans
           Short("TD") + Short("") +                  // the first cell
           Short("C.Color").substr(0, 2);             // its first property's name, cut short
}
