// Event charts as data: the track and style tables, the collected states, the bar rules, the
// quiet-track rule, the traces handed to the chart model, and the legend.
#include "app/events/ListerChart.h"

#include <gtest/gtest.h>

#include <set>

#include "ListerFixture.h"
#include "app/events/EventKinds.h"
#include "app/events/Lister.h"
#include "app/values/VoltageCodes.h"
#include "charts/GraphModel.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

using namespace listerfx;
using EvChart::TStateSample;

namespace {

// Styles as (time, state) pairs, compared through the style table.
struct TStep {
  double Time;
  int State;
};

void ExpectBar(const std::vector<TChartSample>& got, const std::vector<TStep>& want, const char* name)
{
  ASSERT_EQ(got.size(), want.size()) << name;
  for (size_t i = 0; i < want.size(); ++i) {
    const TChartSample s = EvChart::StyleSample(want[i].State, want[i].Time);
    EXPECT_DOUBLE_EQ(got[i].Time, want[i].Time) << name << " sample " << i;
    EXPECT_EQ(got[i].Color, s.Color) << name << " sample " << i << " (state " << want[i].State << ")";
    EXPECT_EQ(got[i].PenStyle, s.PenStyle) << name << " sample " << i;
    EXPECT_EQ(got[i].Thickness, s.Thickness) << name << " sample " << i;
  }
}

// Samples in, styles out.
struct TBarCase {
  const char* Name;
  std::vector<TStateSample> Samples;
  double Duration;
  std::vector<TStep> Want;
};

constexpr uint8_t Snap = EventCode::SwitchgearState;

// A switchgear-state record of model 2: code, ticks, bytes 3..15.
std::vector<uint8_t> Switchgear(std::array<uint8_t, 13> bytes3to15, uint16_t ticks = 0)
{
  std::vector<uint8_t> r{Snap, uint8_t(ticks >> 8), uint8_t(ticks)};
  r.insert(r.end(), bytes3to15.begin(), bytes3to15.end());
  return r;
}

class TListerChartTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    Doc.Correct(false);
    Lister.SetDocument(&Doc);
    Lister.SetGraph(&Chart, &EvChart::BuildEventChart);
  }
  void Show(int sequence = 1)
  {
    Lister.RefreshSequences();
    Lister.SetSequence(sequence);
  }
  // The collected states of a track as (time, code, state).
  std::vector<TStateSample> States(int track) { return EvChart::TrackStates(Lister.ChartStates(), track); }
  std::set<int> TracksWithStates()
  {
    std::set<int> out;
    for (int t = 1; t <= EvChart::TrackCount; ++t)
      if (!States(t).empty())
        out.insert(t);
    return out;
  }

  TFixtureDocument Doc{2};
  TEvLister Lister;
  TGraphModel Model;
  TEvGraphChart Chart{Model};
};

}  // namespace

TEST(EvChartTables, TracksAreIndexedByTrackNumber)
{
  EXPECT_EQ(EvChart::TrackRows().size(), 146u);
  int withText = 0;
  for (int t = 1; t <= EvChart::TrackCount; ++t) {
    const EvChart::TTrackEntry& e = EvChart::Track(t);
    if (e.Caption.empty()) {
      EXPECT_EQ(e.Drawing, EvChart::DrawNone) << t;
      continue;
    }
    ++withText;
    EXPECT_EQ(e.Track, t);
    EXPECT_TRUE(e.Drawing == EvChart::DrawTwoState || e.Drawing == EvChart::DrawBreaker) << t;
  }
  EXPECT_EQ(withText, 146);

  struct TCase {
    int Track;
    int Always;
    int Drawing;
    std::string Caption;
  };
  const TCase cases[] = {
      {1, 1, 2, "Stan WA"},
      {3, 1, 2, "Stan WB "},  // ends in a blank
      {7, 1, 1, "UszB"},
      {8, 0, 0, ""},
      {12, 0, 1, "Zezwolenie na SZR WA>WR i WB>WR"},
      {66, 1, 1, "Ur "},
      {74, 0, 1, "Napięcie pomocniczne"_cp},
      {151, 0, 1, "Sygn. ZEWN. POB. SZR WA>WR  LUB WA>WB LOG"},  // two blanks kept
      {160, 0, 1, "Polecenie z SN Wyłącz WR"_cp},
      {171, 0, 1, "Polecenie z SN: WYŁĄCZ WR"_cp},
      {0, 0, 0, ""},
      {172, 0, 0, ""},
  };
  for (const TCase& c : cases) {
    const EvChart::TTrackEntry& e = EvChart::Track(c.Track);
    EXPECT_EQ(e.Always, c.Always) << c.Track;
    EXPECT_EQ(e.Drawing, c.Drawing) << c.Track;
    EXPECT_EQ(std::string(e.Caption), c.Caption) << c.Track;
  }
}

TEST(EvChartTables, EveryChartedCodeHasATrackEntry)
{
  for (int model : {1, 2}) {
    for (const TEventKindRow& r : EventKindRows(model))
      if (r.Track != 0) {
        EXPECT_NE(EvChart::Track(r.Track).Drawing, EvChart::DrawNone)
            << "model " << model << " code " << int(r.Code);
      }
  }
}

TEST(EvChartTables, StylesByState)
{
  struct TCase {
    int State;
    int32_t Color;
    uint8_t Pen;
    uint8_t Thickness;
  };
  const TCase cases[] = {
      {0, 0x000000, 0, 3},
      {1, 0x0000FF, 0, 15},
      {2, 0x00FFFF, 0, 15},
      {3, 0x000000, 2, 3},
      {4, 0x000000, 0, 3},
      {5, 0x0000FF, 0, 6},
      {6, 0x00FFFF, 0, 9},
      {7, 0x008000, 0, 12},
      {8, 0x008000, 0, 16},
      // Only a patched table gives such states: they draw as unknown.
      {9, 0x000000, 2, 3},
      {255, 0x000000, 2, 3},
      {-1, 0x000000, 2, 3},
  };
  for (const TCase& c : cases) {
    const TChartSample s = EvChart::StyleSample(c.State, 1.25);
    EXPECT_EQ(s.Time, 1.25);
    EXPECT_EQ(s.Color, c.Color) << c.State;
    EXPECT_EQ(s.PenStyle, c.Pen) << c.State;
    EXPECT_EQ(s.Thickness, c.Thickness) << c.State;
  }
}

TEST(EvChartTime, SecondsCountEveryDay)
{
  struct TCase {
    int64_t HalfMs;
    double Seconds;
  };
  const TCase cases[] = {
      {0, 0},
      {-2000, 0},
      {2000, 1.0},
      {3, 0.002},  // 1.5 ms rounds half to even: 2 ms
      {5, 0.002},  // 2.5 ms: 2 ms
      {2 * 3725500, 3725.5},
      {TEvLister::HalfMsPerDay, 86400.0},  // a whole day is not dropped
      {TEvLister::HalfMsPerDay + 2 * 61001, 86461.001},
  };
  for (const TCase& c : cases)
    EXPECT_DOUBLE_EQ(EvChart::SecondsOf(c.HalfMs), c.Seconds) << c.HalfMs;
}

TEST(EvChartBars, TwoStateBar)
{
  const TBarCase cases[] = {
      {"appearance first: absent before it", {{1.0, 4, 1}}, 3.0, {{-0.2, 0}, {1.0, 1}, {3.2, 1}}},
      {"disappearance first: present before it",
       {{0.5, 5, 0}, {2.0, 4, 1}},
       2.0,
       {{-0.2, 1}, {0.5, 0}, {2.0, 1}, {2.2, 1}}},
      {"snapshot first: its state from the start",
       {{0.0, Snap, 0}, {2.0, 4, 1}},
       4.0,
       {{-0.2, 0}, {2.0, 1}, {4.2, 1}}},
      {"voltage levels keep their state",
       {{0.0, 246, 8}, {1.5, 246, 5}, {2.5, 246, 4}},
       2.5,
       {{-0.2, 8}, {1.5, 5}, {2.5, 4}, {2.7, 4}}},
      {"a level that is no signal has no opposite", {{1.0, 9, 6}}, 1.0, {{-0.2, 6}, {1.0, 6}, {1.2, 6}}},
      {"none", {}, 1.0, {}},
  };
  for (const TBarCase& c : cases)
    ExpectBar(EvChart::TwoStateBar(c.Samples, c.Duration), c.Want, c.Name);
}

TEST(EvChartBars, BreakerBarAgreeRule)
{
  // Model 2 breaker WA: 36/37 closed contact (appears 1, disappears 0), 38/39 open contact
  // (appears 0, disappears 1).
  const TBarCase cases[] = {
      {"opening without snapshot: closed, in transit, open",
       {{1.0, 37, 0}, {1.1, 38, 0}},
       2.0,
       {{-0.2, 1}, {1.0, 2}, {1.1, 0}, {2.2, 0}}},
      {"closing without snapshot, open contact first",
       {{0.5, 39, 1}, {0.6, 36, 1}},
       1.0,
       {{-0.2, 0}, {0.5, 2}, {0.6, 1}, {1.2, 1}}},
      {"both contacts at one time", {{1.0, 37, 0}, {1.0, 38, 0}}, 1.0, {{-0.2, 1}, {1.0, 0}, {1.2, 0}}},
      {"only closed-contact events: unknown throughout",
       {{1.0, 36, 1}, {2.0, 37, 0}},
       3.0,
       {{-0.2, 3}, {3.2, 3}}},
      {"only open-contact events: unknown throughout", {{1.0, 38, 0}}, 1.0, {{-0.2, 3}, {1.2, 3}}},
      {"snapshot closed, then opening",
       {{0.0, Snap, 1}, {1.0, 37, 0}, {1.1, 38, 0}},
       2.0,
       {{-0.2, 1}, {1.0, 2}, {1.1, 0}, {2.2, 0}}},
      {"snapshot with contacts that disagree", {{0.0, Snap, 2}}, 1.0, {{-0.2, 2}, {1.2, 2}}},
      {"after the slots are full each event agrees or not",
       {{1.0, 37, 0}, {1.1, 38, 0}, {3.0, 39, 1}, {3.1, 36, 1}},
       4.0,
       {{-0.2, 1}, {1.0, 2}, {1.1, 0}, {3.0, 2}, {3.1, 1}, {4.2, 1}}},
  };
  for (const TBarCase& c : cases)
    ExpectBar(EvChart::BreakerBar(c.Samples, c.Duration), c.Want, c.Name);
}

TEST(EvChartBars, QuietTrackRule)
{
  const EvChart::TTrackEntry signal = EvChart::Track(10);
  const EvChart::TTrackEntry breaker = EvChart::Track(1);
  struct TCase {
    const char* Name;
    const EvChart::TTrackEntry& Entry;
    std::vector<TStateSample> Samples;
    bool Quiet;
  };
  const TCase cases[] = {
      {"snapshot only", signal, {{0, Snap, 1}}, true},
      {"snapshot repeated", signal, {{0, Snap, 1}, {5, Snap, 1}}, true},
      {"snapshot then a change", signal, {{0, Snap, 1}, {2, 1, 0}}, false},
      {"an event first", signal, {{1, 0, 1}}, false},
      {"always drawn", breaker, {{0, Snap, 1}}, false},
      {"voltage snapshot", EvChart::Track(25), {{0, 246, 0}, {1, 246, 0}}, true},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(EvChart::QuietTrack(c.Entry, c.Samples), c.Quiet) << c.Name;
}

TEST_F(TListerChartTest, SnapshotMapOfModel2)
{
  // Byte 15 bit 0: auxiliary voltage (code 0, track 10); byte 13 bits 2/3: breaker WA
  // closed (track 1); byte 13 bit 4: readiness WA (code 40, track 23), charted as the bit;
  // byte 12 bits 2/3 both set: WR ambiguous; bytes 3..8 voltage codes.
  std::array<uint8_t, 13> b{};
  b[3 - 3] = 0x03;          // UszB code A
  b[5 - 3] = 0x07;          // UszB code B
  b[8 - 3] = 0x0F;          // UA
  b[7 - 3] = 0x01;          // UB
  b[13 - 3] = 0x04 | 0x10;  // WA closed, ready
  b[12 - 3] = 0x0C;         // WR both contacts
  b[15 - 3] = 0x01;
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Raw(Switchgear(b)).Event(37, 400).Bytes();
  Show();
  const auto one = [](uint8_t code, uint8_t state) {
    return std::vector<std::pair<uint8_t, uint8_t>>{{code, state}};
  };
  const auto pairs = [this](int track) {
    std::vector<std::pair<uint8_t, uint8_t>> out;
    for (const TStateSample& s : States(track))
      out.emplace_back(s.Code, s.State);
    return out;
  };
  EXPECT_EQ(pairs(10), one(Snap, 1));
  EXPECT_EQ(pairs(23), one(Snap, 1));  // readiness present: 1, as the listing says
  EXPECT_EQ(pairs(27), one(Snap, 0));  // readiness WR absent
  EXPECT_EQ(pairs(2), one(Snap, 2));
  EXPECT_EQ(pairs(3), one(Snap, 2));  // WB: both contacts clear is no state either
  const auto breakerWA = pairs(1);
  ASSERT_EQ(breakerWA.size(), 2u);
  EXPECT_EQ(breakerWA[0], std::make_pair(Snap, uint8_t(1)));
  EXPECT_EQ(breakerWA[1], std::make_pair(uint8_t(37), uint8_t(0)));
  EXPECT_EQ(pairs(4), one(Snap, VoltageStateLevel(0x0F, 0x0F)));
  EXPECT_EQ(pairs(6), one(Snap, VoltageStateLevel(0x01, 0x01)));
  EXPECT_EQ(pairs(7), one(Snap, VoltageStateLevel(0x03, 0x07)));
  EXPECT_EQ(pairs(5), one(Snap, 4));
  EXPECT_DOUBLE_EQ(States(1)[1].Time, 1.0);
}

TEST_F(TListerChartTest, Model1LacksSomeSnapshotCodes)
{
  Doc = TFixtureDocument(1);
  Doc.Correct(false);
  std::array<uint8_t, 13> all;
  all.fill(0xFF);
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Raw(Switchgear(all)).Bytes();
  Show();
  const auto table = std::span<const uint8_t, EVENT_KIND_TABLE_SIZE>(Doc.Table);
  for (uint8_t lacked : {24, 26, 48, 52, 56, 58, 140})
    EXPECT_EQ(EvTrack(table, lacked), 0) << int(lacked);
  std::set<int> want{66, 67, 68};
  for (uint8_t code : {0, 4, 8, 10, 12, 14, 16, 18, 20, 22, 32, 36, 40, 42, 64, 68, 72, 74, 128, 132, 136})
    if (EvTrack(table, code) != 0)
      want.insert(EvTrack(table, code));
  EXPECT_EQ(TracksWithStates(), want);
  // Every breaker of model 1 with both contact bits set is ambiguous.
  ASSERT_EQ(States(64).size(), 1u);
  EXPECT_EQ(States(64)[0].State, EvChart::StateAmbiguous);
  EXPECT_EQ(States(68).front().State, VoltageStateLevel(0xFF, 0xFF));
}

TEST_F(TListerChartTest, WhatIsCharted)
{
  struct TCase {
    const char* Name;
    bool ShowAll;
    bool SysLogic;
    bool HideCode0;
    std::set<int> Tracks;
  };
  // Code 0 (track 10) and the logic code 232 (kind 3, track 151).
  const TCase cases[] = {
      {"plain", false, false, false, {10}},
      {"system logic", false, true, false, {10, 151}},
      {"hidden code", false, false, true, {}},
      {"hidden code with show-all", true, false, true, {10}},
      {"show-all does not bring logic codes", true, false, false, {10}},
  };
  for (const TCase& c : cases) {
    Doc = TFixtureDocument(2);
    Doc.Correct(false);
    Doc.ShowAll(c.ShowAll);
    Doc.SysLogic = c.SysLogic;
    if (c.HideCode0)
      Doc.SetShow(0, 0);
    Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Event(232, 4).Bytes();
    Show();
    EXPECT_EQ(TracksWithStates(), c.Tracks) << c.Name;
  }
}

TEST_F(TListerChartTest, TraceNumbersFollowTheDrawnTracks)
{
  // The snapshot gives every model 2 track a state; only the always-drawn tracks (1-7) and
  // the tracks that change afterwards (10 and 23) are drawn.
  std::array<uint8_t, 13> b{};
  b[13 - 3] = 0x04 | 0x10;
  b[15 - 3] = 0x01;
  Doc.Register = TRegisterBuilder()
                     .Clock(2024, 6, 1, 12, 0)
                     .Raw(Switchgear(b))
                     .Event(1, 400)   // auxiliary voltage lost (track 10)
                     .Event(41, 400)  // readiness WA gone (track 23)
                     .Event(37, 40)   // WA closed contact gone
                     .Event(38, 40)   // WA open contact appears
                     .Bytes();
  Show();
  const int want[] = {1, 2, 3, 4, 5, 6, 7, 10, 23};
  ASSERT_EQ(Model.TraceCount(), std::size(want));
  for (size_t i = 0; i < std::size(want); ++i) {
    const auto n = uint16_t(i + 1);
    EXPECT_EQ(Model.TraceCaptionText(n), IntToStr(n) + ". " + std::string(EvChart::Track(want[i]).Caption));
    EXPECT_GE(Model.SampleCount(n), 2) << n;
  }
  // The sequence lasts 2.2 s: every bar ends at 2.4 s, the range starts at -0.2 s.
  for (uint16_t n = 1; n <= Model.TraceCount(); ++n)
    EXPECT_DOUBLE_EQ(Model.SampleTime(n, Model.SampleCount(n)), 2.4) << n;
  EXPECT_DOUBLE_EQ(Model.DataMinRange(), -0.2);
  EXPECT_DOUBLE_EQ(Model.DataMaxRange(), 2.4);
  // WA: closed until the closed contact goes, in transit, then open.
  std::vector<TChartSample> wa;
  for (uint16_t i = 1; i <= Model.SampleCount(1); ++i) {
    TChartSample s;
    ASSERT_TRUE(Model.GetSample(1, i, s));
    wa.push_back(s);
  }
  ExpectBar(wa, {{-0.2, 1}, {2.1, 2}, {2.2, 0}, {2.4, 0}}, "WA");
  EXPECT_FALSE(Model.UpdateLock());
}

TEST_F(TListerChartTest, LongSequenceDoesNotWrapAtADay)
{
  TRegisterBuilder reg;
  reg.Clock(2024, 6, 1, 12, 0);
  // 530 gaps of 163.8375 s: more than a day.
  for (int i = 0; i < 530; ++i)
    reg.Event(uint8_t(i % 2), 0xFFFF);
  Doc.Register = reg.Bytes();
  Show();
  const auto s = States(10);
  ASSERT_EQ(s.size(), 530u);
  // Times count from the first event: 529 gaps of 327675 half milliseconds.
  EXPECT_DOUBLE_EQ(s.back().Time, EvChart::SecondsOf(529 * int64_t(327675)));
  EXPECT_GT(s.back().Time, 86400.0);
  for (size_t i = 1; i < s.size(); ++i)
    ASSERT_GT(s[i].Time, s[i - 1].Time) << i;
  EXPECT_DOUBLE_EQ(Model.DataMaxRange(), s.back().Time + 0.2);
}

TEST_F(TListerChartTest, LegendHasNineTraces)
{
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Bytes();
  Show();
  ASSERT_GT(Model.TraceCount(), 0);
  Lister.DrawLegend();
  ASSERT_EQ(Model.TraceCount(), 9);
  const std::string captions[] = {
      "1. Stany wyłączników:   WYŁĄCZONY"_cp,
      "2. Stany wyłączników:   ZAŁĄCZONY"_cp,
      "3. Stany wyłączników:   STAN NIEJEDNOZNACZNY"_cp,
      "4. STAN NIEZNANY"_cp,
      "5. Progi napięć:   U<Uw"_cp,
      "6. Progi napięć:   Uw<U<Ug"_cp,
      "7. Progi napięć:   Ug<U<0,9Ur"_cp,
      "8. Progi napięć:   0.9Ur<U<Ur"_cp,
      "9. Progi napięć:   U>Ur"_cp,
  };
  for (uint16_t n = 1; n <= 9; ++n) {
    EXPECT_EQ(Model.TraceCaptionText(n), captions[n - 1]);
    ASSERT_EQ(Model.SampleCount(n), 2);
    std::vector<TChartSample> got(2);
    ASSERT_TRUE(Model.GetSample(n, 1, got[0]));
    ASSERT_TRUE(Model.GetSample(n, 2, got[1]));
    ExpectBar(got, {{0, n - 1}, {10.0, n - 1}}, "legend");
  }
  EXPECT_EQ(Model.PrintTitle(), "Legenda");
  EXPECT_DOUBLE_EQ(Model.DataMinRange(), 0);
  EXPECT_DOUBLE_EQ(Model.DataMaxRange(), 10.0);
  EXPECT_FALSE(Model.UpdateLock());
}

TEST(EvChartLegend, NothingWithoutAChart)
{
  TEvLister lister;
  lister.DrawLegend();  // no chart attached: nothing happens
  EXPECT_EQ(lister.ChartStates().RowCount(), 0);
}

TEST_F(TListerChartTest, Model1AndUnknownModels)
{
  Doc = TFixtureDocument(1);
  Doc.Correct(false);
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(36, 4).Event(38, 4).Bytes();
  Show();
  ASSERT_EQ(Model.TraceCount(), 1);
  EXPECT_EQ(Model.TraceCaptionText(1), "1. Stan WP");
  Doc.Model = 0;
  Lister.SetSequence(1);
  EXPECT_EQ(Model.TraceCount(), 0);
}
