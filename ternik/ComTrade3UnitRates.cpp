#include "ternik/ComTrade3UnitRates.h"

#include <algorithm>
#include <cmath>

#include "platform/NumText.h"
#include "ternik/ComTrade3UnitModel.h"

namespace {
const char kZeroDivide[] = "Floating point division by zero";
const char kIncorrectEnd[] = "Incorrect EndSample Value";
}  // namespace

// ---- TRateDescr ----

void TRateDescr::SetEndSample(int64_t n)
{
  if (n < 0)
    throw EComtrade(kIncorrectEnd);
  FEndSample = n;
  if (FOwner) {
    const int32_t k = FOwner->IndexOf(this);
    if (k > 0 && n < FOwner->GetItem(k - 1).EndSample())
      throw EComtrade(kIncorrectEnd);
    FOwner->Changed();
  }
}

double TRateDescr::Duration() const
{
  if (Rate == 0)
    throw EComtrade(kZeroDivide);
  return double(SampleCount()) / Rate;
}

// ---- TRateList ----

TRateDescr& TRateList::GetItem(int32_t i) const
{
  if (i < 0 || i >= SegmentCount())
    throw EComtrade(ListIndexError(i));
  return *FItems[static_cast<size_t>(i)];
}

int32_t TRateList::IndexOf(const TRateDescr* d) const
{
  for (size_t k = 0; k < FItems.size(); ++k)
    if (FItems[k].get() == d)
      return static_cast<int32_t>(k);
  return -1;
}

TRateDescr& TRateList::AddRate()
{
  const auto& make = ComtradeClasses().RateDescr;
  auto d = make ? make(this) : std::make_unique<TRateDescr>(this);
  d->StartSample = TotalSamples64();
  d->Rate = 0;
  TRateDescr& ref = *d;
  FItems.push_back(std::move(d));
  return ref;
}

int32_t TRateList::TotalSamples() const
{
  const int64_t n = TotalSamples64();
  return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n);
}

void TRateList::SetCount(int32_t n)
{
  if (n < 0)
    throw EComtrade(ListIndexError(n));
  const size_t old = FTimes.size();
  FTimes.resize(static_cast<size_t>(n), 0.0);
  if (static_cast<size_t>(n) > old)
    FillRateTimes(old, static_cast<size_t>(n));
  if (FOwner)
    FOwner->SetChannelsSampleCount(n);
  // The sample numbers follow the axis even where a rebuild left them another length (a
  // recording emptied for a new load keeps none of the old numbers).
  const size_t from = std::min(old, FSampleNumbers.size());
  FSampleNumbers.resize(static_cast<size_t>(n));
  for (size_t i = from; i < FSampleNumbers.size(); ++i)
    FSampleNumbers[i] = static_cast<int64_t>(i) + 1;
}

void TRateList::CutToSamples(int64_t n)
{
  if (n < 0)
    throw EComtrade(ListIndexError(n));
  if (FItems.empty() || TotalSamples64() <= n)
    return;
  size_t k = 0;
  while (FItems[k]->EndSample() < n)
    ++k;  // the last segment ends beyond n
  BeginUpdate();
  try {
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(k) + 1, FItems.end());
    FItems[k]->SetEndSample(n);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

double TRateList::GetTime(int32_t i) const
{
  if (i < 0 || i >= Count())
    throw EComtrade("RateList: Index " + IntToStr(i) + ", out of Bounds: <0.." + IntToStr(Count() - 1) + ">");
  return FTimes[static_cast<size_t>(i)];
}

void TRateList::FSetTime(int32_t i, double t)
{
  if (i < 0 || i >= Count())
    throw EComtrade("TRateList.FSetTime: Index out of time buffer range.");
  FTimes[static_cast<size_t>(i)] = t;
}

int64_t TRateList::FGetSamplIdx(int32_t i) const
{
  if (i < 0 || static_cast<size_t>(i) >= FSampleNumbers.size())
    throw EComtrade("TRateList.FGetSamplIdx: Index out of range.");
  return FSampleNumbers[static_cast<size_t>(i)];
}

void TRateList::FSetSamplIdx(int32_t i, int64_t n)
{
  if (i < 0 || static_cast<size_t>(i) >= FSampleNumbers.size())
    throw EComtrade("TRateList.FSetSamplIdx: Index out of range.");
  FSampleNumbers[static_cast<size_t>(i)] = n;
}

bool TRateList::HasExplicitTimes() const
{
  if (FItems.empty())
    return true;
  return std::any_of(FItems.begin(), FItems.end(), [](const auto& d) { return d->Rate == 0; });
}

double TRateList::SampleTime(int64_t n) const
{
  if (n < 0)
    throw EComtrade(ListIndexError(n));
  double t = 0;
  int64_t prev = 0;
  for (const auto& d : FItems) {
    if (d->Rate == 0)
      throw EComtrade(kZeroDivide);
    if (d->EndSample() < n) {
      t += double(d->EndSample() - prev) / d->Rate;
      prev = d->EndSample();
    } else {
      t += double(n - prev) / d->Rate;
      break;
    }
  }
  return t;
}

void TRateList::SampleTimes(std::span<double> times) const
{
  // The sums of the segments before the current one are added in SampleTime's order, so
  // that every value equals its answer.
  double base = 0;
  int64_t prev = 0;
  size_t k = 0;
  for (size_t n = 0; n < times.size(); ++n) {
    const int64_t at = static_cast<int64_t>(n);
    while (k < FItems.size() && FItems[k]->EndSample() < at) {
      if (FItems[k]->Rate == 0)
        throw EComtrade(kZeroDivide);
      base += double(FItems[k]->EndSample() - prev) / FItems[k]->Rate;
      prev = FItems[k]->EndSample();
      ++k;
    }
    if (k < FItems.size()) {
      if (FItems[k]->Rate == 0)
        throw EComtrade(kZeroDivide);
      times[n] = base + double(at - prev) / FItems[k]->Rate;
    } else {
      times[n] = base;
    }
  }
}

int32_t TRateList::SampleAtTime(double t) const
{
  if (HasExplicitTimes()) {
    // The largest position whose time lies below t.
    const auto it = std::lower_bound(FTimes.begin(), FTimes.end(), t);
    return it == FTimes.begin() ? 0 : static_cast<int32_t>(it - FTimes.begin() - 1);
  }
  double acc = 0;
  int64_t pos = 0;
  size_t k = 0;
  while (t > acc) {
    if (k >= FItems.size())
      throw EComtrade(ListIndexError(static_cast<int64_t>(k)));
    const TRateDescr& d = *FItems[k++];
    const double dur = d.Duration();
    if (dur < t - acc) {
      pos = d.EndSample();
      acc += dur;
    } else {
      int64_t step = 0;
      if (!TryRoundHalfEven((t - acc) * d.Rate, step))
        throw EComtrade(ListIndexError(static_cast<int64_t>(k)));
      if (__builtin_add_overflow(pos, step, &pos))
        throw EComtrade(ListIndexError(static_cast<int64_t>(k)));
      acc = t;
    }
  }
  if (pos > INT32_MAX || pos < INT32_MIN)
    throw EComtrade(ListIndexError(pos));
  return static_cast<int32_t>(pos);
}

void TRateList::Changed()
{
  if (FUpdateCount > 0)
    return;
  RebuildTimes();
  RebuildSampleNumbers();
}

void TRateList::EndUpdate()
{
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    Changed();
}

size_t TRateList::AxisLength(size_t length) const
{
  // A rebuild never lengthens the axis: only the data sizes it, however many samples the
  // segments declare. It is cut where the segments now declare fewer.
  return static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(length), TotalSamples64()));
}

void TRateList::FillRateTimes(size_t from, size_t to)
{
  if (from >= to || HasExplicitTimes())
    return;
  double sum = 0;
  int64_t segStart = 0, j = int64_t(from);
  for (const auto& d : FItems) {
    const double step = 1.0 / d->Rate;
    // An end below an earlier one stays stored after its error; the times never run past
    // the last end, and positions beyond it keep 0.
    const int64_t end = d->EndSample();
    for (; j < end && j < int64_t(to); ++j)
      FTimes[static_cast<size_t>(j)] = sum + step * double(j - segStart);
    sum += step * double(end - segStart);
    segStart = end;
    if (segStart >= int64_t(to))
      break;
  }
}

void TRateList::RebuildTimes()
{
  if (HasExplicitTimes())
    return;
  FTimes.resize(AxisLength(FTimes.size()));
  FillRateTimes(0, FTimes.size());
}

void TRateList::RebuildSampleNumbers()
{
  FSampleNumbers.resize(AxisLength(FSampleNumbers.size()));
  for (size_t i = 0; i < FSampleNumbers.size(); ++i)
    FSampleNumbers[i] = static_cast<int64_t>(i) + 1;
}

void TRateList::IntervalStats(double& minInterval, double& maxInterval, double& meanInterval) const
{
  minInterval = maxInterval = meanInterval = 0;
  const size_t n = FTimes.size();
  if (n == 0)
    return;
  if (n == 1) {
    const double r = FItems.empty() ? 0 : FItems.front()->Rate;
    const double d = r == 0 ? 0 : 1.0 / r;
    minInterval = maxInterval = meanInterval = d;
    return;
  }
  double sum = 0;
  for (size_t i = 1; i < n; ++i) {
    const double d = FTimes[i] - FTimes[i - 1];
    if (i == 1 || d < minInterval)
      minInterval = d;
    if (i == 1 || d > maxInterval)
      maxInterval = d;
    sum += d;
  }
  meanInterval = sum / double(n - 1);
}

double TRateList::MeanRate() const
{
  double lo = 0, hi = 0, mean = 0;
  IntervalStats(lo, hi, mean);
  return mean == 0 ? 0 : 1.0 / mean;
}
