// The controller protocol against an independent Modbus implementation: a libmodbus server,
// over a pseudo-terminal and over TCP, answers the same reads and writes as kivsim. The
// documents both give must be the same bytes.
#include <gtest/gtest.h>

#include <modbus/modbus.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/document/Kivbase.h"
#include "platform/Codepage.h"
#include "tests/app/LinkTestSupport.h"

namespace {

constexpr int HOLDING = 10000;

// A libmodbus server in a thread of its own. A plain register map would serve event page k
// as the overlapping registers 4000+k..4000+k+124, so the page is copied into the map just
// before each reply, as the controller serves it.
class TLibmodbusServer {
public:
  TLibmodbusServer(const TKivSimDevice& content, bool tcp) : FEvents(content.Events), FTcp(tcp)
  {
    FMap = modbus_mapping_new_start_address(0, 0, 0, 0, 0, HOLDING, 0, 0);
    for (size_t i = 0; i < SimIdentCount; ++i)
      FMap->tab_registers[SimIdentWire + i] = Be(content.Ident, 2 * i);
    for (size_t i = 0; i < 2u * SimSetRegisters; ++i)
      FMap->tab_registers[SimSetAreaWire + i] =
          uint16_t((content.Sets[2 * i] << 8) | content.Sets[2 * i + 1]);
  }
  ~TLibmodbusServer()
  {
    FStop = true;
    if (FThread.joinable())
      FThread.join();
    if (FCtx) {
      if (FTcp && FClient >= 0)
        ::close(FClient);
      modbus_free(FCtx);
    }
    if (FListen >= 0)
      ::close(FListen);
    modbus_mapping_free(FMap);
  }

  // RTU on the master side of a new pseudo-terminal; returns the slave path.
  bool StartRtu(std::string& slave)
  {
    // libmodbus reads and writes the master through its own RTU framing.
    int err = 0;
    if (!OpenPtyPair(FMaster, slave, err))
      return false;
    FCtx = modbus_new_rtu("/dev/null", 9600, 'N', 8, 1);
    modbus_set_slave(FCtx, 0x1F);
    modbus_set_socket(FCtx, FMaster.Get());
    // Someone must keep the slave open, or the master reads as hung up until the link opens.
    FSlaveHold.Reset(::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    FThread = std::thread([this] { Serve(); });
    return true;
  }

  bool StartTcp(uint16_t& port)
  {
    FCtx = modbus_new_tcp("127.0.0.1", 0);
    FListen = modbus_tcp_listen(FCtx, 1);
    if (FListen < 0)
      return false;
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    ::getsockname(FListen, reinterpret_cast<sockaddr*>(&sa), &len);
    port = ntohs(sa.sin_port);
    FThread = std::thread([this] { Serve(); });
    return true;
  }

  std::vector<uint8_t> Set(int n) const
  {
    std::vector<uint8_t> b;
    for (size_t i = 0; i < SimSetRegisters; ++i) {
      const uint16_t r = FMap->tab_registers[SimSetAreaWire + (n == 2 ? SimSetRegisters : 0) + i];
      b.push_back(uint8_t(r >> 8));
      b.push_back(uint8_t(r));
    }
    return b;
  }
  int Requests() const { return FRequests; }

private:
  static uint16_t Be(const std::string& s, size_t at)
  {
    const auto byte = [&](size_t i) { return i < s.size() ? uint8_t(s[i]) : uint8_t(0); };
    return uint16_t((byte(at) << 8) | byte(at + 1));
  }

  bool WaitReadable(int fd)
  {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 20) > 0;
  }

  void Serve()
  {
    std::vector<uint8_t> query(MODBUS_TCP_MAX_ADU_LENGTH);
    while (!FStop) {
      if (FTcp && FClient < 0) {
        if (!WaitReadable(FListen))
          continue;
        int s = FListen;
        FClient = modbus_tcp_accept(FCtx, &s);
        continue;
      }
      if (!WaitReadable(modbus_get_socket(FCtx)))
        continue;
      const int rc = modbus_receive(FCtx, query.data());
      if (rc <= 0) {
        if (FTcp && rc < 0) {
          ::close(FClient);
          FClient = -1;
        }
        continue;
      }
      ++FRequests;
      const int h = modbus_get_header_length(FCtx);
      const int address = (query[size_t(h) + 1] << 8) | query[size_t(h) + 2];
      if (query[size_t(h)] == 3 && address >= SimEvFirstWire && address < SimEvFirstWire + 1000) {
        const size_t at = 2u * SimEvPageRegisters * size_t(address - SimEvFirstWire);
        if (at >= FEvents.size()) {
          modbus_reply_exception(FCtx, query.data(), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
          continue;
        }
        for (size_t i = 0; i < SimEvPageRegisters; ++i) {
          const auto byte = [&](size_t j) { return at + j < FEvents.size() ? FEvents[at + j] : uint8_t(0); };
          FMap->tab_registers[size_t(address) + i] = uint16_t((byte(2 * i) << 8) | byte(2 * i + 1));
        }
      }
      modbus_reply(FCtx, query.data(), rc, FMap);
    }
  }

  std::vector<uint8_t> FEvents;
  bool FTcp;
  modbus_mapping_t* FMap = nullptr;
  modbus_t* FCtx = nullptr;
  int FListen = -1;
  int FClient = -1;
  TFdHandle FMaster;
  TFdHandle FSlaveHold;
  std::thread FThread;
  std::atomic<bool> FStop{false};
  std::atomic<int> FRequests{0};
};

class KivbaseModbus : public ::testing::TestWithParam<TTransport> {
protected:
  void SetUp() override
  {
    WriteDefinitions(Defs, "");
    Content.Ident = "K2LIB-77";
    FillSimulator(Content, 1700);  // seven pages, the last one partly filled
  }

  // A controller object on a link of the test's transport.
  void Attach(TKiv& kiv, TKivLink& link, TStringsMemo& memo, const std::string& slave, uint16_t port)
  {
    TCommSettings s;
    s.Time_Out = 300;
    s.TimeSilence = 0;
    ASSERT_TRUE(ConnectLink(link, GetParam(), s, slave, port));
    kiv.SetInstallDir(Defs.Path());
    kiv.SetLink(&link);
    kiv.SetMessageMemo(&memo);
    kiv.TraceMessages = false;
  }

  static std::vector<uint8_t> ImageWithoutCreation(const TKiv& kiv)
  {
    std::vector<uint8_t> b(kiv.Image().begin(), kiv.Image().end());
    std::fill_n(b.begin() + KivImage::CREATE_DATE, 8, 0);
    return b;
  }

  TTempDir Defs;
  TKivSimDevice Content;
};

TEST_P(KivbaseModbus, SameDocumentAsFromTheSimulator)
{
  // Through kivsim, inside the test on the fake clock.
  TKiv bySim;
  TStringsMemo simMemo;
  {
    TKivSimDevice device = Content;
    TKivSimServer server(device);
    TSimPump pump(server);
    std::string slave;
    uint16_t port = 0;
    ASSERT_TRUE(GetParam() == TTransport::Tcp ? server.ListenTcp(0, port) : server.OpenPty(slave));
    pump.Install();
    TKivLink link;
    Attach(bySim, link, simMemo, slave, port);
    ASSERT_TRUE(bySim.ReadFromKIV());
  }
  // Through libmodbus, in real time.
  TKiv byLib;
  TStringsMemo libMemo;
  TLibmodbusServer lib(Content, GetParam() == TTransport::Tcp);
  std::string slave;
  uint16_t port = 0;
  ASSERT_TRUE(GetParam() == TTransport::Tcp ? lib.StartTcp(port) : lib.StartRtu(slave));
  TKivLink link;
  Attach(byLib, link, libMemo, slave, port);
  ASSERT_TRUE(byLib.ReadFromKIV());

  const std::string events = "Odczyt rejestru zdarzeń: 1750 bajtów"_cp;
  const std::string end = "Znacznik końca"_cp;
  const std::vector<std::string> lines{"Identyfikacja automatu:KIVS-2", "Odczyt zestawu nastaw 1 :OK",
                                       "Odczyt zestawu nastaw 2 :OK", events, end};
  EXPECT_EQ(libMemo.Lines, lines);
  EXPECT_EQ(simMemo.Lines, lines);
  EXPECT_EQ(ImageWithoutCreation(byLib), ImageWithoutCreation(bySim));
  EXPECT_EQ(lib.Requests(), 3 + 8);  // seven pages with data, then the exception
  EXPECT_TRUE(std::equal(Content.Sets.begin(), Content.Sets.begin() + 238, byLib.GetZns1Data()));
  EXPECT_TRUE(std::equal(Content.Events.begin(), Content.Events.end(), byLib.GetEvRegData()));

  // A set written back lands in libmodbus's registers, in chunks it accepts.
  for (const auto& [source, target, line] : {std::tuple{1, 2, "Zapis zestawu nastaw 1 do 2: OK"},
                                             std::tuple{2, 1, "Zapis zestawu nastaw 2 do 1: OK"}}) {
    libMemo.Lines.clear();
    ASSERT_TRUE(byLib.WriteZestawNastaw(source, target));
    EXPECT_EQ(libMemo.Lines, std::vector<std::string>{line});
    const auto landed = lib.Set(target);
    EXPECT_TRUE(std::equal(landed.begin(), landed.begin() + 238, byLib.GetZnsData(source)));
  }
}

INSTANTIATE_TEST_SUITE_P(Transports, KivbaseModbus, ::testing::Values(TTransport::Rtu, TTransport::Tcp),
                         TransportName);

}  // namespace
