#include "app/logic/GridPagination.h"

#include "charts/Extgraph.h"
#include "platform/NumText.h"

namespace {

int64_t RoundToPixels(long double v)
{
  int64_t out = 0;
  return TryRoundHalfEven(double(v), out) ? out : 0;
}

}  // namespace

int64_t PrintedColumnWidth(int screenPixels, int screenDpi, int printerDpi)
{
  if (screenDpi == 0 || printerDpi == 0)
    return 0;
  return RoundToPixels(MmToPixels(printerDpi, PixelsToMm(screenDpi, screenPixels)) * 1.2L);
}

int64_t PrintedRowHeight(int screenPixels, int screenDpi, int printerDpi)
{
  if (screenDpi == 0 || printerDpi == 0)
    return 0;
  return RoundToPixels(MmToPixels(printerDpi, PixelsToMm(screenDpi, screenPixels)));
}

TPrintBox GridPrintBox(int pageWidthMm, int pageHeightMm, int dpiX, int dpiY)
{
  TPrintBox b;
  b.Left = RoundToPixels(MmToPixels(dpiX, 15));
  b.Right = RoundToPixels(MmToPixels(dpiX, pageWidthMm - 15));
  b.Top = RoundToPixels(MmToPixels(dpiY, 20));
  b.Bottom = RoundToPixels(MmToPixels(dpiY, pageHeightMm - 20));
  return b;
}

std::vector<TGridSpan> PackGridSpans(const std::vector<int64_t>& sizes, int64_t room)
{
  std::vector<TGridSpan> spans;
  int64_t total = 0;
  for (int64_t s : sizes)
    total += s > 0 ? s : 0;
  if (room <= 0 || total == 0)
    return spans;
  const int n = int(sizes.size());
  int i = 0;
  while (i < n) {
    TGridSpan span{i, i};
    int64_t x = sizes[size_t(i)] > 0 ? sizes[size_t(i)] : 0;
    ++i;
    while (i < n && x + (sizes[size_t(i)] > 0 ? sizes[size_t(i)] : 0) <= room) {
      x += sizes[size_t(i)] > 0 ? sizes[size_t(i)] : 0;
      span.Last = i;
      ++i;
    }
    spans.push_back(span);
  }
  return spans;
}

std::string GridPageLabel(int pageRow, int pageCol, int pagesAcross)
{
  std::string label = "str. " + IntToStr(pageRow);
  if (pagesAcross > 1)
    label += " (cz." + IntToStr(pageCol) + ")";
  return label;
}

int64_t CentredTextLeft(const TPrintBox& box, size_t chars, int64_t charWidth)
{
  return box.Left + (box.Right - box.Left - int64_t(chars) * charWidth) / 2;
}

TGridPrintLayout LayoutGridPages(const std::vector<int64_t>& colWidths,
                                 const std::vector<int64_t>& rowHeights, const TPrintBox& box)
{
  TGridPrintLayout layout;
  layout.Box = box;
  const std::vector<TGridSpan> cols = PackGridSpans(colWidths, box.Right - box.Left);
  const std::vector<TGridSpan> rows = PackGridSpans(rowHeights, box.Bottom - box.Top);
  if (cols.empty() || rows.empty())
    return layout;
  layout.PagesAcross = int(cols.size());
  layout.PagesDown = int(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    for (size_t j = 0; j < cols.size(); ++j) {
      TGridPage page;
      page.PageRow = int(i) + 1;
      page.PageCol = int(j) + 1;
      page.Rows = rows[i];
      page.Cols = cols[j];
      page.Label = GridPageLabel(page.PageRow, page.PageCol, layout.PagesAcross);
      int64_t y0 = box.Top;
      for (int r = rows[i].First; r <= rows[i].Last; ++r) {
        const int64_t h = rowHeights[size_t(r)] > 0 ? rowHeights[size_t(r)] : 0;
        int64_t x0 = box.Left;
        for (int c = cols[j].First; c <= cols[j].Last; ++c) {
          const int64_t w = colWidths[size_t(c)] > 0 ? colWidths[size_t(c)] : 0;
          if (w > 0 && h > 0)
            page.Cells.push_back({c, r, x0, y0, x0 + w, y0 + h});
          x0 += w;
        }
        y0 += h;
      }
      page.LabelY = y0;
      layout.Pages.push_back(std::move(page));
    }
  }
  return layout;
}
