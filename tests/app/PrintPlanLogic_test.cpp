#include "app/logic/PrintPlanLogic.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/logic/PagedlgLogic.h"

namespace {

TEST(PrintPlanLogic, PlanOrderAndTitles)
{
  using K = TPrintStep::TKind;
  const auto plan = PrintPlan(0x0F, {0, 2}, "/home/u/Stacja.kiv");
  ASSERT_EQ(plan.size(), 6u);
  const std::tuple<K, int, const char*> expected[] = {{K::Listing, 1, "Stacja.kiv-Sekwencja 1-Listing"},
                                                      {K::Chart, 1, "Stacja.kiv-Sekwencja 1-Przebiegi"},
                                                      {K::Listing, 3, "Stacja.kiv-Sekwencja 3-Listing"},
                                                      {K::Chart, 3, "Stacja.kiv-Sekwencja 3-Przebiegi"},
                                                      {K::Grid1, 0, "ZESTAW NASTAW 1"},
                                                      {K::Grid2, 0, "ZESTAW NASTAW 2"}};
  for (size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(plan[i].Kind, std::get<0>(expected[i]));
    EXPECT_EQ(plan[i].Sequence, std::get<1>(expected[i]));
    EXPECT_EQ(plan[i].Title, std::get<2>(expected[i]));
  }
  EXPECT_EQ(PrintPlan(3, {}, "a.kiv").size(), 0u);
  const auto grids = PrintPlan(PrintFlag::Zns2 | PrintFlag::Chart, {1}, "a.kiv");
  ASSERT_EQ(grids.size(), 2u);
  EXPECT_EQ(grids[0].Kind, K::Chart);
  EXPECT_EQ(grids[1].Kind, K::Grid2);
}

}  // namespace
