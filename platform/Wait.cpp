#include "platform/Wait.h"

#include <cerrno>
#include <poll.h>
#include <thread>

namespace {

IPump* GInstalled = nullptr;

TDefaultPump& DefaultPump()
{
  static TDefaultPump pump;
  return pump;
}

// Polls fd for `events` until the real deadline; EINTR restarts with the time left.
bool PollUntil(int fd, short events, IPump::TClock::time_point deadline)
{
  for (;;) {
    const auto now = IPump::TClock::now();
    long long left = 0;
    if (deadline > now)
      left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
    if (left > 1000000)
      left = 1000000;
    pollfd p{fd, events, 0};
    const int rc = poll(&p, 1, int(left));
    if (rc > 0)
      return true;  // ready, hung up or in error: the caller's read or write tells which
    if (rc < 0 && errno != EINTR)
      return true;  // a bad descriptor: let the caller's read report it
    if (rc == 0 && IPump::TClock::now() >= deadline)
      return false;
  }
}

}  // namespace

void TDefaultPump::PumpFor(std::chrono::milliseconds duration)
{
  if (duration.count() > 0)
    std::this_thread::sleep_for(duration);
  else
    std::this_thread::yield();
}

bool TDefaultPump::WaitReadable(int fd, TClock::time_point deadline)
{
  return PollUntil(fd, POLLIN, deadline);
}

bool TDefaultPump::WaitWritable(int fd, TClock::time_point deadline)
{
  return PollUntil(fd, POLLOUT, deadline);
}

IPump::TClock::time_point TDefaultPump::NowSteady() { return TClock::now(); }

void TFakeClockPump::PumpFor(std::chrono::milliseconds duration)
{
  ++FPumpCount;
  if (duration.count() > 0)
    FNow += duration;
  if (OnPump)
    OnPump(*this);
}

bool TFakeClockPump::WaitFd(int fd, short events, TClock::time_point deadline)
{
  ++FWaitCount;
  if (OnPump)
    OnPump(*this);
  pollfd p{fd, events, 0};
  int rc = poll(&p, 1, 0);
  if (rc == 0 && RealGrace.count() > 0 && FNow < deadline) {
    p.revents = 0;
    rc = poll(&p, 1, int(RealGrace.count()));
  }
  if (rc != 0)
    return true;
  if (FNow < deadline)
    FNow = deadline;
  return false;
}

bool TFakeClockPump::WaitReadable(int fd, TClock::time_point deadline)
{
  return WaitFd(fd, POLLIN, deadline);
}

bool TFakeClockPump::WaitWritable(int fd, TClock::time_point deadline)
{
  return WaitFd(fd, POLLOUT, deadline);
}

IPump* SetPump(IPump* pump)
{
  IPump* previous = GInstalled;
  GInstalled = pump;
  return previous;
}

IPump& Pump() { return GInstalled ? *GInstalled : DefaultPump(); }

void WaitMs(int ms) { Pump().PumpFor(std::chrono::milliseconds(ms > 0 ? ms : 0)); }

uint32_t GetTickCount()
{
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(Pump().NowSteady().time_since_epoch()).count();
  return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

IPump::TClock::time_point DeadlineIn(std::chrono::milliseconds ms) { return Pump().NowSteady() + ms; }
