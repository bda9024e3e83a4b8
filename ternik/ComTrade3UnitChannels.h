// The channels of a recording: the common part, analog channels with their sample store and
// scaling, status channels, and the owning lists.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ternik/ComTrade3Unit.h"

class TComtrade;

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

  // "XX", "AN" or "DG" followed by Number.
  virtual std::string GetIdent() const;
  // The first 64 characters, "," replaced by ".".
  void SetChannelIdS(std::string_view text);
  void SetComponentS(std::string_view text);
  void SetPhase(std::string_view text) { Phase = std::string(text.substr(0, 2)); }

protected:
  void CheckIndex(int32_t i) const;
  int32_t FSampleCount = 0;
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
  // The whole raw store (SampleCount values) for decoders that fill every sample; empty
  // for a store of scaled values, which such decoders fill through SetRawSample.
  std::span<int32_t> RawSamples()
  {
    return FMemoryFormat == MemoryFormatRaw ? std::span<int32_t>(FRaw) : std::span<int32_t>();
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
  std::vector<int32_t> FRaw;
  std::vector<double> FScaled;
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
  std::vector<uint8_t> FSamples;
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
