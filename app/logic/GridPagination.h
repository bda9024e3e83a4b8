#pragma once
// Printing a string grid, as data: the printed sizes of its columns and rows, the pages they
// fall on across and down, and where each cell, the title and the page label go. The Qt
// renderer (app/ui/GridPrn) only draws what this computes, so the pages counted are always
// the pages printed.

#include <cstdint>
#include <string>
#include <vector>

// Printed width of a screen column: 1.2 times its size on the screen, in printer pixels;
// 0 when either resolution is 0. Rows print at their screen size.
int64_t PrintedColumnWidth(int screenPixels, int screenDpi, int printerDpi);
int64_t PrintedRowHeight(int screenPixels, int screenDpi, int printerDpi);

// The printable box on the page, in printer pixels: 15 mm from the left and right edges,
// 20 mm from the top and bottom.
struct TPrintBox {
  int64_t Left = 0, Right = 0, Top = 0, Bottom = 0;
};
TPrintBox GridPrintBox(int pageWidthMm, int pageHeightMm, int dpiX, int dpiY);

// A run of consecutive columns (or rows) on one page, both ends included.
struct TGridSpan {
  int First = 0;
  int Last = -1;
  bool operator==(const TGridSpan&) const = default;
};
// Greedy packing into `room` pixels: each page takes the following items while they fit
// completely; an item larger than the room gets a page of its own. No items, no room or a
// total size of 0 give no pages.
std::vector<TGridSpan> PackGridSpans(const std::vector<int64_t>& sizes, int64_t room);

struct TGridCellBox {
  int Col = 0, Row = 0;
  int64_t X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
};

struct TGridPage {
  int PageRow = 1;  // 1-based, down
  int PageCol = 1;  // 1-based, across
  TGridSpan Rows;
  TGridSpan Cols;
  std::string Label;                // "str. i", plus " (cz.j)" when the grid is more than one page wide
  std::vector<TGridCellBox> Cells;  // cells with a width and a height, row by row
  int64_t LabelY = 0;               // bottom of the last row; the label goes one letter height below
};

struct TGridPrintLayout {
  TPrintBox Box;
  int PagesAcross = 0;
  int PagesDown = 0;
  std::vector<TGridPage> Pages;  // page row by page row, across inside each
};
// The pages of a grid, in print order.
TGridPrintLayout LayoutGridPages(const std::vector<int64_t>& colWidths,
                                 const std::vector<int64_t>& rowHeights, const TPrintBox& box);
// The label of page (i, j).
std::string GridPageLabel(int pageRow, int pageCol, int pagesAcross);
// Left of a text of `chars` letters of width `charWidth` centred between left and right.
int64_t CentredTextLeft(const TPrintBox& box, size_t chars, int64_t charWidth);
