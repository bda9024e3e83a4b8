// Event charts: the states of a sequence collected per chart track, the bars computed from
// them, and the legend.
#include "app/events/ListerChart.h"

#include <algorithm>
#include <array>
#include <optional>

#include "app/events/EventKinds.h"
#include "app/events/Lister.h"
#include "app/events/ListerInternal.h"
#include "app/values/VoltageCodes.h"
#include "platform/Bytes.h"
#include "platform/Codepage.h"

using namespace ListerDetail;

namespace EvChart {

namespace {

// Bars start a little before the first event and end a little after the last, so a state
// that holds from the start or to the end is visible as a bar.
constexpr double Lead = 0.2;

std::array<TTrackEntry, TrackCount + 1> BuildTrackIndex()
{
  std::array<TTrackEntry, TrackCount + 1> index{};
  for (const TTrackEntry& e : TrackRows())
    if (e.Track >= 1 && e.Track <= TrackCount)
      index[e.Track] = e;
  return index;
}

uint8_t Opposite(uint8_t state)
{
  if (state == StateOff)
    return StateOn;
  if (state == StateOn)
    return StateOff;
  return state;
}

uint8_t Agree(uint8_t x, uint8_t y) { return x == y ? x : StateAmbiguous; }

// The last style drawn, held to the end of the sequence.
void HoldToEnd(std::vector<TChartSample>& out, double duration)
{
  if (out.empty())
    return;
  TChartSample last = out.back();
  last.Time = duration + Lead;
  out.push_back(last);
}

// The two contacts of a breaker report on one track: an odd code counts as the even code of
// its pair, except the snapshot codes.
uint8_t FoldedCode(uint8_t code)
{
  if (code == EventCode::SwitchgearState || code == EventCode::VoltageState)
    return code;
  return uint8_t(code & ~1u);
}

struct TSlots {
  std::optional<TStateSample> A, B;
  bool Full() const { return A && B; }
  // A snapshot fills both slots; a contact event takes A when A is free, holds a snapshot or
  // holds the same contact, else B.
  void Take(const TStateSample& s)
  {
    if (s.Snapshot()) {
      A = s;
      B = s;
    } else if (!A || A->Snapshot() || FoldedCode(A->Code) == FoldedCode(s.Code)) {
      A = s;
    } else {
      B = s;
    }
  }
};

// Bits of a switchgear-state record and the code whose track each one feeds.
struct TSnapshotBit {
  uint8_t Byte;
  uint8_t Bit;
  uint8_t Code;
  bool Breaker;  // closed contact at Bit, open contact at Bit + 1
};
constexpr TSnapshotBit SnapshotBits[] = {
    {15, 0, 0, false},   {15, 2, 4, false},   {15, 4, 8, false},   {15, 5, 10, false}, {15, 6, 12, false},
    {15, 7, 14, false},  {14, 0, 16, false},  {14, 1, 18, false},  {14, 2, 20, false}, {14, 3, 22, false},
    {14, 4, 24, false},  {14, 5, 26, false},  {13, 0, 32, false},  {13, 2, 36, true},  {13, 4, 40, false},
    {13, 5, 42, false},  {12, 0, 48, false},  {12, 2, 52, true},   {12, 4, 56, false}, {12, 5, 58, false},
    {11, 0, 64, false},  {11, 2, 68, true},   {11, 4, 72, false},  {11, 5, 74, false}, {10, 0, 128, false},
    {10, 2, 132, false}, {10, 4, 136, false}, {10, 6, 140, false},
};

class TCollector {
public:
  TCollector(TKivMatrix& states, std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> table, int model)
      : FStates(states), FTable(table), FModel(model)
  {}

  void Add(int track, double t, uint8_t code, uint8_t state)
  {
    if (track < 1 || track > TrackCount)
      return;
    std::array<uint8_t, STATE_CELL_SIZE> cell{};
    PutF64LE(std::span<uint8_t>(cell), STATE_TIME_OFS, t);
    cell[STATE_CODE_OFS] = code;
    cell[STATE_VALUE_OFS] = state;
    const auto row = uint16_t(track);
    FStates.SetCell(std::span<const uint8_t>(cell), row, uint16_t(FStates.GetColCount(row) + 1));
  }

  void Voltages(std::span<const uint8_t> rec, double t, uint8_t code)
  {
    const auto level = [&](size_t a, size_t b) { return VoltageStateLevel(At(rec, a), At(rec, b)); };
    if (FModel == 1) {
      Add(66, t, code, level(3, 5));
      Add(67, t, code, level(4, 6));
      Add(68, t, code, level(8, 8));
    } else {
      Add(4, t, code, level(8, 8));
      Add(5, t, code, level(4, 6));
      Add(6, t, code, level(7, 7));
      Add(7, t, code, level(3, 5));
    }
  }

  void Switchgear(std::span<const uint8_t> rec, double t, uint8_t code)
  {
    for (const TSnapshotBit& s : SnapshotBits) {
      // The track comes from the model's own table: a code the model lacks feeds none.
      const int track = EvTrack(FTable, s.Code);
      if (track == 0)
        continue;
      const uint8_t v = At(rec, s.Byte);
      const int state =
          s.Breaker ? EvText::BreakerState(Bit(v, s.Bit), Bit(v, s.Bit + 1)) : int(Bit(v, s.Bit));
      Add(track, t, code, uint8_t(state));
    }
    Voltages(rec, t, code);
  }

private:
  TKivMatrix& FStates;
  std::span<const uint8_t, EVENT_KIND_TABLE_SIZE> FTable;
  int FModel;
};

}  // namespace

const TTrackEntry& Track(int track)
{
  static const std::array<TTrackEntry, TrackCount + 1> index = BuildTrackIndex();
  if (track < 1 || track > TrackCount)
    return index[0];
  return index[size_t(track)];
}

TChartSample StyleSample(int state, double time)
{
  const auto styles = StyleRows();
  const TStyleEntry& e = styles[state >= 0 && state < StyleCount ? size_t(state) : size_t(StateUnknown)];
  TChartSample s;
  s.Time = time;
  s.Color = int32_t(e.Color);
  s.PenStyle = e.PenStyle;
  s.Thickness = e.Thickness;
  return s;
}

bool TStateSample::Snapshot() const
{
  return Code == EventCode::VoltageState || Code == EventCode::SwitchgearState;
}

double SecondsOf(int64_t halfMs)
{
  if (halfMs <= 0)
    return 0;
  const int64_t ms = RoundedMs(halfMs);
  // Whole days count too: a sequence longer than a day must not wrap on the axis.
  return double(ms / 1000) + double(ms % 1000) / 1000.0;
}

double CollectStates(TEvLister& lister)
{
  TKivMatrix& states = lister.ChartStates();
  states.SetRowCount(0);
  const IEvDocument* doc = lister.Document();
  TKivMatrix& events = lister.Events();
  const int seq = lister.Sequence();
  if (doc == nullptr || seq < 1 || seq > events.RowCount())
    return 0;
  const auto row = uint16_t(seq);
  const auto table = KindTable(doc->EventKindTable());
  const int model = doc->KivType();
  const bool showAll = lister.ShowAllEvents();
  const bool sysLogic = doc->ImplementsSysLogick();
  const int n = events.GetColCount(row);

  std::optional<int64_t> first;
  int64_t last = 0;
  for (int c = 1; c <= n; ++c) {
    const auto cell = events.GetCellPtr(row, uint16_t(c));
    if (cell.empty())
      continue;
    if (!first)
      first = CellHalfMs(cell);
    last = CellHalfMs(cell);
  }
  if (!first)
    return 0;

  TCollector collect(states, table, model);
  for (int c = 1; c <= n; ++c) {
    const auto cell = events.GetCellPtr(row, uint16_t(c));
    const auto rec = RecordOf(cell);
    if (rec.empty())
      continue;
    const uint8_t code = rec[0];
    const double t = SecondsOf(CellHalfMs(cell) - *first);
    const uint8_t kind = EvKind(table, code);
    if (model == 2 && (kind == EventDecoderKind::Logic2 || kind == EventDecoderKind::Logic3) && !sysLogic)
      continue;
    const uint8_t track = EvTrack(table, code);
    if (track != 0 && (EvShow(table, code) != 0 || showAll))
      collect.Add(track, t, code, EvState(table, code));
    else if (code == EventCode::VoltageState)
      collect.Voltages(rec, t, code);
    else if (code == EventCode::SwitchgearState)
      collect.Switchgear(rec, t, code);
  }
  return SecondsOf(last - *first);
}

std::vector<TStateSample> TrackStates(TKivMatrix& states, int track)
{
  std::vector<TStateSample> out;
  if (track < 1 || track > states.RowCount())
    return out;
  const auto row = uint16_t(track);
  const int n = states.GetColCount(row);
  for (int c = 1; c <= n; ++c) {
    const auto cell = states.GetCellPtr(row, uint16_t(c));
    if (cell.size() < STATE_CELL_SIZE)
      continue;
    TStateSample s;
    s.Time = GetF64LE(cell, STATE_TIME_OFS);
    s.Code = cell[STATE_CODE_OFS];
    s.State = cell[STATE_VALUE_OFS];
    out.push_back(s);
  }
  return out;
}

std::vector<TChartSample> TwoStateBar(std::span<const TStateSample> samples, double duration)
{
  std::vector<TChartSample> out;
  if (samples.empty())
    return out;
  const TStateSample& s1 = samples.front();
  if (s1.Snapshot()) {
    out.push_back(StyleSample(s1.State, -Lead));
  } else {
    // An event is a change: before it the track was in the opposite state.
    out.push_back(StyleSample(Opposite(s1.State), -Lead));
    out.push_back(StyleSample(s1.State, s1.Time));
  }
  for (const TStateSample& s : samples.subspan(1))
    out.push_back(StyleSample(s.State, s.Time));
  HoldToEnd(out, duration);
  return out;
}

std::vector<TChartSample> BreakerBar(std::span<const TStateSample> samples, double duration)
{
  std::vector<TChartSample> out;
  if (samples.empty())
    return out;
  TSlots slots;
  size_t next = 0;
  while (next < samples.size() && !slots.Full())
    slots.Take(samples[next++]);
  const TStateSample& lastRead = samples[next - 1];
  if (lastRead.Snapshot()) {
    out.push_back(StyleSample(lastRead.State, -Lead));
  } else if (!slots.Full()) {
    out.push_back(StyleSample(StateUnknown, -Lead));
  } else {
    const TStateSample& a = *slots.A;
    const TStateSample& b = *slots.B;
    out.push_back(StyleSample(Agree(Opposite(a.State), Opposite(b.State)), -Lead));
    if (a.Time > b.Time)
      out.push_back(StyleSample(Agree(Opposite(a.State), b.State), b.Time));
    else if (b.Time > a.Time)
      out.push_back(StyleSample(Agree(a.State, Opposite(b.State)), a.Time));
    out.push_back(StyleSample(Agree(a.State, b.State), std::max(a.Time, b.Time)));
  }
  for (; next < samples.size(); ++next) {
    const TStateSample& s = samples[next];
    slots.Take(s);
    const uint8_t state = slots.Full() ? Agree(slots.A->State, slots.B->State) : StateAmbiguous;
    out.push_back(StyleSample(state, s.Time));
  }
  HoldToEnd(out, duration);
  return out;
}

bool QuietTrack(const TTrackEntry& entry, std::span<const TStateSample> samples)
{
  if (entry.Always != 0 || samples.empty() || !samples.front().Snapshot())
    return false;
  const uint8_t state = samples.front().State;
  return std::all_of(samples.begin() + 1, samples.end(),
                     [state](const TStateSample& s) { return s.State == state; });
}

std::vector<TTrace> ComputeTraces(TKivMatrix& states, double duration)
{
  std::vector<TTrace> traces;
  for (int p = 1; p <= TrackCount; ++p) {
    const std::vector<TStateSample> samples = TrackStates(states, p);
    if (samples.empty())
      continue;
    const TTrackEntry& entry = Track(p);
    TTrace trace;
    trace.Track = p;
    trace.Caption = std::string(entry.Caption);
    if (!QuietTrack(entry, samples)) {
      if (entry.Drawing == DrawBreaker)
        trace.Samples = BreakerBar(samples, duration);
      else if (entry.Drawing < DrawBreaker)
        trace.Samples = TwoStateBar(samples, duration);
    }
    traces.push_back(std::move(trace));
  }
  return traces;
}

void WriteTraces(TGraphModel& model, std::span<const TTrace> traces)
{
  for (const TTrace& t : traces) {
    const int number = model.TraceCount() + 1;
    for (const TChartSample& s : t.Samples)
      model.AddSample(s, uint16_t(number));
    model.SetTraceCaption(number, t.Caption);
  }
}

void BuildEventChart(TEvLister& lister, IEvChart& chart)
{
  const double duration = CollectStates(lister);
  if (TGraphModel* model = chart.GraphModel())
    WriteTraces(*model, ComputeTraces(lister.ChartStates(), duration));
}

std::string LegendCaption(int state)
{
  if (state >= 0 && state <= 2)
    return "Stany wyłączników:   "_cp + EvText::StateText(state);
  if (state == 3)
    return EvText::StateText(state);
  return "Progi napięć:   "_cp + EvText::StateText(state);
}

void FillLegend(TGraphModel& model)
{
  for (int i = 0; i < StyleCount; ++i) {
    const auto trace = uint16_t(i + 1);
    model.AddSample(StyleSample(i, 0), trace);
    model.AddSample(StyleSample(i, 10.0), trace);
    model.SetTraceCaption(trace, LegendCaption(i));
  }
  model.SetPrintTitle("Legenda");
}

}  // namespace EvChart

void TEvLister::DrawLegend()
{
  if (FGraph == nullptr)
    return;
  FGraph->BeginUpdate();
  FGraph->Clear();
  if (TGraphModel* model = FGraph->GraphModel())
    EvChart::FillLegend(*model);
  FGraph->EndUpdate();
}
