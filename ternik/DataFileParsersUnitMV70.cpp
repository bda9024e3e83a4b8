#include "ternik/DataFileParsersUnitMV70.h"

#include <cmath>

#include "platform/NumText.h"
#include "platform/StrFormat.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitRecorder.h"

const std::array<int32_t, 14> MV70SpeedRates = {64000, 32000, 21333, 16000, 12800, 10666, 8000,
                                                6400,  5333,  4000,  3200,  2666,  2000,  1600};
const std::array<std::string_view, 7> MV70DeviceTexts = {"MV70V1",   "MV70V1BK", "MV70V11BK",  "MV70V2",
                                                         "MV70V2BK", "MV70V3BK", "MV70UNKNOWN"};

namespace {

// Channel record fields, from the record's start.
constexpr size_t kCfgFactor = 4, kCfgComponent = 8, kCfgIdent = 32, kCfgUnits = 38, kCfgGain = 48;
// Recording header fields.
constexpr size_t kHdrMarker = 4, kHdrStored = 8, kHdrTrigDate = 24, kHdrHour = 28, kHdrMinute = 29,
                 kHdrSecond = 30, kHdrMs = 32, kHdrPre = 60, kHdrPost = 64, kHdrRate = 68, kHdrName = 92;
// The 84-byte channel header.
constexpr size_t kChPlace = 4, kChType = 6, kChRange = 8, kChFactor = 12, kChZero = 24, kChGain = 26,
                 kChIdent = 28, kChComponent = 34, kChUnits = 58;
// The 184-byte short header and the 132-byte channel block of version 5.
constexpr size_t kV5Recorder = 20, kV5Serial = 52, kV5Text = 80;

bool IsAnalogCard(uint8_t type) { return type >= 4 && type <= 6; }

size_t CfgChannelOffset(size_t card, size_t channel)
{
  return MV70CfgCards + MV70CfgCardSize * card + MV70CfgChannels + MV70CfgChannelSize * channel;
}

std::string Msg(std::string_view key) { return DfpTranslate(key); }

[[noreturn]] void Fail(std::string_view key) { throw EComtrade(Msg(key)); }

// Bytes of the samples of one channel block.
uint64_t SampleBytes(bool analog, uint64_t n) { return analog ? 2 * n : (n + 15) / 16 * 2; }

bool CanHoldChannels(TRecReader rd, uint8_t version, uint64_t n, size_t channelHeader)
{
  const bool v5 = version == MV70Version5;
  const bool old = version == MV70Version0 || version == MV70Version1;
  // Even without a channel block the time axis is sized from N: the rest must hold at least
  // the smallest block N samples need.
  if (n > 0 && SampleBytes(false, n) > rd.Remaining())
    return false;
  while (rd.Remaining() > 8) {
    TRecBytes head;
    // A block cut short in its first bytes ends the load there; what came before loads.
    if (!rd.Read(v5 ? MV70V5BlockSize : 4, head))
      return true;
    const uint32_t m = head.U32(0);
    bool analog = false;
    if (v5 ? m == MV70MarkerAnalogV5 : m == (old ? MV70MarkerAnalogOld : MV70MarkerAnalog))
      analog = true;
    else if (!(v5 ? m == MV70MarkerStatusV5 : m == (old ? MV70MarkerStatusOld : MV70MarkerStatus)))
      return true;  // what follows is not read
    const uint64_t need = (v5 ? 0 : channelHeader) + SampleBytes(analog, n);
    if (need > rd.Remaining())
      return false;
    rd.Seek(rd.Position() + static_cast<size_t>(need));
  }
  return true;
}

// The samples of one channel, stored as the recorder's 2v raw values (analog) or states. The
// recorder's last value is not used: the last sample repeats the one before it.
void ReadAnalogSamples(const TRecBytes& b, TAnalogDescr& d, int32_t n)
{
  for (int32_t i = 0; i < n; ++i) {
    const int32_t src = (i == n - 1 && i > 0) ? i - 1 : i;
    d.SetRawSample(i, 2 * int32_t(b.I16(2 * size_t(src))));
  }
}

void ReadStatusSamples(const TRecBytes& b, TCyfrDescr& d, int32_t n)
{
  for (int32_t i = 0; i < n; ++i) {
    const int32_t src = (i == n - 1 && i > 0) ? i - 1 : i;
    const uint16_t w = b.U16(2 * size_t(src / 16));
    d.SetSample(i, static_cast<uint8_t>((w >> (15 - src % 16)) & 1));
  }
}

void SetTriggerAndStart(TComtrade& rec, const TMV70Header& h, double startOffsetMs)
{
  TObFileParam& fp = rec.FileParam;
  const int year = int(h.TrigDate & 0xFFFF), month = int((h.TrigDate >> 16) & 0xFF),
            day = int(h.TrigDate >> 24);
  if (!SetRecorderTime(fp.TriggerTime, year, month, day, h.Hour, h.Minute, h.Second,
                       int64_t(h.Millisecond) * 1000)) {
    SetZeroTime(fp.TriggerTime);
    SetZeroTime(fp.StartTime);
    return;
  }
  fp.StartTime = fp.TriggerTime;
  int64_t ms = 0;
  if (TryDoubleToInt64(double(RoundHalfEven(startOffsetMs)), ms))
    AddRecorderMilliseconds(fp.StartTime, ms);
}

void FillChannelTexts(TSygDescr& d, std::string_view ident, std::string_view component)
{
  d.SetChannelIdS(ident);
  d.SetComponentS(component);
}

void LoadVersion5(TComtrade& rec, TRecReader& rd)
{
  rd.SetBigEndian(true);
  rd.Seek(MV70SignatureSize);
  TRecBytes h;
  if (!rd.Read(MV70ShortHeaderSize, h))
    return;
  TMV70Header hdr = DecodeMV70Header(h);
  rec.Clear();
  SetRecorderHeader(rec,
                    Format("ID=%u %s", {h.U32(kV5Recorder), h.Text(kV5Text, MV70ShortHeaderSize - kV5Text)}),
                    Format("MV-70EV NS=%u", {h.U32(kV5Serial)}));
  const uint64_t n = uint64_t(hdr.Pre) + hdr.Post;
  if (hdr.Rate == 0) {
    SetTriggerAndStart(rec, hdr, 0);
    return;
  }
  SetTriggerAndStart(rec, hdr, -(1000.0 / hdr.Rate) * hdr.Pre);
  if (n > uint64_t(MaxRecorderSamples) || !CanHoldChannels(rd, MV70Version5, n, 0))
    return;
  rec.FileParam.TimeMultiplier = 1000000.0 / hdr.Rate;
  SetSingleRate(rec, hdr.Rate, int64_t(n));
  rec.SetSampleCount(int32_t(n));
  while (rd.Remaining() > 8) {
    TRecBytes b;
    if (!rd.Read(MV70V5BlockSize, b))
      return;
    const uint32_t m = b.U32(0);
    if (m != MV70MarkerAnalogV5 && m != MV70MarkerStatusV5)
      return;
    const bool analog = m == MV70MarkerAnalogV5;
    TRecBytes s;
    if (!rd.Read(static_cast<size_t>(SampleBytes(analog, n)), s))
      return;
    const std::string ident = b.Text(48, 6), component = b.Text(54, 64);
    if (!analog) {
      TCyfrDescr& d = rec.Statuses->AddChannel();
      FillChannelTexts(d, ident, component);
      d.NormalState = 0;
      ReadStatusSamples(s, d, int32_t(n));
      continue;
    }
    TAnalogDescr& d = rec.Analogs->AddChannel(MemoryFormatRaw);
    FillChannelTexts(d, ident, component);
    const double f = b.F32(12), k = b.F32(44), base = double(b.I16(10)) * 2 / 32768 * f * k;
    const double g = b.F32(24), hh = b.F32(20);
    const std::string unit124 = b.Text(124, 6), unit118 = b.Text(118, 6);
    d.Secondary = f;
    d.RangeMin = -32768;
    d.RangeMax = 32767;
    if ((b.U32(4) & 0x80) == 0) {
      const double p = b.F32(16);
      d.Primary = f * p;
      d.A = f * p * k / 32768;
      d.B = -p * base;
      d.PS = 0;
      d.SetUnitS(unit124.empty() ? unit118 : unit124);
    } else if (g != hh) {
      const double mm = (double(b.F32(32)) - b.F32(28)) / (g - hh), c = b.F32(28) - hh * mm;
      d.Primary = f * mm * k;
      d.A = f * mm / 32768 * k;
      d.B = c - mm * base;
      d.PS = 0;
      d.SetUnitS(unit124.empty() ? unit118 : unit124);
    } else {
      d.Primary = f;
      d.A = f * k / 32768;
      d.B = -base;
      d.PS = 1;
      d.SetUnitS(unit118);
    }
    ReadAnalogSamples(s, d, int32_t(n));
  }
}

}  // namespace

double MV70CardRange(uint8_t type)
{
  switch (type) {
  case 4:
    return 200;
  case 5:
    return 50;
  case 6:
    return 100;
  default:
    return 0;
  }
}

int32_t MV70CardColour(uint8_t type)
{
  switch (type) {
  case 4:
    return 0xFF0000;
  case 5:
  case 6:
    return 0xFF;
  default:
    return 0;
  }
}

TMV70Config DecodeMV70Config(const TRecBytes& block)
{
  TMV70Config cfg;
  cfg.Name = block.Text(MV70CfgName, 64);
  cfg.Copied = block.U32(MV70CfgCopied);
  bool integerFactors = false;
  for (size_t c = 0; c < 16; ++c) {
    TMV70CfgCard& card = cfg.Cards[c];
    card.Type = static_cast<uint8_t>(block.U32(MV70CfgCards + MV70CfgCardSize * c) & 0xFF);
    for (size_t k = 0; k < 16; ++k) {
      const size_t o = CfgChannelOffset(c, k);
      TMV70CfgChannel& ch = card.Channels[k];
      ch.Factor = block.F32(o + kCfgFactor);
      ch.Component = block.Text(o + kCfgComponent, 24);
      ch.Identifier = block.Text(o + kCfgIdent, 6);
      ch.Units = block.Text(o + kCfgUnits, 6);
      ch.Gain = block.U16(o + kCfgGain);
      if (IsAnalogCard(card.Type) && k < 4 && ch.Factor != 0 && std::fabs(ch.Factor) < 1e-30f)
        integerFactors = true;
    }
  }
  // Some recorders stored the factors as integers: such bits read as tiny floats.
  if (integerFactors)
    for (size_t c = 0; c < 16; ++c)
      for (size_t k = 0; k < 16; ++k)
        cfg.Cards[c].Channels[k].Factor = static_cast<float>(block.U32(CfgChannelOffset(c, k) + kCfgFactor));
  return cfg;
}

TMV70Header DecodeMV70Header(const TRecBytes& b)
{
  TMV70Header h;
  h.Marker = b.U32(kHdrMarker);
  h.Stored = b.U32(kHdrStored);
  h.TrigDate = b.U32(kHdrTrigDate);
  h.Hour = b.U8(kHdrHour);
  h.Minute = b.U8(kHdrMinute);
  h.Second = b.U8(kHdrSecond);
  h.Millisecond = b.U16(kHdrMs);
  h.Pre = b.U32(kHdrPre);
  h.Post = b.U32(kHdrPost);
  h.Rate = b.U32(kHdrRate);
  h.Name = b.Text(kHdrName, 64);
  return h;
}

uint8_t DetectMV70Version(std::string_view data)
{
  TRecReader rd(data);
  TRecBytes sig;
  if (!rd.Read(MV70SignatureSize, sig))
    return MV70VersionUnknown;
  if (sig.Data() == MV70Signature10)
    return MV70Version1;
  if (sig.Data() == MV70Signature11)
    return MV70Version2;
  if (sig.Data() == MV70Signature20)
    return MV70Version4;
  if (sig.Data() == MV70Signature13S)
    return MV70Version5;
  rd.Seek(0);
  TRecBytes cfg, hdr;
  if (!rd.Read(MV70CfgSize, cfg) || cfg.U32(MV70CfgCheck) == MV70CfgRefused)
    return MV70VersionUnknown;
  if (!rd.Read(MV70OldHeaderSize, hdr))
    return MV70VersionUnknown;
  return hdr.U32(kHdrMarker) == MV70MarkerOldHeader ? MV70Version0 : MV70VersionUnknown;
}

uint8_t TMV70Interface::DetectVersion(TStream& stream)
{
  try {
    return DetectMV70Version(ReadWholeStream(stream));
  } catch (const std::exception&) {
    return MV70VersionUnknown;
  }
}

std::string TMV70Interface::Description() const { return DfpTranslate("KEY_MV70I_DESC"); }

bool TMV70Interface::CanLoad(TStream& stream, const TMessageHook&) const
{
  return DetectVersion(stream) != MV70VersionUnknown;
}

void TMV70Interface::LoadFromStreams(TComtrade& rec, const TStringArray& names, const std::string&,
                                     const TStreamArray& streams, const TMessageHook& hook) const
{
  const std::string data = ReadWholeStream(FirstStream(streams, ClassName() + ".LoadFromStreams"));
  const uint8_t version = DetectMV70Version(data);
  TRecReader rd(data, version == MV70Version1 || version == MV70Version2 || version == MV70Version5);
  if (version == MV70Version5) {
    LoadVersion5(rec, rd);
    return;
  }
  TRecBytes sig;
  if (!rd.Read(MV70SignatureSize, sig))
    throw EComtrade("Error reading header");
  if (version == MV70VersionUnknown)
    Fail("KEY_ERROR_READING_HDR");

  TMV70Config cfg;
  TMV70Header hdr;
  const bool old = version == MV70Version0 || version == MV70Version1;
  if (old) {
    if (version == MV70Version0)
      rd.Seek(0);
    TRecBytes block, h92;
    if (!rd.Read(MV70CfgSize, block))
      Fail("KEY_CFG_READ_ERROR");
    // The check dword is compared as stored, before the fields are taken in file order.
    if (TRecBytes(block.Data(), false).U32(MV70CfgCheck) == MV70CfgRefused) {
      if (version == MV70Version1)
        throw EComtrade("This is not CFG in first version. Error.");
      Fail("KEY_CFG_CHKSUM_ERROR");
    }
    cfg = DecodeMV70Config(block);
    if (!rd.Read(MV70OldHeaderSize, h92))
      Fail("KEY_HDR_READ_ERROR");
    hdr = DecodeMV70Header(h92);
    if (hdr.Marker != MV70MarkerOldHeader)
      Fail(version == MV70Version1 ? "KEY_UNRECOG_SIGNATURE_IS" : "KEY_UNRECOG_SIGNATURE_I");
    // The 92-byte header holds a speed index where the newer one holds the rate, and takes
    // the recorder's name from the configuration.
    if (hdr.Rate >= MV70SpeedRates.size())
      Fail("KEY_INVALID_HDRSPEED");
    hdr.Rate = static_cast<uint32_t>(MV70SpeedRates[hdr.Rate]);
    hdr.Name = cfg.Name;
  } else {
    TRecBytes h;
    if (!rd.Read(MV70HeaderSize, h))
      Fail("KEY_HDR_READ_ERROR");
    hdr = DecodeMV70Header(h);
    if (hdr.Marker != MV70MarkerHeader)
      Fail("KEY_UNRECOG_SIGNATURE_II");
    if (hdr.Rate == 0)
      Fail("KEY_INVALID_HDRSPEED");
  }
  if (hdr.Stored != MV70MarkerStored)
    Fail("KEY_DAT_STORED_INCORRECTLY");

  // Every channel block must fit in what follows before anything is sized from the header.
  const uint64_t n64 = uint64_t(hdr.Pre) + hdr.Post;
  if (n64 > uint64_t(MaxRecorderSamples) ||
      !CanHoldChannels(rd, version, n64, old ? 4 : MV70ChannelHeaderSize))
    Fail("KEY_INCOMPLETE_DATA");
  const int32_t n = static_cast<int32_t>(n64);

  rec.Clear();
  SetRecorderHeader(rec, hdr.Name, MV70DeviceTexts[version]);
  SetTriggerAndStart(rec, hdr, -(double(hdr.Pre) * 1000.0 / hdr.Rate));
  rec.FileParam.TimeMultiplier = 1000000.0 / hdr.Rate;
  SetSingleRate(rec, hdr.Rate, n);
  rec.SetSampleCount(n);

  const std::string fileName = names.empty() ? std::string() : names[0];
  auto corrupted = [&] {
    if (!hook)
      Fail("KEY_DATA_CORRUPTED");
    hook(Msg("KEY_DATA_CORRUPTED_IN") + " " + fileName + "\\e");
  };
  while (rd.Remaining() > 8) {
    uint32_t marker = 0;
    if (!rd.ReadU32(marker))
      break;
    const bool analog = marker == (old ? MV70MarkerAnalogOld : MV70MarkerAnalog);
    if (!analog && marker != (old ? MV70MarkerStatusOld : MV70MarkerStatus)) {
      corrupted();
      return;
    }
    TRecBytes ch, samples;
    if (!rd.Read(old ? 4 : MV70ChannelHeaderSize, ch))
      Fail("KEY_INCOMPLETE_DATA");
    int32_t number = 0;
    uint8_t type = 0;
    std::string ident, component, units;
    double range = 0, factor = 0, gain = 0;
    int16_t zero = 0;
    if (old) {
      const uint16_t place = ch.U16(0);
      zero = ch.I16(2);
      // The place names a card and channel of the configuration block; one outside it is
      // damage, not an index.
      if (place / 4 >= 16) {
        corrupted();
        return;
      }
      const TMV70CfgCard& card = cfg.Cards[place / 4];
      const TMV70CfgChannel& c = card.Channels[place % 4];
      number = int32_t(place) + 1;
      type = card.Type;
      ident = c.Identifier;
      component = c.Component;
      units = c.Units;
      range = MV70CardRange(type);
      factor = c.Factor;
      gain = c.Gain;
    } else {
      const uint16_t place = ch.U16(kChPlace);
      type = static_cast<uint8_t>(ch.U16(kChType) & 0xFF);
      number = analog ? int32_t(place & 0xFF) + 1 : int32_t(place >> 8) * 100 + int32_t(place & 0xFF) + 101;
      ident = ch.Text(kChIdent, 6);
      component = ch.Text(kChComponent, 24);
      units = ch.Text(kChUnits, 6);
      range = ch.F32(kChRange);
      factor = ch.F32(kChFactor);
      zero = ch.I16(kChZero);
      gain = ch.U16(kChGain);
    }
    if (!rd.Read(static_cast<size_t>(SampleBytes(analog, n64)), samples))
      Fail("KEY_INCOMPLETE_DATA");
    TSygDescr* d = nullptr;
    if (analog) {
      TAnalogDescr& a = rec.Analogs->AddChannel(MemoryFormatRaw);
      a.SetUnitS(units);
      a.Secondary = range;
      a.Primary = range * factor;
      a.RangeMin = -32768;
      a.RangeMax = 32767;
      a.A = range * (gain / 10000.0) / 32768;
      a.B = -2.0 * zero * a.A;
      a.PS = 1;
      ReadAnalogSamples(samples, a, n);
      d = &a;
    } else {
      TCyfrDescr& s = rec.Statuses->AddChannel();
      s.NormalState = 0;
      ReadStatusSamples(samples, s, n);
      d = &s;
    }
    d->Number = number;
    FillChannelTexts(*d, ident, component);
    d->PenColor = MV70CardColour(type);
    d->BackgroundColor = 0xFFFFFF;
    d->Tag = 0;
  }
}

const TFileInterface& MV70Interface()
{
  static const TMV70Interface instance;
  return instance;
}
