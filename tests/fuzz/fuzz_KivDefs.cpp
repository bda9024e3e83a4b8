// Definition (.set) files as text: any GLOBAL values and any item keys.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/values/KivDefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  TKivDefs defs;
  defs.LoadFromText("fuzz.set", std::string_view(reinterpret_cast<const char*>(data), size));
  for (int g = 0; g <= defs.GroupCount() + 1; ++g) {
    (void)defs.GroupTitle(g);
    if (const TSets* sets = defs.Group(g))
      for (int i = 0; i <= sets->Count() + 1; ++i)
        (void)sets->GetDef(i);
  }
  return 0;
}
