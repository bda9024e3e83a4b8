#include "platform/DateTime.h"

#include "platform/Codepage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace {

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0)
{
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDateTime(y, m, d, h, n, s, ms, v));
  return v;
}

TFormatSettings Settings()
{
  TFormatSettings fs;
  fs.DateSeparator = '.';
  fs.TimeSeparator = ':';
  fs.ShortDateFormat = "yyyy/mm/dd";
  fs.LongTimeFormat = "hh:nn:ss";
  return fs;
}

}  // namespace

TEST(DateTime, EncodeDateDays)
{
  struct Case {
    int Y, M, D;
    double Days;
  };
  const Case cases[] = {
      {1899, 12, 30, 0},   {1899, 12, 31, 1},   {1900, 1, 1, 2},         {1899, 12, 29, -1},
      {1900, 3, 1, 61},    {2000, 1, 1, 36526}, {2000, 2, 29, 36585},    {2024, 12, 31, 45657},
      {1970, 1, 1, 25569}, {1, 1, 1, -693593},  {9999, 12, 31, 2958465},
  };
  for (const auto& c : cases) {
    TDateTime v = -1e9;
    ASSERT_TRUE(TryEncodeDate(c.Y, c.M, c.D, v)) << c.Y << '-' << c.M << '-' << c.D;
    EXPECT_EQ(v, c.Days) << c.Y << '-' << c.M << '-' << c.D;
    int y = 0, m = 0, d = 0;
    DecodeDate(v, y, m, d);
    EXPECT_EQ(y, c.Y);
    EXPECT_EQ(m, c.M);
    EXPECT_EQ(d, c.D);
  }
}

TEST(DateTime, EncodeRejectsInvalidParts)
{
  struct Case {
    int Y, M, D;
  };
  const Case dates[] = {{2023, 2, 29}, {1900, 2, 29}, {2020, 13, 1}, {2020, 0, 1},
                        {2020, 4, 31}, {2020, 1, 0},  {0, 1, 1},     {10000, 1, 1}};
  for (const auto& c : dates) {
    TDateTime v = 5;
    EXPECT_FALSE(TryEncodeDate(c.Y, c.M, c.D, v)) << c.Y << '-' << c.M << '-' << c.D;
    EXPECT_EQ(v, 5);
  }
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, v));
  struct TimeCase {
    int H, N, S, Ms;
    bool Ok;
  };
  const TimeCase times[] = {{0, 0, 0, 0, true},    {23, 59, 59, 999, true}, {24, 0, 0, 0, false},
                            {12, 60, 0, 0, false}, {12, 0, 60, 0, false},   {12, 0, 0, 1000, false},
                            {-1, 0, 0, 0, false}};
  for (const auto& c : times)
    EXPECT_EQ(TryEncodeTime(c.H, c.N, c.S, c.Ms, v), c.Ok) << c.H << ':' << c.N << ':' << c.S << '.' << c.Ms;
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(25, 0, 0, 0), EConvertError);
  EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateTime, DecodeRoundsMillisecondsWithCarry)
{
  struct Case {
    double V;
    int Y, M, D, H, N, S, Ms;
  };
  const double day = 45657;  // 2024-12-31
  const double ms = 1.0 / 86400000.0;
  const Case cases[] = {
      {day + (86399999.6) * ms, 2025, 1, 1, 0, 0, 0, 0},  // 23:59:59.9996 carries
      {day + (86399999.4) * ms, 2024, 12, 31, 23, 59, 59, 999},
      {day + (86399000.0) * ms, 2024, 12, 31, 23, 59, 59, 0},
      {day + 0.5, 2024, 12, 31, 12, 0, 0, 0},
      {day + (3723004.0) * ms, 2024, 12, 31, 1, 2, 3, 4},
      {-1.25, 1899, 12, 29, 6, 0, 0, 0},  // before the epoch: time is the fraction's size
      {-0.5, 1899, 12, 30, 12, 0, 0, 0},
      {-1 - 86399999.7 * ms, 1899, 12, 30, 0, 0, 0, 0},  // carries forward to the next date
      {0, 1899, 12, 30, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    int y, m, d, h, n, s, z;
    DecodeDateTime(c.V, y, m, d, h, n, s, z);
    EXPECT_EQ((std::array<int, 7>{y, m, d, h, n, s, z}),
              (std::array<int, 7>{c.Y, c.M, c.D, c.H, c.N, c.S, c.Ms}))
        << c.V;
    // The separate decoders agree with the combined one.
    int y2, m2, d2, h2, n2, s2, z2;
    DecodeDate(c.V, y2, m2, d2);
    DecodeTime(c.V, h2, n2, s2, z2);
    EXPECT_EQ((std::array<int, 7>{y2, m2, d2, h2, n2, s2, z2}), (std::array<int, 7>{y, m, d, h, n, s, z}));
  }
}

TEST(DateTime, EveryMillisecondOfADayRoundTrips)
{
  const double day = 45000;
  for (int64_t t = 0; t < MSecsPerDay; t += 997) {
    TDateTime v = 0;
    ASSERT_TRUE(TryEncodeDateTime(2023, 3, 15, int(t / 3600000), int(t / 60000 % 60), int(t / 1000 % 60),
                                  int(t % 1000), v));
    int h, n, s, ms;
    DecodeTime(v, h, n, s, ms);
    ASSERT_EQ(int64_t(h) * 3600000 + n * 60000 + s * 1000 + ms, t);
  }
  (void)day;
}

TEST(DateTime, DayOfWeek)
{
  struct Case {
    int Y, M, D, Dow;
  };
  const Case cases[] = {{1899, 12, 30, 7}, {1899, 12, 31, 1}, {2024, 12, 31, 3},
                        {2000, 1, 1, 7},   {1899, 12, 29, 6}, {2026, 12, 10, 5}};
  for (const auto& c : cases)
    EXPECT_EQ(DayOfWeek(At(c.Y, c.M, c.D, 10)), c.Dow) << c.Y << '-' << c.M << '-' << c.D;
  // The carry moves the weekday as well.
  EXPECT_EQ(DayOfWeek(45657 + 86399999.6 / 86400000.0), 4);
}

TEST(DateTime, NowIsLocalTime)
{
  // The system's local time in whole seconds, as a date-time value.
  const auto local = [](std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    TDateTime v = 0;
    EXPECT_TRUE(TryEncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                                  tm.tm_sec, 0, v));
    return v;
  };
  // Read between two readings of the system clock, however long the machine takes.
  const std::time_t before = std::time(nullptr);
  const TDateTime now = Now();
  const std::time_t after = std::time(nullptr);
  EXPECT_GE(now, local(before));
  EXPECT_LT(now, local(after + 1));
  const double dayBefore = std::floor(Now());
  const TDateTime today = Date();
  const double dayAfter = std::floor(Now());
  EXPECT_TRUE(today == dayBefore || today == dayAfter) << today << " " << dayBefore << " " << dayAfter;
}

TEST(DateTime, FormatLetters)
{
  struct Case {
    const char* Format;
    const char* Expected;
  };
  const TDateTime v = At(2024, 3, 5, 7, 8, 9, 45);
  const Case cases[] = {
      {"yyyy-mm-dd hh:nn:ss", "2024-03-05 07:08:09"},  // the time separator for :, a dash stays
      {"yyyy/mm/dd", "2024.03.05"},                    // '/' is the date separator
      {"HH:mm:ss", "07:08:09"},                        // mm after hh: minutes
      {"hh:mm", "07:08"},
      {"h:m:s", "7:8:9"},
      {"dd/mm/yy", "05.03.24"},
      {"d.m.yyyy", "5.3.2024"},
      {"YYYY MM DD", "2024 03 05"},
      {"mm hh mm", "03 07 08"},
      {"hh ss mm", "07 09 03"},  // after ss, mm is the month again
      {"hh:nn:ss.zzz", "07:08:09.045"},
      {"z", "45"},
      {"yy", "24"},
      {"'at' hh\"h\"", "at 07h"},
      {"'yyyy'", "yyyy"},
      {"hh 'mm' mm", "07 mm 08"},  // quoted text keeps the minute rule
      {"hh am/pm", "07 am"},
      {"h a/p", "7 a"},
      {"x-q_", "x-q_"},
      {"c", "2024.03.05 07:08:09"},
      {"d mmm yyyy", "5 mar 2024"},
      {"dddd, d mmmm", "wtorek, 5 marzec"},
      {"ddd", "Wt"},
      {"ddddd t", "2024.03.05 07:08"},
      {"tt", "07:08:09"},
      {"hh:mmm", "07:08"},  // minutes stay two digits
      {"", "2024.03.05 07:08:09"},
  };
  const TFormatSettings fs = Settings();
  for (const auto& c : cases)
    EXPECT_EQ(FormatDateTime(c.Format, v, fs), c.Expected) << c.Format;
  EXPECT_EQ(FormatDateTime("hh AM/PM", At(2024, 3, 5, 0, 1), fs), "12 AM");
  EXPECT_EQ(FormatDateTime("hh:nn AM/PM", At(2024, 3, 5, 15, 30), fs), "03:30 PM");
  EXPECT_EQ(FormatDateTime("c", At(2024, 3, 5), fs), "2024.03.05");  // midnight: no time part
  EXPECT_EQ(FormatDateTime("mmmm ddd", At(2024, 10, 13), fs), std::string("październik N"_cp));
  EXPECT_EQ(FormatDateTime("dddd", At(2024, 10, 9), fs), std::string("środa"_cp));
}

TEST(DateTime, TextsOfTheSettings)
{
  TFormatSettings fs;                                                  // the utility's defaults
  const TDateTime v = At(2025, 1, 1) + (86399999.6 / 86400000.0) - 1;  // 2024-12-31 23:59:59.9996
  EXPECT_EQ(DateToStr(v, fs), "2025-01-01");
  EXPECT_EQ(TimeToStr(v, fs), "00:00:00");
  EXPECT_EQ(DateTimeToStr(At(2024, 12, 31, 23, 59, 58), fs), "2024-12-31 23:59:58");
  fs.ShortDateFormat = "dd/mm/yyyy";
  fs.DateSeparator = '/';
  fs.LongTimeFormat = "HH:mm:ss";
  EXPECT_EQ(DateTimeToStr(At(2020, 3, 5, 10, 20, 30, 500), fs), "05/03/2020 10:20:30");
}

TEST(DateTime, UnixTime)
{
  EXPECT_EQ(UnixToDateTime(0), 25569.0);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", UnixToDateTime(1700000000), LibraryFormat()),
            "2023-11-14 22:13:20");
}

TEST(DateTime, CivilDayCountsBothWays)
{
  struct TCase {
    int64_t Y, M, D, Days;
  };
  const TCase cases[] = {
      {1970, 1, 1, 0},      {1969, 12, 31, -1},     {1899, 12, 30, -25569},  {1, 1, 1, -719162},
      {0, 1, 1, -719528},   {-1, 12, 31, -719529},  {2000, 2, 29, 11016},    {2000, 3, 1, 11017},
      {1900, 3, 1, -25508}, {1600, 2, 29, -135081}, {9999, 12, 31, 2932896},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Y) + "-" + std::to_string(c.M) + "-" + std::to_string(c.D));
    EXPECT_EQ(DaysFromCivil(c.Y, c.M, c.D), c.Days);
    int64_t y = 0, m = 0, d = 0;
    CivilFromDays(c.Days, y, m, d);
    EXPECT_EQ(y, c.Y);
    EXPECT_EQ(m, c.M);
    EXPECT_EQ(d, c.D);
  }
}
