// Fuzzes the XML reader: any input either loads or raises XLhException; a loaded tree saves
// to a file that loads again and saves to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ternik/TernikInit.h"
#include "ternik/XmlLight/XmlLight2Unit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (InitializeLibrary(), true);
  (void)started;
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (bool plain : {false, true}) {
    TLhXmlDocument doc;
    try {
      doc.ReadFromString(input, plain);
    } catch (const XLhException&) {
      if (doc.MainNode() != nullptr) std::abort();  // a failed load leaves nothing behind
      continue;
    }
    const std::string saved = doc.SaveToString();
    if (saved.empty()) continue;
    TLhXmlDocument again;
    try {
      again.ReadFromString(saved, plain);
    } catch (const XLhException& e) {
      std::fprintf(stderr, "saved file does not load: %s\n", e.what());
      std::abort();
    }
    if (again.SaveToString() != saved) {
      std::fprintf(stderr, "second save differs\n");
      std::abort();
    }
  }
  return 0;
}
