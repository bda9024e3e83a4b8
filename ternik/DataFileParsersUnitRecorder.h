// What every recorder-file reader does with the recording it fills: the header texts, the
// trigger and start times from a recorder's clock fields, the one rate segment, and the
// channels' scaling and colours.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ternik/ComTrade3Unit.h"
#include "ternik/ComTrade3UnitModel.h"

// Station name and device identification (each at most 64 characters), revision year 1997
// and line frequency 50 Hz.
void SetRecorderHeader(TComtrade& recording, std::string_view station, std::string_view device);

// Sets the time from calendar fields; false (and the time left as it was) when they do not
// form a valid date and time of day.
[[nodiscard]] bool SetRecorderTime(TUsTime& time, int year, int month, int day, int hour, int minute,
                                   int second, int64_t microsecond);
// The date-time value 0.
void SetZeroTime(TUsTime& time);
// Moves the time by ms milliseconds; a result outside the calendar leaves it as it was.
void AddRecorderMilliseconds(TUsTime& time, int64_t ms);

// One rate segment: its rate first, then its end sample, so the time axis is built from the
// rate.
void SetSingleRate(TComtrade& recording, double rate, int64_t endSample);

// The first stream of a load, or an error naming the operation when there is none.
TStream& FirstStream(const TStreamArray& streams, const std::string& where);

// The largest sample count a recording can hold.
inline constexpr int64_t MaxRecorderSamples = INT32_MAX;
