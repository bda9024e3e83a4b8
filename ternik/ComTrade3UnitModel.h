// One recording in memory: the configuration header, the analog and status channels with
// their samples, the rate segments with the time axis, the header text (.HDR), the
// information file (.INF) as an ini image, the view window and the recording attributes. The
// model knows no files; the file interfaces fill it and the data-file parsers read and write
// its samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "ternik/ComTrade3UnitChannels.h"
#include "ternik/ComTrade3UnitRates.h"
#include "ternik/ComTrade3UnitTime.h"

struct TRecAttribs {
  std::string TrigSrcDescr;  // description of the trigger source
  std::string Komment;
  int32_t ID = 0;
  bool Interrupted = false;  // the recording was cut short
};

// The classes a recording makes its parts from. Unit start-up sets the library's own; a
// derived library may put its own in their place.
struct TComtradeClasses {
  std::function<std::unique_ptr<TAnalogDescr>(uint8_t memoryFormat)> AnalogDescr;
  std::function<std::unique_ptr<TAnalogList>(TComtrade* owner)> AnalogList;
  std::function<std::unique_ptr<TCyfrDescr>()> CyfrDescr;
  std::function<std::unique_ptr<TCyfrList>(TComtrade* owner)> CyfrList;
  std::function<std::unique_ptr<TRateDescr>(TRateList* owner)> RateDescr;
  std::function<std::unique_ptr<TRateList>(TComtrade* owner)> RateList;
};
TComtradeClasses& ComtradeClasses();
// The library's own classes.
TComtradeClasses DefaultComtradeClasses();

enum : uint8_t { DataFileFormatAscii = 0, DataFileFormatBinary = 1 };

// The bytes of one BINARY data-file record of a recording with these channels: sample
// number, time stamp, a 16-bit value per analog channel and a 16-bit word per 16 status
// channels.
constexpr size_t BinaryRecordSize(size_t analogs, size_t statuses)
{
  return 8 + 2 * analogs + 2 * ((statuses + 15) / 16);
}

class TComtrade {
public:
  TComtrade();
  virtual ~TComtrade();
  TComtrade(const TComtrade&) = delete;
  TComtrade& operator=(const TComtrade&) = delete;

  uint8_t DataFileFormat() const { return FDataFileFormat; }
  // 0 (ASCII) or 1 (BINARY); any other value raises "Unknown DataFileFormat".
  void SetDataFileFormat(uint8_t value);

  std::unique_ptr<TRateList> Rates;
  std::unique_ptr<TAnalogList> Analogs;
  std::unique_ptr<TCyfrList> Statuses;
  TObFileParam FileParam;
  TRecAttribs RecAttribs;
  TViewParam View;
  std::vector<std::string> HdrText;  // the lines of the .HDR file
  TIniFile Inf;                      // the .INF content

  // No channels and no segments; revision 1997 and 50 Hz. Header text, Inf, the time axis,
  // the view and the attributes stay.
  void Clear();
  // Every channel, or with selectedOnly those whose Visible is set, in channel order.
  void SelectChannels(bool selectedOnly, TAnalogSelection& analogs, TCyfrSelection& statuses) const;
  int32_t GetSampleCount() const { return Rates->Count(); }
  void SetChannelsSampleCount(int32_t n);
  void SetSampleCount(int32_t n);
  // The recording holds the n samples a data file gave, however many its segments declare:
  // the segments are cut to n (TRateList::CutToSamples), then every buffer is sized for n.
  // A reader calls it before it fills the samples.
  void KeepSamplesRead(int32_t n);
  // The same for a reader that writes every sample of every channel in place. When every
  // channel is of the library's own classes, which size their stores to exactly the count
  // asked, the channels' new samples are left unset (TSygDescr::SetSampleCountUnset); a
  // channel class of a derived library may size its own way, and then every channel is
  // sized with zeros, as by KeepSamplesRead. The time axis and the sample numbers are sized
  // as there. prepare, when given, runs last and answers whether the reader can write every
  // sample in place (each store holds n samples): whatever else can fail before the reader
  // writes (finding the stores it writes to) goes there. A failure until then, or a false
  // answer, leaves zeros in the new samples rather than whatever the memory held. Returns
  // the answer: on false the reader stores through the checked setters.
  bool KeepSamplesToFill(int32_t n, const std::function<bool()>& prepare = {});

private:
  uint8_t FDataFileFormat = DataFileFormatAscii;
};
