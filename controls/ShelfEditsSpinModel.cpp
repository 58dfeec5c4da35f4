#include "controls/ShelfEditsSpinModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr long long MsPerDay = 86400000;

std::string Trimmed(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) {
        return {};
    }
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

template <typename T> bool ParseNumber(std::string text, T& value) {
    text = Trimmed(text);
    if (!text.empty() && text[0] == '+') {
        text.erase(0, 1);
    }
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

template <typename T> T Clamped(T value, T low, T high) {
    return low == high ? value : std::clamp(value, std::min(low, high), std::max(low, high));
}

// The index of the `n`-th (0-based) occurrence of `c`, or npos.
size_t NthOf(const std::string& text, char c, int n) {
    size_t at = std::string::npos;
    for (int i = 0; i <= n; ++i) {
        at = text.find(c, at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos) {
            break;
        }
    }
    return at;
}

// Which field the caret stands in: 0 up to the first separator, 1 up to the second, else 2.
int FieldAt(const std::string& text, char separator, int caret) {
    for (int field = 0; field < 2; ++field) {
        size_t at = NthOf(text, separator, field);
        if (at != std::string::npos && static_cast<size_t>(caret) <= at) {
            return field;
        }
        if (at == std::string::npos) {
            return field;
        }
    }
    return 2;
}

long long TimeOfDayMs(TDateTime value) {
    long long ms = std::llround((value - std::floor(value)) * MsPerDay);
    return std::min(ms, MsPerDay - 1);
}

bool IsControl(char16_t c) {
    return c < 32;
}

} // namespace

int TSpinValueModel::ReadValue(const std::string& text) const {
    int value = 0;
    return ParseNumber(text, value) ? value : MinValue;
}

double TSpinValueModel::ReadFloat(const std::string& text) const {
    std::string plain = text;
    std::replace(plain.begin(), plain.end(), Settings.DecimalSeparator, '.');
    double value = 0;
    return ParseNumber(plain, value) && std::isfinite(value) ? value : MinFloatValue;
}

TDateTime TSpinValueModel::ReadDate(const std::string& text) const {
    if (text.empty() || text == "0") {
        return Clock();
    }
    TDateTime value = 0;
    return TryStrToDate(text, value, Settings) ? value : MinDateValue;
}

TDateTime TSpinValueModel::ReadTime(const std::string& text) const {
    TDateTime value = 0;
    return TryStrToTime(text, value, Settings) ? value : 0;
}

std::string TSpinValueModel::WriteValue(int value) const {
    return std::to_string(Clamped(value, MinValue, MaxValue));
}

std::string TSpinValueModel::WriteFloat(double value) const {
    value = Clamped(value, MinFloatValue, MaxFloatValue);
    char buffer[64];
    if (Precision <= 0) {
        std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
        *r.ptr = '\0';
    } else {
        // Fixed notation, at most 15 significant digits.
        int digits = std::clamp(Precision, 0, 15);
        std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
    }
    std::string text = buffer;
    std::replace(text.begin(), text.end(), '.', Settings.DecimalSeparator);
    return text;
}

std::string TSpinValueModel::WriteDate(TDateTime value) const {
    return DateToStr(Clamped(value, MinDateValue, MaxDateValue), Settings);
}

std::string TSpinValueModel::WriteTime(TDateTime value) const {
    return TimeToStr(value, Settings);
}

std::string TSpinValueModel::Checked(const std::string& text) const {
    switch (SpinType) {
    case TShelfSpinType::sptNormal: {
        int v = ReadValue(text);
        return Clamped(v, MinValue, MaxValue) != v ? WriteValue(v) : text;
    }
    case TShelfSpinType::sptFloat: {
        double v = ReadFloat(text);
        return Clamped(v, MinFloatValue, MaxFloatValue) != v ? WriteFloat(v) : text;
    }
    case TShelfSpinType::sptDate: {
        TDateTime v = ReadDate(text);
        return Clamped(v, MinDateValue, MaxDateValue) != v ? WriteDate(v) : text;
    }
    case TShelfSpinType::sptTime: {
        TDateTime v = ReadTime(text);
        return Clamped(v, MinDateValue, MaxDateValue) != v ? WriteTime(v) : text;
    }
    }
    return text;
}

std::string TSpinValueModel::Rewritten(const std::string& text) const {
    switch (SpinType) {
    case TShelfSpinType::sptNormal:
        return WriteValue(ReadValue(text));
    case TShelfSpinType::sptFloat:
        return WriteFloat(ReadFloat(text));
    case TShelfSpinType::sptDate:
        return WriteDate(ReadDate(text));
    case TShelfSpinType::sptTime:
        return WriteTime(ReadTime(text));
    }
    return text;
}

std::string TSpinValueModel::Step(const std::string& text, int caret, bool up) const {
    const int sign = up ? 1 : -1;
    switch (SpinType) {
    case TShelfSpinType::sptNormal: {
        // Added in a wider type: a step past the range of whole numbers stops at its end, and
        // the limits are applied to that.
        const long long next =
            static_cast<long long>(ReadValue(text)) + static_cast<long long>(sign) * Increment;
        return WriteValue(static_cast<int>(std::clamp<long long>(
            next, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
    }
    case TShelfSpinType::sptFloat:
        return WriteFloat(ReadFloat(text) + sign * IncrementFloat);
    case TShelfSpinType::sptDate: {
        TDateTime date = ReadDate(text);
        switch (FieldAt(text, Settings.DateSeparator, caret)) {
        case 0:
            return WriteDate(date + sign);
        case 1:
            return WriteDate(IncMonth(date, sign));
        default:
            // Twelve months keep the month and move 29 February to the 28th of a common year.
            return WriteDate(IncMonth(date, 12 * sign));
        }
    }
    case TShelfSpinType::sptTime: {
        static constexpr long long Units[] = {3600000, 60000, 1000};
        long long step = Units[FieldAt(text, Settings.TimeSeparator, caret)];
        // Whole milliseconds, so that a second less is exactly one second less; going down
        // past midnight wraps within the day.
        long long ms = (TimeOfDayMs(ReadTime(text)) + sign * step + MsPerDay) % MsPerDay;
        return WriteTime(static_cast<double>(ms) / MsPerDay);
    }
    }
    return text;
}

bool TSpinValueModel::IsValidChar(char16_t& key, const std::string& text, int caret,
                                  int selected) const {
    const auto is = [&key](char c) { return key == static_cast<unsigned char>(c); };
    if (!EditorEnabled) {
        return IsControl(key) && key != u'\b';
    }
    if (IsControl(key)) {
        return key != u'\r';
    }
    const bool time = SpinType == TShelfSpinType::sptTime;
    const bool date = SpinType == TShelfSpinType::sptDate;
    if (is(Settings.TimeSeparator) &&
        (!time || std::count(text.begin(), text.end(), Settings.TimeSeparator) >= 2)) {
        return false;
    }
    if (is(Settings.DateSeparator) && !date) {
        return false;
    }
    if (SpinType == TShelfSpinType::sptFloat) {
        if (is(Settings.ThousandSeparator)) {
            key = static_cast<unsigned char>(Settings.DecimalSeparator);
        }
        size_t separator = text.find(Settings.DecimalSeparator);
        if (is(Settings.DecimalSeparator) && separator != std::string::npos) {
            return false;
        }
        if (key >= u'0' && key <= u'9' && Precision >= 1 && separator != std::string::npos &&
            static_cast<size_t>(caret) > separator && selected == 0 &&
            static_cast<int>(text.size() - separator - 1) >= Precision) {
            return false;
        }
    }
    return (key >= u'0' && key <= u'9') || is('+') || is('-') || is(Settings.DecimalSeparator) ||
           is(Settings.ThousandSeparator) || is(Settings.DateSeparator) ||
           is(Settings.TimeSeparator);
}

std::string QtInputMask(const std::string& editMask, const TFormatSettings& settings) {
    if (editMask.empty()) {
        return {};
    }
    // The mask proper, then the save-literals flag and the blank character.
    size_t end = editMask.size();
    char blank = '_';
    size_t lastSemicolon = editMask.rfind(';');
    if (lastSemicolon != std::string::npos && lastSemicolon > 0 &&
        editMask[lastSemicolon - 1] != '\\') {
        size_t first = editMask.rfind(';', lastSemicolon - 1);
        if (first != std::string::npos && (first == 0 || editMask[first - 1] != '\\')) {
            end = first;
            if (lastSemicolon + 1 < editMask.size()) {
                blank = editMask[lastSemicolon + 1];
            }
        } else {
            end = lastSemicolon;
        }
    }
    const std::string qtSpecial = "AaNnXx90DdHhBb#><!\\[]{};";
    std::string out;
    const auto literal = [&](char c) {
        if (qtSpecial.find(c) != std::string::npos) {
            out += '\\';
        }
        out += c;
    };
    for (size_t i = 0; i < end; ++i) {
        char c = editMask[i];
        switch (c) {
        case '0':
            out += '9';
            break;
        case '9':
            out += '0';
            break;
        case 'L':
            out += 'A';
            break;
        case 'l':
            out += 'a';
            break;
        case 'A':
            out += 'N';
            break;
        case 'a':
            out += 'n';
            break;
        case 'C':
            out += 'X';
            break;
        case 'c':
            out += 'x';
            break;
        case '#':
            out += '#';
            break;
        case '!':
            break; // blank trimming has no counterpart
        case '>':
            out += '>';
            break;
        case '<':
            if (i + 1 < end && editMask[i + 1] == '>') {
                out += '!';
                ++i;
            } else {
                out += '<';
            }
            break;
        case '\\':
            if (i + 1 < end) {
                literal(editMask[++i]);
            }
            break;
        case ':':
            literal(settings.TimeSeparator);
            break;
        case '/':
            literal(settings.DateSeparator);
            break;
        case '_':
            out += ' ';
            break;
        default:
            literal(c);
            break;
        }
    }
    out += ';';
    out += blank;
    return out;
}
