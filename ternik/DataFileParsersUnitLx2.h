// Data files of the LX2 portable recorder ("*.bin"): a fixed 1,828-byte header, then frames
// of 16-bit samples of up to 16 analog channels. Loading only.
#pragma once

#include <cstdint>
#include <string>

#include "ternik/ComTrade3Unit.h"

inline constexpr size_t Lx2HeaderSize = 1828;
inline constexpr size_t Lx2ChannelRecords = 28, Lx2ChannelRecordSize = 106, Lx2Station = 1728;

class TLx2Interface : public TFileInterface {
public:
  std::string ClassName() const override { return "TLx2Interface"; }
  std::string InterfaceName() const override { return "LX2"; }
  std::string Description() const override;
  std::string FileMask() const override { return "*.bin"; }
  bool CanLoad(TStream& stream, const TMessageHook& hook) const override;
  void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                       const TStreamArray& streams, const TMessageHook& hook) const override;
};

const TFileInterface& Lx2Interface();
