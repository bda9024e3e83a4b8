#pragma once
// Jagged byte-cell matrices: rows numbered from 1, cells numbered from 1 inside each row,
// every cell a byte string of its own length (0..65535 bytes).
//
// Nothing here throws on a bad index. Every operation clears LastError() when it starts; on a
// bad index it stores a Polish message there and changes nothing (readers give 0, an empty
// span or an empty cell). Callers that care check LastError() right after the call.
//
// Storage rules the callers rely on for speed: a cell's block is only ever replaced by a larger
// one (rewriting a record with one of the same or smaller length allocates nothing), lowering
// a count keeps the blocks, and only lowering a capacity frees them. Capacities are exact.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Result > 0 means A sorts after B.
using TCellCompare =
    std::function<int32_t(const uint8_t* BufA, uint16_t LenA, const uint8_t* BufB, uint16_t LenB)>;

// The interface, the row counters, the error text, the two scratch buffers and the operations
// written only in terms of the virtual ones. Its own virtual operations do nothing.
class TAbsMatrix {
public:
  TAbsMatrix();
  virtual ~TAbsMatrix();
  TAbsMatrix(const TAbsMatrix&) = delete;
  TAbsMatrix& operator=(const TAbsMatrix&) = delete;

  uint16_t RowCapacity() const { return FRowCapacity; }
  uint16_t RowCount() const { return FRowCount; }
  const std::string& LastError() const { return FLastError; }
  bool AutoGrow() const { return FAutoGrow; }
  void SetAutoGrow(bool Value) { FAutoGrow = Value; }

  // Orders the cells in SortRow. A matrix without one is never sorted.
  TCellCompare OnCompare;

  virtual void SetRowCapacity(uint16_t N);
  virtual void SetColCapacity(uint16_t Row, uint16_t N);
  virtual uint16_t GetColCapacity(uint16_t Row);
  virtual void SetColCount(uint16_t Row, uint16_t Count);
  virtual uint16_t GetColCount(uint16_t Row);
  virtual void SwapRows(uint16_t Row1, uint16_t Row2);
  // Copies the cell into Buf (resized to the cell's length) and sets Len; on a bad index
  // Buf is emptied and Len is 0.
  virtual void GetCell(std::vector<uint8_t>& Buf, uint16_t Row, uint16_t Col, uint16_t& Len);
  // Stores Buf (at most 65535 bytes) in the cell, growing the tables when AutoGrow is on.
  virtual void SetCell(std::span<const uint8_t> Buf, uint16_t Row, uint16_t Col);
  virtual void ReverseRows();
  virtual void ReverseRow(uint16_t Row);

  void SetRowCount(uint16_t Count);
  void SwapCells(uint16_t Row1, uint16_t Col1, uint16_t Row2, uint16_t Col2);
  // Ascending by OnCompare with the gap-halving exchange sort; equal cells may change places,
  // and the order they end in is the order the listings show.
  void SortRow(uint16_t Row);

  // Conveniences over GetCell/SetCell.
  std::vector<uint8_t> GetCell(uint16_t Row, uint16_t Col);
  void SetCell(std::string_view Bytes, uint16_t Row, uint16_t Col);

  // Allocated sizes of the scratch buffers (they grow on demand and never shrink).
  uint16_t ScratchSize1() const { return static_cast<uint16_t>(FScratch1.size()); }
  uint16_t ScratchSize2() const { return static_cast<uint16_t>(FScratch2.size()); }

protected:
  void ClearError() { FLastError.clear(); }
  void Fail(std::string Message) { FLastError = std::move(Message); }
  bool IsScratch(const std::vector<uint8_t>& Buf) const { return &Buf == &FScratch1 || &Buf == &FScratch2; }
  std::span<const uint8_t> Scratch1() const { return {FScratch1.data(), FScratchLen1}; }
  std::span<const uint8_t> Scratch2() const { return {FScratch2.data(), FScratchLen2}; }

  uint16_t FRowCapacity = 0;
  uint16_t FRowCount = 0;
  std::string FLastError;
  std::vector<uint8_t> FScratch1;
  std::vector<uint8_t> FScratch2;
  uint16_t FScratchLen1 = 0;
  uint16_t FScratchLen2 = 0;
  bool FAutoGrow = true;

  static constexpr uint8_t InitialScratchSize = 255;

private:
  bool SortPasses(uint16_t Row, int N, int Gap);
};

// The heap implementation, plus the direct readers.
class TOgmMatrix : public TAbsMatrix {
public:
  TOgmMatrix() = default;
  ~TOgmMatrix() override = default;

  void SetRowCapacity(uint16_t N) override;
  void SetColCapacity(uint16_t Row, uint16_t N) override;
  uint16_t GetColCapacity(uint16_t Row) override;
  void SetColCount(uint16_t Row, uint16_t Count) override;
  uint16_t GetColCount(uint16_t Row) override;
  void SwapRows(uint16_t Row1, uint16_t Row2) override;
  using TAbsMatrix::GetCell;
  using TAbsMatrix::SetCell;
  void GetCell(std::vector<uint8_t>& Buf, uint16_t Row, uint16_t Col, uint16_t& Len) override;
  void SetCell(std::span<const uint8_t> Buf, uint16_t Row, uint16_t Col) override;

  // The cell's stored bytes in place, no copy and no message; empty for a bad index or an
  // empty cell. Valid until the cell is rewritten with a longer value or freed.
  std::span<const uint8_t> GetCellPtr(uint16_t Row, uint16_t Col) const;
  // The first byte, 0 for an empty cell or a bad index.
  uint8_t GetCellByte(uint16_t Row, uint16_t Col);
  // The double in the cell's last 8 bytes; 0 for a cell shorter than 8 bytes or a bad index.
  double GetCellTime(uint16_t Row, uint16_t Col);

  // Allocated bytes of a cell's block (0 for a bad index), for callers that check reuse.
  uint16_t GetCellSize(uint16_t Row, uint16_t Col) const;

private:
  struct TCell {
    uint16_t Len = 0;
    uint16_t Size = 0;
    std::unique_ptr<uint8_t[]> Data;
  };
  struct TRow {
    std::vector<TCell> Cells;  // size() is the row's ColCapacity
    uint16_t ColCount = 0;
  };
  const TCell* CellAt(uint16_t Row, uint16_t Col) const;

  std::vector<TRow> FRows;  // size() is RowCapacity
};

// A matrix whose cells end in an 8-byte time value and sort by it.
class TKivMatrix : public TOgmMatrix {
public:
  TKivMatrix();
  // 1, -1 or 0 by the difference of the times in the last 8 bytes of A and B; a cell shorter
  // than 8 bytes counts as time 0.
  static int32_t CompareCellTimes(const uint8_t* BufA, uint16_t LenA, const uint8_t* BufB, uint16_t LenB);
};

// The time value of a cell's bytes as GetCellTime reads it.
double CellTimeOf(std::span<const uint8_t> Cell);
