#include "ternik/ComTrade3UnitTime.h"

#include <cmath>
#include <vector>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "ternik/ComTrade3Unit.h"
#include "ternik/VmBase.h"

namespace {

constexpr int64_t kUsPerSecond = 1000000;
constexpr int64_t kUsPerDay = 86400 * kUsPerSecond;
// Days from 0001-01-01 to 1899-12-30, the origin of TDateTime.
constexpr int64_t kDaysToDelphiEpoch = 693593;
// Days from 0001-01-01 to 1970-01-01, the origin of the calendar helpers.
constexpr int64_t kDaysTo1970 = 719162;

std::vector<std::string_view> Split(std::string_view text, std::string_view separators)
{
  std::vector<std::string_view> out;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
      out.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  return out;
}

bool ParseDecimal(std::string_view s, int32_t& out)
{
  s = CpTrim(s);
  if (s.empty())
    return false;
  for (size_t i = 0; i < s.size(); ++i)
    if (!(s[i] >= '0' && s[i] <= '9') && !(i == 0 && (s[i] == '+' || s[i] == '-')))
      return false;
  return TryStrToInt(s, out);
}

}  // namespace

void TUsTime::ParseDate(int32_t revision, std::string_view text)
{
  TCmtrDateTimeParts parts;
  std::string msg;
  if (!ParseCmtrDate(revision, text, parts, msg)) {
    DateValid = false;
    throw EComtrade(std::string(text) + " is not valid date");
  }
  Year = parts.Year;
  Month = parts.Month;
  Day = parts.Day;
  DateValid = true;
}

void TUsTime::ParseTime(int32_t, std::string_view text)
{
  Hour = Minute = Second = 0;
  Microsecond = 0;
  TimeValid = false;
  std::string work(text);
  const TCmtrDayHalf half = TakeCmtrDayHalf(work);
  const auto pieces = Split(work, "./:");
  int32_t h = 0, n = 0, s = 0;
  int32_t us = 0;
  bool ok = pieces.size() >= 4 && ParseDecimal(pieces[0], h) && ParseDecimal(pieces[1], n) &&
            ParseDecimal(pieces[2], s);
  if (ok) {
    // The fraction's digits: six of them are the microseconds, more are dropped.
    const std::string_view f = CpTrim(pieces[3]);
    ok = !f.empty();
    int32_t digits = 0;
    for (char c : f) {
      if (c < '0' || c > '9') {
        ok = false;
        break;
      }
      if (digits < 6)
        us = us * 10 + (c - '0');
      ++digits;
    }
    for (; ok && digits < 6; ++digits)
      us *= 10;
  }
  // 12 PM is noon and 12 AM midnight, as in the date texts.
  if (ok)
    h = CmtrHour24(h, half);
  ok = ok && h >= 0 && h <= 23 && n >= 0 && n <= 59 && s >= 0 && s <= 59;
  if (!ok)
    throw EComtrade(std::string(text) + " is not valid Time");
  Hour = static_cast<uint16_t>(h);
  Minute = static_cast<uint16_t>(n);
  Second = static_cast<uint16_t>(s);
  Microsecond = us;
  TimeValid = true;
}

bool TUsTime::ToMicroseconds(int64_t& us) const
{
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month) ||
      Hour > 23 || Minute > 59 || Second > 59)
    return false;
  const int64_t days = DaysFromCivil(Year, Month, Day) + kDaysTo1970;
  us = days * kUsPerDay + ((int64_t(Hour) * 60 + Minute) * 60 + Second) * kUsPerSecond + int64_t(Microsecond);
  return true;
}

bool TUsTime::FromMicroseconds(int64_t us)
{
  const int64_t maxUs = (DaysFromCivil(10000, 1, 1) + kDaysTo1970) * kUsPerDay;
  if (us < 0 || us >= maxUs)
    return false;
  int64_t y = 0, m = 0, d = 0;
  CivilFromDays(us / kUsPerDay - kDaysTo1970, y, m, d);
  int64_t rest = us % kUsPerDay;
  Year = static_cast<uint16_t>(y);
  Month = static_cast<uint16_t>(m);
  Day = static_cast<uint16_t>(d);
  Microsecond = static_cast<int32_t>(rest % kUsPerSecond);
  rest /= kUsPerSecond;
  Second = static_cast<uint16_t>(rest % 60);
  rest /= 60;
  Minute = static_cast<uint16_t>(rest % 60);
  Hour = static_cast<uint16_t>(rest / 60);
  return true;
}

TDateTime TUsTime::GetDateTime() const
{
  TDateTime date = 0, time = 0;
  if (!TryEncodeDate(Year, Month, Day, date))
    date = 0;
  if (!TryEncodeTime(Hour, Minute, Second, 0, time))
    time = 0;
  time += double(Microsecond) / 1000.0 / double(MSecsPerDay);
  // Dates before 1899-12-30 hold the time as the fraction's magnitude.
  return date < 0 ? date - time : date + time;
}

void TUsTime::SetDateTime(TDateTime value)
{
  if (!std::isfinite(value))
    throw EComtrade("Invalid date-time value");
  const double whole = std::trunc(value);
  int64_t day = 0, us = 0;
  // Days outside years 1 .. 9999 are refused before they are counted in microseconds.
  if (!TryDoubleToInt64(whole, day) || day < -kDaysToDelphiEpoch || day > 3000000 ||
      !TryRoundHalfEven(std::fabs(value - whole) * double(kUsPerDay), us))
    throw EComtrade("Invalid date-time value");
  // One count: the time of day rounded once, a carry to midnight moves the date.
  const int64_t total = (day + kDaysToDelphiEpoch) * kUsPerDay + us;
  if (!FromMicroseconds(total))
    throw EComtrade("Invalid date-time value");
}

void TUsTime::AddMicroseconds(int64_t n)
{
  if (n == 0)
    return;
  int64_t us = 0;
  if (!ToMicroseconds(us))
    throw EComtrade("Invalid date-time value");
  if ((n > 0 && us > INT64_MAX - n) || !FromMicroseconds(us + n))
    throw EComtrade("Invalid date-time value");
}

namespace {
std::string Pad(int64_t v, int width)
{
  std::string s = IntToStr(v < 0 ? 0 : v);
  if (static_cast<int>(s.size()) < width)
    s.insert(0, size_t(width) - s.size(), '0');
  return s;
}
}  // namespace

std::string TUsTime::FormatTextMonthFirst() const
{
  const std::string t = FormatText();
  // dd/mm/ -> mm/dd/
  return t.substr(3, 3) + t.substr(0, 3) + t.substr(6);
}

std::string TUsTime::FormatText() const
{
  TUsTime t = *this;
  // A Microsecond set from outside the range is carried into the seconds before printing.
  int64_t us = 0;
  if ((Microsecond < 0 || Microsecond > 999999) && ToMicroseconds(us) && !t.FromMicroseconds(us))
    t = *this;
  const auto pad = Pad;
  return pad(t.Day, 2) + "/" + pad(t.Month, 2) + "/" + pad(t.Year, 4) + "," + pad(t.Hour, 2) + ":" +
         pad(t.Minute, 2) + ":" + pad(t.Second, 2) + "." +
         pad(t.Microsecond < 0 || t.Microsecond > 999999 ? 0 : t.Microsecond, 6);
}
