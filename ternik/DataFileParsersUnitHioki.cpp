#include "ternik/DataFileParsersUnitHioki.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/Codepage.h"
#include "platform/DateTime.h"
#include "platform/NumText.h"
#include "platform/StrFormat.h"
#include "ternik/ComTrade3UnitStream.h"
#include "ternik/DataFileParsersUnit.h"
#include "ternik/DataFileParsersUnitMessages.h"
#include "ternik/DataFileParsersUnitRecorder.h"

namespace {

constexpr size_t kChunk = 65536;
const std::array<std::string_view, 4> kShotKeys = {"Shot", "(Data Num)", "Trig Date", "Trig Time"};
const std::array<std::string_view, 9> kChannelKeys = {"CH",      "Unit",  "Mode",   "Range", "Comment",
                                                      "Scaling", "Ratio", "Offset", "EU"};

[[noreturn]] void LineError(const TLineStream& lines)
{
  throw EComtrade(DfpFormat("KEY_HIOKI_ERROR_LINE", {lines.LinesRead()}));
}

template <size_t N>
bool HasKeys(const std::vector<std::string>& f, const std::array<std::string_view, N>& keys)
{
  if (f.size() != N)
    return false;
  for (size_t i = 0; i < N; ++i)
    if (f[i] != keys[i])
      return false;
  return true;
}

std::vector<int32_t> Numbers(std::string_view text, char separator, bool& ok)
{
  std::vector<int32_t> out;
  ok = true;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    int32_t v = 0;
    const std::string_view piece =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (piece.empty() || piece.find_first_not_of(" 0123456789") != std::string_view::npos ||
        !TryStrToInt(piece, v)) {
      ok = false;
      return out;
    }
    out.push_back(v);
    if (end == std::string_view::npos)
      return out;
    start = end + 1;
  }
}

// A date in the order of the program's short date format, with its date separator.
TDateTime ProgramStrToDate(std::string_view text, const TFormatSettings& fs)
{
  bool ok = false;
  const std::vector<int32_t> p = Numbers(text, fs.DateSeparator, ok);
  TDateTime d = 0;
  if (ok && p.size() == 3) {
    const std::string f = CpLowerCase(fs.ShortDateFormat);
    const size_t yi = f.find('y'), mi = f.find('m'), di = f.find('d');
    if (yi != std::string::npos && mi != std::string::npos && di != std::string::npos) {
      auto rank = [&](size_t x) { return int(x > yi) + int(x > mi) + int(x > di); };
      int y = p[size_t(rank(yi))], m = p[size_t(rank(mi))], day = p[size_t(rank(di))];
      if (y < 100)
        y += y <= 50 ? 2000 : 1900;
      if (TryEncodeDate(y, m, day, d))
        return d;
    }
  }
  throw EConvertError("'" + std::string(text) + "' is not a valid date");
}

// hh:nn[:ss[.zzz]] with the program's time and decimal separators.
TDateTime ProgramStrToTime(std::string_view text, const TFormatSettings& fs)
{
  std::string_view main = text;
  int32_t ms = 0;
  bool ok = true;
  const size_t dec = text.find(fs.DecimalSeparator);
  if (dec != std::string_view::npos && dec > text.rfind(fs.TimeSeparator)) {
    main = text.substr(0, dec);
    std::string frac(text.substr(dec + 1));
    ok = !frac.empty() && frac.size() <= 3 && frac.find_first_not_of("0123456789") == std::string::npos;
    if (ok) {
      while (frac.size() < 3)
        frac += '0';
      ok = TryStrToInt(frac, ms);
    }
  }
  const std::vector<int32_t> p = ok ? Numbers(main, fs.TimeSeparator, ok) : std::vector<int32_t>();
  TDateTime t = 0;
  if (ok && (p.size() == 2 || p.size() == 3) && TryEncodeTime(p[0], p[1], p.size() == 3 ? p[2] : 0, ms, t))
    return t;
  throw EConvertError("'" + std::string(text) + "' is not a valid time");
}

}  // namespace

// ---- TLineStream ----

void TLineStream::Rewind()
{
  FStream.Seek(0);
  FBuffer.clear();
  FPos = 0;
}

bool TLineStream::PeekByte(char& c)
{
  if (FPos >= FBuffer.size()) {
    FBuffer.resize(kChunk);
    const size_t got = FStream.Read(FBuffer.data(), kChunk);
    FBuffer.resize(got);
    FPos = 0;
    if (got == 0)
      return false;
  }
  c = FBuffer[FPos];
  return true;
}

bool TLineStream::NextByte(char& c)
{
  if (!PeekByte(c))
    return false;
  ++FPos;
  return true;
}

bool TLineStream::AtEnd()
{
  char c = 0;
  return !PeekByte(c);
}

std::string TLineStream::ReadLine()
{
  ++FLines;
  std::string line;
  char c = 0;
  while (NextByte(c)) {
    if (c == '\n')
      return line;
    if (c == '\r')
      continue;
    line += c;
    if (line.size() == MaxLineLength) {
      // A line break right after a full line belongs to it.
      while (PeekByte(c) && c == '\r')
        ++FPos;
      if (PeekByte(c) && c == '\n')
        ++FPos;
      return line;
    }
  }
  return line;
}

void SplitHiokiFields(const std::string& line, std::vector<std::string>& fields)
{
  fields.clear();
  if (line.empty())
    return;
  size_t i = 0;
  while (true) {
    std::string field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
    }
    while (i < line.size() && line[i] != '\t')
      field += line[i++];
    fields.push_back(std::move(field));
    if (i >= line.size())
      return;
    ++i;  // the tab; a tab at the end leaves one empty field after it
  }
}

void TLineStream::ReadFields(std::vector<std::string>& fields) { SplitHiokiFields(ReadLine(), fields); }

// ---- THiokiInterface ----

std::string THiokiInterface::Description() const { return DfpTranslate("KEY_HIOKII_DESC"); }

int32_t THiokiInterface::ParseHeader(TComtrade& rec, TLineStream& lines)
{
  const TFormatSettings& fs = UtilityFormat();
  std::vector<std::string> f;
  lines.Rewind();
  lines.ReadFields(f);
  if (f.size() != 2)
    LineError(lines);
  SetRecorderHeader(rec, f[0] + ", " + f[1], "HIOKI");
  lines.ReadFields(f);
  if (!HasKeys(f, kShotKeys))
    LineError(lines);
  lines.ReadFields(f);
  if (f.size() != 4)
    LineError(lines);
  const int32_t n = StrToInt(f[1]);
  if (n < 0)
    LineError(lines);
  const TDateTime trigger = ProgramStrToDate(f[2], fs) + ProgramStrToTime(f[3], fs);
  rec.FileParam.TriggerTime.SetDateTime(trigger);
  rec.FileParam.StartTime = rec.FileParam.TriggerTime;
  lines.ReadFields(f);
  if (!f.empty())
    LineError(lines);
  lines.ReadFields(f);
  if (!HasKeys(f, kChannelKeys))
    LineError(lines);
  while (true) {
    lines.ReadFields(f);
    if (f.empty())
      break;
    if (f.size() != 9)
      LineError(lines);
    TAnalogDescr& d = rec.Analogs->AddChannel(MemoryFormatScaled);
    d.SetChannelIdS(f[4]);
    d.SetComponentS(f[0] + ", " + f[1] + ", " + f[2] + ", " + f[3] + ", " + f[5]);
    d.SetUnitS(f[8]);
    d.Primary = 1.0;
    d.Secondary = 1.0;
    if (f[6] != "-")
      d.Primary = StrToFloat(f[6], fs.DecimalSeparator) * d.Secondary;
    if (f[8] == "V")
      d.PenColor = 0xFF0000;
    else if (f[8] == "A")
      d.PenColor = 0xFF;
  }
  lines.ReadFields(f);
  if (!f.empty())
    LineError(lines);
  lines.ReadFields(f);
  if (f.size() != size_t(rec.Analogs->Count()) + 1 || f[0] != "Time[s]")
    LineError(lines);
  return n;
}

bool THiokiInterface::CanLoad(TStream& stream, const TMessageHook&) const
{
  try {
    TComtrade probe;
    TLineStream lines(stream);
    ParseHeader(probe, lines);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void THiokiInterface::LoadFromStreams(TComtrade& rec, const TStringArray&, const std::string&,
                                      const TStreamArray& streams, const TMessageHook&) const
{
  TStream& stream = FirstStream(streams, ClassName() + ".LoadFromStreams");
  stream.Seek(0);
  rec.Clear();
  TLineStream lines(stream);
  const int32_t declared = ParseHeader(rec, lines);
  const size_t a = size_t(rec.Analogs->Count());
  // Every sample row holds at least a character per field: the rows the rest of the stream
  // can hold bound the buffers, whatever count the header declares.
  const int64_t rest = stream.Size() - lines.Position();
  const int64_t fit = (rest > 0 ? rest : 0) / int64_t(a + 1) + 1;
  const int32_t n = int32_t(declared < fit ? declared : fit);
  rec.SetSampleCount(n);
  SetSingleRate(rec, 0, n);

  const char valueSeparator = ',';
  const char timeSeparator = UtilityFormat().DecimalSeparator;
  std::vector<std::string> f;
  for (int32_t k = 0; k < declared; ++k) {
    lines.ReadFields(f);
    if (f.size() != a + 1 || k >= n)
      throw EComtrade(Format("Błąd w linii %u pliku Hioki"_cp, {lines.LinesRead()}, LibraryFormat()));
    rec.Rates->FSetTime(k, StrToFloat(f[0], timeSeparator));
    for (size_t i = 0; i < a; ++i)
      rec.Analogs->Items(int32_t(i)).SetScaledSample(k, StrToFloat(f[i + 1], valueSeparator));
  }

  // The values are kept as read; each channel gets the 16-bit raw scaling that holds its peak
  // (with room to spare), and keeps the ratio its channel row gave.
  for (const auto& d : *rec.Analogs) {
    double lo = 0, hi = 0;
    for (int32_t i = 0; i < n; ++i) {
      bool ok = false;
      const double v = d->GetValueEx(DataModePrimary, i, ok);
      if (!ok || !std::isfinite(v))
        continue;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    double peak = std::max(std::fabs(lo), std::fabs(hi));
    if (peak == 0)
      peak = 1.0;
    peak *= 1.2;
    d->RangeMin = -32768;
    d->RangeMax = 32767;
    d->A = peak / 32767;
    d->B = 0;
  }
  // One sample, or none, gives no interval to take a rate from: the times stay explicit.
  TRateDescr& seg = rec.Rates->GetItem(0);
  seg.Rate = n >= 2 ? rec.Rates->MeanRate() : 0.0;
  if (n >= 1) {
    // The first sample is at the start time; the axis counts from it, as every recording's
    // does, so the time of sample 0 is not counted twice.
    const double t0 = rec.Rates->GetTime(0);
    for (int32_t k = 0; k < n; ++k)
      rec.Rates->FSetTime(k, rec.Rates->GetTime(k) - t0);
    int64_t us = 0;
    if (TryDoubleToInt64(double(RoundHalfEven(t0 * 1e6)), us)) {
      try {
        rec.FileParam.StartTime.AddMicroseconds(us);
      } catch (const EComtrade&) {
      }
    }
  }
}

const TFileInterface& HiokiInterface()
{
  static const THiokiInterface instance;
  return instance;
}
