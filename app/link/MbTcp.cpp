#include "app/link/MbTcp.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>

#include "platform/SysUtil.h"
#include "platform/Wait.h"

TMbapFrame ScanMbapFrame(std::span<const uint8_t> bytes)
{
  TMbapFrame f;
  if (bytes.size() < MbapHeaderSize)
    return f;
  const uint16_t protocol = static_cast<uint16_t>((bytes[2] << 8) | bytes[3]);
  const size_t length = static_cast<size_t>((bytes[4] << 8) | bytes[5]);  // unit + PDU
  if (protocol != 0 || length < MbapMinPdu + 1 || length > MbapMaxPdu + 1) {
    f.Status = TMbapStatus::Bad;
    return f;
  }
  f.TransactionId = static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
  f.Unit = bytes[6];
  f.PduLength = length - 1;
  f.FrameLength = MbapHeaderSize + f.PduLength;
  if (bytes.size() >= f.FrameLength)
    f.Status = TMbapStatus::Frame;
  return f;
}

size_t BuildMbapFrame(std::span<uint8_t> out, uint16_t transactionId, uint8_t unit,
                      std::span<const uint8_t> pdu)
{
  if (pdu.size() < 1 || pdu.size() > MbapMaxPdu || out.size() < MbapHeaderSize + pdu.size())
    return 0;
  const size_t length = pdu.size() + 1;
  out[0] = static_cast<uint8_t>(transactionId >> 8);
  out[1] = static_cast<uint8_t>(transactionId & 0xFF);
  out[2] = 0;
  out[3] = 0;
  out[4] = static_cast<uint8_t>(length >> 8);
  out[5] = static_cast<uint8_t>(length & 0xFF);
  out[6] = unit;
  for (size_t i = 0; i < pdu.size(); ++i)
    out[MbapHeaderSize + i] = pdu[i];
  return MbapHeaderSize + pdu.size();
}

TMbapPick PickMbapReply(std::vector<uint8_t>& pending, uint16_t transactionId, std::span<uint8_t> replyPdu,
                        size_t& replyLength)
{
  replyLength = 0;
  TMbapFrame f = ScanMbapFrame(pending);
  while (f.Status == TMbapStatus::Frame) {
    if (f.TransactionId == transactionId) {
      if (f.PduLength > replyPdu.size())
        return TMbapPick::Bad;
      std::copy_n(pending.begin() + static_cast<std::ptrdiff_t>(f.PduOffset), f.PduLength, replyPdu.begin());
      replyLength = f.PduLength;
      pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(f.FrameLength));
      return TMbapPick::Found;
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(f.FrameLength));
    f = ScanMbapFrame(pending);
  }
  return f.Status == TMbapStatus::Bad ? TMbapPick::Bad : TMbapPick::NeedMore;
}

bool ParseIPv4(std::string_view text, uint32_t& addressNetworkOrder)
{
  // inet_pton accepts exactly four dotted decimal parts, nothing else.
  if (text.empty() || text.size() > 15)
    return false;
  const std::string s(text);
  in_addr a{};
  if (::inet_pton(AF_INET, s.c_str(), &a) != 1)
    return false;
  addressNetworkOrder = a.s_addr;
  return true;
}

bool TMbTcpClient::Fail(std::string why)
{
  FLastError = std::move(why);
  Close();
  return false;
}

void TMbTcpClient::Close() { FSocket.Reset(); }

bool TMbTcpClient::EnsureConnected(std::string_view ip, uint16_t port,
                                   std::chrono::steady_clock::time_point deadline)
{
  if (FSocket.Valid() && (ip != FIp || port != FPort))
    Close();
  if (FSocket.Valid()) {
    // Whatever waits on a kept connection answers nothing we still ask; an end of stream
    // means the peer closed it, and we connect again within this call.
    std::array<uint8_t, 512> scratch{};
    for (int i = 0; i < 64; ++i) {
      const ssize_t n = ::recv(FSocket.Get(), scratch.data(), scratch.size(), MSG_DONTWAIT);
      if (n > 0)
        continue;
      if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        Close();
      break;
    }
  }
  if (FSocket.Valid())
    return true;

  uint32_t address = 0;
  if (!ParseIPv4(ip, address))
    return Fail("not a numeric IPv4 address: " + std::string(ip));
  TFdHandle s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!s.Valid())
    return Fail("socket: " + SysErrorMessage(errno));
  const int one = 1;
  ::setsockopt(s.Get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = address;
  if (::connect(s.Get(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
    if (errno != EINPROGRESS)
      return Fail("connect: " + SysErrorMessage(errno));
    if (!Pump().WaitWritable(s.Get(), deadline))
      return Fail("connect: timed out");
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(s.Get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0)
      err = errno;
    if (err != 0)
      return Fail("connect: " + SysErrorMessage(err));
  }
  FSocket = std::move(s);
  FIp = std::string(ip);
  FPort = port;
  return true;
}

bool TMbTcpClient::SendAndWait(std::string_view ip, uint16_t port, uint8_t unit,
                               std::span<const uint8_t> requestPdu, std::span<uint8_t> replyPdu,
                               int timeoutMs, size_t& replyLength)
{
  replyLength = 0;
  FLastError.clear();
  const auto deadline = Pump().NowSteady() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
  std::array<uint8_t, MbapHeaderSize + MbapMaxPdu> request{};
  const uint16_t tid = static_cast<uint16_t>(FTransactionId + 1);
  const size_t requestLength = BuildMbapFrame(request, tid, unit, requestPdu);
  if (requestLength == 0)
    return Fail("request PDU out of range");
  if (!EnsureConnected(ip, port, deadline))
    return false;
  FTransactionId = tid;

  size_t sent = 0;
  while (sent < requestLength) {
    const ssize_t n = ::send(FSocket.Get(), request.data() + sent, requestLength - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && Pump().WaitWritable(FSocket.Get(), deadline))
      continue;
    return Fail(n < 0 ? "send: " + SysErrorMessage(errno) : std::string("send: timed out"));
  }

  // Received bytes stay below two frames: each frame is consumed as soon as it is whole.
  std::vector<uint8_t> pending;
  pending.reserve(2 * (MbapHeaderSize + MbapMaxPdu));
  std::array<uint8_t, MbapHeaderSize + MbapMaxPdu> chunk{};
  for (;;) {
    const TMbapPick pick = PickMbapReply(pending, tid, replyPdu, replyLength);
    if (pick == TMbapPick::Found)
      return true;
    if (pick == TMbapPick::Bad)
      return Fail("malformed or oversized reply");
    const ssize_t n = ::recv(FSocket.Get(), chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (n > 0) {
      pending.insert(pending.end(), chunk.begin(), chunk.begin() + n);
      continue;
    }
    if (n == 0)
      return Fail("connection closed by the peer");
    if (errno == EINTR)
      continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK)
      return Fail("recv: " + SysErrorMessage(errno));
    if (Pump().NowSteady() >= deadline || !Pump().WaitReadable(FSocket.Get(), deadline))
      return Fail("timed out");
  }
}
