#pragma once
// The one link of the program, shared by every document: the serial port, the Modbus TCP
// client, the connection settings, and the busy guard that lets one read or set write at a
// time use them. The protocol of the controller object reaches the device only through
// `Exchange`, whichever transport the settings choose.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "app/MbTcp.h"
#include "app/RsdUnit.h"

// Connection settings as kiv.ini keeps them.
struct TCommSettings {
    bool MBTCPComm = false;            // Modbus TCP instead of the serial port
    std::string MBTCPIP = "127.0.0.1"; // numeric IPv4 address
    uint16_t MBTCPPort = 502;
    int Time_Out = 500;                // ms; TCP waits twice as long
    int TimeSilence = 300;             // ms before each request and each reply (serial)

    bool operator==(const TCommSettings&) const = default;
};

// What holds the link.
enum class TLinkActivity { Idle, Reading, Writing };

class TKivLink {
public:
    TKivLink() = default;
    TKivLink(const TKivLink&) = delete;
    TKivLink& operator=(const TKivLink&) = delete;

    TRsdHan& Rsd() { return FRsd; }
    TMbTcpClient& Tcp() { return FTcp; }

    const TCommSettings& Settings() const { return FSettings; }
    // Refused (false) while a read or write holds the link. A changed TCP address, port or
    // transport drops the TCP connection.
    [[nodiscard]] bool SetSettings(const TCommSettings& settings);

    // --- Busy guard ---------------------------------------------------------------------
    bool Busy() const { return FActivity != TLinkActivity::Idle; }
    TLinkActivity Activity() const { return FActivity; }
    const void* Holder() const { return FHolder; }
    // Takes the link for `holder`; false when another holder has it. The holder that has
    // it already may take it again (a read within a read), and releases as often.
    [[nodiscard]] bool Acquire(const void* holder, TLinkActivity activity);
    void Release(const void* holder);
    // After every change of the guard (for tool buttons and menus).
    std::function<void()> OnBusyChanged;

    // --- Transport ------------------------------------------------------------------------
    // One attempt: the RTU request frame (address, PDU, check) out, the reply back as an RTU
    // frame in `reply` (a TCP reply gets the request's address and a check). On failure
    // `error` holds the link's text (often empty).
    bool Exchange(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
                  std::string& error);
    // Before an attempt is retried. A serial reply that comes after its attempt gave up would
    // otherwise be taken for the retry's (RTU frames carry nothing that tells requests
    // apart): wait until the line has been quiet for the read time-out, dropping what
    // arrives. False when it is still busy after five time-outs. TCP needs no wait: its
    // transaction id keeps the replies apart.
    [[nodiscard]] bool SettleBeforeRetry();

private:
    TRsdHan FRsd;
    TMbTcpClient FTcp;
    TCommSettings FSettings;
    TLinkActivity FActivity = TLinkActivity::Idle;
    const void* FHolder = nullptr;
    int FDepth = 0;
};

// Holds the link for one scope.
class TLinkLock {
public:
    TLinkLock(TKivLink* link, const void* holder, TLinkActivity activity)
        : FLink(link), FHolder(holder), FHeld(link && link->Acquire(holder, activity))
    {
    }
    ~TLinkLock() { Release(); }
    // Lets go before the scope ends (before the completion events, say).
    void Release()
    {
        if (FHeld)
            FLink->Release(FHolder);
        FHeld = false;
    }
    TLinkLock(const TLinkLock&) = delete;
    TLinkLock& operator=(const TLinkLock&) = delete;
    bool Held() const { return FHeld; }

private:
    TKivLink* FLink;
    const void* FHolder;
    bool FHeld;
};
