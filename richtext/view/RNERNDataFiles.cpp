// Files read at the caret, and the HTML exports of an editor.

#include "platform/base/Stream.h"
#include "platform/base/TextLineReader.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

namespace {

constexpr unsigned OEMCodePage = 437;

std::string ReadAll(const std::string& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return stream.Bytes();
}

std::u16string Utf16Of(std::string_view bytes, bool bigEndian) {
    std::u16string text(bytes.size() / 2, u'\0');
    const size_t hi = bigEndian ? 0 : 1;
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i + hi]) << 8 |
                                        static_cast<uint8_t>(bytes[2 * i + 1 - hi]));
    }
    return text;
}

} // namespace

bool TRNEditRNData::InsertTextFileBytes(std::string_view bytes, bool oem) {
    TTextLineReader reader(bytes);
    std::vector<TRNTextLine> lines;
    for (std::string_view line; reader.ReadLine(line);) {
        std::string text(line);
        Replace0(text);
        lines.push_back(oem ? LineForStyle(RNU_AnsiToUnicode(OEMCodePage, text), true, false)
                            : LineForStyle(text, false, false));
    }
    return lines.empty() || InsertLines(lines);
}

bool TRNEditRNData::InsertTextFileBytesW(std::string_view bytes) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    bool bigEndian = false;
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        bytes.remove_prefix(2);
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        bytes.remove_prefix(2);
        bigEndian = true;
    }
    return InsertTextW_(Utf16Of(bytes, bigEndian));
}

bool TRNEditRNData::InsertTextFromFile(const std::string& fileName) {
    return InsertTextFileBytes(ReadAll(fileName), false);
}

bool TRNEditRNData::InsertOEMTextFromFile(const std::string& fileName) {
    return InsertTextFileBytes(ReadAll(fileName), true);
}

bool TRNEditRNData::InsertTextFromFileW(const std::string& fileName) {
    return InsertTextFileBytesW(ReadAll(fileName));
}

bool TRNEditRNData::SaveHTMLExport(TStream& stream, TRNHTMLExportOptions& exp) {
    BuildJumpsCoords();
    const bool ok = TRichNoteRNData::SaveHTMLExport(stream, exp);
    ClearJumpsCoords();
    return ok;
}
