#include "platform/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace {

struct TParts {
  int Y = 1899, M = 12, D = 30, H = 0, N = 0, S = 0, Ms = 0;
};

// 1899-12-30, day 0 of TDateTime, is 25569 days before 1970-01-01.
constexpr int64_t DaysTo1970 = 25569;

// Day number (days since 1899-12-30) to a proleptic Gregorian date.
void DayToDate(int64_t day, int& y, int& m, int& d)
{
  int64_t yy = 0, mm = 0, dd = 0;
  CivilFromDays(day - DaysTo1970, yy, mm, dd);
  y = int(yy);
  m = int(mm);
  d = int(dd);
}

int64_t DateToDay(int y, int m, int d) { return DaysFromCivil(y, m, d) + DaysTo1970; }

TParts Decode(TDateTime v)
{
  TParts p;
  if (!std::isfinite(v) || v <= -693594.0 || v >= 2958466.0)
    return p;  // outside 0001-01-01 .. 9999-12-31: reads as the zero date
  const double whole = std::trunc(v);
  int64_t day = static_cast<int64_t>(whole);
  const double frac = std::fabs(v - whole);
  int64_t ms = RoundHalfEven(frac * double(MSecsPerDay));
  if (ms >= MSecsPerDay) {
    // Rounded up to midnight: the next calendar date. For negative values the day number
    // names the date and the fraction's magnitude the time, so that is one day on too.
    ms -= MSecsPerDay;
    ++day;
  }
  DayToDate(day, p.Y, p.M, p.D);
  p.H = int(ms / 3600000);
  p.N = int(ms / 60000 % 60);
  p.S = int(ms / 1000 % 60);
  p.Ms = int(ms % 1000);
  return p;
}

void Append2(std::string& out, int v)
{
  out += char('0' + v / 10 % 10);
  out += char('0' + v % 10);
}

void AppendN(std::string& out, int64_t v, int minDigits)
{
  std::string s = IntToStr(v < 0 ? -v : v);
  if (v < 0)
    out += '-';
  for (int i = int(s.size()); i < minDigits; ++i)
    out += '0';
  out += s;
}

char Up(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

bool StartsWithNoCase(std::string_view s, size_t i, std::string_view what)
{
  if (s.size() - i < what.size())
    return false;
  for (size_t k = 0; k < what.size(); ++k)
    if (Up(s[i + k]) != Up(what[k]))
      return false;
  return true;
}

void Format(std::string& out, std::string_view f, const TParts& p, bool timeIsZero, const TFormatSettings& fs,
            int depth);

}  // namespace

// Days from civil and back, on the 1970-01-01 epoch, with 400-year eras so that every year a
// 64-bit day count can hold is exact.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d)
{
  y -= m <= 2 ? 1 : 0;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t days, int64_t& y, int64_t& m, int64_t& d)
{
  const int64_t z = days + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = yoe + era * 400 + (m <= 2 ? 1 : 0);
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
  static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12)
    return 0;
  return Days[m - 1] + (m == 2 && IsLeapYear(y) ? 1 : 0);
}

bool TryEncodeDate(int y, int m, int d, TDateTime& out)
{
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
    return false;
  out = double(DateToDay(y, m, d));
  return true;
}

bool TryEncodeTime(int h, int n, int s, int ms, TDateTime& out)
{
  if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
    return false;
  out = double(int64_t(h) * 3600000 + int64_t(n) * 60000 + int64_t(s) * 1000 + ms) / double(MSecsPerDay);
  return true;
}

bool TryEncodeDateTime(int y, int m, int d, int h, int n, int s, int ms, TDateTime& out)
{
  TDateTime dd = 0, tt = 0;
  if (!TryEncodeDate(y, m, d, dd) || !TryEncodeTime(h, n, s, ms, tt))
    return false;
  out = dd >= 0 ? dd + tt : dd - tt;
  return true;
}

TDateTime EncodeDate(int y, int m, int d)
{
  TDateTime v = 0;
  if (!TryEncodeDate(y, m, d, v))
    throw EConvertError("Invalid argument to date encode");
  return v;
}

TDateTime EncodeTime(int h, int n, int s, int ms)
{
  TDateTime v = 0;
  if (!TryEncodeTime(h, n, s, ms, v))
    throw EConvertError("Invalid argument to time encode");
  return v;
}

void DecodeDate(TDateTime v, int& y, int& m, int& d)
{
  const TParts p = Decode(v);
  y = p.Y;
  m = p.M;
  d = p.D;
}

void DecodeTime(TDateTime v, int& h, int& n, int& s, int& ms)
{
  const TParts p = Decode(v);
  h = p.H;
  n = p.N;
  s = p.S;
  ms = p.Ms;
}

void DecodeDateTime(TDateTime v, int& y, int& m, int& d, int& h, int& n, int& s, int& ms)
{
  const TParts p = Decode(v);
  y = p.Y;
  m = p.M;
  d = p.D;
  h = p.H;
  n = p.N;
  s = p.S;
  ms = p.Ms;
}

int DayOfWeek(TDateTime v)
{
  const TParts p = Decode(v);
  const int64_t day = DateToDay(p.Y, p.M, p.D);  // 0 = 1899-12-30, a Saturday
  int64_t r = (day + 6) % 7;                     // 0 = Sunday
  if (r < 0)
    r += 7;
  return int(r) + 1;
}

TDateTime Now()
{
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::time_t secs = static_cast<std::time_t>(ms / 1000 - (ms % 1000 < 0 ? 1 : 0));
  const int milli = int(((ms % 1000) + 1000) % 1000);
  std::tm tm{};
  localtime_r(&secs, &tm);
  TDateTime v = 0;
  if (!TryEncodeDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec > 59 ? 59 : tm.tm_sec, milli, v))
    return 0;
  return v;
}

TDateTime Date() { return std::floor(Now()); }

TDateTime UnixToDateTime(int64_t secondsSinceEpoch) { return 25569.0 + double(secondsSinceEpoch) / 86400.0; }

namespace {

void Format(std::string& out, std::string_view f, const TParts& p, bool timeIsZero, const TFormatSettings& fs,
            int depth)
{
  // A 12-hour clock is asked for by an am/pm or a/p marker anywhere in the format.
  bool twelve = false;
  for (size_t k = 0; k < f.size(); ++k)
    if (StartsWithNoCase(f, k, "am/pm") || StartsWithNoCase(f, k, "a/p"))
      twelve = true;

  char last = 0;  // the last format letter seen, for the m-after-h rule
  size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    char token = Up(c);
    if (token >= 'A' && token <= 'Z') {
      if (token == 'M' && last == 'H')
        token = 'N';
      last = token;
    }
    auto count = [&](char letter) {
      size_t k = i;
      while (k < f.size() && Up(f[k]) == letter)
        ++k;
      return k - i;
    };
    switch (token) {
    case 'Y': {
      const size_t n = count('Y');
      if (n <= 2)
        Append2(out, p.Y % 100);
      else
        AppendN(out, p.Y, 4);
      i += n;
      break;
    }
    case 'M':
    case 'N': {
      const size_t n = count(Up(c));
      const int v = token == 'M' ? p.M : p.N;
      if (n == 1)
        AppendN(out, v, 1);
      else if (n == 2 || token == 'N')
        Append2(out, v);
      else if (n == 3)
        out += fs.ShortMonthNames[size_t(p.M - 1)];
      else
        out += fs.LongMonthNames[size_t(p.M - 1)];
      i += n;
      break;
    }
    case 'D': {
      const size_t n = count('D');
      if (n == 1) {
        AppendN(out, p.D, 1);
      } else if (n == 2) {
        Append2(out, p.D);
      } else if (n <= 4) {
        const int dow = int((DateToDay(p.Y, p.M, p.D) % 7 + 7 + 6) % 7);  // 0 = Sunday
        out += n == 3 ? fs.ShortDayNames[size_t(dow)] : fs.LongDayNames[size_t(dow)];
      } else if (depth < 2) {
        Format(out, fs.ShortDateFormat, p, timeIsZero, fs, depth + 1);
      }
      i += n;
      break;
    }
    case 'T': {
      const size_t n = count('T');
      if (depth < 2)
        Format(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, timeIsZero, fs, depth + 1);
      i += n;
      break;
    }
    case 'H': {
      const size_t n = count('H');
      int h = p.H;
      if (twelve) {
        h %= 12;
        if (h == 0)
          h = 12;
      }
      if (n == 1)
        AppendN(out, h, 1);
      else
        Append2(out, h);
      i += n;
      break;
    }
    case 'S': {
      const size_t n = count('S');
      if (n == 1)
        AppendN(out, p.S, 1);
      else
        Append2(out, p.S);
      i += n;
      break;
    }
    case 'Z': {
      const size_t n = count('Z');
      AppendN(out, p.Ms, n >= 3 ? 3 : 1);
      i += n;
      break;
    }
    case 'C':
      if (depth < 2) {
        Format(out, fs.ShortDateFormat, p, timeIsZero, fs, depth + 1);
        if (!timeIsZero) {
          out += ' ';
          Format(out, fs.LongTimeFormat, p, timeIsZero, fs, depth + 1);
        }
      }
      ++i;
      break;
    case 'A':
      if (StartsWithNoCase(f, i, "am/pm")) {
        const bool pm = p.H >= 12;
        const bool lower = f[i] == 'a';
        out += lower ? (pm ? "pm" : "am") : (pm ? "PM" : "AM");
        i += 5;
      } else if (StartsWithNoCase(f, i, "a/p")) {
        const bool pm = p.H >= 12;
        out += f[i] == 'a' ? (pm ? 'p' : 'a') : (pm ? 'P' : 'A');
        i += 3;
      } else {
        out += c;
        ++i;
      }
      break;
    case '/':
      out += fs.DateSeparator;
      ++i;
      break;
    case ':':
      out += fs.TimeSeparator;
      ++i;
      break;
    case '\'':
    case '"': {
      size_t k = i + 1;
      while (k < f.size() && f[k] != c)
        out += f[k++];
      i = k < f.size() ? k + 1 : k;
      break;
    }
    default:
      out += c;
      ++i;
      break;
    }
  }
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime v, const TFormatSettings& fs)
{
  const TParts p = Decode(v);
  const bool timeIsZero = p.H == 0 && p.N == 0 && p.S == 0 && p.Ms == 0;
  std::string out;
  Format(out, format.empty() ? std::string_view("c") : format, p, timeIsZero, fs, 0);
  return out;
}

std::string DateToStr(TDateTime v, const TFormatSettings& fs)
{
  return FormatDateTime(fs.ShortDateFormat, v, fs);
}

std::string TimeToStr(TDateTime v, const TFormatSettings& fs)
{
  return FormatDateTime(fs.LongTimeFormat, v, fs);
}

std::string DateTimeToStr(TDateTime v, const TFormatSettings& fs) { return FormatDateTime("c", v, fs); }
