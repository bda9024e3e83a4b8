#include "tests/sim/KivSimDevice.h"

#include <cstdio>

#include "app/link/Mbusfun.h"

namespace {
std::vector<uint8_t> Exception(uint8_t function, uint8_t code)
{
  return {static_cast<uint8_t>(function | 0x80), code};
}
uint16_t Be16(std::span<const uint8_t> b, size_t at)
{
  return static_cast<uint16_t>((b[at] << 8) | b[at + 1]);
}
}  // namespace

std::vector<uint8_t> TKivSimDevice::ReplyPdu(std::span<const uint8_t> req)
{
  if (req.empty())
    return Exception(0, 1);
  const uint8_t fc = req[0];
  if (fc == 3) {
    if (req.size() != 5)
      return Exception(fc, 3);
    const uint16_t start = Be16(req, 1);
    const uint16_t count = Be16(req, 3);
    if (count < 1 || count > 125)
      return Exception(fc, 3);
    std::vector<uint8_t> out{3, static_cast<uint8_t>(2 * count)};
    if (start == SimIdentWire && count <= SimIdentCount) {
      for (size_t i = 0; i < 2u * count; ++i)
        out.push_back(i < Ident.size() ? static_cast<uint8_t>(Ident[i]) : 0);
      return out;
    }
    if (start >= SimSetAreaWire && start + count <= SimSetAreaWire + 2 * SimSetRegisters) {
      const size_t at = 2u * (start - SimSetAreaWire);
      out.insert(out.end(), Sets.begin() + static_cast<std::ptrdiff_t>(at),
                 Sets.begin() + static_cast<std::ptrdiff_t>(at + 2u * count));
      return out;
    }
    if (start >= SimEvFirstWire && start < SimEvFirstWire + SimEvPages) {
      // Page k holds register bytes from 250 k on, however many registers are asked.
      const size_t at = 2u * SimEvPageRegisters * (start - SimEvFirstWire);
      if (at >= Events.size())
        return Exception(fc, 2);  // past the data: the end of the register
      for (size_t i = 0; i < 2u * count; ++i)
        out.push_back(at + i < Events.size() ? Events[at + i] : 0);
      return out;
    }
    return Exception(fc, 2);
  }
  if (fc == 16) {
    if (req.size() < 6)
      return Exception(fc, 3);
    const uint16_t start = Be16(req, 1);
    const uint16_t count = Be16(req, 3);
    const size_t bytes = req[5];
    if (count < 1 || count > 123 || bytes != 2u * count || req.size() != 6 + bytes)
      return Exception(fc, 3);
    if (start < SimSetAreaWire || start + count > SimSetAreaWire + 2 * SimSetRegisters)
      return Exception(fc, 2);
    const size_t at = 2u * (start - SimSetAreaWire);
    for (size_t i = 0; i < bytes; ++i)
      Sets[at + i] = req[6 + i];
    return {16, req[1], req[2], req[3], req[4]};
  }
  return Exception(fc, 1);
}

TSimFault* TKivSimDevice::FaultFor(unsigned index)
{
  // Every fault sees every request, so that each counts the requests of its own target.
  const TSimAsk ask = SimAskOf(Requests[index]);
  TSimFault* hit = nullptr;
  for (auto& f : Faults)
    if (f.Hits(index, ask) && !hit)
      hit = &f;
  return hit;
}

unsigned TKivSimDevice::FaultsPlayed() const
{
  unsigned n = 0;
  for (const auto& f : Faults)
    n += f.Played;
  return n;
}

namespace {
// Counts a fault as played; true so that it reads as the condition it sits in.
bool Play(TSimFault* f)
{
  ++f->Played;
  return true;
}
}  // namespace

std::vector<uint8_t> TKivSimDevice::FaultedPdu(std::span<const uint8_t> request, TSimFault* f)
{
  std::vector<uint8_t> pdu = ReplyPdu(request);
  if (!f || request.empty())
    return pdu;
  if (f->Kind == TSimFaultKind::Exception && Play(f))
    return Exception(request[0], static_cast<uint8_t>(SimFaultParam(*f)));
  if (f->Kind == TSimFaultKind::WrongFunction && !pdu.empty() && Play(f))
    pdu[0] = request[0] == 16 ? 6 : 4;
  if (f->Kind == TSimFaultKind::Short && pdu.size() >= 4 && pdu[0] == 3 && Play(f)) {
    pdu.resize(pdu.size() - 2);
    pdu[1] = static_cast<uint8_t>(pdu[1] - 2);
  }
  return pdu;
}

std::vector<TSimChunk> TKivSimDevice::Spread(std::vector<uint8_t> bytes, TSimFault* f)
{
  std::vector<TSimChunk> chunks;
  if (f && f->Kind == TSimFaultKind::Split && bytes.size() >= 3 && Play(f)) {
    const auto gap = std::chrono::milliseconds(SimFaultParam(*f));
    const size_t third = bytes.size() / 3;
    chunks.push_back(
        {std::chrono::milliseconds(0), {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(third)}});
    chunks.push_back({gap,
                      {bytes.begin() + static_cast<std::ptrdiff_t>(third),
                       bytes.begin() + static_cast<std::ptrdiff_t>(2 * third)}});
    chunks.push_back({gap, {bytes.begin() + static_cast<std::ptrdiff_t>(2 * third), bytes.end()}});
    return chunks;
  }
  const auto delay =
      std::chrono::milliseconds(f && f->Kind == TSimFaultKind::Late && Play(f) ? SimFaultParam(*f) : 0);
  chunks.push_back({delay, std::move(bytes)});
  return chunks;
}

TSimAnswer TKivSimDevice::AnswerRtu(std::span<const uint8_t> frame)
{
  TSimAnswer a;
  if (frame.size() < 4 || frame[0] != Slave)
    return a;  // not ours: a device on a bus keeps quiet
  const auto request = frame.subspan(1, frame.size() - 3);
  const unsigned index = RequestCount();
  Requests.emplace_back(request.begin(), request.end());
  if (OnRequest)
    OnRequest(index);
  TSimFault* f = FaultFor(index);
  if (f && (f->Kind == TSimFaultKind::Silence || f->Kind == TSimFaultKind::CloseConnection) && Play(f))
    return a;
  std::vector<uint8_t> bytes{Slave};
  if (f && f->Kind == TSimFaultKind::WrongAddress && Play(f))
    bytes[0] = static_cast<uint8_t>(SimFaultParam(*f));
  const auto pdu = FaultedPdu(request, f);
  bytes.insert(bytes.end(), pdu.begin(), pdu.end());
  bytes.resize(bytes.size() + 2);
  AddCRC(bytes, bytes.size() - 2);
  if (f && f->Kind == TSimFaultKind::BadCrc && Play(f))
    bytes.back() ^= 0x5A;
  a.Chunks = Spread(std::move(bytes), f);
  return a;
}

namespace {
std::vector<uint8_t> TcpFrame(uint16_t tid, uint8_t unit, std::span<const uint8_t> pdu)
{
  const size_t len = pdu.size() + 1;
  std::vector<uint8_t> b{static_cast<uint8_t>(tid >> 8), static_cast<uint8_t>(tid), 0,   0,
                         static_cast<uint8_t>(len >> 8), static_cast<uint8_t>(len), unit};
  b.insert(b.end(), pdu.begin(), pdu.end());
  return b;
}
}  // namespace

TSimAnswer TKivSimDevice::AnswerTcp(uint16_t transactionId, uint8_t unit, std::span<const uint8_t> pdu)
{
  TSimAnswer a;
  const unsigned index = RequestCount();
  Requests.emplace_back(pdu.begin(), pdu.end());
  if (OnRequest)
    OnRequest(index);
  TSimFault* f = FaultFor(index);
  if (f && f->Kind == TSimFaultKind::Silence && Play(f))
    return a;
  if (f && f->Kind == TSimFaultKind::CloseConnection && Play(f)) {
    a.CloseConnection = true;
    return a;
  }
  const uint8_t replyUnit =
      f && f->Kind == TSimFaultKind::WrongAddress && Play(f) ? static_cast<uint8_t>(SimFaultParam(*f)) : unit;
  const auto reply = FaultedPdu(pdu, f);
  std::vector<uint8_t> bytes;
  if (f && f->Kind == TSimFaultKind::WrongTid && Play(f)) {
    // A reply to some other request, with data that must not reach the document.
    std::vector<uint8_t> spoilt = reply;
    for (size_t i = 2; i < spoilt.size(); ++i)
      spoilt[i] = 0xEE;
    bytes = TcpFrame(static_cast<uint16_t>(transactionId + 0x100), replyUnit, spoilt);
  }
  const auto right = TcpFrame(transactionId, replyUnit, reply);
  bytes.insert(bytes.end(), right.begin(), right.end());
  a.Chunks = Spread(std::move(bytes), f);
  return a;
}

bool SimReadFile(const std::string& path, std::vector<uint8_t>& out)
{
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  out.clear();
  uint8_t buf[4096];
  size_t n = 0;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && out.size() < (1u << 20))
    out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return true;
}
