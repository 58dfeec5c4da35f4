// Paragraph and text styles applied from outside (the main window's style commands), and
// search.

#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"

void TRichNoteEdit::ApplyParaStyle(int paraNo) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->ApplyParaStyle(paraNo);
        return;
    }
    if (!BeforeChange(false)) {
        return;
    }
    TRNEditRNData& data = EditData();
    data.BeginUndoSequence(TRNUndoType::rnutPara);
    data.ApplyParaStyle(paraNo);
    data.UndoList().PopIfEmpty();
}

namespace {

// Clears the conversion in progress however the application ends.
class TConversionScope {
public:
    TConversionScope(std::function<int(int, bool)>& slot, std::function<int(int, bool)> conversion)
        : slot_(slot) {
        slot_ = std::move(conversion);
    }
    ~TConversionScope() { slot_ = nullptr; }
    TConversionScope(const TConversionScope&) = delete;
    TConversionScope& operator=(const TConversionScope&) = delete;

private:
    std::function<int(int, bool)>& slot_;
};

} // namespace

void TRichNoteEdit::ApplyTextStyle(int styleNo) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->ApplyTextStyle(styleNo);
        return;
    }
    if (!BeforeChange(false)) {
        return;
    }
    TConversionScope scope(conversion_, [this, styleNo](int current, bool appliedToText) {
        const TRNStyle* sheet = Style();
        const bool protectedStyle =
            appliedToText && sheet && current >= 0 && current < sheet->TextStyles().Count() &&
            sheet->TextStyles()[current].Protection.Contains(TRNProtectOption::rnprStyleProtect);
        return protectedStyle ? current : styleNo;
    });
    EditData().ApplyStyleConversion_(styleNo);
    EditData().UndoList().PopIfEmpty();
}

void TRichNoteEdit::ApplyStyleConversion(int userData) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->ApplyStyleConversion(userData);
        return;
    }
    if (!OnStyleConversion || !BeforeChange(false)) {
        return;
    }
    conversion_ = nullptr;
    EditData().ApplyStyleConversion_(userData);
    EditData().UndoList().PopIfEmpty();
}

bool TRichNoteEdit::SearchText(std::string_view text, TRNESearchOptions options) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->SearchText(text, options);
    }
    return EditData().SearchText(options.Contains(TRNESearchOption::rnseoDown),
                                 options.Contains(TRNESearchOption::rnseoMatchCase), text);
}

bool TRichNoteEdit::SearchTextW(std::u16string_view text, TRNESearchOptions options) {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->SearchTextW(text, options);
    }
    return EditData().SearchTextW(options.Contains(TRNESearchOption::rnseoDown),
                                  options.Contains(TRNESearchOption::rnseoMatchCase),
                                  std::u16string(text));
}
