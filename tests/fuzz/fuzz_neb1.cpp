// NEB-1 files from arbitrary bytes: the first byte chooses the record (0: ask, and the
// scripted prompts answer with the second byte's number or cancel).
#include <string>

#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "tests/fuzz/RecorderFuzz.h"
#include "ternik/DataFileParsersUnitNeb1.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2)
    return 0;
  TScriptedPrompts prompts;
  if (data[1] & 0x80)
    prompts.Inputs.push_back(std::nullopt);
  else
    prompts.Inputs.push_back(IntToStr(int(data[1]) - 8));
  SetPrompts(&prompts);
  const std::string option = data[0] == 0 ? std::string() : IntToStr(int(data[0]) - 4);
  FuzzInterface(Neb1Interface(), data + 2, size - 2, 1000, option);
  SetPrompts(nullptr);
  return 0;
}
