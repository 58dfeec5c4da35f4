// Text at the caret: the first line goes where any item would, the others follow it as
// paragraphs of their own, and the seams join the text around them.

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

TRNEditRNData::TRNTextLine TRNEditRNData::LineForStyle(std::string_view line, bool unicode,
                                                       bool br) const {
    const bool wide = StyleIsUnicode(CurTextStyleNo);
    std::string text(line);
    if (wide != unicode) {
        const unsigned codePage = GetStyleCodePage(CurTextStyleNo);
        text = wide ? RNU_AnsiToUnicode(codePage, text) : RNU_UnicodeToAnsi(codePage, text);
    }
    return {ReplaceTabs(text, CurTextStyleNo, wide), br};
}

bool TRNEditRNData::InsertTextW_(std::u16string_view text) {
    if (text.empty()) {
        return true;
    }
    // The separator before a line tells how it starts: on a new line of the same paragraph
    // (U+2028, VT, NUL) or as a new paragraph.
    std::vector<TRNTextLine> lines;
    bool br = false;
    size_t start = 0;
    auto add = [&](size_t end) {
        lines.push_back(LineForStyle(RNU_KeyToUnicode(text.substr(start, end - start)), true, br));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const TBreakKind kind = BreakOf(text[i]);
        if (kind == TBreakKind::None) {
            continue;
        }
        add(i);
        br = kind == TBreakKind::LineBreak;
        if (i + 1 < text.size() && ((text[i] == u'\r' && text[i + 1] == u'\n') ||
                                    (text[i] == u'\n' && text[i + 1] == u'\r'))) {
            ++i;
        }
        start = i + 1;
    }
    add(text.size());
    return InsertLines(lines);
}

bool TRNEditRNData::InsertText_(std::string_view text) {
    if (text.empty()) {
        return true;
    }
    std::vector<TRNTextLine> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        lines.push_back(LineForStyle(text.substr(start, i - start), false, false));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    return InsertLines(lines);
}

bool TRNEditRNData::InsertLines(const std::vector<TRNTextLine>& lines) {
    PrepareForEdit();
    if (lines.empty() || !HasCaret()) {
        return false;
    }
    int firstDrawItem = 0;
    int lastDrawItem = 0;
    GetParaBounds(CharEnds.front().DrawItemNo, CharEnds.back().DrawItemNo, firstDrawItem,
                  lastDrawItem);
    const int countBefore = ItemCount();
    auto item = CreateTextItem({}, CurParaStyleNo, CurTextStyleNo, false, false);
    int first = 0;
    int itemsAdded = 0;
    bool fullReformat = false;
    if (PartialSelectedItem ||
        !InsSomething(item, lines.front().Text, first, itemsAdded, fullReformat)) {
        Beep();
        return false;
    }
    int last = first;
    for (size_t k = 1; k < lines.size(); ++k) {
        ++last;
        InsertSlot(last, lines[k].Text,
                   CreateTextItem({}, CurParaStyleNo, CurTextStyleNo, false, lines[k].BR), false);
    }
    AfterAddingText(first, last, fullReformat, firstDrawItem, lastDrawItem,
                    ItemCount() - countBefore);
    return true;
}
