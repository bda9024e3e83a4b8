// Document files from anywhere: an image or the older packed layout, whole or broken.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/document/Kivbase.h"
#include "platform/Prompts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static TScriptedPrompts prompts;
  SetPrompts(&prompts);
  prompts.Clear();
  TKiv kiv;
  kiv.SetInstallDir("/nonexistent-kivssn-defs");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (kiv.LoadFromBytes(bytes)) {
    // Whatever loaded reads back within its fields.
    (void)kiv.GetNotes();
    (void)kiv.GetIdentName();
    (void)kiv.GetStationInfo();
  }
  SetPrompts(nullptr);
  return 0;
}
