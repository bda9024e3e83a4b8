// The readers and writers of a COMTRADE data file (.DAT) in its two standard forms, BINARY
// and ASCII, and the start-up of the data-file unit, which registers every recorder format
// and data-file parser of the library.
//
// A parser fills the samples of a recording whose channels, rates and time multiplier the
// configuration has already set, or writes them out. Parsers hold no state; the registered
// objects are the ones BinaryDataFileParser() and AsciiDataFileParser() return.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/StrFormat.h"
#include "ternik/ComTrade3Unit.h"
#include "ternik/ComTrade3UnitModel.h"

class TBinaryDataFileParser : public TComtradeDataFileParser {
public:
  std::string ClassName() const override { return "TBinaryDataFileParser"; }
  std::string ParserName() const override { return "BINARY"; }
  int32_t Capabilities() const override { return ParserCanRead | ParserCanWrite; }
  // Fills every sample from the ".DAT" stream. A stream shorter than the declared samples
  // loads the whole records it holds, the segments are cut to them, and the hook is told
  // how many of how many.
  void LoadDataFromStream(TComtrade& recording, const TStringArray& names, const TStreamArray& streams,
                          const TMessageHook& hook) const override;
  // Replaces the ".DAT" stream's content with the records of the chosen channels and range.
  // Values that do not fit the file's fields are clamped, with a warning to the hook.
  void SaveDataToStream(TComtrade& recording, const TStringArray& names, bool selectedOnly, bool viewOnly,
                        const TStreamArray& streams, int32_t option1, int32_t option2,
                        const TMessageHook& hook) const override;
};

class TAsciiDataFileParser : public TComtradeDataFileParser {
public:
  std::string ClassName() const override { return "TAsciiDataFileParser"; }
  std::string ParserName() const override { return "ASCII"; }
  int32_t Capabilities() const override { return ParserCanRead | ParserCanWrite; }
  // One sample per line, a blank one too; the segments are cut to the lines where they
  // declare more, and the hook is told how many of how many. The first bad line ends the
  // load with its 0-based number.
  void LoadDataFromStream(TComtrade& recording, const TStringArray& names, const TStreamArray& streams,
                          const TMessageHook& hook) const override;
  void SaveDataToStream(TComtrade& recording, const TStringArray& names, bool selectedOnly, bool viewOnly,
                        const TStreamArray& streams, int32_t option1, int32_t option2,
                        const TMessageHook& hook) const override;
};

const TComtradeDataFileParser& BinaryDataFileParser();
const TComtradeDataFileParser& AsciiDataFileParser();

// ---- shared by the data-file writers ----

// A recording without a time multiplier gets one before anything is written, so that the
// configuration and the data agree: 1e6 / the first rate, else the mean sample interval in
// microseconds, else 1.0. The hook is told. Nothing happens when the multiplier is set.
void EnsureTimeMultiplier(TComtrade& recording, const TMessageHook& hook);

// The sample positions a save writes: first .. last - 1 of the time axis, the view window's
// positions with viewOnly, else all. last <= first means nothing.
void SaveRange(const TComtrade& recording, bool viewOnly, int32_t& first, int32_t& last);

// A time stamp of a data file: (t - t0) in units of the multiplier, rounded half to even, in
// 64 bits. Values outside 0 .. 4294967294 are clamped (4294967295 marks a missing time
// stamp) and `clamped` is set.
uint32_t TimeStampOf(double t, double t0, double multiplier, bool& clamped);

// A dictionary pattern of the unit's group with its arguments. A translation that does not
// fit its arguments falls back to the default text, so a bad dictionary never hides the
// message.
std::string DfpFormat(std::string_view key, std::initializer_list<TFormatArg> args);

// ---- start-up ----

// Adds the unit's message group and registers the recorder interfaces and the data-file
// parsers, in the library's order. Only the first call acts, only the last finalisation.
void DataFileParsersUnitInitialize();
void DataFileParsersUnitFinalize();
