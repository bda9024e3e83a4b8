// The measuring-range table of the measuring windows: full-scale value, display prefix and
// digits per range.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TKnvInfo {
  double Range;
  int32_t Used;     // 1 in the rows of real ranges, 0 in row 0
  int8_t Exponent;  // power of ten of the display prefix
  int32_t IntDigits;
  int32_t Decimals;
  std::string Prefix;
  bool Enabled;   // True in every row
  bool Rounded;   // False in the two four-digit rows
  double Factor;  // 10 to the power Exponent, computed at start-up
};

constexpr int KNV_INFO_COUNT = 15;
const std::array<TKnvInfo, KNV_INFO_COUNT>& KnvInfo();

void MeasListUnitInitialize();
void MeasListUnitFinalize();
