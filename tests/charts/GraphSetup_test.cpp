// The chart options dialog's state: what it loads, what leaving an edit and the spin buttons
// do, the values it refuses, and what OK gives back to the chart.
#include "charts/GraphSetup.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "tests/charts/ChartSamples.h"

namespace {

class GraphSetup : public ::testing::Test {
protected:
  std::vector<std::string> Errors() const { return Scope.Errors(); }
  TScriptedCommaScope Scope;
  TScriptedPrompts& P = Scope.P;
};

// A view that counts what the after-step asks of it and whether the lock was held.
class TCountingView : public IGraphView {
public:
  explicit TCountingView(TGraphModel& M) : FModel(M) {}
  void ReadMetrics() override {}
  void Redraw() override { ++Redraws; }
  void LayoutCursors() override
  {
    ++Layouts;
    LockedLayouts += FModel.UpdateLock() ? 1 : 0;
  }
  void ScrollRangesChanged() override { ++ScrollChanges; }
  int Redraws = 0, Layouts = 0, LockedLayouts = 0, ScrollChanges = 0;

private:
  TGraphModel& FModel;
};

}  // namespace

TEST_F(GraphSetup, LoadsTheChartsValues)
{
  TGraphModel M;
  M.SetCopyRangeAll(false);
  M.SetMajorGridColor(0x123456);
  M.SetMinorGridColor(0x00FF00);
  M.SetMajorGridWidth(0.123L);  // shows as its first 4 characters
  M.SetMinorGridWidth(2);
  M.SetShowMajorGrid(true);
  M.SetdXPerDiv(0.25);
  M.SetdXLen(12);
  M.SetMinorGridCnt(9);
  TGraphSetupState S;
  S.Load(M);
  EXPECT_EQ(S.CopyRange, 0);
  EXPECT_EQ(S.MajorColor, 0x123456u);
  EXPECT_EQ(S.MinorColor, 0x00FF00u);
  EXPECT_EQ(S.MajorWidthText, "0,12");
  EXPECT_EQ(S.MinorWidthText, "2");
  EXPECT_TRUE(S.ShowMajor);
  EXPECT_FALSE(S.ShowMinor);
  EXPECT_EQ(S.dXPerDivText(), "0,25");
  EXPECT_EQ(S.dXLenText(), "12");
  EXPECT_EQ(S.MinorGridCntText(), "9");
}

TEST_F(GraphSetup, LeavingAScalingEdit)
{
  enum TMessage { None, Conversion, Range };
  struct TCase {
    int Edit;  // 0 dXPerDiv, 1 dXLen, 2 MinorGridCnt
    std::string Text;
    TMessage Message;
    double Value;  // the value afterwards
  };
  const TCase cases[] = {
      {0, "0,5", None, 0.5},       {0, "12", None, 12},       {0, "0", Range, 1},
      {0, "-2", Range, 1},         {0, "abc", Conversion, 1}, {0, "1E400", Conversion, 1},
      {0, "", Conversion, 1},      {1, "2,6", None, 3},       {1, "2,5", None, 2},
      {1, "65535,4", None, 65535}, {1, "65536", Range, 10},   {1, "0,4", Range, 10},
      {1, "0", Range, 10},         {1, "-7", Range, 10},      {1, "x", Conversion, 10},
      {2, "0", None, 0},           {2, "65535", None, 65535}, {2, "-1", Range, 4},
      {2, "70000", Range, 4},      {2, "1e30", Range, 4},     {2, "4 szt", Conversion, 4},
  };
  for (const TCase& c : cases) {
    P.Clear();
    TGraphSetupState S;
    bool Taken = false;
    double Value = 0;
    switch (c.Edit) {
    case 0:
      Taken = S.TakedXPerDiv(c.Text);
      Value = S.dXPerDiv;
      break;
    case 1:
      Taken = S.TakedXLen(c.Text);
      Value = S.dXLen;
      break;
    default:
      Taken = S.TakeMinorGridCnt(c.Text);
      Value = S.MinorGridCnt;
      break;
    }
    EXPECT_EQ(Taken, c.Message == None) << c.Edit << " '" << c.Text << "'";
    EXPECT_EQ(Value, c.Value) << c.Edit << " '" << c.Text << "'";
    std::vector<std::string> Want;
    if (c.Message == Conversion)
      Want.push_back("'" + c.Text + "' is not a valid floating point value");
    if (c.Message == Range)
      Want.push_back("Wartość spoza zakresu: "_cp + c.Text);
    EXPECT_EQ(Errors(), Want) << c.Edit << " '" << c.Text << "'";
  }
}

TEST_F(GraphSetup, SpinButtons)
{
  struct TCase {
    std::string Text;
    bool Up;
    std::string Want;
  };
  const TCase cases[] = {
      {"0,2", true, "0,3"}, {"0,3", false, "0,2"},   {"0,1", false, "0"},
      {"0", false, "-0,1"}, {"9,95", true, "10,05"}, {"  1 ", true, "1,1"},
  };
  for (const TCase& c : cases) {
    std::string T = c.Text;
    EXPECT_TRUE(SpinText(T, c.Up)) << c.Text;
    EXPECT_EQ(T, c.Want) << c.Text;
  }
  EXPECT_TRUE(Errors().empty());
  std::string Bad = "0,2mm";
  EXPECT_FALSE(SpinText(Bad, true));
  EXPECT_EQ(Bad, "0,2mm");
  EXPECT_EQ(Errors(), std::vector<std::string>{"'0,2mm' is not a valid floating point value"});
}

TEST_F(GraphSetup, ApplyRoundTrip)
{
  TGraphModel From;
  From.SetCopyRangeAll(false);
  From.SetMajorGridColor(0x0000FF);
  From.SetMinorGridColor(0x808080);
  From.SetMajorGridWidth(0.5L);
  From.SetMinorGridWidth(0.3L);
  From.SetShowMajorGrid(true);
  From.SetShowMinorGrid(true);
  From.SetdXPerDiv(2.5);
  From.SetdXLen(20);
  From.SetMinorGridCnt(1);
  TGraphSetupState S;
  S.Load(From);
  TGraphModel To;
  To.SetAutoscale(false);
  ASSERT_TRUE(S.Apply(To));
  EXPECT_EQ(To.CopyRangeAll(), false);
  EXPECT_EQ(To.MajorGridColor(), 0x0000FFu);
  EXPECT_EQ(To.MinorGridColor(), 0x808080u);
  EXPECT_EQ(To.MajorGridWidth(), 0.5L);
  EXPECT_EQ(To.MinorGridWidth(), static_cast<long double>(0.3));  // through its text
  EXPECT_TRUE(To.ShowMajorGrid());
  EXPECT_TRUE(To.ShowMinorGrid());
  EXPECT_EQ(To.dXPerDiv(), 2.5);
  EXPECT_EQ(To.dXLen(), 20);
  EXPECT_EQ(To.MinorGridCnt(), 1);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(GraphSetup, WidthsAreAbsoluteAndMustBeNumbers)
{
  TGraphModel M;
  TGraphSetupState S;
  S.Load(M);
  S.MajorWidthText = "-0,4";
  ASSERT_TRUE(S.Apply(M));
  EXPECT_EQ(M.MajorGridWidth(), static_cast<long double>(0.4));

  // A width that is no number: the message, and nothing at all is taken.
  S.MajorWidthText = "0,3";
  S.MinorWidthText = "dwa";
  S.CopyRange = 0;
  S.MajorColor = 0x00FFFF;
  EXPECT_FALSE(S.Apply(M));
  EXPECT_EQ(Errors(), std::vector<std::string>{"'dwa' is not a valid floating point value"});
  EXPECT_TRUE(M.CopyRangeAll());
  EXPECT_EQ(M.MajorGridColor(), 0xFF0000u);
  EXPECT_EQ(M.MajorGridWidth(), static_cast<long double>(0.4));
}

TEST_F(GraphSetup, AfterOkTheZoomAndScrollRangeFollow)
{
  TGraphModel M;
  TCountingView V(M);
  M.SetScreenMetrics(96, 96, 14, TGraphRect{20, 20, 620, 200});
  M.BeginUpdate();
  M.AddSample(ChartSample(0), 1);
  M.AddSample(ChartSample(100), 1);
  M.EndUpdate();
  M.SetView(&V);
  const int32_t Before = M.ScaleX();
  ASSERT_EQ(Before, M.FittingScaleX());
  TGraphSetupState S;
  S.Load(M);
  ASSERT_TRUE(S.TakedXPerDiv("5"));
  ASSERT_TRUE(S.TakeMinorGridCnt("1"));
  ASSERT_TRUE(S.Apply(M));
  // With autoscale the zoom is the one that fits the new division, and the scroll range
  // counts the new minor steps: 20 divisions of 2.
  EXPECT_EQ(M.ScaleX(), M.FittingScaleX());
  EXPECT_NE(M.ScaleX(), Before);
  EXPECT_EQ(M.HScrollMax(), 40);
  EXPECT_EQ(M.HScrollLarge(), 2);
  EXPECT_EQ(V.Redraws, 0);  // under the lock: the after-step draws
  AfterSetupDialog(M);
  EXPECT_EQ(V.Layouts, 1);
  EXPECT_EQ(V.LockedLayouts, 1);
  EXPECT_EQ(V.Redraws, 1);
  EXPECT_FALSE(M.UpdateLock());
  M.SetView(nullptr);
}
