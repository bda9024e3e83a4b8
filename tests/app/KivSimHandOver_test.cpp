// The hand-over between the simulator and a program in the same process: what it counts as
// across, so that a fake clock never jumps over bytes still under way.
#include "tests/sim/KivSimHandOver.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/link/Mbusfun.h"
#include "tests/sim/KivSimServer.h"

namespace {

using TClock = std::chrono::steady_clock;

// Serves at one instant until everything is across, within a generous real-time bound.
bool ServeUntilAcross(TKivSimServer& server, TSimHandOver& handOver)
{
  const auto giveUp = TClock::now() + std::chrono::seconds(20);
  server.Service(TClock::time_point{});
  while (!handOver.UnderWay().empty())
    if (TClock::now() >= giveUp)
      return false;
    else
      std::this_thread::sleep_for(std::chrono::microseconds(100));
  return true;
}

const std::vector<uint8_t> IdentPdu{3, 0x0E, 0x78, 0, 8};

TEST(KivSimHandOver, PseudoTerminalBytesCountUntilTheProgramSideHoldsThem)
{
  TKivSimDevice device;
  TKivSimServer server(device);
  std::string slave;
  ASSERT_TRUE(server.OpenPty(slave));
  TFdHandle program(::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  ASSERT_TRUE(program.Valid());
  TSimHandOver handOver(server);
  handOver.NoteProgramFd(program.Get());
  handOver.Mark();
  EXPECT_EQ(handOver.UnderWay(), "");

  std::vector<uint8_t> request{device.Slave};
  request.insert(request.end(), IdentPdu.begin(), IdentPdu.end());
  request.resize(request.size() + 2);
  AddCRC(request, request.size() - 2);
  ASSERT_EQ(::write(program.Get(), request.data(), request.size()), ssize_t(request.size()));
  ASSERT_TRUE(ServeUntilAcross(server, handOver));
  ASSERT_EQ(device.RequestCount(), 1u);
  EXPECT_EQ(server.PtyWritten(), 21u);

  // Readable is not enough: bytes that left the program's side since the mark are missing.
  uint8_t reply[64];
  ASSERT_EQ(::read(program.Get(), reply, sizeof reply), 21);
  EXPECT_EQ(handOver.UnderWay(), "21 of the bytes written to the pseudo-terminal");
  handOver.Mark();
  EXPECT_EQ(handOver.UnderWay(), "");
}

TEST(KivSimHandOver, TcpRepliesAndTheEndOfAClosedConnection)
{
  TKivSimDevice device;
  device.Faults = {*ParseSimFault("close@set1")};
  TKivSimServer server(device);
  uint16_t port = 0;
  ASSERT_TRUE(server.ListenTcp(0, port));
  TFdHandle program(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(program.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  TSimHandOver handOver(server);
  handOver.NoteProgramFd(program.Get());
  handOver.Mark();

  const auto ask = [&](std::vector<uint8_t> pdu) {
    std::vector<uint8_t> frame{0, 1, 0, 0, 0, uint8_t(pdu.size() + 1), device.Slave};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    ASSERT_EQ(::send(program.Get(), frame.data(), frame.size(), 0), ssize_t(frame.size()));
    ASSERT_TRUE(ServeUntilAcross(server, handOver));
  };
  ask(IdentPdu);
  ASSERT_EQ(server.Connections().size(), 1u);
  EXPECT_EQ(server.Connections()[0].Written, 7u + 2u + 16u);
  ask({3, 0x08, 0x80, 0, 8});  // set 1: the connection is closed instead
  EXPECT_EQ(device.FaultsPlayed(), 1u);
  EXPECT_TRUE(server.Connections().empty());
  ASSERT_EQ(server.ClosedByServer().size(), 1u);
  uint8_t reply[64];
  EXPECT_EQ(::recv(program.Get(), reply, sizeof reply, MSG_DONTWAIT), 25);
  EXPECT_EQ(::recv(program.Get(), reply, sizeof reply, MSG_DONTWAIT), 0);  // the end of stream is there
}

}  // namespace
