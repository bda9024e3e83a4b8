#pragma once
// The one link of the program, shared by every document: the serial port, the Modbus TCP
// client, the connection settings, and the busy guard that lets one read or set write at a
// time use them. The protocol of the controller object reaches the device only through
// `Transport()`, one attempt at a time, and never asks which transport the settings chose;
// how a transaction is tried (how often, how long, with which pauses) is its `Policy()`.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "app/link/MbTcp.h"
#include "app/link/RsdUnit.h"

// Connection settings as kiv.ini keeps them.
struct TCommSettings {
  bool MBTCPComm = false;             // Modbus TCP instead of the serial port
  std::string MBTCPIP = "127.0.0.1";  // numeric IPv4 address
  uint16_t MBTCPPort = 502;
  int Time_Out = 500;     // ms; the serial read time-out, TCP waits longer (policy)
  int TimeSilence = 300;  // ms, every pause of a transaction (policy)

  bool operator==(const TCommSettings&) const = default;
};

// How one transaction is tried, over either transport. The pauses are the connection's
// TimeSilence; the rest is fixed. (The serial port's own pause after a write it finished is
// its SilenceTime, a property of the port.)
struct TTransactionPolicy {
  // Attempts of one request before the transaction ends with the no-reply line: four
  // retries, each announced in the memo.
  int Attempts = 5;
  // A TCP attempt waits this many time-outs for its reply (a round trip over the network
  // and the gateway's own serial exchange behind it).
  int TcpWaitFactor = 2;
  // After a failed serial attempt the line must have been quiet for one read time-out; the
  // wait gives up, ending the transaction, once it has lasted this many time-outs.
  int QuietLimitInTimeouts = 5;
  // Serial, ms: before each request is written, so the controller sees the frame start.
  int SilenceBeforeRequest = 300;
  // Serial, ms: after the request went out, before its reply is read.
  int SilenceBeforeReply = 300;
  // Ms after each chunk of a set write, the last one too, before the next request.
  int SilenceAfterWriteChunk = 300;
  // Ms after each page of the event register, before the next page is asked for.
  int SilenceAfterEventPage = 300;

  // How long a TCP attempt waits for its reply, ms: the factor times the time-out, which
  // comes from kiv.ini and may hold anything (never below 0, never past what an int holds).
  int TcpWaitMs(int timeOut) const;

  // The policy of a connection: its TimeSilence for every pause.
  static TTransactionPolicy Of(const TCommSettings& settings);

  bool operator==(const TTransactionPolicy&) const = default;
};

// One attempt of a transaction, whatever carries it. Implementations: the serial line
// (`TRtuTransport`), Modbus TCP (`TTcpTransport`), and the tests' fakes.
class ITransport {
public:
  virtual ~ITransport() = default;

  // The RTU request frame (address, PDU, check) out, the reply back as an RTU frame in
  // `reply` (`replyLength` bytes, whatever the wire carried). On failure `error` holds the
  // link's text (often empty). Frames under four bytes are refused unsent.
  bool Attempt(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
               std::string& error)
  {
    replyLength = 0;
    error.clear();
    if (request.size() < 4 || reply.size() < 4)
      return false;
    return Send(request, reply, replyLength, error);
  }
  // After every failed attempt, the last one of a transaction too: true when no late reply
  // to it can be taken for the next request's (the retry's, or the first one of whatever
  // the user starts next). False ends the transaction.
  [[nodiscard]] virtual bool Settle() = 0;

protected:
  // One attempt on frames of at least four bytes, with `replyLength` 0 and `error` empty.
  virtual bool Send(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
                    std::string& error) = 0;
};

// Modbus RTU over the serial port.
class TRtuTransport final : public ITransport {
public:
  TRtuTransport(TRsdHan& rsd, const TTransactionPolicy& policy) : FRsd(rsd), FPolicy(policy) {}
  // A reply that comes after its attempt gave up would otherwise be taken for the next
  // request's (RTU frames carry nothing that tells requests apart): waits until the line
  // has been quiet for the read time-out, dropping what arrives. False when it is still
  // busy after the policy's limit.
  bool Settle() override;

protected:
  bool Send(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
            std::string& error) override;

private:
  TRsdHan& FRsd;
  const TTransactionPolicy& FPolicy;
};

// Modbus TCP: the PDU alone travels, the address as the unit id; the reply is rebuilt as an
// RTU frame with the request's address and a check.
class TTcpTransport final : public ITransport {
public:
  TTcpTransport(TMbTcpClient& client, const TCommSettings& settings, const TTransactionPolicy& policy)
      : FClient(client), FSettings(settings), FPolicy(policy)
  {}
  // Nothing to wait for: the transaction id keeps the replies apart.
  bool Settle() override { return true; }

protected:
  bool Send(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
            std::string& error) override;

private:
  TMbTcpClient& FClient;
  const TCommSettings& FSettings;
  const TTransactionPolicy& FPolicy;
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
  // The transport the settings choose (serial or TCP), or the one put in its place.
  ITransport& Transport();
  // Puts `transport` in place of the settings' choice (a test's fake); nullptr gives the
  // choice back to the settings. The link does not own it.
  void SetTransport(ITransport* transport) { FTransport = transport; }
  // How a transaction is tried on the present settings.
  const TTransactionPolicy& Policy() const { return FPolicy; }

private:
  TRsdHan FRsd;
  TMbTcpClient FTcp;
  TCommSettings FSettings;
  TTransactionPolicy FPolicy = TTransactionPolicy::Of(FSettings);
  TRtuTransport FRtuTransport{FRsd, FPolicy};
  TTcpTransport FTcpTransport{FTcp, FSettings, FPolicy};
  ITransport* FTransport = nullptr;
  TLinkActivity FActivity = TLinkActivity::Idle;
  const void* FHolder = nullptr;
  int FDepth = 0;
};

// Holds the link for one scope.
class TLinkLock {
public:
  TLinkLock(TKivLink* link, const void* holder, TLinkActivity activity)
      : FLink(link), FHolder(holder), FHeld(link && link->Acquire(holder, activity))
  {}
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
