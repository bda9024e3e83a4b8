#pragma once
// A pump for link tests: a fake clock that runs the simulated controller inside the test.
// Time moves only when nothing is left to do at the present instant and everything written
// between the simulator and the program is across (TSimHandOver), so a 500 ms time-out costs
// no real time, delayed replies arrive exactly when they are due, and a loaded machine gives
// the same fake times as an idle one.

#include <gtest/gtest.h>
#include <poll.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "platform/Wait.h"
#include "tests/sim/KivSimHandOver.h"
#include "tests/sim/KivSimServer.h"
#include "tests/support/TempDir.h"

// How long, in real time, bytes under way between a peer in the test and the program may take
// before the test fails: far beyond what a loaded machine needs.
inline constexpr std::chrono::seconds HandOverLimit{20};

// Waits in real time until `underWay` says nothing is (it returns what still is, or "");
// false, with a failure of the test, when that does not happen within HandOverLimit.
inline bool AwaitAcross(const std::function<std::string()>& underWay)
{
  std::string left = underWay();
  if (left.empty())
    return true;
  const auto giveUp = std::chrono::steady_clock::now() + HandOverLimit;
  while (!(left = underWay()).empty()) {
    if (std::chrono::steady_clock::now() >= giveUp) {
      ADD_FAILURE() << "still under way after " << HandOverLimit.count() << " s of real time: " << left;
      return false;
    }
    ::usleep(100);
  }
  return true;
}

// A peer scripted by the test writes `bytes` to the master of a pseudo-terminal and waits
// until the program's side (`slaveSide`, a descriptor of the slave) holds them; the program
// does not read meanwhile, as the test runs inside its wait.
inline bool WriteAcross(int master, int slaveSide, std::span<const uint8_t> bytes)
{
  const int before = QueuedBytes(slaveSide);
  if (::write(master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    ADD_FAILURE() << "writing " << bytes.size() << " bytes to the pseudo-terminal failed";
    return false;
  }
  const int want = before + static_cast<int>(bytes.size());
  return AwaitAcross([&]() -> std::string {
    const int queued = QueuedBytes(slaveSide);
    return queued >= want ? "" : std::to_string(want - queued) + " bytes to the pseudo-terminal's slave";
  });
}

class TSimPump : public IPump {
public:
  using TClock = std::chrono::steady_clock;

  explicit TSimPump(TKivSimServer& server) : FServer(server), FHandOver(server) {}
  ~TSimPump() override
  {
    if (FInstalled)
      SetPump(nullptr);
  }

  void Install()
  {
    SetPump(this);
    FInstalled = true;
  }

  TClock::time_point NowSteady() override { return FNow; }
  void PumpFor(std::chrono::milliseconds ms) override { Run(FNow + ms, -1, 0); }
  bool WaitReadable(int fd, TClock::time_point deadline) override { return Run(deadline, fd, POLLIN); }
  bool WaitWritable(int fd, TClock::time_point deadline) override { return Run(deadline, fd, POLLOUT); }

  // Runs at every pump call (a test's user pressing a button while the link waits).
  std::function<void()> OnPump;

  // Fake milliseconds since the pump was made.
  long long ElapsedMs() const
  {
    return std::chrono::duration_cast<std::chrono::milliseconds>(FNow - FStart).count();
  }

private:
  static bool Ready(int fd, short events)
  {
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (events | POLLHUP | POLLERR)) != 0;
  }

  bool HandOver()
  {
    return AwaitAcross([this] { return FHandOver.UnderWay(); });
  }

  // Serves the simulator at the present fake instant until nothing is left to do, and only
  // then lets the time jump: to the simulator's next due piece or to `end`.
  bool Run(TClock::time_point end, int fd, short events)
  {
    if (OnPump)
      OnPump();
    // The program does not read while this runs: what its side holds now is the start.
    FHandOver.NoteProgramFd(fd);
    FHandOver.Mark();
    for (int round = 0; round < 100000; ++round) {
      FServer.Service(FNow);
      if (!HandOver())
        return false;
      if (fd >= 0 && Ready(fd, events))
        return true;
      std::vector<pollfd> fds = FServer.PollFds();
      if (::poll(fds.data(), fds.size(), 0) > 0)
        continue;
      const auto next = FServer.NextDue();
      if (next && *next <= end && *next > FNow) {
        FNow = *next;
        continue;
      }
      if (FNow < end)
        FNow = end;
      FServer.Service(FNow);
      return HandOver() && fd >= 0 && Ready(fd, events);
    }
    return false;
  }

  TKivSimServer& FServer;
  TSimHandOver FHandOver;
  TClock::time_point FStart = TClock::time_point{} + std::chrono::hours(1);
  TClock::time_point FNow = FStart;
  bool FInstalled = false;
};

// Definition files of both models with the given GLOBAL lines (empty: the defaults).
inline void WriteDefinitions(const TTempDir& dir, const std::string& globalLines)
{
  const std::string text = "[GLOBAL]\n" + globalLines + "\n[SECTION_1]\nTITLE=Rejestry 1-1\nX1_NAME=R1\n";
  dir.Write("Kivs2.set", text);
  dir.Write("Kivs3.set", text);
}

// The two ways to a controller, for tests run over both.
enum class TTransport { Rtu, Tcp };

inline std::string TransportName(const ::testing::TestParamInfo<TTransport>& info)
{
  return info.param == TTransport::Rtu ? "Rtu" : "Tcp";
}

// Puts the link on a (simulated) controller: over TCP to `port` on this machine, or over RTU
// through the pseudo-terminal `pty`; `s` brings the time-outs.
inline ::testing::AssertionResult ConnectLink(TKivLink& link, TTransport transport, TCommSettings s,
                                              const std::string& pty, uint16_t port)
{
  if (transport == TTransport::Tcp) {
    s.MBTCPComm = true;
    s.MBTCPPort = port;
  } else {
    link.Rsd().SetCommPort(pty);
    link.Rsd().SetReadTotalTimeoutConstant(s.Time_Out);
    if (const int rc = link.Rsd().Open(); rc != 0)
      return ::testing::AssertionFailure() << "opening " << pty << " gave " << rc;
  }
  if (!link.SetSettings(s))
    return ::testing::AssertionFailure() << "the link took no settings";
  return ::testing::AssertionSuccess();
}

// Register contents that differ from byte to byte and from set to set.
inline void FillSimulator(TKivSimDevice& device, size_t eventBytes)
{
  for (size_t i = 0; i < 512; ++i) {
    device.Set(1)[i] = static_cast<uint8_t>(i * 7 + 1);
    device.Set(2)[i] = static_cast<uint8_t>(i * 13 + 5);
  }
  device.Events.resize(eventBytes);
  for (size_t i = 0; i < eventBytes; ++i)
    device.Events[i] = static_cast<uint8_t>((i * 31) ^ (i >> 8));
}
