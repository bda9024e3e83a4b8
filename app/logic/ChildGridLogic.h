#pragma once
// The document window's setting grid as a matrix of cell texts: what each cell shows, which
// cell may be edited and how an edit is stored into the shown set.

#include <string>
#include <vector>

#include "app/document/Kivbase.h"

namespace ZnsGrid {
constexpr int COLUMNS = 19;
constexpr int ROWS = 46;
constexpr int DEFAULT_COL_WIDTH = 88;  // pixels at the grid's design font
constexpr int DEFAULT_ROW_HEIGHT = 18;
constexpr int FIXED_COLS = 1;
constexpr int FIXED_ROWS = 1;
}  // namespace ZnsGrid

// The grid's cells (column, row), both 0-based, fixed row and column included.
class TZnsGridCells {
public:
  TZnsGridCells();
  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  void SetColCount(int n);
  void SetRowCount(int n);
  // Empty outside the grid.
  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text);  // ignored outside the grid
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  // Every cell emptied; size and widths stay.
  void ClearCells();

private:
  int FColCount = ZnsGrid::COLUMNS;
  int FRowCount = ZnsGrid::ROWS;
  std::vector<std::string> FCells;  // row-major, FColCount per row
  std::vector<int> FColWidths;
};

// Fills the grid with the shown set (0 = set 1, 1 = set 2): a row per group with its title,
// then per item "Name [Dim]", the value and an empty spacer column. Rows below the last
// group and cells behind a row's last item are emptied; a document of unknown model leaves
// the whole grid empty. Cell (0, 0) names the definition file.
void ShowZestawNastaw(const TKiv& kiv, int shownSet, TZnsGridCells& grid);

// A value column of an item the cell's group has (the only cells that take an edit).
bool ZnsCellEditable(const TKivDefs& defs, int col, int row);

enum class TCommitResult {
  NotEditable,  // not a value cell of an item: nothing happened
  Stored,       // the set was updated (or kept) and the cell shows the stored value
  Restored,     // the text was no value: the cell shows the stored value again
};
// Stores the cell's text into the shown set and shows the stored value in the cell. The
// document is marked modified when the shown text changed.
TCommitResult CommitGridCell(TKiv& kiv, int shownSet, TZnsGridCells& grid, int col, int row);

// The set of a grid (1 or 2) for a shown-set index; 0 for any other index.
int ShownSetNumber(int shownSet);
