#include "charts/GraphDraw.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/NumText.h"

void IChartCanvas::Bar(int64_t X1, int64_t X2, int64_t RowTop, int64_t Rows, TColorRef Color, TPenStyle Style)
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
void ClippedLine(IChartCanvas& C, const TGraphRect& P, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2,
                 int Width, TColorRef Color, TPenStyle Style)
{
  if (X1 > P.Right || X2 > P.Right)
    return;
  if (X1 < P.Left && X2 < P.Left)
    return;
  C.Line(X1, Y1, X2, Y2, Width, Color, Style);
}

}  // namespace

namespace {

// Decimals of the labels on an axis of PerDiv per division; 0 keeps the whole numbers.
// Otherwise the fewest that show the division exactly, looked for up to two places past
// its first significant decimal (and never fewer than three), so neighbouring labels of a
// fine division never read alike: 0,0005 needs four.
int LabelDecimals(double PerDiv)
{
  if (std::floor(PerDiv) == PerDiv)
    return 0;
  const double Magnitude = std::fabs(PerDiv);
  int First = 0;  // the place of the division's first significant decimal
  if (std::isfinite(Magnitude) && Magnitude > 0)
    First = std::max(0, -static_cast<int>(std::floor(std::log10(Magnitude))));
  const int Cap = std::max(3, First + 2);
  for (int D = 1; D <= Cap; ++D) {
    const double Scaled = Magnitude * std::pow(10.0, D);
    if (std::fabs(Scaled - std::round(Scaled)) <= 1e-9 * Scaled)
      return D;
  }
  return Cap;
}

std::string LabelText(int Decimals, double Value)
{
  std::string S;
  if (Decimals == 0) {
    ValueToText(3, S, Value);
    return S;
  }
  const char Sep = UtilityFormat().DecimalSeparator;
  S = FormatFixed(Value, Decimals, UtilityFormat());
  if (S.find(Sep) != std::string::npos && S.find_first_of("Ee") == std::string::npos) {
    while (S.back() == '0')
      S.pop_back();
    if (S.back() == Sep)
      S.pop_back();
  }
  // A tick a rounding error left of zero reads as zero, not as "-0".
  if (S == "-0")
    S = "0";
  return S;
}

}  // namespace

std::string TickLabel(double PerDiv, double Value) { return LabelText(LabelDecimals(PerDiv), Value); }

namespace {

// The ticks of the axis are the multiples of the minor step from the first one on: tick N
// lies N steps right of tick 0, and its place in its division tells whether it is a major
// one. Positions and kinds are computed from N, never accumulated, so a walk can jump over
// ticks that would share a pixel column without stepping through them.
class TTickWalk {
public:
  TTickWalk(const TTickParams& P, long double Step) : FP(P), FStep(Step), FFirst(RoundToStep(Step, P.Start))
  {
    const long double Cycle = static_cast<long double>(P.MinorPerDiv) + 1;
    const long double Place = std::fmod(RoundExtended(FFirst / Step), Cycle);
    FPhase = std::isfinite(Place) ? static_cast<int64_t>(Place < 0 ? Place + Cycle : Place) : 0;
    FPixelsPerTick = MmToPixels(P.PpiX, ValueToLength(P.DivLengthMm, P.PerDiv, Step));
  }
  long double Value(int64_t N) const { return FFirst + static_cast<long double>(N) * FStep; }
  // Pixels right of the plot's left edge, before and after rounding.
  long double Offset(long double V) const
  {
    return MmToPixels(FP.PpiX, ValueToLength(FP.DivLengthMm, FP.PerDiv, V - FP.Start));
  }
  int64_t Column(int64_t N) const { return PixelRound(Offset(Value(N))); }
  // Steps from tick N to the next major tick (0 when N is one).
  int64_t ToMajor(int64_t N) const
  {
    const int64_t Cycle = int64_t{FP.MinorPerDiv} + 1;
    return (Cycle - (FPhase + N) % Cycle) % Cycle;
  }
  bool Major(int64_t N) const { return ToMajor(N) == 0; }
  bool Beyond(int64_t N) const { return Value(N) > FP.End; }

  // The first tick after N that lies right of column X, or nullopt when every such tick lies
  // beyond the end. The jump is guessed from the tick spacing; from just short of the guess
  // the search widens until it passes the column and halves back to the first tick that
  // does: a few steps per column, however many ticks share one.
  std::optional<int64_t> FirstRightOf(int64_t N, int64_t X) const
  {
    constexpr int64_t MAX_INDEX = int64_t{1} << 61;
    auto Past = [&](int64_t M) { return Beyond(M) || Column(M) > X; };
    int64_t Guess = 1;
    const long double Est = (static_cast<long double>(X) + 0.5L - Offset(Value(N))) / FPixelsPerTick;
    if (std::isfinite(Est) && Est > 1)
      Guess = Est < static_cast<long double>(MAX_INDEX) ? static_cast<int64_t>(Est) : MAX_INDEX;
    if (N >= MAX_INDEX || Guess > MAX_INDEX - N)
      return std::nullopt;
    int64_t Lo = N;
    int64_t Step = Guess;
    if (Guess > 2 && !Past(N + Guess - 2)) {
      Lo = N + Guess - 2;
      Step = 1;
    }
    int64_t Hi = Lo;
    for (;;) {
      if (Step > MAX_INDEX - Lo)
        return std::nullopt;
      Hi = Lo + Step;
      if (Past(Hi))
        break;
      Lo = Hi;
      Step *= 2;
    }
    while (Hi - Lo > 1) {
      const int64_t Mid = Lo + (Hi - Lo) / 2;
      (Past(Mid) ? Hi : Lo) = Mid;
    }
    if (Beyond(Hi))
      return std::nullopt;
    return Hi;
  }

private:
  const TTickParams& FP;
  long double FStep;
  long double FFirst;
  int64_t FPhase = 0;
  long double FPixelsPerTick = 0;
};

}  // namespace

std::vector<TTick> GenerateTicks(const TTickParams& P, const std::function<bool()>& Aborted)
{
  std::vector<TTick> Ticks;
  if (P.PerDiv == 0 || !std::isfinite(P.PerDiv) || P.DivLengthMm == 0 || P.PpiX < 1)
    return Ticks;
  const long double MinorStep = static_cast<long double>(P.PerDiv) / (P.MinorPerDiv + 1);
  const TTickWalk Walk(P, MinorStep);
  const int64_t UnitLeft = P.PlotRight - static_cast<int64_t>(P.UnitTextLen) * P.CharWidth / 2;
  const int64_t Width = std::max<int64_t>(0, P.PlotRight - P.PlotLeft);
  int64_t LastRight = -32000;
  const int Decimals = LabelDecimals(P.PerDiv);
  auto Add = [&](int64_t N, int64_t X) {
    TTick T;
    T.Value = static_cast<double>(Walk.Value(N));
    T.X = X;
    T.Major = Walk.Major(N);
    if (T.Major) {
      T.Label = LabelText(Decimals, T.Value);
      const int64_t Len = static_cast<int64_t>(T.Label.size()) * P.CharWidth;
      T.LabelX = P.PlotLeft + T.X - Len / 2;
      if (T.LabelX + Len < UnitLeft && T.LabelX > LastRight + (5 * P.CharWidth) / 2) {
        T.LabelDrawn = true;
        LastRight = T.LabelX + Len;
      }
    }
    Ticks.push_back(std::move(T));
  };
  // Column by column: a second tick of the same kind in one pixel column would draw the same
  // pixels again, so each column gets its first tick and the first of the other kind, and
  // the walk goes on at the first tick of the next column. The work then follows the plot's
  // width, whatever the minor count or the zoom, and the ticks reach the end of the axis.
  int64_t N = 0;
  int64_t X = Walk.Column(0);
  for (;;) {
    Add(N, X);
    if (MinorStep > 0) {
      const int64_t Other = Walk.Major(N) ? (P.MinorPerDiv > 0 ? N + 1 : -1) : N + Walk.ToMajor(N);
      if (Other > N && !Walk.Beyond(Other) && Walk.Value(Other) > Walk.Value(N) && Walk.Column(Other) == X)
        Add(Other, X);
    }
    if (Aborted && Aborted())
      break;
    // A negative division never reaches the end.
    if (!(MinorStep > 0))
      break;
    const std::optional<int64_t> Next = Walk.FirstRightOf(N, X);
    if (!Next)
      break;
    N = *Next;
    X = Walk.Column(N);
    // A tick right of the plot draws neither a line nor a label.
    if (X > Width)
      break;
  }
  return Ticks;
}

namespace {

// What every layer of one drawing measures with.
struct TChartPens {
  int Cw = 0;      // character width
  int Ch = 0;      // character height
  int MajorW = 0;  // major grid and axis pen
  int MinorW = 0;  // band separator pen
  int64_t Mm = 0;  // one millimetre in vertical pixels
};

// The frame's left and bottom edges.
void DrawAxisLines(const TGraphRect& P, const TChartPens& Pens, IChartCanvas& C)
{
  C.Line(P.Left, P.Top, P.Left, P.Bottom, Pens.MajorW, CLR_BLACK, TPenStyle::Solid);
  C.Line(P.Left, P.Bottom, P.Right, P.Bottom, Pens.MajorW, CLR_BLACK, TPenStyle::Solid);
}

// The unit text, the ticks with their labels and the grid lines of the time axis.
void DrawTimeAxis(TGraphModel& M, const TDrawRequest& R, const TChartPens& Pens, IChartCanvas& C)
{
  const TGraphRect& P = R.Plot;
  const long double DivMm = M.DivLengthMm();
  const std::string Unit = M.AxisUnitText();
  const int64_t LabelY = P.Bottom + (5 * Pens.Mm) / 2;
  if (!Unit.empty())
    C.Text(P.Right - static_cast<int64_t>(Unit.size()) * Pens.Cw / 2, LabelY, Unit, CLR_BLACK, false,
           CLR_WHITE);

  const bool MinorMarks = !M.Autoscale() || PixelRound(MmToPixels(R.PpiX, DivMm / 3)) >= Pens.Cw;

  TTickParams TP;
  TP.DivLengthMm = DivMm;
  TP.PerDiv = M.dXPerDiv();
  TP.MinorPerDiv = M.MinorGridCnt();
  TP.PpiX = R.PpiX;
  TP.Start = R.Start;
  TP.End = R.End;
  TP.PlotLeft = P.Left;
  TP.PlotRight = P.Right;
  TP.CharWidth = Pens.Cw;
  TP.UnitTextLen = Unit.size();
  const int MajorW = Pens.MajorW;
  const int64_t Mm = Pens.Mm;
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
}

// One trace's band at BandTop, H pixels high: its caption, its bottom line and its bars.
// False when the trace has nothing to show in the view yet: then it takes no place either.
bool DrawBand(TGraphModel& M, const TDrawRequest& R, const TChartPens& Pens, IChartCanvas& C, uint16_t T,
              int64_t BandTop, int64_t H)
{
  const TGraphRect& P = R.Plot;
  const long double DivMm = M.DivLengthMm();
  const double PerDiv = M.dXPerDiv();
  const bool Opaque = R.Target != TDrawTarget::Printer;
  // A panel smaller than its margins gives an inverted plot: it holds no bar at all.
  const int64_t PlotWidth = std::max<int64_t>(0, static_cast<int64_t>(P.Right) - P.Left);
  const uint16_t N = M.SampleCount(T);
  // The bar starts at the last sample not after the view's start; a trace that begins later
  // is left out until the view reaches its first sample.
  int First = 0;
  for (int I = N; I >= 1; --I)
    if (M.SampleTime(T, static_cast<uint16_t>(I)) <= R.Start) {
      First = I;
      break;
    }
  if (First == 0)
    return false;

  C.Text(P.Left + 2 * static_cast<int64_t>(Pens.Cw), BandTop + Pens.Ch / 3, M.TraceCaptionText(T), CLR_BLACK,
         Opaque, M.DataBackGround());
  ClippedLine(C, P, P.Left, BandTop + H, P.Right, BandTop + H, Pens.MinorW, CLR_BLACK, TPenStyle::Solid);

  TChartSample Cur;
  if (!M.GetSample(T, static_cast<uint16_t>(First), Cur))
    return false;
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
        C.Bar(P.Left + X1, P.Left + X2, BandTop + H - Thick, Thick, static_cast<TColorRef>(Cur.Color),
              PenStyleFromByte(Cur.PenStyle));
    }
    Cur = Next;
  }
  return true;
}

// The bands, stacked from the top; on screen each band's place is recorded for the mouse.
void DrawBands(TGraphModel& M, const TDrawRequest& R, const TChartPens& Pens, IChartCanvas& C,
               std::vector<TBandRecord>* Recorded)
{
  const TGraphRect& P = R.Plot;
  const bool Record = R.Target == TDrawTarget::Screen && Recorded != nullptr;
  const int64_t BandPx = PixelRound(MmToPixels(R.PpiY, M.BandHeight()));
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
    // A band that does not fit above the bottom keeps its place but is not drawn.
    if (BandTop + H > P.Bottom || DrawBand(M, R, Pens, C, T, BandTop, H))
      Y += H;
  }
}

}  // namespace

void DrawChart(TGraphModel& M, const TDrawRequest& R, IChartCanvas& C, std::vector<TBandRecord>* Recorded)
{
  const TCharMetrics CM = C.SelectChartFont();
  TChartPens Pens;
  Pens.Cw = CM.CharWidth;
  Pens.Ch = CM.CharHeight;
  Pens.MajorW = PenPixels(R.PpiY, M.MajorGridWidth());
  Pens.MinorW = PenPixels(R.PpiY, M.MinorGridWidth());
  Pens.Mm = R.PpiY >= 1 ? PixelRound(MmToPixels(R.PpiY, 1)) : 0;

  DrawAxisLines(R.Plot, Pens, C);
  const double PerDiv = M.dXPerDiv();
  // With a zoom, division or resolution of 0 there is nothing to measure with: the frame and
  // the axis line are all there is.
  if (M.ScaleX() == 0 || M.dXLen() == 0 || PerDiv == 0 || !std::isfinite(PerDiv) || R.PpiX < 1 || R.PpiY < 1)
    return;
  DrawTimeAxis(M, R, Pens, C);
  if (R.Aborted && R.Aborted())
    return;
  DrawBands(M, R, Pens, C, Recorded);
  if (R.Target == TDrawTarget::Printer && !M.PrintTitle().empty())
    C.Text(R.Plot.Left, 100, M.PrintTitle(), CLR_BLACK, false, CLR_WHITE);
}

std::optional<TCopyPlan> PlanClipboardCopy(TGraphModel& M, double Cursor1, double Cursor2, int PpiX, int PpiY)
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
    Plan.SpanWidth =
        ValueOffset(M.DivLengthMm(), M.dXPerDiv(), PpiX, static_cast<long double>(Plan.End) - Plan.Start);
  const int64_t Right = 10 + Plan.SpanWidth;
  const int64_t Bottom = 10 + Plan.BandsHeight;
  if (Right <= INT32_MAX && Bottom <= INT32_MAX && Right >= 0)
    Plan.Plot = TGraphRect{10, 10, static_cast<int32_t>(Right), static_cast<int32_t>(Bottom)};
  return Plan;
}
