// Fuzzes the XML reader: any input either loads or raises XLhException; a loaded tree saves
// to a file that loads again, and after that one pass the saved bytes no longer change (the
// first pass may still trim control characters that a CDATA value carried at its ends).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ternik/TernikInit.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool started = (InitializeLibrary(), true);
  (void)started;
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (bool plain : {false, true}) {
    TLhXmlDocument doc;
    try {
      doc.ReadFromString(input, plain);
    } catch (const XLhException&) {
      if (doc.MainNode() != nullptr)
        std::abort();  // a failed load leaves nothing behind
      continue;
    }
    const std::string saved = doc.SaveToString();
    if (saved.empty())
      continue;
    std::string previous = saved;
    for (int pass = 0; pass < 2; ++pass) {
      TLhXmlDocument again;
      try {
        again.ReadFromString(previous, plain);
      } catch (const XLhException& e) {
        std::fprintf(stderr, "saved file does not load: %s\n", e.what());
        std::abort();
      }
      std::string next = again.SaveToString();
      if (pass == 1 && next != previous) {
        std::fprintf(stderr, "saving a saved file changes it\n");
        std::abort();
      }
      previous = std::move(next);
    }
  }
  return 0;
}
