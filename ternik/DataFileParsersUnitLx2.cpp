#include "ternik/DataFileParsersUnitLx2.h"

#include "platform/NumText.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitReader.h"
#include "ternik/DataFileParsersUnitRecorder.h"

namespace {

constexpr size_t kFirst = 0, kLast = 2, kRate = 4, kSamples = 8, kTrigger = 16, kKind = 24, kWord26 = 26;
// Channel record fields.
constexpr size_t kRange = 0, kUnits = 20, kComponent = 60;
constexpr size_t kFlags[] = {12, 14, 100, 102};
// 1970-01-01 as a day number.
constexpr double kUnixEpochDays = 25569.0;

TRecBytes ChannelRecord(const TRecBytes& h, size_t c)
{
  return h.Sub(Lx2ChannelRecords + Lx2ChannelRecordSize * c, Lx2ChannelRecordSize);
}

}  // namespace

std::string TLx2Interface::Description() const { return DfpTranslate("KEY_LX2_DESC"); }

bool TLx2Interface::CanLoad(TStream& stream, const TMessageHook&) const
{
  try {
    stream.Seek(0);
    std::string bytes(Lx2HeaderSize, '\0');
    if (stream.Read(bytes.data(), bytes.size()) != bytes.size())
      return false;
    const TRecBytes h(bytes, false);
    const uint16_t f = h.U16(kFirst), l = h.U16(kLast);
    // The 0-or-1 field at 24 is read as the word it is: the word at 26 follows it directly.
    if (f > 15 || l > 15 || l < f || h.U16(kWord26) > 16 || h.U16(kKind) > 1)
      return false;
    for (size_t c = 0; c < 16; ++c)
      for (size_t flag : kFlags)
        if (ChannelRecord(h, c).U16(flag) > 1)
          return false;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TLx2Interface::LoadFromStreams(TComtrade& rec, const TStringArray&, const std::string&,
                                    const TStreamArray& streams, const TMessageHook&) const
{
  const std::string data = ReadWholeStream(FirstStream(streams, ClassName() + ".LoadFromStreams"));
  TRecReader rd(data);
  TRecBytes h;
  if (!rd.Read(Lx2HeaderSize, h))
    throw EComtrade("Error reading header");
  const uint16_t f = h.U16(kFirst), l = h.U16(kLast);
  // Channel 16 would be a record past the channel table: the last channel is 15.
  if (f > 15 || l > 15 || l < f || h.U16(kWord26) > 16)
    throw EComtrade("Incorrect header.");
  const size_t n = size_t(l - f) + 1;
  const uint32_t totalRate = h.U32(kRate);
  if (totalRate == 0)
    throw EComtrade("Incorrect header.");
  const double rate = double(totalRate) / double(n);
  const int64_t declared = h.U32(kSamples);

  // Frames the file holds; a short read still counts as an attempt. The bound comes before
  // anything is sized from the header.
  const int64_t complete = int64_t(rd.Remaining() / (2 * n));
  const int64_t attempted = complete < declared ? complete + 1 : declared;
  if (attempted < declared - 10)
    throw EComtrade(DfpTranslate("KEY_INCOMPLETE_DATA"));

  rec.Clear();
  SetRecorderHeader(rec, h.Text(Lx2Station, 100), "LX2");
  TObFileParam& fp = rec.FileParam;
  fp.TriggerTime.SetDateTime(kUnixEpochDays + double(h.U32(kTrigger)) / 86400.0);
  fp.StartTime = fp.TriggerTime;
  fp.TimeMultiplier = 1000000.0 / rate;
  SetSingleRate(rec, rate, declared);

  std::vector<TAnalogDescr*> channels;
  for (size_t c = f; c <= l; ++c) {
    const TRecBytes r = ChannelRecord(h, c);
    TAnalogDescr& d = rec.Analogs->AddChannel(MemoryFormatRaw);
    d.SetChannelIdS("WE_" + IntToStr(int64_t(c) + 1));
    d.SetComponentS(r.Text(kComponent, 40));
    const std::string units = r.Text(kUnits, 40);
    d.SetUnitS(units);
    const double range = r.F32(kRange);
    d.Primary = range;
    d.Secondary = range;
    d.RangeMin = -32768;
    d.RangeMax = 32767;
    d.A = range / 32768;
    d.B = 0;
    d.PS = 1;
    const char letter = units.size() > 1 && units[0] == '[' ? units[1] : (units.empty() ? '\0' : units[0]);
    if (letter == 'V')
      d.PenColor = 0xFF0000;
    else if (letter == 'A')
      d.PenColor = 0xFF;
    channels.push_back(&d);
  }
  rec.SetSampleCount(int32_t(declared));
  const int64_t frames = complete < declared ? complete : declared;
  for (int64_t i = 0; i < frames; ++i) {
    TRecBytes frame;
    if (!rd.Read(2 * n, frame))
      break;
    for (size_t k = 0; k < n; ++k)
      channels[k]->SetRawSample(int32_t(i), int32_t(frame.U16(2 * k)) - 32768);
  }
}

const TFileInterface& Lx2Interface()
{
  static const TLx2Interface instance;
  return instance;
}
