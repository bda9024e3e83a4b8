#include "ternik/ComTrade3UnitChannels.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/NumText.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {

const char kIndexError[] = "Index out of buffer range.";
const char kZeroDivide[] = "Floating point division by zero";

std::string CutAndDot(std::string_view text, size_t length)
{
  std::string s(text.substr(0, length));
  for (char& c : s)
    if (c == ',')
      c = '.';
  return s;
}

std::string Formatted(const char* pattern, int32_t number)
{
  // The patterns carry one "%d".
  std::string s(pattern);
  const size_t p = s.find("%d");
  return s.replace(p, 2, IntToStr(number));
}

}  // namespace

// ---- TSygDescr ----

std::string TSygDescr::GetIdent() const { return "XX" + IntToStr(Number); }

void TSygDescr::SetChannelIdS(std::string_view text) { ChannelId = CutAndDot(text, 64); }

void TSygDescr::SetComponentS(std::string_view text) { Component = CutAndDot(text, 64); }

void TSygDescr::SetSampleCountUnset(int32_t n)
{
  FLeaveNewUnset = true;
  try {
    SetSampleCount(n);
  } catch (...) {
    FLeaveNewUnset = false;
    throw;
  }
  FLeaveNewUnset = false;
}

void TSygDescr::CheckIndex(int32_t i) const
{
  // Negative indexes are refused as well as those past the end.
  if (i < 0 || i >= FSampleCount)
    throw EComtrade(kIndexError);
}

// ---- TAnalogDescr ----

TAnalogDescr::TAnalogDescr(uint8_t memoryFormat) : FMemoryFormat(memoryFormat) {}

std::string TAnalogDescr::GetIdent() const { return "AN" + IntToStr(Number); }

void TAnalogDescr::SetUnitS(std::string_view text) { Units = CutAndDot(text, 32); }

void TAnalogDescr::UnknownFormat() const { throw EComtrade("Unknown format of memory for analog buffer."); }

void TAnalogDescr::SetSampleCount(int32_t n)
{
  if (n == FSampleCount)
    return;
  if (n < 0)
    throw EComtrade(kIndexError);
  FHasExtent = false;
  if (FMemoryFormat == MemoryFormatRaw)
    FLeaveNewUnset ? FRaw.resize(static_cast<size_t>(n)) : FRaw.resize(static_cast<size_t>(n), 0);
  else if (FMemoryFormat == MemoryFormatScaled)
    FLeaveNewUnset ? FScaled.resize(static_cast<size_t>(n)) : FScaled.resize(static_cast<size_t>(n), 0.0);
  else
    UnknownFormat();
  FSampleCount = n;
}

int32_t TAnalogDescr::ClampRaw(double x) const
{
  // NaN has no raw value: it reads as the "no value" marker of 16-bit files.
  if (std::isnan(x))
    return -32768;
  if (x > RangeMax)
    return RangeMax;
  if (x < RangeMin)
    return RangeMin;
  int32_t r = 0;
  if (!TryRoundToInt32(x, r))
    return x > 0 ? RangeMax : RangeMin;
  return r;
}

void TAnalogDescr::SetRawSample(int32_t i, int32_t raw)
{
  CheckIndex(i);
  FHasExtent = false;
  if (FMemoryFormat == MemoryFormatRaw)
    FRaw[static_cast<size_t>(i)] = raw;
  else if (FMemoryFormat == MemoryFormatScaled)
    FScaled[static_cast<size_t>(i)] = ScaledOf(raw);
  else
    UnknownFormat();
}

void TAnalogDescr::SetScaledSample(int32_t i, double v)
{
  CheckIndex(i);
  FHasExtent = false;
  if (FMemoryFormat == MemoryFormatRaw) {
    if (A == 0)
      throw EComtrade(Formatted("Channel An%d invalid Multiplier=0", Number));
    FRaw[static_cast<size_t>(i)] = ClampRaw((v - B) / A);
  } else if (FMemoryFormat == MemoryFormatScaled) {
    FScaled[static_cast<size_t>(i)] = v;
  } else {
    UnknownFormat();
  }
}

int32_t TAnalogDescr::GetRawSample(int32_t i) const
{
  CheckIndex(i);
  if (FMemoryFormat == MemoryFormatRaw)
    return FRaw[static_cast<size_t>(i)];
  if (FMemoryFormat != MemoryFormatScaled)
    UnknownFormat();
  if (!std::isfinite(A))
    throw EComtrade(Formatted("Channel An%d has NAN Multiplier", Number));
  if (A == 0)
    throw EComtrade(Formatted("Channel An%d invalid Multiplier=0", Number));
  if (!std::isfinite(B))
    throw EComtrade(Formatted("Channel An%d has NAN offset", Number));
  const double v = FScaled[static_cast<size_t>(i)];
  if (!std::isfinite(v))
    return -32768;
  return ClampRaw((v - B) / A);
}

double TAnalogDescr::GetValueEx(uint8_t mode, int32_t i, bool& ok) const
{
  ok = false;
  if (i >= FSampleCount)
    return 0;
  if (i < 0)
    throw EComtrade(kIndexError);
  double v = 0;
  if (FMemoryFormat == MemoryFormatRaw)
    v = FRaw[static_cast<size_t>(i)] * A + B;
  else if (FMemoryFormat == MemoryFormatScaled)
    v = FScaled[static_cast<size_t>(i)];
  else
    UnknownFormat();
  switch (mode) {
  case DataModePrimary:
    if (PS == 1 && Primary != 0 && Secondary != 0)
      v = v * Primary / Secondary;
    break;
  case DataModeSecondary:
    if (PS == 0 && Primary != 0 && Secondary != 0)
      v = v * Secondary / Primary;
    break;
  case DataModeRaw:
    if (A == 0)
      throw EComtrade(kZeroDivide);
    v = (v - B) / A;
    break;
  case DataModePercent: {
    if (A == 0 || RangeMax == RangeMin)
      throw EComtrade(kZeroDivide);
    const double r = (v - B) / A;
    const double span = double(RangeMax) - double(RangeMin);
    v = Unipolar ? (r - RangeMin) * 100 / span : (r - RangeMin) * 200 / span - 100;
    break;
  }
  default:
    throw EComtrade("Unknown data mode");
  }
  ok = true;
  return v;
}

double TAnalogDescr::GetValue(int32_t i) const
{
  bool ok = false;
  const double v = GetValueEx(DataMode, i, ok);
  if (!ok)
    throw EComtrade("Data no Exist");
  return v;
}

void TAnalogDescr::CheckRange(const TMessageHook& hook)
{
  if (FSampleCount == 0)
    return;  // no samples, nothing to widen the range to
  int32_t dataMax = 0, dataMin = 0;
  if (FMemoryFormat == MemoryFormatRaw) {
    // The first sample counts even when it is a marker; the later ones only when they are
    // none.
    TRawExtent extent = FExtent;
    if (!FHasExtent) {
      extent = TRawExtent{};
      for (const int32_t raw : FRaw)
        extent.Add(raw);
    }
    dataMax = extent.Greatest;
    dataMin = std::min(FRaw[0], extent.Least);
  } else {
    // A store of scaled values answers through its raw reader, which also refuses a
    // multiplier or offset that has no raw value.
    for (int32_t i = 0; i < FSampleCount; ++i) {
      const int32_t raw = GetRawSample(i);
      if (i == 0) {
        dataMax = raw;
        dataMin = raw;
        continue;
      }
      if (raw > dataMax)
        dataMax = raw;
      if (raw < dataMin && !IsNoValueMark(raw))
        dataMin = raw;
    }
  }
  if (RangeMax < dataMax) {
    CallHook(hook, "Comtrade warning : Data > Max for : " + ChannelId);
    RangeMax = dataMax;
  }
  if (dataMin < RangeMin) {
    CallHook(hook, "Comtrade warning : Data < Min for : " + ChannelId);
    RangeMin = dataMin;
  }
}

void TAnalogDescr::ScaleAnalog()
{
  if (!Rescale && A != 0)
    return;
  A = 1.0;
  B = 0;
  bool any = false;
  double lo = 0, hi = 0;
  for (int32_t i = 0; i < FSampleCount; ++i) {
    double v = 0;
    try {
      v = GetValue(i);
    } catch (const EComtrade&) {
      continue;
    }
    if (!std::isfinite(v))
      continue;
    if (!any) {
      lo = hi = v;
      any = true;
    } else {
      if (v < lo)
        lo = v;
      if (v > hi)
        hi = v;
    }
  }
  double peak = std::max(std::fabs(hi), std::fabs(lo));
  if (peak == 0)
    peak = 1.0;
  peak *= 1.2;
  Primary = peak;
  Secondary = peak;
  PS = 1;
  RangeMax = 32767;
  RangeMin = -32768;
  A = peak / 32767;
}

// ---- TCyfrDescr ----

std::string TCyfrDescr::GetIdent() const { return "DG" + IntToStr(Number); }

void TCyfrDescr::SetSampleCount(int32_t n)
{
  if (n == FSampleCount)
    return;
  if (n < 0)
    throw EComtrade(kIndexError);
  FLeaveNewUnset ? FSamples.resize(static_cast<size_t>(n)) : FSamples.resize(static_cast<size_t>(n), 0);
  FSampleCount = n;
}

uint8_t TCyfrDescr::GetSample(int32_t i) const
{
  CheckIndex(i);
  return FSamples[static_cast<size_t>(i)];
}

void TCyfrDescr::SetSample(int32_t i, uint8_t state)
{
  CheckIndex(i);
  FSamples[static_cast<size_t>(i)] = state;
}

// ---- lists ----

template <class T>
T& TDescrList<T>::AddNew(std::unique_ptr<T> item)
{
  T& d = *item;
  d.Number = MaxNumber() + 1;
  if (FOwner)
    d.SetSampleCount(FOwner->GetSampleCount());
  FItems.push_back(std::move(item));
  return d;
}

template class TDescrList<TAnalogDescr>;
template class TDescrList<TCyfrDescr>;

TAnalogDescr& TAnalogList::AddChannel(uint8_t memoryFormat)
{
  const auto& make = ComtradeClasses().AnalogDescr;
  return AddNew(make ? make(memoryFormat) : std::make_unique<TAnalogDescr>(memoryFormat));
}

void TAnalogList::CheckRanges(const TMessageHook& hook)
{
  for (const auto& d : *this)
    d->CheckRange(hook);
}

void TAnalogList::ScaleAnalog()
{
  for (int32_t k = 0; k < Count(); ++k) {
    try {
      Items(k).ScaleAnalog();
    } catch (const std::exception& e) {
      throw EComtrade("Exception in AnalogList.ScaleAnalog(index=" + IntToStr(k) + "): " + e.what());
    }
  }
}

TCyfrDescr& TCyfrList::AddChannel()
{
  const auto& make = ComtradeClasses().CyfrDescr;
  return AddNew(make ? make() : std::make_unique<TCyfrDescr>());
}
