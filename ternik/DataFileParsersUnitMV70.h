// Recording files of the MV70 and MV70EV disturbance recorders ("*.m70"): the format version,
// the recorder's configuration block and the recording header, then one block per channel
// with its samples. Loading only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "ternik/ComTrade3Unit.h"
#include "ternik/DataFileParsersUnitReader.h"

// Format versions as detected: 0 (configuration block first, as stored), 1 ("1.0"), 2
// ("1.1"), 4 ("2.0"), 5 ("1.3S"); 6 is not loadable. 3 is never produced.
enum : uint8_t {
  MV70Version0 = 0,
  MV70Version1 = 1,
  MV70Version2 = 2,
  MV70Version4 = 4,
  MV70Version5 = 5,
  MV70VersionUnknown = 6
};

inline constexpr size_t MV70SignatureSize = 20;
inline constexpr size_t MV70CfgSize = 16384;
inline constexpr size_t MV70OldHeaderSize = 92;
inline constexpr size_t MV70HeaderSize = 196;
inline constexpr size_t MV70ShortHeaderSize = 184;
inline constexpr size_t MV70ChannelHeaderSize = 84;
inline constexpr size_t MV70V5BlockSize = 132;

inline constexpr std::string_view MV70Signature10 = "[MV70 FORMAT 1.0   ]";
inline constexpr std::string_view MV70Signature11 = "[MV70 FORMAT 1.1   ]";
inline constexpr std::string_view MV70Signature20 = "[MV70 FORMAT 2.0   ]";
inline constexpr std::string_view MV70Signature13S = "[MV70 FORMAT 1.3S  ]";

inline constexpr uint32_t MV70CfgRefused = 0x22456733;
inline constexpr uint32_t MV70MarkerOldHeader = 0x2537AA22;
inline constexpr uint32_t MV70MarkerHeader = 0x2537AB22;
inline constexpr uint32_t MV70MarkerShortHeader = 0x2537AC22;
inline constexpr uint32_t MV70MarkerStored = 0x2537AA66;
inline constexpr uint32_t MV70MarkerAnalogOld = 0x2537AA55;
inline constexpr uint32_t MV70MarkerStatusOld = 0x2537AA44;
inline constexpr uint32_t MV70MarkerAnalog = 0x2537AB55;
inline constexpr uint32_t MV70MarkerStatus = 0x2537AB44;
inline constexpr uint32_t MV70MarkerAnalogV5 = 0x2537AC56;
inline constexpr uint32_t MV70MarkerStatusV5 = 0x2537AC44;

// Configuration block offsets.
inline constexpr size_t MV70CfgName = 4;
inline constexpr size_t MV70CfgCheck = 8;
inline constexpr size_t MV70CfgCopied = 96;
inline constexpr size_t MV70CfgCards = 300;
inline constexpr size_t MV70CfgCardSize = 976;
inline constexpr size_t MV70CfgChannels = 4;  // within a card record
inline constexpr size_t MV70CfgChannelSize = 60;

extern const std::array<int32_t, 14> MV70SpeedRates;
// Device texts by version 0 .. 6.
extern const std::array<std::string_view, 7> MV70DeviceTexts;

// One channel of the configuration block.
struct TMV70CfgChannel {
  float Factor = 0;
  std::string Component, Identifier, Units;
  uint16_t Gain = 0;  // x 10,000
};
struct TMV70CfgCard {
  uint8_t Type = 0;
  std::array<TMV70CfgChannel, 16> Channels;
};
// The recorder's configuration as read (and repaired) from the block.
struct TMV70Config {
  std::string Name;
  uint32_t Copied = 0;
  std::array<TMV70CfgCard, 16> Cards;
};
// Decodes a 16,384-byte block in the given byte order, then repairs factors stored as integers.
TMV70Config DecodeMV70Config(const TRecBytes& block);

// The recording header in the 196-byte form (the 92-byte form converted).
struct TMV70Header {
  uint32_t Marker = 0, Stored = 0;
  uint32_t TrigDate = 0;  // year in bits 0-15, month 16-23, day 24-31
  uint8_t Hour = 0, Minute = 0, Second = 0;
  uint16_t Millisecond = 0;
  uint32_t Pre = 0, Post = 0;
  uint32_t Rate = 0;  // Hz; the 92-byte form holds a speed index here
  std::string Name;
};
TMV70Header DecodeMV70Header(const TRecBytes& header);

// Card types 0..7: nominal range and colour of the analog cards; any other type has 0 and 0.
double MV70CardRange(uint8_t type);
int32_t MV70CardColour(uint8_t type);

uint8_t DetectMV70Version(std::string_view data);

class TMV70Interface : public TFileInterface {
public:
  std::string ClassName() const override { return "TMV70Interface"; }
  std::string InterfaceName() const override { return "MV70"; }
  std::string Description() const override;
  std::string FileMask() const override { return "*.m70"; }
  bool CanLoad(TStream& stream, const TMessageHook& hook) const override;
  // Reads streams[0]; names[0] goes into the corruption message.
  void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                       const TStreamArray& streams, const TMessageHook& hook) const override;

  static uint8_t DetectVersion(TStream& stream);
};

// The interface to register.
const TFileInterface& MV70Interface();
