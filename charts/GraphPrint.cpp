#include "charts/GraphPrint.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "charts/Extgraph.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {

constexpr int64_t INT_LIMIT = std::numeric_limits<int32_t>::max();

int64_t PxX(int Ppi, long double Mm) { return PixelRound(MmToPixels(Ppi, Mm)); }

}  // namespace

int64_t PrintedBandMm(TGraphModel& Model, uint16_t Trace)
{
  if (Model.SampleCount(Trace) == 0 || !Model.BandFlag(Trace))
    return 0;
  return Model.BandHeight();
}

int64_t PrintableWidthMm(const TPageSetup& S) { return int64_t(S.Width) - S.LeftMargin - S.RightMargin; }

int64_t PrintableHeightMm(const TPageSetup& S) { return int64_t(S.Height) - S.TopMargin - S.BottomMargin; }

std::vector<TPageRow> PackPageRows(TGraphModel& Model)
{
  std::vector<TPageRow> Rows;
  const int Count = Model.TraceCount();
  const long double Room = static_cast<long double>(PrintableHeightMm(Model.PageSetup()));
  const long double Axis = Model.ScaleHeight();
  for (int T = 1; T <= Count; ++T) {
    const int64_t H = PrintedBandMm(Model, static_cast<uint16_t>(T));
    // A trace that would overflow begins the next row, and that row takes it whatever its
    // height: a band taller than the page still gets a page.
    if (Rows.empty() || static_cast<long double>(Rows.back().BandsMm + H) + Axis > Room) {
      Rows.push_back(TPageRow{T, T, H});
      continue;
    }
    Rows.back().Last = T;
    Rows.back().BandsMm += H;
  }
  return Rows;
}

int PageRowCount(const std::vector<TPageRow>& Rows)
{
  if (Rows.empty())
    return 0;
  const int N = static_cast<int>(std::min<size_t>(Rows.size(), size_t(INT_LIMIT)));
  return Rows.back().BandsMm == 0 ? N - 1 : N;
}

int PagesAcross(const TGraphModel& Model)
{
  const int64_t Width = PrintableWidthMm(Model.PageSetup());
  const double PerDiv = Model.dXPerDiv();
  if (Width <= 0 || PerDiv == 0 || !std::isfinite(PerDiv))
    return 0;
  const long double Length =
      (static_cast<long double>(Model.DataMaxRange()) - Model.DataMinRange()) * Model.DivLengthMm() / PerDiv;
  const long double Pages = Length / static_cast<long double>(Width);
  if (!(Pages > 0))
    return 0;
  if (Pages >= static_cast<long double>(INT_LIMIT))
    return static_cast<int>(INT_LIMIT);
  const auto Whole = static_cast<int64_t>(Pages);
  return static_cast<int>(
      std::min<int64_t>(INT_LIMIT, Whole + (Pages > static_cast<long double>(Whole) ? 1 : 0)));
}

double PageSpan(const TGraphModel& Model)
{
  const long double L = Model.DivLengthMm();
  if (L == 0)
    return 0;
  return static_cast<double>(static_cast<long double>(PrintableWidthMm(Model.PageSetup())) / L *
                             Model.dXPerDiv());
}

void ReadPrinterPage(TGraphModel& Model, IChartPageSink& Sink)
{
  int W = 0, H = 0;
  bool Landscape = false;
  if (!Sink.ReadPage(W, H, Landscape))
    return;
  TPageSetup& S = Model.PageSetup();
  S.Width = W;
  S.Height = H;
  S.Landscape = Landscape;
}

int ChartPages(TGraphModel& Model, IChartPageSink& Sink)
{
  ReadPrinterPage(Model, Sink);
  const int64_t Rows = PageRowCount(PackPageRows(Model));
  return static_cast<int>(std::min<int64_t>(INT_LIMIT, Rows * PagesAcross(Model)));
}

TGraphRect PrintedPlotRect(const TGraphModel& Model, const TPageRow& Row, int PpiX, int PpiY)
{
  const TPageSetup& S = Model.PageSetup();
  const auto Clip = [](int64_t V) {
    return static_cast<int32_t>(std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), INT_LIMIT));
  };
  TGraphRect R;
  R.Left = Clip(PxX(PpiX, S.LeftMargin));
  R.Right = Clip(PxX(PpiX, S.Width) - PxX(PpiX, S.RightMargin));
  R.Top = Clip(PxX(PpiY, S.TopMargin));
  R.Bottom = Clip(PxX(PpiY, S.TopMargin) + PxX(PpiY, static_cast<long double>(Row.BandsMm)) +
                  PxX(PpiY, Model.ScaleHeight()));
  return R;
}

int PrintChart(TGraphModel& Model, int FromPage, int ToPage, IChartPageSink& Sink)
{
  ReadPrinterPage(Model, Sink);
  const int Total = ChartPages(Model, Sink);
  const int Across = PagesAcross(Model);
  if (Total < FromPage)
    return 0;
  ToPage = std::min(ToPage, Total);
  // A range that holds no page begins no job (and a last page below 1 never ends a loop).
  if (ToPage < 1 || ToPage < FromPage || Across < 1)
    return 0;
  if (Sink.IsSystemPrinter() && !Sink.HasDefaultPrinter()) {
    Prompts().Confirm("Brak domyślnej drukarki"_cp, "Błąd"_cp, TPromptButtons::Ok, TPromptKind::Error);
    return 0;
  }
  Sink.SetTitle(Model.PrintTitle());
  if (!Sink.Printing() && !Sink.BeginJob())
    return 0;

  const std::vector<TPageRow> Rows = PackPageRows(Model);
  const double Span = PageSpan(Model);
  int Drawn = 0;
  int Page = 0, Column = Across;
  size_t RowIndex = 0;
  TPageRow Row;
  double Start = Model.DataMinRange();
  do {
    ++Page;
    ++Column;
    if (Column > Across) {
      Column = 1;
      Row = RowIndex < Rows.size() ? Rows[RowIndex] : TPageRow{};
      ++RowIndex;
      Start = Model.DataMinRange();
    }
    if (FromPage <= Page && Page <= ToPage) {
      TDrawRequest Q;
      Q.Target = TDrawTarget::Printer;
      Q.PpiX = Sink.PpiX();
      Q.PpiY = Sink.PpiY();
      Q.Plot = PrintedPlotRect(Model, Row, Q.PpiX, Q.PpiY);
      Q.FirstTrace = Row.First;
      Q.LastTrace = Row.Last;
      Q.Start = Start;
      Q.End = Start + Span;
      Q.Aborted = [&Sink] { return Sink.Aborted(); };
      Sink.DrawPage(Model, Q);
      ++Drawn;
      if (Page < ToPage && !Sink.NewPage())
        return Drawn;
    }
    Start += Span;
    Sink.ProcessEvents();
    // An aborted job has been ended by whoever aborted it.
    if (Sink.Aborted())
      return Drawn;
  } while (Page < ToPage);
  Sink.EndJob();
  return Drawn;
}
