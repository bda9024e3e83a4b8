// The register walk, the cut into sequences, the list lines, the raw listing and the sinks.
#include "app/events/Lister.h"
#include "app/events/ListerChart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "charts/GraphModel.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "tests/app/ListerFixture.h"

using listerfx::TFixtureDocument;
using listerfx::TRegisterBuilder;

namespace {

std::vector<std::string> Utf8(const std::vector<std::string>& lines)
{
  std::vector<std::string> out;
  for (const auto& l : lines)
    out.push_back(Cp1250ToUtf8(l));
  return out;
}

std::vector<uint8_t> RowCell(TEvLister& lister, int row, int col)
{
  const auto c = lister.Events().GetCellPtr(uint16_t(row), uint16_t(col));
  return {c.begin(), c.end()};
}

int64_t CellTime(TEvLister& lister, int row, int col)
{
  const auto c = lister.Events().GetCellPtr(uint16_t(row), uint16_t(col));
  return int64_t(std::llround(CellTimeOf(c) * double(TEvLister::HalfMsPerDay)));
}

// Exact time of a clock minute, in half milliseconds since 1899-12-30.
int64_t ClockHalfMs(int y, int m, int d, int h, int n)
{
  TDateTime day = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, day));
  return int64_t(day) * TEvLister::HalfMsPerDay + int64_t(h * 3600 + n * 60) * 2000;
}

struct TListerTest : ::testing::Test {
  TFixtureDocument Doc{2};
  TEvLister Lister;
  void SetUp() override
  {
    listerfx::SetFormats();
    Doc.Correct(false);
    Lister.SetDocument(&Doc);
  }
  std::vector<std::string> Listing(int n)
  {
    listerfx::TLineCollector lines;
    Lister.SetSequence(n);
    Lister.ForEachEvent(lines.Fn());
    return Utf8(lines.Lines);
  }
};

}  // namespace

TEST(ListerFixture, WritesNewestFirstWithBigEndianTicksAndEndMarker)
{
  const auto bytes =
      TRegisterBuilder().Clock(2024, 3, 15, 10, 30).Event(0, 4).Skip(2).Event(36, 0x0102).Bytes();
  const std::vector<uint8_t> expected = {36, 0x01, 0x02, 240, 2,  0xEE, 0xEE, 0,   0,
                                         4,  243,  30,   10,  15, 3,    24,   240, 127};
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(TRegisterBuilder().Clock(1999, 1, 2, 3, 4).NoEndMarker().Bytes(),
            (std::vector<uint8_t>{243, 4, 3, 2, 1, 99}));
}

// ---------------------------------------------------------------------------------------
// Walk

struct TWalkCase {
  const char* Name;
  std::vector<uint8_t> Register;
  std::vector<std::vector<uint8_t>> Cells;  // row 1, in register order
  int32_t FirstUndefined;
};

class ListerWalk : public TListerTest, public ::testing::WithParamInterface<TWalkCase> {};

TEST_P(ListerWalk, StoresRecordsOfRowOne)
{
  const TWalkCase& c = GetParam();
  Doc.Register = c.Register;
  Lister.ParseRegister(1);
  ASSERT_EQ(Lister.Events().GetColCount(1), c.Cells.size()) << c.Name;
  for (size_t i = 0; i < c.Cells.size(); ++i)
    EXPECT_EQ(RowCell(Lister, 1, int(i + 1)), c.Cells[i]) << c.Name << " cell " << i + 1;
  EXPECT_EQ(Lister.FirstUndefined(), c.FirstUndefined) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListerWalk,
    ::testing::Values(
        TWalkCase{"records and end marker",
                  {0, 0, 4, 243, 1, 2, 3, 4, 5, 240, 127, 1, 0, 0},
                  {{0, 0, 4}, {243, 1, 2, 3, 4, 5}},
                  -1},
        TWalkCase{
            "skip record jumps its fillers", {0, 0, 4, 240, 3, 9, 9, 9, 1, 0, 7}, {{0, 0, 4}, {1, 0, 7}}, -1},
        TWalkCase{"truncated last record is dropped", {0, 0, 4, 246, 0, 0, 1}, {{0, 0, 4}}, -1},
        TWalkCase{"undefined code stops and is reported", {0, 0, 4, 2, 0, 0, 1, 0, 0}, {{0, 0, 4}}, 2},
        TWalkCase{"undefined first byte is reported too", {3, 0, 0}, {}, 3},
        TWalkCase{"skip record as last byte ends the walk", {0, 0, 4, 240}, {{0, 0, 4}}, -1},
        TWalkCase{"skip beyond the data ends the walk", {0, 0, 4, 240, 200, 1}, {{0, 0, 4}}, -1},
        TWalkCase{"empty register", {}, {}, -1}),
    [](const auto& info) { return listerfx::TestName(info.param.Name); });

TEST_F(TListerTest, WalkReadsNoMoreThanTheRegisterField)
{
  // 5120 three-byte records fill the field exactly; what lies beyond it is not register.
  Doc.Register.clear();
  for (int i = 0; i < 5120; ++i)
    Doc.Register.insert(Doc.Register.end(), {0, 0, 1});
  Doc.Register.insert(Doc.Register.end(), {1, 0, 1, 1, 0, 1});
  Lister.ParseRegister(1);
  EXPECT_EQ(Lister.Events().GetColCount(1), 5120);
  EXPECT_EQ(RowCell(Lister, 1, 5120), (std::vector<uint8_t>{0, 0, 1}));
}

TEST_F(TListerTest, WalkWithoutModelTableStopsAtOnce)
{
  TFixtureDocument none(0);
  none.Register = {0, 0, 4};
  Lister.SetDocument(&none);
  Lister.ParseRegister(1);
  EXPECT_EQ(Lister.Events().GetColCount(1), 0);
  EXPECT_EQ(Lister.FirstUndefined(), 0);
}

// ---------------------------------------------------------------------------------------
// Cut into sequences

TEST_F(TListerTest, NoClockRecordGivesNoSequence)
{
  Doc.Register = TRegisterBuilder().Event(0, 4).Event(1, 4).Bytes();
  Lister.RefreshSequences();
  EXPECT_EQ(Lister.SequenceCount(), 0);
  EXPECT_EQ(Lister.Events().RowCount(), 0);
}

TEST_F(TListerTest, SequencesAreNumberedFromTheOldestClockRecord)
{
  Doc.Register = TRegisterBuilder()
                     .Event(5, 9)  // before any clock record: belongs to no sequence
                     .Clock(2024, 3, 15, 10, 30)
                     .Event(0, 4)
                     .Event(36, 400)
                     .Clock(2024, 3, 16, 8, 0)
                     .Event(1, 2)
                     .Bytes();
  Lister.RefreshSequences();
  EXPECT_EQ(Utf8(Lister.ListLines()),
            (std::vector<std::string>{"Sekwencja nr.1 Data: 2024-03-15 godz: 10:30:00:010",
                                      "Sekwencja nr.2 Data: 2024-03-16 godz: 08:00:00:005"}));
  ASSERT_EQ(Lister.Events().RowCount(), 2);
  EXPECT_EQ(Lister.Events().GetColCount(1), 2);
  EXPECT_EQ(Lister.Events().GetCellByte(1, 1), 0);
  EXPECT_EQ(Lister.Events().GetCellByte(1, 2), 36);
  EXPECT_EQ(Lister.Events().GetColCount(2), 1);
  EXPECT_EQ(Listing(1), (std::vector<std::string>{"* 0,000 [s] - Powrót napięcia pomocniczego (A11-A12)",
                                                  "* 1,000 [s] - Pojawienie się sygnału WA zamknięty (C1)"}));
  const TEvSequenceInfo info = Lister.SequenceInfo(1);
  EXPECT_EQ(info.Kind, TEvSequenceKind::None);
  EXPECT_EQ(info.StartHalfMs, ClockHalfMs(2024, 3, 15, 10, 30) + 20);
  EXPECT_EQ(info.EndHalfMs, ClockHalfMs(2024, 3, 15, 10, 30) + 2020);
  EXPECT_EQ(Lister.SequenceInfo(3).Kind, TEvSequenceKind::Unknown);
}

TEST_F(TListerTest, EmptySequenceShowsTheZeroDateTime)
{
  Doc.Register = TRegisterBuilder().Clock(2024, 1, 1, 0, 0).Clock(2024, 1, 2, 0, 0).Event(0, 1).Bytes();
  Lister.RefreshSequences();
  ASSERT_EQ(Lister.SequenceCount(), 2);
  EXPECT_EQ(Cp1250ToUtf8(Lister.ListLines()[0]), "Sekwencja nr.1 Data: 1899-12-30 godz: 00:00:00:000");
  EXPECT_EQ(Lister.SequenceInfo(1).Kind, TEvSequenceKind::None);
  EXPECT_EQ(Lister.Events().GetColCount(1), 0);
  EXPECT_EQ(Lister.Events().GetColCount(2), 1);
}

TEST_F(TListerTest, TicksAdvanceInExactHalfMilliseconds)
{
  TRegisterBuilder b;
  b.Clock(2024, 6, 1, 12, 0).Event(0, 0xFFFF);
  for (int i = 0; i < 999; ++i)
    b.Event(1, 1);
  Doc.Register = b.Bytes();
  Lister.RefreshSequences();
  const int64_t clock = ClockHalfMs(2024, 6, 1, 12, 0);
  // 0xFFFF ticks are 163.8375 s.
  EXPECT_EQ(CellTime(Lister, 1, 1), clock + 327675);
  // 999 steps of 2.5 ms later, exactly, with no drift.
  EXPECT_EQ(CellTime(Lister, 1, 1000), clock + 327675 + 999 * 5);
  const auto lines = Listing(1);
  EXPECT_EQ(lines[1], "* 0,002 [s] - Spadek napięcia pomocniczego (A11-A12)");
  EXPECT_EQ(lines[3], "* 0,008 [s] - Spadek napięcia pomocniczego (A11-A12)");
  EXPECT_EQ(lines[999], "* 2,498 [s] - Spadek napięcia pomocniczego (A11-A12)");
  EXPECT_EQ(Cp1250ToUtf8(Lister.ListLines()[0]), "Sekwencja nr.1 Data: 2024-06-01 godz: 12:02:43:838");
}

TEST_F(TListerTest, CorrectionMovesTheEventButNotTheRunningTime)
{
  Doc.Correct(true);
  // Code 0 has correction kind 1 (DI, -5 ms); code 252 has none.
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Event(252, 4, {0}).Bytes();
  Lister.RefreshSequences();
  const int64_t clock = ClockHalfMs(2024, 6, 1, 12, 0);
  EXPECT_EQ(CellTime(Lister, 1, 1), clock + 20 - 10);
  EXPECT_EQ(CellTime(Lister, 1, 2), clock + 40);
  Doc.Correct(false);
  Lister.RefreshSequences();
  EXPECT_EQ(CellTime(Lister, 1, 1), clock + 20);
}

struct TKindCase {
  const char* Name;
  std::vector<uint8_t> FirstCodes;  // in time order after the clock record
  TEvSequenceKind Kind;
  const char* KindText;
};

class ListerKinds : public TListerTest, public ::testing::WithParamInterface<TKindCase> {};

TEST_P(ListerKinds, SequenceKindComesFromTheFirstRecords)
{
  TRegisterBuilder b;
  b.Clock(2024, 6, 1, 12, 0);
  for (uint8_t code : GetParam().FirstCodes) {
    if (code == 245)
      b.Event(245, 0, {0, 1});
    else if (code == 251)
      b.Event(251, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    else
      b.Event(code, 4);
  }
  Doc.Register = b.Bytes();
  Lister.RefreshSequences();
  ASSERT_EQ(Lister.SequenceCount(), 1);
  EXPECT_EQ(Lister.SequenceInfo(1).Kind, GetParam().Kind);
  EXPECT_EQ(Cp1250ToUtf8(Lister.ListLines()[0]).substr(0, 16 + strlen(GetParam().KindText)),
            std::string("Sekwencja nr.1 ") + GetParam().KindText + "D");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListerKinds,
    ::testing::Values(TKindCase{"plain", {251, 0}, TEvSequenceKind::Plain, "(Zwykła) "},
                      TKindCase{"restart", {245, 251, 0}, TEvSequenceKind::Restart, "(Restartowa) "},
                      TKindCase{"restart needs state second", {245, 0, 251}, TEvSequenceKind::None, ""},
                      TKindCase{"state after restart first", {251, 245}, TEvSequenceKind::Plain, "(Zwykła) "},
                      TKindCase{"signal first", {0, 251}, TEvSequenceKind::None, ""}));

TEST_F(TListerTest, OpeningStateMovesToColumnOneOnlyInStateSequences)
{
  // Restart sequence: the state record gets the earliest time and heads the row.
  Doc.Register = TRegisterBuilder()
                     .Clock(2024, 6, 1, 12, 0)
                     .Event(245, 8, {0, 1})
                     .Event(251, 8, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                     .Event(0, 8)
                     .Clock(2024, 6, 2, 12, 0)
                     .Event(0, 8)
                     .Event(251, 8, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                     .Event(1, 8)
                     .Bytes();
  Lister.RefreshSequences();
  EXPECT_EQ(Lister.Events().GetCellByte(1, 1), 251);
  EXPECT_EQ(Lister.Events().GetCellByte(1, 2), 245);
  EXPECT_EQ(Lister.Events().GetCellByte(1, 3), 0);
  EXPECT_EQ(CellTime(Lister, 1, 1), ClockHalfMs(2024, 6, 1, 12, 0) + 40);
  // Kind 0: the state record in the middle stays where its time puts it.
  EXPECT_EQ(Lister.SequenceInfo(2).Kind, TEvSequenceKind::None);
  EXPECT_EQ(Lister.Events().GetCellByte(2, 1), 0);
  EXPECT_EQ(Lister.Events().GetCellByte(2, 2), 251);
  EXPECT_EQ(Lister.Events().GetCellByte(2, 3), 1);
  const auto lines = Listing(2);
  EXPECT_EQ(lines[0], "* 0,000 [s] - Powrót napięcia pomocniczego (A11-A12)");
  EXPECT_EQ(lines[1], "* 0,020 [s] - STAN ROZDZIELNI");
}

TEST_F(TListerTest, ClosingStateTakesTheTimeOfTheEventBeforeIt)
{
  Doc.Register = TRegisterBuilder()
                     .Clock(2024, 6, 1, 12, 0)
                     .Event(251, 0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                     .Event(0, 8)
                     .Event(251, 400, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                     .Bytes();
  Lister.RefreshSequences();
  ASSERT_EQ(Lister.Events().GetColCount(1), 3);
  EXPECT_EQ(CellTime(Lister, 1, 3), CellTime(Lister, 1, 2));
  EXPECT_EQ(Lister.SequenceInfo(1).EndHalfMs, ClockHalfMs(2024, 6, 1, 12, 0) + 2040);
}

struct TBadClockCase {
  const char* Name;
  int Month, Day, Hour, Minute;
};

class ListerBadClock : public TListerTest, public ::testing::WithParamInterface<TBadClockCase> {};

TEST_P(ListerBadClock, EndsTheCutAfterClosingTheOpenSequence)
{
  const TBadClockCase& c = GetParam();
  Doc.Register = TRegisterBuilder()
                     .Clock(2024, 6, 1, 12, 0)
                     .Event(0, 8)
                     .Clock(2024, c.Month, c.Day, c.Hour, c.Minute)
                     .Event(1, 8)
                     .Clock(2024, 6, 3, 12, 0)
                     .Event(4, 8)
                     .Bytes();
  EXPECT_NO_THROW(Lister.RefreshSequences());
  ASSERT_EQ(Lister.SequenceCount(), 1) << c.Name;
  EXPECT_EQ(Lister.Events().RowCount(), 1);
  EXPECT_EQ(Lister.Events().GetCellByte(1, 1), 0);
  EXPECT_EQ(Cp1250ToUtf8(Lister.ListLines()[0]), "Sekwencja nr.1 Data: 2024-06-01 godz: 12:00:00:020");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListerBadClock,
    ::testing::Values(TBadClockCase{"month0", 0, 5, 1, 1}, TBadClockCase{"month13", 13, 5, 1, 1},
                      TBadClockCase{"day0", 6, 0, 1, 1}, TBadClockCase{"feb30", 2, 30, 1, 1},
                      TBadClockCase{"hour24", 6, 2, 24, 0}, TBadClockCase{"minute60", 6, 2, 0, 60}));

TEST_F(TListerTest, BadFirstClockGivesNoSequence)
{
  Doc.Register = TRegisterBuilder().Clock(2024, 0, 1, 12, 0).Event(0, 8).Bytes();
  Lister.RefreshSequences();
  EXPECT_EQ(Lister.SequenceCount(), 0);
  EXPECT_EQ(Lister.Events().RowCount(), 0);
}

TEST_F(TListerTest, FindCodeLooksAfterTheGivenColumn)
{
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Event(1, 4).Event(0, 4).Bytes();
  Lister.RefreshSequences();
  EXPECT_EQ(Lister.FindCode(0, 1, 0), 1);
  EXPECT_EQ(Lister.FindCode(0, 1, 1), 3);
  EXPECT_EQ(Lister.FindCode(0, 1, 3), 0);
  EXPECT_EQ(Lister.FindCode(1, 1, 4), 0);
  EXPECT_EQ(Lister.FindCode(0, 0, 0), 0);
  EXPECT_EQ(Lister.FindCode(0, 2, 0), 0);
}

// ---------------------------------------------------------------------------------------
// Sinks

namespace {

struct TFakeList : IEvListSink {
  std::vector<std::string> Lines;
  bool Multi = false;
  int Selected = -1, Clicks = 0;
  void Clear() override { Lines.clear(); }
  void AddLine(std::string_view line) override { Lines.emplace_back(line); }
  int Count() const override { return int(Lines.size()); }
  void SetMultiSelect(bool on) override { Multi = on; }
  void SelectOnly(int index) override { Selected = index; }
  void Click() override { ++Clicks; }
};

struct TFakeText : IEvTextSink {
  std::vector<std::string> Lines;
  int Depth = 0, Clears = 0, Carets = 0;
  bool OutsideBracket = false;
  void BeginUpdate() override { ++Depth; }
  void EndUpdate() override { --Depth; }
  void Clear() override
  {
    Lines.clear();
    ++Clears;
  }
  void AddLine(std::string_view line, TEvFontStyle style) override
  {
    OutsideBracket |= Depth == 0;
    Lines.push_back((style == TEvFontStyle::Bold ? "* " : "") + Cp1250ToUtf8(line));
  }
  void CaretToStart() override { ++Carets; }
};

struct TFakeChart : IEvChart {
  int Clears = 0, Depth = 0, Builds = 0;
  void BeginUpdate() override { ++Depth; }
  void EndUpdate() override { --Depth; }
  void Clear() override { ++Clears; }
};

struct TFakePrinter : IEvPrintSink {
  std::string Title;
  std::vector<std::string> Lines;
  bool Abort = false;
  int Jobs = 0, Ended = 0;
  bool BeginJob(std::string_view title) override
  {
    Title = title;
    ++Jobs;
    return true;
  }
  bool Aborted() const override { return Abort; }
  void PrintLine(std::string_view line, TEvFontStyle style) override
  {
    Lines.push_back((style == TEvFontStyle::Bold ? "* " : "") + Cp1250ToUtf8(line));
  }
  void EndJob() override { ++Ended; }
};

}  // namespace

TEST_F(TListerTest, RefreshFillsTheListAndClicksTheFirstLine)
{
  TFakeList list;
  TFakeText text;
  TFakeChart chart;
  Lister.SetListBox(&list);
  Lister.SetRichEdit(&text);
  Lister.SetGraph(&chart, &EvChart::BuildEventChart);
  Doc.Register =
      TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Clock(2024, 6, 1, 13, 0).Event(1, 4).Bytes();
  Lister.RefreshSequences();
  EXPECT_EQ(list.Lines.size(), 2u);
  EXPECT_TRUE(list.Multi);
  EXPECT_EQ(list.Selected, 0);
  EXPECT_EQ(list.Clicks, 1);
  EXPECT_EQ(text.Clears, 0);

  // The window's click handler selects; text and chart follow.
  Lister.SetSequence(2);
  EXPECT_EQ(text.Lines, (std::vector<std::string>{"* 0,000 [s] - Spadek napięcia pomocniczego (A11-A12)"}));
  EXPECT_FALSE(text.OutsideBracket);
  EXPECT_EQ(text.Depth, 0);
  EXPECT_EQ(text.Carets, 1);
  EXPECT_EQ(chart.Clears, 1);
  EXPECT_EQ(chart.Depth, 0);

  // An empty register clears the text and the chart.
  Doc.Register.clear();
  Lister.RefreshSequences();
  EXPECT_TRUE(list.Lines.empty());
  EXPECT_EQ(list.Clicks, 1);
  EXPECT_TRUE(text.Lines.empty());
  EXPECT_EQ(chart.Clears, 2);
  EXPECT_EQ(Lister.Sequence(), 0);
}

TEST_F(TListerTest, ChartBuilderRunsInsideTheUpdateBracket)
{
  TFakeChart chart;
  Lister.SetGraph(&chart);
  int depthSeen = -1;
  Lister.ChartBuilder = [&](TEvLister& l, IEvChart& c) {
    depthSeen = static_cast<TFakeChart&>(c).Depth;
    EXPECT_EQ(&l, &Lister);
  };
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Bytes();
  Lister.RefreshSequences();
  Lister.SetSequence(1);
  EXPECT_EQ(depthSeen, 1);
  EXPECT_EQ(Lister.ChartStates().RowCount(), 0);
}

TEST_F(TListerTest, SelectingOutsideTheRowsShowsNothing)
{
  TFakeText text;
  Lister.SetRichEdit(&text);
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Bytes();
  Lister.RefreshSequences();
  Lister.SetSequence(0);
  Lister.SetSequence(2);
  EXPECT_EQ(text.Clears, 0);
  EXPECT_TRUE(text.Lines.empty());
}

TEST_F(TListerTest, PrintSequenceWritesListLineThenEvents)
{
  TFakePrinter printer;
  Lister.SetPrinter(&printer);
  Lister.PrintTitle = "doc.kiv-Sekwencja 1-Listing";
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Event(1, 4).Bytes();
  Lister.RefreshSequences();
  Lister.PrintSequence(1);
  EXPECT_EQ(printer.Title, "doc.kiv-Sekwencja 1-Listing");
  EXPECT_EQ(printer.Lines,
            (std::vector<std::string>{"Sekwencja nr.1 Data: 2024-06-01 godz: 12:00:00:010",
                                      "* 0,000 [s] - Powrót napięcia pomocniczego (A11-A12)",
                                      "* 0,010 [s] - Spadek napięcia pomocniczego (A11-A12)"}));
  EXPECT_EQ(printer.Ended, 1);
  printer.Lines.clear();
  printer.Abort = true;
  Lister.PrintSequence(1);
  EXPECT_TRUE(printer.Lines.empty());
  Lister.PrintSequence(5);
  EXPECT_EQ(printer.Jobs, 2);
}

TEST_F(TListerTest, RawRegisterListsRecordsOldestFirstAndKeepsTheRows)
{
  TFakeText text;
  Lister.SetRichEdit(&text);
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).NoEndMarker().Bytes();
  Doc.Register.insert(Doc.Register.end(), {0x06, 0x00});
  Lister.RefreshSequences();
  const uint16_t rows = Lister.Events().RowCount();
  Lister.ShowRawRegister();
  EXPECT_EQ(text.Lines, (std::vector<std::string>{"F3 00 0C 01 06 18 ", "00 00 04 ",
                                                  "Kod pierwszego niezdefiniowandego zdarzenia:06h"}));
  EXPECT_EQ(Lister.Events().RowCount(), rows);

  // A register that walks to nothing drops no sequence row.
  Doc.Register = {7};
  Lister.ShowRawRegister();
  EXPECT_EQ(Lister.Events().RowCount(), rows);
  EXPECT_EQ(text.Lines, (std::vector<std::string>{"Kod pierwszego niezdefiniowandego zdarzenia:07h"}));
}

TEST_F(TListerTest, GraphChartClearsTheModelAndHandsItToTheBuilder)
{
  TGraphModel model;
  TChartSample old;
  model.AddSample(old, 3);
  ASSERT_EQ(model.TraceCount(), 3);
  TEvGraphChart chart(model);
  Lister.SetGraph(&chart);
  bool locked = false;
  Lister.ChartBuilder = [&](TEvLister&, IEvChart& c) {
    ASSERT_EQ(c.GraphModel(), &model);
    locked = model.UpdateLock();
    TChartSample s;
    s.Time = 1.5;
    c.GraphModel()->AddSample(s, 1);
  };
  Doc.Register = TRegisterBuilder().Clock(2024, 6, 1, 12, 0).Event(0, 4).Bytes();
  Lister.RefreshSequences();
  Lister.SetSequence(1);
  EXPECT_TRUE(locked);
  EXPECT_FALSE(model.UpdateLock());
  EXPECT_EQ(model.TraceCount(), 1);
  EXPECT_EQ(model.SampleCount(1), 1);
  // No sequences: the chart is cleared.
  Doc.Register.clear();
  Lister.RefreshSequences();
  EXPECT_EQ(model.TraceCount(), 0);
}
