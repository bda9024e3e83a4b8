#include "app/logic/PagedlgLogic.h"
// The document window's print plan reads the same flags: both headers go together.
#include "app/logic/PrintPlanLogic.h"

#include <gtest/gtest.h>

TEST(PrintMargins, Texts)
{
  const std::pair<int, const char*> cases[] = {
      {25, "2,50 cm"},   {0, "0,00 cm"},    {-3, "0,00 cm"},     {32, "3,20 cm"},     {99, "9,90 cm"},
      {100, "10,00 cm"}, {101, "10,10 cm"}, {1000, "100,00 cm"}, {1234, "123,40 cm"},
  };
  for (const auto& [tenths, text] : cases)
    EXPECT_EQ(MarginText(tenths), text) << tenths;
}

TEST(PrintMargins, ReadBack)
{
  const std::pair<const char*, std::optional<int>> cases[] = {
      {"2,50 cm", 25},         {"3,25 cm", 32}, {"3,35 cm", 34}, {"10,00 cm", 100},    {"100,00 cm", 1000},
      {"-1,00 cm", 0},         {"+1,5", 15},    {"7", 70},       {"cm", std::nullopt}, {"", std::nullopt},
      {"1,2,3", std::nullopt}, {"2.5 cm", 20},
  };
  for (const auto& [text, want] : cases)
    EXPECT_EQ(ReadMarginText(text), want) << text;
  // Every shown value reads back as itself, so the spin buttons never stick.
  for (int v = 0; v <= 1200; ++v)
    ASSERT_EQ(ReadMarginText(MarginText(v)), v) << v;
}

TEST(PrintFlags, TheBoxesBitsChooseWhatADocumentPrints)
{
  // Bit 0 "Listing", bit 1 "Wykres", bit 2 "Zestaw nastaw 1", bit 3 "Zestaw nastaw 2".
  EXPECT_EQ(PrintFlag::Listing, 1);
  EXPECT_EQ(PrintFlag::Chart, 2);
  EXPECT_EQ(PrintFlag::Zns1, 4);
  EXPECT_EQ(PrintFlag::Zns2, 8);
  using TKind = TPrintStep::TKind;
  const std::pair<uint8_t, std::vector<TKind>> cases[] = {
      {PrintFlag::Listing | PrintFlag::Chart, {TKind::Listing, TKind::Chart}},
      {PrintFlag::Chart | PrintFlag::Zns2, {TKind::Chart, TKind::Grid2}},
      {PrintFlag::Zns1, {TKind::Grid1}},
  };
  for (const auto& [flags, kinds] : cases) {
    std::vector<TKind> got;
    for (const TPrintStep& step : PrintPlan(flags, {0}, "a.kiv"))
      got.push_back(step.Kind);
    EXPECT_EQ(got, kinds) << int(flags);
  }
}
