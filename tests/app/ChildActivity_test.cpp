#include "app/logic/ChildActivity.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using S = TChildActivity;

TEST(ChildBusy, TheControllersTransferComesFirstThenTheWindowsOwn)
{
  struct Case {
    S Own;
    bool KivReading, KivWriting;
    S Activity;
  };
  const Case cases[] = {
      {S::Idle, false, false, S::Idle},       {S::Printing, false, false, S::Printing},
      {S::Reading, false, false, S::Reading}, {S::Idle, true, false, S::Reading},
      {S::Idle, false, true, S::Writing},     {S::Printing, false, true, S::Writing},
      {S::Writing, true, false, S::Reading},
  };
  for (const Case& c : cases) {
    TChildBusy busy;
    const TChildBusy::TScope scope = busy.Begin(c.Own, {});
    EXPECT_EQ(busy.Activity(c.KivReading, c.KivWriting), c.Activity) << int(c.Own);
    EXPECT_EQ(busy.IsBusy(c.KivReading, c.KivWriting), c.Activity != S::Idle);
  }
}

TEST(ChildBusy, ACommandEndsIdleAndTellsTheWindowEvenWhenItThrows)
{
  TChildBusy busy;
  std::vector<S> seen;
  auto update = [&] { seen.push_back(busy.Own()); };
  EXPECT_THROW(
      {
        const TChildBusy::TScope writing = busy.Begin(S::Writing, update);
        EXPECT_EQ(busy.Own(), S::Writing);
        throw std::runtime_error("no reply");
      },
      std::runtime_error);
  EXPECT_EQ(busy.Own(), S::Idle);
  {
    const TChildBusy::TScope printing = busy.Begin(S::Printing, update);
  }
  EXPECT_EQ(seen, (std::vector<S>{S::Idle, S::Idle}));
}

TEST(ChildBusy, CloseCancelsAReadAndWaitsForAWriteOrAPrint)
{
  struct Case {
    S Own;
    bool KivReading, KivWriting, Modified;
    TCloseAction Action;
  };
  const Case cases[] = {
      {S::Idle, false, false, false, TCloseAction::Close},
      {S::Idle, false, false, true, TCloseAction::AskToSave},
      // The window's read between the controller's steps is still a read.
      {S::Reading, false, false, true, TCloseAction::CancelRead},
      {S::Idle, true, false, false, TCloseAction::CancelRead},
      {S::Idle, false, true, true, TCloseAction::Refuse},
      {S::Printing, false, false, true, TCloseAction::Refuse},
      {S::Writing, false, false, false, TCloseAction::Refuse},
  };
  for (const Case& c : cases) {
    TChildBusy busy;
    const TChildBusy::TScope scope = busy.Begin(c.Own, {});
    EXPECT_EQ(busy.CloseAction(c.KivReading, c.KivWriting, c.Modified), c.Action) << int(c.Own);
  }
}

}  // namespace
