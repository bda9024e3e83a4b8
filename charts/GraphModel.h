#pragma once
// The time chart without a toolkit: the sample records, the trace and attribute matrices, the
// properties with their setters, the plot geometry, the selection and the cursor arithmetic.
// The Qt widget (charts/ui/Graph.h) shows what this computes and forwards what the user does;
// everything that decides a number lives here so it can be tested without a display.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "charts/Extgraph.h"
#include "charts/Ogmarr32.h"

// One sample of a trace: 24 bytes little-endian, the cell type of the trace matrix.
struct TChartSample {
  double Time = 0;                    // in the chart's X units
  std::array<uint8_t, 8> Producer{};  // bytes 8..15, kept for whoever wrote the sample
  int32_t Color = 0;                  // COLORREF $00BBGGRR of the bar from here to the next
  uint8_t PenStyle = 0;               // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 clear
  uint8_t Thickness = 0;              // tenths of a millimetre
  std::array<uint8_t, 2> Tail{};      // bytes 22..23, not read by the chart
};

inline constexpr uint16_t CHART_SAMPLE_SIZE = 24;
inline constexpr size_t SAMPLE_TIME_OFS = 0;
inline constexpr size_t SAMPLE_PRODUCER_OFS = 8;
inline constexpr size_t SAMPLE_COLOR_OFS = 16;
inline constexpr size_t SAMPLE_STYLE_OFS = 20;
inline constexpr size_t SAMPLE_THICKNESS_OFS = 21;
inline constexpr size_t SAMPLE_TAIL_OFS = 22;

std::array<uint8_t, CHART_SAMPLE_SIZE> EncodeSample(const TChartSample& S);
// False (and S untouched) when the cell is shorter than a sample record.
[[nodiscard]] bool DecodeSample(std::span<const uint8_t> Cell, TChartSample& S);

// Cells of a trace's row in the attribute matrix.
inline constexpr uint16_t ATTR_CAPTION = 1;
inline constexpr uint16_t ATTR_BAND_FLAG = 4;
inline constexpr uint16_t ATTR_SELECTED = 5;
inline constexpr uint16_t ATTR_BAND_RECT = 6;
// A caption passes through a 256-byte buffer with its terminating zero.
inline constexpr size_t MAX_CAPTION_LEN = 255;

// Colours as the stored integers: COLORREF $00BBGGRR; $FF0000nn is system colour nn.
using TColorRef = uint32_t;
inline constexpr TColorRef CLR_BLACK = 0x000000;
inline constexpr TColorRef CLR_WHITE = 0xFFFFFF;
inline constexpr TColorRef CLR_BTNFACE = 0xFF00000F;
inline constexpr TColorRef CLR_HIGHLIGHT = 0xFF00000D;

enum class TPenStyle : uint8_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Clear = 5 };
// Unknown style bytes draw nothing rather than guessing a pattern.
TPenStyle PenStyleFromByte(uint8_t B);

// GDI rectangles: right and bottom lie outside.
struct TGraphRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int32_t X, int32_t Y) const { return X >= Left && X < Right && Y >= Top && Y < Bottom; }
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TGraphRect&) const = default;
};
inline constexpr TGraphRect EMPTY_BAND_RECT{-1, -1, -1, -1};

// What the panel tells the metrics step.
struct TPanelLayout {
  int Width = 0, Height = 0;
  int Bevel = 1;
  int ReadoutLabelHeight = 0;  // height of the x1 read-out label
  int TextHeight = 0;          // height of "A" in the chart's font
  int VScrollWidth = 0;
  int HScrollHeight = 0;
};
inline constexpr int MARKER_WIDTH = 10;
TGraphRect ComputePlotRect(const TPanelLayout& P);

// Rounds a pixel length computed in extended precision to a 64-bit integer, ties to even.
// NaN gives 0 and a value beyond +-2^62 is held there: a position that large is clipped anyway.
int64_t PixelRound(long double V);

// The printed page as the chart lays it out, in millimetres (the printer's sizes replace the
// width, height and orientation when a printer is known).
struct TPageSetup {
  int Width = 210;
  int Height = 297;
  int LeftMargin = 15;
  int RightMargin = 15;
  int TopMargin = 25;
  int BottomMargin = 20;
  bool Landscape = false;
};

// The widget's side of the model: repaint, re-read the screen, move the cursors, follow the
// scroll ranges. Every call is optional for tests (a null view ignores them).
class IGraphView {
public:
  virtual ~IGraphView() = default;
  virtual void ReadMetrics() = 0;
  virtual void Redraw() = 0;
  virtual void LayoutCursors() = 0;
  virtual void ScrollRangesChanged() = 0;
};

class TGraphModel {
public:
  TGraphModel();
  virtual ~TGraphModel() = default;
  TGraphModel(const TGraphModel&) = delete;
  TGraphModel& operator=(const TGraphModel&) = delete;

  void SetView(IGraphView* View) { FView = View; }

  TOgmMatrix& Traces() { return FTraces; }
  TOgmMatrix& TraceAttrs() { return FTraceAttrs; }
  uint16_t TraceCount() { return FTraces.RowCount(); }

  // Appends a sample to the trace (rows appear as needed) and widens the data range.
  virtual void AddSample(const TChartSample& Sample, uint16_t Trace);
  uint16_t SampleCount(uint16_t Trace) { return FTraces.GetColCount(Trace); }
  // False for a bad index or a short cell.
  [[nodiscard]] bool GetSample(uint16_t Trace, uint16_t Index, TChartSample& S) const;
  double SampleTime(uint16_t Trace, uint16_t Index) const;

  void SetTraceCaption(int Trace, std::string_view Caption);
  // "N. caption", or "Wykres N" for a trace without a caption.
  std::string TraceCaptionText(uint16_t Trace) const;
  void SetBandFlag(uint16_t Trace, bool Visible);
  // The band height in pixels at the given vertical resolution; 0 for a trace without
  // samples or with band flag 0.
  int64_t TraceBandPixels(uint16_t Trace, int PpiY);
  // Whether the trace's band flag lets it take room (absent counts as visible).
  bool BandFlag(uint16_t Trace) const;

  void Clear();
  void BeginUpdate() { FUpdateLock = true; }
  void EndUpdate();
  bool UpdateLock() const { return FUpdateLock; }
  void SetUpdateLock(bool V) { FUpdateLock = V; }

  // Properties.
  double DataMinRange() const { return FDataMinRange; }
  double DataMaxRange() const { return FDataMaxRange; }
  void SetDataMinRange(double V);
  void SetDataMaxRange(double V);
  TIntervalTimeType DataTimeType() const { return FDataTimeType; }
  void SetDataTimeType(TIntervalTimeType V);
  uint16_t DataTimeInterval() const { return FDataTimeInterval; }
  void SetDataTimeInterval(uint16_t V);
  TColorRef DataBackGround() const { return FDataBackGround; }
  void SetDataBackGround(TColorRef V);
  int32_t ScaleX() const { return FScaleX; }
  void SetScaleX(int32_t V);
  bool Autoscale() const { return FAutoscale; }
  void SetAutoscale(bool V);
  double dXPerDiv() const { return FdXPerDiv; }
  void SetdXPerDiv(double V) { FdXPerDiv = V; }
  uint16_t dXLen() const { return FdXLen; }
  void SetdXLen(uint16_t V) { FdXLen = V; }
  uint16_t MinorGridCnt() const { return FMinorGridCnt; }
  void SetMinorGridCnt(uint16_t V) { FMinorGridCnt = V; }
  uint16_t BandHeight() const { return FBandHeight; }
  void SetBandHeight(uint16_t V) { FBandHeight = V; }
  long double ScaleHeight() const { return FScaleHeight; }
  void SetScaleHeight(long double V) { FScaleHeight = V; }
  long double MajorGridWidth() const { return FMajorGridWidth; }
  void SetMajorGridWidth(long double V) { FMajorGridWidth = V; }
  long double MinorGridWidth() const { return FMinorGridWidth; }
  void SetMinorGridWidth(long double V) { FMinorGridWidth = V; }
  TColorRef MajorGridColor() const { return FMajorGridColor; }
  void SetMajorGridColor(TColorRef V) { FMajorGridColor = V; }
  TColorRef MinorGridColor() const { return FMinorGridColor; }
  void SetMinorGridColor(TColorRef V) { FMinorGridColor = V; }
  TPenStyle MajorGridStyle() const { return FMajorGridStyle; }
  void SetMajorGridStyle(TPenStyle V) { FMajorGridStyle = V; }
  TPenStyle MinorGridStyle() const { return FMinorGridStyle; }
  void SetMinorGridStyle(TPenStyle V) { FMinorGridStyle = V; }
  bool ShowMajorGrid() const { return FShowMajorGrid; }
  void SetShowMajorGrid(bool V) { FShowMajorGrid = V; }
  bool ShowMinorGrid() const { return FShowMinorGrid; }
  void SetShowMinorGrid(bool V) { FShowMinorGrid = V; }
  bool CopyRangeAll() const { return FCopyRangeAll; }
  void SetCopyRangeAll(bool V) { FCopyRangeAll = V; }
  TPageSetup& PageSetup() { return FPageSetup; }
  const TPageSetup& PageSetup() const { return FPageSetup; }
  const std::string& PrintTitle() const { return FPrintTitle; }
  void SetPrintTitle(std::string V) { FPrintTitle = std::move(V); }

  // "[s]", "[min]", "[h]", "[day]" or nothing, by the time type and interval.
  std::string AxisUnitText() const;

  // Geometry. The metrics step stores the resolutions, the text height and the plot rectangle.
  void SetScreenMetrics(int PpiX, int PpiY, int TextHeight, const TGraphRect& Plot);
  int PpiX() const { return FPpiX; }
  int PpiY() const { return FPpiY; }
  int TextHeight() const { return FTextHeight; }
  const TGraphRect& PlotRect() const { return FPlotRect; }
  // The major division at the current zoom, in mm.
  long double DivLengthMm() const;
  // True when a zoom, division or resolution of 0 leaves nothing to measure with.
  bool Degenerate() const;
  // The chart value at a panel x; DataMinRange when there is nothing to measure with.
  double ValueAtX(int64_t X) const;
  int32_t FittingScaleX() const;

  // The horizontal scroll bar counts minor steps from DataMinRange; the vertical one the
  // first trace shown.
  int32_t HScrollPos() const { return FHScrollPos; }
  void SetHScrollPos(int32_t V) { FHScrollPos = V; }
  int32_t HScrollMax() const { return FHScrollMax; }
  int32_t HScrollLarge() const { return FHScrollLarge; }
  int32_t VScrollPos() const { return FVScrollPos; }
  void SetVScrollPos(int32_t V) { FVScrollPos = V; }

  // Band rectangles as last drawn on the panel, for hit testing and the selection marks.
  void ResetBandRects();
  void StoreBandRect(uint16_t Trace, const TGraphRect& R);
  // False when the trace has no rectangle stored.
  [[nodiscard]] bool BandRect(uint16_t Trace, TGraphRect& R) const;

  // Selection.
  void SelectTrace(uint16_t Trace, uint8_t Mark);
  bool TraceSelected(uint16_t Trace) const;
  uint16_t SelectedCount() const;
  void SetAllSelectedMarks(bool Value);
  // The trace whose stored band rectangle holds the point, 0 for none or outside the plot.
  uint16_t HitTest(int32_t X, int32_t Y) const;

  // The mouse rules on the chart. Each returns true when the marks need drawing again;
  // TakeFocus tells the widget to take the focus.
  struct TMouseResult {
    bool DrawMarks = false;
    bool TakeFocus = false;
    bool SetFocused = false;
  };
  TMouseResult MouseDown(int32_t X, int32_t Y, bool Shift, bool Ctrl);
  TMouseResult MouseMoveHeld(int32_t X, int32_t Y);
  uint16_t Anchor() const { return FAnchor; }
  uint16_t LastHovered() const { return FLastHovered; }

  // Runs the view's hooks only when a view is set.
  void NotifyRedraw();
  void NotifyLayoutCursors();

private:
  void ApplyScrollRanges();
  void StoreAttrByte(uint16_t Trace, uint16_t Cell, uint8_t B);
  uint8_t AttrByte(uint16_t Trace, uint16_t Cell) const;
  void MarkRange(uint16_t A, uint16_t B);

  IGraphView* FView = nullptr;
  TOgmMatrix FTraces;
  TOgmMatrix FTraceAttrs;

  double FDataMinRange = 0;
  double FDataMaxRange = 0;
  TIntervalTimeType FDataTimeType = TIntervalTimeType::Seconds;
  uint16_t FDataTimeInterval = 1;
  TColorRef FDataBackGround = CLR_WHITE;
  int32_t FScaleX = 100;
  bool FAutoscale = true;
  double FdXPerDiv = 1.0;
  uint16_t FdXLen = 10;
  uint16_t FMinorGridCnt = 4;
  uint16_t FBandHeight = 7;
  long double FScaleHeight = 10.0L;
  long double FMajorGridWidth = 0.2L;
  long double FMinorGridWidth = 0.1L;
  TColorRef FMajorGridColor = 0xFF0000;
  TColorRef FMinorGridColor = 0xFF0000;
  TPenStyle FMajorGridStyle = TPenStyle::Solid;
  TPenStyle FMinorGridStyle = TPenStyle::DashDot;
  bool FShowMajorGrid = false;
  bool FShowMinorGrid = false;
  bool FCopyRangeAll = true;
  std::string FPrintTitle;
  TPageSetup FPageSetup;
  bool FUpdateLock = false;

  int FPpiX = 0;
  int FPpiY = 0;
  int FTextHeight = 0;
  TGraphRect FPlotRect;

  int32_t FHScrollPos = 0;
  int32_t FHScrollMax = 1000;
  int32_t FHScrollLarge = 100;
  int32_t FVScrollPos = 0;

  uint16_t FAnchor = 0;
  uint16_t FLastHovered = 0;
};

// Cursor arithmetic of TMarker, kept here so the widget only moves windows.
struct TMarkerTrack {
  TGraphRect Track;
  long double Min = 0, Max = 0;
};
// The cursor's x on the parent for a value; nullopt when Min = Max (the cursor stays put).
std::optional<int64_t> MarkerXForValue(const TMarkerTrack& T, long double Value);
// The cursor window's left for an x of the parent.
int64_t MarkerLeftForX(const TMarkerTrack& T, int64_t X, int MarkerWidth);
// The value at an x of the parent, with x first held within a track width either side of the
// track; nullopt when the track has no width.
std::optional<long double> MarkerValueAtX(const TMarkerTrack& T, int64_t X);

// A cursor read-out: fixed text with precision 7 and 3 decimals in the user's settings.
std::string CursorReadoutText(long double Value);
