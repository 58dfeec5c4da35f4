#include "richtext/model/RNUni.h"

#include "platform/base/CodePage.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Canvas.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyleFontInfo.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool IsUnicode(TRNItemOptions options) {
    return options.Contains(TRNItemOption::rnioUnicode);
}

// The byte position of character `index` and the byte count of `count` characters.
int64_t BytePos(int index, TRNItemOptions options) {
    return IsUnicode(options) ? 2 * int64_t{index} - 1 : index;
}
int64_t ByteCount(int count, TRNItemOptions options) {
    return IsUnicode(options) ? 2 * int64_t{count} : count;
}

// The framework's Copy, Delete and Insert on bytes, positions from 1.
std::string CopyBytes(std::string_view s, int64_t index, int64_t count) {
    if (index < 1) {
        count += index - 1;
        index = 1;
    }
    auto length = static_cast<int64_t>(s.size());
    if (index > length || count <= 0) {
        return {};
    }
    count = std::min(count, length - index + 1);
    return std::string(s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count)));
}

void DeleteBytes(std::string& s, int64_t index, int64_t count) {
    auto length = static_cast<int64_t>(s.size());
    if (index < 1 || index > length || count <= 0) {
        return;
    }
    count = std::min(count, length - index + 1);
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void InsertBytes(std::string_view source, std::string& s, int64_t index) {
    index = std::clamp<int64_t>(index, 1, static_cast<int64_t>(s.size()) + 1);
    s.insert(static_cast<size_t>(index - 1), source);
}

void AppendNumber(std::string& out, uint32_t value) {
    out += "&#";
    out += std::to_string(value);
    out += ';';
}

} // namespace

std::u16string RNU_BytesToU16(std::string_view bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return out;
}

std::string RNU_U16ToBytes(std::u16string_view text) {
    std::string out(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        out[2 * i] = static_cast<char>(text[i] & 0xFF);
        out[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return out;
}

void RNCheckUni(size_t byteLength) {
    if (byteLength % 2 != 0) {
        throw ERichNoteError("Can't perform Unicode operation");
    }
}

int RNU_Length(std::string_view s, TRNItemOptions options) {
    auto length = static_cast<int>(s.size());
    return IsUnicode(options) ? length / 2 : length;
}

std::string RNU_Copy(std::string_view s, int index, int count, TRNItemOptions options) {
    return CopyBytes(s, BytePos(index, options), ByteCount(count, options));
}

void RNU_Delete(std::string& s, int index, int count, TRNItemOptions options) {
    DeleteBytes(s, BytePos(index, options), ByteCount(count, options));
}

void RNU_Insert(std::string_view source, std::string& s, int index, TRNItemOptions options) {
    InsertBytes(source, s, BytePos(index, options));
}

int RNU_OffsInPChar(int offset, TRNItemOptions options) {
    return IsUnicode(options) ? offset * 2 : offset;
}

bool RNU_IsSpace(std::string_view s, int index, TRNItemOptions options) {
    int64_t pos = BytePos(index, options);
    if (pos < 1 || pos > static_cast<int64_t>(s.size())) {
        return false;
    }
    auto at = static_cast<size_t>(pos - 1);
    if (!IsUnicode(options)) {
        return s[at] == ' ';
    }
    return at + 1 < s.size() && s[at] == ' ' && s[at + 1] == '\0';
}

const char16_t* RNU_StrScanW(const char16_t* text, char16_t ch, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == ch) {
            return text + i;
        }
    }
    return nullptr;
}

void RNU_SwapWordBytes(char* buffer, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        std::swap(buffer[2 * i], buffer[2 * i + 1]);
    }
}

int RNU_TextWidth(std::string_view s, TCanvas& canvas, TRNItemOptions options) {
    return IsUnicode(options) ? canvas.TextExtentW(RNU_BytesToU16(s)).cx : canvas.TextExtent(s).cx;
}

void RNU_GetTextExtentExPoint(TCanvas& canvas, std::string_view s, int maxExtent, int& fit,
                              std::vector<int>* dx, TRNItemOptions options) {
    if (s.empty()) {
        fit = 0;
        if (dx) {
            dx->clear();
        }
        return;
    }
    fit = IsUnicode(options) ? canvas.GetTextExtentExPointW(RNU_BytesToU16(s), maxExtent, dx)
                             : canvas.GetTextExtentExPoint(s, maxExtent, dx);
}

std::string RNU_AnsiToUnicode(unsigned codePage, std::string_view s) {
    if (s.empty()) {
        return {};
    }
    if (!CodePageSupported(codePage)) {
        codePage = CP_ACP;
    }
    if (!CodePageSupported(codePage)) {
        return RNU_U16ToBytes(std::u16string(s.size(), u'?'));
    }
    return RNU_U16ToBytes(MultiByteToUtf16(s, codePage));
}

std::string RNU_UnicodeToAnsi(unsigned codePage, std::string_view s) {
    if (s.empty()) {
        return {};
    }
    RNCheckUni(s.size());
    if (!CodePageSupported(codePage)) {
        codePage = CP_ACP;
    }
    if (!CodePageSupported(codePage)) {
        return std::string(s.size() / 2, '?');
    }
    return Utf16ToMultiByte(RNU_BytesToU16(s), codePage);
}

std::string RNU_KeyToUnicode(std::u16string_view key) {
    return RNU_U16ToBytes(key);
}

unsigned RNU_Charset2CodePage(TFontCharset charset) {
    switch (charset) {
    case ANSI_CHARSET:
        return 1252;
    case MAC_CHARSET:
        return CP_MACCP;
    case OEM_CHARSET:
        return CP_OEMCP;
    case DEFAULT_CHARSET:
    case SYMBOL_CHARSET:
        return CP_ACP;
    default: {
        // The font's own table, for the national charsets; CP_ACP for unknown ones.
        unsigned page = CharsetToCodePage(charset);
        return page == 1252 ? CP_ACP : page;
    }
    }
}

int RNU_Charset2Language(TFontCharset charset) {
    switch (charset) {
    case SHIFTJIS_CHARSET:
        return 1041;
    case HANGEUL_CHARSET:
        return 1042;
    case JOHAB_CHARSET:
        return 2066;
    case GB2312_CHARSET:
        return 2052;
    case CHINESEBIG5_CHARSET:
        return 1028;
    case GREEK_CHARSET:
        return 1032;
    case TURKISH_CHARSET:
        return 1055;
    case VIETNAMESE_CHARSET:
        return 1066;
    case HEBREW_CHARSET:
        return 1037;
    case RUSSIAN_CHARSET:
        return 1049;
    case THAI_CHARSET:
        return 1054;
    default:
        return 1024;
    }
}

TRNUnicodeTestResult RN_TestFileUnicode(const std::string& fileName) {
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return TRNUnicodeTestResult::rnutError;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0 || ::lseek(fd, 0, SEEK_SET) != 0) {
        return TRNUnicodeTestResult::rnutError;
    }
    if (size == 0) {
        return TRNUnicodeTestResult::rnutEmpty;
    }
    if (size % 2 != 0) {
        return TRNUnicodeTestResult::rnutNo;
    }
    unsigned char buffer[502];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 2) {
        return TRNUnicodeTestResult::rnutError;
    }
    unsigned word = buffer[0] | buffer[1] << 8;
    if (word == 0xFEFF || word == 0xFFFE) {
        return TRNUnicodeTestResult::rnutYes;
    }
    bool nul = std::find(buffer + 2, buffer + n, 0) != buffer + n;
    return nul ? TRNUnicodeTestResult::rnutYes : TRNUnicodeTestResult::rnutProbably;
}

std::string RNU_UpperCase(std::string_view s, unsigned codePage, bool unicode) {
    if (unicode) {
        std::u16string text = RNU_BytesToU16(s);
        CharUpperBuffW(text);
        std::string out = RNU_U16ToBytes(text);
        out.append(s.substr(out.size()));
        return out;
    }
    std::string out(s);
    for (char& c : out) {
        char original[1] = {c};
        std::u16string unit = MultiByteToUtf16(std::string_view(original, 1), codePage);
        if (unit.size() != 1) {
            continue; // a lead byte of a double-byte page: left alone
        }
        std::u16string upper = unit;
        CharUpperBuffW(upper);
        if (upper != unit) {
            std::string back = Utf16ToMultiByte(upper, codePage);
            // Only a letter whose capital the page has is changed.
            if (back.size() == 1 && back[0] != '?') {
                c = back[0];
            }
        }
    }
    return out;
}

std::string RN_ReturnCapitalized(std::string_view s, const TFontInfo& textStyle) {
    if (!textStyle.StyleEx.Contains(TRNFontStyleEx::rnfsAllCaps)) {
        return std::string(s);
    }
    return RNU_UpperCase(s, RNU_Charset2CodePage(textStyle.Charset), textStyle.Unicode);
}

std::string RNU_GetHTMLEncodedUnicode(std::string_view s, bool noEmptyLines) {
    std::u16string text = RNU_BytesToU16(s);
    if (text.empty()) {
        return noEmptyLines ? "&nbsp;" : "";
    }
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    // Whether the character before was a space written as a plain space; the text begins
    // as if after one, so a leading space is "&nbsp;".
    bool afterPlainSpace = true;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u' ') {
            out += afterPlainSpace ? "&nbsp;" : " ";
            afterPlainSpace = !afterPlainSpace;
            continue;
        }
        afterPlainSpace = false;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendNumber(out, 0x10000 + ((c - 0xD800u) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendNumber(out, 0xFFFD);
        } else if (c >= 128) {
            AppendNumber(out, c);
        } else if (c == u'&') {
            out += "&amp;";
        } else if (c == u'<') {
            out += "&lt;";
        } else if (c == u'>') {
            out += "&gt;";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void RNU_WriteHTMLEncodedUnicode(TStream& stream, std::string_view s, bool noEmptyLines) {
    stream.WriteString(RNU_GetHTMLEncodedUnicode(s, noEmptyLines));
}
