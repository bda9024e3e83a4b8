// TEvLister: the controller's event register as sequences, list lines and listing text.
//
// The register is stored newest record first. A walk copies its records into row 1 of
// `Events`; the cut then reads that row from the last clock record towards the newest
// record, stamps every event with an absolute time and puts each clock record's events into
// a row of its own (sequence n is row n). Selecting a sequence writes its events as text
// lines (normal or bold) to a line sink: the text control or the printer.
//
// The lister reads the document through `IEvDocument`, which the controller object answers
// (`SetDevice`); tests and tools answer it from plain bytes. The list box, the text control,
// the printer and the chart are interfaces too, so nothing here needs Qt.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charts/Ogmarr32.h"

class TKiv;
class TGraphModel;

// What the lister reads of a document. Bytes and texts are as stored (Windows-1250).
class IEvDocument {
public:
  virtual ~IEvDocument() = default;
  // The register bytes, already limited to the register field; empty without an image.
  virtual std::span<const uint8_t> EvRegister() const = 0;
  // The six read options: 0 slave, 1 set 1, 2 set 2, 3 register, 4 correct I/O times,
  // 5 show all events.
  virtual std::array<uint8_t, 6> ReadOptions() const = 0;
  // 1 model 1 (Kivs2), 2 model 2 (Kivs3), 0 unknown.
  virtual int KivType() const = 0;
  // The document's copy of its model's event-kind table (256 entries of 157 bytes).
  virtual std::span<const uint8_t> EventKindTable() const = 0;
  // Signed milliseconds of time correction kind 1 DI, 2 DO, 3 AI; 0 for any other kind.
  virtual int Correction(int kind) const = 0;
  virtual bool ImplementsSysLogick() const = 0;
  virtual bool UseStnBelch() const = 0;
};

// Font style of a listing line.
enum class TEvFontStyle : uint8_t { Normal, Bold };

// The sequence list box.
class IEvListSink {
public:
  virtual ~IEvListSink() = default;
  virtual void Clear() = 0;
  virtual void AddLine(std::string_view line) = 0;
  virtual int Count() const = 0;
  virtual void SetMultiSelect(bool on) = 0;
  // Selects line `index` (0-based) alone.
  virtual void SelectOnly(int index) = 0;
  // Runs the list's click handler, as a click on the selected line would.
  virtual void Click() = 0;
};

// The event text control.
class IEvTextSink {
public:
  virtual ~IEvTextSink() = default;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  virtual void AddLine(std::string_view line, TEvFontStyle style) = 0;
  virtual void CaretToStart() = 0;
};

// The printer, one job per printed sequence.
class IEvPrintSink {
public:
  virtual ~IEvPrintSink() = default;
  // Starts a job; false when no job could be started (nothing is printed then).
  virtual bool BeginJob(std::string_view title) = 0;
  virtual bool Aborted() const = 0;
  virtual void PrintLine(std::string_view line, TEvFontStyle style) = 0;
  virtual void EndJob() = 0;
};

// The state chart of the selected sequence. The lister clears it and hands it the selected
// sequence; how the sequence becomes traces belongs to the chart builder.
class IEvChart {
public:
  virtual ~IEvChart() = default;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  // The chart's traces, for the builder; none for a chart that only counts calls.
  virtual TGraphModel* GraphModel() { return nullptr; }
};

// The time chart's model as the lister's chart.
class TEvGraphChart : public IEvChart {
public:
  explicit TEvGraphChart(TGraphModel& model) : FModel(model) {}
  void BeginUpdate() override;
  void EndUpdate() override;
  void Clear() override;
  TGraphModel* GraphModel() override { return &FModel; }

private:
  TGraphModel& FModel;
};

// Kind of a sequence.
enum class TEvSequenceKind : uint8_t { None = 0, Plain = 1, Restart = 2, Unknown = 3 };

struct TEvSequenceInfo {
  TEvSequenceKind Kind = TEvSequenceKind::Unknown;
  double StartTime = 0;     // earliest event time, days since 1899-12-30
  double EndTime = 0;       // latest event time
  int64_t StartHalfMs = 0;  // the same start, exactly, in half milliseconds
  int64_t EndHalfMs = 0;
};

class TEvLister;
// Fills a cleared chart from the lister's selected sequence.
using TEvChartBuilder = std::function<void(TEvLister&, IEvChart&)>;

// A line of listing text as the decoders hand it on.
using TEvLineFn = std::function<void(std::string_view line, TEvFontStyle style)>;

class TEvLister {
public:
  // Half milliseconds per day: event times are kept as exact counts of these.
  static constexpr int64_t HalfMsPerDay = 172'800'000;
  // Size of the register field of a document image.
  static constexpr size_t MaxRegisterBytes = 15360;

  TEvLister();
  ~TEvLister();
  TEvLister(const TEvLister&) = delete;
  TEvLister& operator=(const TEvLister&) = delete;

  void SetListBox(IEvListSink* list) { FListBox = list; }
  void SetRichEdit(IEvTextSink* text) { FRichEdit = text; }
  // The chart and what fills it (the event charts: EvChart::BuildEventChart in
  // app/events/ListerChart.h). Without a builder the chart is only cleared.
  void SetGraph(IEvChart* chart, TEvChartBuilder builder)
  {
    FGraph = chart;
    ChartBuilder = std::move(builder);
  }
  void SetGraph(IEvChart* chart) { FGraph = chart; }
  void SetPrinter(IEvPrintSink* printer) { FPrinter = printer; }
  // Reads the document through the controller object.
  void SetDevice(TKiv* kiv);
  // Reads the document through any answerer (tests, tools); not owned.
  void SetDocument(const IEvDocument* doc);

  // Rebuilds sequences, list lines and infos from the document.
  void RefreshSequences();
  // Selects sequence n (1-based) and rebuilds its text and chart.
  void SetSequence(int n);
  int Sequence() const { return FSequence; }
  // Hex listing of the whole register into the text control.
  void ShowRawRegister();
  bool ShowAllEvents() const;
  // First column after `after` in row `row` of `Events` whose record code is `code`;
  // 0 when none or when the row or `after` is out of range.
  int FindCode(uint8_t code, int row, int after) const;
  int32_t FirstUndefined() const { return FFirstUndefined; }

  // The selected sequence's text into the text control.
  void ShowSequenceText();
  // Prints sequence n: its list line, then its listing.
  void PrintSequence(int n);
  // Every event of the selected sequence, decoded, into `sink`.
  void ForEachEvent(const TEvLineFn& sink);
  // Clears `ChartStates` and the chart, then lets the chart builder fill it.
  void BuildChart();
  // Fills the cleared chart, inside its update bracket; none until the caller gives one.
  TEvChartBuilder ChartBuilder;
  // The legend of the chart's state styles in place of the sequence's chart.
  void DrawLegend();

  // Info of sequence n; a number without a record reads as kind Unknown with zero times.
  TEvSequenceInfo SequenceInfo(int n) const;
  int SequenceCount() const { return int(FListLines.size()); }
  const std::vector<std::string>& ListLines() const { return FListLines; }

  TKivMatrix& Events() { return *FEvents; }
  const TKivMatrix& Events() const { return *FEvents; }
  TKivMatrix& ChartStates() { return *FChartStates; }
  const IEvDocument* Document() const { return FDoc; }

  std::string PrintTitle;

  // Walks the register into row `row` of `Events` (rows from `row` on are dropped first).
  void ParseRegister(int row);
  // Walk and cut; fills the list lines and infos.
  void SplitSequences();

private:
  struct TDecodePass;
  void CloseSequence(int row, int64_t earliest, int64_t latest);
  void DecodeEvent(std::span<const uint8_t> cell, int col, int count, int64_t relHalfMs, TDecodePass& pass,
                   const TEvLineFn& sink) const;

  std::unique_ptr<TKivMatrix> FChartStates;
  std::unique_ptr<TKivMatrix> FEvents;
  std::vector<TEvSequenceInfo> FInfos;  // index n - 1
  std::vector<std::string> FListLines;
  int FSequence = 0;
  int32_t FFirstUndefined = -1;
  IEvListSink* FListBox = nullptr;
  IEvTextSink* FRichEdit = nullptr;
  IEvChart* FGraph = nullptr;
  IEvPrintSink* FPrinter = nullptr;
  const IEvDocument* FDoc = nullptr;
  std::unique_ptr<IEvDocument> FDeviceDoc;  // answers for an attached TKiv
};

// The whole register as text: every list line, then the lines of every sequence in turn,
// bold lines marked by "* " in front (Windows-1250). Refreshes the lister first.
std::vector<std::string> EvWholeListing(TEvLister& lister);

// Texts the decoders share with the chart legend.
namespace EvText {
// Breaker state from the closed and open contact bits: a when they differ, else 2.
int BreakerState(bool closedBit, bool openBit);
// State texts 0..8 ("WYŁĄCZONY" ... "U>Ur"), "?" for any other.
std::string StateText(int state);
// Relative seconds of a non-negative or negative difference in half milliseconds:
// total seconds with three decimals (milliseconds rounded half to even), "0,000" when <= 0.
std::string RelativeSeconds(int64_t halfMs);
// Date and time of an exact count as the list line shows them: the date in the short date
// format, the time in the long time format, and the milliseconds (rounded half to even).
std::string ListDateTime(int64_t halfMs);
}  // namespace EvText
