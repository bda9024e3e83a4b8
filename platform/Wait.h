// Waiting: every pause and every wait for a descriptor goes through one replaceable pump.
//
// The program runs on one thread. The GUI installs a pump that keeps its event loop
// running while a wait lasts; tests install a fake clock, so that a protocol's silences
// cost no real time; without either, the default pump sleeps and polls.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

class IPump {
public:
  using TClock = std::chrono::steady_clock;
  virtual ~IPump() = default;
  // Lets time pass (0: handle what is pending once, then return).
  virtual void PumpFor(std::chrono::milliseconds duration) = 0;
  // True as soon as fd is readable (or has hung up or failed, so that the caller's read
  // sees it); false once the deadline has passed.
  virtual bool WaitReadable(int fd, TClock::time_point deadline) = 0;
  virtual bool WaitWritable(int fd, TClock::time_point deadline) = 0;
  virtual TClock::time_point NowSteady() = 0;
};

// Sleeps and polls with real time.
class TDefaultPump : public IPump {
public:
  void PumpFor(std::chrono::milliseconds duration) override;
  bool WaitReadable(int fd, TClock::time_point deadline) override;
  bool WaitWritable(int fd, TClock::time_point deadline) override;
  TClock::time_point NowSteady() override;
};

// A clock that moves only when waited on. PumpFor advances it by the duration; a wait for a
// descriptor returns at once when the descriptor is ready, otherwise (after RealGrace of
// real time, for peers in another thread or process) jumps the clock to the deadline.
// OnPump runs at every pump call, with the fake time already advanced, so a test can make
// a peer answer at a chosen moment.
class TFakeClockPump : public IPump {
public:
  void PumpFor(std::chrono::milliseconds duration) override;
  bool WaitReadable(int fd, TClock::time_point deadline) override;
  bool WaitWritable(int fd, TClock::time_point deadline) override;
  TClock::time_point NowSteady() override { return FNow; }

  void Advance(std::chrono::milliseconds d) { FNow += d; }
  std::chrono::milliseconds Elapsed() const
  {
    return std::chrono::duration_cast<std::chrono::milliseconds>(FNow - TClock::time_point{});
  }
  int PumpCount() const { return FPumpCount; }
  int WaitCount() const { return FWaitCount; }

  std::chrono::milliseconds RealGrace{0};
  std::function<void(TFakeClockPump&)> OnPump;

private:
  bool WaitFd(int fd, short events, TClock::time_point deadline);
  TClock::time_point FNow{};
  int FPumpCount = 0;
  int FWaitCount = 0;
};

// Installs a pump (nullptr: the default pump again). The caller keeps ownership and must
// uninstall it before destroying it. Returns the previous one (nullptr for the default).
IPump* SetPump(IPump* pump);
IPump& Pump();

// Pauses ms milliseconds through the pump; 0 (or less) still pumps once.
void WaitMs(int ms);
// Milliseconds of the pump's clock, wrapping at 2^32 like the system's tick count.
uint32_t GetTickCount();
// Deadline `ms` milliseconds from the pump's now.
IPump::TClock::time_point DeadlineIn(std::chrono::milliseconds ms);
