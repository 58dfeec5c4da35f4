#pragma once

// What a spin editor does with its text, without the widget: reading the text as a whole
// number, a decimal number, a date or a time, writing a value back within the limits, one
// step up or down (by the increment, or by the date or time field the caret stands in), and
// which typed characters are let in.

#include "platform/base/DateTime.h"

#include <string>

enum class TShelfSpinType { sptNormal, sptFloat, sptDate, sptTime };

class TSpinValueModel {
public:
    TShelfSpinType SpinType = TShelfSpinType::sptNormal;
    int MinValue = 0;
    int MaxValue = 100;
    double MinFloatValue = 0.0;
    double MaxFloatValue = 100.0;
    TDateTime MinDateValue = 0;
    TDateTime MaxDateValue = 0;
    int Increment = 1;
    double IncrementFloat = 0.0;
    int Precision = 0;
    bool EditorEnabled = true;
    // Separators and the date and time forms; a copy, so that an editor can differ.
    TFormatSettings Settings = FormatSettings;
    // What "now" is for an empty date.
    TDateTime (*Clock)() = Now;

    // Unreadable text reads as the lower limit (a time as 0).
    int ReadValue(const std::string& text) const;
    double ReadFloat(const std::string& text) const;
    TDateTime ReadDate(const std::string& text) const;
    TDateTime ReadTime(const std::string& text) const;
    // The text of a value, clamped to its limits unless both limits are equal.
    std::string WriteValue(int value) const;
    std::string WriteFloat(double value) const;
    std::string WriteDate(TDateTime value) const;
    std::string WriteTime(TDateTime value) const;
    // The text clamped to the limits of the spin type; unchanged when it already is.
    std::string Checked(const std::string& text) const;
    // The text of the current type written again (after a change of type or precision).
    std::string Rewritten(const std::string& text) const;

    // The text one step up or down, the caret standing at `caret` (0 before the first
    // character).
    std::string Step(const std::string& text, int caret, bool up) const;

    // Whether `key` may be typed into `text` with the caret at `caret` and `selected`
    // characters selected; `key` may be changed into the character to insert (the thousands
    // separator typed for the decimal one).
    bool IsValidChar(char16_t& key, const std::string& text, int caret, int selected) const;
};

// The framework's edit mask ("!99/99/0000;1;_") as a Qt input mask: "0" and "9" swap meanings,
// "L"/"l" are Qt's "A"/"a", "A"/"a" Qt's "N"/"n", "C"/"c" Qt's "X"/"x"; ":" and "/" are the
// time and date separators; literals Qt would read as mask characters are escaped. The blank
// character (third field, "_" by default) is kept; the save-literals field has no counterpart
// (Qt's text always holds the literals). An empty mask stays empty.
std::string QtInputMask(const std::string& editMask,
                        const TFormatSettings& settings = FormatSettings);
