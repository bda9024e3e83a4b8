// MVK_RAW and SLOW_RAW data from arbitrary bytes. The first bytes make the configuration the
// data belongs to: analog channel numbers, status channel numbers, the declared end sample
// and the rate; the rest is the data stream, read by both parsers.
#include <stdlib.h>

#include <algorithm>

#include "tests/fuzz/RecorderFuzz.h"
#include "ternik/DataFileParsersUnitRaw.h"

namespace {

void Run(const TComtradeDataFileParser& p, const uint8_t* data, size_t size)
{
  if (size < 6)
    return;
  TComtrade rec;
  const size_t analogs = data[0] % 20, statuses = data[1] % 10;
  if (size < 6 + statuses)
    return;
  for (size_t i = 0; i < analogs; ++i)
    rec.Analogs->AddChannel(MemoryFormatRaw).Number = int32_t(1 + (i * 7 + data[2]) % 22);
  for (size_t i = 0; i < statuses; ++i)
    rec.Statuses->AddChannel().Number = int32_t(data[6 + i]) * 7;
  TRateDescr& r = rec.Rates->AddRate();
  r.Rate = double(data[3] % 4) * 500;
  // A small declared count, or one far beyond any buffer (from 2^31 up): no allocation may
  // follow it.
  const int64_t declared = data[4] & 0x80 ? (int64_t(data[5]) + 1) << (31 + (data[4] & 0x1F) % 24)
                                          : int64_t(data[4]) * 16 + data[5];
  r.SetEndSample(declared);
  // Sized by an earlier use: none of these samples may stay unless the data gives them.
  rec.SetSampleCount(int32_t(std::min<int64_t>(declared, 64)));
  const std::string bytes(reinterpret_cast<const char*>(data + 6 + statuses), size - 6 - statuses);
  TStreamArray streams;
  streams.push_back(std::make_unique<TMemoryStream>(bytes));
  try {
    p.LoadDataFromStream(rec, {"fuzz.dat"}, streams, [](const std::string&) {});
  } catch (const std::exception&) {
    std::abort();  // the data stream is there: damage is reported, never raised
  }
  // A packet takes a word at least, and each damaged one adds two marker samples.
  const int64_t bound = 3 * int64_t(bytes.size() / 2);
  CheckRecording(rec, bound);
  const int32_t n = rec.GetSampleCount();
  if (rec.Rates->Times().size() != size_t(n) ||
      rec.Rates->Times().capacity() > size_t(2 * std::max<int64_t>(bound, 64)))
    std::abort();
  if (n < declared && rec.Rates->TotalSamples64() != n)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  ::setenv("KIVSSN_CMTRDEBUG", size > 0 && (data[0] & 0x80) ? "1" : "0", 1);
  Run(MV70OPFaultDataFileParser(), data, size);
  Run(MV70OPTrendDataFileParser(), data, size);
  return 0;
}
