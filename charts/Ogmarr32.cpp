#include "charts/Ogmarr32.h"

#include <algorithm>
#include <cstring>

#include "platform/Bytes.h"
#include "platform/Codepage.h"

namespace {

constexpr auto MsgRow = "Indeks wiersza spoza zakresu"_cp;
constexpr auto MsgRowLower = "indeks wiersza spoza zakresu"_cp;
constexpr auto MsgRowIndex = "Index wiersza spoza zakresu"_cp;
constexpr auto MsgCol = "Indeks kolumny spoza zakresu"_cp;
constexpr auto MsgZero = "Próba zapisu do zerowego wiersza lub kolumny"_cp;
constexpr auto MsgTooLong = "Wartość komórki dłuższa niż 65535 bajtów"_cp;
constexpr auto MsgFewRows = "Tablica ma mniej niż dwa wiersze"_cp;
constexpr auto MsgFewCells = "Wiersz ma mniej niż dwa elementy"_cp;
constexpr auto MsgSortRow = "Sortowanie: Indeks wiersza spoza zakresu"_cp;
constexpr auto MsgSortFew = "Ilość danych w wierszu mniejsza od 2"_cp;

}  // namespace

double CellTimeOf(std::span<const uint8_t> Cell)
{
  // A cell too short to hold a time reads as time 0 rather than reading before its data.
  if (Cell.size() < 8)
    return 0.0;
  return GetF64LE(Cell, Cell.size() - 8);
}

// ---------------------------------------------------------------------------------------------
// TAbsMatrix

TAbsMatrix::TAbsMatrix() : FScratch1(InitialScratchSize, 0), FScratch2(InitialScratchSize, 0) {}

TAbsMatrix::~TAbsMatrix() = default;

void TAbsMatrix::SetRowCapacity(uint16_t) { ClearError(); }
void TAbsMatrix::SetColCapacity(uint16_t, uint16_t) { ClearError(); }
uint16_t TAbsMatrix::GetColCapacity(uint16_t)
{
  ClearError();
  return 0;
}
void TAbsMatrix::SetColCount(uint16_t, uint16_t) { ClearError(); }
uint16_t TAbsMatrix::GetColCount(uint16_t)
{
  ClearError();
  return 0;
}
void TAbsMatrix::SwapRows(uint16_t, uint16_t) { ClearError(); }
void TAbsMatrix::GetCell(std::vector<uint8_t>& Buf, uint16_t, uint16_t, uint16_t& Len)
{
  ClearError();
  if (!IsScratch(Buf))
    Buf.clear();
  Len = 0;
}
void TAbsMatrix::SetCell(std::span<const uint8_t>, uint16_t, uint16_t) { ClearError(); }

std::vector<uint8_t> TAbsMatrix::GetCell(uint16_t Row, uint16_t Col)
{
  std::vector<uint8_t> buf;
  uint16_t len = 0;
  GetCell(buf, Row, Col, len);
  return buf;
}

void TAbsMatrix::SetCell(std::string_view Bytes, uint16_t Row, uint16_t Col)
{
  SetCell(AsBytes(Bytes), Row, Col);
}

void TAbsMatrix::SetRowCount(uint16_t Count)
{
  ClearError();
  if (Count > FRowCapacity) {
    Fail(MsgRow);
    return;
  }
  for (uint32_t r = uint32_t{Count} + 1; r <= FRowCount; ++r)
    SetColCount(static_cast<uint16_t>(r), 0);
  FRowCount = Count;
  ClearError();
}

void TAbsMatrix::SwapCells(uint16_t Row1, uint16_t Col1, uint16_t Row2, uint16_t Col2)
{
  ClearError();
  if (Row1 == Row2 && Col1 == Col2)
    return;
  // Row or column 0 is as much out of range as one past the end: without this check a
  // swap with column 0 would read an empty cell and write it over the other one.
  if (Row1 == 0 || Row2 == 0 || Row1 > FRowCount || Row2 > FRowCount) {
    Fail(MsgRow);
    return;
  }
  const uint16_t n1 = GetColCount(Row1);
  const uint16_t n2 = GetColCount(Row2);
  if (Col1 == 0 || Col2 == 0 || Col1 > n1 || Col2 > n2) {
    Fail(MsgCol);
    return;
  }
  GetCell(FScratch1, Row1, Col1, FScratchLen1);
  GetCell(FScratch2, Row2, Col2, FScratchLen2);
  SetCell(Scratch1(), Row2, Col2);
  SetCell(Scratch2(), Row1, Col1);
}

void TAbsMatrix::ReverseRows()
{
  ClearError();
  if (FRowCount < 2) {
    Fail(MsgFewRows);
    return;
  }
  const uint16_t n = FRowCount;
  for (uint32_t i = 1; i <= n / 2u; ++i)
    SwapRows(static_cast<uint16_t>(i), static_cast<uint16_t>(n + 1 - i));
}

void TAbsMatrix::ReverseRow(uint16_t Row)
{
  ClearError();
  const uint16_t n = GetColCount(Row);
  if (n < 2) {
    Fail(MsgFewCells);
    return;
  }
  for (uint32_t i = 1; i <= n / 2u; ++i)
    SwapCells(Row, static_cast<uint16_t>(i), Row, static_cast<uint16_t>(n + 1 - i));
}

// One gap's passes. With a consistent comparison each chain of cells Gap apart is bubble-sorted,
// which settles in at most as many passes as the chain has cells; the bound only stops a
// comparison that contradicts itself from spinning forever.
bool TAbsMatrix::SortPasses(uint16_t Row, int N, int Gap)
{
  const int maxPasses = N + 1;
  for (int pass = 0; pass < maxPasses; ++pass) {
    bool exchanged = false;
    for (int i = 1; i <= N - Gap; ++i) {
      const auto a = static_cast<uint16_t>(i);
      const auto b = static_cast<uint16_t>(i + Gap);
      GetCell(FScratch1, Row, b, FScratchLen1);
      GetCell(FScratch2, Row, a, FScratchLen2);
      if (OnCompare(FScratch2.data(), FScratchLen2, FScratch1.data(), FScratchLen1) > 0) {
        SetCell(Scratch1(), Row, a);
        SetCell(Scratch2(), Row, b);
        exchanged = true;
      }
    }
    if (!exchanged)
      return true;
  }
  return false;
}

void TAbsMatrix::SortRow(uint16_t Row)
{
  ClearError();
  if (Row == 0 || Row > FRowCount) {
    Fail(MsgSortRow);
    return;
  }
  const int n = GetColCount(Row);
  if (n < 2) {
    Fail(MsgSortFew);
    return;
  }
  if (!OnCompare)
    return;
  // Gaps n div 2, n div 4, ... 1. The round with gap 0 that would follow compares each cell
  // with itself and can move nothing, so it is left out.
  int gap = n;
  while (gap > 1) {
    gap /= 2;
    if (!SortPasses(Row, n, gap))
      break;
  }
  ClearError();
}

// ---------------------------------------------------------------------------------------------
// TOgmMatrix

void TOgmMatrix::SetRowCapacity(uint16_t N)
{
  ClearError();
  if (N == FRowCapacity)
    return;
  // Shrinking destroys the rows above N with their cells and blocks; growing adds empty rows.
  const bool shrinking = N < FRows.size();
  FRows.resize(N);
  if (shrinking)
    FRows.shrink_to_fit();
  FRowCount = std::min(FRowCount, N);
  FRowCapacity = N;
}

void TOgmMatrix::SetColCapacity(uint16_t Row, uint16_t N)
{
  ClearError();
  if (Row == 0)
    return;
  if (Row > FRowCapacity) {
    if (N == 0)
      return;  // a row that does not exist has no cells to drop
    if (!FAutoGrow) {
      Fail(MsgRowIndex);
      return;
    }
    SetRowCapacity(Row);
  }
  TRow& row = FRows[Row - 1];
  if (N == row.Cells.size())
    return;
  const bool shrinking = N < row.Cells.size();
  row.ColCount = std::min(row.ColCount, N);
  row.Cells.resize(N);
  if (shrinking)
    row.Cells.shrink_to_fit();
}

uint16_t TOgmMatrix::GetColCapacity(uint16_t Row)
{
  ClearError();
  if (Row == 0 || Row > FRowCapacity) {
    Fail(MsgRow);
    return 0;
  }
  return static_cast<uint16_t>(FRows[Row - 1].Cells.size());
}

void TOgmMatrix::SetColCount(uint16_t Row, uint16_t Count)
{
  ClearError();
  if (Row == 0 || Row > FRowCount) {
    Fail(MsgRowLower);
    return;
  }
  TRow& row = FRows[Row - 1];
  if (Count > row.Cells.size()) {
    Fail(MsgCol);
    return;
  }
  for (uint32_t c = uint32_t{Count} + 1; c <= row.ColCount; ++c)
    row.Cells[c - 1].Len = 0;
  row.ColCount = Count;
}

uint16_t TOgmMatrix::GetColCount(uint16_t Row)
{
  ClearError();
  if (Row == 0 || Row > FRowCount || FRows.empty())
    return 0;
  return FRows[Row - 1].ColCount;
}

void TOgmMatrix::SwapRows(uint16_t Row1, uint16_t Row2)
{
  ClearError();
  if (Row1 == Row2)
    return;
  if (Row1 == 0 || Row2 == 0 || Row1 > FRowCount || Row2 > FRowCount) {
    Fail(MsgRow);
    return;
  }
  std::swap(FRows[Row1 - 1], FRows[Row2 - 1]);
}

void TOgmMatrix::GetCell(std::vector<uint8_t>& Buf, uint16_t Row, uint16_t Col, uint16_t& Len)
{
  ClearError();
  const bool scratch = IsScratch(Buf);
  Len = 0;
  if (Row == 0 || Row > FRowCount) {
    Fail(MsgRow);
    if (!scratch)
      Buf.clear();
    return;
  }
  const TRow& row = FRows[Row - 1];
  if (Col == 0 || Col > row.ColCount) {
    Fail(MsgCol);
    if (!scratch)
      Buf.clear();
    return;
  }
  const TCell& cell = row.Cells[Col - 1];
  Len = cell.Len;
  if (scratch) {
    // A scratch buffer grows to exactly the cell's length, keeps what it held and never shrinks.
    if (Buf.size() < cell.Len)
      Buf.resize(cell.Len, 0);
  } else {
    Buf.resize(cell.Len);
  }
  if (cell.Len > 0)
    std::memcpy(Buf.data(), cell.Data.get(), cell.Len);
}

void TOgmMatrix::SetCell(std::span<const uint8_t> Buf, uint16_t Row, uint16_t Col)
{
  ClearError();
  if (Row == 0 || Col == 0) {
    Fail(MsgZero);
    return;
  }
  if (Buf.size() > UINT16_MAX) {
    Fail(MsgTooLong);
    return;
  }
  if (Row > FRowCapacity) {
    if (!FAutoGrow) {
      Fail(MsgRow);
      return;
    }
    SetRowCapacity(Row);
  }
  if (Col > FRows[Row - 1].Cells.size()) {
    if (!FAutoGrow) {
      Fail(MsgCol);
      return;
    }
    SetColCapacity(Row, Col);
  }
  TRow& row = FRows[Row - 1];
  TCell& cell = row.Cells[Col - 1];
  const auto len = static_cast<uint16_t>(Buf.size());
  if (len > cell.Size) {
    // A larger value gets a new block of exactly its size; the old contents are not needed.
    cell.Data = std::make_unique<uint8_t[]>(len);
    cell.Size = len;
  }
  cell.Len = len;
  if (len > 0)
    std::memmove(cell.Data.get(), Buf.data(), len);
  if (row.ColCount < Col)
    row.ColCount = Col;
  if (FRowCount < Row)
    FRowCount = Row;
}

const TOgmMatrix::TCell* TOgmMatrix::CellAt(uint16_t Row, uint16_t Col) const
{
  if (Row == 0 || Row > FRowCount)
    return nullptr;
  const TRow& row = FRows[Row - 1];
  if (Col == 0 || Col > row.ColCount)
    return nullptr;
  return &row.Cells[Col - 1];
}

std::span<const uint8_t> TOgmMatrix::GetCellPtr(uint16_t Row, uint16_t Col) const
{
  const TCell* cell = CellAt(Row, Col);
  if (cell == nullptr || cell->Len == 0)
    return {};
  return {cell->Data.get(), cell->Len};
}

uint16_t TOgmMatrix::GetCellSize(uint16_t Row, uint16_t Col) const
{
  if (Row == 0 || Row > FRowCapacity)
    return 0;
  const TRow& row = FRows[Row - 1];
  if (Col == 0 || Col > row.Cells.size())
    return 0;
  return row.Cells[Col - 1].Size;
}

uint8_t TOgmMatrix::GetCellByte(uint16_t Row, uint16_t Col)
{
  GetCell(FScratch2, Row, Col, FScratchLen2);
  return FScratchLen2 > 0 ? FScratch2[0] : 0;
}

double TOgmMatrix::GetCellTime(uint16_t Row, uint16_t Col)
{
  GetCell(FScratch1, Row, Col, FScratchLen1);
  return CellTimeOf(Scratch1());
}

// ---------------------------------------------------------------------------------------------
// TKivMatrix

TKivMatrix::TKivMatrix() { OnCompare = &TKivMatrix::CompareCellTimes; }

int32_t TKivMatrix::CompareCellTimes(const uint8_t* BufA, uint16_t LenA, const uint8_t* BufB, uint16_t LenB)
{
  const double d = CellTimeOf({BufA, LenA}) - CellTimeOf({BufB, LenB});
  if (d > 0)
    return 1;
  if (d < 0)
    return -1;
  return 0;
}
