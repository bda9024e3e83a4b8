// The raw sample streams the disturbance recorder writes as the .DAT file of a COMTRADE set
// whose configuration names "MVK_RAW" (fault recording) or "SLOW_RAW" (slow trend recording).
// The configuration has made the channels and the rate segment; these parsers find the packet
// structure in the stream, report damage through the message hook, truncate the recording to
// the usable data and fill the samples. Reading only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ternik/ComTrade3Unit.h"

// The order in which a fault packet carries the analog channels, by channel number.
extern const std::array<int32_t, 18> MvkRawAnalogOrder;

// One packet of 16-bit words.
class TDatRec {
public:
  explicit TDatRec(size_t length) : Words(length, 0) {}
  // Word 0 carries the synchronisation flag (bit 0) and no other word does.
  bool Valid() const;
  // The marker samples that show a damaged spot in a chart: analog words -30000 or 30000,
  // status words all clear or all set.
  void Fill(bool flag, size_t analogCount);
  std::vector<uint16_t> Words;
};

// The debug level of the fault parser: the integer in KIVSSN_CMTRDEBUG, 0 when unset.
int32_t CmtrDebugLevel();

class TMV70OPFaultDataFileParser : public TComtradeDataFileParser {
public:
  std::string ClassName() const override { return "TMV70OPFaultDataFileParser"; }
  std::string ParserName() const override { return "MVK_RAW"; }
  int32_t Capabilities() const override { return ParserCanRead; }
  void LoadDataFromStream(TComtrade& recording, const TStringArray& names, const TStreamArray& streams,
                          const TMessageHook& hook) const override;
};

class TMV70OPTrendDataFileParser : public TComtradeDataFileParser {
public:
  std::string ClassName() const override { return "TMV70OPTrendDataFileParser"; }
  std::string ParserName() const override { return "SLOW_RAW"; }
  int32_t Capabilities() const override { return ParserCanRead; }
  void LoadDataFromStream(TComtrade& recording, const TStringArray& names, const TStreamArray& streams,
                          const TMessageHook& hook) const override;
};

// The parsers to register.
const TComtradeDataFileParser& MV70OPFaultDataFileParser();
const TComtradeDataFileParser& MV70OPTrendDataFileParser();
