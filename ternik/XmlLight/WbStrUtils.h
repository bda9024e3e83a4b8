// Date-time and IPv4 texts used in XML attributes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

// "yyyy.mm.dd hh:nn[:ss[.zzz]]", any of , - . / : as separators; value is 0 on failure.
[[nodiscard]] bool TryXmlTimeStrToDateTime(std::string_view text, TDateTime& value);
TDateTime XmlTimeStrToDateTime(std::string_view text);  // 0 on failure
// "yyyy.mm.dd hh:nn:ss.zzz"; 0 gives "????.??.?? ??:??:??.???".
std::string DateTimeToXmlTimeStr(TDateTime value);
// Four parts 0..255 separated by '.', the first in the low byte; address unchanged on failure.
[[nodiscard]] bool StrToIpAddr(std::string_view text, uint32_t& address);

void WbStrUtilsInitialize();
