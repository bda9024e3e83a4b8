#pragma once
// Whether the bytes between the simulator and a program in the same process are across.
//
// Bytes written to one side of a pseudo-terminal reach the other a little later (a kernel
// worker moves them), and TCP on the loopback may hand its segments to a kernel thread too:
// "written" is not yet "readable". A test on a fake clock therefore lets its time jump only
// once everything is across; otherwise a reply could be taken as missing, or land after the
// program has moved on, depending on how busy the machine is.
//
// Towards the program, the simulator counts the bytes it wrote and each is checked against
// the program's side: on the pseudo-terminal, what its input queue holds beyond what it held
// at Mark (the program does not read while the test pumps); on TCP, what the program's end
// has received. Connections the simulator closed must show their end of stream there.
// Towards the simulator, a TCP connection's bytes sent by the program must have been received
// by the simulator's end; on the pseudo-terminal the simulator's own read with nothing queued
// first finishes the kernel's pending move, so a request is whole when it is read.

#include <netinet/in.h>

#include <cstddef>
#include <string>
#include <vector>

class TKivSimServer;

// Bytes waiting to be read on fd (0 when it cannot tell). It polls first, which makes the
// kernel finish a pseudo-terminal's pending move; `revents` receives what the poll saw.
int QueuedBytes(int fd, short* revents = nullptr);

class TSimHandOver {
public:
  explicit TSimHandOver(TKivSimServer& server) : FServer(server) {}

  // A descriptor the program waits on: its end of a TCP connection or its serial port.
  void NoteProgramFd(int fd);
  // Takes the program's side of the pseudo-terminal as it is now as the starting point.
  void Mark();
  // Empty once everything is across; otherwise what is still under way, for a message.
  std::string UnderWay();

private:
  int ProgramEnd(const sockaddr_in& address);

  TKivSimServer& FServer;
  std::vector<int> FProgramFds;
  unsigned long long FPtyWrittenAtMark = 0;
  int FPtyQueuedAtMark = 0;
  size_t FClosedSeen = 0;
};
