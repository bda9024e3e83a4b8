// Chart printing without a printer: page rows, pages across, the page count, the page range,
// the layout of each page and the job's course, through a recording page sink.
#include "charts/GraphPrint.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/charts/ChartSamples.h"

namespace {

class TRecordingSink : public IChartPageSink {
public:
  bool ReadPage(int& W, int& H, bool& L) override
  {
    ++Reads;
    if (!HasPrinter)
      return false;
    W = Width;
    H = Height;
    L = Landscape;
    return true;
  }
  bool IsSystemPrinter() const override { return System; }
  bool HasDefaultPrinter() const override { return HasPrinter; }
  bool Printing() const override { return AlreadyPrinting || Begun > Ended; }
  void SetTitle(const std::string& T) override { Title = T; }
  bool BeginJob() override
  {
    ++Begun;
    TitleAtBegin = Title;
    return true;
  }
  int PpiX() const override { return 600; }
  int PpiY() const override { return 600; }
  void DrawPage(TGraphModel&, const TDrawRequest& R) override
  {
    Drawn.push_back(R);
    if (AbortAfter > 0 && int(Drawn.size()) >= AbortAfter)
      AbortedFlag = true;
  }
  bool NewPage() override
  {
    ++NewPages;
    return true;
  }
  bool Aborted() const override { return AbortedFlag; }
  void EndJob() override { ++Ended; }
  void ProcessEvents() override { ++Pumps; }

  int Width = 210, Height = 297;
  bool Landscape = false;
  bool HasPrinter = true;
  bool System = false;
  bool AlreadyPrinting = false;
  int AbortAfter = 0;
  bool AbortedFlag = false;
  int Reads = 0, Begun = 0, Ended = 0, NewPages = 0, Pumps = 0;
  std::string Title, TitleAtBegin;
  std::vector<TDrawRequest> Drawn;
};

// Traces with samples at 0 and End, no autoscale, 10 mm per division of 1 unit.
void FillTraces(TGraphModel& M, int Count, double End)
{
  M.BeginUpdate();
  M.SetAutoscale(false);
  M.SetScaleX(100);
  for (int T = 1; T <= Count; ++T) {
    M.AddSample(ChartSample(0), uint16_t(T));
    M.AddSample(ChartSample(End), uint16_t(T));
  }
  M.EndUpdate();
}

}  // namespace

TEST(GraphPrint, PageRowsPackGreedily)
{
  struct TCase {
    const char* Name;
    int Traces;
    uint16_t BandHeight;
    std::vector<int> Hidden;  // band flag 0
    std::vector<std::pair<int, int>> Rows;
    int Count;
  };
  const TCase cases[] = {
      {"34 bands of 7 mm fill an A4 row", 34, 7, {}, {{1, 34}}, 1},
      {"the 35th begins a row", 35, 7, {}, {{1, 34}, {35, 35}}, 2},
      {"40 traces", 40, 7, {}, {{1, 34}, {35, 40}}, 2},
      {"hidden traces take no room", 36, 7, {3, 20}, {{1, 36}}, 1},
      // A band taller than the page still takes a row of its own.
      {"bands taller than the page", 3, 300, {}, {{1, 1}, {2, 2}, {3, 3}}, 3},
      {"a last row of hidden traces does not count", 3, 300, {2, 3}, {{1, 1}, {2, 3}}, 1},
      {"only hidden traces", 2, 7, {1, 2}, {{1, 2}}, 0},
      {"no traces", 0, 7, {}, {}, 0},
  };
  for (const TCase& c : cases) {
    TGraphModel M;
    FillTraces(M, c.Traces, 10);
    M.SetBandHeight(c.BandHeight);
    for (int T : c.Hidden)
      M.SetBandFlag(uint16_t(T), false);
    const std::vector<TPageRow> Rows = PackPageRows(M);
    std::vector<std::pair<int, int>> Got;
    for (const TPageRow& R : Rows)
      Got.emplace_back(R.First, R.Last);
    EXPECT_EQ(Got, c.Rows) << c.Name;
    EXPECT_EQ(PageRowCount(Rows), c.Count) << c.Name;
  }
}

TEST(GraphPrint, PagesAcrossAndPageCount)
{
  struct TCase {
    const char* Name;
    int Traces;
    double End;
    int Width, Height;
    int Across;
    int Pages;
  };
  const TCase cases[] = {
      {"1000 mm over 180 mm", 40, 100, 210, 297, 6, 12},
      {"exactly one page wide", 10, 18, 210, 297, 1, 1},
      {"a little more than one page", 10, 18.01, 210, 297, 2, 2},
      {"landscape paper: wider pages, shorter rows", 40, 100, 297, 210, 4, 4 * 2},
      {"no traces: no range either", 0, 100, 210, 297, 0, 0},
      {"an empty range", 5, 0, 210, 297, 0, 0},
      {"margins wider than the paper", 5, 100, 30, 297, 0, 0},
  };
  for (const TCase& c : cases) {
    TGraphModel M;
    FillTraces(M, c.Traces, c.End);
    TRecordingSink S;
    S.Width = c.Width;
    S.Height = c.Height;
    EXPECT_EQ(ChartPages(M, S), c.Pages) << c.Name;
    EXPECT_EQ(S.Reads, 1) << c.Name;  // the count reads the printer's page first
    EXPECT_EQ(M.PageSetup().Width, c.Width) << c.Name;
    EXPECT_EQ(PagesAcross(M), c.Across) << c.Name;
  }
}

TEST(GraphPrint, PagesCountRowsOnThePrintersPaper)
{
  // Bands of 50 mm: on 100 mm paper each visible trace fills a row and the hidden last trace
  // begins a row of its own that does not count; on A4 all three share one row.
  TGraphModel M;
  FillTraces(M, 3, 18);
  M.SetBandHeight(50);
  M.SetBandFlag(3, false);
  TRecordingSink Short;
  Short.Height = 100;
  EXPECT_EQ(ChartPages(M, Short), 2);
  EXPECT_EQ(PackPageRows(M).size(), 3u);
  TRecordingSink A4;
  EXPECT_EQ(ChartPages(M, A4), 1);
  EXPECT_EQ(PackPageRows(M).size(), 1u);
}

TEST(GraphPrint, WithoutAPrinterThePageSetUpStays)
{
  TGraphModel M;
  FillTraces(M, 3, 10);
  M.PageSetup().Width = 250;
  TRecordingSink S;
  S.HasPrinter = false;
  S.Width = 100;
  ReadPrinterPage(M, S);
  EXPECT_EQ(M.PageSetup().Width, 250);
  S.HasPrinter = true;
  S.Landscape = true;
  ReadPrinterPage(M, S);
  EXPECT_EQ(M.PageSetup().Width, 100);
  EXPECT_TRUE(M.PageSetup().Landscape);
}

TEST(GraphPrint, PageRangeOfAFourPageChart)
{
  // 40 traces over 0..36: two pages across, two rows.
  struct TCase {
    int From, To;
    std::vector<int> Pages;
  };
  const TCase cases[] = {
      {1, 4, {1, 2, 3, 4}},
      {2, 99, {2, 3, 4}},
      {3, 3, {3}},
      {0, 2, {1, 2}},
      // Nothing, and no job: a last page below the first or below 1, a first beyond the end.
      {1, 0, {}},
      {3, 2, {}},
      {5, 9, {}},
      {-3, -1, {}},
  };
  for (const TCase& c : cases) {
    TGraphModel M;
    FillTraces(M, 40, 36);
    M.SetPrintTitle("Sekwencja nr.1"_cp);
    TRecordingSink S;
    const int Drawn = PrintChart(M, c.From, c.To, S);
    const std::string Name = std::to_string(c.From) + ".." + std::to_string(c.To);
    ASSERT_EQ(Drawn, int(c.Pages.size())) << Name;
    ASSERT_EQ(S.Drawn.size(), c.Pages.size()) << Name;
    EXPECT_EQ(S.Begun, c.Pages.empty() ? 0 : 1) << Name;
    EXPECT_EQ(S.Ended, c.Pages.empty() ? 0 : 1) << Name;
    EXPECT_EQ(S.NewPages, c.Pages.empty() ? 0 : int(c.Pages.size()) - 1) << Name;
    if (!c.Pages.empty()) {
      EXPECT_EQ(S.TitleAtBegin, "Sekwencja nr.1"_cp) << Name;
    }
    for (size_t i = 0; i < c.Pages.size(); ++i) {
      const int P = c.Pages[i];
      const TDrawRequest& R = S.Drawn[i];
      const bool SecondRow = P > 2;
      EXPECT_EQ(R.Target, TDrawTarget::Printer);
      EXPECT_EQ(R.FirstTrace, SecondRow ? 35 : 1) << Name << " page " << P;
      EXPECT_EQ(R.LastTrace, SecondRow ? 40 : 34) << Name << " page " << P;
      EXPECT_DOUBLE_EQ(R.Start, P % 2 == 1 ? 0.0 : 18.0) << Name << " page " << P;
      EXPECT_DOUBLE_EQ(R.End, R.Start + 18.0) << Name << " page " << P;
    }
  }
}

TEST(GraphPrint, PageLayoutFollowsTheSetUp)
{
  TGraphModel M;
  FillTraces(M, 40, 36);
  TRecordingSink S;
  ASSERT_EQ(PrintChart(M, 1, 3, S), 3);
  // At 600 dpi: left 15 mm, right 210 - 15 mm, top 25 mm, bottom top + bands + 10 mm axis,
  // each length rounded on its own.
  EXPECT_EQ(S.Drawn[0].Plot, (TGraphRect{354, 591, 4961 - 354, 591 + 5622 + 236}));
  EXPECT_EQ(S.Drawn[2].Plot, (TGraphRect{354, 591, 4961 - 354, 591 + 992 + 236}));  // 6 x 7 mm
  EXPECT_EQ(S.Drawn[0].PpiX, 600);
  EXPECT_GE(S.Pumps, 3);
}

TEST(GraphPrint, NoDefaultPrinter)
{
  TScriptedPrompts P;
  IPrompts* Old = SetPrompts(&P);
  TGraphModel M;
  FillTraces(M, 5, 10);
  TRecordingSink S;
  S.System = true;
  S.HasPrinter = false;
  EXPECT_EQ(PrintChart(M, 1, 9, S), 0);
  EXPECT_EQ(S.Begun, 0);
  ASSERT_EQ(P.Records.size(), 1u);
  EXPECT_EQ(P.Records[0].Text, "Brak domyślnej drukarki"_cp);
  EXPECT_EQ(P.Records[0].Caption, "Błąd"_cp);
  EXPECT_EQ(P.Records[0].Buttons, TPromptButtons::Ok);
  // A target that is no system printer prints without one.
  P.Clear();
  S.System = false;
  EXPECT_EQ(PrintChart(M, 1, 9, S), 1);
  EXPECT_TRUE(P.Records.empty());
  SetPrompts(Old);
}

TEST(GraphPrint, AbortAndARunningJob)
{
  TGraphModel M;
  FillTraces(M, 40, 36);
  TRecordingSink S;
  S.AbortAfter = 2;
  EXPECT_EQ(PrintChart(M, 1, 4, S), 2);
  EXPECT_EQ(S.Begun, 1);
  EXPECT_EQ(S.Ended, 0);  // whoever aborted the job ended it

  TRecordingSink Running;
  Running.AlreadyPrinting = true;
  EXPECT_EQ(PrintChart(M, 1, 4, Running), 4);
  EXPECT_EQ(Running.Begun, 0);
  EXPECT_EQ(Running.Ended, 1);
}
