// NEB-1 recorder files ("*zkl.dat"): fixed 4,092-byte records, each one complete recording of
// 1,000 samples of two measured quantities and eight binary signals. Loading takes one record,
// chosen by number or by asking the user. Loading only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ternik/ComTrade3Unit.h"
#include "ternik/DataFileParsersUnitReader.h"

inline constexpr size_t Neb1RecordSize = 4092;
inline constexpr size_t Neb1ChecksumOffset = 4090;

// The 16-bit sum of the record's bytes before the check sum.
uint16_t Neb1Checksum(std::string_view record);
bool Neb1RecordValid(const TRecBytes& record);

class TNeb1Interface : public TFileInterface {
public:
  std::string ClassName() const override { return "TNeb1Interface"; }
  std::string InterfaceName() const override { return "NEB1"; }
  std::string Description() const override { return "Plik NEB-1"; }
  std::string FileMask() const override { return "*zkl.dat"; }
  bool CanLoad(TStream& stream, const TMessageHook& hook) const override;
  // The option text, when it is an integer, is the record number (from 1). Otherwise a file
  // of several records asks through the platform prompts. A number outside the file, a
  // cancelled question, a short record or a wrong check sum load nothing and leave the
  // recording as it was.
  void LoadFromStreams(TComtrade& recording, const TStringArray& names, const std::string& option,
                       const TStreamArray& streams, const TMessageHook& hook) const override;
};

const TFileInterface& Neb1Interface();
