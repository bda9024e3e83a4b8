#include "charts/Ogmarr32.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Codepage.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> v)
{
  std::vector<uint8_t> out;
  for (int b : v)
    out.push_back(static_cast<uint8_t>(b));
  return out;
}

// An event-like cell: an identifying byte, then the time as a little-endian double.
std::vector<uint8_t> TimedCell(uint8_t id, double time)
{
  std::vector<uint8_t> out{id};
  const auto bits = std::bit_cast<uint64_t>(time);
  for (int i = 0; i < 8; ++i)
    out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  return out;
}

std::vector<uint8_t> Filled(size_t n, uint8_t v) { return std::vector<uint8_t>(n, v); }

std::vector<int> RowIds(TOgmMatrix& m, uint16_t row)
{
  std::vector<int> ids;
  for (uint16_t c = 1; c <= m.GetColCount(row); ++c)
    ids.push_back(m.GetCellByte(row, c));
  return ids;
}

const std::string kRow = "Indeks wiersza spoza zakresu"_cp;
const std::string kCol = "Indeks kolumny spoza zakresu"_cp;

TEST(Ogmarr32, FreshMatrixIsEmptyWithScratchBuffers)
{
  TOgmMatrix m;
  EXPECT_EQ(m.RowCapacity(), 0);
  EXPECT_EQ(m.RowCount(), 0);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_TRUE(m.AutoGrow());
  EXPECT_EQ(m.ScratchSize1(), 255);
  EXPECT_EQ(m.ScratchSize2(), 255);
  EXPECT_EQ(m.GetColCount(1), 0);
  EXPECT_TRUE(m.LastError().empty());
}

TEST(Ogmarr32, SetCellGrowsToExactShape)
{
  TOgmMatrix m;
  m.SetCell(Bytes({7, 8}), 3, 4);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.RowCapacity(), 3);
  EXPECT_EQ(m.RowCount(), 3);
  EXPECT_EQ(m.GetColCount(1), 0);
  EXPECT_EQ(m.GetColCount(2), 0);
  EXPECT_EQ(m.GetColCount(3), 4);
  EXPECT_EQ(m.GetColCapacity(3), 4);
  for (uint16_t c = 1; c <= 3; ++c) {
    uint16_t len = 99;
    std::vector<uint8_t> buf{1, 2, 3};
    m.GetCell(buf, 3, c, len);
    EXPECT_EQ(len, 0) << c;
    EXPECT_TRUE(buf.empty());
    EXPECT_TRUE(m.LastError().empty());
  }
  EXPECT_EQ(m.GetCell(3, 4), Bytes({7, 8}));
}

TEST(Ogmarr32, WritingPastTheRowLeavesEmptyCellsBetween)
{
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  m.SetCell(Bytes({2}), 1, 2);
  m.SetCell(Bytes({5}), 1, 5);
  EXPECT_EQ(m.GetColCount(1), 5);
  EXPECT_TRUE(m.GetCell(1, 3).empty());
  EXPECT_TRUE(m.GetCell(1, 4).empty());
  EXPECT_EQ(m.GetCellByte(1, 5), 5);
  // Len 0 still counts as a stored cell.
  m.SetCell(std::span<const uint8_t>{}, 1, 6);
  EXPECT_EQ(m.GetColCount(1), 6);
  EXPECT_TRUE(m.LastError().empty());
}

TEST(Ogmarr32, TextBytesAreStoredAsGiven)
{
  TOgmMatrix m;
  m.SetCell(std::string_view("a\0\xB3", 3), 2, 1);
  EXPECT_EQ(m.GetCell(2, 1), Bytes({'a', 0, 0xB3}));
}

struct TBadIndexCase {
  const char* Name;
  uint16_t Row;
  uint16_t Col;
  bool RowMessage;
};

TEST(Ogmarr32, GetCellOutsideGivesMessageAndNothing)
{
  const TBadIndexCase cases[] = {
      {"row 0", 0, 1, true},
      {"row past count", 3, 1, true},
      {"column 0", 1, 0, false},
      {"column past count", 1, 3, false},
      {"row 2 has no cells", 2, 1, false},
  };
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  m.SetCell(Bytes({2}), 1, 2);
  m.SetCell(std::span<const uint8_t>{}, 2, 1);
  m.SetColCount(2, 0);
  for (const auto& c : cases) {
    std::vector<uint8_t> buf{9, 9};
    uint16_t len = 77;
    m.GetCell(buf, c.Row, c.Col, len);
    EXPECT_EQ(len, 0) << c.Name;
    EXPECT_TRUE(buf.empty()) << c.Name;
    EXPECT_EQ(m.LastError(), c.RowMessage ? kRow : kCol) << c.Name;
    EXPECT_TRUE(m.GetCellPtr(c.Row, c.Col).empty()) << c.Name;
    EXPECT_EQ(m.GetCellByte(c.Row, c.Col), 0) << c.Name;
    EXPECT_EQ(m.GetCellTime(c.Row, c.Col), 0.0) << c.Name;
  }
  // Counting outside the rows is not an error.
  EXPECT_EQ(m.GetColCount(0), 0);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.GetColCount(m.RowCount() + 1), 0);
  EXPECT_TRUE(m.LastError().empty());
}

TEST(Ogmarr32, SetCellFailures)
{
  struct TCase {
    const char* Name;
    bool AutoGrow;
    uint16_t Row, Col;
    std::string Message;
  };
  const TCase cases[] = {
      {"row 0", true, 0, 1, "Próba zapisu do zerowego wiersza lub kolumny"_cp},
      {"column 0", true, 1, 0, "Próba zapisu do zerowego wiersza lub kolumny"_cp},
      {"row beyond capacity, no growth", false, 3, 1, kRow},
      {"column beyond capacity, no growth", false, 1, 3, kCol},
  };
  for (const auto& c : cases) {
    TOgmMatrix m;
    m.SetCell(Bytes({1}), 1, 1);
    m.SetCell(Bytes({2}), 1, 2);
    m.SetAutoGrow(c.AutoGrow);
    m.SetCell(Bytes({42}), c.Row, c.Col);
    EXPECT_EQ(m.LastError(), c.Message) << c.Name;
    EXPECT_EQ(m.RowCapacity(), 1) << c.Name;
    EXPECT_EQ(m.RowCount(), 1) << c.Name;
    EXPECT_EQ(m.GetColCapacity(1), 2) << c.Name;
    EXPECT_EQ(RowIds(m, 1), (std::vector<int>{1, 2})) << c.Name;
  }
}

TEST(Ogmarr32, OverlongValueIsRefused)
{
  TOgmMatrix m;
  m.SetCell(Filled(65536, 1), 1, 1);
  EXPECT_FALSE(m.LastError().empty());
  EXPECT_EQ(m.RowCount(), 0);
  m.SetCell(Filled(65535, 1), 1, 1);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.GetCellPtr(1, 1).size(), 65535u);
}

TEST(Ogmarr32, ShorterValueKeepsTheBlock)
{
  TOgmMatrix m;
  std::vector<uint8_t> big = Filled(24, 0xEE);
  m.SetCell(big, 1, 1);
  const uint8_t* block = m.GetCellPtr(1, 1).data();
  m.SetCell(TimedCell(1, 2.5), 1, 1);  // 9 bytes
  EXPECT_EQ(m.GetCellPtr(1, 1).data(), block);
  const double t = 1234.5;
  auto eight = TimedCell(0, t);
  eight.erase(eight.begin());
  m.SetCell(eight, 1, 1);
  EXPECT_EQ(m.GetCellPtr(1, 1).size(), 8u);
  EXPECT_EQ(m.GetCellSize(1, 1), 24);
  EXPECT_EQ(m.GetCellTime(1, 1), t);
  // A longer value gets a block of exactly its length.
  m.SetCell(Filled(30, 1), 1, 1);
  EXPECT_EQ(m.GetCellSize(1, 1), 30);
}

TEST(Ogmarr32, RowCountZeroKeepsBlocksForReuse)
{
  TOgmMatrix m;
  m.SetCell(Filled(40, 3), 1, 1);
  m.SetCell(Filled(40, 4), 2, 2);
  m.SetRowCount(0);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.RowCount(), 0);
  EXPECT_EQ(m.RowCapacity(), 2);
  EXPECT_EQ(m.GetColCount(1), 0);
  EXPECT_EQ(m.GetCellSize(2, 2), 40);
  m.SetCell(Filled(10, 9), 2, 2);
  EXPECT_EQ(m.GetCellSize(2, 2), 40);
  EXPECT_EQ(m.RowCount(), 2);
  EXPECT_EQ(m.GetColCount(2), 2);
  EXPECT_TRUE(m.GetCell(2, 1).empty());  // dropped cells come back empty
  EXPECT_EQ(m.GetCell(2, 2), Filled(10, 9));
}

TEST(Ogmarr32, RowCountBeyondCapacityFails)
{
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 2, 1);
  m.SetRowCount(3);
  EXPECT_EQ(m.LastError(), kRow);
  EXPECT_EQ(m.RowCount(), 2);
  // Within the capacity the count may be raised over empty rows.
  m.SetRowCapacity(5);
  m.SetRowCount(4);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.RowCount(), 4);
  EXPECT_EQ(m.GetColCount(4), 0);
}

TEST(Ogmarr32, RowCapacityShrinkFreesRowsAndLowersCount)
{
  TOgmMatrix m;
  for (uint16_t r = 1; r <= 4; ++r)
    m.SetCell(Bytes({r}), r, 1);
  m.SetRowCapacity(2);
  EXPECT_EQ(m.RowCapacity(), 2);
  EXPECT_EQ(m.RowCount(), 2);
  m.SetRowCapacity(6);
  EXPECT_EQ(m.RowCount(), 2);
  EXPECT_EQ(m.GetColCapacity(5), 0);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.GetColCapacity(7), 0);
  EXPECT_EQ(m.LastError(), kRow);
  EXPECT_EQ(m.GetColCapacity(0), 0);
  EXPECT_EQ(m.LastError(), kRow);
  EXPECT_EQ(m.GetCellByte(2, 1), 2);
}

TEST(Ogmarr32, ColCapacityRules)
{
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  m.SetCell(Bytes({2}), 1, 2);
  m.SetCell(Bytes({3}), 1, 3);
  m.SetColCapacity(1, 5);
  EXPECT_EQ(m.GetColCapacity(1), 5);
  EXPECT_EQ(m.GetColCount(1), 3);
  m.SetColCapacity(1, 2);
  EXPECT_EQ(m.GetColCount(1), 2);
  EXPECT_EQ(m.GetCellSize(1, 3), 0);
  m.SetColCapacity(1, 0);
  EXPECT_EQ(m.GetColCapacity(1), 0);
  EXPECT_EQ(m.GetColCount(1), 0);
  // Beyond the row table: grows it with AutoGrow, else the odd spelling of the message.
  m.SetColCapacity(4, 3);
  EXPECT_EQ(m.RowCapacity(), 4);
  EXPECT_EQ(m.RowCount(), 1);
  EXPECT_EQ(m.GetColCapacity(4), 3);
  m.SetAutoGrow(false);
  m.SetColCapacity(9, 1);
  EXPECT_EQ(m.LastError(), "Index wiersza spoza zakresu"_cp);
  EXPECT_EQ(m.RowCapacity(), 4);
}

TEST(Ogmarr32, ColCountRules)
{
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  m.SetCell(Bytes({2}), 1, 2);
  m.SetColCount(0, 1);
  EXPECT_EQ(m.LastError(), "indeks wiersza spoza zakresu"_cp);
  m.SetColCount(2, 0);
  EXPECT_EQ(m.LastError(), "indeks wiersza spoza zakresu"_cp);
  m.SetColCount(1, 3);
  EXPECT_EQ(m.LastError(), kCol);
  EXPECT_EQ(m.GetColCount(1), 2);
  m.SetColCount(1, 1);
  EXPECT_TRUE(m.LastError().empty());
  m.SetColCount(1, 2);
  EXPECT_TRUE(m.GetCell(1, 2).empty());
  EXPECT_EQ(m.GetCellSize(1, 2), 1);
}

TEST(Ogmarr32, SwapRowsExchangesEntries)
{
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  m.SetCell(Bytes({2}), 2, 1);
  m.SetCell(Bytes({3}), 2, 2);
  m.SwapRows(1, 2);
  EXPECT_EQ(RowIds(m, 1), (std::vector<int>{2, 3}));
  EXPECT_EQ(RowIds(m, 2), (std::vector<int>{1}));
  EXPECT_EQ(m.GetColCapacity(2), 1);
  m.SwapRows(1, 3);
  EXPECT_EQ(m.LastError(), kRow);
  m.SwapRows(0, 1);
  EXPECT_EQ(m.LastError(), kRow);
  m.SwapRows(7, 7);
  EXPECT_TRUE(m.LastError().empty());
}

TEST(Ogmarr32, SwapCellsCopiesCrosswiseAndKeepsBlocks)
{
  TOgmMatrix m;
  m.SetCell(Filled(20, 1), 1, 1);
  m.SetCell(Filled(5, 2), 2, 3);
  m.SwapCells(1, 1, 2, 3);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(m.GetCell(1, 1), Filled(5, 2));
  EXPECT_EQ(m.GetCell(2, 3), Filled(20, 1));
  EXPECT_EQ(m.GetCellSize(1, 1), 20);
  EXPECT_EQ(m.GetCellSize(2, 3), 20);
}

// Row or column 0 is refused like any other index out of range; the cells stay as they were.
TEST(Ogmarr32, SwapCellsChecksEveryIndex)
{
  struct TCase {
    uint16_t R1, C1, R2, C2;
    bool RowMessage;
  };
  const TCase cases[] = {
      {0, 1, 1, 1, true},  {1, 1, 0, 1, true},  {3, 1, 1, 1, true},  {1, 1, 1, 3, false},
      {1, 0, 1, 1, false}, {1, 2, 1, 0, false}, {2, 1, 1, 1, false},
  };
  for (const auto& c : cases) {
    TOgmMatrix m;
    m.SetCell(Bytes({1}), 1, 1);
    m.SetCell(Bytes({2}), 1, 2);
    m.SetCell(std::span<const uint8_t>{}, 2, 1);
    m.SetColCount(2, 0);
    m.SwapCells(c.R1, c.C1, c.R2, c.C2);
    EXPECT_EQ(m.LastError(), c.RowMessage ? kRow : kCol) << c.R1 << "," << c.C1 << " " << c.R2 << "," << c.C2;
    EXPECT_EQ(RowIds(m, 1), (std::vector<int>{1, 2}));
    EXPECT_EQ(m.GetCellPtr(1, 1).size(), 1u);
    EXPECT_EQ(m.GetColCount(2), 0);
  }
}

TEST(Ogmarr32, ReverseRowsAndRow)
{
  TOgmMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  m.ReverseRows();
  EXPECT_EQ(m.LastError(), "Tablica ma mniej niż dwa wiersze"_cp);
  m.ReverseRow(1);
  EXPECT_EQ(m.LastError(), "Wiersz ma mniej niż dwa elementy"_cp);
  m.ReverseRow(9);
  EXPECT_EQ(m.LastError(), "Wiersz ma mniej niż dwa elementy"_cp);
  for (uint16_t r = 2; r <= 5; ++r)
    m.SetCell(Bytes({r}), r, 1);
  m.ReverseRows();
  EXPECT_TRUE(m.LastError().empty());
  for (uint16_t r = 1; r <= 5; ++r)
    EXPECT_EQ(m.GetCellByte(r, 1), 6 - r);
  for (uint16_t c = 1; c <= 4; ++c)
    m.SetCell(Bytes({10 + c}), 2, c);
  m.ReverseRow(2);
  EXPECT_EQ(RowIds(m, 2), (std::vector<int>{14, 13, 12, 11}));
}

TEST(Ogmarr32, ScratchBufferGrowsToTheCellAndNeverShrinks)
{
  TOgmMatrix m;
  m.SetCell(Filled(300, 5), 1, 1);
  m.SetCell(Filled(10, 6), 1, 2);
  EXPECT_EQ(m.ScratchSize1(), 255);
  (void)m.GetCellTime(1, 1);
  EXPECT_EQ(m.ScratchSize1(), 300);
  EXPECT_EQ(m.ScratchSize2(), 255);
  (void)m.GetCellTime(1, 2);
  EXPECT_EQ(m.ScratchSize1(), 300);
  EXPECT_EQ(m.GetCellByte(1, 1), 5);
  EXPECT_EQ(m.ScratchSize2(), 300);
}

TEST(Ogmarr32, CellTimeReadsTheLastEightBytes)
{
  struct TCase {
    const char* Name;
    std::vector<uint8_t> Cell;
    double Expected;
  };
  auto withTail = TimedCell(1, -3.25);
  withTail.insert(withTail.begin(), {9, 9, 9});
  const TCase cases[] = {
      {"record then time", TimedCell(4, 45000.125), 45000.125},
      {"longer record", withTail, -3.25},
      // Too short to hold a time: time 0, and nothing before the cell is read.
      {"seven bytes", Filled(7, 0xFF), 0.0},
      {"one byte", Bytes({0x40}), 0.0},
      {"empty", {}, 0.0},
  };
  for (const auto& c : cases) {
    TOgmMatrix m;
    m.SetCell(c.Cell, 1, 1);
    EXPECT_EQ(m.GetCellTime(1, 1), c.Expected) << c.Name;
    EXPECT_EQ(CellTimeOf(c.Cell), c.Expected) << c.Name;
  }
}

TEST(Ogmarr32, CompareCellTimes)
{
  const auto a = TimedCell(1, 1.0), b = TimedCell(2, 2.0), z = Filled(3, 0xFF);
  const auto neg = TimedCell(3, -1.0);
  EXPECT_EQ(TKivMatrix::CompareCellTimes(a.data(), 9, b.data(), 9), -1);
  EXPECT_EQ(TKivMatrix::CompareCellTimes(b.data(), 9, a.data(), 9), 1);
  EXPECT_EQ(TKivMatrix::CompareCellTimes(a.data(), 9, a.data(), 9), 0);
  // A short cell compares as time 0.
  EXPECT_EQ(TKivMatrix::CompareCellTimes(z.data(), 3, a.data(), 9), -1);
  EXPECT_EQ(TKivMatrix::CompareCellTimes(z.data(), 3, neg.data(), 9), 1);
  EXPECT_EQ(TKivMatrix::CompareCellTimes(nullptr, 0, z.data(), 3), 0);
}

struct TSortCase {
  const char* Name;
  std::vector<double> Times;     // times of cells 1..n, the cell's id is its position
  std::vector<int> ExpectedIds;  // ids after the sort, left to right
};

// The expected orders were worked out by hand (the first two) and with an independent run of
// the gap-halving exchange sort; for equal times they differ from a stable sort.
TEST(Ogmarr32, SortRowGivesTheExchangeSortsOrder)
{
  const TSortCase cases[] = {
      {"three distinct", {3.0, 1.0, 2.0}, {2, 3, 1}},
      // gap 2: 1<->3 then 2<->4 -> [3,4,1,2] ids; gap 1: 1<->2, 3<->4 -> [4,3,2,1]:
      // the two cells of time 1 end up in reverse order.
      {"hand run with equal times", {3.0, 1.0, 1.0, 0.0}, {4, 3, 2, 1}},
      {"many equal times", {5, 3, 5, 1, 3, 5, 1, 3, 2, 5, 1}, {11, 7, 4, 9, 8, 5, 2, 1, 3, 10, 6}},
      {"already ordered", {1, 2, 2, 3}, {1, 2, 3, 4}},
      {"two", {2, 1}, {2, 1}},
  };
  for (const auto& c : cases) {
    TKivMatrix m;
    for (size_t i = 0; i < c.Times.size(); ++i)
      m.SetCell(TimedCell(static_cast<uint8_t>(i + 1), c.Times[i]), 2, static_cast<uint16_t>(i + 1));
    m.SortRow(2);
    EXPECT_TRUE(m.LastError().empty()) << c.Name;
    EXPECT_EQ(RowIds(m, 2), c.ExpectedIds) << c.Name;
  }
}

TEST(Ogmarr32, SortRowMovesCellsOfDifferentLengths)
{
  TKivMatrix m;
  auto longCell = TimedCell(1, 9.0);
  longCell.insert(longCell.begin(), 20, 0xAB);
  m.SetCell(longCell, 1, 1);
  m.SetCell(TimedCell(2, 1.0), 1, 2);
  m.SortRow(1);
  EXPECT_EQ(m.GetCell(1, 1), TimedCell(2, 1.0));
  EXPECT_EQ(m.GetCell(1, 2), longCell);
  EXPECT_EQ(m.GetCellTime(1, 2), 9.0);
}

TEST(Ogmarr32, SortRowFailures)
{
  TKivMatrix m;
  m.SetCell(TimedCell(1, 1.0), 1, 1);
  m.SortRow(0);
  EXPECT_EQ(m.LastError(), "Sortowanie: Indeks wiersza spoza zakresu"_cp);
  m.SortRow(2);
  EXPECT_EQ(m.LastError(), "Sortowanie: Indeks wiersza spoza zakresu"_cp);
  m.SortRow(1);
  EXPECT_EQ(m.LastError(), "Ilość danych w wierszu mniejsza od 2"_cp);
}

// A plain matrix has no comparison: sorting it leaves the row alone and reports nothing.
TEST(Ogmarr32, SortWithoutComparisonDoesNothing)
{
  TOgmMatrix m;
  m.SetCell(TimedCell(1, 3.0), 1, 1);
  m.SetCell(TimedCell(2, 1.0), 1, 2);
  m.SortRow(1);
  EXPECT_TRUE(m.LastError().empty());
  EXPECT_EQ(RowIds(m, 1), (std::vector<int>{1, 2}));
}

TEST(Ogmarr32, CustomComparisonAndOneThatContradictsItself)
{
  TOgmMatrix m;
  for (uint16_t c = 1; c <= 6; ++c)
    m.SetCell(Bytes({c}), 1, c);
  m.OnCompare = [](const uint8_t* a, uint16_t, const uint8_t* b, uint16_t) {
    return static_cast<int32_t>(b[0]) - static_cast<int32_t>(a[0]);  // descending
  };
  m.SortRow(1);
  EXPECT_EQ(RowIds(m, 1), (std::vector<int>{6, 5, 4, 3, 2, 1}));
  // "Always after" can never settle; the sort must still come back.
  m.OnCompare = [](const uint8_t*, uint16_t, const uint8_t*, uint16_t) { return 1; };
  m.SortRow(1);
  EXPECT_EQ(m.GetColCount(1), 6);
}

TEST(Ogmarr32, AbstractMatrixDoesNothing)
{
  TAbsMatrix m;
  m.SetCell(Bytes({1}), 1, 1);
  EXPECT_EQ(m.RowCount(), 0);
  EXPECT_EQ(m.GetColCount(1), 0);
  EXPECT_TRUE(m.GetCell(1, 1).empty());
  EXPECT_TRUE(m.LastError().empty());
}

}  // namespace
