#include "ternik/VmBase.h"

#include <cmath>
#include <memory>
#include <vector>

#include "platform/Codepage.h"
#include "ternik/LangUnit.h"

const std::array<TVmBaseKey, 63> VmBaseKeys = {{
    {"YEAR", "rok"_cp},
    {"MONTH", "miesięc"_cp},
    {"WEEK", "tydzień"_cp},
    {"DAY", "dzień"_cp},
    {"HOUR", "godzina"_cp},
    {"MINUTE", "minuta"_cp},
    {"SECOND", "sekunda"_cp},
    {"MSEC", "milisekunda"_cp},
    {"USEC", "mikrosekunda"_cp},
    {"NSEC", "nanosekundy"_cp},
    {"YEAR_SHORT", "r"_cp},
    {"MONTH_SHORT", "msc"_cp},
    {"WEEK_SHORT", "tydz"_cp},
    {"DAY_SHORT", "d"_cp},
    {"HOUR_SHORT", "h"_cp},
    {"MINUTE_SHORT", "min"_cp},
    {"SECOND_SHORT", "s"_cp},
    {"MSEC_SHORT", "ms"_cp},
    {"USEC_SHORT", "us"_cp},
    {"NSEC_SHORT", "ns"_cp},
    {"YEARS", "lata"_cp},
    {"MONTHS", "miesięce"_cp},
    {"WEEKS", "tygodnie"_cp},
    {"DAYS", "dni"_cp},
    {"HOURS", "godziny"_cp},
    {"MINUTES", "minuty"_cp},
    {"SECONDS", "sekundy"_cp},
    {"MSECS", "milisekundy"_cp},
    {"USECS", "mikrosekundy"_cp},
    {"NSECS", "nanosekundy"_cp},
    {"YEARS_SHORT", "lata"_cp},
    {"MONTHS_SHORT", "mies"_cp},
    {"WEEKS_SHORT", "tyg"_cp},
    {"DAYS_SHORT", "dni"_cp},
    {"HOURS_SHORT", "godz"_cp},
    {"MINUTES_SHORT", "min"_cp},
    {"SECONDS_SHORT", "s"_cp},
    {"MSECS_SHORT", "ms"_cp},
    {"USECS_SHORT", "us"_cp},
    {"NSECS_SHORT", "ns"_cp},
    {"YEARS_GENIT", "lat"_cp},
    {"MONTHS_GENIT", "miesięcy"_cp},
    {"WEEKS_GENIT", "tygodni"_cp},
    {"DAYS_GENIT", "dni"_cp},
    {"HOURS_GENIT", "godzin"_cp},
    {"MINUTES_GENIT", "minut"_cp},
    {"SECONDS_GENIT", "sekund"_cp},
    {"MSECS_GENIT", "milisekund"_cp},
    {"USECS_GENIT", "mikrosekund"_cp},
    {"NSECS_GENIT", "nanosekund"_cp},
    {"YEARS_GENIT_SHORT", "lat"_cp},
    {"MONTHS_GENIT_SHORT", "m"_cp},
    {"WEEKS_GENIT_SHORT", "tyg"_cp},
    {"DAYS_GENIT_SHORT", "d"_cp},
    {"HOURS_GENIT_SHORT", "g"_cp},
    {"MINUTES_GENIT_SHORT", "min"_cp},
    {"SECONDS_GENIT_SHORT", "s"_cp},
    {"MSECS_GENIT_SHORT", "ms"_cp},
    {"USECS_GENIT_SHORT", "us"_cp},
    {"NSECS_GENIT_SHORT", "ns"_cp},
    {"TXT_SAMP_TYPE_ANALOG", "Analogowe"_cp},
    {"TXT_SAMP_TYPE_DIGITAL", "Cyfrowe"_cp},
    {"TXT_NO_BYTES", "Bajtów"_cp},
}};

namespace {

constexpr int64_t KUsPerDay = 86400000000;
// 0001-01-01 and 9999-12-31 as day numbers: the calendar the date functions know.
constexpr int64_t KFirstDay = -693593;
constexpr int64_t KLastDay = 2958465;

std::vector<std::string_view> SplitPieces(std::string_view text, std::string_view separators)
{
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
      if (i > start)
        pieces.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return pieces;
}

// Two-digit (and three-digit) years: below 51 in this century, else in the last.
int WindowYear(int y)
{
  y %= 100;
  return y < 51 ? 2000 + y : 1900 + y;
}

// A date-time split into its calendar day and the microseconds of that day, rounded once.
// The runtime's convention holds for days before 1899-12-30: the integer part is the day and
// the fraction's magnitude the time.
struct TDaySplit {
  int64_t Day = 0;
  int64_t Us = 0;
};

TDaySplit SplitDateTime(TDateTime value)
{
  if (!std::isfinite(value) || value < double(KFirstDay - 1) || value > double(KLastDay + 1))
    throw ECmtrDateTime("invalid cmtr date");
  const double dayPart = std::trunc(value);
  TDaySplit s;
  s.Day = static_cast<int64_t>(dayPart);
  s.Us = RoundHalfEven(std::fabs(value - dayPart) * double(KUsPerDay));
  if (s.Us < 0)
    s.Us = 0;
  if (s.Us >= KUsPerDay) {
    s.Us -= KUsPerDay;
    s.Day += 1;
  }
  if (s.Day < KFirstDay || s.Day > KLastDay)
    throw ECmtrDateTime("invalid cmtr date");
  return s;
}

TDateTime Compose(double day, double timeOfDay) { return day < 0 ? day - timeOfDay : day + timeOfDay; }

std::string Pad(int64_t v, int width)
{
  std::string s = IntToStr(v);
  if (static_cast<int>(s.size()) < width)
    s.insert(0, static_cast<size_t>(width - static_cast<int>(s.size())), '0');
  return s;
}

std::string DateText(const TDaySplit& s)
{
  int y = 0, m = 0, d = 0;
  DecodeDate(static_cast<double>(s.Day), y, m, d);
  return Pad(d, 2) + "/" + Pad(m, 2) + "/" + Pad(y, 4);
}

std::string TimeText(const TDaySplit& s)
{
  const int64_t secs = s.Us / 1000000;
  return Pad(secs / 3600, 2) + ":" + Pad(secs / 60 % 60, 2) + ":" + Pad(secs % 60, 2) + "." +
         Pad(s.Us % 1000000, 6);
}

TLocalNames GLocalNames;
TFormatSettings GCmtrFormat;
TXLangGroup* GVmBaseGroup = nullptr;

}  // namespace

bool ParseCmtrDateTime(int formatCode, std::string_view text, TCmtrDateTimeParts& parts, std::string& msg)
{
  parts = TCmtrDateTimeParts();
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) {
    msg = "missing comma, expected input format: dd/mm/yyyy,hh:mm:ss.zzzzzz";
    return false;
  }
  return ParseCmtrDate(formatCode, text.substr(0, comma), parts, msg) &&
         ParseCmtrTime(formatCode, text.substr(comma + 1), parts, msg);
}

bool ParseCmtrDate(int formatCode, std::string_view text, TCmtrDateTimeParts& parts, std::string& msg)
{
  parts.Year = parts.Month = parts.Day = 0;
  const auto pieces = SplitPieces(text, "-./:\r\n");
  int32_t day = 0, month = 0, year = 0;
  TDateTime check = 0;
  bool ok = pieces.size() >= 3 && TryStrToInt(pieces[0], day) && TryStrToInt(pieces[1], month) &&
            TryStrToInt(pieces[2], year);
  if (ok) {
    if (pieces[2].size() < 4)
      year = WindowYear(year);
    // Month first when the first piece can be a month. The ranges are checked after the
    // choice, so that a month-first 05/13/2020 reads as 13 May instead of failing.
    if ((formatCode == 0 || formatCode == 1) && day <= 12)
      std::swap(day, month);
    ok = day >= 1 && day <= 31 && month >= 1 && month <= 12 && TryEncodeDate(year, month, day, check);
  }
  if (!ok) {
    msg = std::string(text) + " is not valid date";
    return false;
  }
  parts.Year = static_cast<uint16_t>(year);
  parts.Month = static_cast<uint16_t>(month);
  parts.Day = static_cast<uint16_t>(day);
  return true;
}

TCmtrDayHalf TakeCmtrDayHalf(std::string& text)
{
  if (size_t p = text.find(" PM"); p != std::string::npos) {
    text.erase(p, 3);
    return TCmtrDayHalf::PM;
  }
  if (size_t q = text.find(" AM"); q != std::string::npos) {
    text.erase(q, 3);
    return TCmtrDayHalf::AM;
  }
  return TCmtrDayHalf::None;
}

int32_t CmtrHour24(int32_t hour, TCmtrDayHalf half)
{
  // 12 PM is noon and 12 AM midnight; the other PM hours move into the afternoon.
  if (half == TCmtrDayHalf::PM && hour != 12)
    return hour + 12;
  if (half == TCmtrDayHalf::AM && hour == 12)
    return 0;
  return hour;
}

bool ParseCmtrTime(int, std::string_view text, TCmtrDateTimeParts& parts, std::string& msg)
{
  parts.Hour = parts.Minute = parts.Second = 0;
  parts.Microseconds = 0;
  std::string work(text);
  const TCmtrDayHalf half = TakeCmtrDayHalf(work);
  const auto pieces = SplitPieces(work, "./:\r\n");
  int32_t hour = 0;
  const std::string_view hourText = pieces.empty() ? std::string_view() : CpTrim(pieces[0]);
  if (pieces.size() < 2 || hourText.empty() || hourText.size() > 2 || !TryStrToInt(hourText, hour) ||
      hour < 0 || hour > 23) {
    msg = "invalid hour " + std::string(text);
    return false;
  }
  hour = CmtrHour24(hour, half);
  int32_t minute = 0, second = 0;
  double us = 0;
  bool ok = TryStrToInt(pieces[1], minute);
  if (ok && pieces.size() > 2)
    ok = TryStrToInt(pieces[2], second);
  if (ok && pieces.size() > 3) {
    const char sep = UtilityFormat().DecimalSeparator;
    double fraction = 0;
    ok = TryStrToFloat("0" + std::string(1, sep) + std::string(CpTrim(pieces[3])), fraction, sep);
    us = fraction * 1000000;
  }
  TDateTime check = 0;
  int32_t ms = 0;
  ok = ok && std::isfinite(us) && us >= 0 && TryDoubleToInt32(us / 1000, ms) &&
       TryEncodeTime(hour, minute, second, ms, check);
  if (!ok) {
    msg = std::string(text) + " is not valid Time";
    return false;
  }
  parts.Hour = static_cast<uint16_t>(hour);
  parts.Minute = static_cast<uint16_t>(minute);
  parts.Second = static_cast<uint16_t>(second);
  parts.Microseconds = us;
  return true;
}

TDateTime PartsToDate(const TCmtrDateTimeParts& parts)
{
  TDateTime d = 0;
  if (!TryEncodeDate(parts.Year, parts.Month, parts.Day, d))
    throw ECmtrDateTime("invalid cmtr date");
  return d;
}

TDateTime PartsToTime(const TCmtrDateTimeParts& parts)
{
  TDateTime t = 0;
  const double us = parts.Microseconds;
  if (!std::isfinite(us) || us < 0 || us >= 1000000 ||
      !TryEncodeTime(parts.Hour, parts.Minute, parts.Second, 0, t))
    throw ECmtrDateTime("invalid cmtr time");
  return t + us / double(KUsPerDay);
}

TDateTime PartsToDateTime(const TCmtrDateTimeParts& parts)
{
  return Compose(PartsToDate(parts), PartsToTime(parts));
}

bool TryCmtrStrToDateTime(std::string_view text, TDateTime& value, std::string& msg, int formatCode)
{
  TCmtrDateTimeParts parts;
  if (!ParseCmtrDateTime(formatCode, text, parts, msg))
    return false;
  value = PartsToDateTime(parts);
  return true;
}

bool TryCmtrStrToDateTimeEx(std::string_view text, long double& value, std::string& msg, int formatCode)
{
  TCmtrDateTimeParts parts;
  if (!ParseCmtrDateTime(formatCode, text, parts, msg))
    return false;
  const long double day = PartsToDate(parts);
  const long double us =
      (parts.Hour * 3600.0L + parts.Minute * 60.0L + parts.Second) * 1000000.0L + parts.Microseconds;
  const long double t = us / static_cast<long double>(KUsPerDay);
  value = day < 0 ? day - t : day + t;
  return true;
}

TDateTime CmtrStrToDateTime(std::string_view text, int formatCode)
{
  TDateTime value = 0;
  std::string msg;
  if (!TryCmtrStrToDateTime(text, value, msg, formatCode))
    throw ECmtrDateTime("CmtrStrToDateTime: " + msg);
  return value;
}

std::string DateTimeToCmtrStr(int, TDateTime value)
{
  const TDaySplit s = SplitDateTime(value);
  return DateText(s) + "," + TimeText(s);
}

std::string DateToCmtrStr(TDateTime value) { return DateText(SplitDateTime(value)); }

std::string TimeToCmtrStr(TDateTime value) { return TimeText(SplitDateTime(value)); }

double DaysToMs(double days) { return days * 86400000.0; }

TDateTime TruncToSecond(TDateTime value)
{
  if (value == 0)
    return 0;
  const TDaySplit s = SplitDateTime(value);
  const int64_t secs = s.Us / 1000000;
  return Compose(static_cast<double>(s.Day), static_cast<double>(secs) / 86400.0);
}

TLocalNames& LocalNames() { return GLocalNames; }

const TFormatSettings& CmtrFormatSettings() { return GCmtrFormat; }

TXLangGroup* VmBaseGroup() { return GVmBaseGroup; }

void RefreshLocalNames()
{
  const std::string& language = LangDictionary().Language;
  if (!language.empty() && language == GLocalNames.Language)
    return;
  GLocalNames.Language = language;
  for (size_t i = 0; i < GLocalNames.Names.size(); ++i)
    GLocalNames.Names[i] = GVmBaseGroup ? GVmBaseGroup->Translate(std::string(VmBaseKeys[i].Key))
                                        : std::string(VmBaseKeys[i].DefaultText);
}

void VmBaseInitialize()
{
  GCmtrFormat = TFormatSettings();
  GCmtrFormat.DecimalSeparator = ',';
  GCmtrFormat.DateSeparator = '/';
  GCmtrFormat.TimeSeparator = ':';
  GCmtrFormat.ShortDateFormat = "dd/mm/yyyy";
  GCmtrFormat.LongTimeFormat = "HH:mm:ss";
  GLocalNames = TLocalNames();
  GVmBaseGroup = &LangDictionary().AddGroup("VmBase");
  for (const auto& k : VmBaseKeys)
    GVmBaseGroup->AddItem(std::string(k.Key), std::string(k.DefaultText));
}

void VmBaseFinalize()
{
  // The group belongs to the dictionary, which frees it when the dictionary goes.
  GVmBaseGroup = nullptr;
  GLocalNames = TLocalNames();
}
