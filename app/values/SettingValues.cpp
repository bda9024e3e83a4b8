#include "app/values/SettingValues.h"

#include <optional>

#include "app/values/VoltageCodes.h"
#include "charts/Bitbit.h"
#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/Prompts.h"

namespace {

// Byte offset of the item's register when it lies inside the stored set.
std::optional<size_t> RegisterAt(const TSettingDef& Def, size_t DataSize, uint16_t SetLength)
{
  const size_t at = size_t{Def.Offset} * 2;
  if (!RangeFits(DataSize, at, 2) || !RangeFits(SetLength, at, 2))
    return std::nullopt;
  return at;
}

// The general float text cut after `decimals` digits behind the separator (0: before it).
// An exponent, when the text has one, is kept behind the cut digits.
std::string CutDecimals(const std::string& text, uint8_t decimals, char sep)
{
  const size_t point = text.find(sep);
  if (point == std::string::npos)
    return text;
  const size_t e = text.find('E', point);
  const std::string exponent = e == std::string::npos ? std::string() : text.substr(e);
  const std::string mantissa = text.substr(0, e);
  const size_t keep = decimals == 0 ? point : point + 1 + decimals;
  return mantissa.substr(0, keep) + exponent;
}

std::string FormatVoltage(uint16_t v)
{
  const int range = v >> 14;
  const int n = v & 0x03FF;
  const TFormatSettings& fs = UtilityFormat();
  switch (range) {
  case 0:
    return IntToStr(n);
  case 1:
    return FloatToStr(n / 10.0, fs) + "k";
  case 2:
    return FloatToStr(n / 100.0, fs) + "k";
  default:
    return std::string();
  }
}

bool FitsRegister(int64_t v) { return v >= -32768 && v <= 65535; }

void Store(std::span<uint8_t> SetData, size_t at, int64_t v)
{
  PutU16BE(SetData, at, static_cast<uint16_t>(v & 0xFFFF));
}

}  // namespace

std::string YesNoMessage() { return "Dopuszczalne wartości to: [T/N]"_cp; }

std::string FormatSettingValue(const TSettingDef& Def, std::span<const uint8_t> SetData, uint16_t SetLength)
{
  const auto at = RegisterAt(Def, SetData.size(), SetLength);
  if (!at)
    return "?";
  const uint16_t v = GetU16BE(SetData, *at);
  switch (Def.Kind) {
  case SettingKind::Real: {
    const TFormatSettings& fs = UtilityFormat();
    return CutDecimals(FloatToStr(v * Def.Base, fs), Def.DecPlaces, fs.DecimalSeparator);
  }
  case SettingKind::YesNo:
    if (v == 0)
      return "N";
    if (v == 1)
      return "T";
    return "?: " + IntToHex(v, 4) + "h";
  case SettingKind::Un:
    return FormatVoltage(v);
  case SettingKind::Int:
    return IntToStr(v);
  default:
    return IntToHex(v, 4);
  }
}

TEncodeResult EncodeSettingValue(const TSettingDef& Def, std::string_view Text, std::span<uint8_t> SetData,
                                 uint16_t SetLength)
{
  if (SetLength == 0 || Text.empty())
    return TEncodeResult::NoChange;
  const auto at = RegisterAt(Def, SetData.size(), SetLength);
  if (!at)
    return TEncodeResult::NoChange;
  switch (Def.Kind) {
  case SettingKind::Real: {
    double x = 0;
    if (!TryStrToFloat(Text, x, UtilityFormat().DecimalSeparator))
      return TEncodeResult::ConversionError;
    if (Def.Base == 0)
      return TEncodeResult::ConversionError;
    int64_t v = 0;
    // A value the register cannot hold is refused rather than wrapped into another value.
    if (!TryRoundHalfEven(x / Def.Base, v) || !FitsRegister(v))
      return TEncodeResult::ConversionError;
    Store(SetData, *at, v);
    return TEncodeResult::Ok;
  }
  case SettingKind::YesNo:
    switch (Text.front()) {
    case 'N':
    case 'n':
      Store(SetData, *at, 0);
      return TEncodeResult::Ok;
    case 'T':
    case 't':
    case 'Y':
    case 'y':
      Store(SetData, *at, 1);
      return TEncodeResult::Ok;
    default:
      Prompts().Message(YesNoMessage());
      return TEncodeResult::InvalidYesNo;
    }
  case SettingKind::Un: {
    uint16_t code = GetU16BE(SetData, *at);
    try {
      if (!ParseVoltageSetting(Text, code))
        return TEncodeResult::NoChange;
    } catch (const EConvertError&) {
      return TEncodeResult::ConversionError;
    }
    Store(SetData, *at, code);
    return TEncodeResult::Ok;
  }
  case SettingKind::Int: {
    int32_t v = 0;
    if (!TryStrToInt(Text, v) || !FitsRegister(v))
      return TEncodeResult::ConversionError;
    Store(SetData, *at, v);
    return TEncodeResult::Ok;
  }
  default: {
    int32_t v = 0;
    try {
      v = HexToInt(Text.substr(0, 4));
    } catch (const EHexConvertError&) {
      return TEncodeResult::ConversionError;
    }
    Store(SetData, *at, v);
    return TEncodeResult::Ok;
  }
  }
}
