#include "app/logic/ReadOptionsLogic.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadOptionsLogic, ForcedOutsideServiceMode)
{
  struct Case {
    TReadOptions Stored;
    bool Service;
    TReadOptions Shown;
    bool Visible, Forced;
  };
  const Case cases[] = {
      {{5, 1, 0, 1, 0, 1}, false, {5, 1, 0, 1, 1, 0}, false, true},
      {{5, 1, 0, 1, 1, 0}, false, {5, 1, 0, 1, 1, 0}, false, false},
      {{5, 1, 0, 1, 0, 1}, true, {5, 1, 0, 1, 0, 1}, true, false},
      {{247, 0, 1, 0, 0, 0}, false, {247, 0, 1, 0, 1, 0}, false, true},
  };
  for (const auto& c : cases) {
    const TShownReadOptions s = ShowReadOptions(c.Stored, c.Service);
    EXPECT_EQ(s.Options, c.Shown);
    EXPECT_EQ(s.ServiceBoxesVisible, c.Visible);
    EXPECT_EQ(s.Forced, c.Forced);
  }
}

}  // namespace
