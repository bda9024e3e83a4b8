#include "charts/Bitbit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Bitbit, GetBit)
{
  struct TCase {
    uint8_t BitNo, B;
    bool Expected;
  };
  const TCase cases[] = {
      {0, 0x01, true},  {7, 0x80, true}, {8, 0xFF, false}, {255, 0xFF, false},
      {3, 0xF7, false}, {3, 0x08, true}, {0, 0xFE, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetBit(c.BitNo, c.B), c.Expected) << int(c.BitNo) << " of " << int(c.B);
}

TEST(Bitbit, SetBit)
{
  struct TCase {
    bool Value;
    uint8_t BitNo, Before, After;
  };
  const TCase cases[] = {
      {true, 0, 0x00, 0x01}, {true, 7, 0x01, 0x81},  {false, 7, 0xFF, 0x7F},   {false, 0, 0x01, 0x00},
      {true, 9, 0x12, 0x12}, {false, 8, 0xFF, 0xFF}, {false, 200, 0xA5, 0xA5}, {true, 3, 0x08, 0x08},
  };
  for (const auto& c : cases) {
    uint8_t b = c.Before;
    SetBit(c.Value, c.BitNo, b);
    EXPECT_EQ(b, c.After) << c.Value << " " << int(c.BitNo) << " " << int(c.Before);
  }
}

TEST(Bitbit, SwapBits)
{
  struct TCase {
    uint8_t A, Bit, Before, After;
  };
  const TCase cases[] = {
      {0, 7, 0x01, 0x80},
      {0, 7, 0x81, 0x81},
      {2, 3, 0x07, 0x0B},
      {2, 3, 0x0B, 0x07},
      {5, 5, 0x20, 0x20},
      // An absent bit reads as 0 and takes nothing when written.
      {0, 8, 0x01, 0x00},
      {8, 1, 0x02, 0x00},
  };
  for (const auto& c : cases) {
    uint8_t b = c.Before;
    EXPECT_EQ(SwapBits(c.A, c.Bit, b), c.After) << int(c.A) << " " << int(c.Bit);
    EXPECT_EQ(b, c.After);
  }
}

TEST(Bitbit, HexToInt)
{
  struct TCase {
    const char* Text;
    int32_t Expected;
  };
  const TCase cases[] = {
      {"1F", 31},
      {"0", 0},
      {"00FF", 255},
      {"ABCDEF", 0xABCDEF},
      {"7FFFFFFF", 0x7FFFFFFF},
      {"FFFFFFFF", -1},
      {"80000000", INT32_MIN},
      {"100000000", 0},
      {"123456789", 0x23456789},
      {"FFFFFFFFFFFF", -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HexToInt(c.Text), c.Expected) << c.Text;
}

TEST(Bitbit, HexToIntRejects)
{
  struct TCase {
    std::string Text;
    std::string Message;
  };
  const TCase cases[] = {
      {"", "HexToInt - trying convert empty string"},
      {"1f", "f is not a hex value"},
      {"G1", "G is not a hex value"},
      {" 1", "  is not a hex value"},
      // Digits beyond the eighth add nothing but are still checked.
      {"x00000000", "x is not a hex value"},
      {std::string("1\xB3", 2), std::string("\xB3 is not a hex value")},
  };
  for (const auto& c : cases) {
    try {
      (void)HexToInt(c.Text);
      ADD_FAILURE() << "no error for " << c.Text;
    } catch (const EHexConvertError& e) {
      EXPECT_EQ(std::string(e.what()), c.Message);
    }
  }
}

TEST(Bitbit, HexCharToInt)
{
  const std::string digits = "0123456789ABCDEF";
  for (size_t i = 0; i < digits.size(); ++i)
    EXPECT_EQ(HexCharToInt(digits[i]), i);
  EXPECT_THROW(HexCharToInt('a'), EHexConvertError);
  EXPECT_THROW(HexCharToInt('\0'), EHexConvertError);
}

}  // namespace
