// The channels of a recording: the common part, analog channels with their sample store and
// scaling, status channels, and the owning lists.
#pragma once

#include <climits>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ternik/ComTrade3Unit.h"

class TComtrade;

// The allocator of sample stores: growing a store with resize(n) leaves the new samples
// unset (resize(n, 0) still fills), so that a decoder that writes every sample does not pay
// for clearing them first.
template <class T>
struct TUnsetAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUnsetAllocator<U>;
  };
  TUnsetAllocator() = default;
  template <class U>
  TUnsetAllocator(const TUnsetAllocator<U>&) noexcept
  {}
  template <class U>
  void construct(U* p) noexcept
  {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args)
  {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
template <class T>
using TSampleStore = std::vector<T, TUnsetAllocator<T>>;

// 0x8000 in the low half of a raw sample is the 16-bit "no value" marker, not a low reading.
inline bool IsNoValueMark(int32_t raw) { return (static_cast<uint32_t>(raw) & 0xFFFFu) == 0x8000u; }

// The least and the greatest raw sample of a channel, gathered by a decoder as it stores
// them: Least skips the "no value" markers (INT32_MAX when there was nothing else).
struct TRawExtent {
  int32_t Least = INT32_MAX;
  int32_t Greatest = INT32_MIN;
  void Add(int32_t raw)
  {
    Greatest = raw > Greatest ? raw : Greatest;
    const int32_t low = IsNoValueMark(raw) ? INT32_MAX : raw;
    Least = low < Least ? low : Least;
  }
};

class TSygDescr {
public:
  virtual ~TSygDescr() = default;
  TSygDescr() = default;
  TSygDescr(const TSygDescr&) = delete;
  TSygDescr& operator=(const TSygDescr&) = delete;

  std::string ChannelId;  // at most 64 characters
  std::string Component;  // at most 64 characters
  std::string Comment;    // the user's wave comment
  bool Visible = true;    // the selection that saving of selected channels uses
  int32_t Number = 0;
  std::string Phase;  // at most 2 characters
  int32_t PenColor = 0;
  int32_t BackgroundColor = 0xFFFFFF;
  int32_t Tag = 0;  // free for the loaders (a source index or bit mask)
  bool IsTrigSource = false;

  int32_t SampleCount() const { return FSampleCount; }
  virtual void SetSampleCount(int32_t n) = 0;
  // Sizes the store through SetSampleCount, but the samples beyond the old count are left
  // unset instead of 0: only for a decoder that writes every one of them before anything
  // can read them.
  void SetSampleCountUnset(int32_t n);

  // "XX", "AN" or "DG" followed by Number.
  virtual std::string GetIdent() const;
  // The first 64 characters, "," replaced by ".".
  void SetChannelIdS(std::string_view text);
  void SetComponentS(std::string_view text);
  void SetPhase(std::string_view text) { Phase = std::string(text.substr(0, 2)); }

protected:
  void CheckIndex(int32_t i) const;
  int32_t FSampleCount = 0;
  bool FLeaveNewUnset = false;  // within SetSampleCountUnset
};

// Kinds of value the value readers return.
enum : uint8_t { DataModePrimary = 0, DataModeSecondary = 1, DataModeRaw = 2, DataModePercent = 3 };
// Sample stores: raw 32-bit integers or scaled doubles.
enum : uint8_t { MemoryFormatRaw = 0, MemoryFormatScaled = 1 };

class TAnalogDescr : public TSygDescr {
public:
  explicit TAnalogDescr(uint8_t memoryFormat);

  std::string Units;  // at most 32 characters
  uint8_t DataMode = DataModePrimary;
  double Primary = 1.0, Secondary = 1.0;
  int32_t RangeMin = 0, RangeMax = 0;
  double A = 0, B = 0;  // scaled = raw x A + B
  uint8_t PS = 0;       // 0: scaled values are primary-side, 1: secondary-side
  double Skew = 0;
  bool Rescale = false;
  bool Unipolar = false;

  uint8_t MemoryFormat() const { return FMemoryFormat; }
  std::string GetIdent() const override;
  void SetUnitS(std::string_view text);

  // New samples are 0. Raises "Unknown format of memory for analog buffer." for a store
  // other than raw or scaled.
  void SetSampleCount(int32_t n) override;
  void SetRawSample(int32_t i, int32_t raw);
  // The scaled value SetRawSample stores for a raw one in a store of scaled values.
  double ScaledOf(int32_t raw) const { return raw * A + B; }
  // The whole raw store (SampleCount values) for decoders that fill every sample; empty
  // for a store of scaled values. Handing it out forgets a decoder's extent.
  std::span<int32_t> RawSamples()
  {
    FHasExtent = false;
    return FMemoryFormat == MemoryFormatRaw ? std::span<int32_t>(FRaw) : std::span<int32_t>();
  }
  // The whole store of scaled values, which a decoder fills with ScaledOf; empty for a raw
  // store.
  std::span<double> ScaledSamples()
  {
    return FMemoryFormat == MemoryFormatScaled ? std::span<double>(FScaled) : std::span<double>();
  }
  // The extent of the raw store that its decoder gathered while it filled it: CheckRange
  // takes it instead of reading every sample again. Any later change of the store forgets
  // it.
  void SetRawExtent(const TRawExtent& extent)
  {
    FExtent = extent;
    FHasExtent = FMemoryFormat == MemoryFormatRaw;
  }
  void SetScaledSample(int32_t i, double v);
  int32_t GetRawSample(int32_t i) const;
  // The value of sample i in the given mode; ok = false (and 0) for i at or beyond the count.
  double GetValueEx(uint8_t mode, int32_t i, bool& ok) const;
  // GetValueEx in DataMode; raises "Data no Exist" for a missing sample.
  double GetValue(int32_t i) const;
  // Widens the raw range to the samples', with a warning to the hook for each side.
  void CheckRange(const TMessageHook& hook);
  // Prepares a channel of scaled values for a 16-bit raw file (only when Rescale or A = 0).
  void ScaleAnalog();

private:
  [[noreturn]] void UnknownFormat() const;
  int32_t ClampRaw(double x) const;
  uint8_t FMemoryFormat;
  TSampleStore<int32_t> FRaw;
  TSampleStore<double> FScaled;
  TRawExtent FExtent;
  bool FHasExtent = false;
};

class TCyfrDescr : public TSygDescr {
public:
  TCyfrDescr() = default;
  uint8_t NormalState = 0;

  std::string GetIdent() const override;
  void SetSampleCount(int32_t n) override;
  uint8_t GetSample(int32_t i) const;
  void SetSample(int32_t i, uint8_t state);
  // The whole store (SampleCount states, each 0 or 1) for decoders that fill every sample.
  std::span<uint8_t> Samples() { return FSamples; }

private:
  TSampleStore<uint8_t> FSamples;
};

// Owning, ordered lists of channels. A list with an owner sizes every channel it adds to the
// owner's sample count.
template <class T>
class TDescrList {
public:
  explicit TDescrList(TComtrade* owner) : FOwner(owner) {}
  virtual ~TDescrList() = default;
  TDescrList(const TDescrList&) = delete;
  TDescrList& operator=(const TDescrList&) = delete;

  TComtrade* Owner() const { return FOwner; }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // Raises the list's index error outside 0 .. Count - 1.
  T& Items(int32_t i) const
  {
    if (i < 0 || i >= Count())
      throw EComtrade(ListIndexError(i));
    return *FItems[static_cast<size_t>(i)];
  }
  T& operator[](int32_t i) const { return Items(i); }
  // Largest Number, 0 when empty.
  int32_t MaxNumber() const
  {
    int32_t m = 0;
    for (const auto& d : FItems)
      if (d->Number > m)
        m = d->Number;
    return m;
  }
  void Add(std::unique_ptr<T> item) { FItems.push_back(std::move(item)); }
  void Delete(int32_t i)
  {
    Items(i);
    FItems.erase(FItems.begin() + i);
  }
  void Clear() { FItems.clear(); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

protected:
  // Appends a new channel with Number = MaxNumber + 1, sized to the owner's sample count.
  T& AddNew(std::unique_ptr<T> item);

private:
  TComtrade* FOwner;
  std::vector<std::unique_ptr<T>> FItems;
};

class TAnalogList : public TDescrList<TAnalogDescr> {
public:
  using TDescrList::TDescrList;
  virtual TAnalogDescr& AddChannel(uint8_t memoryFormat);
  void CheckRanges(const TMessageHook& hook);
  // Raises "Exception in AnalogList.ScaleAnalog(index=%d): %s" for a channel that fails.
  void ScaleAnalog();
};

class TCyfrList : public TDescrList<TCyfrDescr> {
public:
  using TDescrList::TDescrList;
  virtual TCyfrDescr& AddChannel();
};

// Non-owning selections of a recording's channels, in channel order.
using TAnalogSelection = std::vector<TAnalogDescr*>;
using TCyfrSelection = std::vector<TCyfrDescr*>;
