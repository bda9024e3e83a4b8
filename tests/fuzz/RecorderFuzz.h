// What every recorder-file fuzzer checks after a load from arbitrary bytes: the load answers
// with a recording or an exception, every channel holds exactly the recording's sample count,
// that count is bounded by the input, and every sample reads back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "ternik/ComTrade3UnitModel.h"

inline void CheckRecording(const TComtrade& rec, int64_t maxSamples)
{
  const int32_t n = rec.GetSampleCount();
  if (n < 0 || n > maxSamples)
    std::abort();
  for (const auto& d : *rec.Analogs) {
    if (d->SampleCount() != n)
      std::abort();
    for (int32_t i = 0; i < n; ++i) {
      bool ok = false;
      (void)d->GetValueEx(d->DataMode, i, ok);
      if (!ok)
        std::abort();
    }
  }
  for (const auto& d : *rec.Statuses) {
    if (d->SampleCount() != n)
      std::abort();
    for (int32_t i = 0; i < n; ++i)
      if (d->GetSample(i) > 1)
        std::abort();
  }
}

// Loads the bytes through a file interface; any exception is an accepted answer.
inline void FuzzInterface(const TFileInterface& fi, const uint8_t* data, size_t size, int64_t maxSamples,
                          const std::string& option = "")
{
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    TMemoryStream s(bytes);
    (void)fi.CanLoad(s, {});
  }
  TComtrade rec;
  TStreamArray streams;
  streams.push_back(std::make_unique<TMemoryStream>(bytes));
  try {
    fi.LoadFromStreams(rec, {"fuzz.dat"}, option, streams, [](const std::string&) {});
  } catch (const std::exception&) {
  }
  CheckRecording(rec, maxSamples);
}
