// The companion files of a COMTRADE set from arbitrary bytes: header text, information file
// and display settings are read into a recording with a few channels, and written again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ternik/ComTrade3UnitInterface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TComtrade rec;
  for (int i = 0; i < 3; ++i)
    rec.Analogs->AddChannel(MemoryFormatRaw);
  for (int i = 0; i < 2; ++i)
    rec.Statuses->AddChannel();
  rec.SetSampleCount(4);

  TMemoryStream hdr(bytes), inf(bytes), def(bytes);
  TComtradeInterface::ReadHdr(rec, &hdr);
  TComtradeInterface::ReadInf(rec, &inf);
  TComtradeInterface::ReadDefaultInf(rec, def);
  TComtradeInterface::ReadInfView(rec);

  TMemoryStream out;
  TComtradeInterface::WriteHdrToStream(rec, out);
  // Header lines written and read again are the same lines.
  TComtrade again;
  TComtradeInterface::ReadHdr(again, &out);
  if (again.HdrText != rec.HdrText) {
    // Only a line break inside a line (a lone CR before LF is one) can split differently.
    for (const std::string& l : rec.HdrText)
      if (l.find_first_of("\r\n") != std::string::npos)
        return 0;
    std::abort();
  }
  TMemoryStream view, infOut;
  ComtradeInterface().SaveViewToStream(rec, view);
  ComtradeInterface().SaveInfToStream(rec, infOut);
  TComtradeInterface::ReadDefaultInf(rec, view);
  return 0;
}
