#include "platform/StateScope.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

enum class TState { Idle, Reading, Writing };

TEST(StateScope, PutsBackThePreviousStateHoweverTheScopeEnds)
{
  TState state = TState::Idle;
  std::vector<TState> seenAtEnd;
  auto ended = [&] { seenAtEnd.push_back(state); };
  {
    const TStateScope<TState> outer(state, TState::Reading, ended);
    EXPECT_EQ(state, TState::Reading);
    {
      const TStateScope<TState> inner(state, TState::Writing, ended);
      EXPECT_EQ(state, TState::Writing);
    }
    // The inner scope leaves the outer one's state, not idle.
    EXPECT_EQ(state, TState::Reading);
  }
  EXPECT_EQ(state, TState::Idle);
  // Each callback runs once the state is back.
  EXPECT_EQ(seenAtEnd, (std::vector<TState>{TState::Reading, TState::Idle}));

  seenAtEnd.clear();
  EXPECT_THROW(
      {
        const TStateScope<TState> failing(state, TState::Writing, ended);
        throw std::runtime_error("link lost");
      },
      std::runtime_error);
  EXPECT_EQ(state, TState::Idle);
  EXPECT_EQ(seenAtEnd, std::vector<TState>{TState::Idle});
}

TEST(StateScope, EndingEarlyCallsBackOnce)
{
  TState state = TState::Idle;
  int calls = 0;
  {
    TStateScope<TState> scope(state, TState::Reading, [&] { ++calls; });
    scope.End();
    EXPECT_EQ(state, TState::Idle);
    EXPECT_EQ(calls, 1);
  }
  EXPECT_EQ(calls, 1);
  TState other = TState::Writing;
  {
    const TStateScope<TState> silent(other, TState::Reading);
  }
  EXPECT_EQ(other, TState::Writing);
}

}  // namespace
