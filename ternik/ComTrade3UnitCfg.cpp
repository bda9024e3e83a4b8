// The COMTRADE configuration file (.CFG): reader and writer of both forms, the old one
// (revision year absent, 0 or 1) and the newer one (1997, 1999, 2013, ...).
#include <algorithm>
#include <cmath>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"
#include "ternik/ComTrade3UnitInterface.h"

namespace {

bool IsOldForm(uint16_t revision) { return revision <= 1; }

// A field of a split line; a missing one is the list's index error.
const std::string& Field(const std::vector<std::string>& fields, size_t i)
{
  if (i >= fields.size())
    throw EComtrade(ListIndexError(static_cast<int64_t>(i)));
  return fields[i];
}

bool IsDecimalInteger(std::string_view s)
{
  if (s.empty())
    return false;
  size_t i = (s[0] == '+' || s[0] == '-') ? 1 : 0;
  if (i == s.size())
    return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9')
      return false;
  return true;
}

// The time multiplier when the file gives none: microseconds per sample at the first rate,
// or 1 (time stamps in microseconds) when the rate is unknown.
double FallbackMultiplier(const TComtrade& rec)
{
  const double rate = rec.Rates->SegmentCount() > 0 ? rec.Rates->GetItem(0).Rate : 0;
  return rate > 0 ? 1000000.0 / rate : 1.0;
}

std::string ZeroPad(int64_t v, int width)
{
  std::string s = IntToStr(v);
  if (static_cast<int>(s.size()) < width)
    s.insert(0, size_t(width) - s.size(), '0');
  return s;
}

// "Błąd w %u linii pliku .cfg : %s"
std::string LineError(uint32_t line, const char* message)
{
  return std::string("Błąd w "_cp) + IntToStr(line) + std::string(" linii pliku .cfg : ") + message;
}

}  // namespace

// ---- lines ----

std::vector<std::string> SplitTextLines(std::string_view text)
{
  std::vector<std::string> lines;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size())
    lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinTextLines(const std::vector<std::string>& lines)
{
  std::string out;
  for (const std::string& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void TSourceList::LoadFromText(std::string_view text)
{
  FLines = SplitTextLines(text);
  FCursor = 0;
}

void TSourceList::LoadFromStream(TStream& stream) { LoadFromText(stream.ReadAll()); }

bool TSourceList::LoadFromFile(const std::string& path)
{
  std::string bytes;
  FLines.clear();
  FCursor = 0;
  if (!ReadWholeFile(path, bytes, TStream::kMaxReadAll))
    return false;
  LoadFromText(bytes);
  return true;
}

std::string TSourceList::NextLine()
{
  if (FCursor >= FLines.size())
    throw EComtrade(ListIndexError(static_cast<int64_t>(FCursor)));
  return std::string(CpTrim(FLines[FCursor++]));
}

// ---- numbers and fields ----

double TComtradeInterface::ParseFloat(std::string_view text)
{
  return StrToFloat(CpTrim(text), ComtradeFormat().DecimalSeparator);
}

double TComtradeInterface::ParseFloatDef(std::string_view text, double def)
{
  double v = 0;
  return TryStrToFloat(CpTrim(text), v, ComtradeFormat().DecimalSeparator) ? v : def;
}

int32_t TComtradeInterface::ParseInt(std::string_view text)
{
  const std::string_view s = CpTrim(text);
  int32_t v = 0;
  if (!IsDecimalInteger(s) || !TryStrToInt(s, v))
    throw EComtrade("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

int64_t TComtradeInterface::ParseInt64(std::string_view text)
{
  const std::string_view s = CpTrim(text);
  int64_t v = 0;
  if (!IsDecimalInteger(s) || !TryStrToInt64(s, v))
    throw EComtrade("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

std::string TComtradeInterface::FormatFloat(int32_t digits, double value)
{
  return FormatFixed(value, digits, ComtradeFormat());
}

void TComtradeInterface::SplitFields(std::string_view text, std::vector<std::string>& list, char separator)
{
  list.clear();
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == separator) {
      list.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
}

std::string TComtradeInterface::CommaToDot(std::string_view text)
{
  std::string s(text);
  std::replace(s.begin(), s.end(), ',', '.');
  return s;
}

std::string TComtradeInterface::JoinFields(const std::vector<std::string>& list)
{
  std::string out;
  for (const std::string& f : list) {
    if (!out.empty())
      out += ',';
    out += CommaToDot(f);
  }
  return out;
}

// ---- reading ----

void TComtradeInterface::ReadCfg(TComtrade& recording, TStream& stream, const TMessageHook& hook)
{
  TSourceList source;
  try {
    stream.Seek(0);
    source.LoadFromStream(stream);
  } catch (const std::exception& e) {
    throw EComtrade(LineError(0, e.what()));
  }
  ReadCfgLines(recording, source, hook);
}

namespace {

using TFields = std::vector<std::string>;
using CI = TComtradeInterface;

// The next line split at its commas.
void NextFields(TSourceList& src, TFields& f) { CI::SplitFields(src.NextLine(), f); }

// Line 1: station, device and revision year.
void ReadStationLine(TObFileParam& fp, TSourceList& src)
{
  TFields f;
  NextFields(src, f);
  fp.StationName = Field(f, 0).substr(0, 64);
  fp.RecordingDeviceId = Field(f, 1).substr(0, 64);
  if (f.size() < 3) {
    fp.RevisionYear = 0;
  } else {
    int32_t year = 0;
    const std::string_view t = CpTrim(f[2]);
    fp.RevisionYear = IsDecimalInteger(t) && TryStrToInt(t, year) && year >= 0 && year <= 65535
                          ? static_cast<uint16_t>(year)
                          : 1997;
  }
}

// Line 2: the channel counts, total, analog "nA" and status "nD".
void ReadCountsLine(TSourceList& src, int32_t& nA, int32_t& nD)
{
  TFields f;
  NextFields(src, f);
  const int32_t total = CI::ParseInt(Field(f, 0));
  auto count = [&](size_t i, char letter) {
    const std::string_view t = CpTrim(Field(f, i));
    if (t.empty() || t.back() != letter)
      throw EComtrade("");
    const int32_t n = CI::ParseInt(t.substr(0, t.size() - 1));
    if (n < 0)
      throw EComtrade("");
    return n;
  };
  nA = count(1, 'A');
  nD = count(2, 'D');
  if (int64_t(nA) + nD != total)
    throw EComtrade(std::string("Nie zgadza się ilość kanałów analogowych,cyfrowych i ich suma"_cp));
}

// One line per analog channel.
void ReadAnalogLines(TComtrade& rec, TSourceList& src, int32_t count, bool oldForm, const TMessageHook& hook)
{
  TFields f;
  for (int32_t k = 0; k < count; ++k) {
    NextFields(src, f);
    TAnalogDescr& d = rec.Analogs->AddChannel(MemoryFormatRaw);
    d.Number = CI::ParseInt(Field(f, 0));
    d.SetChannelIdS(Field(f, 1));
    d.SetPhase(Field(f, 2));
    d.SetComponentS(Field(f, 3));
    d.SetUnitS(Field(f, 4));
    d.A = CI::ParseFloat(Field(f, 5));
    if (f.size() > 6 && !CpTrim(f[6]).empty())
      d.B = CI::ParseFloat(f[6]);
    if (f.size() > 7)
      d.Skew = CI::ParseFloatDef(f[7], 0);
    auto range = [&](size_t i, int32_t def) {
      if (f.size() <= i)
        return def;
      int32_t r = 0;
      if (!TryRoundToInt32(CI::ParseFloat(f[i]), r))
        throw EComtrade("'" + f[i] + "' is not a valid integer value");
      return r;
    };
    d.RangeMin = range(8, -32768);
    d.RangeMax = range(9, 32767);
    if (!oldForm) {
      // Missing ratio fields are reported as such rather than as a bare index error.
      if (f.size() < 13)
        throw EComtrade("Brak informacji - [Primary/Secoundary]");
      d.Primary = CI::ParseFloat(f[10]);
      if (d.Primary == 0)
        CallHook(hook, "Comtrade warning : PrimaryRange=0 for signal " + d.ChannelId);
      d.Secondary = CI::ParseFloat(f[11]);
      if (d.Secondary == 0)
        CallHook(hook, "Comtrade warning : SecondaryRange=0 for signal " + d.ChannelId);
      const std::string ps = CpUpperCase(CpTrim(f[12]));
      if (ps.empty())
        throw EComtrade(
            std::string("Błędne informacje [Primary/Secoundary] dozwolone parametry to P lub S"_cp));
      if (ps[0] == 'P')
        d.PS = 0;
      else if (ps[0] == 'S')
        d.PS = 1;
      else
        throw EComtrade("");
    } else {
      d.Primary = f.size() > 10 ? CI::ParseFloat(f[10]) : d.RangeMax * d.A;
      d.Secondary = d.Primary;
      d.PS = 0;
    }
  }
}

// One line per status channel; where the normal state stands depends on the revision.
void ReadStatusLines(TComtrade& rec, TSourceList& src, int32_t count, uint16_t rev)
{
  TFields f;
  for (int32_t k = 0; k < count; ++k) {
    NextFields(src, f);
    TCyfrDescr& d = rec.Statuses->AddChannel();
    d.Number = CI::ParseInt(Field(f, 0));
    d.SetChannelIdS(Field(f, 1));
    if (rev == 0) {
      // The 1991 form has no normal state; a writer that put one there is still read,
      // anything else in the field keeps 0 so that such files keep loading.
      if (f.size() > 2) {
        const std::string_view t = CpTrim(f[2]);
        if (t == "1")
          d.NormalState = 1;
      }
      continue;
    }
    size_t at = 2;
    if (!IsOldForm(rev)) {
      d.SetPhase(Field(f, 2));
      d.SetComponentS(Field(f, 3));
      at = f.size() - 1;
    }
    if (at >= f.size())
      throw EComtrade("Brak pola \"Nominal state\"");
    std::string_view v = CpTrim(f[at]);
    if (v.empty())
      v = "0";
    if (v[0] == '0')
      d.NormalState = 0;
    else if (v[0] == '1')
      d.NormalState = 1;
    else
      throw EComtrade(std::string("Zła wartość w polu \"Nominal state\""_cp));
  }
}

// The number of rate segments and their lines (one line of a zero rate when there are none).
void ReadRateLines(TComtrade& rec, TSourceList& src)
{
  const int32_t nrates = CI::ParseInt(src.NextLine());
  // Any end sample that fits 64 bits is read: the configuration only declares samples,
  // and the segments never size the time axis. The data file's reader sizes every buffer
  // for what it reads.
  TFields f;
  rec.Rates->BeginUpdate();
  try {
    if (nrates < 1) {
      NextFields(src, f);
      TRateDescr& r = rec.Rates->AddRate();
      r.Rate = 0;
      r.SetEndSample(0);
      if (f.size() >= 2)
        r.SetEndSample(CI::ParseInt64(f[1]));
    } else {
      for (int32_t k = 0; k < nrates; ++k) {
        NextFields(src, f);
        TRateDescr& r = rec.Rates->AddRate();
        r.Rate = CI::ParseFloat(Field(f, 0));
        r.SetEndSample(CI::ParseInt64(Field(f, 1)));
      }
    }
  } catch (...) {
    rec.Rates->EndUpdate();
    throw;
  }
  rec.Rates->EndUpdate();
}

// A date and time line: the first sample's or the trigger's.
void ReadTimeLine(TUsTime& time, TSourceList& src, uint16_t rev)
{
  TFields f;
  NextFields(src, f);
  time.ParseDate(rev, Field(f, 0));
  time.ParseTime(rev, Field(f, 1));
}

// The time multiplier: a line of the newer form, else (or when it is missing or no number)
// from the first rate.
void ReadMultiplierLine(TComtrade& rec, TSourceList& src, const TMessageHook& hook)
{
  TObFileParam& fp = rec.FileParam;
  if (IsOldForm(fp.RevisionYear)) {
    fp.TimeMultiplier = FallbackMultiplier(rec);
    return;
  }
  double m = 0;
  if (!src.AtEnd() && TryStrToFloat(CpTrim(src.NextLine()), m, ComtradeFormat().DecimalSeparator)) {
    fp.TimeMultiplier = m;
  } else {
    CallHook(hook, std::string("Ostrzeżenie: brak parametru \"TimeMultiplier\" w pliku cfg"_cp));
    fp.TimeMultiplier = FallbackMultiplier(rec);
  }
}

}  // namespace

void TComtradeInterface::ReadCfgLines(TComtrade& rec, TSourceList& src, const TMessageHook& hook)
{
  TObFileParam& fp = rec.FileParam;
  try {
    ReadStationLine(fp, src);
    const uint16_t rev = fp.RevisionYear;
    int32_t nA = 0, nD = 0;
    ReadCountsLine(src, nA, nD);
    ReadAnalogLines(rec, src, nA, IsOldForm(rev), hook);
    ReadStatusLines(rec, src, nD, rev);
    fp.LineFrequency = ParseFloatDef(src.NextLine(), 50);
    ReadRateLines(rec, src);
    ReadTimeLine(fp.StartTime, src, rev);
    ReadTimeLine(fp.TriggerTime, src, rev);
    FileType = CpUpperCase(src.NextLine());
    rec.SetDataFileFormat(FileType == DataFileFormatNames[0] ? DataFileFormatAscii : DataFileFormatBinary);
    ReadMultiplierLine(rec, src, hook);
  } catch (const std::exception& e) {
    throw EComtrade(LineError(src.Cursor(), e.what()));
  }
}

// ---- writing ----

TCfgRateSpec TComtradeInterface::CfgRates(const TComtrade& rec, int64_t last, int64_t first)
{
  TCfgRateSpec spec;
  const TRateList& rates = *rec.Rates;
  spec.SourceSegments = rates.SegmentCount();
  const bool all = first == -1 && last == -1;
  const int64_t from = std::max<int64_t>(first, 0);
  // A window that ends before it starts holds no sample, as its data file then does.
  if (!all && last < from)
    last = from;
  if (rates.SegmentCount() == 0 || (rates.SegmentCount() == 1 && rates.GetItem(0).Rate == 0)) {
    spec.ZeroRate = true;
    // Only a save of everything stands for the whole recording; a view declares exactly
    // the samples the data file then holds.
    const int64_t to = all ? rec.GetSampleCount() : last;
    spec.Segments.emplace_back(0.0, std::max<int64_t>(to - from, 0));
    return spec;
  }
  int64_t prevEnd = 0;
  for (int32_t k = 0; k < rates.SegmentCount(); ++k) {
    const TRateDescr& d = rates.GetItem(k);
    if (all)
      spec.Segments.emplace_back(d.Rate, d.EndSample());
    else if (first < d.EndSample() && prevEnd < last)
      spec.Segments.emplace_back(d.Rate, std::min(d.EndSample(), last) - from);
    prevEnd = d.EndSample();
  }
  if (spec.Segments.empty()) {
    // An empty window on a segment boundary counts no segment; it still declares one, with
    // no samples, so that the rate lines stay readable.
    int32_t k = 0;
    while (k + 1 < rates.SegmentCount() && rates.GetItem(k).EndSample() <= from)
      ++k;
    spec.Segments.emplace_back(rates.GetItem(k).Rate, 0);
  }
  return spec;
}

TUsTime TComtradeInterface::CfgStartTime(const TComtrade& rec, int64_t first)
{
  TUsTime t = rec.FileParam.StartTime;
  if (first > 0) {
    if (first > INT32_MAX)
      throw EComtrade(ListIndexError(first));
    int64_t us = 0;
    if (!TryRoundHalfEven(rec.Rates->GetTime(static_cast<int32_t>(first)) * 1000000.0, us))
      throw EComtrade("Invalid date-time value");
    t.AddMicroseconds(us);
  }
  return t;
}

void TComtradeInterface::WriteCfgLines(const TComtrade& rec, std::vector<std::string>& lines,
                                       const TCyfrSelection& statuses, const TAnalogSelection& analogs,
                                       int64_t last, int64_t first, uint8_t dataFileFormat)
{
  if (dataFileFormat > DataFileFormatBinary)
    throw EComtrade("Unknown DataFileFormat");
  const TObFileParam& fp = rec.FileParam;
  const bool oldForm = IsOldForm(fp.RevisionYear);
  lines.clear();
  lines.push_back(CommaToDot(fp.StationName) + "," + CommaToDot(fp.RecordingDeviceId) + "," +
                  ZeroPad(fp.RevisionYear, 4));
  lines.push_back(IntToStr(int64_t(analogs.size() + statuses.size())) + "," +
                  ZeroPad(int64_t(analogs.size()), 2) + "A," + ZeroPad(int64_t(statuses.size()), 2) + "D");
  std::vector<std::string> f;
  for (const TAnalogDescr* d : analogs) {
    f = {IntToStr(d->Number),
         d->ChannelId,
         d->Phase,
         d->Component,
         d->Units,
         FormatFloat(16, d->A),
         FormatFloat(16, d->B),
         FormatFloat(16, d->Skew),
         IntToStr(d->RangeMin),
         IntToStr(d->RangeMax)};
    if (!oldForm) {
      f.push_back(FormatFloat(16, d->Primary));
      f.push_back(FormatFloat(16, d->Secondary));
      f.emplace_back(PSNames[d->PS == 1 ? 1 : 0]);
    } else {
      // The old form carries the ratio as one whole number.
      int64_t ratio = 0;
      const double r = d->Secondary != 0 ? d->Primary / d->Secondary : d->Primary;
      if (!TryRoundHalfEven(r, ratio))
        ratio = 0;
      f.push_back(IntToStr(ratio));
    }
    lines.push_back(JoinFields(f));
  }
  for (const TCyfrDescr* d : statuses) {
    f = {IntToStr(d->Number), d->ChannelId};
    if (!oldForm) {
      f.push_back(d->Phase);
      f.push_back(d->Component);
    }
    f.emplace_back(d->NormalState == 1 ? "1" : "0");
    lines.push_back(JoinFields(f));
  }
  lines.push_back(FormatFloat(0, fp.LineFrequency));

  const TCfgRateSpec spec = CfgRates(rec, last, first);
  if (spec.ZeroRate) {
    lines.emplace_back("0");
    lines.push_back("0," + IntToStr(spec.Segments.front().second));
  } else {
    lines.push_back(IntToStr(int64_t(spec.Segments.size())));
    for (const auto& [rate, end] : spec.Segments)
      lines.push_back(FormatFloat(3, rate) + "," + IntToStr(end));
  }

  // Old-form dates are read month first, so they are written that way.
  const auto text = [oldForm](const TUsTime& t) {
    return oldForm ? t.FormatTextMonthFirst() : t.FormatText();
  };
  lines.push_back(text(CfgStartTime(rec, first)));
  // The trigger happened when it happened: a save from a later sample on moves the first
  // sample's time, not the trigger's.
  lines.push_back(text(fp.TriggerTime));
  lines.emplace_back(DataFileFormatNames[dataFileFormat]);
  if (!oldForm)
    lines.push_back(FormatFloat(12, fp.TimeMultiplier));
}

void TComtradeInterface::WriteCfgToStream(const TComtrade& rec, TStream& stream,
                                          const TCyfrSelection& statuses, const TAnalogSelection& analogs,
                                          int64_t last, int64_t first, uint8_t dataFileFormat)
{
  std::vector<std::string> lines;
  WriteCfgLines(rec, lines, statuses, analogs, last, first, dataFileFormat);
  stream.Clear();
  stream.Write(JoinTextLines(lines));
}
