#pragma once
// A pump for link tests: a fake clock that runs the simulated controller inside the test.
// Time moves only when nothing is left to do at the present instant, so a 500 ms time-out
// costs a few real milliseconds and delayed replies arrive exactly when they are due.

#include <poll.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/Wait.h"
#include "tests/sim/KivSimServer.h"

class TSimPump : public IPump {
public:
    using TClock = std::chrono::steady_clock;

    explicit TSimPump(TKivSimServer& server) : FServer(server) {}
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

    bool Run(TClock::time_point end, int fd, short events)
    {
        // Bytes written to a pseudo-terminal reach the other side a moment later: give the
        // kernel that moment in real time before letting fake time jump ahead.
        const int settleMs = fd >= 0 ? 30 : 1;
        for (int round = 0; round < 100000; ++round) {
            FServer.Service(FNow);
            if (fd >= 0 && Ready(fd, events))
                return true;
            std::vector<pollfd> fds = FServer.PollFds();
            if (fd >= 0)
                fds.push_back({fd, events, 0});
            if (::poll(fds.data(), fds.size(), settleMs) > 0)
                continue;
            const auto next = FServer.NextDue();
            if (next && *next <= end && *next > FNow) {
                FNow = *next;
                continue;
            }
            if (FNow < end)
                FNow = end;
            FServer.Service(FNow);
            return fd >= 0 && Ready(fd, events);
        }
        return false;
    }

    TKivSimServer& FServer;
    TClock::time_point FStart = TClock::time_point{} + std::chrono::hours(1);
    TClock::time_point FNow = FStart;
    bool FInstalled = false;
};
