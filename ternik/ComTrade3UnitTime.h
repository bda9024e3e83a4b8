// A recording's date and time with microseconds, the recording header and the view window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

class TUsTime {
public:
  uint16_t Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  int32_t Microsecond = 0;  // 0 .. 999,999 after every operation of this class
  bool DateValid = false, TimeValid = false;

  // Day, month and year separated by "-", ".", "/" or ":". A year of fewer than four
  // characters is windowed (up to 50 into 2000, else 1900). Revisions 0 and 1 read month
  // first when the first number can be a month. Raises EComtrade "<text> is not valid date".
  void ParseDate(int32_t revision, std::string_view text);
  // hh:mm:ss.ffffff, with an optional " PM" or " AM" (12 PM is noon, 12 AM midnight). The
  // fraction is a fraction of the second: digits past the sixth are dropped, so nanosecond
  // time stamps load. Raises EComtrade "<text> is not valid Time".
  void ParseTime(int32_t revision, std::string_view text);

  TDateTime GetDateTime() const;
  // All fields from one count rounded to the nearest microsecond.
  void SetDateTime(TDateTime value);
  // Adds n microseconds, carrying through seconds, minutes, hours and the date. Raises
  // EComtrade when the result leaves the calendar (years 1 .. 9999).
  void AddMicroseconds(int64_t n);
  void Assign(const TUsTime& other) { *this = other; }
  // dd/mm/yyyy,hh:mm:ss.ffffff
  std::string FormatText() const;
  // mm/dd/yyyy,hh:mm:ss.ffffff: the order in which old-form configurations are read.
  std::string FormatTextMonthFirst() const;

  // The time as microseconds since 0001-01-01 00:00; false when the fields are no date.
  [[nodiscard]] bool ToMicroseconds(int64_t& us) const;
  [[nodiscard]] bool FromMicroseconds(int64_t us);
};

struct TObFileParam {
  std::string StationName;        // at most 64 characters
  std::string RecordingDeviceId;  // at most 64 characters
  uint16_t RevisionYear = 0;      // 0 and 1: the old configuration form
  double LineFrequency = 0;       // Hz
  double TimeMultiplier = 0;      // microseconds per time-stamp unit of the data file
  TUsTime StartTime;              // time of the first sample
  TUsTime TriggerTime;

  TDateTime GetStartTime() const { return StartTime.GetDateTime(); }
  void SetStartTime(TDateTime v) { StartTime.SetDateTime(v); }
  TDateTime GetTriggerTime() const { return TriggerTime.GetDateTime(); }
  void SetTriggerTime(TDateTime v) { TriggerTime.SetDateTime(v); }
};

// Seconds on the recording's time axis; -1 means no window.
struct TViewParam {
  double ViewStart = -1.0;
  double ViewEnd = -1.0;
};
