#pragma once
// One setting item of a setting set as grid text, and a typed text back into the set.
//
// The set data is the raw register block of one setting set: 16-bit registers, high byte
// first; an item's register v occupies bytes 2 x Offset and 2 x Offset + 1. SetLength is the
// set's stored length in bytes (0: the set was never read); SetData spans the set's whole
// storage. A register that does not lie inside both was never read: it shows "?" and takes no
// edit.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/values/KivDefs.h"

enum class TEncodeResult {
  Ok,               // the register was written
  NoChange,         // nothing stored: set never read, empty text, voltage out of range
  InvalidYesNo,     // a Y/N text with another first letter; its message has been shown
  ConversionError,  // the text is no valid value; nothing stored, the caller restores the cell
};

// Shown when a Y/N item gets a text that is neither yes nor no.
std::string YesNoMessage();

// The grid text of an item:
//   REAL  v x Base in the general float text, cut (not rounded) after DecPlaces decimals;
//   Y/N   "N", "T", or "?: " + 4 hex digits + "h" for any other value;
//   UN    the voltage code: n, n/10 + "k" or n/100 + "k" by the range bits, empty for both;
//   hex   4 upper-case hex digits;
//   INT   v as an unsigned decimal.
std::string FormatSettingValue(const TSettingDef& Def, std::span<const uint8_t> SetData, uint16_t SetLength);

// Stores a typed text into the item's register and nothing else:
//   REAL  round(text / Base), half to even, in -32768..65535 (else ConversionError);
//   Y/N   N/n -> 0, T/t/Y/y -> 1, else the message and InvalidYesNo;
//   UN    the register updated by ParseVoltageSetting (a voltage out of range: NoChange);
//   hex   the first 4 characters read as upper-case hex;
//   INT   a decimal integer in -32768..65535.
// Decimal texts use the utility's decimal separator. A set never read or an empty text gives
// NoChange.
TEncodeResult EncodeSettingValue(const TSettingDef& Def, std::string_view Text, std::span<uint8_t> SetData,
                                 uint16_t SetLength);
