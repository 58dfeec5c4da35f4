#include "platform/base/DateTime.h"
#include "platform/base/Exceptions.h"

#include "tests/support/Matchers.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return EncodeDateTime(y, mo, d, h, mi, s, ms);
}

} // namespace

TEST(FormatDateTime, MmAfterAnHourIsMinutesOtherwiseMonth) {
    TDateTime t = At(2024, 3, 7, 14, 5, 9);
    EXPECT_EQ(FormatDateTime("hh:mm:ss", t), "14:05:09");
    EXPECT_EQ(FormatDateTime("mm/dd/yyyy", t), "03/07/2024");
    EXPECT_EQ(FormatDateTime("h:m", t), "14:5");
    EXPECT_EQ(FormatDateTime("hh nn", t), "14 05");
    // A quoted text or separator between them does not reset the hour.
    EXPECT_EQ(FormatDateTime("hh 'h' mm", t), "14 h 05");
    // Another letter does: the day in between makes "mm" a month again.
    EXPECT_EQ(FormatDateTime("hh dd mm", t), "14 07 03");
    // "mmm" after an hour is the minute as two digits.
    EXPECT_EQ(FormatDateTime("hh:mmm", t), "14:05");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:mm", t), "2024-03-07 14:05");
    // The status bar's default panel formats.
    EXPECT_EQ(FormatDateTime("HH:MM:SS", t), "14:05:09");
    EXPECT_EQ(FormatDateTime("MM/DD/YYYY", t), "03/07/2024");
}

TEST(FormatDateTime, NamesClocksAndNestedFormats) {
    TDateTime t = At(2002, 6, 25, 19, 55, 53, 7);
    EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm yy", t), "Tue Tuesday Jun June 02");
    EXPECT_EQ(FormatDateTime("d/m/yy", t), "25/6/02");
    EXPECT_EQ(FormatDateTime("h:nn am/pm", t), "7:55 pm");
    EXPECT_EQ(FormatDateTime("h:nn AM/PM", At(2002, 6, 25, 0, 5, 0)), "12:05 AM");
    EXPECT_EQ(FormatDateTime("h a/p", At(2002, 6, 25, 12, 0, 0)), "12 p");
    EXPECT_EQ(FormatDateTime("hh:nn ampm", t), "07:55 PM");
    // The am/pm mark must follow before the next hour for the 12-hour clock.
    EXPECT_EQ(FormatDateTime("hh hh ampm", t), "19 07 PM");
    EXPECT_EQ(FormatDateTime("s.z ss.zzz", t), "53.7 53.007");
    EXPECT_EQ(FormatDateTime("ddddd", t), "6/25/2002");
    EXPECT_EQ(FormatDateTime("dddddd", t), "Tuesday, June 25, 2002");
    EXPECT_EQ(FormatDateTime("t", t), "7:55 PM");
    EXPECT_EQ(FormatDateTime("tt", t), "7:55:53 PM");
    EXPECT_EQ(FormatDateTime("c", t), "6/25/2002 7:55:53 PM");
    EXPECT_EQ(FormatDateTime("", At(2002, 6, 25, 0, 0, 0)), "6/25/2002");
    EXPECT_EQ(FormatDateTime("\"dd\" x", t), "dd x");
    EXPECT_EQ(FormatDateTime("'open", t), "open");
    EXPECT_EQ(DateToStr(t) + " " + TimeToStr(t), "6/25/2002 7:55:53 PM");
}

TEST(FormatDateTime, FollowsTheSettings) {
    TFormatSettings german;
    german.DateSeparator = '.';
    german.ShortDateFormat = "dd/mm/yyyy";
    german.LongTimeFormat = "hh:nn:ss";
    EXPECT_EQ(FormatDateTime("c", At(2024, 3, 7, 9, 8, 7), german), "07.03.2024 09:08:07");
    // A format that names itself stops nesting instead of looping.
    TFormatSettings loop;
    loop.ShortDateFormat = "ddddd";
    EXPECT_EQ(FormatDateTime("ddddd", At(2024, 3, 7, 0, 0, 0), loop), "");
}

TEST(IncMonth, ClampsToTheLastDayAndKeepsTheTime) {
    const struct {
        TDateTime from;
        int months;
        std::array<int, 5> expected; // year, month, day, hour, minute
    } cases[] = {
        {At(2023, 1, 31, 10, 30, 0), 1, {2023, 2, 28, 10, 30}},
        {At(2024, 1, 31, 0, 0, 0), 1, {2024, 2, 29, 0, 0}},
        {At(2024, 2, 29, 0, 0, 0), 12, {2025, 2, 28, 0, 0}},
        {At(2024, 1, 15, 0, 0, 0), -1, {2023, 12, 15, 0, 0}},
        {At(2024, 3, 31, 0, 0, 0), -25, {2022, 2, 28, 0, 0}},
    };
    for (const auto& c : cases) {
        int y, m, d, h, n, s, ms;
        DecodeDateTime(IncMonth(c.from, c.months), y, m, d, h, n, s, ms);
        EXPECT_EQ((std::array<int, 5>{y, m, d, h, n}), c.expected) << c.months;
    }
}

TEST(TryStrToDate, ReadsInTheOrderOfTheShortFormat) {
    TFormatSettings mdy, dmy, ymd;
    dmy.ShortDateFormat = "dd.mm.yyyy";
    dmy.DateSeparator = '.';
    ymd.ShortDateFormat = "yyyy-mm-dd";
    ymd.DateSeparator = '-';
    // Two-digit years fall within 50 years before and 49 after the current one; these stay
    // valid until the 2050s.
    const struct {
        const char* text;
        const TFormatSettings& settings;
        std::array<int, 3> date;
    } good[] = {
        {"6/25/2002", mdy, {2002, 6, 25}},  {" 12 / 1 / 1999 ", mdy, {1999, 12, 1}},
        {"2/29/2024", mdy, {2024, 2, 29}},  {"1/2/02", mdy, {2002, 1, 2}},
        {"1/2/99", mdy, {1999, 1, 2}},      {"25.06.2002", dmy, {2002, 6, 25}},
        {"2002-06-25", ymd, {2002, 6, 25}},
    };
    TDateTime v = -1;
    for (const auto& c : good) {
        ASSERT_TRUE(TryStrToDate(c.text, v, c.settings)) << c.text;
        EXPECT_EQ(v, EncodeDate(c.date[0], c.date[1], c.date[2])) << c.text;
    }
    // Two numbers are a day of the current year.
    ASSERT_TRUE(TryStrToDate("3/4", v));
    int y, m, d, h, n, s, ms, nowYear;
    DecodeDateTime(Now(), nowYear, m, d, h, n, s, ms);
    DecodeDateTime(v, y, m, d, h, n, s, ms);
    EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{nowYear, 3, 4}));

    v = 42;
    for (const char* bad : {"", "6", "6/", "2/30/2024", "13/1/2002", "0/1/2002", "1/1/2002x",
                            "a/b/c", "1-1-2002", "1/1/2002/3"}) {
        EXPECT_FALSE(TryStrToDate(bad, v)) << bad;
    }
    EXPECT_EQ(v, 42);
}

TEST(TryStrToTime, ReadsHoursMinutesSecondsAndMarks) {
    const std::pair<const char*, std::array<int, 4>> good[] = {
        {"7:55:53", {7, 55, 53, 0}},  {"7:55 PM", {19, 55, 0, 0}}, {"12:00 am", {0, 0, 0, 0}},
        {"PM 12:30", {12, 30, 0, 0}}, {"23", {23, 0, 0, 0}},       {"0:0:1.250", {0, 0, 1, 250}},
    };
    TDateTime v = -1;
    for (const auto& [text, t] : good) {
        ASSERT_TRUE(TryStrToTime(text, v)) << text;
        EXPECT_EQ(v, EncodeTime(t[0], t[1], t[2], t[3])) << text;
    }
    v = 42;
    for (const char* bad :
         {"", "24:00", "1:60", "1:2:60", "13:00 PM", "0:10 AM", "1:", "x", "1:2:3.", "1:2 3"}) {
        EXPECT_FALSE(TryStrToTime(bad, v)) << bad;
    }
    EXPECT_EQ(v, 42);
}

TEST(DateTime, EncodingRoundTripsWithinItsLimits) {
    EXPECT_DOUBLE_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime(1900, 1, 1, 12, 0, 0, 0), 2.5);
    int y, m, d, h, n, s, ms;
    DecodeDateTime(EncodeDateTime(2024, 2, 29, 23, 59, 59, 999), y, m, d, h, n, s, ms);
    EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, ms}),
              (std::array<int, 7>{2024, 2, 29, 23, 59, 59, 999}));
    EXPECT_EQ(DateTimeToStr(EncodeDateTime(2002, 6, 25, 19, 55, 53, 0)), "06/25/02 19:55:53");
    EXPECT_TRUE(LooksLikeDateTime(DateTimeToStr(Now())));
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(2002, 6, 25)), 3);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
    TDateTime v;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, v));
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, v));
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}
