#include "app/document/Kivbase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/events/EventKinds.h"
#include "app/link/KivLink.h"
#include "app/document/KivMemo.h"
#include "app/link/Mbusfun.h"
#include "platform/NumText.h"
#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "tests/app/LinkTestSupport.h"

namespace {

using TLines = std::vector<std::string>;

const std::string IDENT_OK = "Identyfikacja automatu:KIVS-2";
const std::string SET1_OK = "Odczyt zestawu nastaw 1 :OK";
const std::string SET2_OK = "Odczyt zestawu nastaw 2 :OK";
const std::string RETRY = " ponawianie transmisji";
const std::string NO_REPLY = "Brak odpowiedzi , anulowanie odczytu";
const std::string BAD_SIZE_READ = "Odczyt zestawu nastaw 1: nie wysłano (nieprawidłowy rozmiar zestawu)"_cp;
std::string EvLine(int bytes)
{
  return "Odczyt rejestru zdarzeń: "_cp + std::to_string(bytes) + " bajtów"_cp;
}

// One controller object on the link, against the simulator inside the test, on a fake clock.
class KivProtocol : public ::testing::TestWithParam<TTransport> {
protected:
  void SetUp() override { Start(""); }

  // (Re)starts with definition files carrying the given GLOBAL lines.
  void Start(const std::string& globals)
  {
    // A folder of its own each time: definitions of a name already loaded are not reread.
    Defs = std::make_unique<TTempDir>();
    WriteDefinitions(*Defs, globals);
    Kiv.SetInstallDir(Defs->Path());
    Kiv.SetLink(&Link);
    Kiv.SetMessageMemo(&Memo);
    Kiv.TraceMessages = false;
    if (Started)
      return;
    Started = true;
    FillSimulator(Device, 8000);
    std::string slave;
    uint16_t port = 0;
    ASSERT_TRUE(Rtu() ? Server.OpenPty(slave) : Server.ListenTcp(0, port));
    TCommSettings s;
    s.Time_Out = 500;
    s.TimeSilence = 300;
    ASSERT_TRUE(ConnectLink(Link, GetParam(), s, slave, port));
    Pump.Install();
    Kiv.OnBeginRead = [this](TKiv&) { Events += "B"; };
    Kiv.OnCompleteZestawNastaw1 = [this](TKiv&) { Events += "1"; };
    Kiv.OnCompleteZestawNastaw2 = [this](TKiv&) { Events += "2"; };
    Kiv.OnEvRegCompleted = [this](TKiv&) { Events += "E"; };
    Kiv.OnCompleteAll = [this](TKiv&) { Events += "A"; };
  }

  bool Rtu() const { return GetParam() == TTransport::Rtu; }

  std::vector<uint8_t> KivSet(int n) const
  {
    return std::vector<uint8_t>(Kiv.GetZnsData(n), Kiv.GetZnsData(n) + Kiv.GetZnsSize(n));
  }
  std::vector<uint8_t> SimSet(int n, size_t bytes = 238)
  {
    return std::vector<uint8_t>(Device.Set(n).begin(), Device.Set(n).begin() + std::ptrdiff_t(bytes));
  }
  std::vector<uint8_t> KivEvents() const
  {
    return std::vector<uint8_t>(Kiv.GetEvRegData(), Kiv.GetEvRegData() + Kiv.GetEvRegSize());
  }
  void ExpectSetUntouched(int n, uint8_t fill)
  {
    EXPECT_EQ(Kiv.GetZnsSize(n), 20);
    EXPECT_TRUE(
        std::all_of(Kiv.GetZnsData(n), Kiv.GetZnsData(n) + 512, [fill](uint8_t b) { return b == fill; }));
  }
  void PrefillSets()
  {
    std::fill_n(Kiv.GetZnsData(1), 512, uint8_t(0x11));
    std::fill_n(Kiv.GetZnsData(2), 512, uint8_t(0x22));
    Kiv.SetZnsSize(1, 20);
    Kiv.SetZnsSize(2, 20);
  }
  // Set 1 holds 119 registers of its own pattern, written in chunks of 50, 50 and 19.
  void StartWithSet1InThreeChunks()
  {
    Start("ZNS_SEND_STEP=50");
    Kiv.SetKivType(1);
    for (size_t i = 0; i < 238; ++i)
      Kiv.GetZnsData(1)[i] = uint8_t(i + 3);
    Kiv.SetZnsSize(1, 238);
    Device.Requests.clear();
  }
  void Fault(const char* text)
  {
    auto f = ParseSimFault(text);
    ASSERT_TRUE(f) << text;
    Device.Faults.push_back(*f);
  }

  TKivSimDevice Device;
  TKivSimServer Server{Device};
  TSimPump Pump{Server};
  TKivLink Link;
  std::unique_ptr<TTempDir> Defs;
  TKiv Kiv;
  TStringsMemo Memo;
  std::string Events;
  bool Started = false;
};

TEST_P(KivProtocol, FullReadGivesTheSimulatorsDocument)
{
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, SET1_OK, SET2_OK, EvLine(8000)}));
  EXPECT_EQ(Events, "B12EA");
  EXPECT_EQ(Kiv.GetIdent(), "K2SIM-01");
  EXPECT_EQ(Kiv.GetKivType(), 1);
  EXPECT_EQ(KivSet(1), SimSet(1));
  EXPECT_EQ(KivSet(2), SimSet(2));
  EXPECT_EQ(KivEvents(), Device.Events);
  EXPECT_TRUE(Kiv.Modified());
  EXPECT_EQ(Kiv.GetZns1Date(), Date());
  EXPECT_EQ(Kiv.GetZns2Date(), Date());
  EXPECT_EQ(Kiv.GetEvRegDate(), Date());
  EXPECT_FALSE(Kiv.IsReading());
  EXPECT_FALSE(Link.Busy());

  // The requests of the default definitions, register N sent as N - 1.
  ASSERT_EQ(Device.RequestCount(), 3u + 32u);
  EXPECT_EQ(Device.Requests[0], (std::vector<uint8_t>{3, 0x0E, 0x78, 0x00, 0x08}));
  EXPECT_EQ(Device.Requests[1], (std::vector<uint8_t>{3, 0x08, 0x80, 0x00, 0x77}));
  EXPECT_EQ(Device.Requests[2], (std::vector<uint8_t>{3, 0x09, 0x80, 0x00, 0x77}));
  for (unsigned k = 0; k < 32; ++k)
    EXPECT_EQ(Device.Requests[3 + k], (std::vector<uint8_t>{3, 0x0F, uint8_t(0xA0 + k), 0x00, 0x7D})) << k;
  // The last request as framed on the line, check included.
  EXPECT_EQ(Kiv.Request().size(), 8u);
  EXPECT_TRUE(CheckCRC(Kiv.Request(), 8));
  EXPECT_EQ(Kiv.Request()[0], 0x1F);
}

TEST_P(KivProtocol, EventRegisterAloneMarksTheDocumentModified)
{
  TReadOptions o = Kiv.GetReadOptions();
  o[ReadOption::ReadZns1] = 0;
  o[ReadOption::ReadZns2] = 0;
  Kiv.SetReadOptions(o);
  Kiv.SetModified(false);
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, EvLine(8000)}));
  EXPECT_EQ(Events, "BEA");
  EXPECT_TRUE(Kiv.Modified());
  EXPECT_EQ(Kiv.GetZns1Size(), 0);
}

TEST_P(KivProtocol, ExceptionReplyEndsTheEventRegister)
{
  Device.Events.resize(1000);  // four pages and a bit
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, SET1_OK, SET2_OK, EvLine(1000), "Znacznik końca"_cp}));
  EXPECT_EQ(Events, "B12EA");
  EXPECT_FALSE(Kiv.Aborted());
  std::vector<uint8_t> want = Device.Events;
  want.resize(1000);
  EXPECT_EQ(KivEvents(), want);
  // Pages 0-3 and the exception page; nothing after it.
  EXPECT_EQ(Device.RequestCount(), 3u + 5u);
}

struct TFaultCase {
  const char* name;
  const char* fault;
  unsigned played;  // requests the fault must be played on
  bool rtuOnly, tcpOnly;
  TLines lines;
  bool set1Read;  // false: set 1 must stay as it was
};

std::vector<TFaultCase> FaultCases()
{
  return {
      {"wrong address ends the read",
       "wrongaddr@ident",
       1,
       true,
       false,
       {"Identyfikacja automatu:", "Odpowiedź automatu o innym adresie-odczyt anulowany"_cp},
       false},
      {"TCP keeps the request's address",
       "wrongaddr@ident",
       1,
       false,
       true,
       {IDENT_OK, SET1_OK, SET2_OK, EvLine(8000)},
       true},
      {"five missed replies",
       simfault::IdentNeverAnswered,
       5,
       false,
       false,
       {"Identyfikacja automatu:", RETRY, RETRY, RETRY, RETRY, NO_REPLY},
       false},
      // The final line takes the place of the last line, which is a retry line here.
      {"two missed replies then an answer",
       "silence@set1/2",
       2,
       false,
       false,
       {IDENT_OK, "Odczyt zestawu nastaw 1", RETRY, SET1_OK, SET2_OK, EvLine(8000)},
       true},
      {"damaged checks",
       "badcrc@set1/5",
       5,
       true,
       false,
       {IDENT_OK, "Odczyt zestawu nastaw 1", RETRY, RETRY, RETRY, RETRY, NO_REPLY},
       false},
      {"exception reply to a set read",
       "exception@set1",
       1,
       false,
       false,
       {IDENT_OK, "Odczyt zestawu nastaw 1", "Znacznik końca"_cp},
       false},
      // Every reply of the read, whatever it asks.
      {"replies in pieces",
       "split@0/40:30",
       35,
       false,
       false,
       {IDENT_OK, SET1_OK, SET2_OK, EvLine(8000)},
       true},
      {"late reply is not taken for the next",
       "late@set1:1200",
       1,
       false,
       false,
       {IDENT_OK, "Odczyt zestawu nastaw 1", SET1_OK, SET2_OK, EvLine(8000)},
       true},
      {"reply with another function",
       "wrongfunc@set1/5",
       5,
       false,
       false,
       {IDENT_OK, "Odczyt zestawu nastaw 1", RETRY, RETRY, RETRY, RETRY, NO_REPLY},
       false},
      {"reply a register short",
       "short@set1",
       1,
       false,
       false,
       {IDENT_OK, "Odczyt zestawu nastaw 1", SET1_OK, SET2_OK, EvLine(8000)},
       true},
      {"foreign transaction id",
       "wrongtid@0/40",
       35,
       false,
       true,
       {IDENT_OK, SET1_OK, SET2_OK, EvLine(8000)},
       true},
      {"closed connection",
       "close@set1",
       1,
       false,
       true,
       {IDENT_OK, "Odczyt zestawu nastaw 1", SET1_OK, SET2_OK, EvLine(8000)},
       true},
  };
}

TEST_P(KivProtocol, InjectedFaults)
{
  for (const TFaultCase& c : FaultCases()) {
    if ((c.rtuOnly && !Rtu()) || (c.tcpOnly && Rtu()))
      continue;
    SCOPED_TRACE(c.name);
    Device.Faults.clear();
    Device.Requests.clear();
    Fault(c.fault);
    Memo.Lines.clear();
    Events.clear();
    PrefillSets();
    Kiv.SetEvRegSize(0);
    ASSERT_TRUE(Kiv.ReadFromKIV());
    EXPECT_EQ(Device.Faults[0].Played, c.played) << c.fault;
    EXPECT_EQ(Memo.Lines, c.lines);
    EXPECT_EQ(Events.front(), 'B');
    EXPECT_EQ(Events.back(), 'A');
    if (c.set1Read) {
      EXPECT_EQ(KivSet(1), SimSet(1));
      EXPECT_EQ(KivSet(2), SimSet(2));
      EXPECT_EQ(KivEvents(), Device.Events);
    } else {
      ExpectSetUntouched(1, 0x11);
      ExpectSetUntouched(2, 0x22);
      EXPECT_EQ(Kiv.GetEvRegSize(), 0);
    }
    Pump.PumpFor(std::chrono::milliseconds(3000));  // late pieces land before the next case
  }
}

TEST_P(KivProtocol, SetWritesLandInTheDevice)
{
  ASSERT_TRUE(Kiv.ReadFromKIV());
  std::vector<uint8_t> set1 = KivSet(1), set2 = KivSet(2);
  std::fill(Device.Sets.begin(), Device.Sets.end(), uint8_t(0));
  struct TCase {
    int source, target;
    const char* line;
  };
  const TCase cases[] = {
      {1, 1, "Zapis zestawu nastaw 1: OK"},
      {2, 1, "Zapis zestawu nastaw 2 do 1: OK"},
      {1, 2, "Zapis zestawu nastaw 1 do 2: OK"},
      {2, 2, "Zapis zestawu nastaw 2: OK"},
  };
  for (const auto& c : cases) {
    Memo.Lines.clear();
    Device.Requests.clear();
    ASSERT_TRUE(Kiv.WriteZestawNastaw(c.source, c.target));
    EXPECT_EQ(Memo.Lines, TLines{c.line});
    EXPECT_EQ(SimSet(c.target), c.source == 1 ? set1 : set2);
    ASSERT_EQ(Device.RequestCount(), 1u);
    EXPECT_EQ(Device.Requests[0][0], 16);
    EXPECT_EQ(Device.Requests[0][4], 119);
    EXPECT_FALSE(Kiv.IsWriting());
    EXPECT_FALSE(Link.Busy());
  }
  // Nothing to send, and invalid set numbers.
  Memo.Lines.clear();
  Device.Requests.clear();
  Kiv.SetZnsSize(2, 0);
  ASSERT_TRUE(Kiv.WriteZestawNastaw(2, 1));
  EXPECT_EQ(Memo.Lines, TLines{"Zapis zestawu nastaw 2 do 1: Zestaw 2 jest pusty - anulowanie zapisu"});
  EXPECT_FALSE(Kiv.WriteZestawNastaw(3, 1));
  EXPECT_FALSE(Kiv.WriteZestawNastaw(1, 0));
  EXPECT_EQ(Device.RequestCount(), 0u);
}

TEST_P(KivProtocol, WriteAnsweredWithAnotherFunction)
{
  ASSERT_TRUE(Kiv.ReadFromKIV());
  Memo.Lines.clear();
  Fault(simfault::Set1WriteRefused);
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  EXPECT_EQ(Device.FaultsPlayed(), 1u);
  EXPECT_EQ(Memo.Lines, TLines{"Zapis zestawu nastaw 1: Automat nie przyjął zestawu nastaw "_cp});
}

// A write cut short by a reply from another controller is not reported as accepted, even
// though that reply carried function 16: the chunks after it were never sent.
TEST_P(KivProtocol, WriteCutShortByAnotherAddressIsNotAccepted)
{
  StartWithSet1InThreeChunks();
  Memo.Lines.clear();
  Fault(simfault::Set1WriteFromAnotherAddress);
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  EXPECT_EQ(Device.FaultsPlayed(), 1u);
  if (Rtu()) {
    EXPECT_EQ(Device.RequestCount(), 1u);
    EXPECT_EQ(Memo.Lines.back(), "Zapis zestawu nastaw 1: Automat nie przyjął zestawu nastaw "_cp);
  } else {
    // TCP answers carry the request's address: the whole set goes.
    EXPECT_EQ(Device.RequestCount(), 3u);
    EXPECT_EQ(Memo.Lines.back(), "Zapis zestawu nastaw 1: OK");
  }
}

struct TChunkCase {
  const char* globals;
  uint16_t claimedLength;  // 0: what the read stored
  std::vector<uint8_t> chunks;
};

TEST_P(KivProtocol, WriteChunks)
{
  const TChunkCase cases[] = {
      {"ZNS_SEND_STEP=50", 0, {50, 50, 19}},
      {"ZNS_SEND_STEP=0", 0, {119}},
      {"ZNS_SEND_STEP=-5", 0, {119}},
      {"ZNS_SIZE=256\nZNS_SEND_STEP=125", 0, {123, 123, 10}},
      {"ZNS_SIZE=256\nZNS_SEND_STEP=0", 0, {123, 123, 10}},
      {"ZNS_SEND_STEP=125", 1000, {123, 123, 10}},  // a document that claims too much
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.globals);
    Start(c.globals);
    Kiv.SetKivType(1);
    for (size_t i = 0; i < 512; ++i)
      Kiv.GetZnsData(1)[i] = uint8_t(i ^ 0x5A);
    Kiv.SetZnsSize(1, c.claimedLength ? c.claimedLength : uint16_t(2 * Kiv.Defs().ZNS_SIZE));
    Device.Requests.clear();
    std::fill(Device.Sets.begin(), Device.Sets.end(), uint8_t(0));
    ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
    std::vector<uint8_t> counts;
    size_t registers = 0;
    uint16_t wire = 2176;
    for (const auto& r : Device.Requests) {
      ASSERT_EQ(r[0], 16);
      EXPECT_EQ((r[1] << 8) | r[2], wire);
      counts.push_back(r[4]);
      wire = uint16_t(wire + r[4]);
      registers += r[4];
    }
    EXPECT_EQ(counts, c.chunks);
    EXPECT_TRUE(std::equal(Kiv.GetZnsData(1), Kiv.GetZnsData(1) + 2 * registers, Device.Set(1).begin()));
  }
}

TEST_P(KivProtocol, CancelDoesNotCutASetWrite)
{
  StartWithSet1InThreeChunks();
  Device.OnRequest = [this](unsigned) { Kiv.Cancel(); };
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  EXPECT_EQ(Memo.Lines.back(), "Zapis zestawu nastaw 1: OK");
  EXPECT_EQ(Device.RequestCount(), 3u);
  EXPECT_TRUE(std::equal(Kiv.GetZnsData(1), Kiv.GetZnsData(1) + 238, Device.Set(1).begin()));
  EXPECT_FALSE(Kiv.Cancelled());
}

TEST_P(KivProtocol, SetSizeOutsideTheFieldSendsNothing)
{
  for (const char* globals : {"ZNS_SIZE=300", "ZNS_SIZE=0", "ZNS_SIZE=-1"}) {
    SCOPED_TRACE(globals);
    Start(globals);
    Memo.Lines.clear();
    Device.Requests.clear();
    PrefillSets();
    ASSERT_TRUE(Kiv.ReadFromKIV());
    // Nothing was sent, so nobody failed to answer; the read ends there.
    EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, BAD_SIZE_READ}));
    EXPECT_TRUE(Kiv.Aborted());
    ExpectSetUntouched(1, 0x11);
    ExpectSetUntouched(2, 0x22);
    Memo.Lines.clear();
    ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 2));
    EXPECT_EQ(Memo.Lines,
              (TLines{"Zapis zestawu nastaw 1 do 2: nie wysłano (nieprawidłowy rozmiar zestawu)"_cp}));
    EXPECT_TRUE(Kiv.Aborted());
    EXPECT_EQ(Device.RequestCount(), 1u);  // the identification only
  }
}

TEST_P(KivProtocol, UnknownModelReadsNoSet)
{
  Device.Ident = "X9";
  PrefillSets();
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines, (TLines{"Identyfikacja automatu:?", BAD_SIZE_READ}));
  EXPECT_TRUE(Kiv.Aborted());
  EXPECT_EQ(Kiv.GetIdent(), "X9");
  EXPECT_EQ(Kiv.GetKivType(), 0);
  ExpectSetUntouched(1, 0x11);
  ExpectSetUntouched(2, 0x22);
  EXPECT_EQ(Device.RequestCount(), 1u);
  // A write of that document is refused the same way.
  Memo.Lines.clear();
  Kiv.SetZnsSize(1, 238);
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  EXPECT_EQ(Memo.Lines, (TLines{"Zapis zestawu nastaw 1: nie wysłano (nieprawidłowy rozmiar zestawu)"_cp}));
  EXPECT_TRUE(Kiv.Aborted());
  EXPECT_EQ(Device.RequestCount(), 1u);
}

// A controller may answer its last event page with fewer registers than asked: those bytes
// are kept and the next page is asked for, without a retry.
TEST_P(KivProtocol, ShortEventPageIsKept)
{
  Device.Events.resize(600);
  Fault("short@page4003/5");  // page 3, padded to 250 bytes by the controller, comes 2 bytes short
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Device.FaultsPlayed(), 1u);
  EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, SET1_OK, SET2_OK, EvLine(748), "Znacznik końca"_cp}));
  EXPECT_FALSE(Kiv.Aborted());
  std::vector<uint8_t> want = Device.Events;
  want.resize(748);
  EXPECT_EQ(KivEvents(), want);
  // Pages 1 to 3 and the exception page after them: the short page was not asked again.
  EXPECT_EQ(Device.RequestCount(), 3u + 4u);
}

TEST_P(KivProtocol, EventRegisterStopsAtTheGatheringLimit)
{
  Start("EV_BUF_LAST_REG=4100");
  Device.Events.resize(12000);
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines.back(), EvLine(10250));
  EXPECT_EQ(Kiv.GetEvRegSize(), 10240);
  EXPECT_TRUE(std::equal(Device.Events.begin(), Device.Events.begin() + 10240, Kiv.GetEvRegData()));
  EXPECT_EQ(Device.RequestCount(), 3u + 41u);
}

TEST_P(KivProtocol, ShowAllEventsStopsAtTheEndMarker)
{
  TReadOptions o = Kiv.GetReadOptions();
  o[ReadOption::ShowAllEvents] = 1;
  Kiv.SetReadOptions(o);
  // A register of skip records only: the end marker sits in the third page.
  Device.Events.assign(2000, 0);
  for (size_t at = 0; at + 4 <= 600; at += 4) {
    Device.Events[at] = EventCode::Skip;
    Device.Events[at + 1] = 2;
  }
  Device.Events[600] = EventCode::Skip;
  Device.Events[601] = EventCode::SkipEndMarker;
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Kiv.GetEvRegSize(), 750);
  EXPECT_EQ(Device.RequestCount(), 3u + 3u);
}

TEST_P(KivProtocol, CancelWhileASetIsRead)
{
  PrefillSets();
  // The user presses cancel while set 2's request waits for its reply.
  Device.OnRequest = [this](unsigned index) {
    if (index == 2)
      Kiv.Cancel();
  };
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines,
            (TLines{IDENT_OK, SET1_OK, "Odczyt zestawu nastaw 2: Odczyt anulowany", "Odczyt anulowany"}));
  EXPECT_EQ(Events, "B1A");
  ExpectSetUntouched(2, 0x22);
  EXPECT_EQ(Kiv.GetEvRegSize(), 0);
}

TEST_P(KivProtocol, CancelBetweenSteps)
{
  Kiv.OnCompleteZestawNastaw1 = [](TKiv& k) { k.Cancel(); };
  ASSERT_TRUE(Kiv.ReadFromKIV());
  EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, SET1_OK, "Odczyt anulowany"}));
  EXPECT_EQ(Device.RequestCount(), 2u);
}

TEST_P(KivProtocol, OneBusyGuardForEveryDocument)
{
  TKiv other;
  other.SetLink(&Link);
  other.SetInstallDir(Defs->Path());
  TStringsMemo otherMemo;
  other.SetMessageMemo(&otherMemo);
  other.SetZnsSize(1, 238);
  int checks = 0;
  TCommSettings changed = Link.Settings();
  changed.TimeSilence = 1;
  // Each refusal says in the other document's memo that nothing was sent.
  const auto refusedEverywhere = [&] {
    ++checks;
    otherMemo.Lines.clear();
    EXPECT_TRUE(Link.Busy());
    EXPECT_FALSE(other.ReadFromKIV());
    EXPECT_FALSE(other.ReadEvReg());
    EXPECT_FALSE(other.WriteZestawNastaw(1, 2));
    EXPECT_FALSE(Link.SetSettings(changed));
    EXPECT_EQ(otherMemo.Lines, (TLines{"Identyfikacja automatu: nie wysłano (łącze zajęte)"_cp,
                                       "Odczyt rejestru zdarzeń: nie wysłano (łącze zajęte)"_cp,
                                       "Zapis zestawu nastaw 1 do 2: nie wysłano (łącze zajęte)"_cp}));
  };
  Kiv.OnCompleteZestawNastaw1 = [&](TKiv& k) {
    EXPECT_TRUE(k.IsReading());
    refusedEverywhere();
  };
  ASSERT_TRUE(Kiv.ReadFromKIV());
  // During a set write too, seen from the pump as a window's handler would be.
  Kiv.OnCompleteZestawNastaw1 = nullptr;
  bool sawWriting = false;
  Pump.OnPump = [&] {
    if (Kiv.IsWriting() && !sawWriting) {
      sawWriting = true;
      EXPECT_FALSE(Kiv.IsReading());
      refusedEverywhere();
    }
  };
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  Pump.OnPump = nullptr;
  EXPECT_TRUE(sawWriting);
  EXPECT_GE(checks, 2);
  EXPECT_FALSE(Link.Busy());
  EXPECT_TRUE(Link.SetSettings(changed));
  EXPECT_TRUE(other.ReadFromKIV());
}

// The document that holds the link cannot start a second read or a write inside its own
// (from a handler run by the pump): it would reuse the request frame of the one under way.
TEST_P(KivProtocol, NoSecondReadOrWriteInsideTheSameDocument)
{
  ASSERT_TRUE(Kiv.ReadFromKIV());
  Memo.Lines.clear();
  Device.Requests.clear();
  int tries = 0;
  bool nested = false;
  Pump.OnPump = [&] {
    if (nested || tries >= 3 || !Kiv.IsBusy())
      return;
    nested = true;
    ++tries;
    EXPECT_FALSE(Kiv.WriteZestawNastaw(1, 1));
    EXPECT_FALSE(Kiv.ReadFromKIV());
    EXPECT_FALSE(Kiv.ReadEvReg());
    nested = false;
  };
  ASSERT_TRUE(Kiv.ReadFromKIV());
  Pump.OnPump = nullptr;
  EXPECT_EQ(tries, 3);
  EXPECT_EQ(Memo.Lines, (TLines{IDENT_OK, SET1_OK, SET2_OK, EvLine(8000)}));
  EXPECT_EQ(Device.RequestCount(), 35u);
  for (const auto& r : Device.Requests)
    EXPECT_EQ(r[0], 3);
  EXPECT_EQ(KivEvents(), Device.Events);
}

TEST_P(KivProtocol, TracingDumpsFramesAndTypesProgressDots)
{
  Kiv.TraceMessages = true;
  Kiv.Identify();
  ASSERT_GE(Memo.Lines.size(), 6u);
  EXPECT_EQ(Memo.Lines[0], "Identyfikacja automatu:");
  EXPECT_EQ(Memo.Lines[1], "Send:");
  const std::span<const uint8_t> req = Kiv.Request();
  std::string dump;
  for (uint8_t b : req)
    dump += IntToHex(b, 2) + " ";
  EXPECT_EQ(Memo.Lines[2], dump);
  EXPECT_EQ(dump.substr(0, 18), "1F 03 0E 78 00 08 ");
  EXPECT_EQ(Memo.Lines[3], "Receive:");
  EXPECT_EQ(Memo.Lines[4].size(), 16u * 3);  // 21 bytes: 16 on the first line
  EXPECT_EQ(Memo.Lines[5].size(), 5u * 3);
  EXPECT_EQ(Memo.Lines[6], IDENT_OK);  // the provisional line stays

  // A write of three chunks: each dot joins the last line, which is a dump line here.
  Start("ZNS_SEND_STEP=50");
  Kiv.TraceMessages = true;
  Kiv.SetKivType(1);
  Kiv.SetZnsSize(1, 238);
  Memo.Lines.clear();
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  int dots = 0;
  for (const auto& l : Memo.Lines)
    if (!l.empty() && l.back() == '.')
      ++dots;
  EXPECT_EQ(dots, 3);
  EXPECT_EQ(Memo.Lines.back(), "Zapis zestawu nastaw 1: OK");

  // Without tracing the dots sit on the provisional line and go with it.
  Kiv.TraceMessages = false;
  Memo.Lines.clear();
  ASSERT_TRUE(Kiv.WriteZestawNastaw(1, 1));
  EXPECT_EQ(Memo.Lines, TLines{"Zapis zestawu nastaw 1: OK"});
}

INSTANTIATE_TEST_SUITE_P(Transports, KivProtocol, ::testing::Values(TTransport::Rtu, TTransport::Tcp),
                         TransportName);

// --- Without a link ---------------------------------------------------------------------

TEST(KivProtocolMemo, TrimmingRule)
{
  TKiv kiv;
  kiv.AddMessage("nobody listens");  // no memo: nothing happens
  TStringsMemo memo;
  kiv.SetMessageMemo(&memo);
  struct TCase {
    size_t before, after;
  };
  const TCase cases[] = {{0, 1}, {1999, 2000}, {2000, 2001}, {2001, 1000}, {5000, 1000}};
  for (const auto& c : cases) {
    memo.Lines.clear();
    for (size_t i = 0; i < c.before; ++i)
      memo.Lines.push_back(std::to_string(i));
    kiv.AddMessage("new");
    EXPECT_EQ(memo.Lines.size(), c.after) << c.before;
    EXPECT_EQ(memo.Lines.back(), "new");
    if (c.before > 2000) {
      EXPECT_EQ(memo.Lines.front(), std::to_string(c.before - 999));
    }
  }
  memo.Lines.clear();
  kiv.DeleteLastMessage();
  EXPECT_TRUE(memo.Lines.empty());
  memo.TypeAtEnd(".");
  EXPECT_EQ(memo.Lines, TLines{"."});
}

TEST(KivProtocolMemo, NoLinkNoRead)
{
  TKiv kiv;
  TStringsMemo memo;
  kiv.SetMessageMemo(&memo);
  int fired = 0;
  kiv.OnCompleteAll = [&](TKiv&) { ++fired; };
  EXPECT_FALSE(kiv.ReadFromKIV());
  EXPECT_FALSE(kiv.WriteZestawNastaw(1, 1));
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(memo.Lines.empty());
}

struct TEndCase {
  const char* name;
  std::vector<uint8_t> data;
  bool end;
};

TEST(KivProtocolEvReg, EndOfRegister)
{
  TKiv kiv;
  kiv.SetKivType(1);
  const auto table = std::span<const uint8_t, EVENT_KIND_TABLE_SIZE>(kiv.EventKinds());
  // A defined plain code and an undefined one, found in the model's table.
  uint8_t plain = 0, undefined = 0;
  size_t plainLength = 0;
  for (int c = 0; c < 256; ++c) {
    const uint8_t code = uint8_t(c);
    if (!plainLength && EvLength(table, code) >= 2 && EvKind(table, code) != EventDecoderKind::Skip) {
      plain = code;
      plainLength = EvLength(table, code);
    }
    if (!undefined && EvLength(table, code) == 0)
      undefined = code;
  }
  ASSERT_GT(plainLength, 0u);
  ASSERT_NE(undefined, 0);
  std::vector<uint8_t> twoPlain(2 * plainLength, 0);
  twoPlain[0] = plain;
  twoPlain[plainLength] = plain;
  std::vector<uint8_t> plainThenUndefined(plainLength + 2, 0);
  plainThenUndefined[0] = plain;
  plainThenUndefined[plainLength] = undefined;
  const TEndCase cases[] = {
      {"empty", {}, false},
      {"undefined code", {undefined, 0}, true},
      {"undefined code alone", {undefined}, true},
      {"end marker", {EventCode::Skip, EventCode::SkipEndMarker, 0}, true},
      {"end marker at the very end", {EventCode::Skip, EventCode::SkipEndMarker}, false},
      {"skip then end marker",
       {EventCode::Skip, 1, 0xAA, EventCode::Skip, EventCode::SkipEndMarker, 0},
       true},
      {"skip past the data", {EventCode::Skip, 200, 0, 0}, false},
      {"records that fill the data", twoPlain, false},
      {"record, then an undefined code", plainThenUndefined, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(kiv.EvRegHasEnd(c.data), c.end) << c.name;
}

}  // namespace
