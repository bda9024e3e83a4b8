// The event lister's timing diagrams: a sequence's events become one bar per chart track
// (breakers, voltages, signals, relays, commands) whose colour, pen and thickness follow the
// track's state; and the legend of those styles.
//
// Everything here is data: the states collected from the sequence (`TEvLister::ChartStates`,
// one row per track), the traces computed from them as chart samples, and a writer that hands
// the traces to the time chart's model. The chart widget only draws what it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charts/GraphModel.h"

class TEvLister;
class IEvChart;
class TKivMatrix;

namespace EvChart {

constexpr int TrackCount = 171;
constexpr int StyleCount = 9;
constexpr size_t CaptionMax = 50;

// States of the style table.
constexpr uint8_t StateOff = 0;
constexpr uint8_t StateOn = 1;
constexpr uint8_t StateAmbiguous = 2;
constexpr uint8_t StateUnknown = 3;

// Drawing kinds of a track.
constexpr uint8_t DrawNone = 0;
constexpr uint8_t DrawTwoState = 1;
constexpr uint8_t DrawBreaker = 2;

// One entry of the track table; tracks without text are all zero.
struct TTrackEntry {
  uint8_t Track = 0;
  uint8_t Always = 0;        // 1: drawn whenever the track has samples
  uint8_t Drawing = 0;       // DrawTwoState, DrawBreaker; DrawNone for an empty entry
  std::string_view Caption;  // Windows-1250
};

// One entry of the style table, indexed by state value.
struct TStyleEntry {
  uint8_t State = 0;
  TColorRef Color = 0;
  uint8_t PenStyle = 0;
  uint8_t Thickness = 0;    // tenths of a millimetre
  std::string_view Legend;  // Windows-1250
};

// The 146 track entries with text, in track order, and the 9 styles (generated tables).
std::span<const TTrackEntry> TrackRows();
std::span<const TStyleEntry> StyleRows();
// The entry of track 1..171, indexed by track number; an empty entry for any other number
// and for tracks without text.
const TTrackEntry& Track(int track);
// A chart sample in the style of a state at a time. A state beyond the table (only a patched
// event table can give one) is drawn as unknown.
TChartSample StyleSample(int state, double time);

// A sample collected for a track: cell of `TEvLister::ChartStates`.
struct TStateSample {
  double Time = 0;   // seconds since the sequence's first event
  uint8_t Code = 0;  // the record's code
  uint8_t State = 0;
  // Voltage-state and switchgear-state records are snapshots of the whole station.
  bool Snapshot() const;
};
// Cell layout: time (double, LE), code, state.
constexpr size_t STATE_TIME_OFS = 0;
constexpr size_t STATE_CODE_OFS = 8;
constexpr size_t STATE_VALUE_OFS = 9;
constexpr size_t STATE_CELL_SIZE = 10;

// Seconds of an exact difference in half milliseconds: whole days, hours, minutes, seconds
// and rounded milliseconds; 0 for a difference that is not positive.
double SecondsOf(int64_t halfMs);

// Fills `ChartStates` (one row per track, rows 1..171) from the lister's selected sequence
// and gives the sequence's duration in seconds; empties it when nothing is selected.
double CollectStates(TEvLister& lister);
// The samples of one track as collected.
std::vector<TStateSample> TrackStates(TKivMatrix& states, int track);

// The two rules of a track's bar, and the quiet-track rule. `duration` is the sequence's.
std::vector<TChartSample> TwoStateBar(std::span<const TStateSample> samples, double duration);
std::vector<TChartSample> BreakerBar(std::span<const TStateSample> samples, double duration);
// True when a track that is not always drawn only repeats the state its opening snapshot gave.
bool QuietTrack(const TTrackEntry& entry, std::span<const TStateSample> samples);

// A trace as it goes to the chart: the track it shows, its caption and its bar. A passed-over
// track (quiet, or of a kind that draws nothing) comes with no samples: its caption is set on
// the next trace number, which the next drawn track then takes.
struct TTrace {
  int Track = 0;
  std::string Caption;
  std::vector<TChartSample> Samples;
};
std::vector<TTrace> ComputeTraces(TKivMatrix& states, double duration);
// Hands traces to the chart: each on the chart's next trace number.
void WriteTraces(TGraphModel& model, std::span<const TTrace> traces);

// The chart builder of `TEvLister::BuildChart`: collects the states and draws the traces.
void BuildEventChart(TEvLister& lister, IEvChart& chart);

// The legend into a cleared chart: nine traces of two samples (0 and 10.0), one per style,
// and the print title "Legenda". `TEvLister::DrawLegend` brackets and clears around it.
void FillLegend(TGraphModel& model);
std::string LegendCaption(int state);

}  // namespace EvChart
