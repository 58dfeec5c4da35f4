#pragma once

#include <string>

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
