#include "app/document/Timeutil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Timeutil, SecondsSinceMidnight)
{
  TDateTime noonish = 0;
  ASSERT_TRUE(TryEncodeTime(12, 34, 56, 789, noonish));
  const struct {
    TDateTime value;
    double seconds;
  } cases[] = {
      {0, 0},       {-1.5, 0},         {std::numeric_limits<double>::quiet_NaN(), 0},
      {0.5, 43200}, {45000.25, 21600}, {45000 + noonish, 45296.789},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(TimeOfDaySeconds(c.value), c.seconds, 1e-6) << c.value;
}

}  // namespace
