// Date and time texts of COMTRADE time stamps (dd/mm/yyyy,hh:mm:ss.zzzzzz) and the localised
// names of time units.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/DateTime.h"
#include "platform/NumText.h"

class TXLangGroup;

// Raised by CmtrStrToDateTime and the PartsTo... functions.
class ECmtrDateTime : public std::runtime_error {
public:
  explicit ECmtrDateTime(const std::string& msg) : std::runtime_error(msg) {}
};

struct TCmtrDateTimeParts {
  uint16_t Year = 0;
  uint16_t Month = 0;
  uint16_t Day = 0;
  uint16_t Hour = 0;
  uint16_t Minute = 0;
  uint16_t Second = 0;
  double Microseconds = 0;  // fraction of the second
};

// Format codes 0 and 1 read a date month first when the day allows it; any other code (the
// settings tools pass 2007) reads day first. Writing ignores the code.
inline constexpr int CmtrFormatDayFirst = 2007;

// The parsers answer false with a message; ParseCmtrDateTime clears all parts first, the date
// and time parsers clear and fill their own fields.
[[nodiscard]] bool ParseCmtrDateTime(int formatCode, std::string_view text, TCmtrDateTimeParts& parts,
                                     std::string& msg);
[[nodiscard]] bool ParseCmtrDate(int formatCode, std::string_view text, TCmtrDateTimeParts& parts,
                                 std::string& msg);
[[nodiscard]] bool ParseCmtrTime(int formatCode, std::string_view text, TCmtrDateTimeParts& parts,
                                 std::string& msg);

// A " PM" in a time text, or else an " AM", removed; which one it was.
enum class TCmtrDayHalf { None, AM, PM };
TCmtrDayHalf TakeCmtrDayHalf(std::string& text);
// The hour of a twelve-hour reading on the 24-hour clock.
int32_t CmtrHour24(int32_t hour, TCmtrDayHalf half);

// Raise ECmtrDateTime "invalid cmtr date" / "invalid cmtr time" for a value that is no calendar
// date or time of day.
TDateTime PartsToDate(const TCmtrDateTimeParts& parts);
TDateTime PartsToTime(const TCmtrDateTimeParts& parts);
TDateTime PartsToDateTime(const TCmtrDateTimeParts& parts);

[[nodiscard]] bool TryCmtrStrToDateTime(std::string_view text, TDateTime& value, std::string& msg,
                                        int formatCode);
// The same with the sum of date and time kept in extended precision.
[[nodiscard]] bool TryCmtrStrToDateTimeEx(std::string_view text, long double& value, std::string& msg,
                                          int formatCode);
TDateTime CmtrStrToDateTime(std::string_view text, int formatCode);

// dd/mm/yyyy,hh:mm:ss.zzzzzz. Date and time come from one count of microseconds rounded once,
// so a time that rounds up to midnight also advances the date. A value outside the calendar
// (or not finite) raises ECmtrDateTime "invalid cmtr date".
std::string DateTimeToCmtrStr(int formatCode, TDateTime value);
std::string DateToCmtrStr(TDateTime value);
std::string TimeToCmtrStr(TDateTime value);

double DaysToMs(double days);
TDateTime TruncToSecond(TDateTime value);

// Localised time-unit names, kept current with the dictionary by RefreshLocalNames.
enum class TTimeUnitName { Year, Month, Week, Day, Hour, Minute, Second, MSec, USec, NSec };
enum class TTimeNameForm { Singular, Short, Plural, PluralShort, Genitive, GenitiveShort };
inline constexpr int LocalNameCount = 60;

struct TLocalNames {
  std::string Language;  // of the last refresh; empty before the first
  std::array<std::string, LocalNameCount> Names;
  const std::string& Name(TTimeUnitName unit, TTimeNameForm form) const
  {
    return Names[static_cast<size_t>(static_cast<int>(form) * 10 + static_cast<int>(unit))];
  }
};

// The keys and default texts of the "VmBase" group, in registration order (63 keys; the first
// sixty are the time-unit names, form by form).
struct TVmBaseKey {
  std::string_view Key;
  std::string_view DefaultText;  // Windows-1250
};
extern const std::array<TVmBaseKey, 63> VmBaseKeys;

// Data of the unit for the library's clients, valid between VmBaseInitialize and VmBaseFinalize.
TLocalNames& LocalNames();
const TFormatSettings& CmtrFormatSettings();  // ',' '/' ':' "dd/mm/yyyy" "HH:mm:ss"
inline constexpr std::array<std::string_view, 5> MagnitudePrefixes = {"", "k", "M", "G", "T"};
inline constexpr std::string_view CmtrLineBreak = "\r\n";
TXLangGroup* VmBaseGroup();

// Re-reads the sixty names when the dictionary's language differs from the one last read (or
// either is empty).
void RefreshLocalNames();

// Start-up: registers the "VmBase" group in the dictionary; needs the dictionary.
void VmBaseInitialize();
void VmBaseFinalize();
