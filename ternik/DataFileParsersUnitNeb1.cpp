#include "ternik/DataFileParsersUnitNeb1.h"

#include <array>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"
#include "platform/StrFormat.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/DataFileParsersUnit.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitRecorder.h"

namespace {

constexpr size_t kMoment = 2, kName = 8, kScaleU = 56, kScaleI = 58, kNs = 66, kDelay = 88, kSamples = 90;
constexpr int32_t kSampleCount = 1000;

struct TNebStatus {
  std::string_view Ident, Component;  // an empty identifier comes from the dictionary
  int32_t Colour;
  bool WordB;
  int Bit;
};

}  // namespace

uint16_t Neb1Checksum(std::string_view record)
{
  uint32_t sum = 0;
  for (size_t i = 0; i < Neb1ChecksumOffset && i < record.size(); ++i)
    sum += uint8_t(record[i]);
  return static_cast<uint16_t>(sum);
}

bool Neb1RecordValid(const TRecBytes& record)
{
  return record.Size() == Neb1RecordSize && Neb1Checksum(record.Data()) == record.U16(Neb1ChecksumOffset);
}

bool TNeb1Interface::CanLoad(TStream& stream, const TMessageHook&) const
{
  try {
    const std::string data = ReadWholeStream(stream);
    TRecReader rd(data);
    TRecBytes r;
    while (rd.Read(Neb1RecordSize, r))
      if (!Neb1RecordValid(r))
        return false;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TNeb1Interface::LoadFromStreams(TComtrade& rec, const TStringArray&, const std::string& option,
                                     const TStreamArray& streams, const TMessageHook&) const
{
  const std::string data = ReadWholeStream(FirstStream(streams, ClassName() + ".LoadFromStreams"));
  const int64_t count = int64_t(data.size() / Neb1RecordSize);
  int32_t number = 0;
  if (!TryStrToInt(option, number)) {
    if (count == 0)
      return;
    if (count == 1) {
      number = 1;
    } else {
      std::string answer;
      if (!Prompts().InputQuery("Neb1", DfpFormat("KEY_SELECT_RECNUM", {uint64_t(count)}), answer))
        return;
      if (!TryStrToInt(answer, number))
        return;
    }
  }
  if (number < 1 || number > count)
    return;
  TRecReader rd(data);
  rd.Seek(size_t(int64_t(number - 1) * int64_t(Neb1RecordSize)));
  TRecBytes r;
  if (!rd.Read(Neb1RecordSize, r) || !Neb1RecordValid(r))
    return;

  rec.Clear();
  std::string name = std::string(r.Data().substr(kName, 16));
  for (char& c : name)
    if (uint8_t(c) < 33 || uint8_t(c) > 126)
      c = '.';
  SetRecorderHeader(rec, DfpTranslate("KEY_NAME") + Format("= %s, Ns=%u", {name, unsigned(r.U16(kNs))}),
                    "Neb1");
  TObFileParam& fp = rec.FileParam;
  const uint16_t w0 = r.U16(kMoment), w1 = r.U16(kMoment + 2), w2 = r.U16(kMoment + 4);
  // A moment that is no date gives the date-time 0 rather than an error.
  if (!SetRecorderTime(fp.StartTime, ((w0 >> 9) & 0x7F) + 1980, (w0 >> 5) & 0x0F, w0 & 0x1F, (w1 >> 6) & 0x1F,
                       w1 & 0x3F, (w2 >> 10) & 0x3F, int64_t(w2 & 0x3FF) * 1000))
    SetZeroTime(fp.StartTime);
  fp.TriggerTime = fp.StartTime;
  AddRecorderMilliseconds(fp.TriggerTime, r.U16(kDelay));
  fp.TimeMultiplier = 1000;
  SetSingleRate(rec, 1000, kSampleCount);
  rec.SetSampleCount(kSampleCount);

  struct TNebAnalog {
    std::string Ident, Component, Units;
    double Ratio, A;
    int32_t Colour;
  };
  const double scaleU = r.U16(kScaleU), scaleI = r.U16(kScaleI);
  const std::array<TNebAnalog, 3> analogs = {{
      {"Uo", "Uo", "V", 200.0, scaleU / 32768 * 0.08537109375, 0xFF0000},
      {"SIo", DfpTranslate("KEY_INTEGRAL") + " Io", "A", 1.0, scaleI / 32768 * 0.419970703125, 0x800080},
      {"Io", "Io", "A", 1.0, scaleI / 32768 * 0.419970703125, 0xFF},
  }};
  std::array<TAnalogDescr*, 3> a{};
  for (size_t i = 0; i < analogs.size(); ++i) {
    TAnalogDescr& d = rec.Analogs->AddChannel(MemoryFormatRaw);
    d.SetChannelIdS(analogs[i].Ident);
    d.SetComponentS(analogs[i].Component);
    d.SetUnitS(analogs[i].Units);
    d.Primary = analogs[i].Ratio;
    d.Secondary = analogs[i].Ratio;
    d.RangeMin = -2047;
    d.RangeMax = 2047;
    d.A = analogs[i].A;
    d.B = 0;
    d.PS = 1;
    d.PenColor = analogs[i].Colour;
    a[i] = &d;
  }
  static const std::array<TNebStatus, 8> statuses = {{
      {"", "", 0xFF, false, 12},
      {"Pob", "Pobudzenie", 0, false, 13},
      {"Blok", "Blokada", 0, false, 14},
      {"PobUo", "Pobudzenie w torze Uo", 0xFF0000, false, 15},
      {"PobIo", "Pobudzenie w torze Io", 0xFF, true, 12},
      {"PobDir", "Pobudzenie w torze kierunkowo-prądowym"_cp, 0xFF, true, 13},
      {"StUp", "Strzałka góra"_cp, 0x8000, true, 14},
      {"StDn", "Strzałka dół"_cp, 0x8000, true, 15},
  }};
  std::array<TCyfrDescr*, 8> s{};
  for (size_t i = 0; i < statuses.size(); ++i) {
    TCyfrDescr& d = rec.Statuses->AddChannel();
    d.SetChannelIdS(i == 0 ? DfpTranslate("KEY_PWRCUT_ABBR") : std::string(statuses[i].Ident));
    d.SetComponentS(i == 0 ? DfpTranslate("KEY_PWRCUT") : std::string(statuses[i].Component));
    d.NormalState = 0;
    d.PenColor = statuses[i].Colour;
    s[i] = &d;
  }
  auto value12 = [&](int32_t k, bool wordB) {
    return int32_t(r.U16(kSamples + 4 * size_t(k) + (wordB ? 2 : 0)) & 0xFFF) - 2048;
  };
  for (int32_t k = 0; k < kSampleCount; ++k) {
    const uint16_t wa = r.U16(kSamples + 4 * size_t(k)), wb = r.U16(kSamples + 4 * size_t(k) + 2);
    a[0]->SetRawSample(k, value12(k, false));
    a[1]->SetRawSample(k, value12(k, true));
    int32_t io = 0;
    if (k >= 2) {
      const int32_t rr = value12(k - 2, true), ss = value12(k - 1, true);
      int64_t v = RoundHalfEven((double(rr - ss) * 8 + ss) * 0.37);
      io = int32_t(v < -4095 ? -4095 : (v > 4095 ? 4095 : v));
    }
    a[2]->SetRawSample(k, io);
    for (size_t i = 0; i < statuses.size(); ++i)
      s[i]->SetSample(k, (((statuses[i].WordB ? wb : wa) >> statuses[i].Bit) & 1) ? 1 : 0);
  }
}

const TFileInterface& Neb1Interface()
{
  static const TNeb1Interface instance;
  return instance;
}
