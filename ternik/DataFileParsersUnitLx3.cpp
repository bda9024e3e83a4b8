#include "ternik/DataFileParsersUnitLx3.h"

#include <cmath>
#include <vector>

#include "platform/NumText.h"
#include "platform/StrFormat.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/DataFileParsersUnit.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitReader.h"
#include "ternik/DataFileParsersUnitRecorder.h"

const std::array<std::string_view, 20> Lx3KindTexts = {"NC",  "U",   "I",  "UL1", "UL2", "UL3", "IL1",
                                                       "IL2", "IL3", "U0", "I0",  "UAB", "UBC", "UCA",
                                                       "UDC", "IDC", "T",  "P",   "Q",   "AUX"};
const std::array<int32_t, 16> Lx3FrameOrder = {1, 7, 13, 2, 8, 14, 3, 9, 15, 4, 10, 16, 5, 11, 6, 12};

namespace {

// Header fields.
constexpr size_t kCount1 = 0, kCount2 = 2, kPeriod = 4, kSamples = 8, kPre = 20, kStart = 28, kStation = 36;
// Channel record fields.
constexpr size_t kPresent = 0, kSlot = 1, kKind = 5, kZero = 10, kSecondary = 40, kComponent = 56,
                 kUnits = 97, kFactor = 106, kColour1 = 114, kColour2 = 118, kGain = 122;

struct TLx3Record {
  bool Present = false;
  uint8_t Kind = 0;
  int32_t Zero = 0;
  double Secondary = 0, Factor = 0, Gain = 1.0;
  std::string Component, Units;
  int32_t Colour1 = 0, Colour2 = 0;
  int32_t Place = 0;
};

[[noreturn]] void Fail(std::string_view key) { throw EComtrade(DfpTranslate(key)); }
[[noreturn]] void ReadError() { throw EComtrade("Stream read error"); }

bool FrameInSync(const std::vector<uint16_t>& f)
{
  for (size_t i = 0; i < f.size(); ++i)
    if (((f[i] & 1) != 0) != (i == 0))
      return false;
  return true;
}

}  // namespace

std::string TLx3Interface::Description() const { return DfpTranslate("KEY_LX3_DESC"); }

bool TLx3Interface::CanLoad(TStream& stream, const TMessageHook&) const
{
  try {
    stream.Seek(0);
    std::string sig(Lx3SignatureSize, '\0');
    if (stream.Read(sig.data(), sig.size()) != sig.size())
      return false;
    return sig == Lx3Signature31 || sig == Lx3Signature32;
  } catch (const std::exception&) {
    return false;
  }
}

void TLx3Interface::LoadFromStreams(TComtrade& rec, const TStringArray&, const std::string&,
                                    const TStreamArray& streams, const TMessageHook&) const
{
  const std::string data = ReadWholeStream(FirstStream(streams, ClassName() + ".LoadFromStreams"));
  TRecReader rd(data);
  TRecBytes sig, header;
  if (!rd.Read(Lx3SignatureSize, sig))
    ReadError();
  bool v32 = false;
  if (sig.Data() == Lx3Signature32)
    v32 = true;
  else if (sig.Data() != Lx3Signature31)
    Fail("KEY_UNKNOWN_FILE_HEADER");
  // A 3.1 header is the first part of the 3.2 layout; the fields it lacks read as zero.
  if (!rd.Read(v32 ? Lx3HeaderSize32 : Lx3HeaderSize31, header))
    ReadError();

  std::array<TLx3Record, Lx3Slots> slots;
  bool badSlot = false;
  const uint32_t records = uint32_t(header.U16(kCount1)) + header.U16(kCount2);
  for (uint32_t i = 0; i < records; ++i) {
    TRecBytes r;
    if (!rd.Read(v32 ? Lx3RecordSize32 : Lx3RecordSize31, r))
      ReadError();
    const uint8_t slot = r.U8(kSlot);
    if (slot >= Lx3Slots) {
      badSlot = true;
      continue;
    }
    TLx3Record& s = slots[slot];
    s = TLx3Record();
    s.Present = r.U8(kPresent) != 0;
    s.Kind = r.U8(kKind);
    s.Zero = r.I32(kZero);
    s.Secondary = r.F64(kSecondary);
    s.Component = r.LenText(kComponent, 40);
    s.Units = r.LenText(kUnits, 8);
    s.Factor = r.F64(kFactor);
    s.Colour1 = r.I32(kColour1);
    s.Colour2 = r.I32(kColour2);
    s.Gain = v32 ? r.F64(kGain) : 1.0;
  }
  if (badSlot)
    Fail("KEY_UNKNOWN_FILE_HEADER");

  // Frame places: the analog slots in frame order, then one status word after them.
  int32_t analogCount = 0;
  for (int32_t slot1 : Lx3FrameOrder)
    if (slots[size_t(slot1 - 1)].Present)
      slots[size_t(slot1 - 1)].Place = analogCount++;
  bool anyStatus = false;
  for (size_t s = 16; s < Lx3Slots; ++s)
    if (slots[s].Present) {
      slots[s].Place = analogCount;
      anyStatus = true;
    }
  const size_t w = size_t(analogCount) + (anyStatus ? 1 : 0);

  const double period = header.F32(kPeriod);
  if (!std::isfinite(period) || period <= 0)
    Fail("KEY_UNKNOWN_FILE_HEADER");
  const uint32_t declared = header.U32(kSamples);
  // The frames the rest of the file can hold bound the recording before anything is sized.
  const int64_t available = w == 0 ? 0 : int64_t(rd.Remaining() / (2 * w));
  if (w > 0 && available < int64_t(declared) - 2)
    Fail("KEY_UNEXPECTED_EOD");
  // Without a channel the frames hold nothing: no samples.
  const int64_t count = w == 0 ? 0 : int64_t(declared);

  rec.Clear();
  SetRecorderHeader(rec, header.LenText(kStation, 64), "LX3");
  const double start = header.F64(kStart);
  TObFileParam& fp = rec.FileParam;
  try {
    fp.StartTime.SetDateTime(start);
  } catch (const EComtrade&) {
    SetZeroTime(fp.StartTime);
  }
  fp.TriggerTime = fp.StartTime;
  int64_t ms = 0;
  if (TryDoubleToInt64(double(RoundHalfEven(double(header.U32(kPre)) * period)), ms))
    AddRecorderMilliseconds(fp.TriggerTime, ms);
  fp.TimeMultiplier = 1000.0 * period;
  SetSingleRate(rec, 1000.0 / period, count);

  std::vector<TAnalogDescr*> analogByPlace(size_t(analogCount), nullptr);
  for (size_t s = 0; s < 16; ++s) {
    const TLx3Record& r = slots[s];
    if (!r.Present)
      continue;
    TAnalogDescr& d = rec.Analogs->AddChannel(MemoryFormatRaw);
    const std::string_view kind = r.Kind < Lx3KindTexts.size() ? Lx3KindTexts[r.Kind] : std::string_view();
    d.SetChannelIdS(std::string(kind) + "_" + IntToStr(int64_t(s) + 1));
    d.SetComponentS(r.Component);
    d.SetUnitS(r.Units);
    d.Secondary = r.Secondary;
    d.Primary = r.Secondary * r.Factor;
    d.RangeMin = -32768;
    d.RangeMax = 32767;
    d.A = r.Secondary * r.Gain / 32768;
    d.B = -2.0 * r.Zero * d.A;
    d.PS = 1;
    d.PenColor = r.Colour1;
    d.BackgroundColor = r.Colour2;
    d.Tag = r.Place;
    analogByPlace[size_t(r.Place)] = &d;
  }
  std::vector<TCyfrDescr*> statuses;
  for (size_t s = 16; s < Lx3Slots; ++s) {
    const TLx3Record& r = slots[s];
    if (!r.Present)
      continue;
    TCyfrDescr& d = rec.Statuses->AddChannel();
    d.SetChannelIdS("D_" + IntToStr(int64_t(s) + 1));
    d.SetComponentS(r.Component);
    d.NormalState = 0;
    d.PenColor = r.Colour1;
    d.BackgroundColor = r.Colour2;
    d.Tag = int32_t(2u << (s - 16));
    statuses.push_back(&d);
  }
  rec.SetSampleCount(int32_t(count));

  int64_t stored = 0;
  uint32_t repairs = 0;
  std::vector<uint16_t> frame(w);
  auto readWord = [&](uint16_t& v) { return rd.ReadU16(v); };
  while (stored < count && rd.Remaining() > 0) {
    bool complete = true;
    for (size_t i = 0; i < w && complete; ++i)
      complete = readWord(frame[i]);
    if (!complete)
      break;  // a partial frame at the end is no sample
    bool ended = false;
    while (!FrameInSync(frame)) {
      ++repairs;
      uint16_t next = 0;
      if (!readWord(next)) {
        ended = true;
        break;
      }
      frame.erase(frame.begin());
      frame.push_back(next);
    }
    if (ended)
      break;
    for (size_t p = 0; p < size_t(analogCount); ++p)
      analogByPlace[p]->SetRawSample(int32_t(stored), static_cast<int16_t>(frame[p]));
    for (TCyfrDescr* d : statuses)
      d->SetSample(int32_t(stored), (frame[w - 1] & uint32_t(d->Tag)) ? 1 : 0);
    ++stored;
  }
  if (stored < count - 2)
    Fail("KEY_UNEXPECTED_EOD");
  if (repairs > 1)
    throw EComtrade(DfpFormat("KEY_DMG_FIX_CNT", {repairs}));
}

const TFileInterface& Lx3Interface()
{
  static const TLx3Interface instance;
  return instance;
}
