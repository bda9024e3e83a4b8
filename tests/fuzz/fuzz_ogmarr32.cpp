// Drives a time-sorted matrix with a stream of operations on small indices (0 and one past the
// end included) and checks the counters' invariants after each step.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "charts/Ogmarr32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  TKivMatrix m;
  size_t i = 0;
  auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
  std::vector<uint8_t> buf;
  while (i < size) {
    const uint8_t op = next();
    const uint16_t a = next() % 8, b = next() % 8, c = next() % 8, d = next() % 8;
    switch (op % 16) {
    case 0: {
      const size_t len = next() % 40;
      std::vector<uint8_t> cell;
      for (size_t k = 0; k < len; ++k)
        cell.push_back(next());
      m.SetCell(cell, a, b);
      break;
    }
    case 1:
      m.SetRowCapacity(a);
      break;
    case 2:
      m.SetColCapacity(a, b);
      break;
    case 3:
      m.SetColCount(a, b);
      break;
    case 4:
      m.SetRowCount(a);
      break;
    case 5:
      m.SwapRows(a, b);
      break;
    case 6:
      m.SwapCells(a, b, c, d);
      break;
    case 7:
      m.ReverseRows();
      break;
    case 8:
      m.ReverseRow(a);
      break;
    case 9:
      m.SortRow(a);
      break;
    case 10: {
      uint16_t len = 0;
      m.GetCell(buf, a, b, len);
      if (len != buf.size())
        std::abort();
      break;
    }
    case 11:
      (void)m.GetCellTime(a, b);
      break;
    case 12:
      (void)m.GetCellByte(a, b);
      break;
    case 13:
      (void)m.GetCellPtr(a, b);
      break;
    case 14:
      m.SetAutoGrow(!m.AutoGrow());
      break;
    default:
      (void)m.GetColCapacity(a);
      break;
    }
    if (m.RowCount() > m.RowCapacity())
      std::abort();
    for (uint16_t r = 1; r <= m.RowCapacity(); ++r) {
      const uint16_t n = m.GetColCount(r);
      if (r > m.RowCount() && n != 0)
        std::abort();
      if (n > m.GetColCapacity(r))
        std::abort();
    }
  }
  return 0;
}
