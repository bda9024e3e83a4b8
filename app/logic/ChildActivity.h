#pragma once
// What the document window is busy with, and the one scope that marks it busy.

#include <functional>

#include "app/logic/CloseLogic.h"
#include "platform/StateScope.h"

// Printing counts as busy: its pages are printed while window messages are processed.
enum class TChildActivity { Idle, Reading, Writing, Printing };

// The window's own activity (a read it started, a set write, a print), set for the span of
// one command. The controller object's own read or write counts as well.
class TChildBusy {
public:
  using TScope = TStateScope<TChildActivity>;
  // Busy with `activity` until the scope ends, however it ends; then idle again and `ended`
  // is called (the window updates its controls).
  [[nodiscard]] TScope Begin(TChildActivity activity, std::function<void()> ended)
  {
    return TScope(FOwn, activity, std::move(ended));
  }
  TChildActivity Own() const { return FOwn; }
  // The activity in force: the controller's read or write first, then the window's own.
  TChildActivity Activity(bool kivReading, bool kivWriting) const;
  bool IsBusy(bool kivReading, bool kivWriting) const
  {
    return Activity(kivReading, kivWriting) != TChildActivity::Idle;
  }
  // What a close request does now: a read, the window's or the controller's, is cancelled; a
  // write or a print is waited for; a modified document asks first.
  TCloseAction CloseAction(bool kivReading, bool kivWriting, bool modified) const;

private:
  TChildActivity FOwn = TChildActivity::Idle;
};
