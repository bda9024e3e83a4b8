#include "ternik/ComTrade3UnitModel.h"

#include <algorithm>
#include <typeinfo>
#include <utility>
#include <vector>

TComtradeClasses DefaultComtradeClasses()
{
  TComtradeClasses c;
  c.AnalogDescr = [](uint8_t f) { return std::make_unique<TAnalogDescr>(f); };
  c.AnalogList = [](TComtrade* o) { return std::make_unique<TAnalogList>(o); };
  c.CyfrDescr = [] { return std::make_unique<TCyfrDescr>(); };
  c.CyfrList = [](TComtrade* o) { return std::make_unique<TCyfrList>(o); };
  c.RateDescr = [](TRateList* o) { return std::make_unique<TRateDescr>(o); };
  c.RateList = [](TComtrade* o) { return std::make_unique<TRateList>(o); };
  return c;
}

TComtradeClasses& ComtradeClasses()
{
  // Usable before the library starts: the library's own classes until start-up sets them.
  static TComtradeClasses classes = DefaultComtradeClasses();
  return classes;
}

TComtrade::TComtrade()
{
  const TComtradeClasses& c = ComtradeClasses();
  Rates = c.RateList ? c.RateList(this) : std::make_unique<TRateList>(this);
  Analogs = c.AnalogList ? c.AnalogList(this) : std::make_unique<TAnalogList>(this);
  Statuses = c.CyfrList ? c.CyfrList(this) : std::make_unique<TCyfrList>(this);
  Inf.SetLineBreak("\r\n");
  Clear();
}

TComtrade::~TComtrade() = default;

void TComtrade::SetDataFileFormat(uint8_t value)
{
  if (value == FDataFileFormat)
    return;
  if (value != DataFileFormatAscii && value != DataFileFormatBinary)
    throw EComtrade("Unknown DataFileFormat");
  FDataFileFormat = value;
}

void TComtrade::Clear()
{
  Analogs->Clear();
  Statuses->Clear();
  Rates->ClearSegments();
  FileParam.RevisionYear = 1997;
  FileParam.LineFrequency = 50.0;
}

void TComtrade::SelectChannels(bool selectedOnly, TAnalogSelection& analogs, TCyfrSelection& statuses) const
{
  for (const auto& d : *Analogs)
    if (!selectedOnly || d->Visible)
      analogs.push_back(d.get());
  for (const auto& d : *Statuses)
    if (!selectedOnly || d->Visible)
      statuses.push_back(d.get());
}

void TComtrade::SetChannelsSampleCount(int32_t n)
{
  for (const auto& d : *Analogs)
    d->SetSampleCount(n);
  for (const auto& d : *Statuses)
    d->SetSampleCount(n);
}

void TComtrade::SetSampleCount(int32_t n)
{
  SetChannelsSampleCount(n);
  Rates->SetCount(n);
}

void TComtrade::KeepSamplesRead(int32_t n)
{
  Rates->CutToSamples(n);
  SetSampleCount(n);
}

bool TComtrade::KeepSamplesToFill(int32_t n, const std::function<bool()>& prepare)
{
  // Only the library's own classes are known to size a store to exactly the count asked.
  // A class of a derived library may size its own way: its reader then leaves samples
  // unwritten, and resizing through that class need not reach every sample left unset. A
  // recording with such a channel is sized with zeros.
  const auto ownClass = [](const TSygDescr& d) {
    const std::type_info& t = typeid(d);
    return t == typeid(TAnalogDescr) || t == typeid(TCyfrDescr);
  };
  if (!std::all_of(Analogs->begin(), Analogs->end(), [&](const auto& d) { return ownClass(*d); }) ||
      !std::all_of(Statuses->begin(), Statuses->end(), [&](const auto& d) { return ownClass(*d); })) {
    KeepSamplesRead(n);
    return !prepare || prepare();
  }

  Rates->CutToSamples(n);
  std::vector<std::pair<TSygDescr*, int32_t>> sized;  // each channel with its old count
  // The channels sized so far get zeros for their new samples, as KeepSamplesRead gives
  // them: being the library's own, they size back and forth exactly.
  const auto zeroNew = [&sized] {
    for (const auto& [d, old] : sized) {
      try {
        if (d->SampleCount() > old) {
          const int32_t now = d->SampleCount();
          d->SetSampleCount(old);
          d->SetSampleCount(now);
        }
      } catch (...) {
      }
    }
  };
  try {
    for (const auto& d : *Analogs) {
      sized.emplace_back(d.get(), d->SampleCount());
      d->SetSampleCountUnset(n);
    }
    for (const auto& d : *Statuses) {
      sized.emplace_back(d.get(), d->SampleCount());
      d->SetSampleCountUnset(n);
    }
    Rates->SetCount(n);
    if (!prepare || prepare())
      return true;
  } catch (...) {
    zeroNew();
    throw;
  }
  zeroNew();
  return false;
}
