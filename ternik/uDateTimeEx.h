// Three settings of the date-time unit kept for the library's clients (nothing here reads them).
#pragma once

#include <cstdint>

struct TDateTimeExSettings {
  int32_t First = 0;   // 19 on systems older than Vista, else 1000
  int32_t Second = 0;  // 10
  int32_t Third = 0;   // 1
};
const TDateTimeExSettings& DateTimeExSettings();

void uDateTimeExInitialize();
void uDateTimeExFinalize();
