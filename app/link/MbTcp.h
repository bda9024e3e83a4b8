#pragma once
// Our Modbus TCP client: one request PDU out, its reply PDU back, to a numeric IPv4 address.
// It keeps one connection per address and drops it on any error, time-out or change of
// address. All waiting goes through the platform pump, under one deadline for the call.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPort.h"

// The MBAP header in front of every Modbus TCP PDU.
constexpr size_t MbapHeaderSize = 7;
// A PDU is the function code and at most 252 bytes of data.
constexpr size_t MbapMinPdu = 2;
constexpr size_t MbapMaxPdu = 253;

enum class TMbapStatus {
  NeedMore,  // the bytes so far are the start of a frame
  Frame,     // a whole frame stands at the start of the bytes
  Bad        // the bytes cannot start a frame (protocol id or length out of range)
};

struct TMbapFrame {
  TMbapStatus Status = TMbapStatus::NeedMore;
  uint16_t TransactionId = 0;
  uint8_t Unit = 0;
  size_t PduOffset = MbapHeaderSize;  // where the PDU starts in the bytes
  size_t PduLength = 0;
  size_t FrameLength = 0;  // header and PDU
};

// Looks at the start of received bytes for one reply frame; checks every field it relies on.
TMbapFrame ScanMbapFrame(std::span<const uint8_t> bytes);

enum class TMbapPick { Found, NeedMore, Bad };

// Takes frames off the front of received bytes: frames of other transactions are dropped,
// the one with `transactionId` has its PDU copied into `replyPdu` (Found). Bad when the bytes
// cannot be a frame or the PDU does not fit. `pending` keeps what is not used up.
TMbapPick PickMbapReply(std::vector<uint8_t>& pending, uint16_t transactionId, std::span<uint8_t> replyPdu,
                        size_t& replyLength);

// Writes header and PDU into `out`; returns the frame length, 0 when the PDU is out of range
// or `out` is too small.
size_t BuildMbapFrame(std::span<uint8_t> out, uint16_t transactionId, uint8_t unit,
                      std::span<const uint8_t> pdu);

// Parses dotted IPv4 text only: no name lookup that could block.
[[nodiscard]] bool ParseIPv4(std::string_view text, uint32_t& addressNetworkOrder);

class TMbTcpClient {
public:
  // Sends the request PDU to unit `unit` and waits at most timeoutMs for the reply with the
  // same transaction id (others are skipped). True when a reply PDU of `replyLength` bytes
  // (2..253, function code first) is in `replyPdu`.
  bool SendAndWait(std::string_view ip, uint16_t port, uint8_t unit, std::span<const uint8_t> requestPdu,
                   std::span<uint8_t> replyPdu, int timeoutMs, size_t& replyLength);
  // Drops the connection (for example when the settings change).
  void Close();

  bool Connected() const { return FSocket.Valid(); }
  uint16_t LastTransactionId() const { return FTransactionId; }
  // Why the last call failed, for the debug sink and tests.
  const std::string& LastError() const { return FLastError; }

private:
  bool Fail(std::string why);
  bool EnsureConnected(std::string_view ip, uint16_t port, std::chrono::steady_clock::time_point deadline);

  TFdHandle FSocket;
  std::string FIp;
  uint16_t FPort = 0;
  uint16_t FTransactionId = 0;
  std::string FLastError;
};
