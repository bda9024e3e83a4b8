// Date and time as days since 1899-12-30 (the fraction is the time of day), the form the
// stored files and the library use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/NumText.h"

using TDateTime = double;

inline constexpr int64_t MSecsPerDay = 86400000;

[[nodiscard]] bool TryEncodeDate(int y, int m, int d, TDateTime& out);
[[nodiscard]] bool TryEncodeTime(int h, int n, int s, int ms, TDateTime& out);
// Throwing forms (EConvertError), for values already known to be valid.
TDateTime EncodeDate(int y, int m, int d);
TDateTime EncodeTime(int h, int n, int s, int ms);
[[nodiscard]] bool TryEncodeDateTime(int y, int m, int d, int h, int n, int s, int ms, TDateTime& out);

// The time of day is rounded to the millisecond; a rounding that reaches midnight carries
// into the next day (23:59:59.9996 is 00:00:00.000 of the following date), and all three
// decoders agree on it. Negative values hold the date before 1899-12-30 with the fraction's
// magnitude as the time, as the runtime's dates do.
void DecodeDate(TDateTime v, int& y, int& m, int& d);
void DecodeTime(TDateTime v, int& h, int& n, int& s, int& ms);
void DecodeDateTime(TDateTime v, int& y, int& m, int& d, int& h, int& n, int& s, int& ms);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime v);
bool IsLeapYear(int y);
int DaysInMonth(int y, int m);
// Proleptic Gregorian dates as days since 1970-01-01 (negative before), in 64 bits; a count
// from another origin is shifted by that origin's day number.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d);
void CivilFromDays(int64_t days, int64_t& y, int64_t& m, int64_t& d);

// Local time now, and today's date at midnight.
TDateTime Now();
TDateTime Date();
// Conversions with seconds since 1970-01-01 UTC (no time zone applied).
TDateTime UnixToDateTime(int64_t secondsSinceEpoch);

// Format letters (case-insensitive): yyyy yy (y), mm m (month, or minutes right after an
// h/hh), mmm mmmm (month names), dd d, ddd dddd (day names), ddddd (short date), hh h, nn n,
// ss s, zzz z, t tt (short and long time), c (short date, then long time when the time is
// not midnight), "am/pm" and "a/p" (12-hour clock). '/' and ':' stand for the settings' date and
// time separators; text in '...' or "..." is copied; any other character is copied as is.
std::string FormatDateTime(std::string_view format, TDateTime v, const TFormatSettings& fs);
std::string DateToStr(TDateTime v, const TFormatSettings& fs);
std::string TimeToStr(TDateTime v, const TFormatSettings& fs);
std::string DateTimeToStr(TDateTime v, const TFormatSettings& fs);
