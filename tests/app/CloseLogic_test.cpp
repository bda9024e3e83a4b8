#include "app/logic/CloseLogic.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"

namespace {

TEST(CloseLogic, Decisions)
{
  struct Case {
    bool Reading, Writing, Modified;
    TCloseAction Action;
  };
  const Case cases[] = {
      {true, false, false, TCloseAction::CancelRead}, {true, false, true, TCloseAction::CancelRead},
      {false, true, false, TCloseAction::Refuse},     {false, true, true, TCloseAction::Refuse},
      {false, false, true, TCloseAction::AskToSave},  {false, false, false, TCloseAction::Close},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CloseQueryAction(c.Reading, c.Writing, c.Modified), c.Action);
  EXPECT_EQ(CloseQueryText("/x/a.kiv"), "Plik /x/a.kiv został zmodyfikowany\nZachować zmiany ?"_cp);
}

}  // namespace
