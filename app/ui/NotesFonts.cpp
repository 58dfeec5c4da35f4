#include "app/ui/NotesFonts.h"

#include "platform/base/QtText.h"
#include "richtext/model/RNStyle.h"

#include <QComboBox>

#include <algorithm>

namespace {

constexpr int UnicodeTextStyle = 11;

bool Before(const QString& a, const QString& b) {
    const int order = a.compare(b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

} // namespace

void FitNotesSheetToFonts(TRNStyle& sheet, const QStringList& installed) {
    TFontInfos& styles = sheet.TextStyles();
    if (styles.Count() > UnicodeTextStyle && !installed.contains("Arial Unicode MS")) {
        styles[UnicodeTextStyle].FontName = "Arial";
    }
}

QStringList NoteFontNames(const TRNStyle& sheet, const QStringList& installed) {
    QStringList names = installed;
    const TFontInfos& styles = sheet.TextStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        if (!styles[i].FontName.empty()) {
            names.append(ToQ(styles[i].FontName));
        }
    }
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), Before);
    return names;
}

void ShowFontName(QComboBox& fonts, const std::string& name) {
    if (name.empty()) {
        fonts.setCurrentIndex(-1);
        return;
    }
    const QString text = ToQ(name);
    int index = fonts.findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        index = 0;
        while (index < fonts.count() && Before(fonts.itemText(index), text)) {
            ++index;
        }
        fonts.insertItem(index, text);
    }
    fonts.setCurrentIndex(index);
}

void SelectStartFont(QComboBox& fonts) {
    int index = fonts.findText("Courier New", Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (index < 0) {
        index = fonts.findText("Default", Qt::MatchFixedString | Qt::MatchCaseSensitive);
    }
    fonts.setCurrentIndex(index);
}
