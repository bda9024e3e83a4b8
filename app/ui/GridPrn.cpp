#include "app/ui/GridPrn.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include <algorithm>

#include "app/logic/GridPagination.h"
#include "platform/qt/QtText.h"
#include "charts/Extgraph.h"
#include "charts/ui/PageSink.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {

// Where a text whose top is at y starts its baseline.
void DrawTextTop(QPainter& p, int64_t x, int64_t y, const QString& text)
{
  p.drawText(QPointF(double(x), double(y + p.fontMetrics().ascent())), text);
}

// The grid's font at the printer's resolution: a size in pixels was meant for the screen.
QFont PrinterFont(const TStringGridImage& grid)
{
  QFont font = grid.Font;
  if (font.pixelSize() > 0 && grid.ScreenDpiY > 0)
    font.setPointSizeF(font.pixelSize() * 72.0 / grid.ScreenDpiY);
  return font;
}

}  // namespace

bool SinkCanPrint(TPageSink& sink)
{
  // As for the chart: the system's printer needs a default printer to print at all.
  if (sink.IsSystemPrinter() && !sink.HasDefaultPrinter()) {
    Prompts().Confirm("Brak domyślnej drukarki"_cp, "Błąd"_cp, TPromptButtons::Ok, TPromptKind::Error);
    return false;
  }
  return true;
}

bool PrintStringGrid(const TStringGridImage& grid, const std::string& title, TPageSink& sink)
{
  if (grid.ColCount <= 0 || grid.RowCount <= 0 || grid.ColWidths.size() < size_t(grid.ColCount) ||
      grid.RowHeights.size() < size_t(grid.RowCount) ||
      grid.Cells.size() < size_t(grid.ColCount) * size_t(grid.RowCount))
    return false;
  if (!SinkCanPrint(sink))
    return false;
  int widthMm = 0, heightMm = 0;
  bool landscape = false;
  if (!sink.ReadPage(widthMm, heightMm, landscape))
    return false;
  const int ppiX = sink.PpiX();
  const int ppiY = sink.PpiY();
  const TPrintBox box = GridPrintBox(widthMm, heightMm, ppiX, ppiY);
  std::vector<int64_t> widths, heights;
  for (int c = 0; c < grid.ColCount; ++c)
    widths.push_back(PrintedColumnWidth(grid.ColWidths[size_t(c)], grid.ScreenDpiX, ppiX));
  for (int r = 0; r < grid.RowCount; ++r)
    heights.push_back(PrintedRowHeight(grid.RowHeights[size_t(r)], grid.ScreenDpiY, ppiY));
  const TGridPrintLayout layout = LayoutGridPages(widths, heights, box);
  if (layout.Pages.empty())
    return false;

  sink.SetTitle(ToQ(title));
  if (!sink.BeginJob())
    return false;
  int64_t penWidth = 0;
  (void)TryRoundHalfEven(double(MmToPixels(ppiX, 0.25L)), penWidth);
  const QFont font = PrinterFont(grid);
  for (size_t k = 0; k < layout.Pages.size(); ++k) {
    QPainter* p = sink.Painter();
    if (!p)
      break;
    p->setPen(QPen(Qt::black, double(penWidth), Qt::SolidLine));
    p->setFont(font);
    p->setBackgroundMode(Qt::TransparentMode);
    const int64_t charW = p->fontMetrics().horizontalAdvance(QLatin1Char('A'));
    const int64_t charH = p->fontMetrics().height();
    const TGridPage& page = layout.Pages[k];

    DrawTextTop(*p, CentredTextLeft(box, title.size(), charW), box.Top - 2 * charH, ToQ(title));
    for (const TGridCellBox& cell : page.Cells) {
      // A cell larger than the page ends at the page's edge, and so does its text.
      const int64_t x1 = std::min(cell.X1, box.Right);
      const int64_t y1 = std::min(cell.Y1, box.Bottom);
      const bool cut = x1 != cell.X1 || y1 != cell.Y1;
      p->drawLine(QPointF(double(cell.X0), double(cell.Y0)), QPointF(double(x1), double(cell.Y0)));
      p->drawLine(QPointF(double(x1), double(cell.Y0)), QPointF(double(x1), double(y1)));
      p->drawLine(QPointF(double(x1), double(y1)), QPointF(double(cell.X0), double(y1)));
      p->drawLine(QPointF(double(cell.X0), double(y1)), QPointF(double(cell.X0), double(cell.Y0)));
      const std::string& text = grid.Cell(cell.Col, cell.Row);
      if (text.empty())
        continue;
      if (cut) {
        p->save();
        p->setClipRect(QRectF(double(cell.X0), double(cell.Y0), double(x1 - cell.X0), double(y1 - cell.Y0)));
      }
      DrawTextTop(*p, cell.X0 + 2 * penWidth, cell.Y0 + 2 * penWidth, ToQ(text));
      if (cut)
        p->restore();
    }
    DrawTextTop(*p, CentredTextLeft(box, page.Label.size(), charW), page.LabelY + charH,
                QString::fromLatin1(page.Label.c_str()));
    if (k + 1 == layout.Pages.size() || sink.Aborted())
      break;
    if (!sink.NewPage())
      break;
  }
  sink.EndJob();
  return true;
}
