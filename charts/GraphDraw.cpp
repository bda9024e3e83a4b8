#include "charts/GraphDraw.h"

#include <algorithm>
#include <cmath>
#include <limits>

void IChartCanvas::Bar(int64_t X1, int64_t X2, int64_t RowTop, int64_t Rows, TColorRef Color,
                       TPenStyle Style)
{
  for (int64_t R = 0; R < Rows; ++R)
    Line(X1, RowTop + R, X2, RowTop + R, 1, Color, Style);
}

namespace {

// A line width in mm on the vertical resolution; GDI draws a pen of width 0 one pixel wide.
int PenPixels(int PpiY, long double Mm)
{
  const int64_t W = PixelRound(MmToPixels(PpiY, Mm));
  return static_cast<int>(std::clamp<int64_t>(W, 1, 1 << 16));
}

// How far right of the plot's left edge a value lies, in pixels of the target.
int64_t ValueOffset(long double DivMm, double PerDiv, int PpiX, long double Delta)
{
  return PixelRound(MmToPixels(PpiX, ValueToLength(DivMm, PerDiv, Delta)));
}

// The drawing routine's one line rule: nothing that reaches past the right edge, nothing that
// lies wholly left of the left edge.
void ClippedLine(IChartCanvas& C, const TGraphRect& P, int64_t X1, int64_t Y1, int64_t X2,
                 int64_t Y2, int Width, TColorRef Color, TPenStyle Style)
{
  if (X1 > P.Right || X2 > P.Right)
    return;
  if (X1 < P.Left && X2 < P.Left)
    return;
  C.Line(X1, Y1, X2, Y2, Width, Color, Style);
}

}  // namespace

std::vector<TTick> GenerateTicks(const TTickParams& P, const std::function<bool()>& Aborted)
{
  std::vector<TTick> Ticks;
  if (P.PerDiv == 0 || !std::isfinite(P.PerDiv) || P.DivLengthMm == 0 || P.PpiX < 1)
    return Ticks;
  const long double MinorStep = static_cast<long double>(P.PerDiv) / (P.MinorPerDiv + 1);
  const int64_t UnitLeft =
      P.PlotRight - static_cast<int64_t>(P.UnitTextLen) * P.CharWidth / 2;
  const int64_t Width = std::max<int64_t>(0, P.PlotRight - P.PlotLeft);
  const size_t MaxTicks = static_cast<size_t>(4 * Width + 16);
  int64_t LastRight = -32000;
  // At a small zoom many ticks fall into one pixel column. A second tick of the same kind there
  // would draw the same pixels again, so the first major and the first minor tick of a column
  // are kept: the ticks then reach the right end of the axis instead of stopping partway.
  int64_t LastMajorX = std::numeric_limits<int64_t>::min();
  int64_t LastMinorX = std::numeric_limits<int64_t>::min();
  long double Tick = RoundToStep(MinorStep, P.Start);
  for (int64_t N = 0; N < MAX_TICK_STEPS && Ticks.size() < MaxTicks; ++N) {
    const int64_t X = ValueOffset(P.DivLengthMm, P.PerDiv, P.PpiX, Tick - P.Start);
    // A tick right of the plot draws neither a line nor a label.
    if (N > 0 && X > Width)
      break;
    const bool Major = IsOnStep(P.PerDiv, Tick);
    int64_t& LastX = Major ? LastMajorX : LastMinorX;
    if (X != LastX) {
      LastX = X;
      TTick T;
      T.Value = static_cast<double>(Tick);
      T.X = X;
      T.Major = Major;
      if (T.Major) {
        ValueToText(3, T.Label, static_cast<double>(Tick));
        const int64_t Len = static_cast<int64_t>(T.Label.size()) * P.CharWidth;
        T.LabelX = P.PlotLeft + T.X - Len / 2;
        if (T.LabelX + Len < UnitLeft && T.LabelX > LastRight + (5 * P.CharWidth) / 2) {
          T.LabelDrawn = true;
          LastRight = T.LabelX + Len;
        }
      }
      Ticks.push_back(std::move(T));
    }
    const long double Next = NextMinorTick(P.MinorPerDiv, P.PerDiv, Tick);
    // A step lost to rounding (or a negative division) would never reach the end.
    if (!(Next > Tick) || Next > P.End)
      break;
    Tick = Next;
    if (Aborted && Aborted())
      break;
  }
  return Ticks;
}

void DrawChart(TGraphModel& M, const TDrawRequest& R, IChartCanvas& C,
               std::vector<TBandRecord>* Recorded)
{
  const TGraphRect& P = R.Plot;
  const TCharMetrics CM = C.SelectChartFont();
  const int Cw = CM.CharWidth;
  const int Ch = CM.CharHeight;
  const int MajorW = PenPixels(R.PpiY, M.MajorGridWidth());
  const int MinorW = PenPixels(R.PpiY, M.MinorGridWidth());
  const int64_t Mm = R.PpiY >= 1 ? PixelRound(MmToPixels(R.PpiY, 1)) : 0;

  // The axis: left edge and bottom edge.
  C.Line(P.Left, P.Top, P.Left, P.Bottom, MajorW, CLR_BLACK, TPenStyle::Solid);
  C.Line(P.Left, P.Bottom, P.Right, P.Bottom, MajorW, CLR_BLACK, TPenStyle::Solid);

  const long double DivMm = M.DivLengthMm();
  const double PerDiv = M.dXPerDiv();
  // With a zoom, division or resolution of 0 there is nothing to measure with: the frame and
  // the axis line are all there is.
  if (M.ScaleX() == 0 || M.dXLen() == 0 || PerDiv == 0 || !std::isfinite(PerDiv) || R.PpiX < 1 ||
      R.PpiY < 1)
    return;

  const std::string Unit = M.AxisUnitText();
  const int64_t LabelY = P.Bottom + (5 * Mm) / 2;
  if (!Unit.empty())
    C.Text(P.Right - static_cast<int64_t>(Unit.size()) * Cw / 2, LabelY, Unit, CLR_BLACK, false,
           CLR_WHITE);

  const bool MinorMarks =
      !M.Autoscale() || PixelRound(MmToPixels(R.PpiX, DivMm / 3)) >= Cw;

  TTickParams TP;
  TP.DivLengthMm = DivMm;
  TP.PerDiv = PerDiv;
  TP.MinorPerDiv = M.MinorGridCnt();
  TP.PpiX = R.PpiX;
  TP.Start = R.Start;
  TP.End = R.End;
  TP.PlotLeft = P.Left;
  TP.PlotRight = P.Right;
  TP.CharWidth = Cw;
  TP.UnitTextLen = Unit.size();
  for (const TTick& T : GenerateTicks(TP, R.Aborted)) {
    const int64_t X = P.Left + T.X;
    if (T.Major) {
      if (M.ShowMajorGrid())
        ClippedLine(C, P, X, P.Top, X, P.Bottom, MajorW, M.MajorGridColor(), M.MajorGridStyle());
      if (T.LabelDrawn)
        C.Text(T.LabelX, LabelY, T.Label, CLR_BLACK, false, CLR_WHITE);
      ClippedLine(C, P, X, P.Bottom, X, P.Bottom + 2 * Mm, MajorW, CLR_BLACK, TPenStyle::Solid);
    } else {
      if (MinorMarks)
        ClippedLine(C, P, X, P.Bottom, X, P.Bottom + Mm, MajorW, CLR_BLACK, TPenStyle::Solid);
      // Minor grid lines have always been drawn in the major width.
      if (M.ShowMinorGrid())
        ClippedLine(C, P, X, P.Top, X, P.Bottom, MajorW, M.MinorGridColor(), M.MinorGridStyle());
    }
  }
  if (R.Aborted && R.Aborted())
    return;

  // The bands, stacked from the top.
  const bool Record = R.Target == TDrawTarget::Screen && Recorded != nullptr;
  const bool Opaque = R.Target != TDrawTarget::Printer;
  const int64_t BandPx = PixelRound(MmToPixels(R.PpiY, M.BandHeight()));
  // A panel smaller than its margins gives an inverted plot: it holds no bar at all.
  const int64_t PlotWidth = std::max<int64_t>(0, static_cast<int64_t>(P.Right) - P.Left);
  const int Last = std::min<int>(R.LastTrace, M.TraceCount());
  int64_t Y = 0;
  for (int Ti = std::max(1, R.FirstTrace); Ti <= Last; ++Ti) {
    const auto T = static_cast<uint16_t>(Ti);
    const int64_t BandTop = P.Top + Y;
    if (BandTop >= P.Bottom)
      break;  // nothing below the plot is drawn or recorded
    if (R.Target == TDrawTarget::Bitmap && !M.TraceSelected(T))
      continue;
    const uint16_t N = M.SampleCount(T);
    const int64_t H = (N > 0 && M.BandFlag(T)) ? BandPx : 0;
    if (Record) {
      TGraphRect Band{P.Left, static_cast<int32_t>(BandTop), P.Right,
                      static_cast<int32_t>(std::min<int64_t>(P.Bottom, BandTop + H))};
      Recorded->push_back({T, Band});
    }
    if (H == 0)
      continue;
    if (BandTop + H > P.Bottom) {
      Y += H;
      continue;
    }
    // The bar starts at the last sample not after the view's start; a trace that begins later
    // is left out until the view reaches its first sample.
    int First = 0;
    for (int I = N; I >= 1; --I)
      if (M.SampleTime(T, static_cast<uint16_t>(I)) <= R.Start) {
        First = I;
        break;
      }
    if (First == 0)
      continue;

    C.Text(P.Left + 2 * static_cast<int64_t>(Cw), BandTop + Ch / 3, M.TraceCaptionText(T),
           CLR_BLACK, Opaque, M.DataBackGround());
    ClippedLine(C, P, P.Left, BandTop + H, P.Right, BandTop + H, MinorW, CLR_BLACK,
                TPenStyle::Solid);

    TChartSample Cur;
    if (!M.GetSample(T, static_cast<uint16_t>(First), Cur))
      continue;
    for (int I = First; I < N && Cur.Time < R.End; ++I) {
      TChartSample Next;
      if (!M.GetSample(T, static_cast<uint16_t>(I + 1), Next))
        break;
      int64_t X1 = ValueOffset(DivMm, PerDiv, R.PpiX, static_cast<long double>(Cur.Time) - R.Start);
      int64_t X2 = ValueOffset(DivMm, PerDiv, R.PpiX, static_cast<long double>(Next.Time) - R.Start);
      if (!((X1 < 0 && X2 < 0) || (X1 > PlotWidth && X2 > PlotWidth))) {
        X1 = std::clamp<int64_t>(X1, 0, PlotWidth);
        X2 = std::clamp<int64_t>(X2, 0, PlotWidth);
        const int64_t Thick = PixelRound(MmToPixels(R.PpiX, Cur.Thickness / 10.0L));
        if (Thick > 0)
          C.Bar(P.Left + X1, P.Left + X2, BandTop + H - Thick, Thick,
                static_cast<TColorRef>(Cur.Color), PenStyleFromByte(Cur.PenStyle));
      }
      Cur = Next;
    }
    Y += H;
  }

  if (R.Target == TDrawTarget::Printer && !M.PrintTitle().empty())
    C.Text(P.Left, 100, M.PrintTitle(), CLR_BLACK, false, CLR_WHITE);
}

std::optional<TCopyPlan> PlanClipboardCopy(TGraphModel& M, double Cursor1, double Cursor2,
                                           int PpiX, int PpiY)
{
  if (M.SelectedCount() == 0)
    return std::nullopt;
  TCopyPlan Plan;
  if (M.CopyRangeAll()) {
    Plan.Start = M.DataMinRange();
    Plan.End = M.DataMaxRange();
  } else {
    Plan.Start = std::min(Cursor1, Cursor2);
    Plan.End = std::max(Cursor1, Cursor2);
  }
  if (Plan.Start == Plan.End)
    return std::nullopt;
  const uint16_t Count = M.TraceCount();
  for (uint32_t T = 1; T <= Count; ++T)
    if (M.TraceSelected(static_cast<uint16_t>(T)))
      Plan.BandsHeight += M.TraceBandPixels(static_cast<uint16_t>(T), PpiY);
  if (Plan.BandsHeight == 0)
    return std::nullopt;
  // The axis strip has always been measured with the horizontal resolution.
  Plan.AxisHeight = PixelRound(MmToPixels(PpiX, M.ScaleHeight()));
  if (M.dXPerDiv() != 0 && std::isfinite(M.dXPerDiv()))
    Plan.SpanWidth = ValueOffset(M.DivLengthMm(), M.dXPerDiv(), PpiX,
                                 static_cast<long double>(Plan.End) - Plan.Start);
  const int64_t Right = 10 + Plan.SpanWidth;
  const int64_t Bottom = 10 + Plan.BandsHeight;
  if (Right <= INT32_MAX && Bottom <= INT32_MAX && Right >= 0)
    Plan.Plot = TGraphRect{10, 10, static_cast<int32_t>(Right), static_cast<int32_t>(Bottom)};
  return Plan;
}
