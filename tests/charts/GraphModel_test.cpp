#include "charts/GraphModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "tests/charts/ChartSamples.h"

namespace {

struct TCountingView : IGraphView {
  int Metrics = 0, Redraws = 0, Layouts = 0, Scrolls = 0;
  void ReadMetrics() override { ++Metrics; }
  void Redraw() override { ++Redraws; }
  void LayoutCursors() override { ++Layouts; }
  void ScrollRangesChanged() override { ++Scrolls; }
};

TChartSample Sample(double Time, int32_t Color = 0x0000FF, uint8_t Thick = 10, uint8_t Style = 0)
{
  return ChartSample(Time, Color, Thick, Style);
}

// A 96-dpi screen with a 300-pixel wide plot.
void SetScreen(TGraphModel& M, int Width = 300)
{
  M.SetScreenMetrics(96, 96, 15, TGraphRect{16, 18, 16 + Width, 100});
}

class PromptsGuard {
public:
  PromptsGuard() { SetPrompts(&Script); }
  ~PromptsGuard() { SetPrompts(nullptr); }
  TScriptedPrompts Script;
};

}  // namespace

TEST(ChartSample, EncodesEveryFieldAtItsOffset)
{
  TChartSample S = Sample(12.5, 0x00123456, 7, 3);
  S.Producer = {1, 2, 3, 4, 5, 6, 7, 8};
  S.Tail = {0xAA, 0xBB};
  const auto B = EncodeSample(S);
  // 12.5 is 0x4029000000000000, little-endian.
  const uint8_t Time[8] = {0, 0, 0, 0, 0, 0, 0x29, 0x40};
  EXPECT_TRUE(std::equal(Time, Time + 8, B.begin()));
  EXPECT_EQ(B[8], 1);
  EXPECT_EQ(B[15], 8);
  EXPECT_EQ(B[16], 0x56);
  EXPECT_EQ(B[17], 0x34);
  EXPECT_EQ(B[18], 0x12);
  EXPECT_EQ(B[19], 0x00);
  EXPECT_EQ(B[20], 3);
  EXPECT_EQ(B[21], 7);
  EXPECT_EQ(B[22], 0xAA);
  EXPECT_EQ(B[23], 0xBB);

  TChartSample Back;
  ASSERT_TRUE(DecodeSample(B, Back));
  EXPECT_EQ(Back.Time, 12.5);
  EXPECT_EQ(Back.Color, 0x00123456);
  EXPECT_EQ(Back.PenStyle, 3);
  EXPECT_EQ(Back.Thickness, 7);
  EXPECT_EQ(Back.Producer, S.Producer);
  EXPECT_EQ(Back.Tail, S.Tail);
  EXPECT_FALSE(DecodeSample(std::span<const uint8_t>(B).first(23), Back));
}

TEST(GraphModel, AddSampleWidensTheRangeFromZero)
{
  struct TCase {
    std::vector<double> Times;
    double Min, Max;
  };
  const TCase Cases[] = {
      {{12.5}, 0, 12.5},
      {{-3, 4}, -3, 4},
      {{5, 2, 9}, 0, 9},
      {{std::nan("")}, 0, 0},
  };
  for (const TCase& C : Cases) {
    TGraphModel M;
    for (double T : C.Times)
      M.AddSample(Sample(T), 1);
    EXPECT_EQ(M.DataMinRange(), C.Min);
    EXPECT_EQ(M.DataMaxRange(), C.Max);
    EXPECT_EQ(M.SampleCount(1), C.Times.size());
  }
}

TEST(GraphModel, RefusedSampleLeavesTheRange)
{
  TGraphModel M;
  M.AddSample(Sample(50), 0);
  EXPECT_EQ(M.DataMaxRange(), 0);
  EXPECT_EQ(M.TraceCount(), 0);
}

TEST(GraphModel, ClearEmptiesTracesAndRange)
{
  TGraphModel M;
  M.AddSample(Sample(7), 2);
  M.SetTraceCaption(2, "Q1");
  M.Clear();
  EXPECT_EQ(M.TraceCount(), 0);
  EXPECT_EQ(M.DataMinRange(), 0);
  EXPECT_EQ(M.DataMaxRange(), 0);
  M.AddSample(Sample(12.5), 1);
  EXPECT_EQ(M.DataMaxRange(), 12.5);
  EXPECT_EQ(M.TraceCaptionText(2), "Wykres 2");
}

TEST(GraphModel, CaptionTexts)
{
  TGraphModel M;
  M.SetTraceCaption(3, "Napięcie"_cp);
  M.SetTraceCaption(4, "");
  M.SetTraceCaption(5, std::string(300, 'x'));
  M.SetTraceCaption(0, "ignored");
  EXPECT_EQ(M.TraceCaptionText(3), std::string("3. ") + std::string("Napięcie"_cp));
  EXPECT_EQ(M.TraceCaptionText(4), "4. ");
  EXPECT_EQ(M.TraceCaptionText(5), "5. " + std::string(255, 'x'));
  EXPECT_EQ(M.TraceCaptionText(1), "Wykres 1");
  EXPECT_EQ(M.TraceAttrs().GetCellPtr(3, ATTR_CAPTION).size(), std::string("Napięcie"_cp).size() + 1);
}

TEST(GraphModel, AxisUnitTexts)
{
  struct TCase {
    TIntervalTimeType Type;
    uint16_t Interval;
    const char* Text;
  };
  const TCase Cases[] = {
      {TIntervalTimeType::None, 1, ""},         {TIntervalTimeType::mSeconds, 100, "[s]"},
      {TIntervalTimeType::Seconds, 1, "[s]"},   {TIntervalTimeType::Seconds, 2, "[s]"},
      {TIntervalTimeType::Seconds, 3, "[min]"}, {TIntervalTimeType::Minutes, 2, "[min]"},
      {TIntervalTimeType::Minutes, 10, "[h]"},  {TIntervalTimeType::Hours, 1, "[day]"},
  };
  for (const TCase& C : Cases) {
    PromptsGuard G;
    TGraphModel M;
    M.SetDataTimeType(C.Type);
    M.SetDataTimeInterval(C.Interval);
    EXPECT_EQ(M.AxisUnitText(), C.Text) << static_cast<int>(C.Type) << " " << C.Interval;
  }
}

TEST(GraphModel, TimeIntervalSetterClampsWithMessages)
{
  struct TCase {
    TIntervalTimeType Type;
    uint16_t Value;
    uint16_t Stored;
    std::vector<std::pair<std::string, std::string>> Messages;  // text, caption
  };
  const TCase Cases[] = {
      {TIntervalTimeType::Seconds, 100, 60, {{"Maximum value is 60 when Seconds selected.", "OverRange."}}},
      {TIntervalTimeType::Seconds, 60, 60, {}},
      {TIntervalTimeType::Minutes, 61, 60, {{"Maximum value is 60 when Minutes selected.", "OverRange."}}},
      {TIntervalTimeType::Hours, 25, 24, {{"Maximum value is 24 when Hours selected.", "OverRange."}}},
      {TIntervalTimeType::Hours, 24, 24, {}},
      {TIntervalTimeType::mSeconds,
       1500,
       1000,
       {{"Maximum value is 1000 when MSeconds selected.", "OverRange."}}},
      {TIntervalTimeType::mSeconds,
       50,
       50,
       {{"Minimum value of 100 when MSeconds selected is recommended for accuracy.", "Over Range."}}},
      {TIntervalTimeType::mSeconds, 100, 100, {}},
      {TIntervalTimeType::None, 5000, 5000, {}},
  };
  for (const TCase& C : Cases) {
    PromptsGuard G;
    TGraphModel M;
    M.SetDataTimeType(C.Type);
    G.Script.Clear();
    M.SetDataTimeInterval(C.Value);
    EXPECT_EQ(M.DataTimeInterval(), C.Stored) << C.Value;
    ASSERT_EQ(G.Script.Records.size(), C.Messages.size()) << C.Value;
    for (size_t I = 0; I < C.Messages.size(); ++I) {
      EXPECT_EQ(G.Script.Records[I].Text, C.Messages[I].first);
      EXPECT_EQ(G.Script.Records[I].Caption, C.Messages[I].second);
      EXPECT_EQ(G.Script.Records[I].Buttons, TPromptButtons::Ok);
    }
  }
}

TEST(GraphModel, TimeTypeSwitchAdjustsTheInterval)
{
  struct TCase {
    TIntervalTimeType From;
    uint16_t Interval;
    TIntervalTimeType To;
    uint16_t Expected;
  };
  const TCase Cases[] = {
      {TIntervalTimeType::Seconds, 1, TIntervalTimeType::mSeconds, 100},
      {TIntervalTimeType::mSeconds, 500, TIntervalTimeType::Seconds, 1},
      {TIntervalTimeType::mSeconds, 500, TIntervalTimeType::Minutes, 1},
      {TIntervalTimeType::Seconds, 30, TIntervalTimeType::Hours, 1},
      {TIntervalTimeType::Seconds, 12, TIntervalTimeType::Hours, 12},
      {TIntervalTimeType::Seconds, 30, TIntervalTimeType::Minutes, 30},
      {TIntervalTimeType::mSeconds, 700, TIntervalTimeType::None, 700},
  };
  for (const TCase& C : Cases) {
    PromptsGuard G;
    TGraphModel M;
    M.SetDataTimeType(C.From);
    M.SetDataTimeInterval(C.Interval);
    M.SetDataTimeType(C.To);
    EXPECT_EQ(M.DataTimeType(), C.To);
    EXPECT_EQ(M.DataTimeInterval(), C.Expected);
    EXPECT_EQ(G.Script.Records.size(), 0u);
  }
}

TEST(GraphModel, RangeSettersIgnoreWhatWouldNotBeARange)
{
  TGraphModel M;
  M.AddSample(Sample(20), 1);  // range 0..20
  M.SetDataMaxRange(5);        // exceeds the minimum by only 5
  EXPECT_EQ(M.DataMaxRange(), 20);
  M.SetDataMaxRange(9);
  EXPECT_EQ(M.DataMaxRange(), 20);
  M.SetDataMaxRange(9.5);
  EXPECT_EQ(M.DataMaxRange(), 9.5);
  M.SetDataMinRange(9.5);  // not below the maximum
  EXPECT_EQ(M.DataMinRange(), 0);
  M.SetDataMinRange(-2);
  EXPECT_EQ(M.DataMinRange(), -2);
}

TEST(GraphModel, UpdateBracketHoldsRedrawsUntilTheEnd)
{
  TCountingView V;
  TGraphModel M;
  SetScreen(M);
  M.SetView(&V);
  M.BeginUpdate();
  for (int I = 0; I <= 30; ++I)
    M.AddSample(Sample(I), 1);
  EXPECT_EQ(V.Redraws, 0);
  EXPECT_EQ(V.Scrolls, 0);  // the ScaleX setter does not run inside the bracket
  EXPECT_EQ(M.ScaleX(), 100);
  M.EndUpdate();
  EXPECT_FALSE(M.UpdateLock());
  EXPECT_EQ(V.Metrics, 1);
  EXPECT_GE(V.Redraws, 1);
  EXPECT_GE(V.Layouts, 1);
  // 300 px at 96 dpi is 79.375 mm; 30 divisions of 10 mm fit at 26.46 %.
  EXPECT_EQ(M.ScaleX(), 26);
  EXPECT_EQ(M.HScrollMax(), 30 * 5);
  EXPECT_EQ(M.HScrollLarge(), 5);

  const int Before = V.Redraws;
  M.AddSample(Sample(31), 1);  // outside the bracket: one redraw per sample
  EXPECT_GT(V.Redraws, Before);
}

TEST(GraphModel, FittingZoom)
{
  struct TCase {
    double Max;
    int32_t ScaleX;
    int Width;
    int32_t Expected;
  };
  const TCase Cases[] = {
      {0, 100, 300, 100},                     // empty range keeps the zoom
      {0, 0, 300, 10},                        // ... or 10 when it is 0
      {30, 100, 300, 26}, {30, 100, -40, 1},  // a panel narrower than its margins still gives 1
      {1e9, 100, 300, 1},                     // rounds to 0
  };
  for (const TCase& C : Cases) {
    TGraphModel M;
    M.SetAutoscale(false);
    SetScreen(M, C.Width);
    M.SetScaleX(C.ScaleX);
    if (C.Max > 0)
      M.AddSample(Sample(C.Max), 1);
    EXPECT_EQ(M.FittingScaleX(), C.Expected) << C.Max << " " << C.Width;
  }
}

TEST(GraphModel, ValueAtXFollowsZoomAndScroll)
{
  TGraphModel M;
  M.SetAutoscale(false);
  SetScreen(M);
  M.AddSample(Sample(100), 1);
  // 96 dpi: 37.795 px = 10 mm = one division of 1.
  EXPECT_NEAR(M.ValueAtX(16), 0.0, 1e-12);
  EXPECT_NEAR(M.ValueAtX(16 + 96), 2.54, 1e-9);
  M.SetHScrollPos(10);  // ten minor steps of 0.2
  EXPECT_NEAR(M.ValueAtX(16), 2.0, 1e-12);
  M.SetScaleX(50);
  EXPECT_NEAR(M.ValueAtX(16 + 96), 2.0 + 5.08, 1e-9);
}

TEST(GraphModel, ZeroLengthsMeasureNothing)
{
  for (const TZeroLengthCase& C : ZERO_LENGTH_CASES) {
    TGraphModel M;
    M.SetAutoscale(false);
    M.AddSample(Sample(-5), 1);
    M.AddSample(Sample(50), 1);
    M.SetScreenMetrics(C.Ppi, C.Ppi, 15, TGraphRect{16, 18, 316, 100});
    M.SetScaleX(C.ScaleX);
    M.SetdXPerDiv(C.PerDiv);
    M.SetdXLen(C.Len);
    M.SetHScrollPos(7);
    EXPECT_TRUE(M.Degenerate());
    EXPECT_EQ(M.ValueAtX(200), -5.0);
    EXPECT_EQ(M.ValueAtX(-1000000), -5.0);
    EXPECT_GE(M.FittingScaleX(), 1);
  }
}

TEST(GraphModel, PlotRectangleFromThePanel)
{
  TPanelLayout P;
  P.Width = 325;
  P.Height = 145;
  P.Bevel = 1;
  P.ReadoutLabelHeight = 16;
  P.TextHeight = 15;
  P.VScrollWidth = 16;
  P.HScrollHeight = 16;
  EXPECT_EQ(ComputePlotRect(P), (TGraphRect{16, 20, 325 - 1 - 16 - 15, 145 - 30 - 1 - 16}));
}

TEST(GraphModel, SelectionMarksAndCounts)
{
  TGraphModel M;
  for (uint16_t T = 1; T <= 4; ++T)
    M.AddSample(Sample(1), T);
  M.SelectTrace(2, 1);
  M.SelectTrace(0, 1);
  M.SelectTrace(5, 1);  // above the traces: ignored
  EXPECT_TRUE(M.TraceSelected(2));
  EXPECT_FALSE(M.TraceSelected(1));
  EXPECT_FALSE(M.TraceSelected(5));
  EXPECT_EQ(M.SelectedCount(), 1);
  M.SetAllSelectedMarks(true);
  EXPECT_EQ(M.SelectedCount(), 4);
  M.SetAllSelectedMarks(false);
  EXPECT_EQ(M.SelectedCount(), 0);
  EXPECT_EQ(M.TraceAttrs().GetCellPtr(5, ATTR_SELECTED).size(), 0u);
}

TEST(GraphModel, HitTestTakesTheLastTraceWhoseBandHoldsThePoint)
{
  TGraphModel M;
  SetScreen(M);
  for (uint16_t T = 1; T <= 3; ++T)
    M.AddSample(Sample(1), T);
  M.StoreBandRect(1, TGraphRect{16, 18, 316, 44});
  M.StoreBandRect(2, TGraphRect{16, 44, 316, 70});
  M.StoreBandRect(3, TGraphRect{16, 44, 316, 70});  // recorded over trace 2 (not drawn)
  struct TCase {
    int X, Y;
    uint16_t Trace;
  };
  const TCase Cases[] = {{20, 18, 1},  {20, 43, 1}, {20, 44, 3}, {315, 69, 3},
                         {316, 50, 0}, {20, 90, 0}, {5, 20, 0},  {20, 10, 0}};
  for (const TCase& C : Cases)
    EXPECT_EQ(M.HitTest(C.X, C.Y), C.Trace) << C.X << "," << C.Y;
  M.ResetBandRects();
  TGraphRect R;
  ASSERT_TRUE(M.BandRect(2, R));
  EXPECT_EQ(R, EMPTY_BAND_RECT);
  EXPECT_EQ(M.HitTest(20, 50), 0);
}

TEST(MarkerMath, PositionsAndValues)
{
  TMarkerTrack T{TGraphRect{16, 20, 316, 100}, 0, 30};
  EXPECT_EQ(MarkerXForValue(T, 0), 16);
  EXPECT_EQ(MarkerXForValue(T, 15), 166);
  EXPECT_EQ(MarkerXForValue(T, 30), 316);
  EXPECT_FALSE(MarkerXForValue(TMarkerTrack{T.Track, 5, 5}, 5).has_value());

  struct TCase {
    int64_t X;
    int64_t Left;
  };
  const TCase Lefts[] = {{0, 0}, {3, 0}, {166, 161}, {316, 311}, {330, 321}, {100000, 321}};
  for (const TCase& C : Lefts)
    EXPECT_EQ(MarkerLeftForX(T, C.X, 10), C.Left) << C.X;

  EXPECT_NEAR(static_cast<double>(*MarkerValueAtX(T, 166)), 15.0, 1e-12);
  // Far beyond the track the x is held one track width out: the value stays finite.
  EXPECT_NEAR(static_cast<double>(*MarkerValueAtX(T, std::numeric_limits<int64_t>::max() / 2)), 60.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(*MarkerValueAtX(T, -5000000)), -30.0, 1e-12);
  EXPECT_FALSE(MarkerValueAtX(TMarkerTrack{TGraphRect{16, 0, 16, 0}, 0, 1}, 20).has_value());
}

TEST(MarkerMath, ReadoutsUseFixedPrecisionSeven)
{
  struct TCase {
    long double V;
    char Sep;
    const char* Text;
  };
  const TCase Cases[] = {
      {86400.1234L, ',', "86400,120"}, {12.5L, '.', "12.500"},  {1, '.', "1.000"},
      {3.25L, '.', "3.250"},           {-2.25L, ',', "-2,250"}, {0, ',', "0,000"},
  };
  const char Saved = UtilityFormat().DecimalSeparator;
  for (const TCase& C : Cases) {
    UtilityFormat().DecimalSeparator = C.Sep;
    EXPECT_EQ(CursorReadoutText(C.V), C.Text);
  }
  UtilityFormat().DecimalSeparator = ',';
  // Ten million and more switch to the exponent form.
  EXPECT_NE(CursorReadoutText(12345678.0L).find('E'), std::string::npos);
  UtilityFormat().DecimalSeparator = Saved;
}

TEST(PixelRound, TiesToEvenAndHeldInRange)
{
  EXPECT_EQ(PixelRound(2.5L), 2);
  EXPECT_EQ(PixelRound(3.5L), 4);
  EXPECT_EQ(PixelRound(-2.5L), -2);
  EXPECT_EQ(PixelRound(std::nanl("")), 0);
  EXPECT_EQ(PixelRound(1e30L), int64_t{1} << 62);
  EXPECT_EQ(PixelRound(-std::numeric_limits<long double>::infinity()), -(int64_t{1} << 62));
}

TEST(GraphModel, ConstructorValues)
{
  // The chart is always made in code, so these (not any stored-form defaults) apply.
  const TGraphModel M;
  EXPECT_TRUE(M.Autoscale());
  EXPECT_EQ(M.DataBackGround(), 0xFFFFFFu);
  EXPECT_EQ(M.DataTimeType(), TIntervalTimeType::Seconds);
  EXPECT_EQ(M.DataTimeInterval(), 1);
  EXPECT_EQ(M.ScaleX(), 100);
  EXPECT_EQ(M.dXPerDiv(), 1.0);
  EXPECT_EQ(M.dXLen(), 10);
  EXPECT_EQ(M.MinorGridCnt(), 4);
  EXPECT_EQ(M.BandHeight(), 7);
  EXPECT_EQ(M.ScaleHeight(), 10.0L);
  EXPECT_EQ(M.MajorGridWidth(), 0.2L);
  EXPECT_EQ(M.MinorGridWidth(), 0.1L);
  EXPECT_EQ(M.MajorGridColor(), 0xFF0000u);
  EXPECT_EQ(M.MinorGridColor(), 0xFF0000u);
  EXPECT_EQ(M.MajorGridStyle(), TPenStyle::Solid);
  EXPECT_EQ(M.MinorGridStyle(), TPenStyle::DashDot);
  EXPECT_FALSE(M.ShowMajorGrid());
  EXPECT_FALSE(M.ShowMinorGrid());
  EXPECT_TRUE(M.CopyRangeAll());
  EXPECT_TRUE(M.PrintTitle().empty());
  const TPageSetup& P = M.PageSetup();
  EXPECT_EQ(std::vector<int>({P.Width, P.Height, P.LeftMargin, P.RightMargin, P.TopMargin, P.BottomMargin}),
            std::vector<int>({210, 297, 15, 15, 25, 20}));
  EXPECT_FALSE(M.UpdateLock());
}
