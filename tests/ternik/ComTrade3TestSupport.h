// Shared fixture pieces of the COMTRADE tests.
#pragma once

#include <cstdint>

#include "ternik/ComTrade3UnitModel.h"

// Appends rate segments (rate, end sample) and sizes the recording to the last end.
inline void AddRates(TComtrade& rec, std::initializer_list<std::pair<double, int64_t>> segments)
{
  for (const auto& [rate, end] : segments) {
    TRateDescr& r = rec.Rates->AddRate();
    r.Rate = rate;
    r.SetEndSample(end);
  }
  rec.SetSampleCount(static_cast<int32_t>(rec.Rates->TotalSamples64()));
}
