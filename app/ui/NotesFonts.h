#pragma once

// The notes editor's fonts on this system. The sheet names Windows fonts ("Arial", "Courier
// New") that are installed here under other names and drawn through the font substitution, so
// the font list holds the installed families and the sheet's own names side by side.

#include <QStringList>

#include <string>

class QComboBox;
class TRNStyle;

// Without "Arial Unicode MS" among `installed`, the Unicode text style (11) writes in "Arial".
void FitNotesSheetToFonts(TRNStyle& sheet, const QStringList& installed);

// The installed families and every text style's font name, each once, in alphabetical order.
QStringList NoteFontNames(const TRNStyle& sheet, const QStringList& installed);

// Selects `name` in the font list, adding it in its alphabetical place when it is missing (a
// font named by a note just read); an empty name selects nothing.
void ShowFontName(QComboBox& fonts, const std::string& name);

// The start-up selection: "Courier New", else "Default", else none.
void SelectStartFont(QComboBox& fonts);
