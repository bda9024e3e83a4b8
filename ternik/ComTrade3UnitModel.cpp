#include "ternik/ComTrade3UnitModel.h"

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

void TComtrade::KeepSamplesToFill(int32_t n, const std::function<void()>& prepare)
{
  Rates->CutToSamples(n);
  std::vector<std::pair<TSygDescr*, int32_t>> sized;  // each channel with its old count
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
    if (prepare)
      prepare();
  } catch (...) {
    // The reader fails before it fills anything: the channels sized so far get zeros for
    // their new samples, as KeepSamplesRead gives them.
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
    throw;
  }
}
