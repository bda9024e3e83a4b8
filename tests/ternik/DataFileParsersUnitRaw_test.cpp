#include "ternik/DataFileParsersUnitRaw.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "platform/Codepage.h"
#include "tests/ternik/RecorderFixture.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {

// A recording as its configuration leaves it: channels, one rate segment, the declared count.
void Declare(TComtrade& rec, std::vector<int32_t> analogNumbers, std::vector<int32_t> statusNumbers,
             int64_t end, double rate)
{
  for (int32_t n : analogNumbers)
    rec.Analogs->AddChannel(MemoryFormatRaw).Number = n;
  for (int32_t n : statusNumbers)
    rec.Statuses->AddChannel().Number = n;
  TRateDescr& r = rec.Rates->AddRate();
  r.Rate = rate;
  r.SetEndSample(end);
  rec.SetSampleCount(int32_t(end));
}

struct TEnv {
  explicit TEnv(const char* value)
  {
    if (value)
      ::setenv("KIVSSN_CMTRDEBUG", value, 1);
    else
      ::unsetenv("KIVSSN_CMTRDEBUG");
  }
  ~TEnv() { ::unsetenv("KIVSSN_CMTRDEBUG"); }
};

// Packets of big-endian words, one per sample: the analog words, then one status word per
// card. Bit 0 of the first word is the synchronisation flag; it is clear in every other word.
std::string Packets(size_t count, const std::vector<uint16_t>& words)
{
  TFixture f(true);
  for (size_t p = 0; p < count; ++p) {
    const size_t o = f.End();
    for (size_t i = 0; i < words.size(); ++i)
      f.U16(o + 2 * i, i == 0 ? uint16_t(words[i] | 1) : uint16_t(words[i] & ~1u));
  }
  return f.Bytes;
}

void Load(const TComtradeDataFileParser& p, TComtrade& rec, const std::string& bytes, THookLog& log,
          const std::string& name = "/rec/fault.dat")
{
  TStreamArray s;
  s.push_back(std::make_unique<TMemoryStream>(".cfg"));
  s.push_back(std::make_unique<TMemoryStream>(bytes));
  p.LoadDataFromStream(rec, {"/rec/fault.cfg", name}, s, log.Hook());
}

// SLOW_RAW frames: '#', a counter, then A big-endian values.
std::string Frames(size_t count, size_t analogs, uint8_t counter0 = 0)
{
  TFixture f(true);
  for (size_t k = 0; k < count; ++k) {
    const size_t o = f.End();
    f.U8(o, '#').U8(o + 1, uint8_t(counter0 + k));
    for (size_t i = 0; i < analogs; ++i)
      f.I16(o + 2 + 2 * i, int16_t(100 * i + k - 5));
  }
  return f.Bytes;
}

TEST(MvkRaw, NamesAndCapabilities)
{
  EXPECT_EQ(MV70OPFaultDataFileParser().ParserName(), "MVK_RAW");
  EXPECT_EQ(MV70OPTrendDataFileParser().ParserName(), "SLOW_RAW");
  EXPECT_EQ(MV70OPFaultDataFileParser().Capabilities(), 1);
  EXPECT_EQ(MV70OPTrendDataFileParser().Capabilities(), 1);
  TComtrade rec;
  TStreamArray none;
  EXPECT_EQ(ErrorOf([&] { MV70OPFaultDataFileParser().LoadDataFromStream(rec, {"a.cfg"}, none, {}); }),
            "TMV70OPFaultDataFileParser.LoadDataFromStream: brak pliku dat");
  EXPECT_EQ(ErrorOf([&] { MV70OPTrendDataFileParser().LoadDataFromStream(rec, {}, none, {}); }),
            "TMV70OPTrendDataFileParser.LoadDataFromStream: brak pliku dat");
  EXPECT_NE(
      ErrorOf([&] { MV70OPFaultDataFileParser().SaveDataToStream(rec, {}, false, false, none, 0, 0, {}); }),
      "");
}

TEST(MvkRaw, PacketOrderAndStatusCards)
{
  TEnv env(nullptr);
  TComtrade rec;
  // Analog channels 1, 2 and 7: the packet holds 1, 7, 2. Status cards 1 and 3.
  Declare(rec, {1, 2, 7}, {101, 305, 315}, 50, 1000);
  // words: a1, a7, a2, card 1, card 3
  const std::string bytes = Packets(50, {101, 700, 200, 0x0002, 0x0020});
  THookLog log;
  Load(MV70OPFaultDataFileParser(), rec, bytes, log);
  EXPECT_TRUE(log.Texts.empty());
  ASSERT_EQ(rec.GetSampleCount(), 50);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(7), 101);
  EXPECT_EQ(rec.Analogs->Items(1).GetRawSample(7), 200);
  EXPECT_EQ(rec.Analogs->Items(2).GetRawSample(7), 700);
  EXPECT_EQ(rec.Statuses->Items(0).GetSample(3), 1);  // 101: bit 1 of card 1
  EXPECT_EQ(rec.Statuses->Items(1).GetSample(3), 1);  // 305: mask 0x20 of the second word
  EXPECT_EQ(rec.Statuses->Items(2).GetSample(3), 0);
}

TEST(MvkRaw, TruncationAndItsReports)
{
  struct TCase {
    size_t Packets;
    bool Interrupted;
    const char* Debug;
    int32_t Samples;
    std::vector<std::string> Texts;
  } cases[] = {
      {997, false, nullptr, 997, {}},
      {995, false, nullptr, 995, {"fault: uszkodzony plik danych. Obcięcie z 1.000[s] do 0.995[s]\\e"_cp}},
      {995, true, "0", 995, {"fault: przerwana rejestracja. Obcięcie z 1.000[s] do 0.995[s]\\e"_cp}},
      {1005, false, nullptr, 1000, {}},
      {1000, false, "1", 1000, {"Podsumowanie PrbCnt=1000 PktLen=2\\e"}},
  };
  for (const TCase& c : cases) {
    TEnv env(c.Debug);
    TComtrade rec;
    Declare(rec, {1}, {}, 1000, 1000);
    if (c.Interrupted)
      rec.Inf.WriteString("Velmarsk RecAttribs", "Interrupted", "1");
    THookLog log;
    Load(MV70OPFaultDataFileParser(), rec, Packets(c.Packets, {0x0011, 0}), log);
    EXPECT_EQ(rec.GetSampleCount(), c.Samples) << c.Packets;
    EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), c.Samples);
    EXPECT_EQ(log.Texts, c.Texts);
  }
}

// Nothing read: no sample at all (none at initial values), and the one segment, at its rate,
// ends at 0. Both parsers, silently, except where the start of SLOW_RAW data is not found.
TEST(RawParsers, StreamsWithNothingReadLeaveNoSamples)
{
  TEnv env(nullptr);
  struct TCase {
    const char* Name;
    const TComtradeDataFileParser* Parser;
    std::string Bytes;
    std::vector<std::string> Texts;
  } cases[] = {
      {"MVK_RAW of 39 words", &MV70OPFaultDataFileParser(), Packets(19, {1, 0}) + std::string(2, '\0'), {}},
      {"MVK_RAW whose first sync word comes too late",
       &MV70OPFaultDataFileParser(),
       std::string(200, '\0'),
       {}},
      {"MVK_RAW with one sync word only",
       &MV70OPFaultDataFileParser(),
       Packets(1, {1}) + std::string(100, '\0'),
       {}},
      {"SLOW_RAW of 29 frames", &MV70OPTrendDataFileParser(), Frames(29, 2) + std::string(5, '#'), {}},
      {"SLOW_RAW without a # frame",
       &MV70OPTrendDataFileParser(),
       std::string(300, '\x23'),
       {"Niepoprawny plik *.DAT ."}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TComtrade rec;
    Declare(rec, {1, 2}, {101}, 200, 1000);
    ASSERT_EQ(rec.GetSampleCount(), 200);  // sized by an earlier use
    THookLog log;
    Load(*c.Parser, rec, c.Bytes, log);
    EXPECT_EQ(log.Texts, c.Texts);
    EXPECT_EQ(rec.GetSampleCount(), 0);
    EXPECT_EQ(rec.Analogs->Items(0).SampleCount(), 0);
    EXPECT_EQ(rec.Statuses->Items(0).SampleCount(), 0);
    EXPECT_TRUE(rec.Rates->Times().empty());
    ASSERT_EQ(rec.Rates->SegmentCount(), 1);
    EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), 0);
    EXPECT_EQ(rec.Rates->GetItem(0).Rate, 1000);
  }
}

TEST(MvkRaw, DamagedPacketAtDebugLevels)
{
  // 30 packets of 3 words (two analog words, one card); packet 10 has bit 0 set in its last
  // word, two words after its first.
  std::string bytes = Packets(30, {0x0101, 0x0200, 0x0002});
  bytes[10 * 6 + 5] = 0x03;
  for (const char* level : {"0", "1"}) {
    TEnv env(level);
    TComtrade rec;
    Declare(rec, {1, 2}, {101}, 30, 100);
    THookLog log;
    Load(MV70OPFaultDataFileParser(), rec, bytes, log);
    if (level[0] == '0') {
      // The damaged packet stays as a sample; reading resynchronises on the next packet.
      EXPECT_EQ(rec.GetSampleCount(), 30);
      EXPECT_TRUE(log.Texts.empty());
      EXPECT_EQ(rec.Statuses->Items(0).GetSample(10), 1);
    } else {
      // Two marker samples follow the damaged one; the recording keeps its declared 30.
      EXPECT_EQ(rec.GetSampleCount(), 30);
      ASSERT_EQ(log.Texts.size(), 2u);
      EXPECT_EQ(log.Texts[0], "Uszkodzenie PrbNr=13 PktLen=2/3 FileOffset=78:0x4E:43.3%\\e");
      EXPECT_EQ(log.Texts[1], "Podsumowanie PrbCnt=30 PktLen=3\\e");
      EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(11), -30000);
      EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(12), 30000);
      EXPECT_EQ(rec.Statuses->Items(0).GetSample(11), 0);
      EXPECT_EQ(rec.Statuses->Items(0).GetSample(12), 1);
    }
  }
}

TEST(MvkRaw, LostSynchronisationKeepsThePacketsRead)
{
  TEnv env(nullptr);
  // 50 good packets, then 60 words without a synchronisation word: the first two of them read
  // as one more (damaged) packet, then no synchronisation word is found again.
  const std::string bytes = Packets(50, {0x0005, 0}) + std::string(120, '\0');
  TComtrade rec;
  Declare(rec, {1}, {}, 200, 100);
  THookLog log;
  Load(MV70OPFaultDataFileParser(), rec, bytes, log);
  EXPECT_EQ(rec.GetSampleCount(), 51);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(49), 5);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(50), 0);
  ASSERT_EQ(log.Texts.size(), 1u);
  EXPECT_EQ(log.Texts[0], "fault: uszkodzony plik danych. Obcięcie z 2.000[s] do 0.510[s]\\e"_cp);
}

TEST(MvkRaw, IncompleteTrailingPacketAndShortPacketsAndZeroRate)
{
  TEnv env(nullptr);
  TComtrade rec;
  // Packets of 2 words, but the configuration names three analog channels and a card: the
  // words a packet lacks read as 0. Channels outside cards 1..12 or bits 1..15 get nothing.
  Declare(rec, {1, 2, 3}, {1301, 100, 116}, 40, 0);
  const std::string bytes = Packets(40, {0x0009, 0}) + std::string("\x00\x01", 2);
  THookLog log;
  Load(MV70OPFaultDataFileParser(), rec, bytes, log);
  EXPECT_EQ(rec.GetSampleCount(), 40);  // the one-word tail is no sample
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(39), 9);
  EXPECT_EQ(rec.Analogs->Items(1).GetRawSample(39), 0);
  // A recording without a rate is reported as damaged, with no division by it.
  ASSERT_EQ(log.Texts.size(), 1u);
  EXPECT_EQ(log.Texts[0], "fault: uszkodzony plik danych. Obcięcie z 0.000[s] do 0.000[s]\\e"_cp);
}

TEST(SlowRaw, StartSearchCountersAndTruncation)
{
  struct TCase {
    std::string Bytes;
    int64_t Declared;
    int32_t Samples;
    int16_t FirstValue;
    std::vector<std::string> Texts;
  } cases[] = {
      {Frames(40, 2, 250), 40, 40, -5, {}},                   // the counter wraps 255 -> 0
      {std::string(2, 'x') + Frames(40, 2), 40, 40, -5, {}},  // found at word offset 1
      {Frames(30, 2) + std::string(50, '\x55'),
       100,
       30,
       -5,
       {"Uszkodzony plik danych. Obcięcie z 1.000[s] do 0.300[s]\\e"_cp}},
      {Frames(35, 2) + std::string(5, '#'), 37, 35, -5, {}},  // 2 short: no report
      {Frames(40, 2), 30, 40, -5, {}},                        // more than declared
  };
  for (const TCase& c : cases) {
    TComtrade rec;
    Declare(rec, {1, 2}, {}, c.Declared, 100);
    THookLog log;
    Load(MV70OPTrendDataFileParser(), rec, c.Bytes, log);
    EXPECT_EQ(rec.GetSampleCount(), c.Samples);
    EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), c.Samples);
    EXPECT_EQ(rec.Rates->Times().size(), size_t(c.Samples));
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(0), c.FirstValue);
    EXPECT_EQ(log.Texts, c.Texts);
  }
}

TEST(SlowRaw, ZeroRateIsReportedAsDamage)
{
  TComtrade rec;
  Declare(rec, {1}, {}, 35, 0);
  THookLog log;
  Load(MV70OPTrendDataFileParser(), rec, Frames(35, 1), log);
  EXPECT_EQ(rec.GetSampleCount(), 35);
  ASSERT_EQ(log.Texts.size(), 1u);
  EXPECT_EQ(log.Texts[0], "Uszkodzony plik danych. Obcięcie z 0.000[s] do 0.000[s]\\e"_cp);
}

TEST(DatRec, ValidAndFill)
{
  TDatRec r(4);
  EXPECT_FALSE(r.Valid());
  r.Words = {1, 2, 4, 0};
  EXPECT_TRUE(r.Valid());
  r.Words[3] = 3;
  EXPECT_FALSE(r.Valid());
  EXPECT_TRUE(TDatRec(0).Valid());
  r.Fill(false, 2);
  EXPECT_EQ(r.Words, (std::vector<uint16_t>{uint16_t(-30000), uint16_t(-30000), 0, 0}));
  r.Fill(true, 1);
  EXPECT_EQ(r.Words, (std::vector<uint16_t>{30000, 0xFFFF, 0xFFFF, 0xFFFF}));
}

// A COMTRADE set whose configuration names the raw formats loads through the COMTRADE
// interface with the parsers registered at start-up, and its damage report reaches the hook.
TEST(MvkRaw, LoadsThroughTheComtradeInterface)
{
  TEnv env(nullptr);
  TLibraryScope library;
  const auto cfg = [](const char* end, const char* keyword) {
    return std::string("Stacja,MV70,1999\r\n2,1A,1D\r\n1,U1,,,kV,0.01,0,0,-32768,32767,1,1,S\r\n101,CB,,,"
                       "0\r\n50\r\n1\r\n") +
           "1000," + end + "\r\n01/02/2020,10:00:00.000000\r\n01/02/2020,10:00:00.050000\r\n" + keyword +
           "\r\n1000\r\n";
  };
  struct TCase {
    const char* Name;
    std::string Cfg;
    std::string Dat;
    int32_t Samples;
    int16_t LastValue;
    std::vector<std::string> Texts;  // the first reports
  } cases[] = {
      {"60 of 100 packets",
       cfg("100", "MVK_RAW"),
       Packets(60, {0x0101, 0x0002}),
       60,
       0x0101,
       {"rec: uszkodzony plik danych. Obcięcie z 0.100[s] do 0.060[s]\\e"_cp}},
      // Every declared sample held: the times come from the rate.
      {"100 of 100 packets", cfg("100", "MVK_RAW"), Packets(100, {0x0101, 0x0002}), 100, 0x0101, {}},
      // Far more declared than any buffer could hold: the packets held load, the report gives
      // both durations, and no buffer follows the declaration.
      {"100 of 2,000,000,000 packets",
       cfg("2000000000", "MVK_RAW"),
       Packets(100, {0x0101, 0x0002}),
       100,
       0x0101,
       {"rec: uszkodzony plik danych. Obcięcie z 2000000.000[s] do 0.100[s]\\e"_cp}},
      {"SLOW_RAW, 100 of 100 frames", cfg("100", "SLOW_RAW"), Frames(100, 1), 100, 94, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TStreamArray streams;
    streams.push_back(std::make_unique<TMemoryStream>(c.Cfg));
    streams.push_back(std::make_unique<TMemoryStream>(c.Dat));
    TComtrade rec;
    THookLog log;
    ComtradeInterface().LoadFromStreams(rec, {"/r/rec.cfg", "/r/rec.dat"}, "", streams, log.Hook());
    ASSERT_EQ(rec.GetSampleCount(), c.Samples);
    EXPECT_EQ(rec.Rates->TotalSamples64(), c.Samples);
    EXPECT_LE(rec.Rates->Times().capacity(), size_t(c.Samples));
    EXPECT_DOUBLE_EQ(rec.Rates->GetTime(c.Samples - 1), (c.Samples - 1) / 1000.0);
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(c.Samples - 1), c.LastValue);
    // SLOW_RAW carries no status channels.
    EXPECT_EQ(rec.Statuses->Items(0).GetSample(c.Samples - 1),
              c.Cfg.find("MVK_RAW") != std::string::npos ? 1 : 0);
    const std::vector<std::string> first(log.Texts.begin(),
                                         log.Texts.begin() + std::min(log.Texts.size(), c.Texts.size()));
    EXPECT_EQ(first, c.Texts);
    if (c.Texts.empty()) {
      EXPECT_TRUE(log.Texts.empty());
    }
  }
}

}  // namespace
