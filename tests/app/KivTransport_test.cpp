// The protocol over the transport seam: how a transaction is tried (attempts, the settle
// after each failed one, the link's error text) and the pauses between requests, played on a
// scripted transport and a fake clock, with no controller behind.
#include "app/document/Kivbase.h"

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "platform/Codepage.h"
#include "platform/Wait.h"
#include "tests/app/FakeTransport.h"
#include "tests/app/LinkTestSupport.h"

namespace {

using TLines = std::vector<std::string>;
using TKind = TFakeTransport::TKind;

const std::string HEAD = "Odczyt rejestru zdarzeń: "_cp;
const std::string RETRY = " ponawianie transmisji";
const std::string NO_REPLY = "Brak odpowiedzi , anulowanie odczytu";
const std::string END = "Znacznik końca"_cp;

class KivTransport : public ::testing::Test {
protected:
  void SetUp() override
  {
    SetPump(&Clock);
    WriteDefinitions(Defs, "");
    Kiv.SetInstallDir(Defs.Path());
    Kiv.SetKivType(1);
    Kiv.SetLink(&Link);
    Kiv.SetMessageMemo(&Memo);
    Kiv.TraceMessages = false;
    TCommSettings s;
    s.TimeSilence = 40;
    ASSERT_TRUE(Link.SetSettings(s));
    Link.SetTransport(&Fake);
  }
  void TearDown() override { SetPump(nullptr); }

  TFakeClockPump Clock;
  TTempDir Defs;
  TKivLink Link;
  TFakeTransport Fake;
  TKiv Kiv;
  TStringsMemo Memo;
};

struct TTryCase {
  const char* name;
  std::vector<TFakeTransport::TStep> script;
  bool settles;
  std::string log;
  TLines lines;
  bool aborted;
};

TEST_F(KivTransport, HowATransactionIsTried)
{
  const TFakeTransport::TStep miss{TKind::Fail, 0, ""};
  const TFakeTransport::TStep page{TKind::Registers, 250, ""};
  const TFakeTransport::TStep end{TKind::Exception, 0, ""};
  const std::string writeError = "Błąd zapisu do portu"_cp;
  const TFakeTransport::TStep badWrite{TKind::Fail, 0, writeError};
  const TTryCase cases[] = {
      // Every failed attempt is settled, the last one too: its late reply must not reach
      // whatever the user starts next.
      {"five missed replies",
       {miss, miss, miss, miss, miss},
       true,
       "ASASASASAS",
       {HEAD, RETRY, RETRY, RETRY, RETRY, NO_REPLY},
       true},
      {"a line that cannot settle ends at once", {miss}, false, "AS", {HEAD, NO_REPLY}, true},
      {"the link's error text",
       {badWrite, badWrite, badWrite, badWrite, badWrite},
       true,
       "ASASASASAS",
       {HEAD, writeError + RETRY, writeError + RETRY, writeError + RETRY, writeError + RETRY,
        writeError + " , anulowanie odczytu"_cp},
       true},
      // The page's line replaces the last line, the retry's.
      {"a retry that is answered",
       {miss, page, end},
       true,
       "ASAA",
       {HEAD, HEAD + "250 bajtów"_cp, END},
       false},
      {"a reply of the wrong shape is a failed attempt",
       {{TKind::Registers, 251, ""}, page, end},
       true,
       "ASAA",
       {HEAD, HEAD + "250 bajtów"_cp, END},
       false},
      {"another controller's reply is not retried",
       {{TKind::OtherAddress, 250, ""}},
       true,
       "A",
       {HEAD, "Odpowiedź automatu o innym adresie-odczyt anulowany"_cp},
       true},
  };
  for (const TTryCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fake.Script.assign(c.script.begin(), c.script.end());
    Fake.SettleResult = c.settles;
    Fake.Log.clear();
    Memo.Lines.clear();
    ASSERT_TRUE(Kiv.ReadEvReg());
    EXPECT_EQ(Fake.Log, c.log);
    EXPECT_EQ(Memo.Lines, c.lines);
    EXPECT_EQ(Kiv.Aborted(), c.aborted);
  }
}

// Between two event pages, and between two chunks of a set write, the link pauses for the
// connection's silence; a transport of its own brings no other pause.
TEST_F(KivTransport, PausesBetweenRequestsAreTheConnectionsSilence)
{
  const auto gaps = [this] {
    std::vector<long long> ms;
    for (size_t i = 1; i < Fake.AttemptTimes.size(); ++i)
      ms.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(Fake.AttemptTimes[i] -
                                                                         Fake.AttemptTimes[i - 1])
                       .count());
    return ms;
  };
  const long long silence = Link.Policy().SilenceAfterEventPage;
  EXPECT_EQ(silence, 40);

  Fake.Script = {{TKind::Registers, 250, ""}, {TKind::Registers, 250, ""}, {TKind::Exception, 0, ""}};
  ASSERT_TRUE(Kiv.ReadEvReg());
  EXPECT_EQ(Kiv.GetEvRegSize(), 500u);
  EXPECT_EQ(gaps(), (std::vector<long long>{silence, silence}));

  // Set 1 (119 registers) in chunks of 50: three requests.
  Kiv.SetZnsSize(1, 238);
  Kiv.Defs().ZNS_SEND_STEP = 50;
  Fake.Requests.clear();
  Fake.AttemptTimes.clear();
  Fake.Script = {{TKind::Written, 0, ""}, {TKind::Written, 0, ""}, {TKind::Written, 0, ""}};
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  ASSERT_EQ(Fake.Requests.size(), 3u);
  EXPECT_EQ(Memo.Lines.back(), "Zapis zestawu nastaw 1: OK");
  EXPECT_EQ(gaps(), (std::vector<long long>{Link.Policy().SilenceAfterWriteChunk,
                                            Link.Policy().SilenceAfterWriteChunk}));
}

// The settings give the policy its pauses; the transport put in place of the settings'
// choice is used until it is taken away again.
TEST(KivTransportPolicy, SettingsGiveThePauses)
{
  TKivLink link;
  TCommSettings s;
  s.TimeSilence = 17;
  s.Time_Out = 250;
  ASSERT_TRUE(link.SetSettings(s));
  const TTransactionPolicy& p = link.Policy();
  EXPECT_EQ(p.Attempts, 5);
  EXPECT_EQ(p.TcpWaitFactor, 2);
  EXPECT_EQ(p.QuietLimitInTimeouts, 5);
  for (const int pause :
       {p.SilenceBeforeRequest, p.SilenceBeforeReply, p.SilenceAfterWriteChunk, p.SilenceAfterEventPage})
    EXPECT_EQ(pause, 17);

  TFakeTransport fake;
  ITransport& chosen = link.Transport();
  link.SetTransport(&fake);
  EXPECT_EQ(&link.Transport(), &fake);
  link.SetTransport(nullptr);
  EXPECT_EQ(&link.Transport(), &chosen);
  s.MBTCPComm = true;
  ASSERT_TRUE(link.SetSettings(s));
  EXPECT_NE(&link.Transport(), &chosen);
}

}  // namespace

namespace {

// kiv.ini may hold any time-out: the TCP wait never overflows and never goes below zero.
TEST(KivTransportPolicy, TcpWaitIsTwiceTheTimeOutWithinAnInt)
{
  const TTransactionPolicy p;
  EXPECT_EQ(p.TcpWaitMs(250), 500);
  EXPECT_EQ(p.TcpWaitMs(0), 0);
  EXPECT_EQ(p.TcpWaitMs(-40), 0);
  EXPECT_EQ(p.TcpWaitMs(std::numeric_limits<int>::max()), std::numeric_limits<int>::max());
  EXPECT_EQ(p.TcpWaitMs(std::numeric_limits<int>::max() / 2 + 1), std::numeric_limits<int>::max());
}

}  // namespace
