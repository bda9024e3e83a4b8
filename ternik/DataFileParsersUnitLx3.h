// Data files of the LX3 portable recorder ("*.lx3", formats 3.1 and 3.2): a signature, the
// header, one record per channel slot, then sample frames to the end of the file. Damaged
// frames (lost or extra words) are resynchronised on the fly. Loading only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "ternik/ComTrade3Unit.h"

inline constexpr size_t Lx3SignatureSize = 23;
inline constexpr std::string_view Lx3Signature31 = "[Dane w formacie Lx3.1]";
inline constexpr std::string_view Lx3Signature32 = "[Dane w formacie Lx3.2]";
inline constexpr size_t Lx3HeaderSize32 = 317, Lx3HeaderSize31 = 117;
inline constexpr size_t Lx3RecordSize32 = 180, Lx3RecordSize31 = 122;
inline constexpr size_t Lx3Slots = 22;  // 0..15 analog, 16..21 status

// The input kinds a channel record names; index 0 is an unused input.
extern const std::array<std::string_view, 20> Lx3KindTexts;
// Frame order of the analog slots, counted from 1.
extern const std::array<int32_t, 16> Lx3FrameOrder;

class TLx3Interface : public TFileInterface {
public:
  std::string ClassName() const override { return "TLx3Interface"; }
  std::string InterfaceName() const override { return "LX3"; }
  std::string Description() const override;
  std::string FileMask() const override { return "*.lx3"; }
  bool CanLoad(TStream& stream, const TMessageHook& hook) const override;
  void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                       const TStreamArray& streams, const TMessageHook& hook) const override;
};

const TFileInterface& Lx3Interface();
