#include "platform/base/CodePage.h"

#include <QChar>

#include <array>
#include <atomic>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>

namespace {

constexpr char16_t Replacement = 0xFFFD;

std::atomic<unsigned> systemAnsiCodePage{DefaultAnsiCodePage};

unsigned Resolve(unsigned codePage) {
    return codePage == CP_ACP ? systemAnsiCodePage.load() : codePage;
}

std::string IconvName(unsigned codePage) {
    switch (Resolve(codePage)) {
    case CP_OEMCP:
        return "CP437";
    case CP_MACCP:
    case 10000:
        return "MACINTOSH";
    case CP_UTF8:
        return "UTF-8";
    case 20127:
        return "ASCII";
    case 1361:
        return "JOHAB";
    default:
        return "CP" + std::to_string(Resolve(codePage));
    }
}

class Converter {
public:
    explicit Converter(unsigned codePage, bool fromUtf16 = false)
        : cd_(fromUtf16 ? iconv_open(IconvName(codePage).c_str(), "UTF-16LE")
                        : iconv_open("UTF-16LE", IconvName(codePage).c_str())) {}
    ~Converter() {
        if (Valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Decodes one character from the front of `in`: the bytes it took (0 when the bytes are
    // not a character, -1 when they end inside one) and its units in `out`.
    int One(std::string_view in, std::u16string& out) {
        char buffer[16];
        for (size_t take = 1; take <= std::min<size_t>(4, in.size()); ++take) {
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            char* src = const_cast<char*>(in.data());
            size_t srcLeft = take;
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            if (rc != static_cast<size_t>(-1) && srcLeft == 0) {
                for (char* p = buffer; p + 1 < dst; p += 2) {
                    out += static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                                 static_cast<unsigned char>(p[1]) << 8);
                }
                return static_cast<int>(take);
            }
            if (errno != EINVAL) {
                return 0;
            }
        }
        return in.size() < 4 ? -1 : 0;
    }

    // Encodes the UTF-16 units in `in` (one character); false when the page has no such
    // character.
    bool Encode(std::u16string_view in, std::string& out) {
        char source[8];
        for (size_t i = 0; i < in.size(); ++i) {
            source[2 * i] = static_cast<char>(in[i] & 0xFF);
            source[2 * i + 1] = static_cast<char>(in[i] >> 8);
        }
        char buffer[16];
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = source;
        size_t srcLeft = in.size() * 2;
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        if (rc == static_cast<size_t>(-1) || srcLeft != 0) {
            return false;
        }
        // Finish a stateful encoding so the text ends in its initial shift state.
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        return true;
    }

private:
    iconv_t cd_;
};

// Single-byte pages are decoded through a table built once; others character by character.
struct PageTable {
    bool valid = false;
    bool singleByte = true;
    std::array<char16_t, 256> units{};
    // For single-byte pages, the byte of every BMP unit, 0 for none (NUL maps to itself).
    std::unique_ptr<std::array<char, 0x10000>> bytes;
};

const PageTable& TableFor(unsigned codePage) {
    codePage = Resolve(codePage);
    static std::mutex lock;
    static std::map<unsigned, std::unique_ptr<PageTable>> tables;
    std::lock_guard<std::mutex> guard(lock);
    auto& slot = tables[codePage];
    if (!slot) {
        slot = std::make_unique<PageTable>();
        Converter converter(codePage);
        slot->valid = converter.Valid();
        if (codePage == CP_UTF8) {
            slot->singleByte = false;
        }
        for (int b = 0; b < 256 && slot->valid && slot->singleByte; ++b) {
            char byte = static_cast<char>(b);
            std::u16string out;
            int took = converter.One(std::string_view(&byte, 1), out);
            if (took == 1 && out.size() == 1) {
                slot->units[b] = out[0];
            } else if (took == 0) {
                slot->units[b] = Replacement;
            } else {
                slot->singleByte = false;
            }
        }
        if (slot->valid && slot->singleByte) {
            slot->bytes = std::make_unique<std::array<char, 0x10000>>();
            slot->bytes->fill(0);
            // Lower bytes win where two bytes decode to the same unit.
            for (int b = 255; b >= 1; --b) {
                if (slot->units[b] != Replacement) {
                    (*slot->bytes)[slot->units[b]] = static_cast<char>(b);
                }
            }
        }
    }
    return *slot;
}

} // namespace

std::u16string MultiByteToUtf16(std::string_view bytes, unsigned codePage,
                                std::vector<size_t>* unitsAfterByte) {
    std::u16string out;
    out.reserve(bytes.size());
    if (unitsAfterByte) {
        unitsAfterByte->assign(bytes.size(), 0);
    }
    const PageTable& table = TableFor(codePage);
    if (!table.valid) {
        codePage = CP_ACP;
    }
    const PageTable& used = table.valid ? table : TableFor(CP_ACP);
    if (!used.valid) {
        out.assign(bytes.size(), Replacement);
        if (unitsAfterByte) {
            for (size_t i = 0; i < bytes.size(); ++i) {
                (*unitsAfterByte)[i] = i + 1;
            }
        }
        return out;
    }
    if (used.singleByte) {
        // One unit a byte: text is measured with this on every layout, so no per-unit append.
        out.resize(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            out[i] = used.units[static_cast<unsigned char>(bytes[i])];
        }
        if (unitsAfterByte) {
            for (size_t i = 0; i < bytes.size(); ++i) {
                (*unitsAfterByte)[i] = i + 1;
            }
        }
        return out;
    }
    Converter converter(codePage);
    size_t i = 0;
    while (i < bytes.size()) {
        int took = converter.One(bytes.substr(i), out);
        if (took <= 0) {
            out += Replacement;
            took = 1;
        }
        for (int k = 0; k < took; ++k) {
            if (unitsAfterByte) {
                (*unitsAfterByte)[i + static_cast<size_t>(k)] = out.size();
            }
        }
        i += static_cast<size_t>(took);
    }
    return out;
}

std::string Utf16ToMultiByte(std::u16string_view text, unsigned codePage) {
    std::string out;
    const PageTable& table = TableFor(codePage);
    if (!table.valid) {
        return out;
    }
    out.reserve(text.size());
    if (table.singleByte) {
        const std::array<char, 0x10000>& bytes = *table.bytes;
        for (size_t i = 0; i < text.size(); ++i) {
            char16_t unit = text[i];
            char byte = bytes[unit];
            out += byte != 0 || unit == 0 ? byte : '?';
            // A surrogate pair is one character the page lacks: one "?".
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF) {
                ++i;
            }
        }
        return out;
    }
    Converter converter(Resolve(codePage), true);
    for (size_t i = 0; i < text.size(); ++i) {
        size_t take = 1;
        if (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            take = 2;
        }
        if (!converter.Encode(text.substr(i, take), out)) {
            out += '?';
        }
        i += take - 1;
    }
    return out;
}

bool CodePageSupported(unsigned codePage) {
    return TableFor(codePage).valid;
}

unsigned SystemAnsiCodePage() {
    return systemAnsiCodePage.load();
}

void SetSystemAnsiCodePage(unsigned codePage) {
    systemAnsiCodePage.store(codePage == CP_ACP ? DefaultAnsiCodePage : codePage);
}

void CharUpperBuffW(std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1])) {
            char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(unit, text[i + 1]));
            if (QChar::requiresSurrogates(upper)) {
                text[i] = QChar::highSurrogate(upper);
                text[i + 1] = QChar::lowSurrogate(upper);
            }
            ++i;
            continue;
        }
        if (!QChar::isSurrogate(unit)) {
            char32_t upper = QChar::toUpper(static_cast<char32_t>(unit));
            // Only a mapping that stays one unit keeps the length.
            if (!QChar::requiresSurrogates(upper)) {
                text[i] = static_cast<char16_t>(upper);
            }
        }
    }
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = Replacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    return MultiByteToUtf16(text, CP_UTF8);
}
