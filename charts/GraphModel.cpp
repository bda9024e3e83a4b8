#include "charts/GraphModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {

constexpr long double PIXEL_LIMIT = 4611686018427387904.0L;  // 2^62

int32_t ClampToInt32(int64_t V)
{
  return static_cast<int32_t>(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The setters' range messages: one OK button and the caption the chart has always used.
void OverRangeMessage(std::string_view Text, std::string_view Caption)
{
  Prompts().Confirm(std::string(Text), std::string(Caption), TPromptButtons::Ok, TPromptKind::Warning);
}

}  // namespace

std::array<uint8_t, CHART_SAMPLE_SIZE> EncodeSample(const TChartSample& S)
{
  std::array<uint8_t, CHART_SAMPLE_SIZE> B{};
  std::span<uint8_t> Out(B);
  PutF64LE(Out, SAMPLE_TIME_OFS, S.Time);
  std::copy(S.Producer.begin(), S.Producer.end(), B.begin() + SAMPLE_PRODUCER_OFS);
  PutU32LE(Out, SAMPLE_COLOR_OFS, static_cast<uint32_t>(S.Color));
  B[SAMPLE_STYLE_OFS] = S.PenStyle;
  B[SAMPLE_THICKNESS_OFS] = S.Thickness;
  std::copy(S.Tail.begin(), S.Tail.end(), B.begin() + SAMPLE_TAIL_OFS);
  return B;
}

bool DecodeSample(std::span<const uint8_t> Cell, TChartSample& S)
{
  if (Cell.size() < CHART_SAMPLE_SIZE)
    return false;
  S.Time = GetF64LE(Cell, SAMPLE_TIME_OFS);
  std::copy_n(Cell.begin() + SAMPLE_PRODUCER_OFS, S.Producer.size(), S.Producer.begin());
  S.Color = static_cast<int32_t>(GetU32LE(Cell, SAMPLE_COLOR_OFS));
  S.PenStyle = Cell[SAMPLE_STYLE_OFS];
  S.Thickness = Cell[SAMPLE_THICKNESS_OFS];
  std::copy_n(Cell.begin() + SAMPLE_TAIL_OFS, S.Tail.size(), S.Tail.begin());
  return true;
}

TPenStyle PenStyleFromByte(uint8_t B) { return B <= 5 ? static_cast<TPenStyle>(B) : TPenStyle::Clear; }

int64_t PixelRound(long double V)
{
  if (std::isnan(V))
    return 0;
  V = std::clamp(V, -PIXEL_LIMIT, PIXEL_LIMIT);
  // Ties to even, as the runtime's rounding does.
  return static_cast<int64_t>(std::rint(V));
}

TGraphRect ComputePlotRect(const TPanelLayout& P)
{
  TGraphRect R;
  R.Left = (3 * MARKER_WIDTH) / 2 + P.Bevel;
  R.Top = (5 * P.ReadoutLabelHeight) / 4;
  R.Right = P.Width - P.Bevel - P.VScrollWidth - (3 * MARKER_WIDTH) / 2;
  R.Bottom = P.Height - 2 * P.TextHeight - P.Bevel - P.HScrollHeight;
  return R;
}

TGraphModel::TGraphModel() = default;

void TGraphModel::NotifyRedraw()
{
  if (FView && !FUpdateLock)
    FView->Redraw();
}

void TGraphModel::NotifyLayoutCursors()
{
  if (FView)
    FView->LayoutCursors();
}

void TGraphModel::AddSample(const TChartSample& Sample, uint16_t Trace)
{
  const auto Bytes = EncodeSample(Sample);
  FTraces.SetCell(std::span<const uint8_t>(Bytes), Trace,
                  static_cast<uint16_t>(FTraces.GetColCount(Trace) + 1));
  // A sample the matrix refused (trace 0, a full row) must not move the range either.
  if (!FTraces.LastError().empty())
    return;
  const double T = Sample.Time;
  if (T > FDataMaxRange || T < FDataMinRange) {
    FDataMaxRange = std::max(T, FDataMaxRange);
    FDataMinRange = std::min(T, FDataMinRange);
    if (!FUpdateLock)
      SetScaleX(FScaleX);
  }
  NotifyRedraw();
}

bool TGraphModel::GetSample(uint16_t Trace, uint16_t Index, TChartSample& S) const
{
  return DecodeSample(FTraces.GetCellPtr(Trace, Index), S);
}

double TGraphModel::SampleTime(uint16_t Trace, uint16_t Index) const
{
  const auto Cell = FTraces.GetCellPtr(Trace, Index);
  return Cell.size() >= CHART_SAMPLE_SIZE ? GetF64LE(Cell, SAMPLE_TIME_OFS) : 0.0;
}

void TGraphModel::SetTraceCaption(int Trace, std::string_view Caption)
{
  if (Trace < 1 || Trace > std::numeric_limits<uint16_t>::max())
    return;
  // The caption travels through a 256-byte buffer with its zero: longer texts are cut.
  std::string Bytes(Caption.substr(0, MAX_CAPTION_LEN));
  Bytes.push_back('\0');
  FTraceAttrs.SetCell(Bytes, static_cast<uint16_t>(Trace), ATTR_CAPTION);
}

std::string TGraphModel::TraceCaptionText(uint16_t Trace) const
{
  const auto Cell = FTraceAttrs.GetCellPtr(Trace, ATTR_CAPTION);
  if (!Cell.empty()) {
    std::string Text(Cell.begin(), Cell.end());
    Text.resize(std::min(Text.size(), Text.find('\0')));
    return IntToStr(Trace) + ". " + Text;
  }
  return "Wykres " + IntToStr(Trace);
}

void TGraphModel::SetBandFlag(uint16_t Trace, bool Visible)
{
  if (Trace == 0)
    return;
  StoreAttrByte(Trace, ATTR_BAND_FLAG, Visible ? 1 : 0);
}

bool TGraphModel::BandFlag(uint16_t Trace) const
{
  const auto Cell = FTraceAttrs.GetCellPtr(Trace, ATTR_BAND_FLAG);
  return Cell.empty() || Cell[0] != 0;
}

int64_t TGraphModel::TraceBandPixels(uint16_t Trace, int PpiY)
{
  if (FTraces.GetColCount(Trace) == 0 || !BandFlag(Trace))
    return 0;
  return PixelRound(MmToPixels(PpiY, FBandHeight));
}

void TGraphModel::Clear()
{
  FTraceAttrs.SetRowCount(0);
  FTraces.SetRowCount(0);
  FDataMinRange = 0;
  FDataMaxRange = 0;
  // An anchor left from the old traces would make the next Shift-click select from a trace
  // the user never clicked.
  FAnchor = 0;
  FLastHovered = 0;
  NotifyRedraw();
}

void TGraphModel::EndUpdate()
{
  FUpdateLock = false;
  if (FView)
    FView->ReadMetrics();
  NotifyLayoutCursors();
  if (FAutoscale)
    FScaleX = FittingScaleX();
  SetScaleX(FScaleX);
  NotifyRedraw();
}

void TGraphModel::SetDataMinRange(double V)
{
  if (V != FDataMinRange && V < FDataMaxRange) {
    FDataMinRange = V;
    NotifyRedraw();
  }
}

void TGraphModel::SetDataMaxRange(double V)
{
  if (V != FDataMaxRange && V - FDataMinRange > 9) {
    FDataMaxRange = V;
    NotifyRedraw();
  }
}

void TGraphModel::SetDataTimeInterval(uint16_t V)
{
  switch (FDataTimeType) {
  case TIntervalTimeType::None:
    break;
  case TIntervalTimeType::mSeconds:
    if (V > 1000) {
      OverRangeMessage("Maximum value is 1000 when MSeconds selected.", "OverRange.");
      V = 1000;
    }
    if (V < 100)
      OverRangeMessage("Minimum value of 100 when MSeconds selected is recommended for accuracy.",
                       "Over Range.");
    break;
  case TIntervalTimeType::Seconds:
    if (V > 60) {
      OverRangeMessage("Maximum value is 60 when Seconds selected.", "OverRange.");
      V = 60;
    }
    break;
  case TIntervalTimeType::Minutes:
    if (V > 60) {
      OverRangeMessage("Maximum value is 60 when Minutes selected.", "OverRange.");
      V = 60;
    }
    break;
  case TIntervalTimeType::Hours:
    if (V > 24) {
      OverRangeMessage("Maximum value is 24 when Hours selected.", "OverRange.");
      V = 24;
    }
    break;
  }
  FDataTimeInterval = V;
  NotifyRedraw();
}

void TGraphModel::SetDataTimeType(TIntervalTimeType V)
{
  if (V == FDataTimeType)
    return;
  FDataTimeType = V;
  const uint16_t I = FDataTimeInterval;
  switch (V) {
  case TIntervalTimeType::mSeconds:
    SetDataTimeInterval(std::max<uint16_t>(I, 100));
    break;
  case TIntervalTimeType::Seconds:
  case TIntervalTimeType::Minutes:
    SetDataTimeInterval(I <= 60 ? I : 1);
    break;
  case TIntervalTimeType::Hours:
    SetDataTimeInterval(I <= 24 ? I : 1);
    break;
  case TIntervalTimeType::None:
    // The interval stays; the axis loses its unit text, so the chart is drawn again.
    NotifyRedraw();
    break;
  }
}

void TGraphModel::SetDataBackGround(TColorRef V)
{
  if (V != FDataBackGround) {
    FDataBackGround = V;
    NotifyRedraw();
  }
}

void TGraphModel::ApplyScrollRanges()
{
  FHScrollLarge = FMinorGridCnt + 1;
  int64_t Divisions = 0;
  if (FdXPerDiv != 0 && std::isfinite(FdXPerDiv))
    Divisions = PixelRound((static_cast<long double>(FDataMaxRange) - FDataMinRange) / FdXPerDiv);
  const long double Max = static_cast<long double>(Divisions) * (FMinorGridCnt + 1);
  FHScrollMax = ClampToInt32(PixelRound(std::max(0.0L, Max)));
  if (FView)
    FView->ScrollRangesChanged();
}

void TGraphModel::SetScaleX(int32_t V)
{
  FScaleX = V;
  ApplyScrollRanges();
  if (!FUpdateLock) {
    NotifyRedraw();
    NotifyLayoutCursors();
  }
}

void TGraphModel::SetAutoscale(bool V)
{
  FAutoscale = V;
  if (V) {
    const int32_t F = FittingScaleX();
    if (F != FScaleX)
      SetScaleX(F);
  }
}

std::string TGraphModel::AxisUnitText() const
{
  switch (FDataTimeType) {
  case TIntervalTimeType::None:
    return {};
  case TIntervalTimeType::mSeconds:
    return "[s]";
  case TIntervalTimeType::Seconds:
    return FDataTimeInterval == 1 || FDataTimeInterval == 2 ? "[s]" : "[min]";
  case TIntervalTimeType::Minutes:
    return FDataTimeInterval == 1 || FDataTimeInterval == 2 ? "[min]" : "[h]";
  case TIntervalTimeType::Hours:
    return "[day]";
  }
  return {};
}

void TGraphModel::SetScreenMetrics(int PpiX, int PpiY, int TextHeight, const TGraphRect& Plot)
{
  FPpiX = PpiX;
  FPpiY = PpiY;
  FTextHeight = TextHeight;
  FPlotRect = Plot;
}

long double TGraphModel::DivLengthMm() const { return static_cast<long double>(FdXLen) * FScaleX / 100; }

bool TGraphModel::Degenerate() const
{
  return FScaleX == 0 || FdXPerDiv == 0 || !std::isfinite(FdXPerDiv) || FdXLen == 0 || FPpiX < 1;
}

double TGraphModel::ValueAtX(int64_t X) const
{
  if (Degenerate())
    return FDataMinRange;
  const long double Mm = PixelsToMm(FPpiX, static_cast<long double>(X - FPlotRect.Left));
  const long double V = Mm / FdXLen / FScaleX * (static_cast<long double>(FdXPerDiv) * 100) +
                        static_cast<long double>(FdXPerDiv) / (FMinorGridCnt + 1) * FHScrollPos +
                        FDataMinRange;
  return static_cast<double>(V);
}

int32_t TGraphModel::FittingScaleX() const
{
  if (FDataMinRange >= FDataMaxRange)
    return FScaleX != 0 ? FScaleX : 10;
  const long double P =
      ScalePercent(FPlotRect.Right - FPlotRect.Left, FPpiX, FdXLen, FdXPerDiv, FDataMinRange, FDataMaxRange);
  // A panel narrower than its margins gives a negative width: the zoom still stays at 1.
  return std::max<int32_t>(1, ClampToInt32(PixelRound(P)));
}

void TGraphModel::ResetBandRects()
{
  const uint16_t Rows = FTraceAttrs.RowCount();
  for (uint16_t T = 1; T <= Rows && T != 0; ++T)
    if (!FTraceAttrs.GetCellPtr(T, ATTR_BAND_RECT).empty())
      StoreBandRect(T, EMPTY_BAND_RECT);
}

void TGraphModel::StoreBandRect(uint16_t Trace, const TGraphRect& R)
{
  if (Trace == 0)
    return;
  std::array<uint8_t, 16> B{};
  std::span<uint8_t> Out(B);
  PutU32LE(Out, 0, static_cast<uint32_t>(R.Left));
  PutU32LE(Out, 4, static_cast<uint32_t>(R.Top));
  PutU32LE(Out, 8, static_cast<uint32_t>(R.Right));
  PutU32LE(Out, 12, static_cast<uint32_t>(R.Bottom));
  FTraceAttrs.SetCell(std::span<const uint8_t>(B), Trace, ATTR_BAND_RECT);
}

bool TGraphModel::BandRect(uint16_t Trace, TGraphRect& R) const
{
  const auto Cell = FTraceAttrs.GetCellPtr(Trace, ATTR_BAND_RECT);
  if (Cell.size() < 16)
    return false;
  R.Left = static_cast<int32_t>(GetU32LE(Cell, 0));
  R.Top = static_cast<int32_t>(GetU32LE(Cell, 4));
  R.Right = static_cast<int32_t>(GetU32LE(Cell, 8));
  R.Bottom = static_cast<int32_t>(GetU32LE(Cell, 12));
  return true;
}

uint8_t TGraphModel::AttrByte(uint16_t Trace, uint16_t Cell) const
{
  const auto C = FTraceAttrs.GetCellPtr(Trace, Cell);
  return C.empty() ? 0 : C[0];
}

void TGraphModel::StoreAttrByte(uint16_t Trace, uint16_t Cell, uint8_t B)
{
  const uint8_t One[1] = {B};
  FTraceAttrs.SetCell(std::span<const uint8_t>(One), Trace, Cell);
}

void TGraphModel::SelectTrace(uint16_t Trace, uint8_t Mark)
{
  if (Trace == 0 || Trace > TraceCount())
    return;
  if (AttrByte(Trace, ATTR_SELECTED) != Mark)
    StoreAttrByte(Trace, ATTR_SELECTED, Mark);
}

bool TGraphModel::TraceSelected(uint16_t Trace) const { return AttrByte(Trace, ATTR_SELECTED) != 0; }

uint16_t TGraphModel::SelectedCount() const
{
  uint16_t N = 0;
  const uint16_t Count = FTraces.RowCount();
  for (uint32_t T = 1; T <= Count; ++T)
    if (TraceSelected(static_cast<uint16_t>(T)))
      ++N;
  return N;
}

void TGraphModel::SetAllSelectedMarks(bool Value)
{
  for (uint32_t T = FTraces.RowCount(); T >= 1; --T)
    SelectTrace(static_cast<uint16_t>(T), Value ? 1 : 0);
}

uint16_t TGraphModel::HitTest(int32_t X, int32_t Y) const
{
  if (!FPlotRect.Contains(X, Y))
    return 0;
  for (uint32_t T = FTraces.RowCount(); T >= 1; --T) {
    TGraphRect R;
    if (BandRect(static_cast<uint16_t>(T), R) && R.Contains(X, Y))
      return static_cast<uint16_t>(T);
  }
  return 0;
}

void TGraphModel::MarkRange(uint16_t A, uint16_t B)
{
  const uint32_t Lo = std::min(A, B);
  const uint32_t Hi = std::max(A, B);
  for (uint32_t T = Lo; T <= Hi; ++T)
    SelectTrace(static_cast<uint16_t>(T), 1);
}

TGraphModel::TMouseResult TGraphModel::MouseDown(int32_t X, int32_t Y, bool Shift, bool Ctrl)
{
  TMouseResult R;
  const uint16_t Hit = HitTest(X, Y);
  if (!Shift && !Ctrl) {
    FAnchor = Hit;
    if (SelectedCount() > 0)
      SetAllSelectedMarks(false);
    if (Hit != 0)
      SelectTrace(Hit, 1);
    R.DrawMarks = true;
    R.TakeFocus = true;
  } else if (Ctrl && !Shift) {
    SelectTrace(Hit, static_cast<uint8_t>(1 ^ AttrByte(Hit, ATTR_SELECTED)));
    R.DrawMarks = true;
    R.TakeFocus = true;
    return R;
  } else {
    if (FAnchor == 0)
      FAnchor = Hit;
    MarkRange(FAnchor, Hit);
    R.DrawMarks = true;
  }
  FLastHovered = FAnchor;
  R.TakeFocus = true;
  R.SetFocused = true;
  return R;
}

TGraphModel::TMouseResult TGraphModel::MouseMoveHeld(int32_t X, int32_t Y)
{
  TMouseResult R;
  const uint16_t Hit = HitTest(X, Y);
  if (Hit == 0 || Hit == FLastHovered)
    return R;
  SetAllSelectedMarks(false);
  if (FAnchor == 0)
    FAnchor = Hit;
  MarkRange(FAnchor, Hit);
  R.DrawMarks = true;
  R.TakeFocus = true;
  FLastHovered = Hit;
  return R;
}

std::optional<int64_t> MarkerXForValue(const TMarkerTrack& T, long double Value)
{
  if (T.Min == T.Max)
    return std::nullopt;
  const long double X = (Value - T.Min) / (T.Max - T.Min) * (T.Track.Right - T.Track.Left) + T.Track.Left;
  return PixelRound(X);
}

int64_t MarkerLeftForX(const TMarkerTrack& T, int64_t X, int MarkerWidth)
{
  return std::min<int64_t>(std::max<int64_t>(X - MarkerWidth / 2, 0),
                           MarkerWidth / 2 + static_cast<int64_t>(T.Track.Right));
}

std::optional<long double> MarkerValueAtX(const TMarkerTrack& T, int64_t X)
{
  const int64_t W = static_cast<int64_t>(T.Track.Right) - T.Track.Left;
  if (W == 0)
    return std::nullopt;
  // Far outside the track the value only grows out of range; holding x near the track keeps
  // the arithmetic finite without changing any value that could be accepted.
  const int64_t Span = W < 0 ? -W : W;
  X = std::clamp<int64_t>(X, T.Track.Left - Span, T.Track.Right + Span);
  return (T.Max - T.Min) / W * (X - T.Track.Left) + T.Min;
}

std::string CursorReadoutText(long double Value)
{
  return FloatToStrF(static_cast<double>(Value), TFloatFormat::Fixed, 7, 3, UtilityFormat());
}
