// Sampling-rate segments and the recording's time axis. Segment k covers the sample positions
// from the previous segment's end up to (not including) its own end, at Rate samples per
// second. With a segment of rate 0 (or none) the times come from the data file's time stamps.
// The segments only declare samples: the axis is as long as the samples the recording holds.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ternik/ComTrade3Unit.h"

class TComtrade;
class TRateList;

class TRateDescr {
public:
  explicit TRateDescr(TRateList* owner) : FOwner(owner) {}
  virtual ~TRateDescr() = default;
  TRateDescr(const TRateDescr&) = delete;
  TRateDescr& operator=(const TRateDescr&) = delete;

  TRateList* Owner() const { return FOwner; }
  int64_t StartSample = 0;
  double Rate = 0;  // samples per second; 0 = unknown

  int64_t EndSample() const { return FEndSample; }
  // Raises "Incorrect EndSample Value" below 0 and below the previous segment's end (the
  // value stays stored then); else the list rebuilds its times and sample numbers.
  void SetEndSample(int64_t n);
  int64_t SampleCount() const { return FEndSample - StartSample; }
  // Seconds; raises for a zero rate.
  double Duration() const;

private:
  TRateList* FOwner;
  int64_t FEndSample = 0;
};

class TRateList {
public:
  explicit TRateList(TComtrade* owner) : FOwner(owner) {}
  virtual ~TRateList() = default;
  TRateList(const TRateList&) = delete;
  TRateList& operator=(const TRateList&) = delete;

  TComtrade* Owner() const { return FOwner; }
  int32_t SegmentCount() const { return static_cast<int32_t>(FItems.size()); }
  TRateDescr& GetItem(int32_t i) const;
  TRateDescr& operator[](int32_t i) const { return GetItem(i); }
  // Appends a segment starting at the previous segment's end, end 0, rate 0.
  virtual TRateDescr& AddRate();
  // Frees the segments; the time axis stays.
  void ClearSegments() { FItems.clear(); }

  // Length of the time axis.
  int32_t Count() const { return static_cast<int32_t>(FTimes.size()); }
  int64_t TotalSamples64() const { return FItems.empty() ? 0 : FItems.back()->EndSample(); }
  int32_t TotalSamples() const;
  // Sizes the time axis (and, with an owner, every channel); new sample numbers are i + 1,
  // new positions get their times from the rates where the rates give times.
  void SetCount(int32_t n);
  // The segments declare no more than n samples: when they declare more, the segment that
  // holds sample n - 1 (the first one for n = 0, which keeps its rate) ends at n and the
  // later ones are removed. The time axis is rebuilt once, for the n samples.
  void CutToSamples(int64_t n);

  // Raises "RateList: Index %d, out of Bounds: <0..%d>".
  double GetTime(int32_t i) const;
  void FSetTime(int32_t i, double t);
  int64_t FGetSamplIdx(int32_t i) const;
  void FSetSamplIdx(int32_t i, int64_t n);
  const std::vector<double>& Times() const { return FTimes; }
  const std::vector<int64_t>& SampleNumbers() const { return FSampleNumbers; }
  // The axis and the sample numbers to fill in place (Count entries each), for decoders.
  std::span<double> TimesBuffer() { return FTimes; }
  std::span<int64_t> SampleNumbersBuffer() { return FSampleNumbers; }

  bool HasExplicitTimes() const;
  // Seconds of 0-based sample position n after the first sample.
  double SampleTime(int64_t n) const;
  // SampleTime of every position 0 .. times.size() - 1, the same values in one walk.
  void SampleTimes(std::span<double> times) const;
  // The position at time t: by the time axis when the times are explicit, else by the rates.
  // A time past the last segment raises the list's index error.
  int32_t SampleAtTime(double t) const;
  // The times of the axis's positions from the rates (nothing with explicit times), and the
  // sample numbers 1, 2, ...; both are cut to the samples the segments declare, never
  // lengthened: only SetCount sizes them.
  void RebuildTimes();
  void RebuildSampleNumbers();
  void IntervalStats(double& minInterval, double& maxInterval, double& meanInterval) const;
  double MeanRate() const;

  // Segment ends set between these two rebuild the axis once, at EndUpdate.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

private:
  friend class TRateDescr;
  int32_t IndexOf(const TRateDescr* d) const;
  size_t AxisLength(size_t length) const;
  // Times from the rates for the positions from .. to - 1 of the axis.
  void FillRateTimes(size_t from, size_t to);
  void Changed();
  TComtrade* FOwner;
  std::vector<std::unique_ptr<TRateDescr>> FItems;
  std::vector<double> FTimes;
  std::vector<int64_t> FSampleNumbers;
  int32_t FUpdateCount = 0;
};
