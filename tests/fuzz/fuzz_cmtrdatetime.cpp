// COMTRADE time stamps from arbitrary bytes: the parsers answer or refuse, and whatever they
// accept can be written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ternik/VmBase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size == 0)
    return 0;
  static const int kCodes[] = {0, 1, 2007, 5};
  const int code = kCodes[data[0] % 4];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  TCmtrDateTimeParts parts;
  std::string msg;
  if (!ParseCmtrDateTime(code, text, parts, msg)) {
    if (msg.empty())
      std::abort();  // a refusal always says why
    return 0;
  }
  TDateTime value = 0;
  if (!TryCmtrStrToDateTime(text, value, msg, code))
    std::abort();
  long double ex = 0;
  if (!TryCmtrStrToDateTimeEx(text, ex, msg, code))
    std::abort();
  try {
    const std::string written = DateTimeToCmtrStr(code, value);
    TDateTime again = 0;
    if (!TryCmtrStrToDateTime(written, again, msg, CmtrFormatDayFirst))
      std::abort();
    (void)TruncToSecond(value);
  } catch (const ECmtrDateTime&) {
    // Only a time that rounds past 9999-12-31 leaves the calendar.
    if (parts.Year != 9999)
      std::abort();
  }
  return 0;
}
