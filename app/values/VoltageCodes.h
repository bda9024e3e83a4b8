#pragma once
// Voltage settings and voltage-threshold states.
//
// A voltage code is a 16-bit setting value: bits 0-13 a mantissa of three significant digits
// (100..999), bit 15 set = mantissa x 10 V, bit 14 set = mantissa x 100 V, neither = volts.
// A threshold code is the low nibble of a byte, one bit per threshold passed, stored by the
// controller as bit 0 Uw, 1 Ug, 2 Ur, 3 0.9Ur; the routines here exchange bits 2 and 3 first,
// so that the bits read Uw, Ug, 0.9Ur, Ur from the lowest up.

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr uint16_t VoltageTensBit = 0x8000;      // mantissa x 10 V
inline constexpr uint16_t VoltageHundredsBit = 0x4000;  // mantissa x 100 V

// Folds Value (volts) into a mantissa (left in Value) and a range code (0 volts, 1 tens,
// 2 hundreds), raising the mantissa to the controller's step (1, 2 or 5) and giving the step
// in volts. Err is -1, and nothing else changes, when Value lies outside 100..99500.
void NormalizeVoltage(int32_t& Value, uint8_t& Range, int32_t& Err, uint16_t& Step);

// Reads a voltage typed by the user ("230", "231 V", "0,4 kV", "15.75kV") and stores its code.
// Returns false, leaving Code alone, when the voltage lies outside 100 V..99.5 kV. Throws
// EConvertError (platform/NumText.h) when the number part is no number. Only a lower-case
// "k" is a kilo sign. Kilovolts are scaled exactly: "2,01 kV" is 2010 V.
bool ParseVoltageSetting(std::string_view Text, uint16_t& Code);

// Number of consecutive set bits from bit 0 (a thermometer reading).
uint8_t ThresholdLevel(uint8_t Bits);
// A threshold nibble (high nibble ignored) with bits 2 and 3 exchanged.
uint8_t ThresholdBits(uint8_t Code);

// Chart level 4..8 of the higher of two threshold codes.
uint8_t VoltageStateLevel(uint8_t A, uint8_t B);
// Where Name lies among the four thresholds, by the higher of two codes.
std::string VoltageStateText(uint8_t A, uint8_t B, std::string_view Name);
// The same among six thresholds: the two codes OR-ed, with the two extra thresholds of Extra
// (bits 0-1) between Ug and 0.9Ur.
std::string VoltageStateText7(uint8_t A, uint8_t B, uint8_t Extra, std::string_view Name);
