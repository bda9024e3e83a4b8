#pragma once
// Moves the simulated controller's bytes: Modbus RTU on the master side of a pseudo-terminal
// and Modbus TCP on 127.0.0.1. The caller owns the clock: `Service` is handed the time, so the
// same server runs in the kivsim program and inside a test on a fake clock.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <netinet/in.h>
#include <poll.h>

#include "platform/SerialPort.h"
#include "tests/sim/KivSimDevice.h"

class TKivSimServer {
public:
  using TClock = std::chrono::steady_clock;

  explicit TKivSimServer(TKivSimDevice& device) : FDevice(device) {}

  // A new pseudo-terminal whose slave the program under test opens.
  [[nodiscard]] bool OpenPty(std::string& slavePath);
  // Listens on 127.0.0.1:port (0 = an ephemeral port); `actual` receives the port.
  [[nodiscard]] bool ListenTcp(uint16_t port, uint16_t& actual);

  // Does every read, answer and due write that can be done at `now`, without blocking.
  void Service(TClock::time_point now);
  // When something is next due (a delayed reply piece, the end of a partial frame).
  std::optional<TClock::time_point> NextDue() const;
  // The descriptors to poll for input.
  std::vector<pollfd> PollFds() const;

  // Optional trace of every frame in and out.
  std::function<void(const std::string&)> OnLog;
  // TCP connections accepted so far.
  unsigned Accepted() const { return FAccepted; }

  // What went towards the program, for a test that must know it arrived (TSimHandOver).
  // The program's side of the pseudo-terminal (-1 without one) and the bytes written to it.
  int PtyProgramSide() const { return FSlaveHold.Get(); }
  uint64_t PtyWritten() const { return FPtyWritten; }
  struct TConnection {
    int Fd = -1;            // the server's end
    sockaddr_in Program{};  // the address of the program's end
    uint64_t Written = 0;   // bytes written to it
  };
  std::vector<TConnection> Connections() const;
  // The program's ends of the connections the server closed (they see an end of stream).
  const std::vector<sockaddr_in>& ClosedByServer() const { return FClosedByServer; }

private:
  struct TOutput {
    TClock::time_point Due;
    int Fd;
    std::vector<uint8_t> Bytes;
  };
  struct TClient {
    TFdHandle Fd;
    std::vector<uint8_t> In;
    sockaddr_in Program{};
    uint64_t Written = 0;
  };

  void ServiceRtu(TClock::time_point now);
  void ServiceTcp(TClock::time_point now);
  void Queue(int fd, TClock::time_point now, TSimAnswer answer);
  void CountWritten(int fd, size_t bytes);
  void Log(const char* what, const std::vector<uint8_t>& bytes);

  TKivSimDevice& FDevice;
  TFdHandle FMaster;
  TFdHandle FSlaveHold;  // keeps the slave side alive between the client's opens
  std::vector<uint8_t> FRtuIn;
  TClock::time_point FRtuLast{};
  TFdHandle FListen;
  std::vector<std::unique_ptr<TClient>> FClients;
  std::vector<TOutput> FOutputs;
  unsigned FAccepted = 0;
  uint64_t FPtyWritten = 0;
  std::vector<sockaddr_in> FClosedByServer;
};
