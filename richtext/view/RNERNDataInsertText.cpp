#include "richtext/model/RNUni.h"
#include "richtext/view/RNERNData.h"

namespace {

enum class TBreakKind { None, LineBreak, Paragraph };

TBreakKind BreakOf(char16_t c) {
    switch (c) {
    case u'\u2028':
    case u'\v':
    case u'\0':
        return TBreakKind::LineBreak;
    case u'\u2029':
    case u'\r':
    case u'\n':
        return TBreakKind::Paragraph;
    default:
        return TBreakKind::None;
    }
}

} // namespace

bool TRNEditRNData::InsertTextW_(std::u16string_view text) {
    PrepareForEdit();
    if (!HasCaret()) {
        return false;
    }
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        const TBreakKind kind = i < text.size() ? BreakOf(text[i]) : TBreakKind::Paragraph;
        if (kind == TBreakKind::None) {
            continue;
        }
        if (i > start) {
            const std::string unicode = RNU_KeyToUnicode(text.substr(start, i - start));
            const bool wide = StyleIsUnicode(CurTextStyleNo);
            std::string piece =
                wide ? unicode : RNU_UnicodeToAnsi(GetStyleCodePage(CurTextStyleNo), unicode);
            if (!InsertString(ReplaceTabs(piece, CurTextStyleNo, wide), CurTextStyleNo)) {
                return false;
            }
        }
        if (i == text.size()) {
            break;
        }
        // CR LF ends one line, not two.
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        }
        if (!OnEnterPress_(kind == TBreakKind::LineBreak)) {
            return false;
        }
        start = i + 1;
    }
    return true;
}

bool TRNEditRNData::InsertText_(std::string_view text) {
    const std::string unicode = RNU_AnsiToUnicode(GetStyleCodePage(CurTextStyleNo), text);
    std::u16string wide(unicode.size() / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(static_cast<uint8_t>(unicode[2 * i]) |
                                        static_cast<uint8_t>(unicode[2 * i + 1]) << 8);
    }
    return InsertTextW_(wide);
}
