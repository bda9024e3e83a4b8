#include "platform/qt/QtPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <poll.h>
#include <thread>

namespace {

bool Ready(int fd, bool forWrite)
{
  pollfd p{fd, short(forWrite ? POLLOUT : POLLIN), 0};
  const int rc = poll(&p, 1, 0);
  return rc != 0;  // ready, hung up, in error, or a bad descriptor: the caller's I/O tells
}

int MsUntil(IPump::TClock::time_point deadline)
{
  const auto now = IPump::TClock::now();
  if (deadline <= now)
    return 0;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
  return ms > 24 * 3600 * 1000 ? 24 * 3600 * 1000 : int(ms);
}

// A plain poll until the deadline, for when no event loop runs.
bool PollUntil(int fd, bool forWrite, IPump::TClock::time_point deadline)
{
  pollfd p{fd, short(forWrite ? POLLOUT : POLLIN), 0};
  int left = MsUntil(deadline);
  while (left > 0) {
    if (poll(&p, 1, left) != 0)
      return true;
    left = MsUntil(deadline);
  }
  return Ready(fd, forWrite);
}

}  // namespace

void TQtPump::PumpFor(std::chrono::milliseconds duration)
{
  if (!QCoreApplication::instance()) {
    // No event loop to run (a tool without a window): plain sleep.
    if (duration.count() > 0)
      std::this_thread::sleep_for(duration);
    return;
  }
  if (duration.count() <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  const auto end = TClock::now() + duration;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(int(duration.count()));
  loop.exec(QEventLoop::AllEvents);
  // The loop ends before its timer only when the application is quitting, and from then on
  // nested loops do not run at all: the pause still takes its time, or the protocol's
  // silences would vanish and its waits become a busy loop.
  if (TClock::now() < end)
    std::this_thread::sleep_until(end);
}

bool TQtPump::WaitFd(int fd, bool forWrite, TClock::time_point deadline)
{
  if (Ready(fd, forWrite))
    return true;
  if (!QCoreApplication::instance())
    return PollUntil(fd, forWrite, deadline);
  const int left = MsUntil(deadline);
  if (left == 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return Ready(fd, forWrite);
  }
  QEventLoop loop;
  QSocketNotifier notifier(qintptr(fd), forWrite ? QSocketNotifier::Write : QSocketNotifier::Read);
  bool ready = false;
  QObject::connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
    ready = true;
    notifier.setEnabled(false);
    loop.quit();
  });
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(left);
  loop.exec(QEventLoop::AllEvents);
  if (ready || Ready(fd, forWrite))
    return true;
  // Ended early (the application is quitting): wait out the rest without the event loop.
  return PollUntil(fd, forWrite, deadline);
}

bool TQtPump::WaitReadable(int fd, TClock::time_point deadline) { return WaitFd(fd, false, deadline); }

bool TQtPump::WaitWritable(int fd, TClock::time_point deadline) { return WaitFd(fd, true, deadline); }

TQtPumpInstaller::TQtPumpInstaller() : FPrevious(SetPump(&FPump)) {}

TQtPumpInstaller::~TQtPumpInstaller() { SetPump(FPrevious); }
