#include "ternik/DataFileParsersUnitMV70.h"

#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "tests/ternik/RecorderFixture.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {

struct TMvChannel {
  bool Analog = true;
  uint16_t Place = 0;  // old forms: card x 4 + channel; newer: card in the high byte
  uint8_t Type = 4;
  float Range = 100, Factor = 1;
  int16_t Zero = 0;
  uint16_t Gain = 10000;
  std::string Id = "U1", Comp = "Line", Unit = "kV";
  std::vector<int16_t> Values;  // analog samples as stored
  std::vector<int> Bits;        // status samples
};

struct TMvFile {
  uint8_t Version = 4;
  uint32_t P = 2, Q = 3, Rate = 1000;  // versions 0 and 1: a speed index
  uint16_t Year = 2021, Month = 6, Day = 15;
  uint8_t Hour = 10, Minute = 20, Second = 30;
  uint16_t Ms = 250;
  uint32_t HeaderMarker = 0;  // 0: the version's own
  uint32_t Stored = MV70MarkerStored;
  std::string Name = "Station A";
  std::vector<TMvChannel> Channels;
  std::string Tail;  // bytes after the channel blocks
  // Configuration block (versions 0 and 1): card types and channel records.
  std::vector<std::pair<size_t, uint8_t>> CardTypes = {{0, 4}, {1, 5}, {2, 1}};
  bool IntegerFactors = false;
};

bool BigEndianVersion(uint8_t v) { return v == 1 || v == 2 || v == 5; }

std::string SamplesOf(const TMvChannel& c, bool be, uint32_t n)
{
  TFixture s(be);
  if (c.Analog) {
    for (uint32_t i = 0; i < n; ++i)
      s.I16(2 * i, i < c.Values.size() ? c.Values[i] : 0);
  } else {
    s.Pad((n + 15) / 16 * 2);
    for (uint32_t i = 0; i < n && i < c.Bits.size(); ++i)
      if (c.Bits[i]) {
        const size_t w = 2 * (i / 16);
        const uint16_t old = uint16_t(be ? (uint8_t(s.Bytes[w]) << 8 | uint8_t(s.Bytes[w + 1]))
                                         : (uint8_t(s.Bytes[w + 1]) << 8 | uint8_t(s.Bytes[w])));
        s.U16(w, uint16_t(old | (1u << (15 - i % 16))));
      }
  }
  return s.Bytes;
}

std::string Build(const TMvFile& f)
{
  const bool be = BigEndianVersion(f.Version);
  const bool old = f.Version <= 1;
  const uint32_t n = f.P + f.Q;
  TFixture out(be);
  switch (f.Version) {
  case 1:
    out.Text(0, MV70Signature10);
    break;
  case 2:
    out.Text(0, MV70Signature11);
    break;
  case 4:
    out.Text(0, MV70Signature20);
    break;
  default:
    break;
  }
  if (old) {
    TFixture cfg(be, MV70CfgSize);
    cfg.Text(4, f.Name.substr(0, 3));  // the check dword at 8 lies inside the name field
    for (auto [card, type] : f.CardTypes)
      cfg.U32(300 + 976 * card, type);
    for (const TMvChannel& c : f.Channels) {
      const size_t o = 300 + 976 * (c.Place / 4) + 4 + 60 * (c.Place % 4);
      if (f.IntegerFactors)
        cfg.U32(o + 4, uint32_t(c.Factor));
      else
        cfg.F32(o + 4, c.Factor);
      cfg.Text(o + 8, c.Comp).Text(o + 32, c.Id).Text(o + 38, c.Unit).U16(o + 48, c.Gain);
    }
    out.Append(cfg);
  }
  TFixture h(be, old ? MV70OldHeaderSize : MV70HeaderSize);
  h.U32(4, f.HeaderMarker ? f.HeaderMarker : (old ? MV70MarkerOldHeader : MV70MarkerHeader));
  h.U32(8, f.Stored);
  h.U32(24, uint32_t(f.Year) | uint32_t(f.Month) << 16 | uint32_t(f.Day) << 24);
  h.U8(28, f.Hour).U8(29, f.Minute).U8(30, f.Second).U16(32, f.Ms);
  h.U32(60, f.P).U32(64, f.Q).U32(68, f.Rate);
  if (!old)
    h.Text(92, f.Name);
  out.Append(h);
  for (const TMvChannel& c : f.Channels) {
    TFixture b(be);
    if (old) {
      b.U32(0, c.Analog ? MV70MarkerAnalogOld : MV70MarkerStatusOld).U16(4, c.Place).I16(6, c.Zero);
    } else {
      b.U32(0, c.Analog ? MV70MarkerAnalog : MV70MarkerStatus).Pad(4 + MV70ChannelHeaderSize);
      b.U16(8, c.Place).U16(10, c.Type).F32(12, c.Range).F32(16, c.Factor).I16(28, c.Zero).U16(30, c.Gain);
      b.Text(32, c.Id).Text(38, c.Comp).Text(62, c.Unit);
    }
    out.Append(b).Append(SamplesOf(c, be, n));
  }
  out.Append(f.Tail);
  return out.Bytes;
}

std::string LoadError(const std::string& bytes, TComtrade& rec, const TMessageHook& hook = {})
{
  return ErrorOf([&] { MV70Interface().LoadFromStreams(rec, {"rec.m70"}, "", OneStream(bytes), hook); });
}

TMvChannel Analog(uint16_t place, std::vector<int16_t> v)
{
  TMvChannel c;
  c.Place = place;
  c.Values = std::move(v);
  return c;
}

TMvChannel Status(uint16_t place, std::vector<int> bits)
{
  TMvChannel c;
  c.Analog = false;
  c.Place = place;
  c.Id = "CB";
  c.Comp = "Breaker";
  c.Bits = std::move(bits);
  return c;
}

TEST(MV70Interface, DetectsEveryVersionAndRefusesShortStreams)
{
  TMvFile v0;
  v0.Version = 0;
  v0.Rate = 6;
  TMvFile refused = v0;
  std::string refusedBytes = Build(refused);
  refusedBytes.replace(8, 4, std::string("\x33\x67\x45\x22", 4));
  struct TCase {
    std::string Bytes;
    uint8_t Version;
  } cases[] = {
      {std::string(MV70Signature10), 1},
      {std::string(MV70Signature11), 2},
      {std::string(MV70Signature20), 4},
      {std::string(MV70Signature13S), 5},
      {Build(v0), 0},
      {refusedBytes, 6},
      {Build(v0).substr(0, MV70CfgSize + 91), 6},
      {std::string(MV70Signature20).substr(0, 19), 6},
      {"", 6},
      {std::string(20000, 'x'), 6},
  };
  for (const TCase& c : cases) {
    TMemoryStream s(c.Bytes);
    EXPECT_EQ(TMV70Interface::DetectVersion(s), c.Version) << c.Bytes.size();
    EXPECT_EQ(MV70Interface().CanLoad(s, {}), c.Version != 6);
  }
}

TEST(MV70Interface, SignatureAloneLoadsToHeaderError)
{
  TComtrade rec;
  EXPECT_EQ(LoadError(std::string(MV70Signature20), rec), "Błąd przy odczycie nagłówka danych"_cp);
  EXPECT_EQ(LoadError("short", rec), "Error reading header");
  EXPECT_EQ(LoadError(std::string(30, 'q'), rec), "Błąd odczytu nagłówka"_cp);
  EXPECT_EQ(MV70Interface().InterfaceName(), "MV70");
  EXPECT_EQ(MV70Interface().FileMask(), "*.m70");
  EXPECT_EQ(MV70Interface().Description(), "Rejestrator zakłóceń MV70 i MV70EV"_cp);
}

// Versions 2 (big-endian) and 4 (as stored) carry the same recording.
class MV70NewForm : public ::testing::TestWithParam<uint8_t> {};

TEST_P(MV70NewForm, LoadsHeaderChannelsAndSamples)
{
  TMvFile f;
  f.Version = GetParam();
  f.P = 5;
  f.Q = 12;  // 17 samples: two status words
  f.Rate = 2000;
  TMvChannel a = Analog(0x0102, {1, -2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 999});
  a.Type = 5;
  a.Range = 50;
  a.Factor = 2.5f;
  a.Zero = 3;
  a.Gain = 20000;
  std::vector<int> bits(17, 0);
  bits[0] = bits[15] = 1;  // sample 16 (the last) is stored as sample 15
  f.Channels = {a, Status(0x0205, bits)};
  TComtrade rec;
  MV70Interface().LoadFromStreams(rec, {"rec.m70"}, "", OneStream(Build(f)), {});

  EXPECT_EQ(rec.FileParam.StationName, "Station A");
  EXPECT_EQ(rec.FileParam.RecordingDeviceId, f.Version == 2 ? "MV70V11BK" : "MV70V2BK");
  EXPECT_EQ(rec.FileParam.RevisionYear, 1997);
  EXPECT_EQ(rec.FileParam.LineFrequency, 50.0);
  EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "15/06/2021,10:20:30.250000");
  // 5 samples at 2 kHz before the trigger: 2.5 ms, rounded half to even to 2 ms.
  EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "15/06/2021,10:20:30.248000");
  EXPECT_EQ(rec.FileParam.TimeMultiplier, 500.0);
  ASSERT_EQ(rec.Rates->SegmentCount(), 1);
  EXPECT_EQ(rec.Rates->GetItem(0).Rate, 2000.0);
  EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), 17);
  EXPECT_EQ(rec.GetSampleCount(), 17);
  EXPECT_DOUBLE_EQ(rec.Rates->GetTime(16), 16 / 2000.0);

  ASSERT_EQ(rec.Analogs->Count(), 1);
  const TAnalogDescr& d = rec.Analogs->Items(0);
  EXPECT_EQ(d.Number, 3);  // channel 2 of card 1
  EXPECT_EQ(d.ChannelId, "U1");
  EXPECT_EQ(d.Component, "Line");
  EXPECT_EQ(d.Units, "kV");
  EXPECT_DOUBLE_EQ(d.Secondary, 50);
  EXPECT_DOUBLE_EQ(d.Primary, 125);
  EXPECT_DOUBLE_EQ(d.A, 50 * 2.0 / 32768);
  EXPECT_DOUBLE_EQ(d.B, -2 * 3 * d.A);
  EXPECT_EQ(d.RangeMin, -32768);
  EXPECT_EQ(d.RangeMax, 32767);
  EXPECT_EQ(d.PS, 1);
  EXPECT_EQ(d.PenColor, 0xFF);
  EXPECT_EQ(d.BackgroundColor, 0xFFFFFF);
  EXPECT_EQ(d.GetRawSample(0), 2);
  EXPECT_EQ(d.GetRawSample(1), -4);
  EXPECT_EQ(d.GetRawSample(15), 32);
  EXPECT_EQ(d.GetRawSample(16), 32);  // the recorder's last value is not used

  ASSERT_EQ(rec.Statuses->Count(), 1);
  const TCyfrDescr& s = rec.Statuses->Items(0);
  EXPECT_EQ(s.Number, 306);
  EXPECT_EQ(s.ChannelId, "CB");
  EXPECT_EQ(s.NormalState, 0);
  EXPECT_EQ(s.GetSample(0), 1);  // most significant bit first
  EXPECT_EQ(s.GetSample(1), 0);
  EXPECT_EQ(s.GetSample(15), 1);
  EXPECT_EQ(s.GetSample(16), 1);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, MV70NewForm, ::testing::Values(uint8_t(2), uint8_t(4)));

TEST(MV70Interface, OldFormsTakeTextsAndFactorsFromTheConfiguration)
{
  for (uint8_t version : {uint8_t(0), uint8_t(1)}) {
    for (bool integers : {false, true}) {
      TMvFile f;
      f.Version = version;
      f.Rate = 13;  // 1600 Hz
      f.P = 1;
      f.Q = 1;
      f.IntegerFactors = integers;
      TMvChannel a = Analog(5, {7, 8});  // card 1 (type 5), channel 1
      a.Factor = 3;
      a.Zero = -1;
      a.Gain = 5000;
      f.Channels = {a, Status(8, {1, 0})};  // card 2 (type 1)
      TComtrade rec;
      MV70Interface().LoadFromStreams(rec, {"rec.m70"}, "", OneStream(Build(f)), {});
      EXPECT_EQ(rec.FileParam.RecordingDeviceId, version == 0 ? "MV70V1" : "MV70V1BK");
      EXPECT_EQ(rec.FileParam.StationName, "Sta");
      EXPECT_EQ(rec.Rates->GetItem(0).Rate, 1600.0);
      ASSERT_EQ(rec.Analogs->Count(), 1);
      const TAnalogDescr& d = rec.Analogs->Items(0);
      EXPECT_EQ(d.Number, 6);
      EXPECT_EQ(d.ChannelId, "U1");
      EXPECT_EQ(d.Units, "kV");
      EXPECT_DOUBLE_EQ(d.Secondary, 50);
      EXPECT_DOUBLE_EQ(d.Primary, 150) << "integer factors " << integers;
      EXPECT_DOUBLE_EQ(d.A, 50 * 0.5 / 32768);
      EXPECT_DOUBLE_EQ(d.B, 2 * d.A);
      EXPECT_EQ(d.GetRawSample(0), 14);
      ASSERT_EQ(rec.Statuses->Count(), 1);
      EXPECT_EQ(rec.Statuses->Items(0).Number, 9);
      EXPECT_EQ(rec.Statuses->Items(0).Component, "Breaker");
      EXPECT_EQ(rec.Statuses->Items(0).PenColor, 0);
    }
  }
}

TEST(MV70Interface, CardTypeOutsideTheTableHasNoRangeNorColour)
{
  TMvFile f;
  f.Channels = {Analog(0x0001, {1, 2, 3, 4, 5})};
  f.Channels[0].Type = 9;
  TComtrade rec;
  MV70Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
  EXPECT_EQ(rec.Analogs->Items(0).PenColor, 0);
  TMvFile o;
  o.Version = 0;
  o.Rate = 0;
  o.CardTypes = {{0, 200}};
  o.Channels = {Analog(1, {1, 2, 3, 4, 5})};
  MV70Interface().LoadFromStreams(rec, {}, "", OneStream(Build(o)), {});
  EXPECT_EQ(rec.Analogs->Items(0).Secondary, 0);
  EXPECT_EQ(rec.Analogs->Items(0).PenColor, 0);
}

TEST(MV70Interface, HeaderErrors)
{
  TMvFile speed;
  speed.Version = 0;
  speed.Rate = 14;
  TMvFile zeroRate;
  zeroRate.Rate = 0;
  TMvFile notStored;
  notStored.Stored = 0;
  TMvFile foreignII;
  foreignII.HeaderMarker = 0x12345678;
  TMvFile foreignI = speed;
  foreignI.Rate = 1;
  foreignI.HeaderMarker = 0x12345678;
  TMvFile foreignIS = foreignI;
  foreignIS.Version = 1;
  std::string cfgShort = std::string(MV70Signature10) + std::string(100, '\0');
  std::string v1Refused = Build(foreignIS);
  v1Refused.replace(28, 4, std::string("\x33\x67\x45\x22", 4));
  TMvFile one;
  one.P = 1;
  one.Q = 0;
  one.Channels = {Analog(0, {1})};
  // P and Q at their largest: the sample count needs 33 bits and far more data than follows.
  TFixture huge;
  huge.Append(Build(one)).U32(20 + 60, 0xFFFFFFFF).U32(20 + 64, 0xFFFFFFFF);
  TMvFile noBlocks;
  noBlocks.P = 1000000000;
  TFixture oneMore;
  oneMore.Append(Build(one)).U32(20 + 64, 1);
  TMvFile shortSamples;
  shortSamples.Channels = {Analog(0, {1, 2, 3, 4, 5})};
  const std::string truncated = Build(shortSamples).substr(0, Build(shortSamples).size() - 2);
  struct TCase {
    std::string Bytes, Message;
  } cases[] = {
      {Build(speed), "Nie właściwa wartość pola Header.PomSpeed"_cp},
      {Build(zeroRate), "Nie właściwa wartość pola Header.PomSpeed"_cp},
      {Build(notStored), "Plik danych nie został poprawnie zapisany w rejestratorze."_cp},
      {Build(foreignII), "Nie rozpoznana sygnatura dla pliku w wersji II"},
      {Build(foreignIS), "Nie rozpoznana sygnatura dla pliku w wersji IS"},
      {cfgShort, "Błąd odczytu CFG z pliku"_cp},
      {v1Refused, "This is not CFG in first version. Error."},
      {huge.Bytes, "Nie kompletne dane"},
      {oneMore.Bytes, "Nie kompletne dane"},
      {Build(noBlocks), "Nie kompletne dane"},
      {truncated, "Nie kompletne dane"},
  };
  for (const TCase& c : cases) {
    TComtrade rec;
    rec.FileParam.StationName = "kept";
    EXPECT_EQ(LoadError(c.Bytes, rec), c.Message);
    // Nothing was sized or changed from a header that failed.
    EXPECT_EQ(rec.FileParam.StationName, "kept");
    EXPECT_EQ(rec.GetSampleCount(), 0);
  }
  // Version 0's refused block is not detected as version 0 at all.
  TMvFile v0 = speed;
  v0.Rate = 1;
  std::string v0Refused = Build(v0);
  v0Refused.replace(8, 4, std::string("\x33\x67\x45\x22", 4));
  TComtrade rec;
  EXPECT_EQ(LoadError(v0Refused, rec), "Błąd odczytu nagłówka"_cp);
}

TEST(MV70Interface, ForeignMarkerOrPlaceIsReportedOrRaised)
{
  TMvFile f;
  f.Channels = {Analog(0, {1, 2, 3, 4, 5})};
  f.Tail = std::string(12, '\x01');
  TMvFile o;
  o.Version = 0;
  o.Rate = 1;
  o.Channels = {Analog(1, {1, 2, 3, 4, 5}), Analog(64, {1, 2, 3, 4, 5})};
  for (const std::string& bytes : {Build(f), Build(o)}) {
    TComtrade rec;
    THookLog log;
    EXPECT_EQ(LoadError(bytes, rec, log.Hook()), "");
    ASSERT_EQ(log.Texts.size(), 1u);
    EXPECT_EQ(log.Texts[0], "Uszkodzone dane w pliku: rec.m70\\e");
    EXPECT_EQ(rec.Analogs->Count(), 1);  // what was read stays
    EXPECT_EQ(LoadError(bytes, rec), "Uszkodzone dane");
  }
}

TEST(MV70Interface, InvalidTriggerDateGivesZeroTimes)
{
  TMvFile f;
  f.Month = 13;
  f.Channels = {Analog(0, {1, 2, 3, 4, 5})};
  TComtrade rec;
  MV70Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
  EXPECT_EQ(rec.FileParam.GetTriggerTime(), 0.0);
  EXPECT_EQ(rec.FileParam.GetStartTime(), 0.0);
}

TEST(MV70Interface, SavesAsComtradeAndLoadsBack)
{
  for (uint8_t version : {uint8_t(1), uint8_t(4)}) {
    TMvFile f;
    f.Version = version;
    if (version == 1)
      f.Rate = 6;
    TMvChannel a = Analog(0, {32767, -32768, 5, 6, 7});  // 2v leaves 16 bits
    a.Zero = 12;
    f.Channels = {a, Status(version == 1 ? 8 : 0x0102, {1, 0, 1, 1, 0})};
    TComtrade rec;
    MV70Interface().LoadFromStreams(rec, {}, "", OneStream(Build(f)), {});
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(0), 65534);
    ExpectComtradeRoundTrip(rec);
  }
}

// ---- version 5 ----

struct TV5Channel {
  bool Analog = true;
  uint32_t Flags = 0;
  int16_t Zero = 0;
  float F = 1, P16 = 1, H20 = 0, G24 = 0, C28 = 0, C32 = 0, K44 = 1;
  std::string Id = "IA", Comp = "Phase A", Unit118 = "A", Unit124 = "kA";
  std::vector<int16_t> Values;
};

std::string BuildV5(uint32_t p, uint32_t q, uint32_t rate, const std::vector<TV5Channel>& chans,
                    uint16_t month = 2)
{
  TFixture out(true);
  out.Text(0, MV70Signature13S);
  TFixture h(true, MV70ShortHeaderSize);
  h.U32(4, MV70MarkerShortHeader).U32(20, 77).U32(24, 2020u | uint32_t(month) << 16 | 29u << 24);
  h.U8(28, 23).U8(29, 59).U8(30, 59).U16(32, 999).U32(52, 4242).U32(60, p).U32(64, q).U32(68, rate);
  h.Text(80, "Main bay");
  out.Append(h);
  for (const TV5Channel& c : chans) {
    TFixture b(true, MV70V5BlockSize);
    b.U32(0, c.Analog ? MV70MarkerAnalogV5 : MV70MarkerStatusV5).U32(4, c.Flags).I16(10, c.Zero);
    b.F32(12, c.F).F32(16, c.P16).F32(20, c.H20).F32(24, c.G24).F32(28, c.C28).F32(32, c.C32).F32(44, c.K44);
    b.Text(48, c.Id).Text(54, c.Comp).Text(118, c.Unit118).Text(124, c.Unit124);
    out.Append(b);
    TMvChannel s;
    s.Analog = c.Analog;
    s.Values = c.Values;
    out.Append(SamplesOf(s, true, p + q));
  }
  return out.Bytes;
}

TEST(MV70Interface, Version5ScalingCases)
{
  TV5Channel plain;
  plain.F = 2;
  plain.P16 = 3;
  plain.K44 = 0.5f;
  plain.Zero = 16384;  // base = 16384 x 2 / 32768 x f x k = f x k = 1
  plain.Values = {10, 20, 30};
  TV5Channel linear = plain;
  linear.Flags = 0x80;
  linear.H20 = 4;
  linear.G24 = 20;
  linear.C28 = 0;
  linear.C32 = 8;  // m = 0.5, c = -2
  linear.Unit124 = "";
  TV5Channel same = linear;
  same.G24 = 4;
  TComtrade rec;
  MV70Interface().LoadFromStreams(rec, {}, "", OneStream(BuildV5(1, 2, 1000, {plain, linear, same})), {});
  EXPECT_EQ(rec.FileParam.StationName, "ID=77 Main bay");
  EXPECT_EQ(rec.FileParam.RecordingDeviceId, "MV-70EV NS=4242");
  EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "29/02/2020,23:59:59.999000");
  EXPECT_EQ(rec.FileParam.StartTime.FormatText(), "29/02/2020,23:59:59.998000");
  EXPECT_EQ(rec.Rates->GetItem(0).EndSample(), 3);
  ASSERT_EQ(rec.Analogs->Count(), 3);
  const TAnalogDescr& a = rec.Analogs->Items(0);
  EXPECT_DOUBLE_EQ(a.Secondary, 2);
  EXPECT_DOUBLE_EQ(a.Primary, 6);
  EXPECT_DOUBLE_EQ(a.A, 2 * 3 * 0.5 / 32768);
  EXPECT_DOUBLE_EQ(a.B, -3);
  EXPECT_EQ(a.PS, 0);
  EXPECT_EQ(a.Units, "kA");
  EXPECT_EQ(a.GetRawSample(0), 20);
  EXPECT_EQ(a.GetRawSample(2), 40);
  const TAnalogDescr& b = rec.Analogs->Items(1);
  EXPECT_DOUBLE_EQ(b.Primary, 2 * 0.5 * 0.5);
  EXPECT_DOUBLE_EQ(b.A, 2 * 0.5 / 32768 * 0.5);
  EXPECT_DOUBLE_EQ(b.B, -2 - 0.5 * 1);
  EXPECT_EQ(b.PS, 0);
  EXPECT_EQ(b.Units, "A");  // empty text at 124
  const TAnalogDescr& c = rec.Analogs->Items(2);
  EXPECT_DOUBLE_EQ(c.Primary, 2);
  EXPECT_DOUBLE_EQ(c.A, 2 * 0.5 / 32768);
  EXPECT_DOUBLE_EQ(c.B, -1);
  EXPECT_EQ(c.PS, 1);
  EXPECT_EQ(c.Units, "A");
}

TEST(MV70Interface, Version5EndsQuietly)
{
  TV5Channel a;
  a.Values = {1, 2, 3};
  TV5Channel s = a;
  s.Analog = false;
  struct TCase {
    std::string Bytes;
    int Analogs, Statuses, Samples;
  } cases[] = {
      {BuildV5(1, 2, 1000, {a, s}), 1, 1, 3},
      {BuildV5(1, 2, 1000, {a, s}) + std::string(140, '\x07'), 1, 1, 3},  // foreign marker
      // The second block's samples are cut: the blocks do not fit, nothing is sized.
      {BuildV5(1, 2, 1000, {a, s}).substr(0, 20 + 184 + 132 + 6 + 132 + 1), 0, 0, 0},
      {BuildV5(1, 2, 0, {a}), 0, 0, 0},  // no rate
      {BuildV5(0, 0, 1000, {}) + std::string(10, '\0'), 0, 0, 0},
      {BuildV5(100000000, 0, 1000, {}), 0, 0, 0},
      {std::string(MV70Signature13S) + "short", 0, 0, 0},
  };
  for (const TCase& c : cases) {
    TComtrade rec;
    EXPECT_EQ(LoadError(c.Bytes, rec), "");
    EXPECT_EQ(rec.Analogs->Count(), c.Analogs);
    EXPECT_EQ(rec.Statuses->Count(), c.Statuses);
    EXPECT_EQ(rec.GetSampleCount(), c.Samples);
  }
  TComtrade rec;
  MV70Interface().LoadFromStreams(rec, {}, "", OneStream(BuildV5(1, 2, 1000, {a}, 13)), {});
  EXPECT_EQ(rec.FileParam.GetTriggerTime(), 0.0);
}

// The fuzz seeds are written by an independent script with Python's struct.
TEST(MV70Interface, LoadsTheSeedFilesOfBothByteOrders)
{
  for (const char* file : {"fuzz_mv70/v4.m70", "fuzz_mv70/v2.m70"}) {
    TComtrade rec;
    MV70Interface().LoadFromStreams(
        rec, {}, "", OneStream(ReadBytes(std::string(KIV_SOURCE_DIR) + "/tests/fuzz/seeds/" + file)), {});
    EXPECT_EQ(rec.FileParam.StationName, "Station A");
    EXPECT_EQ(rec.FileParam.TriggerTime.FormatText(), "15/06/2021,10:20:30.250000");
    ASSERT_EQ(rec.Analogs->Count(), 1);
    EXPECT_EQ(rec.Analogs->Items(0).Number, 3);
    EXPECT_DOUBLE_EQ(rec.Analogs->Items(0).Primary, 125);
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(0), -400);
    EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(3), 200);
    ASSERT_EQ(rec.Statuses->Count(), 1);
    EXPECT_EQ(rec.Statuses->Items(0).Number, 203);
    EXPECT_EQ(rec.Statuses->Items(0).GetSample(0), 1);
    EXPECT_EQ(rec.Statuses->Items(0).GetSample(1), 0);
    EXPECT_EQ(rec.Statuses->Items(0).GetSample(2), 1);
  }
  TComtrade rec;
  MV70Interface().LoadFromStreams(
      rec, {}, "", OneStream(ReadBytes(std::string(KIV_SOURCE_DIR) + "/tests/fuzz/seeds/fuzz_mv70/v0.m70")),
      {});
  EXPECT_EQ(rec.Rates->GetItem(0).Rate, 8000.0);
  EXPECT_EQ(rec.Analogs->Items(0).ChannelId, "UA");
  EXPECT_DOUBLE_EQ(rec.Analogs->Items(0).Primary, 400);
  EXPECT_EQ(rec.Analogs->Items(0).GetRawSample(1), 4);
}

}  // namespace
