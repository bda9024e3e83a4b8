#pragma once
// Single bits of a byte and hexadecimal text.
//
// Bits are numbered 0 (least significant) to 7. A bit number of 8 or more addresses no bit:
// setting it changes nothing and reading it gives false.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by the hex readers; the message is Windows-1250 text.
class EHexConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

void SetBit(bool Value, uint8_t BitNo, uint8_t& B);
bool GetBit(uint8_t BitNo, uint8_t B);
// Exchanges bits BitA and BitB of B (both read before either is written); returns the new B.
uint8_t SwapBits(uint8_t BitA, uint8_t BitB, uint8_t& B);

// '0'..'9' and upper-case 'A'..'F'; anything else throws EHexConvertError with the message
// "<character> is not a hex value".
uint8_t HexCharToInt(char C);
// Hexadecimal text to a number in 32-bit unsigned arithmetic: digits further left than the
// eighth from the right are still checked but add nothing ("100000000" is 0, "FFFFFFFF" is -1).
// Throws EHexConvertError for an empty text or a character that is no upper-case hex digit.
int32_t HexToInt(std::string_view S);
