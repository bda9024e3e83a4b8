// Special files for the tests of opens that must never wait: a FIFO that no one writes to, and
// a guard that ends the test program when a call hangs, so a regression fails the run instead
// of stalling it.
#pragma once

#include <csignal>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Makes a FIFO at path (no process ever opens its writing end) and answers the path.
inline std::string MakeFifo(const std::string& path)
{
  EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0) << path;
  return path;
}

// While it lives, a call that blocks for longer than the given time kills the test program
// (SIGALRM's default action), which the test run reports as a failure.
class THangGuard {
public:
  explicit THangGuard(unsigned seconds = 60)
  {
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(seconds);
  }
  ~THangGuard() { ::alarm(0); }
  THangGuard(const THangGuard&) = delete;
  THangGuard& operator=(const THangGuard&) = delete;
};
