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

private:
    struct TOutput {
        TClock::time_point Due;
        int Fd;
        std::vector<uint8_t> Bytes;
    };
    struct TClient {
        TFdHandle Fd;
        std::vector<uint8_t> In;
    };

    void ServiceRtu(TClock::time_point now);
    void ServiceTcp(TClock::time_point now);
    void Queue(int fd, TClock::time_point now, TSimAnswer answer);
    void Log(const char* what, const std::vector<uint8_t>& bytes);

    TKivSimDevice& FDevice;
    TFdHandle FMaster;
    TFdHandle FSlaveHold; // keeps the slave side alive between the client's opens
    std::vector<uint8_t> FRtuIn;
    TClock::time_point FRtuLast{};
    TFdHandle FListen;
    std::vector<std::unique_ptr<TClient>> FClients;
    std::vector<TOutput> FOutputs;
    unsigned FAccepted = 0;
};
