#pragma once
// A state set for the span of one scope: what marks a document window or a controller object
// busy while it reads, writes or prints. However the scope ends, normally or by an exception,
// the state goes back to what it was before (a scope inside another leaves the outer one's
// state), and then `ended`, when given, is called (a window updates its controls there).

#include <functional>
#include <utility>

template <typename T>
class TStateScope {
public:
  TStateScope(T& state, T value, std::function<void()> ended = {})
      : FState(state), FPrevious(state), FEnded(std::move(ended))
  {
    FState = value;
  }
  ~TStateScope() { End(); }
  TStateScope(const TStateScope&) = delete;
  TStateScope& operator=(const TStateScope&) = delete;

  // Ends early: what follows sees the state as it was before. The state is put back again
  // when the scope ends; `ended` is called once.
  void End()
  {
    FState = FPrevious;
    if (FEnded)
      std::exchange(FEnded, nullptr)();
  }

private:
  T& FState;
  T FPrevious;
  std::function<void()> FEnded;
};
