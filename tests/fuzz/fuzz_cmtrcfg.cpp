// COMTRADE configurations from arbitrary bytes: the reader answers with a recording or one
// line-numbered error and sizes no sample buffer; a data file then sizes them for what it
// holds; whatever it accepts is written and read again with the same channels, segments,
// times and keyword, in whole or in part.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ternik/ComTrade3UnitInterface.h"
#include "ternik/DataFileParsersUnit.h"

namespace {

bool Read(TComtrade& rec, const std::string& bytes, std::string& fileType)
{
  TMemoryStream s(bytes);
  TComtradeInterface ci;
  try {
    ci.ReadCfg(rec, s, [](const std::string&) {});
  } catch (const EComtrade& e) {
    // Every failure is the one line-numbered message.
    if (std::string(e.what()).find(" linii pliku .cfg : ") == std::string::npos)
      std::abort();
    return false;
  }
  fileType = ci.FileType;
  return true;
}

// Every sample buffer of the recording, and the time axis, hold exactly n samples and no
// more room than that; the segments declare n when they declared more.
void CheckHolds(const TComtrade& rec, int32_t n, int64_t declared)
{
  const size_t count = size_t(n);
  if (rec.GetSampleCount() != n || rec.Rates->Times().size() != count ||
      rec.Rates->Times().capacity() > count || rec.Rates->SampleNumbers().size() != count ||
      rec.Rates->SampleNumbers().capacity() > count)
    std::abort();
  for (int32_t i = 0; i < rec.Analogs->Count(); ++i)
    if (rec.Analogs->Items(i).SampleCount() != n)
      std::abort();
  for (int32_t j = 0; j < rec.Statuses->Count(); ++j)
    if (rec.Statuses->Items(j).SampleCount() != n)
      std::abort();
  if (n < declared && (rec.Rates->SegmentCount() < 1 || rec.Rates->TotalSamples64() != n))
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Any end sample that 64 bits hold is read, with no cap: the configuration alone sizes no
  // buffer, so a huge declaration costs nothing, and a data file sizes them for what it holds.
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TComtrade rec;
  std::string fileType;
  if (!Read(rec, bytes, fileType))
    return 0;
  const int64_t declared = rec.Rates->TotalSamples64();
  CheckHolds(rec, 0, 0);
  {
    TMemoryStream probe(bytes);
    if (!ComtradeInterface().CanLoad(probe, nullptr))
      std::abort();
  }

  // A data file of a few zero records, whatever the keyword: the recording holds those (at
  // most the declared count), and the segments agree with them.
  const size_t records = size % 61;
  const size_t recSize = BinaryRecordSize(size_t(rec.Analogs->Count()), size_t(rec.Statuses->Count()));
  {
    TStreamArray streams;
    streams.push_back(std::make_unique<TMemoryStream>(std::string(records * recSize, '\0')));
    try {
      BinaryDataFileParser().LoadDataFromStream(rec, {"x.dat"}, streams, nullptr);
    } catch (const EComtrade&) {
      std::abort();  // whole records of raw channels always load
    }
  }
  const int64_t held = declared != 0 ? std::min<int64_t>(declared, int64_t(records)) : int64_t(records);
  CheckHolds(rec, int32_t(held), declared);

  TAnalogSelection a;
  TCyfrSelection s;
  rec.SelectChannels(false, a, s);
  TMemoryStream out;
  TComtradeInterface::WriteCfgToStream(rec, out, s, a, -1, -1, rec.DataFileFormat());
  TComtrade back;
  std::string backType;
  if (!Read(back, out.Data(), backType))
    std::abort();
  const bool zeroRate = rec.Rates->SegmentCount() == 1 && rec.Rates->GetItem(0).Rate == 0;
  const int64_t written = zeroRate ? rec.GetSampleCount() : rec.Rates->TotalSamples64();
  if (back.Analogs->Count() != rec.Analogs->Count() || back.Statuses->Count() != rec.Statuses->Count() ||
      back.GetSampleCount() != 0 || back.Rates->TotalSamples64() != written ||
      back.Rates->SegmentCount() != rec.Rates->SegmentCount() ||
      back.FileParam.RevisionYear != rec.FileParam.RevisionYear ||
      back.DataFileFormat() != rec.DataFileFormat())
    std::abort();
  if (back.FileParam.StartTime.FormatText() != rec.FileParam.StartTime.FormatText() ||
      back.FileParam.TriggerTime.FormatText() != rec.FileParam.TriggerTime.FormatText())
    std::abort();
  for (int32_t i = 0; i < rec.Statuses->Count(); ++i)
    if (back.Statuses->Items(i).NormalState != rec.Statuses->Items(i).NormalState)
      std::abort();
  for (int32_t i = 0; i < rec.Analogs->Count(); ++i)
    if (back.Analogs->Items(i).PS != rec.Analogs->Items(i).PS ||
        back.Analogs->Items(i).ChannelId != rec.Analogs->Items(i).ChannelId)
      std::abort();

  // A part of the recording declares exactly the samples of its window (where the segments
  // declare the samples held, as they do unless they declared none).
  const int32_t count = rec.GetSampleCount();
  if (count > 0 && (zeroRate || rec.Rates->TotalSamples64() == count)) {
    const int32_t first = size > 0 ? int32_t(data[0]) % count : 0;
    const int32_t last = count - (size > 1 ? int32_t(data[1]) % (count - first) : 0);
    TComtradeInterface::WriteCfgToStream(rec, out, s, a, last, first, rec.DataFileFormat());
    TComtrade part;
    if (!Read(part, out.Data(), backType) || part.Rates->TotalSamples64() != last - first)
      std::abort();
    TMemoryStream inf;
    TComtradeInterface::SaveInfToStream(rec, inf, fileType, a, s, last, first);
  }

  // The information file of the same recording, and the time axis where the rates give one.
  TMemoryStream inf;
  ComtradeInterface().SaveInfToStream(rec, inf);
  if (!rec.Rates->HasExplicitTimes() && rec.GetSampleCount() > 0) {
    const double end = rec.Rates->GetTime(rec.GetSampleCount() - 1);
    if (rec.Rates->SampleAtTime(end) < 0)
      std::abort();
  }
  return 0;
}
