#include "platform/base/DateTime.h"

#include "platform/base/Exceptions.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr double MillisecondsPerDay = 86400000.0;
// Days from 1899-12-30 to 1970-01-01.
constexpr long UnixEpochDays = 25569;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<long>(yoe) + era * 400 + (month <= 2));
}

} // namespace

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
    long days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                UnixEpochDays;
    double fraction = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
    // Dates before 1899-12-30 keep a positive time fraction, as the framework stores them.
    return days >= 0 ? days + fraction / MillisecondsPerDay : days - fraction / MillisecondsPerDay;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond) {
    double whole = std::trunc(value);
    long long ms = std::llround(std::fabs(value - whole) * MillisecondsPerDay);
    if (ms >= static_cast<long long>(MillisecondsPerDay)) {
        ms = static_cast<long long>(MillisecondsPerDay) - 1;
    }
    CivilFromDays(static_cast<long>(whole) - UnixEpochDays, year, month, day);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec, ms);
}

std::string DateTimeToStr(TDateTime value) {
    int year, month, day, hour, minute, second, ms;
    DecodeDateTime(value, year, month, day, hour, minute, second, ms);
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", month, day,
                  ((year % 100) + 100) % 100, hour, minute, second);
    return text;
}

TFormatSettings FormatSettings;

namespace {

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month)) {
        return false;
    }
    value = EncodeDateTime(year, month, day, 0, 0, 0, 0);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999) {
        return false;
    }
    value = ((hour * 60.0 + minute) * 60.0 * 1000.0 + second * 1000.0 + millisecond) /
            MillisecondsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime value;
    if (!TryEncodeDate(year, month, day, value)) {
        throw EConvertError("Invalid argument to date encode");
    }
    return value;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    TDateTime value;
    if (!TryEncodeTime(hour, minute, second, millisecond, value)) {
        throw EConvertError("Invalid argument to time encode");
    }
    return value;
}

int DayOfWeek(TDateTime value) {
    // 1899-12-30, day 0, was a Saturday.
    long days = static_cast<long>(std::trunc(value));
    return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
}

TDateTime IncMonth(TDateTime value, int months) {
    int year, month, day, hour, minute, second, ms;
    DecodeDateTime(value, year, month, day, hour, minute, second, ms);
    long total = static_cast<long>(year) * 12 + (month - 1) + months;
    year = static_cast<int>(total >= 0 ? total / 12 : (total - 11) / 12);
    month = static_cast<int>(total - static_cast<long>(year) * 12) + 1;
    day = std::min(day, DaysInMonth(year, month));
    return EncodeDateTime(year, month, day, hour, minute, second, ms);
}

namespace {

// The framework's date formatter: a token walk over the format, with the last letter
// token remembered so that "m" after an hour reads as minutes.
class DateFormatter {
public:
    DateFormatter(TDateTime value, const TFormatSettings& settings)
        : value_(value), settings_(settings) {
        DecodeDateTime(value, year_, month_, day_, hour_, minute_, second_, ms_);
    }

    void Append(std::string_view format, int level) {
        char lastToken = ' ';
        size_t i = 0;
        while (i < format.size()) {
            char starter = format[i++];
            char token = static_cast<char>(std::toupper(static_cast<unsigned char>(starter)));
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H') {
                    token = 'N';
                }
                lastToken = token;
            }
            auto count = [&] {
                size_t start = i - 1;
                while (i < format.size() && format[i] == starter) {
                    ++i;
                }
                return static_cast<int>(i - start);
            };
            switch (token) {
            case 'Y': {
                int n = count();
                Number(n <= 2 ? year_ % 100 : year_, n <= 2 ? 2 : 4);
                break;
            }
            case 'M': {
                int n = count();
                if (n <= 2) {
                    Number(month_, n);
                } else {
                    out_ += n == 3 ? settings_.ShortMonthNames[month_ - 1]
                                   : settings_.LongMonthNames[month_ - 1];
                }
                break;
            }
            case 'D': {
                int n = count();
                if (n <= 2) {
                    Number(day_, n);
                } else if (n == 3) {
                    out_ += settings_.ShortDayNames[DayOfWeek(value_) - 1];
                } else if (n == 4) {
                    out_ += settings_.LongDayNames[DayOfWeek(value_) - 1];
                } else {
                    Nested(n == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat, level);
                }
                break;
            }
            case 'H': {
                int n = count();
                int hour = hour_;
                if (UsesTwelveHourClock(format.substr(i))) {
                    hour = hour == 0 ? 12 : hour > 12 ? hour - 12 : hour;
                }
                Number(hour, std::min(n, 2));
                break;
            }
            case 'N':
                Number(minute_, std::min(count(), 2));
                break;
            case 'S':
                Number(second_, std::min(count(), 2));
                break;
            case 'Z':
                Number(ms_, std::min(count(), 3));
                break;
            case 'T':
                Nested(count() == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, level);
                break;
            case 'C':
                count();
                Nested(settings_.ShortDateFormat, level);
                if (hour_ != 0 || minute_ != 0 || second_ != 0) {
                    out_ += ' ';
                    Nested(settings_.LongTimeFormat, level);
                }
                break;
            case 'A':
                AmPm(format, i);
                break;
            case '/':
                out_ += settings_.DateSeparator;
                break;
            case ':':
                out_ += settings_.TimeSeparator;
                break;
            case '\'':
            case '"': {
                size_t end = format.find(starter, i);
                size_t stop = end == std::string_view::npos ? format.size() : end;
                out_.append(format.substr(i, stop - i));
                i = end == std::string_view::npos ? format.size() : end + 1;
                break;
            }
            default:
                out_ += starter;
                break;
            }
        }
    }

    const std::string& Text() const { return out_; }

private:
    void Number(int value, int digits) {
        char text[16];
        std::snprintf(text, sizeof text, "%0*d", digits, value);
        out_ += text;
    }

    void Nested(const std::string& format, int level) {
        // Settings formats nest at most twice, so a format naming itself cannot loop.
        if (level < 2) {
            Append(format, level + 1);
        }
    }

    static bool StartsNoCase(std::string_view text, std::string_view prefix) {
        if (text.size() < prefix.size()) {
            return false;
        }
        for (size_t k = 0; k < prefix.size(); ++k) {
            if (std::toupper(static_cast<unsigned char>(text[k])) != prefix[k]) {
                return false;
            }
        }
        return true;
    }

    // An hour is shown on the 12-hour clock when an am/pm specifier follows before the next
    // hour specifier.
    static bool UsesTwelveHourClock(std::string_view rest) {
        bool quoted = false;
        for (size_t k = 0; k < rest.size(); ++k) {
            char c = rest[k];
            if (c == '\'' || c == '"') {
                quoted = !quoted;
            } else if (!quoted && (c == 'a' || c == 'A')) {
                std::string_view at = rest.substr(k);
                return StartsNoCase(at, "AM/PM") || StartsNoCase(at, "A/P") ||
                       StartsNoCase(at, "AMPM");
            } else if (!quoted && (c == 'h' || c == 'H')) {
                return false;
            }
        }
        return false;
    }

    void AmPm(std::string_view format, size_t& i) {
        std::string_view at = format.substr(i - 1);
        bool pm = hour_ >= 12;
        if (StartsNoCase(at, "AM/PM")) {
            out_.append(at.substr(pm ? 3 : 0, 2));
            i += 4;
        } else if (StartsNoCase(at, "A/P")) {
            out_ += at[pm ? 2 : 0];
            i += 2;
        } else if (StartsNoCase(at, "AMPM")) {
            out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
            i += 3;
        } else {
            out_ += at[0];
        }
    }

    TDateTime value_;
    const TFormatSettings& settings_;
    int year_, month_, day_, hour_, minute_, second_, ms_;
    std::string out_;
};

// Reading dates and times: a cursor over the text.
struct Scanner {
    std::string_view text;
    size_t pos = 0;

    void Blanks() {
        while (pos < text.size() && text[pos] == ' ') {
            ++pos;
        }
    }
    bool Number(int& value, int& digits) {
        Blanks();
        size_t start = pos;
        long n = 0;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) &&
               pos - start < 9) {
            n = n * 10 + (text[pos] - '0');
            ++pos;
        }
        digits = static_cast<int>(pos - start);
        if (digits == 0) {
            return false;
        }
        value = static_cast<int>(n);
        return true;
    }
    bool Char(char c) {
        Blanks();
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    bool Word(std::string_view word) {
        Blanks();
        if (word.empty() || text.size() - pos < word.size()) {
            return false;
        }
        for (size_t k = 0; k < word.size(); ++k) {
            if (std::toupper(static_cast<unsigned char>(text[pos + k])) !=
                std::toupper(static_cast<unsigned char>(word[k]))) {
                return false;
            }
        }
        pos += word.size();
        return true;
    }
    bool AtEnd() {
        Blanks();
        return pos == text.size();
    }
};

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(const std::string& shortDateFormat) {
    for (char c : shortDateFormat) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'D':
            return DateOrder::DMY;
        case 'Y':
            return DateOrder::YMD;
        case 'M':
            return DateOrder::MDY;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

int CurrentYear() {
    int year, month, day, hour, minute, second, ms;
    DecodeDateTime(Now(), year, month, day, hour, minute, second, ms);
    return year;
}

} // namespace

std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings) {
    DateFormatter formatter(value, settings);
    formatter.Append(format.empty() ? std::string_view("c") : format, 0);
    return formatter.Text();
}

std::string DateToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime("ddddd", value, settings);
}

std::string TimeToStr(TDateTime value, const TFormatSettings& settings) {
    return FormatDateTime("tt", value, settings);
}

bool TryStrToDate(std::string_view text, TDateTime& value, const TFormatSettings& settings) {
    Scanner scan{text};
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!scan.Number(n1, l1) || !scan.Char(settings.DateSeparator) || !scan.Number(n2, l2)) {
        return false;
    }
    DateOrder order = OrderOf(settings.ShortDateFormat);
    int year, month, day, yearDigits;
    if (scan.Char(settings.DateSeparator)) {
        if (!scan.Number(n3, l3)) {
            return false;
        }
        switch (order) {
        case DateOrder::MDY:
            month = n1, day = n2, year = n3, yearDigits = l3;
            break;
        case DateOrder::DMY:
            day = n1, month = n2, year = n3, yearDigits = l3;
            break;
        default:
            year = n1, month = n2, day = n3, yearDigits = l1;
            break;
        }
    } else {
        year = CurrentYear();
        yearDigits = 4;
        if (order == DateOrder::DMY) {
            day = n1, month = n2;
        } else {
            month = n1, day = n2;
        }
    }
    if (!scan.AtEnd()) {
        return false;
    }
    if (yearDigits <= 2) {
        int base = CurrentYear() - settings.TwoDigitYearCenturyWindow;
        year += base / 100 * 100;
        if (settings.TwoDigitYearCenturyWindow > 0 && year < base) {
            year += 100;
        }
    }
    return TryEncodeDate(year, month, day, value);
}

bool TryStrToTime(std::string_view text, TDateTime& value, const TFormatSettings& settings) {
    Scanner scan{text};
    auto mark = [&](int& base) {
        if (scan.Word(settings.TimeAMString) || scan.Word("AM")) {
            base = 0;
        } else if (scan.Word(settings.TimePMString) || scan.Word("PM")) {
            base = 12;
        }
    };
    int base = -1;
    mark(base);
    int hour, minute = 0, second = 0, ms = 0, digits;
    if (!scan.Number(hour, digits)) {
        return false;
    }
    if (scan.Char(settings.TimeSeparator)) {
        if (!scan.Number(minute, digits)) {
            return false;
        }
        if (scan.Char(settings.TimeSeparator)) {
            if (!scan.Number(second, digits)) {
                return false;
            }
            if (scan.Char(settings.DecimalSeparator) && !scan.Number(ms, digits)) {
                return false;
            }
        }
    }
    if (base < 0) {
        mark(base);
    }
    if (base >= 0) {
        if (hour == 0 || hour > 12) {
            return false;
        }
        hour = (hour == 12 ? 0 : hour) + base;
    }
    if (!scan.AtEnd()) {
        return false;
    }
    return TryEncodeTime(hour, minute, second, ms, value);
}
