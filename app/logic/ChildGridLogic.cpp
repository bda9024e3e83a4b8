#include "app/logic/ChildGridLogic.h"

#include <algorithm>
#include <span>

#include "app/logic/DocNameLogic.h"
#include "app/values/SettingValues.h"
#include "platform/Codepage.h"

TZnsGridCells::TZnsGridCells()
    : FCells(size_t(FColCount) * size_t(FRowCount)), FColWidths(size_t(FColCount), ZnsGrid::DEFAULT_COL_WIDTH)
{
  // The title column holds "n. TITLE" and the definition file's name.
  FColWidths[0] = 3 * ZnsGrid::DEFAULT_COL_WIDTH;
}

void TZnsGridCells::SetColCount(int n)
{
  n = std::max(n, 1);
  if (n == FColCount)
    return;
  std::vector<std::string> cells(size_t(n) * size_t(FRowCount));
  const int keep = std::min(n, FColCount);
  for (int r = 0; r < FRowCount; ++r)
    for (int c = 0; c < keep; ++c)
      cells[size_t(r) * size_t(n) + size_t(c)] = std::move(FCells[size_t(r) * size_t(FColCount) + size_t(c)]);
  FCells = std::move(cells);
  FColWidths.resize(size_t(n), ZnsGrid::DEFAULT_COL_WIDTH);
  FColCount = n;
}

void TZnsGridCells::SetRowCount(int n)
{
  n = std::max(n, 1);
  FCells.resize(size_t(n) * size_t(FColCount));
  FRowCount = n;
}

const std::string& TZnsGridCells::Cell(int col, int row) const
{
  static const std::string empty;
  if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
    return empty;
  return FCells[size_t(row) * size_t(FColCount) + size_t(col)];
}

void TZnsGridCells::SetCell(int col, int row, std::string text)
{
  if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
    return;
  FCells[size_t(row) * size_t(FColCount) + size_t(col)] = std::move(text);
}

int TZnsGridCells::ColWidth(int col) const
{
  return col >= 0 && col < FColCount ? FColWidths[size_t(col)] : 0;
}

void TZnsGridCells::SetColWidth(int col, int width)
{
  if (col >= 0 && col < FColCount)
    FColWidths[size_t(col)] = width;
}

void TZnsGridCells::ClearCells()
{
  for (auto& c : FCells)
    c.clear();
}

int ShownSetNumber(int shownSet) { return shownSet == 0 ? 1 : shownSet == 1 ? 2 : 0; }

namespace {
std::span<const uint8_t> SetSpan(const TKiv& kiv, int set)
{
  const uint8_t* data = kiv.GetZnsData(set);
  return data ? std::span<const uint8_t>(data, KivImage::ZNS_CAPACITY) : std::span<const uint8_t>();
}
}  // namespace

void ShowZestawNastaw(const TKiv& kiv, int shownSet, TZnsGridCells& grid)
{
  const int set = ShownSetNumber(shownSet);
  // A document without a model has no groups: what an earlier document showed must not
  // linger (it would be shown and printed as this one's).
  if (kiv.GetKivType() == 0 || set == 0) {
    grid.ClearCells();
    return;
  }
  const TKivDefs& defs = kiv.Defs();
  const std::span<const uint8_t> data = SetSpan(kiv, set);
  const uint16_t size = kiv.GetZnsSize(set);
  const int groups = defs.GroupCount();
  if (grid.RowCount() < groups + 1)
    grid.SetRowCount(groups + 1);
  constexpr int F = ZnsGrid::FIXED_COLS;
  for (int g = 1; g <= groups; ++g) {
    grid.SetCell(0, g, defs.GroupTitle(g));
    const TSets* items = defs.Group(g);
    const int n = items ? items->Count() : 0;
    int next = F;  // first column behind the row's last item
    for (int j = 1; j <= n; ++j) {
      const int q = F + 3 * (j - 1);
      if (grid.ColCount() < q + 3)
        grid.SetColCount(q + 3);
      const TSettingDef def = items->GetDef(j);
      grid.SetCell(q, g, def.Name + " [" + def.Dim + "]");
      grid.SetCell(q + 1, g, FormatSettingValue(def, data, size));
      grid.SetCell(q + 2, g, std::string());
      grid.SetColWidth(q + 1, ZnsGrid::DEFAULT_COL_WIDTH / 2);
      grid.SetColWidth(q + 2, ZnsGrid::DEFAULT_COL_WIDTH / 3);
      next = q + 3;
    }
    for (int c = next; c < grid.ColCount(); ++c)
      grid.SetCell(c, g, std::string());
  }
  // Rows below the last group belong to no group of this document.
  for (int r = groups + 1; r < grid.RowCount(); ++r)
    for (int c = 0; c < grid.ColCount(); ++c)
      grid.SetCell(c, r, std::string());
  for (int c = 1; c < grid.ColCount(); ++c)
    grid.SetCell(c, 0, std::string());
  grid.SetCell(0, 0, "def: " + Utf8ToCp1250(FileNamePart(defs.DefFileName())));
}

bool ZnsCellEditable(const TKivDefs& defs, int col, int row)
{
  const int c = col - ZnsGrid::FIXED_COLS;
  if (c < 0 || c % 3 != 1 || row < 1 || row > defs.GroupCount())
    return false;
  const TSets* items = defs.Group(row);
  return items && c <= 3 * items->Count();
}

TCommitResult CommitGridCell(TKiv& kiv, int shownSet, TZnsGridCells& grid, int col, int row)
{
  const int set = ShownSetNumber(shownSet);
  // Only a value cell of an existing item: any other cell would fall back to the default
  // definition and overwrite the set's first register.
  if (set == 0 || kiv.GetKivType() == 0 || !ZnsCellEditable(kiv.Defs(), col, row))
    return TCommitResult::NotEditable;
  const int item = (col - ZnsGrid::FIXED_COLS) / 3 + 1;
  const TSettingDef def = kiv.Defs().Group(row)->GetDef(item);
  uint8_t* data = kiv.GetZnsData(set);
  const uint16_t size = kiv.GetZnsSize(set);
  const std::string old = grid.Cell(col, row);
  const TEncodeResult r =
      EncodeSettingValue(def, old, std::span<uint8_t>(data, KivImage::ZNS_CAPACITY), size);
  std::string shown = FormatSettingValue(def, std::span<const uint8_t>(data, KivImage::ZNS_CAPACITY), size);
  const bool changed = shown != old;
  grid.SetCell(col, row, std::move(shown));
  if (r == TEncodeResult::ConversionError)
    return TCommitResult::Restored;
  if (changed)
    kiv.SetModified(true);
  return TCommitResult::Stored;
}
