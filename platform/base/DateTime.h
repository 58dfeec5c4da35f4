#pragma once

#include <array>
#include <string>
#include <string_view>

// Days since 1899-12-30 with the time of day as the fraction, in local time.
using TDateTime = double;

TDateTime Now();

// Local date and time as "mm/dd/yy hh:nn:ss" (for example "06/25/02 19:55:53").
std::string DateTimeToStr(TDateTime value);

// Calendar conversions of TDateTime.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& millisecond);

// EncodeDate and EncodeTime raise EConvertError for a date or time that does not exist.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// False, leaving `value` alone, for a day that is not in the calendar or a time out of range.
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value);

// 1 for Sunday up to 7 for Saturday.
int DayOfWeek(TDateTime value);

// The same day `months` later (earlier when negative), moved back to the month's last day
// when the month is shorter (31 Jan + 1 gives 28 or 29 Feb); the time of day is kept.
TDateTime IncMonth(TDateTime value, int months = 1);

// Separators, names and default formats for formatting and reading dates and times. The
// defaults are the classic US English settings so that texts do not depend on the machine.
struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn AMPM";
    std::string LongTimeFormat = "h:nn:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    // Sunday first.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    // Two-digit years read as the year within this many years before the current one and
    // the years after it (50: 75 read in 2025 is 1975, 74 is 2074).
    int TwoDigitYearCenturyWindow = 50;
};

// The settings of the user interface; changed on the main thread only.
extern TFormatSettings FormatSettings;

// Formats with the framework's specifiers: d dd ddd dddd ddddd dddddd, m mm mmm mmmm, yy yyyy,
// h hh, n nn, s ss, z zzz, t tt, c, am/pm a/p ampm, / and :, quoted text. "m" or "mm" right
// after an hour specifier means minutes ("hh:mm"), otherwise the month. Letter case of the
// specifiers does not matter except in am/pm and a/p, which keep the case written. An empty
// format is "c".
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& settings = FormatSettings);

// The short date form ("ddddd") and the long time form ("tt").
std::string DateToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);
std::string TimeToStr(TDateTime value, const TFormatSettings& settings = FormatSettings);

// Reads a date in the order of the short date format (month, day and year for "m/d/yyyy")
// with the date separator; two numbers are a date of the current year; a year of one or
// two digits is placed by TwoDigitYearCenturyWindow. Blanks around the numbers are allowed,
// anything else fails.
bool TryStrToDate(std::string_view text, TDateTime& value,
                  const TFormatSettings& settings = FormatSettings);

// Reads "h[:n[:s[.z]]]" with the time separator and an AM/PM mark before or after.
bool TryStrToTime(std::string_view text, TDateTime& value,
                  const TFormatSettings& settings = FormatSettings);
