#include "app/logic/PageButtonsLogic.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"

namespace {

TEST(PageButtonsLogic, PerPageModeAndActivity)
{
  struct Case {
    int Page;
    bool Service;
    TChildActivity Activity;
    bool LinkElsewhere;
    bool Panel;
    int Help;
    TPageAction Actions[3];
    bool Enabled[3];
  };
  using A = TPageAction;
  using S = TChildActivity;
  const Case cases[] = {
      {0, false, S::Idle, false, false, 10, {A::None, A::None, A::None}, {false, false, false}},
      {0, true, S::Idle, false, true, 10, {A::HexList, A::SaveBuf, A::None}, {true, true, false}},
      {0, true, S::Writing, false, true, 10, {A::HexList, A::SaveBuf, A::None}, {false, false, false}},
      // The raw register's tools need no link.
      {0, true, S::Idle, true, true, 10, {A::HexList, A::SaveBuf, A::None}, {true, true, false}},
      {1, true, S::Idle, false, false, 134, {A::None, A::None, A::None}, {false, false, false}},
      {2, false, S::Idle, false, true, 6, {A::Read, A::Execute, A::Cancel}, {true, true, false}},
      {2, false, S::Reading, false, true, 6, {A::Read, A::Execute, A::Cancel}, {false, false, true}},
      {2, true, S::Writing, false, true, 6, {A::Read, A::Execute, A::Cancel}, {false, false, false}},
      // Another document reads or writes: this one's read and write wait for the link.
      {2, false, S::Idle, true, true, 6, {A::Read, A::Execute, A::Cancel}, {false, false, false}},
  };
  for (const auto& c : cases) {
    const TPageButtons b = SetupPageButtons(c.Page, c.Service, c.Activity, c.LinkElsewhere);
    EXPECT_EQ(b.PanelVisible, c.Panel) << c.Page;
    EXPECT_EQ(b.HelpContext, c.Help);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(b.Btn[i].Action, c.Actions[i]) << c.Page << " " << i;
      EXPECT_EQ(b.Btn[i].Visible, c.Actions[i] != A::None);
      EXPECT_EQ(b.Btn[i].Enabled, c.Enabled[i]) << c.Page << " " << i;
    }
  }
  const TPageButtons read = SetupPageButtons(2, false, S::Idle, false);
  EXPECT_EQ(read.Btn[0].Caption, "Odczyt");
  EXPECT_EQ(read.Btn[0].Hint, "Odczyt danych z automatu|Odczytaj wybrane pozycje z automatu");
  EXPECT_EQ(read.Btn[2].Caption, "Anuluj");
  EXPECT_EQ(SetupPageButtons(0, true, S::Idle, false).Btn[0].Hint,
            "Wyświetl zawartość bufora zdarzeń (w porządku rosnącym)"_cp);
}

}  // namespace
