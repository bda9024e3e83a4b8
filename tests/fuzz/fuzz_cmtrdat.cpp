// COMTRADE data files (.DAT) from arbitrary bytes, through both parsers. The first bytes
// choose the recording's shape (analog and status channels, time stamps or a rate, a declared
// sample count); the rest is the data file. A load either fills the recording or raises the
// library's error; whatever loads is saved in both forms, and a BINARY save read back gives
// the same samples.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/DataFileParsersUnit.h"

namespace {

std::unique_ptr<TComtrade> MakeRec(int analogs, int statuses, bool stamps, int64_t declared)
{
  auto rec = std::make_unique<TComtrade>();
  for (int i = 0; i < analogs; ++i) {
    TAnalogDescr& d = rec->Analogs->AddChannel(MemoryFormatRaw);
    d.A = 1;
  }
  for (int j = 0; j < statuses; ++j)
    rec->Statuses->AddChannel();
  TRateDescr& r = rec->Rates->AddRate();
  r.Rate = stamps ? 0 : 1000;
  r.SetEndSample(declared);
  rec->FileParam.TimeMultiplier = stamps ? 0 : 1.5;  // 0: the save's fallback runs too
  return rec;
}

struct TSet {
  TStringArray Names{"x.cfg", "x.dat"};
  TStreamArray Streams;
  explicit TSet(std::string dat)
  {
    Streams.push_back(std::make_unique<TMemoryStream>());
    Streams.push_back(std::make_unique<TMemoryStream>(std::move(dat)));
  }
  const std::string& Dat() const { return static_cast<const TMemoryStream&>(*Streams[1]).Data(); }
};

bool Load(const TComtradeDataFileParser& p, TComtrade& rec, const std::string& dat)
{
  TSet set(dat);
  try {
    p.LoadDataFromStream(rec, set.Names, set.Streams, [](const std::string&) {});
  } catch (const EComtrade&) {
    return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 3)
    return 0;
  const int analogs = data[0] % 6;
  const int statuses = data[1] % 40;
  const bool stamps = (data[2] & 1) != 0;
  const bool ascii = (data[2] & 2) != 0;
  // A small declared count, or one far beyond any buffer (up to 2^46): no allocation may
  // follow it.
  const int64_t declared = (data[2] & 4) == 0   ? 0
                           : (data[2] & 8) == 0 ? (data[2] >> 4) * 7
                                                : int64_t(1) << (31 + (data[2] >> 4));
  const std::string dat(reinterpret_cast<const char*>(data) + 3, size - 3);

  auto rec = MakeRec(analogs, statuses, stamps, declared);
  const TComtradeDataFileParser& parser = ascii ? AsciiDataFileParser() : BinaryDataFileParser();
  if (!Load(parser, *rec, dat))
    return 0;
  // BINARY holds the whole records of the stream, never more, whatever count is declared;
  // ASCII one sample per line. The buffers hold those, and the segments declare no more.
  const int64_t records = int64_t(dat.size() / BinaryRecordSize(size_t(analogs), size_t(statuses)));
  const int32_t n = rec->GetSampleCount();
  if (!ascii && n != (declared == 0 || declared > records ? records : declared))
    std::abort();
  if (size_t(n) > dat.size() + 1 || rec->Rates->Times().size() != size_t(n) ||
      rec->Rates->Times().capacity() > size_t(n) || rec->Rates->SampleNumbers().size() != size_t(n))
    std::abort();
  for (int i = 0; i < analogs; ++i)
    if (rec->Analogs->Items(i).SampleCount() != n)
      std::abort();
  if (n < declared && rec->Rates->TotalSamples64() != n)
    std::abort();

  for (const TComtradeDataFileParser* out : {&AsciiDataFileParser(), &BinaryDataFileParser()}) {
    for (bool viewOnly : {false, true}) {
      rec->View.ViewStart = rec->GetSampleCount() > 0 ? rec->Rates->GetTime(0) : 0;
      rec->View.ViewEnd = rec->View.ViewStart;
      TSet saved("");
      try {
        out->SaveDataToStream(*rec, saved.Names, false, viewOnly, saved.Streams, 0, 0,
                              [](const std::string&) {});
      } catch (const EComtrade&) {
        continue;  // a view past the last segment
      }
      if (out != &BinaryDataFileParser() || viewOnly)
        continue;
      // BINARY keeps every 16-bit value and every status bit.
      auto back = MakeRec(analogs, statuses, true, 0);
      if (!Load(BinaryDataFileParser(), *back, saved.Dat()))
        std::abort();
      if (back->GetSampleCount() != rec->GetSampleCount())
        std::abort();
      for (int32_t r = 0; r < rec->GetSampleCount(); ++r) {
        for (int i = 0; i < analogs; ++i) {
          int32_t v = rec->Analogs->Items(i).GetRawSample(r);
          if (v < -32768 || v > 32767)
            v = v < 0 ? -32767 : 32767;
          if (back->Analogs->Items(i).GetRawSample(r) != v)
            std::abort();
        }
        for (int j = 0; j < statuses; ++j)
          if (back->Statuses->Items(j).GetSample(r) != rec->Statuses->Items(j).GetSample(r))
            std::abort();
      }
    }
  }
  return 0;
}
