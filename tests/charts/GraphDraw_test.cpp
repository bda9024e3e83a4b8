#include "charts/GraphDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/charts/ChartSamples.h"

namespace {

// Records what the drawing routine asks for, with fake font metrics: "A" is 7 x 15 pixels.
struct TRecordingCanvas : IChartCanvas {
  struct TLine {
    int64_t X1, Y1, X2, Y2;
    int Width;
    TColorRef Color;
    TPenStyle Style;
  };
  struct TBar {
    int64_t X1, X2, RowTop, Rows;
    TColorRef Color;
    TPenStyle Style;
  };
  struct TText {
    int64_t X, Y;
    std::string Text;
    bool Opaque;
    TColorRef Background;
  };
  std::vector<TLine> Lines;
  std::vector<TBar> Bars;
  std::vector<TText> Texts;
  int CharWidth = 7, CharHeight = 15;

  TCharMetrics SelectChartFont() override { return {CharWidth, CharHeight}; }
  void Line(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int W, TColorRef C, TPenStyle S) override
  {
    Lines.push_back({X1, Y1, X2, Y2, W, C, S});
  }
  void Bar(int64_t X1, int64_t X2, int64_t Top, int64_t Rows, TColorRef C, TPenStyle S) override
  {
    Bars.push_back({X1, X2, Top, Rows, C, S});
  }
  void Text(int64_t X, int64_t Y, std::string_view B, TColorRef, bool Opaque, TColorRef Bg) override
  {
    Texts.push_back({X, Y, std::string(B), Opaque, Bg});
  }
  std::vector<std::string> TextsOnly() const
  {
    std::vector<std::string> R;
    for (const auto& T : Texts)
      R.push_back(T.Text);
    return R;
  }
};

TChartSample Sample(double Time, int32_t Color, uint8_t Thick = 10, uint8_t Style = 0)
{
  return ChartSample(Time, Color, Thick, Style);
}

// A 300-pixel axis at 96 dpi with "A" 7 pixels wide.
TTickParams AxisParams(long double DivMm, double PerDiv, uint16_t Minor, double Start, double End,
                       size_t UnitLen = 0)
{
  TTickParams P;
  P.DivLengthMm = DivMm;
  P.PerDiv = PerDiv;
  P.MinorPerDiv = Minor;
  P.PpiX = 96;
  P.Start = Start;
  P.End = End;
  P.PlotLeft = 16;
  P.PlotRight = 316;
  P.CharWidth = 7;
  P.UnitTextLen = UnitLen;
  return P;
}

// 96 dpi: a band of 7 mm is 26 px, 1 mm is 4 px, a bar of 1 mm is 4 px.
TDrawRequest Request(TGraphModel& M, double Start, double End)
{
  TDrawRequest R;
  R.Target = TDrawTarget::Screen;
  R.PpiX = R.PpiY = 96;
  R.Plot = TGraphRect{16, 20, 316, 120};
  R.FirstTrace = 1;
  R.LastTrace = M.TraceCount();
  R.Start = Start;
  R.End = End;
  return R;
}

void FixedZoom(TGraphModel& M)
{
  M.SetAutoscale(false);
  M.SetScaleX(100);
}

}  // namespace

TEST(GraphTicks, MajorAndMinorTicksWithLabels)
{
  const auto Ticks = GenerateTicks(AxisParams(10, 1, 4, 0, 2.1, 3));
  ASSERT_EQ(Ticks.size(), 11u);  // 0, 0.2, ..., 2.0
  const bool Majors[] = {true, false, false, false, false, true, false, false, false, false, true};
  for (size_t I = 0; I < Ticks.size(); ++I)
    EXPECT_EQ(Ticks[I].Major, Majors[I]) << I;
  EXPECT_EQ(Ticks[5].X, 38);  // 10 mm at 96 dpi
  EXPECT_EQ(Ticks[10].X, 76);
  EXPECT_EQ(Ticks[1].X, 8);  // 2 mm = 7.56 px
  EXPECT_EQ(Ticks[5].Label, "1");
  EXPECT_EQ(Ticks[5].LabelX, 16 + 38 - 3);
  EXPECT_TRUE(Ticks[0].LabelDrawn);
  EXPECT_TRUE(Ticks[5].LabelDrawn);
  EXPECT_TRUE(Ticks[10].LabelDrawn);
}

TEST(GraphTicks, LabelsGiveWayToTheUnitTextAndToEachOther)
{
  struct TCase {
    long double DivMm;
    double Start, End;
    std::vector<std::string> Drawn;
  };
  const TCase Cases[] = {
      // 5 mm divisions: 19 px apart, a label needs 7 + 17 px of room: every other one is shown.
      {5, 0, 8, {"0", "2", "4", "6", "8"}},
      // Near the right end the unit text takes the room of the last labels.
      {20, 0, 4, {"0", "1", "2", "3"}},
      {10, 100, 107, {"100", "102", "104", "106"}},
  };
  for (const TCase& C : Cases) {
    std::vector<std::string> Drawn;
    for (const TTick& T : GenerateTicks(AxisParams(C.DivMm, 1, 0, C.Start, C.End, 5)))
      if (T.LabelDrawn)
        Drawn.push_back(T.Label);
    EXPECT_EQ(Drawn, C.Drawn) << static_cast<double>(C.DivMm) << " " << C.Start;
  }
}

TEST(GraphTicks, LoopAlwaysEnds)
{
  struct TCase {
    double Start, End, PerDiv;
    size_t MaxTicks;
  };
  const TCase Cases[] = {
      {1e20, 2e20, 1, 1},  // a step lost to rounding: the value stops advancing
      {1e17, 2e17, 1, 4 * 300 + 16},
      {0, 1000, -1, 1},               // a negative division never reaches the end
      {0, 1e12, 1e-9, 4 * 300 + 16},  // far too many ticks for the plot
  };
  for (const TCase& C : Cases) {
    const TTickParams P = AxisParams(10, C.PerDiv, 4, C.Start, C.End);
    EXPECT_LE(GenerateTicks(P).size(), C.MaxTicks) << C.Start << " " << C.PerDiv;
    EXPECT_GE(GenerateTicks(P).size(), 1u);
  }
  int Asked = 0;
  EXPECT_EQ(GenerateTicks(AxisParams(10, 1, 0, 0, 100), [&] { return ++Asked >= 3; }).size(), 3u);
}

TEST(GraphTicks, DenseTicksReachTheRightEndOfTheAxis)
{
  // The 300-pixel axis is 79.375 mm long. At the smallest zoom a minor tick is a fraction of a
  // pixel wide; the axis must still carry tick marks and labels up to its right end.
  struct TCase {
    long double DivMm;
    uint16_t Minor;
    double End;          // the value at the right edge
    int64_t LastMajorX;  // the last major tick mark
    double LastLabel;    // the last label that fits left of the unit text
  };
  const TCase Cases[] = {
      {10, 4, 7.9375, 265, 7},       // 2 mm per minor tick: the ordinary case
      {0.1, 4, 793.75, 300, 684},    // zoom 1 %: 13 ticks per pixel
      {0.01, 4, 7937.5, 300, 6840},  // 1 mm divisions at zoom 1 %: 132 ticks per pixel
      {0.1, 0, 793.75, 300, 684},    // every tick a major one
  };
  for (const TCase& C : Cases) {
    const auto Ticks = GenerateTicks(AxisParams(C.DivMm, 1, C.Minor, 0, C.End, 3));
    ASSERT_FALSE(Ticks.empty());
    EXPECT_LE(Ticks.size(), 4u * 300 + 16);
    int64_t LastMajorX = -1;
    double LastDrawn = -1;
    std::vector<int> PerColumn(301 * 2, 0);
    for (const TTick& T : Ticks) {
      ASSERT_GE(T.X, 0);
      ASSERT_LE(T.X, 300);
      EXPECT_EQ(++PerColumn[static_cast<size_t>(T.X * 2 + (T.Major ? 1 : 0))], 1) << T.X;
      if (T.Major)
        LastMajorX = T.X;
      if (T.LabelDrawn)
        LastDrawn = T.Value;
    }
    EXPECT_EQ(LastMajorX, C.LastMajorX) << static_cast<double>(C.DivMm);
    EXPECT_NEAR(LastDrawn, C.LastLabel, 0.5) << static_cast<double>(C.DivMm);
  }
}

TEST(GraphDraw, BandsStackSkipAndRecord)
{
  TGraphModel M;
  FixedZoom(M);
  // 1: from 0; 2: starts at 5 (after the view's start); 3: hidden; 4: from 0; 5, 6: no samples.
  M.AddSample(Sample(0, 0x0000FF), 1);
  M.AddSample(Sample(4, 0x00FF00), 1);
  M.AddSample(Sample(5, 0x0000FF), 2);
  M.AddSample(Sample(0, 0x0000FF), 3);
  M.SetBandFlag(3, false);
  M.AddSample(Sample(0, 0xFF0000), 4);
  M.AddSample(Sample(6, 0xFF0000), 4);
  M.SetTraceCaption(4, "Q4");
  M.SetTraceCaption(6, "none");
  M.AddSample(Sample(0, 0), 6);
  M.Traces().SetColCount(6, 0);  // a row without samples

  TRecordingCanvas C;
  std::vector<TBandRecord> Rec;
  DrawChart(M, Request(M, 0, 7.9), C, &Rec);

  // Captions: trace 1 on the top band, trace 4 moves up into the room trace 2 did not take.
  std::vector<std::string> Captions;
  std::vector<int64_t> CaptionY;
  for (const auto& T : C.Texts)
    if (T.Text.rfind("Wykres", 0) == 0 || T.Text.rfind("4.", 0) == 0) {
      Captions.push_back(T.Text);
      CaptionY.push_back(T.Y);
      EXPECT_TRUE(T.Opaque);
      EXPECT_EQ(T.Background, CLR_WHITE);
      EXPECT_EQ(T.X, 16 + 14);
    }
  EXPECT_EQ(Captions, (std::vector<std::string>{"Wykres 1", "4. Q4"}));
  EXPECT_EQ(CaptionY, (std::vector<int64_t>{20 + 5, 20 + 26 + 5}));

  // Recorded: trace 2 over the same room as trace 4, trace 3 and 6 with no height.
  ASSERT_EQ(Rec.size(), 6u);
  EXPECT_EQ(Rec[0].Trace, 1);
  EXPECT_EQ(Rec[0].Rect, (TGraphRect{16, 20, 316, 46}));
  EXPECT_EQ(Rec[1].Trace, 2);
  EXPECT_EQ(Rec[1].Rect, (TGraphRect{16, 46, 316, 72}));
  EXPECT_EQ(Rec[2].Trace, 3);
  EXPECT_TRUE(Rec[2].Rect.IsEmpty());
  EXPECT_EQ(Rec[3].Trace, 4);
  EXPECT_EQ(Rec[3].Rect, (TGraphRect{16, 46, 316, 72}));
  EXPECT_EQ(Rec[4].Trace, 5);
  EXPECT_TRUE(Rec[4].Rect.IsEmpty());
  EXPECT_EQ(Rec[5].Trace, 6);
  EXPECT_TRUE(Rec[5].Rect.IsEmpty());

  // Bars stand on the band bottom; the last sample of a trace draws nothing after it.
  ASSERT_EQ(C.Bars.size(), 2u);
  EXPECT_EQ(C.Bars[0].X1, 16);
  EXPECT_EQ(C.Bars[0].X2, 16 + 151);  // 4 divisions of 10 mm = 151.18 px
  EXPECT_EQ(C.Bars[0].RowTop, 20 + 26 - 4);
  EXPECT_EQ(C.Bars[0].Rows, 4);
  EXPECT_EQ(C.Bars[0].Color, 0x0000FFu);
  EXPECT_EQ(C.Bars[1].RowTop, 46 + 26 - 4);
  EXPECT_EQ(C.Bars[1].X2, 16 + 227);
  EXPECT_EQ(C.Bars[1].Color, 0xFF0000u);

  // Separators below each drawn band, in the minor width, across the plot.
  int Separators = 0;
  for (const auto& L : C.Lines)
    if (L.Y1 == L.Y2 && L.X1 == 16 && L.X2 == 316 && (L.Y1 == 46 || L.Y1 == 72))
      ++Separators;
  EXPECT_EQ(Separators, 2);
}

TEST(GraphDraw, ViewStartingAfterTheFirstSampleDrawsTheLaterTrace)
{
  TGraphModel M;
  FixedZoom(M);
  M.AddSample(Sample(0, 1), 1);
  M.AddSample(Sample(5, 2), 2);
  M.AddSample(Sample(9, 3), 2);
  TRecordingCanvas C;
  DrawChart(M, Request(M, 6, 8), C);
  std::vector<std::string> Names;
  for (const auto& T : C.Texts)
    if (T.Text.rfind("Wykres", 0) == 0)
      Names.push_back(T.Text);
  EXPECT_EQ(Names, (std::vector<std::string>{"Wykres 1", "Wykres 2"}));
  ASSERT_EQ(C.Bars.size(), 1u);  // trace 1's only sample ends its bar
  EXPECT_EQ(C.Bars[0].Color, 2u);
  EXPECT_EQ(C.Bars[0].X1, 16);        // clipped at the plot's left edge
  EXPECT_EQ(C.Bars[0].X2, 16 + 113);  // 3 divisions = 113.4 px
}

TEST(GraphDraw, SegmentsClipToThePlot)
{
  TGraphModel M;
  FixedZoom(M);
  M.AddSample(Sample(0, 1), 1);
  M.AddSample(Sample(2, 2), 1);   // 0..2 wholly left of the view
  M.AddSample(Sample(20, 3), 1);  // 2..20 crosses the view
  M.AddSample(Sample(30, 4), 1);  // starts beyond the view's end: not walked
  M.AddSample(Sample(40, 5), 1);
  TRecordingCanvas C;
  DrawChart(M, Request(M, 3, 9), C);
  ASSERT_EQ(C.Bars.size(), 1u);
  EXPECT_EQ(C.Bars[0].Color, 2u);
  EXPECT_EQ(C.Bars[0].X1, 16);
  EXPECT_EQ(C.Bars[0].X2, 316);
}

TEST(GraphDraw, BitmapTargetDrawsOnlySelectedTracesAndPrinterAddsTitle)
{
  TGraphModel M;
  FixedZoom(M);
  for (uint16_t T = 1; T <= 3; ++T) {
    M.AddSample(Sample(0, T), T);
    M.AddSample(Sample(5, T), T);
  }
  M.SelectTrace(2, 1);
  TRecordingCanvas C;
  TDrawRequest R = Request(M, 0, 5);
  R.Target = TDrawTarget::Bitmap;
  DrawChart(M, R, C);
  ASSERT_EQ(C.Bars.size(), 1u);
  EXPECT_EQ(C.Bars[0].Color, 2u);
  EXPECT_EQ(C.Bars[0].RowTop, 20 + 26 - 4);

  M.SetPrintTitle("Zdarzenia");
  TRecordingCanvas P;
  R.Target = TDrawTarget::Printer;
  DrawChart(M, R, P);
  EXPECT_EQ(P.Bars.size(), 3u);
  ASSERT_FALSE(P.Texts.empty());
  EXPECT_EQ(P.Texts.back().Text, "Zdarzenia");
  EXPECT_EQ(P.Texts.back().X, 16);
  EXPECT_EQ(P.Texts.back().Y, 100);
  for (const auto& T : P.Texts)
    EXPECT_FALSE(T.Opaque);
}

TEST(GraphDraw, AxisGridAndLabelsOnTheCanvas)
{
  TGraphModel M;
  FixedZoom(M);
  M.SetShowMajorGrid(true);
  M.SetShowMinorGrid(true);
  M.AddSample(Sample(0, 1), 1);
  M.AddSample(Sample(10, 1), 1);
  TRecordingCanvas C;
  DrawChart(M, Request(M, 0, 7.9), C);
  // The axis first: left edge, then bottom edge, major width 1 at 96 dpi.
  ASSERT_GE(C.Lines.size(), 2u);
  EXPECT_EQ(C.Lines[0].X1, 16);
  EXPECT_EQ(C.Lines[0].Y1, 20);
  EXPECT_EQ(C.Lines[0].Y2, 120);
  EXPECT_EQ(C.Lines[1].Y1, 120);
  EXPECT_EQ(C.Lines[1].X2, 316);
  int MajorGrid = 0, MinorGrid = 0, MajorMarks = 0, MinorMarks = 0;
  for (const auto& L : C.Lines) {
    if (L.Y1 == 20 && L.Y2 == 120 && L.X1 != 16 && L.Color == M.MajorGridColor()) {
      if (L.Style == TPenStyle::Solid)
        ++MajorGrid;
      else
        ++MinorGrid;
      EXPECT_EQ(L.Width, 1);  // minor lines too take the major width
    }
    if (L.Y1 == 120 && L.Y2 == 128)
      ++MajorMarks;
    if (L.Y1 == 120 && L.Y2 == 124)
      ++MinorMarks;
  }
  EXPECT_EQ(MajorMarks, 8);  // 0..7
  EXPECT_EQ(MajorGrid, 7);   // the one at the left edge too, but not x = 16 counted above
  EXPECT_EQ(MinorGrid, 7 * 4 + 4);
  EXPECT_EQ(MinorMarks, 7 * 4 + 4);
  const auto Texts = C.TextsOnly();
  EXPECT_EQ(Texts.front(), "[s]");
  EXPECT_EQ(C.Texts.front().X, 316 - 10);
  EXPECT_EQ(C.Texts.front().Y, 120 + 10);
}

TEST(GraphDraw, ZeroLengthsDrawOnlyTheAxis)
{
  for (const TZeroLengthCase& K : ZERO_LENGTH_CASES) {
    TGraphModel M;
    M.SetAutoscale(false);
    M.AddSample(Sample(0, 1), 1);
    M.AddSample(Sample(10, 1), 1);
    M.SetScaleX(K.ScaleX);
    M.SetdXPerDiv(K.PerDiv);
    M.SetdXLen(K.Len);
    TRecordingCanvas C;
    TDrawRequest R = Request(M, 0, 10);
    R.PpiX = R.PpiY = K.Ppi;
    std::vector<TBandRecord> Rec;
    DrawChart(M, R, C, &Rec);
    EXPECT_EQ(C.Lines.size(), 2u);
    EXPECT_TRUE(C.Bars.empty());
    EXPECT_TRUE(C.Texts.empty());
  }
}

TEST(GraphDraw, DayLongSequenceAtHighZoomOnAFinePrinter)
{
  TGraphModel M;
  M.SetAutoscale(false);
  M.SetScaleX(100000);
  M.AddSample(Sample(0, 1), 1);
  M.AddSample(Sample(43200, 2), 1);
  M.AddSample(Sample(86400, 3), 1);
  TRecordingCanvas C;
  TDrawRequest R = Request(M, 43100, 43300);
  R.Target = TDrawTarget::Printer;
  R.PpiX = R.PpiY = 1200;
  R.Plot = TGraphRect{700, 1200, 9200, 12000};
  DrawChart(M, R, C);
  // Half a day is 1.7e11 px here: far beyond 32 bits, clipped before it reaches the canvas.
  ASSERT_EQ(C.Bars.size(), 1u);
  EXPECT_EQ(C.Bars[0].X1, 700);
  EXPECT_EQ(C.Bars[0].X2, 9200);
  for (const auto& L : C.Lines) {
    EXPECT_GE(L.X1, 700);
    EXPECT_LE(L.X1, 9200);
  }
}

TEST(GraphCopyPlan, SizesAndNothingToCopy)
{
  TGraphModel M;
  FixedZoom(M);
  for (uint16_t T = 1; T <= 3; ++T) {
    M.AddSample(Sample(0, T), T);
    M.AddSample(Sample(10, T), T);
  }
  EXPECT_FALSE(PlanClipboardCopy(M, 1, 2, 96, 96).has_value());  // nothing selected
  M.SelectTrace(1, 1);
  M.SelectTrace(3, 1);
  auto P = PlanClipboardCopy(M, 1, 2, 96, 96);
  ASSERT_TRUE(P.has_value());
  EXPECT_EQ(P->Start, 0);
  EXPECT_EQ(P->End, 10);
  EXPECT_EQ(P->SpanWidth, 378);   // 100 mm
  EXPECT_EQ(P->BandsHeight, 52);  // two bands of 26
  EXPECT_EQ(P->AxisHeight, 38);   // 10 mm, horizontal pixels
  EXPECT_EQ(P->ImageWidth(), 388);
  EXPECT_EQ(P->ImageHeight(), 100);
  EXPECT_EQ(P->Plot, (TGraphRect{10, 10, 388, 62}));
  // The axis strip follows the horizontal resolution even on an anisotropic device.
  EXPECT_EQ(PlanClipboardCopy(M, 1, 2, 192, 96)->AxisHeight, 76);

  M.SetCopyRangeAll(false);
  P = PlanClipboardCopy(M, 7, 3, 96, 96);
  ASSERT_TRUE(P.has_value());
  EXPECT_EQ(P->Start, 3);
  EXPECT_EQ(P->End, 7);
  EXPECT_FALSE(PlanClipboardCopy(M, 4, 4, 96, 96).has_value());  // both cursors on one value

  M.SetAllSelectedMarks(false);
  M.SetBandFlag(2, false);
  M.SelectTrace(2, 1);  // selected but without height
  EXPECT_FALSE(PlanClipboardCopy(M, 3, 7, 96, 96).has_value());
}

TEST(GraphDraw, InvertedPlotOfATinyPanelDrawsNoBars)
{
  TGraphModel M;
  FixedZoom(M);
  M.AddSample(Sample(0, 1), 1);
  M.AddSample(Sample(5, 1), 1);
  TRecordingCanvas C;
  TDrawRequest R = Request(M, 0, 5);
  R.Plot = TGraphRect{16, 20, 4, 120};
  DrawChart(M, R, C);
  for (const auto& B : C.Bars)
    EXPECT_EQ(B.X1, B.X2);
}

TEST(GraphTicks, AxisReachesItsEndAtAnyMinorCount)
{
  // 16 s fitted into an 854-pixel plot at 96 dpi: a division of 1 s is 53.375 px.
  for (const uint16_t Minor : {uint16_t(0), uint16_t(4), uint16_t(99), uint16_t(1000), uint16_t(65535)}) {
    TTickParams P = AxisParams(854 * 25.4L / 96 / 16, 1, Minor, 0, 16, 3);
    P.PlotRight = P.PlotLeft + 854;
    const auto Ticks = GenerateTicks(P);
    ASSERT_FALSE(Ticks.empty()) << Minor;
    EXPECT_LE(Ticks.size(), 2u * 855) << Minor;
    std::vector<double> Majors;
    std::vector<int> PerColumn(855 * 2, 0);
    size_t MinorColumns = 0;
    for (const TTick& T : Ticks) {
      ASSERT_GE(T.X, 0);
      ASSERT_LE(T.X, 854);
      EXPECT_EQ(++PerColumn[static_cast<size_t>(T.X * 2 + (T.Major ? 1 : 0))], 1) << Minor << " " << T.X;
      if (T.Major)
        Majors.push_back(T.Value);
      else
        ++MinorColumns;
    }
    // Every second a major tick, exactly on its value, up to the right end.
    ASSERT_EQ(Majors.size(), 17u) << Minor;
    for (size_t I = 0; I < Majors.size(); ++I)
      EXPECT_NEAR(Majors[I], static_cast<double>(I), 1e-9) << Minor;
    EXPECT_EQ(Ticks.back().X, 854) << Minor;
    // Minor ticks in as many of the 855 columns as they need, at most one each.
    const size_t Want = std::min<size_t>(size_t{Minor} * 16, 855);
    EXPECT_GE(MinorColumns, Want * 9 / 10) << Minor;
    EXPECT_LE(MinorColumns, Want) << Minor;
  }
}

TEST(GraphTicks, LabelsShowTheDecimalsOfTheDivision)
{
  struct TCase {
    double PerDiv, Value;
    const char* Label;
  };
  const TCase Cases[] = {
      // A whole division keeps the whole numbers, halves to the even neighbour included.
      {1, 2.5, "2"},
      {2, 3, "3"},
      {1, -0.4, "0"},
      // Otherwise the decimals the division needs, without trailing zeros.
      {0.5, 1.5, "1,5"},
      {0.5, 2, "2"},
      {0.25, 0.75, "0,75"},
      {0.25, 0.5, "0,5"},
      {2.5, 7.5, "7,5"},
      {0.1, 0.30000000000000004, "0,3"},
      {0.1, -0.2, "-0,2"},
      {0.1, -1e-17, "0"},
      {0.125, 0.375, "0,375"},
      {0.001, 0.003, "0,003"},
      // Finer divisions: as many decimals as they need, so neighbours never read alike.
      {0.0002, 0.0004, "0,0004"},
      {0.0002, 0.0006, "0,0006"},
      {0.0002, 0.0008, "0,0008"},
      {0.0005, -0.2, "-0,2"},
      {0.0005, -0.1995, "-0,1995"},
      {0.0005, -0.199, "-0,199"},
      {0.0005, 0.0005 * 3, "0,0015"},
      {0.00025, 0.00025 * 3, "0,00075"},
      {0.00025, 0.0005, "0,0005"},
      {0.0125, 0.0125, "0,0125"},
      {0.0125, 0.0125 * 7, "0,0875"},
      {0.0125, 0.025, "0,025"},
      {1e-7, 1e-7 * 3, "0,0000003"},
      {1e-7, -1e-7 * 2, "-0,0000002"},
      {1e-7, 1e-7 * 10, "0,000001"},
      // A division no decimals hold keeps three significant digits, and three decimals at least.
      {1.0 / 3, 1.0 / 3, "0,333"},
      {1.0 / 3, 2.0 / 3, "0,667"},
      {1.0 / 3000, 1.0 / 3000, "0,000333"},
      {1.0 / 3000, 2.0 / 3000, "0,000667"},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(TickLabel(C.PerDiv, C.Value), C.Label) << C.PerDiv << " " << C.Value;
}

TEST(GraphTicks, NeighbouringLabelsNeverReadAlike)
{
  // Fine divisions as the chart options take them, down to a ten-millionth, with the ticks
  // an axis starting below zero reaches.
  const double Divisions[] = {0.1,     0.25,    0.001,  0.0005, 0.00025, 0.0002, 0.0125,
                              1.0 / 3, 1.0 / 7, 0.0003, 3e-6,   1.5e-6,  2.5e-7, 1e-7};
  for (const double PerDiv : Divisions) {
    std::string Previous = TickLabel(PerDiv, -500 * PerDiv);
    for (int K = -499; K <= 500; ++K) {
      const std::string Label = TickLabel(PerDiv, K * PerDiv);
      EXPECT_NE(Label, Previous) << PerDiv << " at " << K;
      Previous = Label;
    }
  }
}

TEST(GraphDraw, FractionalDivisionLabelsOnScreenAndOnThePage)
{
  struct TCase {
    double PerDiv;
    std::vector<std::string> Screen;  // the labels left of the unit text on a 300-pixel plot
    std::vector<std::string> Page;    // ten divisions across a page
  };
  const TCase Cases[] = {
      {1, {"0", "1", "2", "3"}, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
      {0.5, {"0", "0,5", "1", "1,5"}, {"0", "0,5", "1", "1,5", "2", "2,5", "3", "3,5", "4", "4,5"}},
      {0.25,
       {"0", "0,25", "0,5", "0,75"},
       {"0", "0,25", "0,5", "0,75", "1", "1,25", "1,5", "1,75", "2", "2,25"}},
      {0.1, {"0", "0,1", "0,2", "0,3"}, {"0", "0,1", "0,2", "0,3", "0,4", "0,5", "0,6", "0,7", "0,8", "0,9"}},
      {0.001,
       {"0", "0,001", "0,002", "0,003"},
       {"0", "0,001", "0,002", "0,003", "0,004", "0,005", "0,006", "0,007", "0,008", "0,009"}},
      {0.0005,
       {"0", "0,0005", "0,001", "0,0015"},
       {"0", "0,0005", "0,001", "0,0015", "0,002", "0,0025", "0,003", "0,0035", "0,004", "0,0045"}},
  };
  // The labels are the texts on the line of the unit text.
  auto Labels = [](const TRecordingCanvas& C) {
    std::vector<std::string> R;
    const auto Unit =
        std::find_if(C.Texts.begin(), C.Texts.end(), [](const auto& T) { return T.Text == "[s]"; });
    EXPECT_NE(Unit, C.Texts.end());
    if (Unit == C.Texts.end())
      return R;
    for (const auto& T : C.Texts)
      if (T.Y == Unit->Y && &T != &*Unit)
        R.push_back(T.Text);
    return R;
  };
  for (const TCase& K : Cases) {
    TGraphModel M;
    M.SetAutoscale(false);
    M.SetScaleX(200);  // 20 mm per division
    M.SetdXPerDiv(K.PerDiv);
    M.AddSample(Sample(0, 1), 1);
    M.AddSample(Sample(10 * K.PerDiv, 1), 1);
    TRecordingCanvas Screen;
    DrawChart(M, Request(M, 0, 5 * K.PerDiv), Screen);
    EXPECT_EQ(Labels(Screen), K.Screen) << K.PerDiv;

    // A page at 300 dpi: ten divisions across, every label drawn.
    TRecordingCanvas Page;
    TDrawRequest R = Request(M, 0, 9.5 * K.PerDiv);
    R.Target = TDrawTarget::Printer;
    R.PpiX = R.PpiY = 300;
    R.Plot = TGraphRect{200, 300, 2600, 1500};
    DrawChart(M, R, Page);
    EXPECT_EQ(Labels(Page), K.Page) << K.PerDiv;
  }
}
