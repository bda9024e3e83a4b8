// The GUI's pump: while the program waits (a pause, a reply from the controller), the Qt
// event loop keeps running, so windows repaint and the user can still cancel.
#pragma once

#include "platform/Wait.h"

class TQtPump : public IPump {
public:
  // Runs the event loop for the duration (0: handles what is pending once).
  void PumpFor(std::chrono::milliseconds duration) override;
  // Runs the event loop until fd is readable (or writable) or the deadline passes.
  bool WaitReadable(int fd, TClock::time_point deadline) override;
  bool WaitWritable(int fd, TClock::time_point deadline) override;
  TClock::time_point NowSteady() override { return TClock::now(); }

private:
  bool WaitFd(int fd, bool forWrite, TClock::time_point deadline);
};

// Installs a TQtPump for its lifetime (the main window holds one).
class TQtPumpInstaller {
public:
  TQtPumpInstaller();
  ~TQtPumpInstaller();
  TQtPumpInstaller(const TQtPumpInstaller&) = delete;
  TQtPumpInstaller& operator=(const TQtPumpInstaller&) = delete;
  TQtPump& Pump() { return FPump; }

private:
  TQtPump FPump;
  IPump* FPrevious = nullptr;
};
