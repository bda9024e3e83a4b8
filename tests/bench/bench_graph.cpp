// The chart's full redraw: 150 traces of 200 samples each on a 1920 x 1080 panel. The figure
// that matters is the median time of one redraw of the back buffer (one frame at 60 Hz is
// 16.7 ms). Run with QT_QPA_PLATFORM=offscreen when there is no display.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "charts/GraphDraw.h"
#include "charts/GraphModel.h"

namespace {

constexpr int TRACES = 150;
constexpr int SAMPLES = 200;

void Fill(TGraphModel& M)
{
  const int32_t Colors[] = {0x0000FF, 0x008000, 0xC00000, 0x808080, 0x0080FF};
  M.BeginUpdate();
  M.Clear();
  for (int T = 1; T <= TRACES; ++T) {
    M.SetTraceCaption(T, "Przebieg");
    for (int S = 0; S < SAMPLES; ++S) {
      TChartSample X;
      X.Time = S * 0.15 + (T % 7) * 0.01;
      if (S == 0)
        X.Time = 0;
      X.Color = Colors[(S + T) % 5];
      X.Thickness = static_cast<uint8_t>(3 + (S % 3) * 4);
      X.PenStyle = static_cast<uint8_t>((S + T) % 7 == 0 ? 1 : 0);
      M.AddSample(X, static_cast<uint16_t>(T));
    }
  }
  M.SetUpdateLock(false);
}

// The drawing routine alone: what it asks of a canvas that does nothing.
struct TNullCanvas : IChartCanvas {
  int64_t Calls = 0;
  TCharMetrics SelectChartFont() override { return {8, 15}; }
  void Line(int64_t, int64_t, int64_t, int64_t, int, TColorRef, TPenStyle) override { ++Calls; }
  void Bar(int64_t, int64_t, int64_t, int64_t, TColorRef, TPenStyle) override { ++Calls; }
  void Text(int64_t, int64_t, std::string_view, TColorRef, bool, TColorRef) override { ++Calls; }
};

void BM_DrawChartGeometry(benchmark::State& State)
{
  TGraphModel M;
  M.SetAutoscale(false);
  M.SetScaleX(25);
  Fill(M);
  TDrawRequest R;
  R.PpiX = R.PpiY = 96;
  R.Plot = TGraphRect{16, 20, 1880, 4000};  // every trace gets a band
  R.LastTrace = TRACES;
  R.End = 30;
  TNullCanvas C;
  for (auto _ : State) {
    std::vector<TBandRecord> Rec;
    DrawChart(M, R, C, &Rec);
    benchmark::DoNotOptimize(Rec.data());
  }
  State.counters["calls/draw"] = static_cast<double>(C.Calls) / static_cast<double>(State.iterations());
}
BENCHMARK(BM_DrawChartGeometry)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// The time axis alone on a 1864-pixel plot of 30 s: the work should follow the plot's width
// whatever the minor count (the argument), so the figures for 4 and 65535 stay close.
void BM_AxisTicks(benchmark::State& State)
{
  const TTickParams P{.DivLengthMm = 1864 * 25.4L / 96 / 30,
                      .PerDiv = 1,
                      .MinorPerDiv = static_cast<uint16_t>(State.range(0)),
                      .PpiX = 96,
                      .Start = 0,
                      .End = 30,
                      .PlotLeft = 16,
                      .PlotRight = 1880,
                      .CharWidth = 8,
                      .UnitTextLen = 3};
  size_t Ticks = 0;
  for (auto _ : State) {
    const std::vector<TTick> T = GenerateTicks(P);
    Ticks = T.size();
    benchmark::DoNotOptimize(T.data());
  }
  State.counters["ticks"] = static_cast<double>(Ticks);
}
BENCHMARK(BM_AxisTicks)->Arg(4)->Arg(99)->Arg(65535)->Unit(benchmark::kMicrosecond);

}  // namespace

#if __has_include(<QApplication>)
#include <QApplication>
#include <QImage>
#include <QPainter>

#include "charts/ui/Graph.h"
#include "charts/ui/GraphRender.h"

namespace {

void BM_GraphFullRedraw(benchmark::State& State)
{
  TGraph G;
  G.resize(1920, 1080);
  G.show();
  QApplication::processEvents();
  Fill(G.Model());
  G.Model().EndUpdate();
  for (auto _ : State) {
    G.Redraw();
    benchmark::DoNotOptimize(G.Frame().constBits());
  }
}
BENCHMARK(BM_GraphFullRedraw)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// All 150 bands painted: a plot tall enough for every trace.
void BM_RenderAllBands(benchmark::State& State)
{
  TGraphModel M;
  M.SetAutoscale(false);
  M.SetScaleX(25);
  Fill(M);
  QImage Img(1920, 4100, QImage::Format_RGB32);
  TDrawRequest R;
  R.PpiX = R.PpiY = 96;
  R.Plot = TGraphRect{16, 20, 1880, 4000};
  R.LastTrace = TRACES;
  R.End = 30;
  for (auto _ : State) {
    Img.fill(Qt::white);
    QPainter P(&Img);
    RenderChart(P, M, R);
  }
}
BENCHMARK(BM_RenderAllBands)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication App(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
#else
BENCHMARK_MAIN();
#endif
