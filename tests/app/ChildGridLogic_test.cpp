#include "app/logic/ChildGridLogic.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/Prompts.h"

namespace {

// Two groups: a REAL, a Y/N and an INT item; then one INT item. Registers 0..3 (OFFSET counts from 1).
const char* const DEFS = "[SECTION_1]\nTITLE=Napięcia\n"
                         "X1_NAME=Próg\nX1_DIM=V\nX1_TYPE=REAL\nX1_BASE=0,1\nX1_DEC_PLACES=1\nX1_OFFSET=1\n"
                         "X2_NAME=Blokada\nX2_TYPE=Y/N\nX2_OFFSET=2\n"
                         "X3_NAME=Zwłoka\nX3_DIM=ms\nX3_TYPE=INT\nX3_OFFSET=3\n"
                         "[SECTION_2]\nTITLE=Inne\nX1_NAME=Licznik\nX1_TYPE=INT\nX1_OFFSET=4\n";

class ChildGridLogic : public ::testing::Test {
protected:
  void SetUp() override
  {
    SetPrompts(&Script);
    Kiv.SetKivType(2);
    Kiv.Defs().LoadFromText("/opt/kiv/Kivs3.set", Utf8ToCp1250(DEFS));
    uint8_t* s1 = Kiv.GetZns1Data();
    s1[0] = 0x01;
    s1[1] = 0x2C;  // 300 -> 30,0
    s1[2] = 0x00;
    s1[3] = 0x01;  // T
    s1[4] = 0x00;
    s1[5] = 0x64;  // 100
    s1[6] = 0x00;
    s1[7] = 0x07;
    Kiv.SetZns1Size(8);
    Kiv.SetModified(false);
  }
  void TearDown() override { SetPrompts(nullptr); }

  TScriptedPrompts Script;
  TKiv Kiv;
  TZnsGridCells Grid;
};

TEST_F(ChildGridLogic, GridCellsTitlesValuesAndWidths)
{
  ShowZestawNastaw(Kiv, 0, Grid);
  EXPECT_EQ(Grid.Cell(0, 0), "def: Kivs3.set");
  EXPECT_EQ(Grid.Cell(0, 1), "1. Napięcia"_cp);
  EXPECT_EQ(Grid.Cell(1, 1), "Próg [V]"_cp);
  EXPECT_EQ(Grid.Cell(2, 1), "30");
  EXPECT_EQ(Grid.Cell(3, 1), "");
  EXPECT_EQ(Grid.Cell(4, 1), "Blokada []");
  EXPECT_EQ(Grid.Cell(5, 1), "T");
  EXPECT_EQ(Grid.Cell(7, 1), "Zwłoka [ms]"_cp);
  EXPECT_EQ(Grid.Cell(8, 1), "100");
  EXPECT_EQ(Grid.Cell(0, 2), "2. Inne");
  EXPECT_EQ(Grid.Cell(2, 2), "7");
  EXPECT_EQ(Grid.RowCount(), ZnsGrid::ROWS);
  EXPECT_EQ(Grid.ColCount(), ZnsGrid::COLUMNS);
  EXPECT_EQ(Grid.ColWidth(0), 264);
  EXPECT_EQ(Grid.ColWidth(1), 88);
  EXPECT_EQ(Grid.ColWidth(2), 44);
  EXPECT_EQ(Grid.ColWidth(3), 29);
  // Set 2 was never read: its values are "?".
  ShowZestawNastaw(Kiv, 1, Grid);
  EXPECT_EQ(Grid.Cell(2, 1), "?");
  EXPECT_EQ(Grid.Cell(1, 1), "Próg [V]"_cp);
}

TEST_F(ChildGridLogic, StaleCellsAreEmptied)
{
  // Whatever an earlier, larger document left behind.
  for (int r = 0; r < Grid.RowCount(); ++r)
    for (int c = 0; c < Grid.ColCount(); ++c)
      Grid.SetCell(c, r, "old");
  ShowZestawNastaw(Kiv, 0, Grid);
  EXPECT_EQ(Grid.Cell(9, 1), "");  // behind the last item of row 1
  EXPECT_EQ(Grid.Cell(18, 1), "");
  EXPECT_EQ(Grid.Cell(3, 2), "");  // behind the only item of row 2
  EXPECT_EQ(Grid.Cell(0, 3), "");  // rows past the last group
  EXPECT_EQ(Grid.Cell(5, 45), "");
  EXPECT_EQ(Grid.Cell(5, 0), "");
  // A document of unknown model clears everything.
  TKiv unknown;
  ShowZestawNastaw(Kiv, 0, Grid);
  ShowZestawNastaw(unknown, 0, Grid);
  for (int r = 0; r < Grid.RowCount(); ++r)
    for (int c = 0; c < Grid.ColCount(); ++c)
      ASSERT_EQ(Grid.Cell(c, r), "") << c << "," << r;
}

TEST_F(ChildGridLogic, GridGrowsForLongGroups)
{
  std::string text = "[SECTION_1]\nTITLE=Dużo\n";
  for (int i = 1; i <= 8; ++i)
    text +=
        "X" + std::to_string(i) + "_NAME=R" + std::to_string(i) + "\nX" + std::to_string(i) + "_TYPE=INT\n";
  Kiv.Defs().LoadFromText("long.set", Utf8ToCp1250(text));
  ShowZestawNastaw(Kiv, 0, Grid);
  EXPECT_EQ(Grid.ColCount(), 25);
  EXPECT_EQ(Grid.Cell(22, 1), "R8 []");
  EXPECT_EQ(Grid.ColWidth(23), 44);
  EXPECT_TRUE(ZnsCellEditable(Kiv.Defs(), 23, 1));
  EXPECT_FALSE(ZnsCellEditable(Kiv.Defs(), 26, 1));
}

TEST_F(ChildGridLogic, EditableColumnArithmetic)
{
  struct Case {
    int Col, Row;
    bool Editable;
  };
  const Case cases[] = {
      {2, 1, true},  {5, 1, true},  {8, 1, true},  {11, 1, false},  // fourth item missing
      {1, 1, false}, {3, 1, false}, {0, 1, false}, {4, 1, false},  {2, 2, true},
      {5, 2, false}, {2, 3, false}, {2, 0, false}, {-1, 1, false}, {2, -1, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZnsCellEditable(Kiv.Defs(), c.Col, c.Row), c.Editable) << c.Col << "," << c.Row;
}

TEST_F(ChildGridLogic, CommitStoresAndShowsTheStoredValue)
{
  struct Case {
    int Col, Row;
    std::string Typed;
    TCommitResult Result;
    std::string Shown;
    size_t Byte;
    uint8_t Hi, Lo;
    bool Modified;
  };
  const Case cases[] = {
      {2, 1, "12,5", TCommitResult::Stored, "12,5", 0, 0x00, 0x7D, false},  // shown as typed
      {2, 1, "30", TCommitResult::Stored, "30", 0, 0x01, 0x2C, false},      // same text: not modified
      {2, 1, "30,0", TCommitResult::Stored, "30", 0, 0x01, 0x2C, true},     // text shown differently
      {2, 1, "abc", TCommitResult::Restored, "30", 0, 0x01, 0x2C, false},   // no number: cell restored
      {5, 1, "n", TCommitResult::Stored, "N", 2, 0x00, 0x00, true},
      {8, 1, "250", TCommitResult::Stored, "250", 4, 0x00, 0xFA, false},
      {2, 2, "9", TCommitResult::Stored, "9", 6, 0x00, 0x09, false},
  };
  for (const auto& c : cases) {
    SetUp();
    ShowZestawNastaw(Kiv, 0, Grid);
    Grid.SetCell(c.Col, c.Row, c.Typed);
    EXPECT_EQ(CommitGridCell(Kiv, 0, Grid, c.Col, c.Row), c.Result) << c.Typed;
    EXPECT_EQ(Grid.Cell(c.Col, c.Row), c.Shown) << c.Typed;
    EXPECT_EQ(Kiv.GetZns1Data()[c.Byte], c.Hi) << c.Typed;
    EXPECT_EQ(Kiv.GetZns1Data()[c.Byte + 1], c.Lo) << c.Typed;
    EXPECT_EQ(Kiv.Modified(), c.Modified) << c.Typed;
  }
}

TEST_F(ChildGridLogic, CommitRefusesQuestionRowsAndOtherCells)
{
  // Set 2 was never read: the value stays "?" and nothing is stored.
  ShowZestawNastaw(Kiv, 1, Grid);
  Grid.SetCell(2, 1, "5");
  EXPECT_EQ(CommitGridCell(Kiv, 1, Grid, 2, 1), TCommitResult::Stored);
  EXPECT_EQ(Grid.Cell(2, 1), "?");
  EXPECT_EQ(Kiv.GetZns2Size(), 0);
  EXPECT_EQ(Kiv.GetZns2Data()[1], 0);
  Kiv.SetModified(false);
  // A name column, a column behind the items, a row with no group, an unknown shown set:
  // nothing is stored (the default definition would hit the first register).
  ShowZestawNastaw(Kiv, 0, Grid);
  for (const auto& [col, row, shown] : {std::tuple{1, 1, 0}, {11, 1, 0}, {2, 3, 0}, {2, 1, 2}}) {
    Grid.SetCell(col, row, "77");
    EXPECT_EQ(CommitGridCell(Kiv, shown, Grid, col, row), TCommitResult::NotEditable);
    EXPECT_EQ(Kiv.GetZns1Data()[0], 0x01);
    EXPECT_EQ(Kiv.GetZns1Data()[1], 0x2C);
  }
  EXPECT_FALSE(Kiv.Modified());
}

}  // namespace
