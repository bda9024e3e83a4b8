// Recording times, channel descriptors, rate segments with the time axis, and the recording.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "ternik/ComTrade3UnitModel.h"

namespace {

std::string Message(const std::function<void()>& f)
{
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

// ---- TUsTime ----

struct TDateCase {
  int32_t Revision;
  const char* Text;
  int Day, Month, Year;  // 0: refused
};

TEST(ComTrade3Time, ParseDate)
{
  const TDateCase cases[] = {
      {1, "03/04/99", 4, 3, 1999},                                        // old forms read month first
      {0, "03/04/99", 4, 3, 1999},       {1999, "03/04/99", 3, 4, 1999},  // newer forms day first
      {1, "25/12/1999", 25, 12, 1999},                                    // 25 cannot be a month
      {1997, "01-02-50", 1, 2, 2050},    {1997, "01.02.51", 1, 2, 1951}, {1997, "01/02/0050", 1, 2, 50},
      {1997, "12/01/2011", 12, 1, 2011}, {1997, "31/02/2011", 0, 0, 0},  {1997, "01/13/2011", 0, 0, 0},
      {1997, "01/02", 0, 0, 0},          {1997, "aa/02/2011", 0, 0, 0},  {1997, "", 0, 0, 0},
  };
  for (const TDateCase& c : cases) {
    TUsTime t;
    if (c.Day == 0) {
      EXPECT_EQ(Message([&] { t.ParseDate(c.Revision, c.Text); }),
                std::string(c.Text) + " is not valid date");
      EXPECT_FALSE(t.DateValid);
      continue;
    }
    t.ParseDate(c.Revision, c.Text);
    EXPECT_TRUE(t.DateValid) << c.Text;
    EXPECT_EQ(t.Day, c.Day) << c.Text;
    EXPECT_EQ(t.Month, c.Month) << c.Text;
    EXPECT_EQ(t.Year, c.Year) << c.Text;
  }
}

struct TTimeCase {
  const char* Text;
  int Hour, Minute, Second;
  int32_t Us;  // -1: refused
};

TEST(ComTrade3Time, ParseTimeReadsTheFractionAsPartOfASecond)
{
  const TTimeCase cases[] = {
      {"10:20:30.5", 10, 20, 30, 500000},
      {"05:55:30.75011", 5, 55, 30, 750110},
      {"05:55:30.075011", 5, 55, 30, 75011},
      {"05:55:30.075011999", 5, 55, 30, 75011},  // nanoseconds: digits past six dropped
      {"23:59:59.999999", 23, 59, 59, 999999},
      {"01:02:03.000000 PM", 13, 2, 3, 0},
      {"12:00:00.000000 PM", 12, 0, 0, 0},  // noon
      {"12:30:00.000000 AM", 0, 30, 0, 0},  // half past midnight
      {"11:59:59.1 AM", 11, 59, 59, 100000},
      {" 7:08:09.000001", 7, 8, 9, 1},
      {"01:02:03", 0, 0, 0, -1},  // four pieces needed
      {"24:00:00.0", 0, 0, 0, -1},
      {"13:00:00.0 PM", 0, 0, 0, -1},
      {"10:60:00.0", 0, 0, 0, -1},
      {"10:20:30.5x", 0, 0, 0, -1},
      {"10:20:30.", 0, 0, 0, -1},
      {"10:20:30.-5", 0, 0, 0, -1},
  };
  for (const TTimeCase& c : cases) {
    TUsTime t;
    t.Hour = 9;
    if (c.Us < 0) {
      EXPECT_EQ(Message([&] { t.ParseTime(1997, c.Text); }), std::string(c.Text) + " is not valid Time");
      EXPECT_FALSE(t.TimeValid);
      EXPECT_EQ(t.Hour, 0) << c.Text;
      continue;
    }
    t.ParseTime(1997, c.Text);
    EXPECT_TRUE(t.TimeValid) << c.Text;
    EXPECT_EQ(t.Hour, c.Hour) << c.Text;
    EXPECT_EQ(t.Minute, c.Minute) << c.Text;
    EXPECT_EQ(t.Second, c.Second) << c.Text;
    EXPECT_EQ(t.Microsecond, c.Us) << c.Text;
  }
}

TUsTime Make(int y, int mo, int d, int h, int mi, int s, int32_t us)
{
  TUsTime t;
  t.Year = uint16_t(y), t.Month = uint16_t(mo), t.Day = uint16_t(d);
  t.Hour = uint16_t(h), t.Minute = uint16_t(mi), t.Second = uint16_t(s), t.Microsecond = us;
  return t;
}

TEST(ComTrade3Time, FormatText)
{
  EXPECT_EQ(Make(2001, 1, 5, 1, 2, 3, 7).FormatText(), "05/01/2001,01:02:03.000007");
  EXPECT_EQ(Make(1999, 12, 31, 23, 59, 59, 999999).FormatText(), "31/12/1999,23:59:59.999999");
  // A microsecond field set out of range is carried, never printed with seven digits.
  EXPECT_EQ(Make(1999, 12, 31, 23, 59, 59, 1000000).FormatText(), "01/01/2000,00:00:00.000000");
  EXPECT_EQ(Make(2000, 1, 1, 0, 0, 0, -1).FormatText(), "31/12/1999,23:59:59.999999");
}

struct TAddCase {
  TUsTime From;
  int64_t Add;
  const char* Expect;
};

TEST(ComTrade3Time, AddMicrosecondsCarriesAndBorrows)
{
  const TAddCase cases[] = {
      {Make(2001, 1, 5, 1, 2, 3, 7), 1500, "05/01/2001,01:02:03.001507"},
      {Make(2001, 1, 5, 1, 2, 3, 999000), 1500, "05/01/2001,01:02:04.000500"},
      {Make(1999, 12, 31, 23, 59, 59, 999999), 1, "01/01/2000,00:00:00.000000"},
      {Make(2000, 3, 1, 0, 0, 0, 0), -1, "29/02/2000,23:59:59.999999"},
      {Make(2000, 3, 1, 0, 0, 0, 0), -1000000, "29/02/2000,23:59:59.000000"},
      {Make(2011, 1, 12, 5, 55, 30, 75011), 86400000000LL * 365, "12/01/2012,05:55:30.075011"},
      {Make(2011, 1, 12, 5, 55, 30, 75011), 0, "12/01/2011,05:55:30.075011"},
  };
  for (const TAddCase& c : cases) {
    TUsTime t = c.From;
    t.AddMicroseconds(c.Add);
    EXPECT_EQ(t.FormatText(), c.Expect);
    EXPECT_GE(t.Microsecond, 0);
    EXPECT_LE(t.Microsecond, 999999);
  }
  TUsTime t = Make(9999, 12, 31, 23, 59, 59, 999999);
  EXPECT_THROW(t.AddMicroseconds(1), EComtrade);
}

TEST(ComTrade3Time, DateTimeRoundTripToTheMicrosecond)
{
  const TUsTime cases[] = {Make(2011, 1, 12, 5, 55, 30, 75011), Make(2017, 1, 7, 15, 35, 41, 958268),
                           Make(2000, 2, 29, 23, 59, 59, 999999), Make(1899, 12, 30, 0, 0, 0, 0),
                           Make(1970, 1, 1, 12, 0, 0, 1)};
  for (const TUsTime& c : cases) {
    TUsTime t;
    t.SetDateTime(c.GetDateTime());
    EXPECT_EQ(t.FormatText(), c.FormatText());
  }
  TObFileParam fp;
  fp.SetStartTime(EncodeDate(2020, 5, 6) + EncodeTime(7, 8, 9, 10));
  EXPECT_EQ(fp.StartTime.FormatText(), "06/05/2020,07:08:09.010000");
  EXPECT_DOUBLE_EQ(fp.GetStartTime(), EncodeDate(2020, 5, 6) + EncodeTime(7, 8, 9, 10));
  // Rounding to the microsecond reaching midnight moves the date.
  TUsTime t;
  t.SetDateTime(EncodeDate(2020, 5, 6) + 0.999999999999);
  EXPECT_EQ(t.FormatText(), "07/05/2020,00:00:00.000000");
  EXPECT_THROW(t.SetDateTime(std::numeric_limits<double>::quiet_NaN()), EComtrade);
  EXPECT_THROW(t.SetDateTime(-2.8e18), EComtrade);  // no overflow counting its microseconds
}

// ---- descriptors ----

TEST(ComTrade3Channels, IdentsSettersAndDefaults)
{
  TAnalogDescr a(MemoryFormatRaw);
  TCyfrDescr c;
  a.Number = 7;
  c.Number = 3;
  EXPECT_EQ(a.GetIdent(), "AN7");
  EXPECT_EQ(c.GetIdent(), "DG3");
  EXPECT_TRUE(a.Visible);
  EXPECT_EQ(a.BackgroundColor, 0xFFFFFF);
  EXPECT_EQ(a.Primary, 1.0);
  EXPECT_EQ(a.A, 0.0);
  a.SetChannelIdS(std::string(70, 'x') + ",y");
  EXPECT_EQ(a.ChannelId, std::string(64, 'x'));
  a.SetComponentS("a,b,c");
  EXPECT_EQ(a.Component, "a.b.c");
  a.SetUnitS(std::string(31, 'u') + ",v");
  EXPECT_EQ(a.Units, std::string(31, 'u') + ".");
  a.SetPhase("ABC");
  EXPECT_EQ(a.Phase, "AB");
}

TEST(ComTrade3Channels, RawAndScaledStores)
{
  TAnalogDescr raw(MemoryFormatRaw), scaled(MemoryFormatScaled);
  for (TAnalogDescr* d : {&raw, &scaled}) {
    d->A = 0.5;
    d->B = 1.0;
    d->RangeMin = -100;
    d->RangeMax = 100;
    d->SetSampleCount(4);
    d->SetRawSample(0, 10);
    d->SetScaledSample(1, 6.0);     // (6 - 1) / 0.5 = 10
    d->SetScaledSample(2, 1000.0);  // clamped
    d->SetScaledSample(3, 2.25);    // 2.5 rounds to even: 2
  }
  EXPECT_EQ(raw.GetRawSample(0), 10);
  EXPECT_EQ(raw.GetRawSample(1), 10);
  EXPECT_EQ(raw.GetRawSample(2), 100);
  EXPECT_EQ(raw.GetRawSample(3), 2);
  EXPECT_EQ(scaled.GetRawSample(0), 10);
  EXPECT_EQ(scaled.GetRawSample(2), 100);
  EXPECT_EQ(scaled.GetRawSample(3), 2);
  EXPECT_DOUBLE_EQ(scaled.GetValue(2), 1000.0);
  EXPECT_DOUBLE_EQ(raw.GetValue(0), 6.0);
  // A NaN never goes through the rounding.
  raw.SetScaledSample(0, std::nan(""));
  EXPECT_EQ(raw.GetRawSample(0), -32768);
  scaled.SetScaledSample(0, std::nan(""));
  EXPECT_EQ(scaled.GetRawSample(0), -32768);
  scaled.SetScaledSample(0, INFINITY);
  EXPECT_EQ(scaled.GetRawSample(0), -32768);
}

TEST(ComTrade3Channels, IndexAndFormatErrors)
{
  TAnalogDescr a(MemoryFormatScaled);
  a.Number = 4;
  a.SetSampleCount(2);
  TCyfrDescr c;
  c.SetSampleCount(2);
  const std::string idx = "Index out of buffer range.";
  EXPECT_EQ(Message([&] { a.SetRawSample(2, 0); }), idx);
  EXPECT_EQ(Message([&] { a.SetRawSample(-1, 0); }), idx);
  EXPECT_EQ(Message([&] { a.SetScaledSample(2, 0); }), idx);
  EXPECT_EQ(Message([&] { a.GetRawSample(-1); }), idx);
  EXPECT_EQ(Message([&] { c.GetSample(2); }), idx);
  EXPECT_EQ(Message([&] { c.SetSample(-1, 1); }), idx);
  a.A = 0;
  EXPECT_EQ(Message([&] { a.GetRawSample(0); }), "Channel An4 invalid Multiplier=0");
  a.A = std::nan("");
  EXPECT_EQ(Message([&] { a.GetRawSample(0); }), "Channel An4 has NAN Multiplier");
  a.A = 1;
  a.B = INFINITY;
  EXPECT_EQ(Message([&] { a.GetRawSample(0); }), "Channel An4 has NAN offset");
  TAnalogDescr bad(7);
  EXPECT_EQ(Message([&] { bad.SetSampleCount(1); }), "Unknown format of memory for analog buffer.");
  c.SetSample(1, 1);
  EXPECT_EQ(c.GetSample(1), 1);
  c.SetSampleCount(3);
  EXPECT_EQ(c.GetSample(1), 1);
  EXPECT_EQ(c.GetSample(2), 0);
}

TEST(ComTrade3Channels, GetValueExModes)
{
  TAnalogDescr d(MemoryFormatRaw);
  d.A = 2.0;
  d.B = 1.0;
  d.Primary = 100;
  d.Secondary = 5;
  d.RangeMin = -10;
  d.RangeMax = 10;
  d.SetSampleCount(1);
  d.SetRawSample(0, 5);  // scaled 11
  struct TCase {
    uint8_t PS, Mode;
    bool Unipolar;
    double Expect;
  } cases[] = {
      {0, DataModePrimary, false, 11},     {1, DataModePrimary, false, 220},
      {0, DataModeSecondary, false, 0.55}, {1, DataModeSecondary, false, 11},
      {0, DataModeRaw, false, 5},          {0, DataModePercent, false, 50},
      {0, DataModePercent, true, 75},
  };
  for (const TCase& c : cases) {
    d.PS = c.PS;
    d.Unipolar = c.Unipolar;
    bool ok = false;
    EXPECT_DOUBLE_EQ(d.GetValueEx(c.Mode, 0, ok), c.Expect) << int(c.Mode);
    EXPECT_TRUE(ok);
  }
  bool ok = true;
  EXPECT_EQ(d.GetValueEx(DataModePrimary, 1, ok), 0.0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Message([&] { d.GetValue(1); }), "Data no Exist");
  EXPECT_EQ(Message([&] { d.GetValueEx(9, 0, ok); }), "Unknown data mode");
  d.RangeMax = d.RangeMin;
  EXPECT_THROW(d.GetValueEx(DataModePercent, 0, ok), EComtrade);
  d.A = 0;
  EXPECT_THROW(d.GetValueEx(DataModeRaw, 0, ok), EComtrade);
  EXPECT_THROW(d.GetValueEx(DataModePercent, 0, ok), EComtrade);
}

TEST(ComTrade3Channels, CheckRangeWidensWithWarnings)
{
  struct TCase {
    std::vector<int32_t> Samples;
    int32_t Min, Max;
    int32_t ExpMin, ExpMax;
    std::vector<std::string> Warnings;
  } cases[] = {
      {{5, -3, 7}, -10, 10, -10, 10, {}},
      {{5, -3, 70}, -10, 10, -10, 70, {"Comtrade warning : Data > Max for : ch"}},
      {{5, -30, 7}, -10, 10, -30, 10, {"Comtrade warning : Data < Min for : ch"}},
      // A 0x8000 low half is the "no value" marker, not a reading.
      {{5, -32768, 7}, -10, 10, -10, 10, {}},
      {{5, 0x18000, -20},
       -10,
       10,
       -20,
       0x18000,
       {"Comtrade warning : Data > Max for : ch", "Comtrade warning : Data < Min for : ch"}},
      {{}, 5, 3, 5, 3, {}},
  };
  for (const TCase& c : cases) {
    TAnalogDescr d(MemoryFormatRaw);
    d.ChannelId = "ch";
    d.RangeMin = c.Min;
    d.RangeMax = c.Max;
    d.SetSampleCount(int32_t(c.Samples.size()));
    for (size_t i = 0; i < c.Samples.size(); ++i)
      d.SetRawSample(int32_t(i), c.Samples[i]);
    std::vector<std::string> got;
    d.CheckRange([&](const std::string& s) { got.push_back(s); });
    EXPECT_EQ(d.RangeMin, c.ExpMin);
    EXPECT_EQ(d.RangeMax, c.ExpMax);
    EXPECT_EQ(got, c.Warnings);
  }
}

// A decoder's extent stands for the walk over the samples: the same range and warnings as a
// channel whose samples are read again, and it is forgotten by every change of the store.
TEST(ComTrade3Channels, DecodedExtentGivesTheRangeOfTheWalk)
{
  const std::vector<int32_t> cases[] = {
      {5, -3, 7},
      {5, -32768, 70},
      {-32768, 5, 6},  // a first marker counts, the later ones do not
      {-32768, -32768, -20},
      {0x18000, -20, -32768},  // a marker is told by its low half
      {-30, 0x28000, 40},
      {9},
  };
  for (const auto& samples : cases) {
    SCOPED_TRACE(testing::PrintToString(samples));
    TAnalogDescr walked(MemoryFormatRaw), decoded(MemoryFormatRaw);
    TRawExtent extent;
    for (TAnalogDescr* d : {&walked, &decoded}) {
      d->ChannelId = "ch";
      d->RangeMin = -10;
      d->RangeMax = 10;
      d->SetSampleCountUnset(int32_t(samples.size()));
      const std::span<int32_t> raw = d->RawSamples();
      ASSERT_EQ(raw.size(), samples.size());
      for (size_t i = 0; i < samples.size(); ++i)
        raw[i] = samples[i];
    }
    for (const int32_t v : samples)
      extent.Add(v);
    decoded.SetRawExtent(extent);
    std::vector<std::string> fromWalk, fromExtent;
    walked.CheckRange([&](const std::string& w) { fromWalk.push_back(w); });
    decoded.CheckRange([&](const std::string& w) { fromExtent.push_back(w); });
    EXPECT_EQ(fromExtent, fromWalk);
    EXPECT_EQ(decoded.RangeMin, walked.RangeMin);
    EXPECT_EQ(decoded.RangeMax, walked.RangeMax);
  }
  // Every change of the store forgets the extent: here one that claims a sample of 500,
  // which a walk over the samples does not find.
  const std::function<void(TAnalogDescr&)> changes[] = {
      [](TAnalogDescr& d) { d.SetRawSample(1, 3); },
      [](TAnalogDescr& d) {
        d.A = 1;
        d.SetScaledSample(1, 3);
      },
      [](TAnalogDescr& d) { d.RawSamples()[1] = 3; },
      [](TAnalogDescr& d) { d.SetSampleCount(3); },
  };
  for (size_t k = 0; k < std::size(changes); ++k) {
    SCOPED_TRACE(k);
    TAnalogDescr d(MemoryFormatRaw);
    d.ChannelId = "ch";
    d.RangeMin = -10;
    d.RangeMax = 10;
    d.SetSampleCount(2);
    TRawExtent claim;
    claim.Add(500);
    d.SetRawExtent(claim);
    changes[k](d);
    std::vector<std::string> got;
    d.CheckRange([&](const std::string& w) { got.push_back(w); });
    EXPECT_TRUE(got.empty()) << got.front();
    EXPECT_EQ(d.RangeMax, 10);
  }
  // Kept, it is what the range check takes.
  TAnalogDescr kept(MemoryFormatRaw);
  kept.ChannelId = "ch";
  kept.RangeMax = 10;
  kept.SetSampleCount(2);
  TRawExtent claim;
  claim.Add(500);
  kept.SetRawExtent(claim);
  kept.CheckRange(nullptr);
  EXPECT_EQ(kept.RangeMax, 500);
  // A store of scaled values ignores an extent: its range comes through its raw reader.
  TAnalogDescr scaled(MemoryFormatScaled);
  scaled.A = 0;
  scaled.SetSampleCount(1);
  scaled.SetRawExtent(TRawExtent{});
  EXPECT_EQ(Message([&] { scaled.CheckRange(nullptr); }), "Channel An0 invalid Multiplier=0");
}

// Sizing for a decoder goes through the channel's own SetSampleCount; afterwards, or after a
// sizing that failed, a store grows with zeros again.
TEST(ComTrade3Channels, SizingLeftUnsetIsOnlyForThatCall)
{
  struct TRefusing : TAnalogDescr {
    using TAnalogDescr::TAnalogDescr;
    std::vector<int32_t> Asked;
    void SetSampleCount(int32_t n) override
    {
      Asked.push_back(n);
      if (n == 7)
        throw EComtrade("refused");
      TAnalogDescr::SetSampleCount(n);
    }
  };
  TRefusing d(MemoryFormatRaw);
  d.SetSampleCountUnset(2);
  d.RawSamples()[0] = 4;
  d.RawSamples()[1] = 5;
  EXPECT_EQ(Message([&] { d.SetSampleCountUnset(7); }), "refused");
  d.SetSampleCount(4);
  EXPECT_EQ(d.Asked, (std::vector<int32_t>{2, 7, 4}));
  EXPECT_EQ(std::vector<int32_t>(d.RawSamples().begin(), d.RawSamples().end()),
            (std::vector<int32_t>{4, 5, 0, 0}));
  TCyfrDescr s;
  s.SetSampleCountUnset(1);
  s.Samples()[0] = 1;
  s.SetSampleCount(3);
  EXPECT_EQ(s.GetSample(0), 1);
  EXPECT_EQ(s.GetSample(2), 0);
}

TEST(ComTrade3Channels, ScaleAnalog)
{
  TAnalogDescr d(MemoryFormatScaled);
  d.SetSampleCount(4);
  const double v[] = {-2.0, 5.0, 1.0, std::nan("")};
  for (int i = 0; i < 4; ++i)
    d.SetScaledSample(i, v[i]);
  d.ScaleAnalog();
  EXPECT_DOUBLE_EQ(d.Primary, 6.0);
  EXPECT_DOUBLE_EQ(d.Secondary, 6.0);
  EXPECT_DOUBLE_EQ(d.A, 6.0 / 32767);
  EXPECT_EQ(d.B, 0.0);
  EXPECT_EQ(d.PS, 1);
  EXPECT_EQ(d.RangeMax, 32767);
  EXPECT_EQ(d.RangeMin, -32768);
  EXPECT_EQ(d.GetRawSample(1), 27306);  // 5 / (6 / 32767)
  // Scaled already and not asked to rescale: left as it is.
  const double a = d.A;
  d.SetScaledSample(1, 50.0);
  d.ScaleAnalog();
  EXPECT_EQ(d.A, a);
  d.Rescale = true;
  d.ScaleAnalog();
  EXPECT_DOUBLE_EQ(d.Primary, 60.0);
  // No usable value: a peak of 1.
  TAnalogDescr e(MemoryFormatScaled);
  e.SetSampleCount(2);
  e.ScaleAnalog();
  EXPECT_DOUBLE_EQ(e.Primary, 1.2);
}

// ---- rates and the time axis ----

void TwoRates(TRateList& r)
{
  TRateDescr& a = r.AddRate();
  a.Rate = 1000;
  a.SetEndSample(100);
  TRateDescr& b = r.AddRate();
  b.Rate = 500;
  b.SetEndSample(200);
}

TEST(ComTrade3Rates, TwoRateTimeAxis)
{
  TRateList r(nullptr);
  TwoRates(r);
  EXPECT_EQ(r.GetItem(1).StartSample, 100);
  // The segments only declare the samples; the axis is sized for those held.
  EXPECT_EQ(r.Count(), 0);
  r.SetCount(200);
  EXPECT_EQ(r.Count(), 200);
  EXPECT_DOUBLE_EQ(r.SampleTime(50), 0.05);
  EXPECT_DOUBLE_EQ(r.SampleTime(150), 0.2);
  EXPECT_DOUBLE_EQ(r.SampleTime(100), 0.1);
  EXPECT_DOUBLE_EQ(r.GetTime(150), 0.2);
  EXPECT_DOUBLE_EQ(r.GetTime(99), 0.099);
  EXPECT_DOUBLE_EQ(r.GetTime(101), 0.102);
  EXPECT_FALSE(r.HasExplicitTimes());
  struct {
    double T;
    int32_t Pos;
  } at[] = {{0.0, 0}, {0.05, 50}, {0.1, 100}, {0.2, 150}, {0.3, 200}, {-1, 0}};
  for (const auto& c : at)
    EXPECT_EQ(r.SampleAtTime(c.T), c.Pos) << c.T;
  // Past the last segment is refused, not read beyond the list.
  EXPECT_THROW(r.SampleAtTime(0.31), EComtrade);
  EXPECT_EQ(r.FGetSamplIdx(0), 1);
  EXPECT_EQ(r.FGetSamplIdx(199), 200);
  EXPECT_DOUBLE_EQ(r.GetItem(1).Duration(), 0.2);
  double lo = 0, hi = 0, mean = 0;
  r.IntervalStats(lo, hi, mean);
  EXPECT_NEAR(lo, 0.001, 1e-15);
  EXPECT_NEAR(hi, 0.002, 1e-15);
  EXPECT_NEAR(mean, (0.1 + 0.2 - 0.002) / 199, 1e-15);
}

// The one-walk times are SampleTime's, bit for bit, across segment ends and past the last.
TEST(ComTrade3Rates, SampleTimesEqualSampleTime)
{
  using TSegs = std::vector<std::pair<double, int64_t>>;
  const TSegs cases[] = {
      {},
      {{1000, 10}},
      {{3000, 7}, {7, 9}, {1e6 / 3, 9}, {0.1, 20}},
      {{4800, 0}, {1200, 5}},
  };
  for (const TSegs& segs : cases) {
    SCOPED_TRACE(segs.size());
    TRateList r(nullptr);
    for (const auto& [rate, end] : segs) {
      TRateDescr& d = r.AddRate();
      d.Rate = rate;
      d.SetEndSample(end);
    }
    std::vector<double> times(25, -1.0);
    r.SampleTimes(times);
    for (size_t n = 0; n < times.size(); ++n)
      EXPECT_EQ(times[n], r.SampleTime(int64_t(n))) << n;
  }
  // A segment without a rate on the way fails as SampleTime does.
  TRateList r(nullptr);
  r.AddRate().Rate = 1000;
  r.GetItem(0).SetEndSample(2);
  r.AddRate().SetEndSample(4);
  std::vector<double> times(4);
  EXPECT_EQ(Message([&] { r.SampleTimes(times); }), Message([&] { r.SampleTime(3); }));
  EXPECT_EQ(Message([&] { r.SampleTimes(times); }), "Floating point division by zero");
}

TEST(ComTrade3Rates, SegmentsDeclareAndTheAxisHoldsWhatItIsGiven)
{
  TRateList r(nullptr);
  TRateDescr& a = r.AddRate();
  a.Rate = 1000;
  // A declaration beyond any buffer (and beyond 32 bits) is refused neither by the segment
  // nor by the axis, and sizes nothing.
  a.SetEndSample(5000000000);
  TRateDescr& b = r.AddRate();
  b.Rate = 500;
  b.SetEndSample(INT64_MAX);
  EXPECT_EQ(r.Count(), 0);
  EXPECT_EQ(r.Times().capacity(), 0u);
  EXPECT_EQ(r.SampleNumbers().capacity(), 0u);
  EXPECT_DOUBLE_EQ(r.SampleTime(5000000001), 5000000.002);
  // Positions given to the axis get their times from the rates.
  r.SetCount(3);
  EXPECT_EQ(r.Times(), (std::vector<double>{0, 0.001, 0.002}));
  EXPECT_EQ(r.SampleNumbers(), (std::vector<int64_t>{1, 2, 3}));
  // Cut to the samples held: the segment holding the last one ends there, later ones go.
  r.CutToSamples(2);
  ASSERT_EQ(r.SegmentCount(), 1);
  EXPECT_EQ(r.GetItem(0).EndSample(), 2);
  EXPECT_EQ(r.GetItem(0).Rate, 1000);
  EXPECT_EQ(r.Count(), 2);
  // Declaring as many or more cuts nothing; nothing held leaves the first segment at 0.
  r.CutToSamples(2);
  r.CutToSamples(7);
  EXPECT_EQ(r.GetItem(0).EndSample(), 2);
  r.CutToSamples(0);
  ASSERT_EQ(r.SegmentCount(), 1);
  EXPECT_EQ(r.GetItem(0).EndSample(), 0);
  EXPECT_EQ(r.GetItem(0).Rate, 1000);
  EXPECT_EQ(r.Count(), 0);
  EXPECT_FALSE(r.HasExplicitTimes());
}

TEST(ComTrade3Rates, ErrorsAndBounds)
{
  TRateList r(nullptr);
  TwoRates(r);
  r.SetCount(200);
  TRateDescr& third = r.AddRate();
  third.Rate = 100;
  EXPECT_EQ(Message([&] { third.SetEndSample(150); }), "Incorrect EndSample Value");
  EXPECT_EQ(third.EndSample(), 150);  // kept, as the setter always did
  EXPECT_EQ(Message([&] { third.SetEndSample(-1); }), "Incorrect EndSample Value");
  EXPECT_EQ(Message([&] { r.GetTime(200); }), "RateList: Index 200, out of Bounds: <0..199>");
  EXPECT_EQ(Message([&] { r.GetTime(-1); }), "RateList: Index -1, out of Bounds: <0..199>");
  EXPECT_EQ(Message([&] { r.FSetTime(200, 0); }), "TRateList.FSetTime: Index out of time buffer range.");
  EXPECT_EQ(Message([&] { r.FGetSamplIdx(-1); }), "TRateList.FGetSamplIdx: Index out of range.");
  EXPECT_EQ(Message([&] { r.FSetSamplIdx(200, 1); }), "TRateList.FSetSamplIdx: Index out of range.");
  EXPECT_THROW(r.SampleTime(-1), EComtrade);
  EXPECT_THROW(r.GetItem(3), EComtrade);
  TRateDescr zero(nullptr);
  zero.SetEndSample(10);
  EXPECT_THROW(zero.Duration(), EComtrade);
  // A later rebuild over the stored, decreasing ends stays within the axis.
  r.RebuildTimes();
  EXPECT_EQ(r.Count(), 150);
}

TEST(ComTrade3Rates, ExplicitTimesComeFromTheDataFile)
{
  TRateList r(nullptr);
  EXPECT_TRUE(r.HasExplicitTimes());
  TRateDescr& z = r.AddRate();
  z.SetEndSample(4);
  EXPECT_TRUE(r.HasExplicitTimes());
  EXPECT_EQ(r.Count(), 0);  // no rate: the axis waits for the time stamps
  r.SetCount(4);
  const double times[] = {0, 0.5, 0.7, 2.0};
  for (int i = 0; i < 4; ++i)
    r.FSetTime(i, times[i]);
  struct {
    double T;
    int32_t Pos;
  } at[] = {{0.0, 0}, {0.6, 1}, {0.7, 1}, {0.71, 2}, {5, 3}};
  for (const auto& c : at)
    EXPECT_EQ(r.SampleAtTime(c.T), c.Pos) << c.T;
  EXPECT_THROW(r.SampleTime(1), EComtrade);
  EXPECT_NEAR(r.MeanRate(), 1.5, 1e-12);
  r.SetCount(1);
  double lo = 1, hi = 1, mean = 1;
  r.IntervalStats(lo, hi, mean);
  EXPECT_EQ(mean, 0.0);  // one sample at an unknown rate
}

// ---- the recording ----

TEST(ComTrade3Model, CreateClearAndSampleCounts)
{
  TComtrade rec;
  EXPECT_EQ(rec.FileParam.RevisionYear, 1997);
  EXPECT_EQ(rec.FileParam.LineFrequency, 50.0);
  EXPECT_EQ(rec.View.ViewStart, -1.0);
  TAnalogDescr& a = rec.Analogs->AddChannel(MemoryFormatRaw);
  EXPECT_EQ(a.Number, 1);
  rec.Analogs->AddChannel(MemoryFormatScaled).Number = 10;
  EXPECT_EQ(rec.Analogs->AddChannel(MemoryFormatRaw).Number, 11);
  rec.Statuses->AddChannel();
  TwoRates(*rec.Rates);
  rec.SetSampleCount(200);
  EXPECT_EQ(rec.GetSampleCount(), 200);
  // A channel added later is sized to the recording.
  EXPECT_EQ(rec.Statuses->AddChannel().SampleCount(), 200);
  rec.HdrText = {"line"};
  rec.Inf.WriteString("S", "K", "V");
  rec.FileParam.RevisionYear = 1;
  rec.Clear();
  EXPECT_EQ(rec.Analogs->Count(), 0);
  EXPECT_EQ(rec.Statuses->Count(), 0);
  EXPECT_EQ(rec.Rates->SegmentCount(), 0);
  EXPECT_EQ(rec.GetSampleCount(), 200);  // the time axis stays
  EXPECT_EQ(rec.HdrText.size(), 1u);
  EXPECT_EQ(rec.Inf.ReadString("S", "K", ""), "V");
  EXPECT_EQ(rec.FileParam.RevisionYear, 1997);

  TComtrade two;
  two.Analogs->AddChannel(MemoryFormatRaw);
  two.Statuses->AddChannel();
  two.SetSampleCount(5);
  two.SetSampleCount(0);
  EXPECT_EQ(two.Analogs->Items(0).SampleCount(), 0);
  EXPECT_EQ(two.Statuses->Items(0).SampleCount(), 0);
  EXPECT_EQ(two.GetSampleCount(), 0);
  EXPECT_THROW(two.Analogs->Items(1), EComtrade);
}

TEST(ComTrade3Model, DataFileFormat)
{
  TComtrade rec;
  rec.SetDataFileFormat(1);
  EXPECT_EQ(rec.DataFileFormat(), 1);
  EXPECT_EQ(Message([&] { rec.SetDataFileFormat(2); }), "Unknown DataFileFormat");
  EXPECT_EQ(rec.DataFileFormat(), 1);
  rec.SetDataFileFormat(0);
  EXPECT_EQ(rec.DataFileFormat(), 0);
}

TEST(ComTrade3Model, SelectChannels)
{
  TComtrade rec;
  for (int i = 0; i < 3; ++i)
    rec.Analogs->AddChannel(MemoryFormatRaw);
  for (int i = 0; i < 2; ++i)
    rec.Statuses->AddChannel();
  rec.Analogs->Items(1).Visible = false;
  rec.Statuses->Items(0).Visible = false;
  TAnalogSelection a;
  TCyfrSelection s;
  rec.SelectChannels(true, a, s);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0], &rec.Analogs->Items(0));
  EXPECT_EQ(a[1], &rec.Analogs->Items(2));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], &rec.Statuses->Items(1));
  a.clear();
  s.clear();
  rec.SelectChannels(false, a, s);
  EXPECT_EQ(a.size(), 3u);
  EXPECT_EQ(s.size(), 2u);
  for (const auto& d : *rec.Analogs)
    d->Visible = false;
  for (const auto& d : *rec.Statuses)
    d->Visible = false;
  {
    TAnalogSelection none;
    TCyfrSelection noneS;
    rec.SelectChannels(true, none, noneS);
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(noneS.empty());
  }
  EXPECT_EQ(rec.Analogs->Count(), 3);
}

TEST(ComTrade3Model, SubstitutedClassesAreUsed)
{
  struct TMyAnalog : TAnalogDescr {
    using TAnalogDescr::TAnalogDescr;
    std::string GetIdent() const override { return "MY"; }
  };
  const TComtradeClasses saved = ComtradeClasses();
  ComtradeClasses().AnalogDescr = [](uint8_t f) { return std::make_unique<TMyAnalog>(f); };
  TComtrade rec;
  EXPECT_EQ(rec.Analogs->AddChannel(MemoryFormatRaw).GetIdent(), "MY");
  ComtradeClasses() = saved;
  EXPECT_EQ(rec.Analogs->AddChannel(MemoryFormatRaw).GetIdent(), "AN2");
}

}  // namespace
