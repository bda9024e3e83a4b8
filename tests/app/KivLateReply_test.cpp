// Replies that come after their attempt gave up. An RTU frame carries nothing that says which
// request it answers, so a late reply must be waited out before a retry is sent, or it is
// taken for the retry's reply, and a later request of the same shape (the next set, the next
// event page) gets the data of the one before.
#include "app/document/Kivbase.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/link/Mbusfun.h"
#include "platform/Codepage.h"
#include "platform/SerialPort.h"
#include "tests/app/LinkTestSupport.h"

namespace {

using TLines = std::vector<std::string>;

constexpr int TIMEOUT = 300;
const std::string RETRY = " ponawianie transmisji";
const std::string NO_REPLY = "Brak odpowiedzi , anulowanie odczytu";
constexpr size_t EVENT_BYTES = 1000;  // four pages, then the end of the register
constexpr size_t PAGE_BYTES = 250;

TSimFault Fault(const std::string& text)
{
  const auto f = ParseSimFault(text);
  EXPECT_TRUE(f) << text;
  return f.value_or(TSimFault{});
}

bool Has(const TLines& lines, const std::string& line)
{
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class KivLateReply : public ::testing::TestWithParam<TTransport> {
protected:
  void SetUp() override
  {
    WriteDefinitions(Defs, "");
    Kiv.SetInstallDir(Defs.Path());
    Kiv.SetLink(&Link);
    Kiv.SetMessageMemo(&Memo);
    Kiv.TraceMessages = false;
    FillSimulator(Device, EVENT_BYTES);
    std::string slave;
    uint16_t port = 0;
    ASSERT_TRUE(Rtu() ? Server.OpenPty(slave) : Server.ListenTcp(0, port));
    TCommSettings s;
    s.Time_Out = TIMEOUT;
    s.TimeSilence = 5;
    ASSERT_TRUE(ConnectLink(Link, GetParam(), s, slave, port));
    Pump.Install();
  }

  bool Rtu() const { return GetParam() == TTransport::Rtu; }

  std::vector<uint8_t> KivSet(int n) const
  {
    return std::vector<uint8_t>(Kiv.GetZnsData(n), Kiv.GetZnsData(n) + Kiv.GetZnsSize(n));
  }
  std::vector<uint8_t> SimSet(int n)
  {
    return std::vector<uint8_t>(Device.Set(n).begin(), Device.Set(n).begin() + 238);
  }
  // A set the read did not complete keeps what the document had.
  bool SetUntouched(int n) const
  {
    return Kiv.GetZnsSize(n) == 20 &&
           std::all_of(Kiv.GetZnsData(n), Kiv.GetZnsData(n) + 512, [n](uint8_t b) { return b == 0x11 * n; });
  }
  void PrefillDocument()
  {
    for (int n : {1, 2}) {
      std::fill_n(Kiv.GetZnsData(n), 512, uint8_t(0x11 * n));
      Kiv.SetZnsSize(n, 20);
    }
    Kiv.SetEvRegSize(0);
  }

  TKivSimDevice Device;
  TKivSimServer Server{Device};
  TSimPump Pump{Server};
  TKivLink Link;
  TTempDir Defs;
  TKiv Kiv;
  TStringsMemo Memo;
};

struct TLateCase {
  const char* name;
  unsigned first, count;  // the requests answered late (0 identification, 1 set 1, ...)
  bool rtuCompletes;      // false: the read ends with the failure lines on RTU
};

// Each fault makes the request after a timed-out attempt late as well, so its own reply comes
// after the late one of the attempt before: the order in which a missed wait shows.
const TLateCase LateCases[] = {
    {"identification to set 1", 0, 2, true},
    {"set 1 to set 2", 1, 3, true},
    {"between two event pages", 4, 3, true},
    {"every reply", 0, 1000, false},
    {"every reply from the second event page on", 4, 1000, false},
};

TEST_P(KivLateReply, NoSetOrPageHoldsAnotherRequestsReply)
{
  for (const double factor : {1.1, 1.5, 1.9}) {
    const int lateMs = int(factor * TIMEOUT);
    for (const TLateCase& c : LateCases) {
      SCOPED_TRACE(std::string(c.name) + ", late " + std::to_string(lateMs) + " ms");
      Device.Faults = {Fault("late@" + std::to_string(c.first) + "/" + std::to_string(c.count) + ":" +
                             std::to_string(lateMs))};
      Device.Requests.clear();
      Memo.Lines.clear();
      PrefillDocument();
      ASSERT_TRUE(Kiv.ReadFromKIV());

      // The fault was played on every request of its run that was sent, and on RTU it
      // cost a retry.
      EXPECT_GT(Device.RequestCount(), c.first);
      EXPECT_EQ(Device.Faults[0].Played, std::min(c.count, Device.RequestCount() - c.first));
      if (Rtu()) {
        EXPECT_TRUE(Has(Memo.Lines, RETRY));
      }

      // Whatever happened, each set is the controller's or what the document had, and
      // the event register holds the controller's first whole pages.
      for (int n : {1, 2})
        EXPECT_TRUE(KivSet(n) == SimSet(n) || SetUntouched(n)) << "set " << n;
      const size_t events = Kiv.GetEvRegSize();
      EXPECT_TRUE(events % PAGE_BYTES == 0 && events <= EVENT_BYTES) << events;
      EXPECT_TRUE(std::equal(Kiv.GetEvRegData(), Kiv.GetEvRegData() + events, Device.Events.begin()));

      // Over TCP the replies are within its wait; on RTU the long ones end the read.
      if (!Rtu() || c.rtuCompletes) {
        EXPECT_FALSE(Has(Memo.Lines, NO_REPLY));
        EXPECT_EQ(KivSet(1), SimSet(1));
        EXPECT_EQ(KivSet(2), SimSet(2));
        EXPECT_EQ(events, EVENT_BYTES);
        EXPECT_EQ(Memo.Lines.back(), "Znacznik końca"_cp);
      } else {
        EXPECT_EQ(Memo.Lines.back(), NO_REPLY);
        EXPECT_TRUE(Kiv.Aborted());
      }
      Pump.PumpFor(std::chrono::milliseconds(5 * TIMEOUT));  // late replies land before the next case
    }
  }
}

// A read that gave up leaves no late reply behind for the read the user starts next. The last
// attempt's reply comes 1.5 time-outs late, and so do the next read's first two replies: a
// reply the failed read left on the line is taken for the next read's first page, and that
// page's own reply for the second page.
TEST_P(KivLateReply, AFailedReadLeavesNothingForTheNextRead)
{
  const int lateMs = 3 * TIMEOUT / 2;
  Device.Faults = {Fault("late@0/7:" + std::to_string(lateMs))};
  PrefillDocument();
  Kiv.SetKivType(1);
  ASSERT_TRUE(Kiv.ReadEvReg());
  if (Rtu()) {
    // The fault was played: every attempt of the first page went unanswered in time.
    EXPECT_EQ(Device.RequestCount(), 5u);
    EXPECT_EQ(Memo.Lines.back(), NO_REPLY);
    EXPECT_EQ(Kiv.GetEvRegSize(), 0u);
  }
  Memo.Lines.clear();
  ASSERT_TRUE(Kiv.ReadEvReg());
  EXPECT_GT(Device.RequestCount(), 7u);
  ASSERT_EQ(Kiv.GetEvRegSize(), EVENT_BYTES);
  EXPECT_TRUE(std::equal(Kiv.GetEvRegData(), Kiv.GetEvRegData() + EVENT_BYTES, Device.Events.begin()));
  EXPECT_EQ(Memo.Lines.back(), "Znacznik końca"_cp);
}

INSTANTIATE_TEST_SUITE_P(Transports, KivLateReply, ::testing::Values(TTransport::Rtu, TTransport::Tcp),
                         TransportName);

// The serial link alone against the simulator: how long the wait lasts and what it drops.
TEST(KivLateReplyLine, TheWaitEndsOneTimeOutAfterTheLastByte)
{
  TKivSimDevice device;
  TKivSimServer server{device};
  TSimPump pump{server};
  std::string slave;
  ASSERT_TRUE(server.OpenPty(slave));
  pump.Install();
  TRsdHan rsd;
  rsd.SetCommPort(slave);
  rsd.SetReadTotalTimeoutConstant(TIMEOUT);
  rsd.SetSilenceTime(0);
  ASSERT_EQ(rsd.Open(), 0);

  struct TCase {
    const char* name;
    int lateMs;
    long long endsAfterWriteMs;
  };
  const TCase cases[] = {
      {"a quiet line waits one time-out", -1, 2 * TIMEOUT},
      {"a reply late by 1.9 time-outs is waited out", 570, 570 + TIMEOUT},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    device.Faults = {Fault(c.lateMs >= 0 ? "late@set1:" + std::to_string(c.lateMs) : "silence@set1")};
    std::vector<uint8_t> request{0x1F, 3, 0x08, 0x80, 0, 8, 0, 0};
    AddCRC(request, 6);
    const long long written = pump.ElapsedMs();
    const unsigned before = device.RequestCount();
    ASSERT_TRUE(rsd.WriteFrame(request, request.size()));
    std::array<uint8_t, 300> reply{};
    size_t length = 0;
    EXPECT_FALSE(rsd.ReadFrame(reply, length));
    EXPECT_EQ(device.RequestCount(), before + 1);  // the fault's request arrived
    EXPECT_EQ(device.Faults[0].Played, 1u);
    EXPECT_TRUE(rsd.WaitLineQuiet(TIMEOUT, 5 * TIMEOUT));
    EXPECT_GE(pump.ElapsedMs() - written, c.endsAfterWriteMs);
    EXPECT_LT(pump.ElapsedMs() - written, c.endsAfterWriteMs + 100);
    // Nothing of the late reply is left for the next read.
    pump.PumpFor(std::chrono::milliseconds(0));
    uint8_t byte = 0;
    EXPECT_LT(::read(rsd.Handle(), &byte, 1), 1);
  }
}

// A line that never falls quiet: one byte every 50 ms from something that is not the
// controller answering.
class TBabblingLine {
public:
  TBabblingLine()
  {
    int err = 0;
    EXPECT_TRUE(OpenPtyPair(Master, Slave, err)) << err;
    SlaveSide.Reset(::open(Slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    EXPECT_TRUE(SlaveSide.Valid());
    Pump.OnPump = [this](TFakeClockPump& p) {
      if (!Babbling)
        return;
      const uint8_t b = uint8_t(0xA5 + Sent);
      if (WriteAcross(Master.Get(), SlaveSide.Get(), std::span<const uint8_t>(&b, 1)))
        ++Sent;
      p.Advance(std::chrono::milliseconds(50));
    };
    SetPump(&Pump);
  }
  ~TBabblingLine() { SetPump(nullptr); }

  TFdHandle Master;
  std::string Slave;
  TFdHandle SlaveSide;  // the program's side, to see each byte arrive there
  TFakeClockPump Pump;
  bool Babbling = true;
  int Sent = 0;
};

TEST(KivLateReplyLine, ABusyLineEndsTheWaitAfterFiveTimeOuts)
{
  TBabblingLine line;
  TRsdHan rsd;
  rsd.SetCommPort(line.Slave);
  ASSERT_EQ(rsd.Open(), 0);
  const auto start = line.Pump.Elapsed();
  EXPECT_FALSE(rsd.WaitLineQuiet(TIMEOUT, 5 * TIMEOUT));
  EXPECT_LE((line.Pump.Elapsed() - start).count(), 5 * TIMEOUT);
  EXPECT_GT(line.Sent, 10);
  // The same line fallen quiet.
  line.Babbling = false;
  EXPECT_TRUE(rsd.WaitLineQuiet(TIMEOUT, 5 * TIMEOUT));
}

TEST(KivLateReplyLine, ABusyLineEndsTheTransactionWithoutRetrying)
{
  TBabblingLine line;
  TTempDir defs;
  WriteDefinitions(defs, "");
  TKivLink link;
  link.Rsd().SetCommPort(line.Slave);
  link.Rsd().SetReadTotalTimeoutConstant(TIMEOUT);
  ASSERT_EQ(link.Rsd().Open(), 0);
  TCommSettings s;
  s.Time_Out = TIMEOUT;
  s.TimeSilence = 5;
  ASSERT_TRUE(link.SetSettings(s));
  TKiv kiv;
  kiv.SetInstallDir(defs.Path());
  kiv.SetLink(&link);
  TStringsMemo memo;
  kiv.SetMessageMemo(&memo);
  kiv.TraceMessages = false;
  std::string events;
  kiv.OnCompleteAll = [&](TKiv&) { events += "A"; };
  ASSERT_TRUE(kiv.ReadFromKIV());
  EXPECT_GT(line.Sent, 10);
  EXPECT_EQ(memo.Lines, (TLines{"Identyfikacja automatu:", NO_REPLY}));
  EXPECT_TRUE(kiv.Aborted());
  EXPECT_EQ(events, "A");
  // One request went out: none was sent into the noise.
  std::vector<uint8_t> sent(64);
  const ssize_t n = ::read(line.Master.Get(), sent.data(), sent.size());
  EXPECT_EQ(n, 8);
}

}  // namespace
