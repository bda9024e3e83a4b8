#include "app/ui/GridPrn.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include "app/logic/GridPagination.h"
#include "charts/ui/PageSink.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/app/DocTestSupport.h"
#include "tests/ui/PdfTools.h"
#include "tests/ui/QtTestApp.h"

namespace {

// A grid of cols x rows cells "r<row>c<col>", every column `colWidth` and every row `rowHeight`
// screen pixels at 96 dpi.
TStringGridImage MakeGrid(int cols, int rows, int colWidth, int rowHeight)
{
  TStringGridImage g;
  g.ColCount = cols;
  g.RowCount = rows;
  g.ColWidths.assign(size_t(cols), colWidth);
  g.RowHeights.assign(size_t(rows), rowHeight);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c)
      g.Cells.push_back("r" + std::to_string(r) + "c" + std::to_string(c));
  g.Font = QFont(QStringLiteral("Sans"));
  g.Font.setPointSize(8);
  return g;
}

class TGridPrnTest : public TQtAppTest {};

}  // namespace

TEST_F(TGridPrnTest, PagesAcrossAndDownOnImages)
{
  // A4 at 100 dpi: 709 pixels of printable width, 1012 of height. Columns of 200 screen
  // pixels print 250 wide: two per page, so five columns take three pages across; rows of
  // 400 pixels print 417 high, two per page, so five rows take three pages down.
  TImagePageSink sink(210, 297, 100);
  const TStringGridImage grid = MakeGrid(5, 5, 200, 400);
  ASSERT_TRUE(PrintStringGrid(grid, "ZESTAW NASTAW 1", sink));
  EXPECT_EQ(sink.Images.size(), 9u);
  EXPECT_EQ(sink.JobsBegun(), 1);
  EXPECT_EQ(sink.JobsEnded(), 1);
  EXPECT_EQ(sink.Title(), QStringLiteral("ZESTAW NASTAW 1"));
  // Every page has black frame lines at the printable box's left edge.
  const TPrintBox box = GridPrintBox(210, 297, 100, 100);
  for (const QImage& page : sink.Images)
    EXPECT_EQ(QColor(page.pixel(int(box.Left), int(box.Top) + 20)), QColor(Qt::black));
}

TEST_F(TGridPrnTest, EmptyGridsPrintNothing)
{
  TImagePageSink sink(210, 297, 100);
  EXPECT_FALSE(PrintStringGrid(MakeGrid(0, 3, 80, 18), "x", sink));
  EXPECT_FALSE(PrintStringGrid(MakeGrid(3, 0, 80, 18), "x", sink));
  EXPECT_FALSE(PrintStringGrid(MakeGrid(3, 3, 0, 18), "x", sink));
  EXPECT_EQ(sink.JobsBegun(), 0);
}

TEST_F(TGridPrnTest, AnAbortedJobEndsAfterTheCurrentPage)
{
  TImagePageSink sink(210, 297, 100);
  sink.AbortAfterPages = 2;
  ASSERT_TRUE(PrintStringGrid(MakeGrid(5, 5, 200, 400), "x", sink));
  EXPECT_EQ(sink.Images.size(), 2u);
  EXPECT_EQ(sink.JobsEnded(), 1);
}

TEST_F(TGridPrnTest, AColumnWiderThanThePageIsCutAtItsEdge)
{
  TImagePageSink sink(210, 297, 100);
  TStringGridImage grid = MakeGrid(3, 2, 80, 20);
  grid.ColWidths[1] = 2000;  // far wider than a page
  grid.Cells[1] = std::string(400, 'W');
  ASSERT_TRUE(PrintStringGrid(grid, "x", sink));
  // Column 0, column 1 alone, column 2: three pages across, none lost.
  ASSERT_EQ(sink.Images.size(), 3u);
  const TPrintBox box = GridPrintBox(210, 297, 100, 100);
  const QImage& wide = sink.Images[1];
  // Nothing of its text runs past the printable box.
  for (int x = int(box.Right) + 3; x < wide.width(); ++x)
    for (int y = int(box.Top); y < int(box.Top) + 25; ++y)
      ASSERT_EQ(QColor(wide.pixel(x, y)), QColor(Qt::white)) << x << "," << y;
}

TEST_F(TGridPrnTest, PdfPagesLabelsAndPolishText)
{
  TTempDir dir;
  const std::string path = dir.File("grid.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setPageSize(QPageSize(QPageSize::A4));
  TPrinterPageSink sink(printer);
  // The document window's grid: 19 columns of 88 pixels and 46 rows of 18, with a
  // first column three times as wide.
  TStringGridImage grid = MakeGrid(19, 46, 88, 18);
  grid.ColWidths[0] = 264;
  grid.Cells[0] = "Prąd zwarcia"_cp;
  ASSERT_TRUE(PrintStringGrid(grid, "ZESTAW NASTAW 2", sink));

  std::vector<int64_t> widths;
  for (int w : grid.ColWidths)
    widths.push_back(PrintedColumnWidth(w, 96, printer.resolution()));
  const TPrintBox box = GridPrintBox(int(printer.pageLayout().paintRect(QPageLayout::Millimeter).width()),
                                     int(printer.pageLayout().paintRect(QPageLayout::Millimeter).height()),
                                     printer.resolution(), printer.resolution());
  const size_t across = PackGridSpans(widths, box.Right - box.Left).size();
  ASSERT_GT(across, 1u);

  const std::string info = pdftools::PdfInfo(path);
  EXPECT_EQ(pdftools::InfoField(info, "Pages"), std::to_string(across));
  EXPECT_EQ(pdftools::InfoField(info, "Title"), "ZESTAW NASTAW 2");
  const std::string first = pdftools::PdfText(path, 1);
  EXPECT_NE(first.find("ZESTAW NASTAW 2"), std::string::npos);
  EXPECT_NE(first.find("str. 1 (cz.1)"), std::string::npos);
  EXPECT_NE(first.find("Prąd zwarcia"), std::string::npos);
  EXPECT_NE(first.find("r45c1"), std::string::npos);
  const std::string last = pdftools::PdfText(path, int(across));
  EXPECT_NE(last.find("str. 1 (cz." + std::to_string(across) + ")"), std::string::npos);
  EXPECT_NE(last.find("r45c18"), std::string::npos);
}

TEST_F(TGridPrnTest, TheSystemPrinterWithoutADefaultPrinterSaysSo)
{
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::NativeFormat);
  printer.setOutputFileName(QString());
  TPrinterPageSink sink(printer);
  sink.DefaultPrinterExists = [] { return false; };
  ASSERT_TRUE(sink.IsSystemPrinter());
  TScriptedPrompts script;
  IPrompts* prev = SetPrompts(&script);
  EXPECT_FALSE(PrintStringGrid(MakeGrid(3, 3, 80, 18), "x", sink));
  SetPrompts(prev);
  EXPECT_EQ(script.Texts(TScriptedPrompts::TKind::Confirm),
            std::vector<std::string>{"Brak domyślnej drukarki"_cp});
  EXPECT_FALSE(sink.Printing());
}
