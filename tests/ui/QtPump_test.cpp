#include "platform/qt/QtPump.h"

#include "QtTestApp.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

class QtPumpTest : public TQtAppTest {
protected:
  void SetUp() override
  {
    TQtAppTest::SetUp();
    ASSERT_EQ(pipe(FFds), 0);
  }
  void TearDown() override
  {
    close(FFds[0]);
    close(FFds[1]);
    TQtAppTest::TearDown();
  }
  int R() const { return FFds[0]; }
  int W() const { return FFds[1]; }
  int FFds[2] = {-1, -1};
};

}  // namespace

TEST_F(QtPumpTest, ZeroHandlesPendingEventsOnce)
{
  TQtPumpInstaller installed;
  int fired = 0;
  QObject scope;  // a timer that never fired ends with the test, before the counter
  QTimer::singleShot(0, &scope, [&] { ++fired; });
  WaitMs(0);
  EXPECT_EQ(fired, 1);
}

TEST_F(QtPumpTest, PumpForRunsTimersAndTakesItsTime)
{
  TQtPumpInstaller installed;
  int fired = 0;
  QObject scope;  // a timer that never fired ends with the test, before the counter
  QTimer::singleShot(10, &scope, [&] { ++fired; });
  const auto start = std::chrono::steady_clock::now();
  WaitMs(60);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
  EXPECT_EQ(fired, 1);
  const uint32_t t0 = GetTickCount();
  WaitMs(20);
  EXPECT_GE(GetTickCount() - t0, 20u);
}

TEST_F(QtPumpTest, WaitReadableReturnsWhenDataArrives)
{
  TQtPumpInstaller installed;
  int ticks = 0;
  QTimer repaint;  // the event loop keeps running during the wait
  QObject::connect(&repaint, &QTimer::timeout, [&] { ++ticks; });
  repaint.start(5);
  QTimer::singleShot(50, &repaint, [&] { ASSERT_EQ(write(W(), "x", 1), 1); });
  const auto start = std::chrono::steady_clock::now();
  const auto deadline = DeadlineIn(60s);  // far beyond the write at 50 ms on any machine
  EXPECT_TRUE(Pump().WaitReadable(R(), deadline));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 40ms);
  EXPECT_LT(Pump().NowSteady(), deadline) << "woken by the deadline, not by the data";
  EXPECT_GT(ticks, 2);
  // Already readable: at once.
  EXPECT_TRUE(Pump().WaitReadable(R(), DeadlineIn(5s)));
  EXPECT_TRUE(Pump().WaitWritable(W(), DeadlineIn(5s)));
}

TEST_F(QtPumpTest, WaitReadableTimesOutAtTheDeadline)
{
  TQtPumpInstaller installed;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Pump().WaitReadable(R(), DeadlineIn(40ms)));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 40ms);
  EXPECT_FALSE(Pump().WaitReadable(R(), Pump().NowSteady() - 1ms));
}

TEST_F(QtPumpTest, InstallerRestoresThePreviousPump)
{
  IPump* before = &Pump();
  {
    TQtPumpInstaller installed;
    EXPECT_EQ(&Pump(), &installed.Pump());
  }
  EXPECT_EQ(&Pump(), before);
}

// Once the application is asked to quit, a nested event loop refuses to run; a wait that
// then lasts no time at all would turn every silence into a busy loop (and every reply wait
// into an instant time-out) while the program winds down.
TEST_F(QtPumpTest, WaitsKeepTheirTimeAfterTheApplicationWasAskedToQuit)
{
  TQtPumpInstaller installed;
  std::chrono::steady_clock::duration paused{}, waited{};
  bool readable = true;
  QObject scope;  // a timer that never fired ends with the test, before the results
  QTimer::singleShot(0, &scope, [&] {
    QCoreApplication::exit(0);
    auto start = std::chrono::steady_clock::now();
    WaitMs(60);
    paused = std::chrono::steady_clock::now() - start;
    start = std::chrono::steady_clock::now();
    readable = Pump().WaitReadable(R(), DeadlineIn(40ms));
    waited = std::chrono::steady_clock::now() - start;
  });
  QCoreApplication::exec();
  EXPECT_GE(paused, 60ms);
  EXPECT_FALSE(readable);
  EXPECT_GE(waited, 40ms);
}
