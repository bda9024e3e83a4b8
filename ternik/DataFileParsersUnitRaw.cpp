#include "ternik/DataFileParsersUnitRaw.h"

#include <cstdlib>
#include <map>

#include "platform/NumText.h"
#include "platform/StrFormat.h"
#include "ternik/ComTrade3UnitModel.h"
#include "ternik/DataFileParsersUnit.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitReader.h"

const std::array<int32_t, 18> MvkRawAnalogOrder = {1, 7,  13, 2, 8,  14, 3, 9,  15,
                                                   4, 10, 16, 5, 11, 17, 6, 12, 18};

namespace {

constexpr size_t kSearchWords = 40;

// The data stream of the set, or the parser's error when the names hold none.
TStream& DataStream(const TComtradeDataFileParser& p, const TStringArray& names, const TStreamArray& streams)
{
  const int32_t i = IndexOfFileExt(".DAT", names);
  if (i < 0 || size_t(i) >= streams.size() || !streams[size_t(i)])
    throw EComtrade(p.ClassName() + ".LoadDataFromStream: " + DfpTranslate("KEY_DAT_NOT_FOUND"));
  return *streams[size_t(i)];
}

// E and R: the first segment's end sample and rate.
struct TDeclared {
  int64_t End = 0;
  double Rate = 0;
};
TDeclared Declared(const TComtrade& rec)
{
  if (rec.Rates->SegmentCount() == 0)
    return {};
  return {rec.Rates->GetItem(0).EndSample(), rec.Rates->GetItem(0).Rate};
}

// Seconds of a sample count at the declared rate; a recording without a rate shows 0.
double Seconds(int64_t samples, double rate) { return rate != 0 ? double(samples) / rate : 0.0; }

void Truncate(TComtrade& rec, int64_t end)
{
  if (rec.Rates->SegmentCount() > 0)
    rec.Rates->GetItem(0).SetEndSample(end);
}

std::string BareFileName(const std::string& name)
{
  std::string s = name;
  const size_t slash = s.find_last_of("/\\");
  if (slash != std::string::npos)
    s.erase(0, slash + 1);
  const size_t dot = s.rfind('.');
  if (dot != std::string::npos)
    s.erase(dot);
  return s;
}

// A word index of the next synchronisation word at or after from, at most kSearchWords on.
int64_t FindSync(const std::vector<uint16_t>& w, size_t from)
{
  for (size_t j = from; j < w.size() && j < from + kSearchWords; ++j)
    if (w[j] & 1)
      return int64_t(j);
  return -1;
}

}  // namespace

bool TDatRec::Valid() const
{
  for (size_t i = 0; i < Words.size(); ++i)
    if (((Words[i] & 1) != 0) != (i == 0))
      return false;
  return true;
}

void TDatRec::Fill(bool flag, size_t analogCount)
{
  for (size_t i = 0; i < Words.size(); ++i)
    Words[i] = i < analogCount ? static_cast<uint16_t>(flag ? 30000 : -30000) : (flag ? 0xFFFF : 0);
}

int32_t CmtrDebugLevel()
{
  const char* v = std::getenv("KIVSSN_CMTRDEBUG");
  return v ? StrToIntDef(v, 0) : 0;
}

void TMV70OPFaultDataFileParser::LoadDataFromStream(TComtrade& rec, const TStringArray& names,
                                                    const TStreamArray& streams,
                                                    const TMessageHook& hook) const
{
  TStream& stream = DataStream(*this, names, streams);
  const std::string fileName = names[size_t(IndexOfFileExt(".DAT", names))];
  const int32_t debug = CmtrDebugLevel();

  // The analog channels in packet order, and the cards of the status channels with their bits.
  std::vector<TAnalogDescr*> analogs;
  for (int32_t number : MvkRawAnalogOrder)
    for (const auto& d : *rec.Analogs)
      if (d->Number == number) {
        analogs.push_back(d.get());
        break;
      }
  std::map<int32_t, std::vector<std::pair<uint16_t, TCyfrDescr*>>> cards;
  for (const auto& d : *rec.Statuses) {
    const int32_t card = d->Number / 100, bit = d->Number % 100;
    if (d->Number > 0 && card >= 1 && card <= 12 && bit >= 1 && bit <= 15)
      cards[card].emplace_back(static_cast<uint16_t>(1u << bit), d.get());
  }

  const std::string data = ReadWholeStream(stream);
  std::vector<uint16_t> words(data.size() / 2);
  const TRecBytes all(data, true);
  for (size_t i = 0; i < words.size(); ++i)
    words[i] = all.U16(2 * i);
  // Too short to find a packet in: nothing is read, and nothing reported.
  if (words.size() < kSearchWords)
    return rec.KeepSamplesRead(0);

  std::vector<TDatRec> packets;
  size_t length = 0, pos = 0;
  bool first = true;
  while (pos < words.size()) {
    const int64_t sync = FindSync(words, pos);
    if (sync < 0)
      break;
    if (first) {
      const int64_t next = FindSync(words, size_t(sync) + 1);
      if (next < 0)
        break;
      length = size_t(next - sync);
      first = false;
    }
    pos = size_t(sync);
    bool resync = false;
    while (!resync) {
      if (words.size() - pos < length) {
        // The tail is shorter than a packet: it is no sample.
        pos = words.size();
        break;
      }
      TDatRec p(length);
      for (size_t i = 0; i < length; ++i)
        p.Words[i] = words[pos + i];
      const size_t start = pos;
      pos += length;
      const bool valid = p.Valid();
      packets.push_back(std::move(p));
      if (valid)
        continue;
      resync = true;
      if (debug >= 1) {
        TDatRec marker(length);
        marker.Fill(false, analogs.size());
        packets.push_back(marker);
        marker.Fill(true, analogs.size());
        packets.push_back(marker);
        const int64_t next = FindSync(words, start + 1);
        const uint32_t d = next < 0 ? 0xFFFFFFFFu : uint32_t(next - int64_t(start));
        const uint64_t o = uint64_t(length) * packets.size() * 2;
        CallHook(hook, Format("Uszkodzenie PrbNr=%u PktLen=%u/%u FileOffset=%u:0x%x:%.1f%%\\e",
                              {uint64_t(packets.size()), d, uint64_t(length), o, o,
                               double(o) * 100 / double(data.size())},
                              LibraryFormat()));
      }
    }
  }
  // A stream in which no packet could be found loads nothing; packets read before a lost
  // synchronisation load, and the report below says where the data was cut.
  if (packets.empty())
    return rec.KeepSamplesRead(0);

  const TDeclared e = Declared(rec);
  const int64_t count = int64_t(packets.size());
  if (count + 4 < e.End || e.Rate == 0) {
    const bool interrupted = rec.Inf.ReadInteger("Velmarsk RecAttribs", "Interrupted", 0) != 0;
    CallHook(hook, DfpFormat(interrupted ? "KEY_CANCELLED_REC" : "KEY_CORRUPTED_REC",
                             {BareFileName(fileName), Seconds(e.End, e.Rate), Seconds(count, e.Rate)}));
  }
  // Packets beyond the first segment's end are no samples of the recording.
  if (rec.Rates->SegmentCount() > 0 && e.End < count)
    packets.erase(packets.begin() + e.End, packets.end());
  rec.KeepSamplesRead(int32_t(packets.size()));
  if (debug >= 1)
    CallHook(hook, Format("Podsumowanie PrbCnt=%u PktLen=%u\\e", {uint64_t(packets.size()), uint64_t(length)},
                          LibraryFormat()));

  for (size_t p = 0; p < packets.size(); ++p) {
    const std::vector<uint16_t>& w = packets[p].Words;
    auto word = [&](size_t i) -> uint16_t { return i < w.size() ? w[i] : 0; };
    for (size_t i = 0; i < analogs.size(); ++i)
      analogs[i]->SetRawSample(int32_t(p), static_cast<int16_t>(word(i)));
    size_t k = analogs.size();
    for (const auto& card : cards) {
      const uint16_t sw = word(k++);
      for (const auto& [mask, d] : card.second)
        d->SetSample(int32_t(p), (sw & mask) ? 1 : 0);
    }
  }
}

void TMV70OPTrendDataFileParser::LoadDataFromStream(TComtrade& rec, const TStringArray& names,
                                                    const TStreamArray& streams,
                                                    const TMessageHook& hook) const
{
  TStream& stream = DataStream(*this, names, streams);
  const std::string data = ReadWholeStream(stream);
  const size_t a = size_t(rec.Analogs->Count());
  const size_t frame = 2 * (a + 1);
  // Too short to find the start in: nothing is read, and nothing reported.
  if (data.size() / frame <= 29)
    return rec.KeepSamplesRead(0);

  // Frames begin with '#' and a counter that rises by one (modulo 256) from frame to frame.
  auto frameOk = [&](size_t at) { return at + frame <= data.size() && uint8_t(data[at]) == 0x23; };
  auto counter = [&](size_t at) { return uint8_t(data[at + 1]); };
  auto goodRun = [&](size_t at, size_t limit) {
    size_t n = 0;
    while (n < limit && frameOk(at + n * frame) &&
           (n == 0 || counter(at + n * frame) == uint8_t(counter(at + (n - 1) * frame) + 1)))
      ++n;
    return n;
  };
  size_t start = 0;
  bool found = false;
  for (size_t s = 0; s <= a && !found; ++s)
    if (goodRun(2 * s, 30) == 30) {
      start = 2 * s;
      found = true;
    }
  if (!found) {
    CallHook(hook, DfpTranslate("KEY_INCORRECT_DAT_FILE"));
    return rec.KeepSamplesRead(0);
  }
  const size_t n = goodRun(start, data.size());
  const TDeclared e = Declared(rec);
  if (int64_t(n) + 4 < e.End || e.Rate == 0)
    CallHook(hook, DfpFormat("KEY_CORRUPTED_REC2", {Seconds(e.End, e.Rate), Seconds(int64_t(n), e.Rate)}));
  // The first segment ends at the frames found, also where that is beyond its declared end.
  if (int64_t(n) < rec.Rates->TotalSamples64())
    rec.Rates->CutToSamples(int64_t(n));
  else
    Truncate(rec, int64_t(n));
  rec.SetSampleCount(int32_t(n));
  const TRecBytes all(data, true);
  for (size_t k = 0; k < n; ++k)
    for (size_t i = 0; i < a; ++i)
      rec.Analogs->Items(int32_t(i)).SetRawSample(int32_t(k), all.I16(start + k * frame + 2 * (i + 1)));
}

const TComtradeDataFileParser& MV70OPFaultDataFileParser()
{
  static const TMV70OPFaultDataFileParser instance;
  return instance;
}

const TComtradeDataFileParser& MV70OPTrendDataFileParser()
{
  static const TMV70OPTrendDataFileParser instance;
  return instance;
}
