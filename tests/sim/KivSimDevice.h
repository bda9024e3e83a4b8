#pragma once
// The simulated controller: its registers, how it answers one request, and which faults it
// plays. Transport-free: the server (KivSimServer.h) moves the bytes and keeps the time.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "tests/sim/KivSimFaults.h"

struct TSimChunk {
  std::chrono::milliseconds Delay{0};  // after the request, or after the previous chunk
  std::vector<uint8_t> Bytes;
};

// What the device does with one request.
struct TSimAnswer {
  std::vector<TSimChunk> Chunks;  // empty: silence
  bool CloseConnection = false;
};

class TKivSimDevice {
public:
  uint8_t Slave = 0x1F;
  std::string Ident = "K2SIM-01";                       // up to 16 bytes, NUL padded
  std::array<uint8_t, 2 * 2 * SimSetRegisters> Sets{};  // set 1 then set 2, as on the wire
  std::vector<uint8_t> Events;                          // the event register, served in 250-byte pages
  std::vector<TSimFault> Faults;                        // each counts the requests it was played on (Played)
  // Sees the index of every request as it arrives (a test acting while the link waits).
  std::function<void(unsigned)> OnRequest;

  // Every request that arrived whole, in order (PDU only: function code first).
  std::vector<std::vector<uint8_t>> Requests;
  unsigned RequestCount() const { return static_cast<unsigned>(Requests.size()); }
  // Requests that some fault was played on.
  unsigned FaultsPlayed() const;

  std::span<uint8_t> Set(int n) { return std::span<uint8_t>(Sets).subspan(n == 2 ? 512 : 0, 512); }

  // The reply PDU to a request PDU, from the registers alone (no faults).
  std::vector<uint8_t> ReplyPdu(std::span<const uint8_t> request);

  // An RTU request frame (address, PDU, check already verified) to the bytes to send.
  TSimAnswer AnswerRtu(std::span<const uint8_t> frame);
  // A TCP request (header fields and PDU) to the bytes to send.
  TSimAnswer AnswerTcp(uint16_t transactionId, uint8_t unit, std::span<const uint8_t> pdu);

private:
  // The fault that hits the request just stored as number `index`, if any.
  TSimFault* FaultFor(unsigned index);
  static std::vector<TSimChunk> Spread(std::vector<uint8_t> bytes, TSimFault* f);
  std::vector<uint8_t> FaultedPdu(std::span<const uint8_t> request, TSimFault* f);
};

// Reads a whole small file (register contents for the simulator); false when it cannot.
bool SimReadFile(const std::string& path, std::vector<uint8_t>& out);
