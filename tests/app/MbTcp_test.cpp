#include "app/link/MbTcp.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <vector>

#include "tests/app/LinkTestSupport.h"

namespace {

struct TScanCase {
  std::vector<uint8_t> bytes;
  TMbapStatus status;
  uint16_t tid;
  size_t pduLength;
};

TEST(MbTcp, ScanReplyHeader)
{
  const TScanCase cases[] = {
      {{}, TMbapStatus::NeedMore, 0, 0},
      {{0, 1, 0, 0, 0, 3}, TMbapStatus::NeedMore, 0, 0},              // header not whole
      {{0, 1, 0, 0, 0, 3, 0x1F, 0x83}, TMbapStatus::NeedMore, 1, 2},  // PDU not whole
      {{0, 1, 0, 0, 0, 3, 0x1F, 0x83, 2}, TMbapStatus::Frame, 1, 2},  // exception reply
      {{0x12, 0x34, 0, 0, 0, 3, 0x1F, 0x83, 2, 9, 9}, TMbapStatus::Frame, 0x1234, 2},
      {{0, 1, 0, 1, 0, 3, 0x1F, 0x83, 2}, TMbapStatus::Bad, 0, 0},  // protocol id
      {{0, 1, 0, 0, 0, 2, 0x1F, 0x83}, TMbapStatus::Bad, 0, 0},     // PDU of one byte
      {{0, 1, 0, 0, 0, 0, 0x1F}, TMbapStatus::Bad, 0, 0},
      {{0, 1, 0, 0, 0, 255, 0x1F}, TMbapStatus::Bad, 0, 0},  // PDU of 254 bytes
      {{0, 1, 0, 0, 0x01, 0x00, 0x1F}, TMbapStatus::Bad, 0, 0},
      {{0, 1, 0, 0, 0, 254, 0x1F}, TMbapStatus::NeedMore, 1, 253},  // largest PDU
  };
  for (const auto& c : cases) {
    const TMbapFrame f = ScanMbapFrame(c.bytes);
    EXPECT_EQ(f.Status, c.status) << c.bytes.size();
    if (c.status != TMbapStatus::Bad && c.bytes.size() >= 7) {
      EXPECT_EQ(f.TransactionId, c.tid);
      EXPECT_EQ(f.PduLength, c.pduLength);
      EXPECT_EQ(f.FrameLength, 7 + c.pduLength);
    }
  }
}

TEST(MbTcp, BuildRequestFrame)
{
  std::array<uint8_t, 260> out{};
  const std::array<uint8_t, 5> pdu{3, 0x0E, 0x78, 0, 8};
  ASSERT_EQ(BuildMbapFrame(out, 0x0102, 0x1F, pdu), 12u);
  const std::array<uint8_t, 12> want{1, 2, 0, 0, 0, 6, 0x1F, 3, 0x0E, 0x78, 0, 8};
  EXPECT_TRUE(std::equal(want.begin(), want.end(), out.begin()));
  EXPECT_EQ(BuildMbapFrame(out, 1, 1, std::span<const uint8_t>()), 0u);
  std::vector<uint8_t> big(254, 0);
  EXPECT_EQ(BuildMbapFrame(out, 1, 1, big), 0u);
  std::array<uint8_t, 8> small{};
  EXPECT_EQ(BuildMbapFrame(small, 1, 1, pdu), 0u);
}

TEST(MbTcp, OnlyNumericIPv4)
{
  const std::pair<const char*, bool> cases[] = {
      {"127.0.0.1", true},   {"192.168.100.200", true}, {"localhost", false},
      {"1.2.3", false},      {"256.1.1.1", false},      {"", false},
      {" 127.0.0.1", false}, {"127.0.0.1 ", false},     {"::1", false},
  };
  for (const auto& [text, ok] : cases) {
    uint32_t a = 0;
    EXPECT_EQ(ParseIPv4(text, a), ok) << text;
  }
}

class MbTcpLink : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Server.ListenTcp(0, Port));
    Pump.Install();
    for (size_t i = 0; i < 16; ++i)
      Device.Set(1)[i] = static_cast<uint8_t>(0xB0 + i);
  }

  bool Read(size_t& length, int timeoutMs = 1000)
  {
    const std::array<uint8_t, 5> pdu{3, 0x08, 0x80, 0, 8};
    return Client.SendAndWait("127.0.0.1", Port, 0x1F, pdu, Reply, timeoutMs, length);
  }

  TKivSimDevice Device;
  TKivSimServer Server{Device};
  TSimPump Pump{Server};
  uint16_t Port = 0;
  TMbTcpClient Client;
  std::array<uint8_t, 299> Reply{};
};

TEST_F(MbTcpLink, RepliesOnOneConnectionWithCountingIds)
{
  for (int i = 1; i <= 3; ++i) {
    size_t length = 0;
    ASSERT_TRUE(Read(length)) << Client.LastError();
    EXPECT_EQ(length, 18u);
    EXPECT_EQ(Reply[0], 3);
    EXPECT_EQ(Reply[1], 16);
    EXPECT_EQ(Reply[2], 0xB0);
    EXPECT_EQ(Client.LastTransactionId(), i);
  }
  EXPECT_EQ(Server.Accepted(), 1u);
  EXPECT_EQ(Device.RequestCount(), 3u);
}

TEST_F(MbTcpLink, ForeignTransactionIdIsSkipped)
{
  Device.Faults = {*ParseSimFault("wrongtid@set1")};
  size_t length = 0;
  ASSERT_TRUE(Read(length)) << Client.LastError();
  EXPECT_EQ(Device.Faults[0].Played, 1u);
  EXPECT_EQ(Reply[2], 0xB0);  // not the spoilt 0xEE of the foreign reply
}

TEST_F(MbTcpLink, TimeOutClosesTheConnection)
{
  Device.Faults = {*ParseSimFault("silence@set1")};
  size_t length = 0;
  const long long before = Pump.ElapsedMs();
  EXPECT_FALSE(Read(length, 400));
  EXPECT_EQ(Device.Faults[0].Played, 1u);
  EXPECT_EQ(Pump.ElapsedMs() - before, 400);
  EXPECT_FALSE(Client.Connected());
  ASSERT_TRUE(Read(length));
  EXPECT_EQ(Server.Accepted(), 2u);
}

TEST_F(MbTcpLink, ClosedConnectionFailsThenReconnects)
{
  Device.Faults = {*ParseSimFault("close@set1")};
  size_t length = 0;
  EXPECT_FALSE(Read(length));
  EXPECT_EQ(Device.Faults[0].Played, 1u);
  EXPECT_FALSE(Client.Connected());
  ASSERT_TRUE(Read(length)) << Client.LastError();
  EXPECT_EQ(Server.Accepted(), 2u);
}

TEST_F(MbTcpLink, SplitAndExceptionReplies)
{
  // The same read twice: the first reply in pieces, the second an exception.
  Device.Faults = {*ParseSimFault("split@0:30"), *ParseSimFault("exception@1:2")};
  size_t length = 0;
  ASSERT_TRUE(Read(length));
  EXPECT_EQ(length, 18u);
  ASSERT_TRUE(Read(length));
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(Reply[0], 0x83);
  EXPECT_EQ(Reply[1], 2);
  EXPECT_EQ(Device.Faults[0].Played, 1u);
  EXPECT_EQ(Device.Faults[1].Played, 1u);
}

// A loopback port that refuses connections for as long as this object lives: its socket is
// bound, so no other program can take the port, and never listens.
struct TClosedPort {
  int Fd = -1;
  uint16_t Port = 0;
  TClosedPort()
  {
    Fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (Fd >= 0 && ::bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
      Port = ntohs(a.sin_port);
  }
  ~TClosedPort()
  {
    if (Fd >= 0)
      ::close(Fd);
  }
  TClosedPort(const TClosedPort&) = delete;
  TClosedPort& operator=(const TClosedPort&) = delete;
};

TEST_F(MbTcpLink, RefusedAndBadAddressesFail)
{
  size_t length = 0;
  const std::array<uint8_t, 5> pdu{3, 0x08, 0x80, 0, 8};
  EXPECT_FALSE(Client.SendAndWait("localhost", Port, 0x1F, pdu, Reply, 500, length));
  EXPECT_NE(Client.LastError().find("not a numeric IPv4 address"), std::string::npos) << Client.LastError();
  const TClosedPort closed;
  ASSERT_NE(closed.Port, 0);
  EXPECT_FALSE(Client.SendAndWait("127.0.0.1", closed.Port, 0x1F, pdu, Reply, 500, length));
  EXPECT_NE(Client.LastError().find("Connection refused"), std::string::npos) << Client.LastError();
  EXPECT_FALSE(Client.Connected());
}

TEST_F(MbTcpLink, ChangedAddressDropsTheOldConnection)
{
  TKivSimDevice other;
  TKivSimServer otherServer(other);
  uint16_t otherPort = 0;
  ASSERT_TRUE(otherServer.ListenTcp(0, otherPort));
  size_t length = 0;
  ASSERT_TRUE(Read(length));
  const std::array<uint8_t, 5> pdu{3, 0x08, 0x80, 0, 8};
  // The other server is not served by the pump: the call times out, but the first
  // connection must be gone already.
  EXPECT_FALSE(Client.SendAndWait("127.0.0.1", otherPort, 0x1F, pdu, Reply, 100, length));
  Pump.PumpFor(std::chrono::milliseconds(1));
  EXPECT_FALSE(Client.Connected());
  ASSERT_TRUE(Read(length));
  EXPECT_EQ(Server.Accepted(), 2u);
}

}  // namespace

namespace {

struct TPickCase {
  const char* name;
  std::vector<uint8_t> bytes;
  TMbapPick pick;
  size_t replyLength;
  size_t left;  // bytes still pending afterwards
};

TEST(MbTcp, PickReplyOfTheTransaction)
{
  const std::vector<uint8_t> mine{0, 7, 0, 0, 0, 3, 0x1F, 0x83, 2};
  const std::vector<uint8_t> other{0, 6, 0, 0, 0, 4, 0x1F, 3, 1, 0xEE};
  auto join = [](std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const TPickCase cases[] = {
      {"nothing yet", {}, TMbapPick::NeedMore, 0, 0},
      {"the reply", mine, TMbapPick::Found, 2, 0},
      {"another reply first", join(other, mine), TMbapPick::Found, 2, 0},
      {"another reply only", other, TMbapPick::NeedMore, 0, 0},
      {"the reply and the start of more", join(mine, {0, 8}), TMbapPick::Found, 2, 2},
      {"half of the reply", {0, 7, 0, 0, 0, 3, 0x1F}, TMbapPick::NeedMore, 0, 7},
      {"bad protocol id", {0, 7, 0, 9, 0, 3, 0x1F, 0x83, 2}, TMbapPick::Bad, 0, 9},
      {"bad length after a foreign frame", join(other, {0, 7, 0, 0, 0, 1, 0x1F}), TMbapPick::Bad, 0, 7},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> pending = c.bytes;
    std::array<uint8_t, 253> pdu{};
    size_t length = 99;
    EXPECT_EQ(PickMbapReply(pending, 7, pdu, length), c.pick) << c.name;
    EXPECT_EQ(length, c.replyLength) << c.name;
    EXPECT_EQ(pending.size(), c.left) << c.name;
    if (c.pick == TMbapPick::Found) {
      EXPECT_EQ(pdu[0], 0x83) << c.name;
      EXPECT_EQ(pdu[1], 2) << c.name;
    }
  }
  // A reply larger than the room given is refused, not cut.
  std::vector<uint8_t> pending = mine;
  std::array<uint8_t, 1> small{};
  size_t length = 0;
  EXPECT_EQ(PickMbapReply(pending, 7, small, length), TMbapPick::Bad);
}

}  // namespace
