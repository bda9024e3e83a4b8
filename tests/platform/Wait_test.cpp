#include "platform/Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

struct TPipe {
  int R = -1, W = -1;
  TPipe()
  {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    R = fds[0];
    W = fds[1];
  }
  ~TPipe()
  {
    if (R >= 0)
      close(R);
    if (W >= 0)
      close(W);
  }
  void Put() const { EXPECT_EQ(write(W, "x", 1), 1); }
};

// Installs a pump for the duration of a test.
struct TInstalled {
  IPump* Previous;
  explicit TInstalled(IPump& p) : Previous(SetPump(&p)) {}
  ~TInstalled() { SetPump(Previous); }
};

}  // namespace

TEST(Wait, FakeClockMakesSilencesFree)
{
  TFakeClockPump fake;
  TInstalled guard(fake);
  const uint32_t t0 = GetTickCount();
  WaitMs(300);
  WaitMs(300);
  EXPECT_EQ(GetTickCount() - t0, 600u);
  EXPECT_EQ(fake.Elapsed(), 600ms);
  EXPECT_EQ(fake.PumpCount(), 2);
  // A silence of a whole day passes on the fake clock alone; slept for real, it would hold
  // the test far beyond its time limit.
  WaitMs(24 * 3600 * 1000);
  EXPECT_EQ(fake.Elapsed(), 600ms + 24h);
  EXPECT_EQ(fake.PumpCount(), 3);
}

TEST(Wait, ZeroStillPumpsOnce)
{
  struct Case {
    int Ms;
    std::chrono::milliseconds Advance;
  };
  const Case cases[] = {{0, 0ms}, {-5, 0ms}, {1, 1ms}, {10, 10ms}};
  for (const auto& c : cases) {
    TFakeClockPump fake;
    TInstalled guard(fake);
    int seen = 0;
    fake.OnPump = [&](TFakeClockPump&) { ++seen; };
    WaitMs(c.Ms);
    EXPECT_EQ(fake.PumpCount(), 1) << c.Ms;
    EXPECT_EQ(seen, 1) << c.Ms;
    EXPECT_EQ(fake.Elapsed(), c.Advance) << c.Ms;
  }
}

TEST(Wait, FakeClockDescriptorWaits)
{
  TPipe p;
  TFakeClockPump fake;
  TInstalled guard(fake);
  // Nothing to read: the clock jumps to the deadline and the wait reports a timeout.
  EXPECT_FALSE(Pump().WaitReadable(p.R, DeadlineIn(300ms)));
  EXPECT_EQ(fake.Elapsed(), 300ms);
  // Data already there: at once, the clock stays.
  p.Put();
  EXPECT_TRUE(Pump().WaitReadable(p.R, DeadlineIn(300ms)));
  EXPECT_EQ(fake.Elapsed(), 300ms);
  // A peer that answers while the wait runs (here: when the wait pumps).
  char c;
  ASSERT_EQ(read(p.R, &c, 1), 1);
  bool answered = false;
  fake.OnPump = [&](TFakeClockPump& f) {
    if (!answered && f.Elapsed() >= 300ms) {
      answered = true;
      p.Put();
    }
  };
  EXPECT_TRUE(Pump().WaitReadable(p.R, DeadlineIn(100ms)));
  EXPECT_TRUE(Pump().WaitWritable(p.W, DeadlineIn(100ms)));
  // A deadline already past still looks once.
  ASSERT_EQ(read(p.R, &c, 1), 1);
  fake.OnPump = nullptr;
  EXPECT_FALSE(Pump().WaitReadable(p.R, fake.NowSteady() - 1ms));
}

TEST(Wait, DefaultPumpSleepsAndPolls)
{
  ASSERT_EQ(&Pump(), &Pump());
  TPipe p;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Pump().WaitReadable(p.R, Pump().NowSteady() + 30ms));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 30ms);
  p.Put();
  EXPECT_TRUE(Pump().WaitReadable(p.R, Pump().NowSteady() + 5s));
  EXPECT_TRUE(Pump().WaitWritable(p.W, Pump().NowSteady() + 5s));
  const auto before = std::chrono::steady_clock::now();
  WaitMs(20);
  EXPECT_GE(std::chrono::steady_clock::now() - before, 20ms);
  // A closed writer counts as readable, so the reader sees the end.
  close(p.W);
  p.W = -1;
  char c;
  ASSERT_EQ(read(p.R, &c, 1), 1);
  EXPECT_TRUE(Pump().WaitReadable(p.R, Pump().NowSteady() + 5s));
  EXPECT_EQ(read(p.R, &c, 1), 0);
}

TEST(Wait, SetPumpReturnsThePrevious)
{
  TFakeClockPump a, b;
  EXPECT_EQ(SetPump(&a), nullptr);
  EXPECT_EQ(&Pump(), &a);
  EXPECT_EQ(SetPump(&b), &a);
  EXPECT_EQ(SetPump(nullptr), &b);
  EXPECT_NE(&Pump(), &a);
}
