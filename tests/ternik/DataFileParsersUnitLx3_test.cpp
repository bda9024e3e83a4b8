#include "ternik/DataFileParsersUnitLx3.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/Codepage.h"
#include "tests/ternik/RecorderFixture.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {

struct TLx3Slot {
  uint8_t Slot = 0, Kind = 1, Present = 1;
  int32_t Zero = 0;
  double Secondary = 10, Factor = 1, Gain = 1;
  std::string Component = "Phase", Units = "V";
  int32_t Colour1 = 0x123456, Colour2 = 0xFFFFFF;
  int UnitsLength = -1;  // a length byte other than the text's
};

struct TLx3File {
  bool V32 = true;
  float Period = 0.5f;  // ms
  uint32_t Samples = 4, Pre = 2;
  double Start = 44197.5;  // 2021-01-01 12:00
  std::string Station = "Rozdzielnia";
  std::vector<TLx3Slot> Slots;
  std::vector<std::vector<uint16_t>> Frames;
  std::string Tail;
};

std::string Build(const TLx3File& f)
{
  TFixture out;
  out.Text(0, f.V32 ? Lx3Signature32 : Lx3Signature31);
  TFixture h(false, f.V32 ? Lx3HeaderSize32 : Lx3HeaderSize31);
  h.U16(0, uint16_t(f.Slots.size() / 2)).U16(2, uint16_t(f.Slots.size() - f.Slots.size() / 2));
  h.F32(4, f.Period).U32(8, f.Samples).U32(20, f.Pre).F64(28, f.Start).LenText(36, f.Station);
  out.Append(h);
  for (const TLx3Slot& s : f.Slots) {
    TFixture r(false, f.V32 ? Lx3RecordSize32 : Lx3RecordSize31);
    r.U8(0, s.Present).U8(1, s.Slot).U8(5, s.Kind).I32(10, s.Zero).F64(40, s.Secondary);
    r.LenText(56, s.Component).LenText(97, s.Units, s.UnitsLength).F64(106, s.Factor);
    r.I32(114, s.Colour1).I32(118, s.Colour2);
    if (f.V32)
      r.F64(122, s.Gain);
    out.Append(r);
  }
  for (const auto& frame : f.Frames) {
    const size_t o = out.End();
    for (size_t i = 0; i < frame.size(); ++i)
      out.U16(o + 2 * i, frame[i]);
  }
  out.Append(f.Tail);
  return out.Bytes;
}

TLx3Slot Slot(uint8_t slot)
{
  TLx3Slot s;
  s.Slot = slot;
  return s;
}

std::string LoadError(const std::string& bytes, TComtrade& rec)
{
  return ErrorOf([&] { Lx3Interface().LoadFromStreams(rec, {"a.lx3"}, "", OneStream(bytes), {}); });
}

TEST(Lx3Interface, CanLoadBySignature)
{
  TLx3File f;
  struct TCase {
    std::string Bytes;
    bool Can;
  } cases[] = {{Build(f), true},
               {std::string(Lx3Signature31), true},
               {std::string(Lx3Signature31).substr(0, 22), false},
               {"[Dane w formacie Lx3.3]", false},
               {"", false}};
  for (const TCase& c : cases) {
    TMemoryStream s(c.Bytes);
    EXPECT_EQ(Lx3Interface().CanLoad(s, {}), c.Can);
  }
  EXPECT_EQ(Lx3Interface().InterfaceName(), "LX3");
  EXPECT_EQ(Lx3Interface().FileMask(), "*.lx3");
  EXPECT_EQ(Lx3Interface().Description(), "Rejestrator przenośny LX3"_cp);
}

TEST(Lx3Interface, LoadsChannelsInSlotOrderAndFramesInFrameOrder)
{
  for (bool v32 : {true, false}) {
    TLx3File f;
    f.V32 = v32;
    TLx3Slot s1 = Slot(0), s2 = Slot(1), s7 = Slot(6), d = Slot(17);
    s1.Zero = 4;
    s1.Secondary = 100;
    s1.Factor = 2;
    s1.Gain = 0.5;
    s2.Kind = 2;
    s2.Units = "A";
    d.Component = "Wyłącznik"_cp;
    f.Slots = {s7, d, s2, s1};  // records in any order
    // The frame: slot 1, slot 7, slot 2, then the status word (slot 17 is bit 2).
    f.Frames = {
        {0x0011, 0x0070, 0x0020, 0x0004}, {0x0013, 0x0072, 0x0022, 0}, {1, 2, 4, 4}, {0xFFFF, 0, 0, 0}};
    TComtrade rec;
    Lx3Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
    EXPECT_EQ(rec.FileParam.StationName, "Rozdzielnia");
    EXPECT_EQ(rec.FileParam.RecordingDeviceId, "LX3");
    EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "01/01/2021,12:00:00.000000");
    EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "01/01/2021,12:00:00.001000");
    EXPECT_EQ(rec.FileParam.TimeMultiplier, 500.0);
    EXPECT_EQ(rec.Rates->GetItem(0).Rate, 2000.0);
    EXPECT_EQ(rec.GetSampleCount(), 4);
    ASSERT_EQ(rec.Analogs->Count(), 3);
    const TAnalogDescr& a1 = rec.Analogs->Items(0);
    EXPECT_EQ(a1.ChannelId, std::string(Lx3KindTexts[1]) + "_1");
    EXPECT_EQ(rec.Analogs->Items(1).ChannelId, std::string(Lx3KindTexts[2]) + "_2");
    EXPECT_EQ(rec.Analogs->Items(2).ChannelId, std::string(Lx3KindTexts[1]) + "_7");
    EXPECT_EQ(a1.Component, "Phase");
    EXPECT_EQ(a1.Units, "V");
    EXPECT_DOUBLE_EQ(a1.Secondary, 100);
    EXPECT_DOUBLE_EQ(a1.Primary, 200);
    EXPECT_DOUBLE_EQ(a1.A, 100 * (v32 ? 0.5 : 1.0) / 32768);
    EXPECT_DOUBLE_EQ(a1.B, -8 * a1.A);
    EXPECT_EQ(a1.PS, 1);
    EXPECT_EQ(a1.PenColor, 0x123456);
    EXPECT_EQ(a1.BackgroundColor, 0xFFFFFF);
    EXPECT_EQ(a1.GetRawSample(0), 0x11);
    EXPECT_EQ(rec.Analogs->Items(2).GetRawSample(0), 0x70);  // slot 7 is the second word
    EXPECT_EQ(rec.Analogs->Items(1).GetRawSample(1), 0x22);
    EXPECT_EQ(a1.GetRawSample(3), -1);
    ASSERT_EQ(rec.Statuses->Count(), 1);
    const TCyfrDescr& s = rec.Statuses->Items(0);
    EXPECT_EQ(s.ChannelId, "D_18");
    EXPECT_EQ(s.Component, "Wyłącznik"_cp);
    EXPECT_EQ(s.GetSample(0), 1);
    EXPECT_EQ(s.GetSample(1), 0);
    EXPECT_EQ(s.GetSample(2), 1);
  }
}

TEST(Lx3Interface, ResynchronisesAndCountsRepairs)
{
  struct TCase {
    std::vector<std::vector<uint16_t>> Frames;
    std::string Error;
    int16_t Sample1;
  } cases[] = {
      // One extra word before frame 1: one repair passes silently.
      {{{1, 2}, {4}, {3, 4}, {5, 6}, {7, 8}}, "", 3},
      // Two extra words in separate places: the load keeps the data and reports 2 repairs.
      {{{1, 2}, {4}, {3, 4}, {6}, {5, 6}, {7, 8}}, "Dane uszkodzone. Licznik napraw = 2", 3},
  };
  for (const TCase& c : cases) {
    TLx3File f;
    f.Slots = {Slot(0), Slot(1)};
    f.Frames = c.Frames;
    TComtrade rec;
    EXPECT_EQ(LoadError(Build(f), rec), c.Error);
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(1), c.Sample1);
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(3), 7);
  }
}

TEST(Lx3Interface, ShortDataAndHeaderErrors)
{
  auto withFrames = [](size_t n, const std::string& tail = "") {
    TLx3File f;
    f.Samples = 10;
    f.Slots = {Slot(0)};
    for (size_t i = 0; i < n; ++i)
      f.Frames.push_back({uint16_t(2 * i + 1)});
    f.Tail = tail;
    return Build(f);
  };
  TLx3File badSlot;
  badSlot.Slots = {Slot(0), Slot(22)};
  TLx3File zeroPeriod;
  zeroPeriod.Period = 0;
  zeroPeriod.Slots = {Slot(0)};
  TLx3File nanPeriod = zeroPeriod;
  nanPeriod.Period = std::numeric_limits<float>::quiet_NaN();
  TLx3File huge;
  huge.Samples = 0xFFFFFFFF;
  huge.Slots = {Slot(0)};
  TLx3File records;
  records.Slots = {Slot(0), Slot(1)};
  struct TCase {
    std::string Bytes, Error;
    int32_t Samples;
  } cases[] = {
      {withFrames(8), "", 10},                          // 2 short: loads
      {withFrames(7, "\x01"), "Niekompletne dane", 0},  // 3 short (and a partial word): before sizing
      {Build(badSlot), "Nieznany nagłówek pliku"_cp, 0},
      {Build(zeroPeriod), "Nieznany nagłówek pliku"_cp, 0},
      {Build(nanPeriod), "Nieznany nagłówek pliku"_cp, 0},
      {Build(huge), "Niekompletne dane", 0},
      {"[Dane w formacie Lx3.0]", "Nieznany nagłówek pliku"_cp, 0},
      {std::string(Lx3Signature32) + "short", "Stream read error", 0},
      {Build(records).substr(0, 23 + 317 + 180 + 10), "Stream read error", 0},
  };
  for (const TCase& c : cases) {
    TComtrade rec;
    EXPECT_EQ(LoadError(c.Bytes, rec), c.Error);
    EXPECT_EQ(rec.GetSampleCount(), c.Samples);
  }
}

TEST(Lx3Interface, BoundedFieldsAndNoChannels)
{
  TLx3File f;
  f.Start = -2.8e18;  // no date: the start is the date-time 0
  TLx3Slot s = Slot(0);
  s.Kind = 200;  // outside the kind table
  s.Units = "kV12345678XYZ";
  s.UnitsLength = 255;  // claims more than its field holds
  f.Slots = {s};
  f.Frames = {{1}, {3}, {5}, {7}};
  TComtrade rec;
  Lx3Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
  EXPECT_EQ(rec.Analogs->Items(0).ChannelId, "_1");
  EXPECT_EQ(rec.Analogs->Items(0).Units, "kV123456");
  EXPECT_EQ(rec.FileParam.GetStartTime(), 0.0);
  // No channel at all: the frames hold nothing, no sample is loaded.
  TLx3File none;
  none.Samples = 1000000;
  TComtrade empty;
  EXPECT_EQ(LoadError(Build(none), empty), "");
  EXPECT_EQ(empty.GetSampleCount(), 0);
}

TEST(Lx3Interface, SavesAsComtradeAndLoadsBack)
{
  TLx3File f;
  TLx3Slot a = Slot(0);
  a.Zero = -3;
  f.Slots = {a, Slot(4), Slot(16), Slot(21)};
  f.Frames = {{1, 2, 0x0002}, {0xFFFF, 0x7FFE, 0x0040}, {0x8001, 4, 0x0042}, {3, 0, 0}};
  TComtrade rec;
  Lx3Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
  ExpectComtradeRoundTrip(rec);
  // In a BINARY data file the first status channel is the least significant bit: record 0
  // (8 + 2 x 2 bytes before its status word) holds slot 17 set and slot 22 clear.
  const std::string dat = ExpectComtradeRoundTrip(rec, 0, "BINARY");
  ASSERT_EQ(dat.size(), 4u * 14);
  EXPECT_EQ(uint8_t(dat[12]), 0x01);
  EXPECT_EQ(uint8_t(dat[14 + 12]), 0x02);
  EXPECT_EQ(uint8_t(dat[28 + 12]), 0x03);
}

TEST(Lx3Interface, PartialFrameAtTheEndIsNoSample)
{
  TLx3File f;
  f.Slots = {Slot(0), Slot(1)};
  f.Frames = {{1, 2}, {3, 4}, {5, 6}, {7}};  // the last frame lacks a word
  TComtrade rec;
  EXPECT_EQ(LoadError(Build(f), rec), "");
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(2), 5);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(3), 0);
  // A count of 1 or 0 is never short by "count - 2".
  for (uint32_t count : {0u, 1u}) {
    TLx3File g;
    g.Samples = count;
    g.Slots = {Slot(0)};
    TComtrade r;
    EXPECT_EQ(LoadError(Build(g), r), "");
    EXPECT_EQ(r.GetSampleCount(), int32_t(count));
  }
}

TEST(Lx3Interface, LoadsTheSeedFile)
{
  TComtrade rec;
  Lx3Interface().LoadFromStreams(
      rec, {}, "",
      OneStream(ReadBytes(std::string(KIV_SOURCE_DIR) + "/tests/fuzz/seeds/fuzz_lx3/two_slots.lx3")), {});
  EXPECT_EQ(rec.FileParam.StationName, "Stacj");
  EXPECT_EQ(rec.GetSampleCount(), 4);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(3), 7);
  EXPECT_EQ(rec.Statuses->Items(0).GetSample(1), 1);
  EXPECT_EQ(rec.Statuses->Items(0).GetSample(2), 0);
}

}  // namespace
