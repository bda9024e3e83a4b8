// COMTRADE configurations from arbitrary bytes: the reader answers with a recording or one
// line-numbered error, and whatever it accepts is written and read again with the same
// channels, segments, times and keyword, in whole or in part.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ternik/ComTrade3UnitInterface.h"

namespace {

bool Read(TComtrade& rec, const std::string& bytes, std::string& fileType) {
  TMemoryStream s(bytes);
  TComtradeInterface ci;
  try {
    ci.ReadCfg(rec, s, [](const std::string&) {});
  } catch (const EComtrade& e) {
    // Every failure is the one line-numbered message.
    if (std::string(e.what()).find(" linii pliku .cfg : ") == std::string::npos) std::abort();
    return false;
  }
  fileType = ci.FileType;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Declared sample counts are kept small so that channel buffers stay within the fuzzer's
  // memory; the rules are the same at any cap.
  CfgMaxEndSample() = 10000;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TComtrade rec;
  std::string fileType;
  if (!Read(rec, bytes, fileType)) return 0;

  // Read again for a data file of a few bytes, and for none (as the probe reads): the same
  // configuration, and no buffer sized beyond what such a data file can hold.
  for (const int64_t dataSize : {int64_t(size % 61), int64_t(0)}) {
    TComtrade bounded;
    TComtradeInterface ci;
    ci.DataStreamSize = dataSize;
    TMemoryStream in(bytes);
    try {
      ci.ReadCfg(bounded, in, [](const std::string&) {});
    } catch (const EComtrade&) {
      std::abort();  // the same bytes read before
    }
    const size_t limit = size_t(dataSize);
    if (ci.FileType != fileType || bounded.Analogs->Count() != rec.Analogs->Count() ||
        bounded.Statuses->Count() != rec.Statuses->Count() ||
        bounded.Rates->TotalSamples64() != rec.Rates->TotalSamples64() ||
        size_t(bounded.GetSampleCount()) > limit || bounded.Rates->Times().capacity() > limit ||
        bounded.Rates->SampleNumbers().capacity() > limit || bounded.Rates->AxisLimit() != INT64_MAX)
      std::abort();
    for (int32_t i = 0; i < bounded.Analogs->Count(); ++i)
      if (size_t(bounded.Analogs->Items(i).SampleCount()) > limit) std::abort();
    for (int32_t j = 0; j < bounded.Statuses->Count(); ++j)
      if (size_t(bounded.Statuses->Items(j).SampleCount()) > limit) std::abort();
    TMemoryStream probe(bytes);
    if (dataSize == 0 && !ComtradeInterface().CanLoad(probe, nullptr)) std::abort();
  }

  TAnalogSelection a;
  TCyfrSelection s;
  rec.SelectChannels(false, a, s);
  TMemoryStream out;
  TComtradeInterface::WriteCfgToStream(rec, out, s, a, -1, -1, rec.DataFileFormat());
  TComtrade back;
  std::string backType;
  if (!Read(back, out.Data(), backType)) std::abort();
  if (back.Analogs->Count() != rec.Analogs->Count() || back.Statuses->Count() != rec.Statuses->Count() ||
      back.GetSampleCount() != rec.GetSampleCount() || back.Rates->SegmentCount() != rec.Rates->SegmentCount() ||
      back.FileParam.RevisionYear != rec.FileParam.RevisionYear || back.DataFileFormat() != rec.DataFileFormat())
    std::abort();
  if (back.FileParam.StartTime.FormatText() != rec.FileParam.StartTime.FormatText() ||
      back.FileParam.TriggerTime.FormatText() != rec.FileParam.TriggerTime.FormatText())
    std::abort();
  for (int32_t i = 0; i < rec.Statuses->Count(); ++i)
    if (back.Statuses->Items(i).NormalState != rec.Statuses->Items(i).NormalState) std::abort();
  for (int32_t i = 0; i < rec.Analogs->Count(); ++i)
    if (back.Analogs->Items(i).PS != rec.Analogs->Items(i).PS ||
        back.Analogs->Items(i).ChannelId != rec.Analogs->Items(i).ChannelId)
      std::abort();

  // A part of the recording declares exactly the samples of its window.
  const int32_t count = rec.GetSampleCount();
  if (count > 0) {
    const int32_t first = size > 0 ? int32_t(data[0]) % count : 0;
    const int32_t last = count - (size > 1 ? int32_t(data[1]) % (count - first) : 0);
    TComtradeInterface::WriteCfgToStream(rec, out, s, a, last, first, rec.DataFileFormat());
    TComtrade part;
    if (!Read(part, out.Data(), backType) || part.GetSampleCount() != last - first) std::abort();
    TMemoryStream inf;
    TComtradeInterface::SaveInfToStream(rec, inf, fileType, a, s, last, first);
  }

  // The information file of the same recording, and the time axis where the rates give one.
  TMemoryStream inf;
  ComtradeInterface().SaveInfToStream(rec, inf);
  if (!rec.Rates->HasExplicitTimes() && rec.GetSampleCount() > 0) {
    const double end = rec.Rates->GetTime(rec.GetSampleCount() - 1);
    if (rec.Rates->SampleAtTime(end) < 0) std::abort();
  }
  return 0;
}
