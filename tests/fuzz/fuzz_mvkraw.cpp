// MVK_RAW and SLOW_RAW data from arbitrary bytes. The first bytes make the configuration the
// data belongs to: analog channel numbers, status channel numbers, the declared end sample
// and the rate; the rest is the data stream, read by both parsers.
#include <stdlib.h>

#include "tests/fuzz/RecorderFuzz.h"
#include "ternik/DataFileParsersUnitRaw.h"

namespace {

void Run(const TComtradeDataFileParser& p, const uint8_t* data, size_t size)
{
  if (size < 6) return;
  TComtrade rec;
  const size_t analogs = data[0] % 20, statuses = data[1] % 10;
  if (size < 6 + statuses) return;
  for (size_t i = 0; i < analogs; ++i) rec.Analogs->AddChannel(MemoryFormatRaw).Number = int32_t(1 + (i * 7 + data[2]) % 22);
  for (size_t i = 0; i < statuses; ++i) rec.Statuses->AddChannel().Number = int32_t(data[6 + i]) * 7;
  TRateDescr& r = rec.Rates->AddRate();
  r.Rate = double(data[3] % 4) * 500;
  r.SetEndSample(int64_t(data[4]) * 16 + data[5]);
  rec.SetSampleCount(int32_t(r.EndSample()));
  const std::string bytes(reinterpret_cast<const char*>(data + 6 + statuses), size - 6 - statuses);
  TStreamArray streams;
  streams.push_back(std::make_unique<TMemoryStream>(bytes));
  try {
    p.LoadDataFromStream(rec, {"fuzz.dat"}, streams, [](const std::string&) {});
  } catch (const std::exception&) {
  }
  CheckRecording(rec, 255 * 16 + 255);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ::setenv("KIVSSN_CMTRDEBUG", size > 0 && (data[0] & 0x80) ? "1" : "0", 1);
  Run(MV70OPFaultDataFileParser(), data, size);
  Run(MV70OPTrendDataFileParser(), data, size);
  return 0;
}
