#include "app/logic/SetWriteLogic.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"

namespace {

TEST(SetWriteLogic, CodesAndTargets)
{
  ASSERT_EQ(ZnsCommands().size(), 4u);
  struct Case {
    const char* Code;
    const char* Caption;
    int Source, Target;
  };
  const Case cases[] = {{"ZNS1_1", "Zapis zestawu 1", 1, 1},
                        {"ZNS2_2", "Zapis zestawu 2", 2, 2},
                        {"ZNS1_2", "Zapis zestawu 1 do 2", 1, 2},
                        {"ZNS2_1", "Zapis zestawu 2 do 1", 2, 1}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ZnsCommands()[i].Code, cases[i].Code);
    const TZnsCommand* c = FindZnsCommand(cases[i].Code);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Caption, cases[i].Caption);
    EXPECT_EQ(c->Source, cases[i].Source);
    EXPECT_EQ(c->Target, cases[i].Target);
  }
  EXPECT_EQ(FindZnsCommand("ZNS1_3"), nullptr);
  EXPECT_EQ(FindZnsCommand("zns1_1"), nullptr);
  EXPECT_EQ(ZnsCommandRoot(), "Zapis zestawów nastaw"_cp);
}

}  // namespace
