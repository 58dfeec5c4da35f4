// Paragraph and text styles applied from outside (the main window's style commands), the
// text style that follows the input language, and search.

#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"

#include <QLocale>

#include <utility>

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

TFontCharset TRichNoteEdit::CharsetOfLocale(const QLocale& locale) {
    using L = QLocale::Language;
    switch (locale.language()) {
    case L::Serbian:
        return locale.script() == QLocale::LatinScript ? EASTEUROPE_CHARSET : RUSSIAN_CHARSET;
    case L::Chinese:
        return locale.script() == QLocale::TraditionalHanScript ||
                       locale.territory() == QLocale::Taiwan ||
                       locale.territory() == QLocale::HongKong ||
                       locale.territory() == QLocale::Macao
                   ? CHINESEBIG5_CHARSET
                   : GB2312_CHARSET;
    default:
        break;
    }
    static const std::pair<L, TFontCharset> table[] = {
        {L::Russian, RUSSIAN_CHARSET},       {L::Ukrainian, RUSSIAN_CHARSET},
        {L::Belarusian, RUSSIAN_CHARSET},    {L::Bulgarian, RUSSIAN_CHARSET},
        {L::Macedonian, RUSSIAN_CHARSET},    {L::Kazakh, RUSSIAN_CHARSET},
        {L::Greek, GREEK_CHARSET},           {L::Turkish, TURKISH_CHARSET},
        {L::Azerbaijani, TURKISH_CHARSET},   {L::Hebrew, HEBREW_CHARSET},
        {L::Arabic, ARABIC_CHARSET},         {L::Persian, ARABIC_CHARSET},
        {L::Urdu, ARABIC_CHARSET},           {L::Estonian, BALTIC_CHARSET},
        {L::Latvian, BALTIC_CHARSET},        {L::Lithuanian, BALTIC_CHARSET},
        {L::Polish, EASTEUROPE_CHARSET},     {L::Czech, EASTEUROPE_CHARSET},
        {L::Slovak, EASTEUROPE_CHARSET},     {L::Hungarian, EASTEUROPE_CHARSET},
        {L::Slovenian, EASTEUROPE_CHARSET},  {L::Croatian, EASTEUROPE_CHARSET},
        {L::Romanian, EASTEUROPE_CHARSET},   {L::Albanian, EASTEUROPE_CHARSET},
        {L::Bosnian, EASTEUROPE_CHARSET},    {L::Thai, THAI_CHARSET},
        {L::Vietnamese, VIETNAMESE_CHARSET}, {L::Japanese, SHIFTJIS_CHARSET},
        {L::Korean, HANGEUL_CHARSET},
    };
    for (const auto& [language, charset] : table) {
        if (language == locale.language()) {
            return charset;
        }
    }
    return ANSI_CHARSET;
}

void TRichNoteEdit::WMInputLangChange(TFontCharset charset) {
    TRNStyle* sheet = Style();
    TRNEditRNData& data = EditData();
    const int current = data.CurTextStyleNo;
    if (!sheet || data.ItemCount() == 0 ||
        !EditorOptions.Contains(TRNEditorOption::rnoAutoSwitchLang) || current < 0 ||
        current >= sheet->TextStyles().Count() || sheet->TextStyles()[current].Unicode) {
        return;
    }
    TFontInfos& styles = sheet->TextStyles();
    int twin = styles.FindStyleWithCharset(current, charset);
    if (twin < 0) {
        twin = sheet->AddTextStyle();
        styles[twin].Assign(styles[current]);
        styles[twin].Charset = charset;
    }
    data.SetCurTextStyleNo(twin);
}
