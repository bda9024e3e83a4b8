#include "charts/Extgraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Extgraph, TimeTypeOrdinals)
{
  EXPECT_EQ(static_cast<int>(TIntervalTimeType::None), 0);
  EXPECT_EQ(static_cast<int>(TIntervalTimeType::mSeconds), 1);
  EXPECT_EQ(static_cast<int>(TIntervalTimeType::Seconds), 2);
  EXPECT_EQ(static_cast<int>(TIntervalTimeType::Minutes), 3);
  EXPECT_EQ(static_cast<int>(TIntervalTimeType::Hours), 4);
}

TEST(Extgraph, MillimetresAndPixels)
{
  EXPECT_EQ(MmToPixels(96, 25.4L), 96.0L);
  EXPECT_EQ(PixelsToMm(300, 300), 25.4L);
  EXPECT_EQ(MmToPixels(600, 0), 0.0L);
  EXPECT_NEAR(static_cast<double>(MmToPixels(300, 10)), 118.11023622047244, 1e-12);
  EXPECT_NEAR(static_cast<double>(PixelsToMm(96, 1)), 0.26458333333333334, 1e-15);
  EXPECT_EQ(PixelsToMm(0, 100), 0.0L);
  for (int ppi : {72, 96, 300, 600})
    EXPECT_NEAR(static_cast<double>(PixelsToMm(ppi, MmToPixels(ppi, 123.45L))), 123.45, 1e-12);
}

TEST(Extgraph, ValueToLength)
{
  EXPECT_EQ(ValueToLength(10, 5, 12.5L), 25.0L);
  EXPECT_EQ(ValueToLength(10, 0.5L, -1), -20.0L);
  EXPECT_EQ(ValueToLength(10, 0, 3), 0.0L);
}

TEST(Extgraph, ScalePercent)
{
  // 960 px at 96 ppi is 254 mm; 10 mm per division of 1 unit: 25.4 units fill it at 100 %.
  EXPECT_NEAR(static_cast<double>(ScalePercent(960, 96, 10, 1, 0, 25.4L)), 100.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(ScalePercent(960, 96, 10, 1, 0, 12.7L)), 200.0, 1e-12);
  struct TCase {
    int W, Ppi;
    long double Div, Per, Lo, Hi;
  };
  const TCase degenerate[] = {
      {960, 96, 10, 1, 5, 5}, {0, 96, 10, 1, 0, 1},   {960, 0, 10, 1, 0, 1},
      {960, 96, 0, 1, 0, 1},  {960, 96, 10, 0, 0, 1},
  };
  for (const auto& c : degenerate)
    EXPECT_EQ(ScalePercent(c.W, c.Ppi, c.Div, c.Per, c.Lo, c.Hi), 100.0L);
}

TEST(Extgraph, IsOnStep)
{
  struct TCase {
    long double Step, V;
    bool Expected;
  };
  const TCase cases[] = {
      {1, 2.005L, true},   {1, 2.5L, false}, {1, 1.995L, true}, {1, 2.011L, false}, {0.2L, 0.6L, true},
      {0.2L, 0.7L, false}, {5, -10, true},   {1, 0, true},      {0, 3, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsOnStep(c.Step, c.V), c.Expected)
        << static_cast<double>(c.Step) << " " << static_cast<double>(c.V);
}

TEST(Extgraph, RoundToStep)
{
  struct TCase {
    long double Step, V, Expected;
  };
  const TCase cases[] = {
      {1, 4.2L, 5}, {1, 3.7L, 4}, {1, 4, 4},      {1, 2.5L, 3},  // 2.5 rounds to 2, below V: 3
      {1, 3.5L, 4}, {10, 12, 20}, {10, -12, -10}, {0.5L, 0.75L, 1}, {0, 7.25L, 7.25L},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RoundToStep(c.Step, c.V), c.Expected)
        << static_cast<double>(c.Step) << " " << static_cast<double>(c.V);
}

TEST(Extgraph, NextMinorTick)
{
  EXPECT_EQ(NextMinorTick(4, 10, 0), 2.0L);
  EXPECT_EQ(NextMinorTick(0, 10, 5), 15.0L);
  EXPECT_EQ(NextMinorTick(-1, 10, 5), 5.0L);
}

TEST(Extgraph, RoundExtendedTiesToEven)
{
  struct TCase {
    long double X, Expected;
  };
  const TCase cases[] = {
      {2.5L, 2}, {3.5L, 4},          {-2.5L, -2},        {-3.5L, -4}, {0.5L, 0},
      {1.5L, 2}, {2.4999999999L, 2}, {2.5000000001L, 3}, {-0.4L, 0},  {1e30L, 1e30L},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RoundExtended(c.X), c.Expected) << static_cast<double>(c.X);
}

TEST(Extgraph, ValueToText)
{
  struct TCase {
    double X;
    const char* Expected;
  };
  const TCase cases[] = {
      {12345.6, "12346"},
      {2.5, "2"},
      {3.5, "4"},
      {-0.4, "0"},
      {-7.6, "-8"},
      {0, "0"},
      {-9007199254740993.0, "-9007199254740992"},
  };
  for (const auto& c : cases) {
    std::string s = "old";
    ValueToText(3, s, c.X);
    EXPECT_EQ(s, c.Expected) << c.X;
  }
  std::string s;
  ValueToText(0, s, 1e20);
  EXPECT_FALSE(s.empty());
  ValueToText(0, s, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(s.empty());
}

}  // namespace
