#pragma once
// The print options: which parts a document prints (one flag byte) and the four page margins
// of the options dialog, with their texts.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace PrintFlag {
constexpr uint8_t Listing = 1 << 0;
constexpr uint8_t Chart = 1 << 1;
constexpr uint8_t Zns1 = 1 << 2;
constexpr uint8_t Zns2 = 1 << 3;
}  // namespace PrintFlag

constexpr int DEFAULT_MARGIN = 25;  // tenths of a centimetre

// A margin in tenths of a centimetre as text: centimetres with two decimals and " cm"
// (25 gives "2,50 cm"); a negative margin shows as 0.
std::string MarginText(int tenths);
// A margin text read back: the leading run of digits, decimal separators and signs as
// centimetres, times 10, rounded half to even; a negative result is 0. No number in front
// gives nothing (the caller keeps the old margin).
std::optional<int> ReadMarginText(std::string_view text);
