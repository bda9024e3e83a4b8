// Typed texts into every item kind of a set, then the grid text of the result: nothing but the
// item's two bytes may change, and a stored value must format again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "app/values/SettingValues.h"
#include "app/values/VoltageCodes.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static TScriptedPrompts prompts;
  SetPrompts(&prompts);
  prompts.Records.clear();
  if (size < 4)
    return 0;
  TSettingDef def;
  def.Kind = data[0] % 5;
  def.Offset = data[1];
  def.Base = (data[2] % 7) * 0.25;
  def.DecPlaces = data[3] % 4;
  const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);

  std::vector<uint8_t> set(512, 0x5A);
  const auto before = set;
  (void)EncodeSettingValue(def, text, set, 300);
  for (size_t k = 0; k < set.size(); ++k)
    if (set[k] != before[k] && k / 2 != def.Offset)
      std::abort();
  (void)FormatSettingValue(def, set, 300);

  uint16_t code = 0;
  try {
    (void)ParseVoltageSetting(text, code);
  } catch (const EConvertError&) {
  }
  return 0;
}
