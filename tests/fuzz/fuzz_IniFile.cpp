// Any bytes as an ini file: parsing never fails, and a saved text reads back to itself.
#include "platform/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TIniFile ini;
  ini.LoadFromString(text);
  for (const auto& section : ini.ReadSections())
    for (const auto& key : ini.ReadSection(section)) {
      (void)ini.ReadInteger(section, key, 0);
      (void)ini.ReadFloat(section, key, 0, ',');
      (void)ReadProfileInt(ini, section, key, 0);
    }
  ini.WriteString("Fuzz", "Key", text.substr(0, 16));
  const std::string saved = ini.ToString();
  TIniFile again;
  again.LoadFromString(saved);
  if (again.ToString() != saved)
    std::abort();
  return 0;
}
