#include "ternik/DataFileParsersUnitRecorder.h"

#include "platform/DateTime.h"

void SetRecorderHeader(TComtrade& recording, std::string_view station, std::string_view device)
{
  recording.FileParam.StationName = std::string(station.substr(0, 64));
  recording.FileParam.RecordingDeviceId = std::string(device.substr(0, 64));
  recording.FileParam.RevisionYear = 1997;
  recording.FileParam.LineFrequency = 50.0;
}

bool SetRecorderTime(TUsTime& time, int year, int month, int day, int hour, int minute, int second,
                     int64_t microsecond)
{
  TDateTime d = 0, t = 0;
  if (year < 1 || year > 9999 || !TryEncodeDate(year, month, day, d))
    return false;
  if (microsecond < 0 || microsecond > 999999 || !TryEncodeTime(hour, minute, second, 0, t))
    return false;
  time.Year = static_cast<uint16_t>(year);
  time.Month = static_cast<uint16_t>(month);
  time.Day = static_cast<uint16_t>(day);
  time.Hour = static_cast<uint16_t>(hour);
  time.Minute = static_cast<uint16_t>(minute);
  time.Second = static_cast<uint16_t>(second);
  time.Microsecond = static_cast<int32_t>(microsecond);
  time.DateValid = true;
  time.TimeValid = true;
  return true;
}

void SetZeroTime(TUsTime& time) { time.SetDateTime(0.0); }

void AddRecorderMilliseconds(TUsTime& time, int64_t ms)
{
  if (ms > INT64_MAX / 1000 || ms < INT64_MIN / 1000)
    return;
  TUsTime moved = time;
  try {
    moved.AddMicroseconds(ms * 1000);
  } catch (const EComtrade&) {
    return;
  }
  time = moved;
}

void SetSingleRate(TComtrade& recording, double rate, int64_t endSample)
{
  recording.Rates->ClearSegments();
  TRateDescr& r = recording.Rates->AddRate();
  r.Rate = rate;
  r.SetEndSample(endSample);
}

TStream& FirstStream(const TStreamArray& streams, const std::string& where)
{
  if (streams.empty() || !streams[0])
    throw EComtrade(where + ": no stream");
  return *streams[0];
}
