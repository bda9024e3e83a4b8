#include "charts/Bitbit.h"

namespace {

// The mask lives in 8 bits: shifting past bit 7 leaves no bit set. Computed without shifting
// by 8 or more, which would be undefined for the wider types the shift is done in.
uint8_t Mask(uint8_t BitNo) { return BitNo < 8 ? static_cast<uint8_t>(1u << BitNo) : 0; }

}  // namespace

void SetBit(bool Value, uint8_t BitNo, uint8_t& B)
{
  const uint8_t mask = Mask(BitNo);
  if (Value)
    B = static_cast<uint8_t>(B | mask);
  else
    B = static_cast<uint8_t>(B & ~mask);
}

bool GetBit(uint8_t BitNo, uint8_t B) { return (B & Mask(BitNo)) != 0; }

uint8_t SwapBits(uint8_t BitA, uint8_t BitB, uint8_t& B)
{
  const bool a = GetBit(BitA, B);
  const bool b = GetBit(BitB, B);
  SetBit(a, BitB, B);
  SetBit(b, BitA, B);
  return B;
}

uint8_t HexCharToInt(char C)
{
  if (C >= '0' && C <= '9')
    return static_cast<uint8_t>(C - '0');
  if (C >= 'A' && C <= 'F')
    return static_cast<uint8_t>(C - 'A' + 10);
  throw EHexConvertError(std::string(1, C) + " is not a hex value");
}

int32_t HexToInt(std::string_view S)
{
  if (S.empty())
    throw EHexConvertError("HexToInt - trying convert empty string");
  uint32_t result = 0;
  uint32_t multiplier = 1;  // 16 to the power of the distance from the end, wrapping to 0
  for (size_t i = S.size(); i-- > 0;) {
    result += HexCharToInt(S[i]) * multiplier;
    multiplier *= 16u;
  }
  return static_cast<int32_t>(result);
}
