#include "ternik/DataFileParsersUnitNeb1.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/Prompts.h"
#include "tests/ternik/RecorderFixture.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {

// One record: moment 2019-05-07 08:09:10.250, delay 40 ms, sample k with A = 2048 + k and
// word B as given (12-bit value plus signal bits).
std::string Record(const std::string& name = "NEB 1", uint16_t wordB0 = 2048 + 100,
                   uint16_t wordB1 = 2048 + 40, bool badSum = false)
{
  TFixture r(false, Neb1RecordSize);
  r.U16(2, uint16_t((2019 - 1980) << 9 | 5 << 5 | 7))
      .U16(4, uint16_t(8 << 6 | 9))
      .U16(6, uint16_t(10 << 10 | 250));
  r.Text(8, name).U16(56, 16384).U16(58, 32768).U16(66, 12).U16(88, 40);
  for (size_t k = 0; k < 1000; ++k) {
    r.U16(90 + 4 * k, uint16_t((2048 + k % 1000) & 0xFFF) | (k == 5 ? 0xF000 : 0));
    r.U16(92 + 4 * k, k == 0 ? wordB0 : (k == 1 ? wordB1 : uint16_t(2048 | (k == 6 ? 0xA000 : 0))));
  }
  r.U16(Neb1ChecksumOffset, uint16_t(Neb1Checksum(r.Bytes) + (badSum ? 1 : 0)));
  return r.Bytes;
}

struct TPromptScope {
  TScriptedPrompts Prompts;
  TPromptScope() { SetPrompts(&Prompts); }
  ~TPromptScope() { SetPrompts(nullptr); }
};

void Load(TComtrade& rec, const std::string& bytes, const std::string& option = "")
{
  Neb1Interface().LoadFromStreams(rec, {"x_zkl.dat"}, option, OneStream(bytes), {});
}

TEST(Neb1Interface, CanLoadChecksEveryCompleteRecord)
{
  struct TCase {
    std::string Bytes;
    bool Can;
  } cases[] = {{"", true},
               {Record(), true},
               {Record() + Record("B"), true},
               {Record() + Record("B", 1, 1, true), false},
               {Record().substr(0, 4091), true},
               {Record() + "tail", true}};
  for (const TCase& c : cases) {
    TMemoryStream s(c.Bytes);
    EXPECT_EQ(Neb1Interface().CanLoad(s, {}), c.Can);
  }
  EXPECT_EQ(Neb1Interface().InterfaceName(), "NEB1");
  EXPECT_EQ(Neb1Interface().Description(), "Plik NEB-1");
  EXPECT_EQ(Neb1Interface().FileMask(), "*zkl.dat");
}

TEST(Neb1Interface, OneRecordLoadsWithoutAsking)
{
  TPromptScope p;
  TComtrade rec;
  std::string name = "A B";
  name += '\0';
  name += "C~\x7f";
  Load(rec, Record(name));
  EXPECT_TRUE(p.Prompts.Records.empty());
  EXPECT_EQ(rec.FileParam.StationName, "Nazwa= A.B.C~.........., Ns=12");
  EXPECT_EQ(rec.FileParam.RecordingDeviceId, "Neb1");
  EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "07/05/2019,08:09:10.250000");
  EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "07/05/2019,08:09:10.290000");
  EXPECT_EQ(rec.FileParam.TimeMultiplier, 1000.0);
  EXPECT_EQ(rec.Rates->GetItem(0).Rate, 1000.0);
  EXPECT_EQ(rec.GetSampleCount(), 1000);
  ASSERT_EQ(rec.Analogs->Count(), 3);
  const TAnalogDescr& uo = rec.Analogs->Items(0);
  EXPECT_EQ(uo.ChannelId, "Uo");
  EXPECT_DOUBLE_EQ(uo.A, 0.5 * 0.08537109375);
  EXPECT_DOUBLE_EQ(uo.Primary, 200.0);
  EXPECT_EQ(uo.RangeMin, -2047);
  EXPECT_EQ(uo.GetRawSample(3), 3);
  EXPECT_EQ(uo.PenColor, 0xFF0000);
  const TAnalogDescr& sio = rec.Analogs->Items(1);
  EXPECT_EQ(sio.Component, "Całka Io"_cp);
  EXPECT_DOUBLE_EQ(sio.A, 0.419970703125);
  EXPECT_EQ(sio.GetRawSample(0), 100);
  EXPECT_EQ(sio.PenColor, 0x800080);
  const TAnalogDescr& io = rec.Analogs->Items(2);
  EXPECT_EQ(io.GetRawSample(0), 0);
  EXPECT_EQ(io.GetRawSample(1), 0);
  EXPECT_EQ(io.GetRawSample(2), 192);  // round((60 x 8 + 40) x 0.37)
  EXPECT_EQ(io.GetRawSample(3), 118);  // round(((40 - 0) x 8 + 0) x 0.37) from samples 1 and 2
  ASSERT_EQ(rec.Statuses->Count(), 8);
  EXPECT_EQ(rec.Statuses->Items(0).ChannelId, "Wyl");
  EXPECT_EQ(rec.Statuses->Items(0).Component, "Wyłączenie"_cp);
  EXPECT_EQ(rec.Statuses->Items(5).Component, "Pobudzenie w torze kierunkowo-prądowym"_cp);
  for (int32_t i = 0; i < 4; ++i)
    EXPECT_EQ(rec.Statuses->Items(i).GetSample(5), 1) << i;
  EXPECT_EQ(rec.Statuses->Items(0).GetSample(4), 0);
  // Word B 0xA000 at sample 6: bits 13 and 15.
  const int expected[] = {0, 1, 0, 1};
  for (int32_t i = 0; i < 4; ++i)
    EXPECT_EQ(rec.Statuses->Items(4 + i).GetSample(6), expected[i]) << i;
}

TEST(Neb1Interface, IoIsLimited)
{
  TComtrade rec;
  Load(rec, Record("X", 4095, 0));  // (2047 - (-2048)) x 8 - 2048 = 30712 -> 11363 -> 4095
  EXPECT_EQ(rec.Analogs->Items(2).GetRawSample(2), 4095);
}

TEST(Neb1Interface, RecordChoiceThroughPrompts)
{
  const std::string two = Record("FIRST") + Record("SECOND");
  struct TCase {
    std::string Option;
    std::vector<std::optional<std::string>> Answers;
    std::string Station;  // empty: nothing loaded
  } cases[] = {
      {"", {std::string("2")}, "Nazwa= SECOND.........., Ns=12"},
      {"", {std::string("3")}, ""},
      {"", {std::string("0")}, ""},
      {"", {std::string("-1")}, ""},
      {"", {std::string("x")}, ""},
      {"", {std::nullopt}, ""},
      {"1", {}, "Nazwa= FIRST..........., Ns=12"},
      {"7", {}, ""},
  };
  for (const TCase& c : cases) {
    TPromptScope p;
    for (const auto& a : c.Answers)
      p.Prompts.Inputs.push_back(a);
    TComtrade rec;
    rec.FileParam.StationName = "";
    Load(rec, two, c.Option);
    EXPECT_EQ(rec.FileParam.StationName, c.Station);
    EXPECT_EQ(rec.Analogs->Count(), c.Station.empty() ? 0 : 3);
    if (c.Option.empty()) {
      ASSERT_EQ(p.Prompts.Records.size(), 1u);
      EXPECT_EQ(p.Prompts.Records[0].Caption, "Neb1");
      EXPECT_EQ(p.Prompts.Records[0].Text, "W pliku jest 2 rejestracji. podaj numer wybranej:");
    } else {
      EXPECT_TRUE(p.Prompts.Records.empty());
    }
  }
}

TEST(Neb1Interface, UnusableRecordsLeaveTheRecordingAsItWas)
{
  TFixture badDate;
  badDate.Append(Record()).U16(2, 0x01FF);  // day 31 of month 15
  badDate.U16(Neb1ChecksumOffset, Neb1Checksum(badDate.Bytes));
  for (const std::string& bytes : {Record().substr(0, 4091), Record("B", 1, 1, true), std::string()}) {
    TComtrade rec;
    rec.FileParam.StationName = "kept";
    Load(rec, bytes);
    EXPECT_EQ(rec.FileParam.StationName, "kept");
  }
  TComtrade rec;
  Load(rec, badDate.Bytes);
  EXPECT_EQ(rec.FileParam.GetStartTime(), 0.0);
  EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "30/12/1899,00:00:00.040000");
}

TEST(Neb1Interface, SavesAsComtradeAndLoadsBack)
{
  TComtrade rec;
  Load(rec, Record());
  ExpectComtradeRoundTrip(rec);
}

TEST(Neb1Interface, LoadsTheSeedFile)
{
  const std::string bytes =
      ReadBytes(std::string(KIV_SOURCE_DIR) + "/tests/fuzz/seeds/fuzz_neb1/one_record").substr(2);
  TComtrade rec;
  Load(rec, bytes);
  EXPECT_EQ(rec.FileParam.StationName, "Nazwa= NEB.1..........., Ns=0");
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(49), 49);
  EXPECT_EQ(rec.Statuses->Items(4).GetSample(3), 1);
}

}  // namespace
