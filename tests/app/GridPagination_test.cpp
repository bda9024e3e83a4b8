#include "app/logic/GridPagination.h"

#include <gtest/gtest.h>

TEST(GridPagination, PrintedSizes)
{
  // 88 screen pixels at 96 dpi are 23.28 mm; at 600 dpi 550 pixels, times 1.2.
  EXPECT_EQ(PrintedColumnWidth(88, 96, 600), 660);
  EXPECT_EQ(PrintedRowHeight(20, 96, 600), 125);
  EXPECT_EQ(PrintedRowHeight(18, 96, 300), 56);
  EXPECT_EQ(PrintedColumnWidth(88, 0, 600), 0);
  EXPECT_EQ(PrintedColumnWidth(88, 96, 0), 0);
  const TPrintBox a4 = GridPrintBox(210, 297, 300, 300);
  EXPECT_EQ(a4.Left, 177);
  EXPECT_EQ(a4.Right, 2303);
  EXPECT_EQ(a4.Top, 236);
  EXPECT_EQ(a4.Bottom, 3272);
}

TEST(GridPagination, GreedyPacking)
{
  struct TCase {
    std::vector<int64_t> Sizes;
    int64_t Room;
    std::vector<TGridSpan> Want;
  } cases[] = {
      {{}, 100, {}},
      {{10, 20}, 0, {}},
      {{0, 0}, 100, {}},
      {{30, 30, 30}, 100, {{0, 2}}},
      {{50, 50, 50}, 100, {{0, 1}, {2, 2}}},
      // Counting by the total (180 / 100 = 2 pages) would drop the last column.
      {{60, 60, 60}, 100, {{0, 0}, {1, 1}, {2, 2}}},
      // A column wider than the page gets a page of its own.
      {{40, 250, 40, 40}, 100, {{0, 0}, {1, 1}, {2, 3}}},
      {{0, 100, 0, 1}, 100, {{0, 2}, {3, 3}}},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(PackGridSpans(c.Sizes, c.Room), c.Want);
}

TEST(GridPagination, PagesAcrossThenDownWithLabels)
{
  const TPrintBox box{10, 110, 20, 120};
  // Two pages across (60 + 60 > 100) and three down (40 + 40 + 40 + 40 + 40 in 100).
  const TGridPrintLayout layout = LayoutGridPages({60, 60}, {40, 40, 40, 40, 40}, box);
  ASSERT_EQ(layout.PagesAcross, 2);
  ASSERT_EQ(layout.PagesDown, 3);
  ASSERT_EQ(layout.Pages.size(), 6u);
  const char* labels[] = {"str. 1 (cz.1)", "str. 1 (cz.2)", "str. 2 (cz.1)",
                          "str. 2 (cz.2)", "str. 3 (cz.1)", "str. 3 (cz.2)"};
  for (size_t k = 0; k < 6; ++k) {
    const TGridPage& p = layout.Pages[k];
    EXPECT_EQ(p.PageRow, int(k / 2) + 1);
    EXPECT_EQ(p.PageCol, int(k % 2) + 1);
    EXPECT_EQ(p.Label, labels[k]);
    EXPECT_EQ(p.Cols, (TGridSpan{int(k % 2), int(k % 2)}));
  }
  EXPECT_EQ(layout.Pages[4].Rows, (TGridSpan{4, 4}));
  const TGridPage& first = layout.Pages[0];
  ASSERT_EQ(first.Cells.size(), 2u);
  EXPECT_EQ(first.Cells[1].Row, 1);
  EXPECT_EQ(first.Cells[1].X0, 10);
  EXPECT_EQ(first.Cells[1].Y0, 60);
  EXPECT_EQ(first.Cells[1].Y1, 100);
  EXPECT_EQ(first.LabelY, 100);
  EXPECT_EQ(layout.Pages[5].LabelY, 60);
}

TEST(GridPagination, NarrowGridHasNoPartInItsLabelAndSkipsEmptyCells)
{
  const TGridPrintLayout layout = LayoutGridPages({30, 0, 30}, {10, 10}, TPrintBox{0, 100, 0, 100});
  ASSERT_EQ(layout.Pages.size(), 1u);
  EXPECT_EQ(layout.Pages[0].Label, "str. 1");
  EXPECT_EQ(layout.Pages[0].Cells.size(), 4u);
  EXPECT_EQ(layout.Pages[0].Cells[1].Col, 2);
  EXPECT_EQ(layout.Pages[0].Cells[1].X0, 30);
  EXPECT_TRUE(LayoutGridPages({}, {10}, TPrintBox{0, 100, 0, 100}).Pages.empty());
  EXPECT_EQ(GridPageLabel(2, 1, 2), "str. 2 (cz.1)");
  EXPECT_EQ(CentredTextLeft(TPrintBox{10, 110, 0, 0}, 4, 5), 50);
}
