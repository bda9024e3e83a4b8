#include "ternik/DataFileParsersUnit.h"

#include <climits>
#include <cmath>
#include <exception>
#include <optional>
#include <vector>

#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "ternik/DataFileParsersUnitHioki.h"
#include "ternik/DataFileParsersUnitLx2.h"
#include "ternik/DataFileParsersUnitLx3.h"
#include "ternik/DataFileParsersUnitMV70.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitNeb1.h"
#include "ternik/DataFileParsersUnitRaw.h"

namespace {

int gInitCount = 0;

// The ".DAT" stream among the names, or null.
TStream* DataStream(const TStringArray& names, const TStreamArray& streams)
{
  const int32_t i = IndexOfFileExt(".DAT", names);
  if (i < 0 || static_cast<size_t>(i) >= streams.size())
    return nullptr;
  return streams[static_cast<size_t>(i)].get();
}

// The whole stream in memory: a memory stream's own bytes without a copy, else read once.
std::string_view StreamBytes(TStream& stream, std::string& holder)
{
  if (const auto* m = dynamic_cast<const TMemoryStream*>(&stream))
    return m->Data();
  holder = stream.ReadAll();
  return holder;
}

std::string InvalidInteger(std::string_view s)
{
  return "'" + std::string(s) + "' is not a valid integer value";
}

// Decimal digits with an optional sign are read here directly (the usual case, and the hot
// path of large files); anything else goes through the runtime's integer text rules, which
// also decide what does not fit.
template <class T, size_t kFastDigits>
bool ParseIntField(std::string_view s, T& out, bool (*slow)(std::string_view, T&))
{
  size_t i = 0;
  bool neg = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    neg = s[0] == '-';
    i = 1;
  }
  const size_t digits = s.size() - i;
  if (digits > 0 && digits <= kFastDigits) {
    T v = 0;
    for (; i < s.size(); ++i) {
      const unsigned d = static_cast<unsigned char>(s[i]) - unsigned('0');
      if (d > 9)
        break;
      v = static_cast<T>(v * 10 + static_cast<T>(d));
    }
    if (i == s.size()) {
      out = neg ? static_cast<T>(-v) : v;
      return true;
    }
  }
  return slow(s, out);
}

bool ParseInt64Field(std::string_view s, int64_t& out)
{
  return ParseIntField<int64_t, 18>(s, out, &TryStrToInt64);
}
bool ParseInt32Field(std::string_view s, int32_t& out)
{
  return ParseIntField<int32_t, 9>(s, out, &TryStrToInt);
}

int32_t FieldInt32(std::string_view s)
{
  int32_t v = 0;
  if (!ParseInt32Field(s, v))
    throw EComtrade(InvalidInteger(s));
  return v;
}

// Decimal text of an integer appended to a buffer (the writers' hot path).
void AppendInt(std::string& out, int64_t v)
{
  char buf[24];
  size_t n = 0;
  uint64_t u = v < 0 ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    buf[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  if (v < 0)
    out.push_back('-');
  while (n > 0)
    out.push_back(buf[--n]);
}

std::vector<TAnalogDescr*> AllAnalogs(const TComtrade& rec)
{
  std::vector<TAnalogDescr*> v;
  for (const auto& d : *rec.Analogs)
    v.push_back(d.get());
  return v;
}

std::vector<TCyfrDescr*> AllStatuses(const TComtrade& rec)
{
  std::vector<TCyfrDescr*> v;
  for (const auto& d : *rec.Statuses)
    v.push_back(d.get());
  return v;
}

// Where a decoder puts one analog channel's samples: its raw store, whose extent it gathers
// on the way, or its store of scaled values.
struct TAnalogSink {
  TAnalogDescr* Descr;
  bool IsRaw;
  int32_t* Raw;
  double* Scaled;
  TRawExtent Extent;
};

// Every buffer a decoder fills in place: the time axis, the sample numbers, the analog and
// the status channels' stores. Fits tells whether each holds exactly the n samples the
// recording was sized for; only then may a decoder write them in place.
struct TDecodeTargets {
  std::span<double> Times;
  std::span<int64_t> Numbers;
  std::vector<TAnalogSink> Analogs;
  std::vector<uint8_t*> States;
  bool Fits = false;

  TDecodeTargets(TComtrade& rec, const std::vector<TAnalogDescr*>& analogs,
                 const std::vector<TCyfrDescr*>& statuses, size_t n)
      : Times(rec.Rates->TimesBuffer()), Numbers(rec.Rates->SampleNumbersBuffer())
  {
    // A store of another size (a channel class that sizes its own way) is left to the
    // checked setters.
    if (Times.size() != n || Numbers.size() != n)
      return;
    for (TAnalogDescr* d : analogs) {
      const bool raw = d->MemoryFormat() == MemoryFormatRaw;
      const std::span<int32_t> raws = d->RawSamples();
      const std::span<double> scaled = d->ScaledSamples();
      if ((raw ? raws.size() : scaled.size()) != n)
        return;
      Analogs.push_back({d, raw, raws.data(), scaled.data(), {}});
    }
    for (TCyfrDescr* d : statuses) {
      if (d->Samples().size() != n)
        return;
      States.push_back(d->Samples().data());
    }
    Fits = true;
  }

  // One sample of a decoder that goes sample by sample.
  void Number(int32_t q, int64_t v) { Numbers[size_t(q)] = v; }
  void Time(int32_t q, double t) { Times[size_t(q)] = t; }
  TAnalogSink& AnalogStore(size_t i) { return Analogs[i]; }
  static void Analog(TAnalogSink& s, int32_t q, int32_t v)
  {
    if (s.IsRaw) {
      s.Raw[q] = v;
      s.Extent.Add(v);
    } else {
      s.Scaled[q] = s.Descr->ScaledOf(v);
    }
  }
  void Status(size_t j, int32_t q, uint8_t v) { States[j][q] = v; }
  // A sample the decoder leaves as it is counts in the extents as it is.
  void Keep(int32_t q)
  {
    for (TAnalogSink& s : Analogs)
      if (s.IsRaw)
        s.Extent.Add(s.Raw[q]);
  }
  // The raw channels keep the extent their decoder gathered, for the range check.
  void Done()
  {
    for (const TAnalogSink& s : Analogs)
      if (s.IsRaw)
        s.Descr->SetRawExtent(s.Extent);
  }
};

// The same sample stores through the checked setters, for stores that do not hold exactly
// the recording's sample count: a store past its end refuses the sample with its index
// error, the samples stored before it stay.
struct TCheckedStores {
  TRateList& Rates;
  const std::vector<TAnalogDescr*>& Analogs;
  const std::vector<TCyfrDescr*>& Statuses;

  TCheckedStores(TRateList& rates, const std::vector<TAnalogDescr*>& analogs,
                 const std::vector<TCyfrDescr*>& statuses)
      : Rates(rates), Analogs(analogs), Statuses(statuses)
  {
    // The range check walks these stores: an extent an earlier decode left is forgotten.
    for (TAnalogDescr* d : analogs)
      (void)d->RawSamples();
  }
  void Number(int32_t q, int64_t v) { Rates.FSetSamplIdx(q, v); }
  void Time(int32_t q, double t) { Rates.FSetTime(q, t); }
  TAnalogDescr& AnalogStore(size_t i) { return *Analogs[i]; }
  static void Analog(TAnalogDescr& d, int32_t q, int32_t v) { d.SetRawSample(q, v); }
  void Status(size_t j, int32_t q, uint8_t v) { Statuses[j]->SetSample(q, v); }
  void Keep(int32_t) {}
  void Done() {}
};

// A data file that holds fewer samples than the configuration declares says so.
void WarnShortData(const TMessageHook& hook, int64_t held, int64_t declared)
{
  if (held < declared)
    CallHook(hook, "Comtrade warning : data file holds " + IntToStr(held) + " of " + IntToStr(declared) +
                       " samples");
}

// What a save writes: the channels, the sample range, and a time multiplier to write with.
struct TSavePlan {
  TAnalogSelection Analogs;
  TCyfrSelection Statuses;
  int32_t First = 0, Last = 0;
  TSavePlan(TComtrade& rec, bool selectedOnly, bool viewOnly, const TMessageHook& hook)
  {
    rec.SelectChannels(selectedOnly, Analogs, Statuses);
    EnsureTimeMultiplier(rec, hook);
    SaveRange(rec, viewOnly, First, Last);
  }
};

const std::string kTimeStampsOutOfRange = "Comtrade warning : time stamps out of range";

// A sample count read from a data file, which the recording's buffers can index.
int32_t CheckedSampleCount(int64_t n)
{
  if (n < 0 || n > INT32_MAX)
    throw EComtrade("Sample count " + IntToStr(n) + " out of range");
  return static_cast<int32_t>(n);
}

// The shape of a BINARY data file's records, and where the times come from.
struct TBinaryRecords {
  std::string_view Data;
  size_t A, D, RecSize;
  bool Stamps;
  double Mult;  // the time multiplier
};

// The records straight into stores that hold exactly their count. Nothing here can fail:
// every sample is written, none is left unset. The records go in blocks, one channel at a
// time through each: the channels' stores start at the same offset in their pages, and a
// pass that writes all of them record by record keeps evicting its own cache lines.
void DecodeBinaryBlocks(const TBinaryRecords& f, size_t count, const TRateList& rates, TDecodeTargets& out)
{
  const std::string_view data = f.Data;
  const size_t recSize = f.RecSize, A = f.A, D = f.D, W = (D + 15) / 16;
  const bool stamps = f.Stamps;
  const double mult = f.Mult;
  const std::span<double> times = out.Times;
  const std::span<int64_t> numbers = out.Numbers;
  std::vector<TAnalogSink>& sinks = out.Analogs;
  const std::vector<uint8_t*>& states = out.States;
  // With rates every segment has one, so this walk cannot fail.
  if (!stamps)
    rates.SampleTimes(times);
  const char* const base = data.data();
  constexpr size_t kBlock = 64;
  for (size_t r0 = 0; r0 < count; r0 += kBlock) {
    const size_t r1 = std::min(count, r0 + kBlock);
    for (size_t r = r0; r < r1; ++r) {
      const uint32_t number = GetU32LE(data, r * recSize);
      numbers[r] = number != 0 ? int64_t(number) : int64_t(r) + 1;
      if (stamps)
        times[r] = double(GetU32LE(data, r * recSize + 4)) * mult / 1000000.0;
    }
    for (size_t i = 0; i < A; ++i) {
      TAnalogSink& s = sinks[i];
      const char* p = base + r0 * recSize + 8 + 2 * i;
      if (s.IsRaw) {
        TRawExtent e = s.Extent;
        for (size_t r = r0; r < r1; ++r, p += recSize) {
          const int32_t v = GetI16LE(std::string_view(p, 2), 0);
          s.Raw[r] = v;
          e.Add(v);
        }
        s.Extent = e;
      } else {
        for (size_t r = r0; r < r1; ++r, p += recSize)
          s.Scaled[r] = s.Descr->ScaledOf(GetI16LE(std::string_view(p, 2), 0));
      }
    }
    for (size_t w = 0, j = 0; w < W; ++w) {
      const size_t off = 8 + 2 * A + 2 * w;
      for (unsigned bit = 0; bit < 16 && j < D; ++bit, ++j) {
        // Held here: a store of bytes may alias anything, the list of stores too.
        uint8_t* const state = states[j];
        for (size_t r = r0; r < r1; ++r)
          state[r] = static_cast<uint8_t>((GetU16LE(data, r * recSize + off) >> bit) & 1u);
      }
    }
  }
  out.Done();
}

// The records one after the other through the checked setters: the first sample a store
// refuses ends the decode, and what was stored before it stays.
void DecodeBinaryRecords(const TBinaryRecords& f, int32_t n, const TRateList& rates, TCheckedStores& out)
{
  const size_t W = (f.D + 15) / 16;
  for (int32_t r = 0; r < n; ++r) {
    size_t off = size_t(r) * f.RecSize;
    const uint32_t number = GetU32LE(f.Data, off);
    out.Number(r, number != 0 ? int64_t(number) : int64_t(r) + 1);
    out.Time(r, f.Stamps ? double(GetU32LE(f.Data, off + 4)) * f.Mult / 1000000.0 : rates.SampleTime(r));
    off += 8;
    for (size_t i = 0; i < f.A; ++i, off += 2)
      out.Analog(out.AnalogStore(i), r, GetI16LE(f.Data, off));
    for (size_t w = 0, j = 0; w < W; ++w, off += 2) {
      const uint16_t word = GetU16LE(f.Data, off);
      for (unsigned bit = 0; bit < 16 && j < f.D; ++bit, ++j)
        out.Status(j, r, static_cast<uint8_t>((word >> bit) & 1u));
    }
  }
}

// The lines of an ASCII data file into the stores, in place or through the checked setters.
// A blank line leaves its sample as it is. The first bad line, or the first sample a store
// refuses, ends the decode with the line's 0-based number; the lines before it stay.
template <class TStores>
void DecodeAsciiLines(std::string_view data, size_t A, size_t D, bool stamps, double mult,
                      const TRateList& rates, TStores& out)
{
  std::vector<std::string_view> fields;
  auto field = [&](size_t k) -> std::string_view {
    if (k >= fields.size())
      throw EComtrade(ListIndexError(static_cast<int64_t>(k)));
    return fields[k];
  };
  int32_t q = 0;
  size_t pos = 0;
  try {
    for (; pos < data.size(); ++q) {
      size_t end = pos;
      while (end < data.size() && data[end] != '\n' && data[end] != '\r')
        ++end;
      const std::string_view line = data.substr(pos, end - pos);
      pos = end;
      if (pos < data.size())
        pos += (data[pos] == '\r' && pos + 1 < data.size() && data[pos + 1] == '\n') ? 2 : 1;
      if (CpTrim(line).empty()) {
        out.Keep(q);
        continue;
      }

      fields.clear();
      for (size_t b = 0;;) {
        const size_t c = line.find(',', b);
        const std::string_view f =
            CpTrim(line.substr(b, c == std::string_view::npos ? std::string_view::npos : c - b));
        fields.emplace_back(f.data(), f.size());
        if (c == std::string_view::npos)
          break;
        b = c + 1;
      }

      const std::string_view number = fields[0];
      int64_t index = int64_t(q) + 1;
      if (!number.empty() && !ParseInt64Field(number, index))
        throw EComtrade(InvalidInteger(number));
      out.Number(q, index);

      if (stamps) {
        double t = 0;
        try {
          const std::string_view ts = field(1);
          int64_t v = 0;
          // A time stamp is an unsigned 32-bit count.
          if (!ParseInt64Field(ts, v) || v < 0 || v > int64_t(UINT32_MAX))
            throw EComtrade(InvalidInteger(ts));
          t = double(v) * mult / 1000000.0;
        } catch (const std::exception& e) {
          throw EComtrade(DfpTranslate("KEY_READ_SAMP_TIME") + " " + IntToStr(q) + " " +
                          DfpTranslate("KEY_ERROR") + e.what());
        }
        out.Time(q, t);
      } else {
        out.Time(q, rates.SampleTime(q));
      }
      for (size_t i = 0; i < A; ++i) {
        // The store is found before the field is read: after that call it would be looked
        // up again.
        auto& store = out.AnalogStore(i);
        out.Analog(store, q, FieldInt32(field(i + 2)));
      }
      for (size_t j = 0; j < D; ++j)
        out.Status(j, q, FieldInt32(field(A + j + 2)) != 0 ? 1 : 0);
    }
  } catch (const std::exception& e) {
    throw EComtrade(DfpFormat("KEY_ERROR_IN_DAT_LINE_us", {static_cast<unsigned>(q), e.what()}));
  }
  out.Done();
}

}  // namespace

// ---- shared ----

void EnsureTimeMultiplier(TComtrade& rec, const TMessageHook& hook)
{
  double& m = rec.FileParam.TimeMultiplier;
  if (m != 0)
    return;
  CallHook(hook, "Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"_cp);
  const TRateList& rates = *rec.Rates;
  const int32_t n = rec.GetSampleCount();
  if (rates.SegmentCount() > 0 && rates.GetItem(0).Rate != 0)
    m = 1000000.0 / rates.GetItem(0).Rate;
  else if (n > 0)
    m = (rates.GetTime(n - 1) - rates.GetTime(0)) / n * 1000000.0;
  // Equal times (or none) give no interval: plain microseconds then, never a zero divisor.
  if (m == 0 || !std::isfinite(m))
    m = 1.0;
}

void SaveRange(const TComtrade& rec, bool viewOnly, int32_t& first, int32_t& last)
{
  const int32_t count = rec.GetSampleCount();
  if (viewOnly) {
    first = rec.Rates->SampleAtTime(rec.View.ViewStart);
    last = rec.Rates->SampleAtTime(rec.View.ViewEnd);
  } else {
    first = 0;
    last = count;
  }
  if (first < 0)
    first = 0;
  if (last > count)
    last = count;
}

uint32_t TimeStampOf(double t, double t0, double multiplier, bool& clamped)
{
  constexpr int64_t kMaxStamp = 4294967294;  // 4294967295 marks a missing time stamp
  const double x = (t - t0) / multiplier * 1000000.0;
  int64_t v = 0;
  if (!TryRoundHalfEven(x, v)) {
    clamped = true;
    return x > 0 ? uint32_t(kMaxStamp) : 0;
  }
  if (v < 0) {
    clamped = true;
    return 0;
  }
  if (v > kMaxStamp) {
    clamped = true;
    return uint32_t(kMaxStamp);
  }
  return static_cast<uint32_t>(v);
}

std::string DfpFormat(std::string_view key, std::initializer_list<TFormatArg> args)
{
  const std::string pattern = DfpTranslate(key);
  try {
    return Format(pattern, args, LibraryFormat());
  } catch (const EConvertError&) {
  }
  for (const TDfpMessage& m : DataFileParserMessages)
    if (m.Key == key) {
      try {
        return Format(m.DefaultText, args, LibraryFormat());
      } catch (const EConvertError&) {
      }
    }
  return pattern;
}

// ---- BINARY ----

void TBinaryDataFileParser::LoadDataFromStream(TComtrade& rec, const TStringArray& names,
                                               const TStreamArray& streams, const TMessageHook& hook) const
{
  TStream* stream = DataStream(names, streams);
  if (!stream)
    throw EComtrade(ClassName() + ".LoadDataFromStream: " + DfpTranslate("KEY_DAT_NOT_FOUND"));
  try {
    std::string holder;
    const std::string_view data = StreamBytes(*stream, holder);
    const std::vector<TAnalogDescr*> analogs = AllAnalogs(rec);
    const std::vector<TCyfrDescr*> statuses = AllStatuses(rec);
    const size_t A = analogs.size(), D = statuses.size();
    const size_t recSize = BinaryRecordSize(A, D);
    const size_t available = data.size() / recSize;

    TRateList& rates = *rec.Rates;
    const int64_t declared = rates.TotalSamples64();
    // Only the whole records the stream holds are samples: the buffers are never sized by
    // the declared count, which a damaged or hostile configuration can set far beyond the
    // data.
    const int64_t records = static_cast<int64_t>(available);
    const int32_t n = CheckedSampleCount(declared != 0 ? std::min(declared, records) : records);
    // Where every store holds the n samples, every sample is written in place below, so the
    // buffers are not cleared first; any other store takes the checked setters, record by
    // record, into buffers sized with zeros.
    const size_t count = static_cast<size_t>(n);
    std::optional<TDecodeTargets> targets;
    const bool inPlace = rec.KeepSamplesToFill(n, [&] {
      targets.emplace(rec, analogs, statuses, count);
      return targets->Fits;
    });
    const TBinaryRecords f{data, A, D, recSize, rates.HasExplicitTimes(), rec.FileParam.TimeMultiplier};
    if (inPlace) {
      DecodeBinaryBlocks(f, count, rates, *targets);
    } else {
      TCheckedStores checked(rates, analogs, statuses);
      DecodeBinaryRecords(f, n, rates, checked);
    }
    WarnShortData(hook, n, declared);
  } catch (const std::exception& e) {
    throw EComtrade(ClassName() + ".LoadDataStream(): " + e.what());
  }
}

void TBinaryDataFileParser::SaveDataToStream(TComtrade& rec, const TStringArray& names, bool selectedOnly,
                                             bool viewOnly, const TStreamArray& streams, int32_t, int32_t,
                                             const TMessageHook& hook) const
{
  TStream* stream = DataStream(names, streams);
  if (!stream)
    throw EComtrade(ClassName() + ".SaveDataToStream: " + DfpTranslate("KEY_DAT_STREAM_NOT_FOUND"));
  const TSavePlan plan(rec, selectedOnly, viewOnly, hook);
  const TAnalogSelection& analogs = plan.Analogs;
  const TCyfrSelection& statuses = plan.Statuses;
  const int32_t first = plan.First, last = plan.Last;

  const size_t A = analogs.size(), D = statuses.size(), W = (D + 15) / 16;
  const size_t recSize = BinaryRecordSize(A, D);
  std::string out;
  if (last > first) {
    const size_t count = size_t(last - first);
    if (recSize > out.max_size() / count)
      throw EComtrade(ClassName() + ".SaveDataToStream: data too large");
    out.resize(count * recSize);
    const TRateList& rates = *rec.Rates;
    const double t0 = rates.GetTime(first);
    const double mult = rec.FileParam.TimeMultiplier;
    bool stampsClamped = false;
    std::vector<bool> warned(A, false);
    std::string& buf = out;  // sized above: the puts below never grow it
    size_t off = 0;
    // Raw stores and states are read in place; a store of scaled values through its
    // reader, which turns the value back into a raw one or fails.
    std::vector<std::span<int32_t>> raw;
    for (TAnalogDescr* d : analogs)
      raw.push_back(d->RawSamples());
    std::vector<std::span<uint8_t>> states;
    for (TCyfrDescr* d : statuses)
      states.push_back(d->Samples());
    const std::vector<double>& times = rates.Times();
    for (int32_t r = first; r < last; ++r) {
      PutU32LE(buf, off, static_cast<uint32_t>(r - first + 1));
      PutU32LE(buf, off + 4, TimeStampOf(times[size_t(r)], t0, mult, stampsClamped));
      off += 8;
      for (size_t i = 0; i < A; ++i, off += 2) {
        int32_t v;
        if (size_t(r) < raw[i].size()) {
          v = raw[i][size_t(r)];
        } else {
          try {
            v = analogs[i]->GetRawSample(r);
          } catch (const EComtrade&) {
            v = -32768;  // the missing-value mark
          }
        }
        // The field is 16 bits: a value beyond it is clamped, never wrapped into the other
        // sign. -32768 stays the missing-value mark, so clamping stops at -32767.
        if (v < -32768 || v > 32767) {
          v = v < 0 ? -32767 : 32767;
          if (!warned[i]) {
            warned[i] = true;
            CallHook(hook, "Comtrade warning : analog values out of range in channel " +
                               IntToStr(analogs[i]->Number));
          }
        }
        PutI16LE(buf, off, static_cast<int16_t>(v));
      }
      for (size_t w = 0; w < W; ++w, off += 2) {
        uint16_t word = 0;
        for (size_t j = w * 16; j < D && j < w * 16 + 16; ++j) {
          const uint8_t state =
              size_t(r) < states[j].size() ? states[j][size_t(r)] : statuses[j]->GetSample(r);
          if (state != 0)
            word = static_cast<uint16_t>(word | (1u << (j % 16)));
        }
        PutU16LE(buf, off, word);
      }
    }
    if (stampsClamped)
      CallHook(hook, kTimeStampsOutOfRange);
  }
  // The stream is replaced whole: a shorter save leaves no stale tail of an older one.
  stream->Clear();
  stream->Write(out);
}

// ---- ASCII ----

void TAsciiDataFileParser::LoadDataFromStream(TComtrade& rec, const TStringArray& names,
                                              const TStreamArray& streams, const TMessageHook& hook) const
{
  TStream* stream = DataStream(names, streams);
  if (!stream)
    throw EComtrade(ClassName() + ".LoadDataFromStream: " + DfpTranslate("KEY_DAT_STREAM_NOT_FOUND"));
  std::string holder;
  const std::string_view data = StreamBytes(*stream, holder);

  // CR LF, LF or CR end a line; a final line break adds no line.
  size_t lines = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n')
      ++lines;
    else if (data[i] == '\r') {
      ++lines;
      if (i + 1 < data.size() && data[i + 1] == '\n')
        ++i;
    }
  }
  if (!data.empty() && data.back() != '\n' && data.back() != '\r')
    ++lines;
  // Every line is a sample, a blank one too. A blank line or a failing one leaves samples
  // unwritten, which read 0: the buffers are cleared here.
  const int64_t declared = rec.Rates->TotalSamples64();
  const int32_t n = CheckedSampleCount(static_cast<int64_t>(lines));
  rec.KeepSamplesRead(n);

  const std::vector<TAnalogDescr*> analogs = AllAnalogs(rec);
  const std::vector<TCyfrDescr*> statuses = AllStatuses(rec);
  TRateList& rates = *rec.Rates;
  const bool stamps = rates.HasExplicitTimes();
  const double mult = rec.FileParam.TimeMultiplier;

  // In place where every store holds the recording's samples, else through the checked
  // setters.
  TDecodeTargets out(rec, analogs, statuses, static_cast<size_t>(rec.GetSampleCount()));
  if (out.Fits) {
    DecodeAsciiLines(data, analogs.size(), statuses.size(), stamps, mult, rates, out);
  } else {
    TCheckedStores checked(rates, analogs, statuses);
    DecodeAsciiLines(data, analogs.size(), statuses.size(), stamps, mult, rates, checked);
  }
  WarnShortData(hook, n, declared);
}

void TAsciiDataFileParser::SaveDataToStream(TComtrade& rec, const TStringArray& names, bool selectedOnly,
                                            bool viewOnly, const TStreamArray& streams, int32_t, int32_t,
                                            const TMessageHook& hook) const
{
  const TSavePlan plan(rec, selectedOnly, viewOnly, hook);
  const TAnalogSelection& analogs = plan.Analogs;
  const TCyfrSelection& statuses = plan.Statuses;
  const int32_t first = plan.First, last = plan.Last;

  std::string out;
  if (last > first) {
    const TRateList& rates = *rec.Rates;
    const double t0 = rates.GetTime(first);
    const double mult = rec.FileParam.TimeMultiplier;
    // Numbered from the stored sample numbers, so gaps in the numbering survive a save.
    const uint64_t base = static_cast<uint64_t>(rates.FGetSamplIdx(first));
    bool stampsClamped = false;
    out.reserve(size_t(last - first) * (24 + 7 * analogs.size() + 2 * statuses.size()));
    for (int32_t r = first; r < last; ++r) {
      AppendInt(out, static_cast<int64_t>(static_cast<uint64_t>(rates.FGetSamplIdx(r)) - base + 1));
      out.push_back(',');
      AppendInt(out, TimeStampOf(rates.GetTime(r), t0, mult, stampsClamped));
      for (const TAnalogDescr* d : analogs) {
        out.push_back(',');
        AppendInt(out, d->GetRawSample(r));
      }
      for (const TCyfrDescr* d : statuses)
        out.append(d->GetSample(r) != 0 ? ",1" : ",0");
      out.append("\r\n");
    }
    if (stampsClamped)
      CallHook(hook, kTimeStampsOutOfRange);
  }
  TStream* stream = DataStream(names, streams);
  if (!stream)
    throw EComtrade(ClassName() + ".SaveDataToStream: " + DfpTranslate("KEY_DAT_STREAM_NOT_FOUND"));
  stream->Clear();
  stream->Write(out);
}

const TComtradeDataFileParser& BinaryDataFileParser()
{
  static const TBinaryDataFileParser instance;
  return instance;
}

const TComtradeDataFileParser& AsciiDataFileParser()
{
  static const TAsciiDataFileParser instance;
  return instance;
}

// ---- start-up ----

void DataFileParsersUnitInitialize()
{
  if (gInitCount++ > 0)
    return;
  AddDataFileParserMessages();
  // Appended: the COMTRADE set, whose unit starts later, goes in front of them.
  RegisterFileInterface(MV70Interface());
  RegisterFileInterface(Lx3Interface());
  RegisterFileInterface(Lx2Interface());
  RegisterFileInterface(HiokiInterface());
  RegisterFileInterface(Neb1Interface());
  RegisterDataFileParser(BinaryDataFileParser());
  RegisterDataFileParser(AsciiDataFileParser());
  RegisterDataFileParser(MV70OPFaultDataFileParser());
  RegisterDataFileParser(MV70OPTrendDataFileParser());
}

void DataFileParsersUnitFinalize()
{
  if (gInitCount == 0 || --gInitCount > 0)
    return;
}
