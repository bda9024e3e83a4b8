#include "ternik/DataFileParsersUnitLx2.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "tests/ternik/RecorderFixture.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {

struct TLx2File {
  uint16_t First = 3, Last = 5, Word26 = 16;
  uint32_t Rate = 3000, Samples = 20, Trigger = 1609459200 + 3661;  // 2021-01-01 01:01:01
  uint32_t Kind = 1;
  std::string Station = "Stacja";
  size_t Frames = 20;
  int BadFlagChannel = -1;
};

std::string Build(const TLx2File& f)
{
  TFixture h(false, Lx2HeaderSize);
  h.U16(0, f.First).U16(2, f.Last).U32(4, f.Rate).U32(8, f.Samples).U32(16, f.Trigger).U32(24, f.Kind);
  h.U16(26, f.Word26).Text(1728, f.Station);
  for (size_t c = 0; c < 16; ++c) {
    const size_t o = 28 + 106 * c;
    h.F32(o, float(100 * (c + 1)));
    h.Text(o + 20, c == 4 ? "[A]" : (c == 3 ? "V" : "Hz"))
        .Text(o + 60, "Kanał "_cp + std::string(1, char('A' + c)));
    h.U16(o + 12, 1).U16(o + 102, 1);
    if (int(c) == f.BadFlagChannel)
      h.U16(o + 100, 2);
  }
  const size_t n = size_t(f.Last - f.First) + 1;
  for (size_t i = 0; i < f.Frames; ++i)
    for (size_t k = 0; k < n; ++k)
      h.U16(h.End(), uint16_t(0x8000 + 10 * i + k));
  return h.Bytes;
}

std::string LoadError(const std::string& bytes, TComtrade& rec)
{
  return ErrorOf([&] { Lx2Interface().LoadFromStreams(rec, {"a.bin"}, "", OneStream(bytes), {}); });
}

TEST(Lx2Interface, CanLoadChecksTheHeader)
{
  TLx2File ok;
  TLx2File first16 = ok;
  first16.First = 16;
  first16.Last = 16;
  TLx2File reversed = ok;
  reversed.Last = 2;
  TLx2File kind = ok;
  kind.Kind = 2;
  TLx2File kindZero = ok;
  kindZero.Kind = 0;
  TLx2File w26 = ok;
  w26.Word26 = 17;
  TLx2File flag = ok;
  flag.BadFlagChannel = 9;
  struct TCase {
    std::string Bytes;
    bool Can;
  } cases[] = {{Build(ok), true},    {Build(first16), false},           {Build(reversed), false},
               {Build(kind), false}, {Build(kindZero), true},           {Build(w26), false},
               {Build(flag), false}, {Build(ok).substr(0, 1827), false}};
  for (const TCase& c : cases) {
    TMemoryStream s(c.Bytes);
    EXPECT_EQ(Lx2Interface().CanLoad(s, {}), c.Can);
  }
  EXPECT_EQ(Lx2Interface().Description(), "Rejestrator przenośny LX2"_cp);
  EXPECT_EQ(Lx2Interface().FileMask(), "*.bin");
}

TEST(Lx2Interface, LoadsChannelsFirstToLast)
{
  TLx2File f;
  TComtrade rec;
  Lx2Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
  EXPECT_EQ(rec.FileParam.StationName, "Stacja");
  EXPECT_EQ(rec.FileParam.RecordingDeviceId, "LX2");
  EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "01/01/2021,01:01:01.000000");
  EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "01/01/2021,01:01:01.000000");
  EXPECT_EQ(rec.Rates->GetItem(0).Rate, 1000.0);  // a third of the header's rate
  EXPECT_EQ(rec.FileParam.TimeMultiplier, 1000.0);
  EXPECT_EQ(rec.GetSampleCount(), 20);
  ASSERT_EQ(rec.Analogs->Count(), 3);
  const char* ids[] = {"WE_4", "WE_5", "WE_6"};
  const int32_t colours[] = {0xFF0000, 0xFF, 0};  // "V", "[A]", "Hz"
  for (int32_t k = 0; k < 3; ++k) {
    const TAnalogDescr& d = rec.Analogs->Items(k);
    EXPECT_EQ(d.ChannelId, ids[k]);
    EXPECT_EQ(d.Component, "Kanał "_cp + std::string(1, char('D' + k)));
    EXPECT_DOUBLE_EQ(d.Primary, 100.0 * (k + 4));
    EXPECT_DOUBLE_EQ(d.Secondary, 100.0 * (k + 4));
    EXPECT_DOUBLE_EQ(d.A, 100.0 * (k + 4) / 32768);
    EXPECT_EQ(d.B, 0);
    EXPECT_EQ(d.PenColor, colours[k]);
    EXPECT_EQ(d.GetRawSample(0), k);  // 0x8000 is 0
    EXPECT_EQ(d.GetRawSample(19), 190 + k);
  }
}

TEST(Lx2Interface, IncompleteDataAndHeaderErrors)
{
  auto frames = [](size_t n) {
    TLx2File f;
    f.Frames = n;
    return Build(f);
  };
  TLx2File channel16;
  channel16.First = 15;
  channel16.Last = 16;
  TLx2File zeroRate;
  zeroRate.Rate = 0;
  TLx2File huge;
  huge.Samples = 0xFFFFFFFF;
  struct TCase {
    std::string Bytes, Error;
    int32_t Samples;
  } cases[] = {
      {frames(9), "", 20},  // 11 short: the short read counts as an attempt
      {[] {
         TLx2File g;
         g.Samples = 5;
         g.Frames = 0;
         return Build(g);
       }(),
       "", 5},                               // "count - 10" below 0
      {frames(8), "Nie kompletne dane", 0},  // 12 short
      {Build(channel16), "Incorrect header.", 0},
      {Build(zeroRate), "Incorrect header.", 0},
      {Build(huge), "Nie kompletne dane", 0},
      {std::string(100, '\0'), "Error reading header", 0},
  };
  for (const TCase& c : cases) {
    TComtrade rec;
    EXPECT_EQ(LoadError(c.Bytes, rec), c.Error);
    EXPECT_EQ(rec.GetSampleCount(), c.Samples);
  }
  // The words a short frame lacks are no sample.
  TComtrade rec;
  EXPECT_EQ(LoadError(frames(12) + "\x01\x80", rec), "");
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(12), 0);
}

TEST(Lx2Interface, SavesAsComtradeAndLoadsBack)
{
  TComtrade rec;
  Lx2Interface().LoadFromStreams(rec, {}, "", OneStream(Build(TLx2File())), {});
  ExpectComtradeRoundTrip(rec);
}

TEST(Lx2Interface, LoadsTheSeedFile)
{
  TComtrade rec;
  Lx2Interface().LoadFromStreams(
      rec, {}, "",
      OneStream(ReadBytes(std::string(KIV_SOURCE_DIR) + "/tests/fuzz/seeds/fuzz_lx2/three_channels.bin")),
      {});
  EXPECT_EQ(rec.Rates->GetItem(0).Rate, 1000.0);
  EXPECT_EQ(rec.Analogs->Items(0).ChannelId, "WE_4");
  EXPECT_EQ(rec.Analogs->Items(1).GetRawSample(5), -5);
  EXPECT_EQ(rec.Analogs->Items(0).PenColor, 0xFF0000);
}

}  // namespace
