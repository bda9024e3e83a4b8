#include "app/values/VoltageCodes.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/NumText.h"

namespace {

constexpr uint16_t Untouched = 0xBEEF;

struct TParseCase {
  const char* Text;
  bool Stored;
  uint16_t Code;  // the code after the call
};

TEST(VoltageCodes, ParseVoltageSetting)
{
  const TParseCase cases[] = {
      {"230 V", true, 230},
      {"230", true, 230},
      {"231 V", true, 232},  // step 2: odd mantissas go up
      {"  231v ", true, 232},
      {"100", true, 100},
      {"199", true, 199},
      {"498", true, 498},
      {"499", true, 500},  // step 5 from 499
      {"501", true, 505},
      {"0,4 kV", true, 400},
      {"0.4 kV", true, 400},
      {"0,4kV", true, 400},
      {"6 kV", true, 0x8258},
      {"6k", true, 0x8258},
      {"15,75 kV", true, 0x409D},
      {"99,5 kV", true, 0x4000 | 995},
      {"1234", true, 0x8000 | 123},
      {"10000", true, 0x4000 | 100},
      // Kilovolts are shifted as decimal digits, not multiplied in binary.
      {"2,01 kV", true, 0x80CA},
      {"1,001 kV", true, 0x8000 | 100},
      {"0,1005 kV", true, 100},  // 100,5 V cut to 100
      // Volts are rounded half to even.
      {"230,5", true, 230},
      {"231,5", true, 232},
      {"100,4", true, 100},
      {"1E3", true, 0x8000 | 100},
      // Out of range: the code stays.
      {"99,6 kV", false, Untouched},
      {"99 V", false, Untouched},
      {"99,4", false, Untouched},
      {"-230", false, Untouched},
      {"0 kV", false, Untouched},
      {"1E300 kV", false, Untouched},
      {"1E300", false, Untouched},
  };
  for (const auto& c : cases) {
    uint16_t code = Untouched;
    EXPECT_EQ(ParseVoltageSetting(c.Text, code), c.Stored) << c.Text;
    EXPECT_EQ(code, c.Code) << c.Text << " gave " << std::hex << code;
  }
}

// A mantissa raised past 999 is written as 100 in the next range rather than as a four-digit
// mantissa the code does not hold.
TEST(VoltageCodes, MantissaCarriesIntoTheNextRange)
{
  const TParseCase cases[] = {
      {"999", true, 0x8000 | 100},  {"996", true, 0x8000 | 100},     {"995", true, 995},
      {"9999", true, 0x4000 | 100}, {"9,96 kV", true, 0x4000 | 100},
  };
  for (const auto& c : cases) {
    uint16_t code = Untouched;
    EXPECT_EQ(ParseVoltageSetting(c.Text, code), c.Stored) << c.Text;
    EXPECT_EQ(code, c.Code) << c.Text;
  }
}

TEST(VoltageCodes, TextsThatAreNoNumberThrow)
{
  for (const char* text : {"0,4 KV", "abc", "", "kV", "1,2,3 V", "2..5", "230 A", "0,4 K"}) {
    uint16_t code = Untouched;
    EXPECT_THROW(ParseVoltageSetting(text, code), EConvertError) << text;
    EXPECT_EQ(code, Untouched) << text;
  }
}

TEST(VoltageCodes, NormalizeVoltage)
{
  struct TCase {
    int32_t Value;
    int32_t Mantissa;
    uint8_t Range;
    uint16_t Step;
  };
  const TCase cases[] = {
      {100, 100, 0, 1},   {199, 199, 0, 1},   {200, 200, 0, 2},     {231, 232, 0, 2},
      {498, 498, 0, 2},   {499, 500, 0, 5},   {999, 100, 1, 10},    {1000, 100, 1, 10},
      {2345, 234, 1, 20}, {6000, 600, 1, 50}, {15750, 157, 2, 100}, {99500, 995, 2, 500},
  };
  for (const auto& c : cases) {
    int32_t value = c.Value;
    uint8_t range = 9;
    int32_t err = 7;
    uint16_t step = 0;
    NormalizeVoltage(value, range, err, step);
    EXPECT_EQ(err, 0) << c.Value;
    EXPECT_EQ(value, c.Mantissa) << c.Value;
    EXPECT_EQ(range, c.Range) << c.Value;
    EXPECT_EQ(step, c.Step) << c.Value;
  }
  for (int32_t bad : {99, 99501, 0, -5}) {
    int32_t value = bad;
    uint8_t range = 9;
    int32_t err = 0;
    uint16_t step = 3;
    NormalizeVoltage(value, range, err, step);
    EXPECT_EQ(err, -1);
    EXPECT_EQ(value, bad);
    EXPECT_EQ(range, 9);
    EXPECT_EQ(step, 3);
  }
}

TEST(VoltageCodes, ThresholdBitsAndLevels)
{
  EXPECT_EQ(ThresholdBits(0x07), 0x0B);
  EXPECT_EQ(ThresholdLevel(ThresholdBits(0x07)), 2);
  EXPECT_EQ(ThresholdBits(0xF4), 0x08);  // high nibble ignored
  EXPECT_EQ(ThresholdLevel(0x0F), 4);
  EXPECT_EQ(ThresholdLevel(0x0D), 1);
  EXPECT_EQ(ThresholdLevel(0x3F), 6);
  EXPECT_EQ(ThresholdLevel(0xFF), 8);
  EXPECT_EQ(VoltageStateLevel(0x1, 0x3), 6);
  EXPECT_EQ(VoltageStateLevel(0x0, 0x0), 4);
  EXPECT_EQ(VoltageStateLevel(0xF0, 0x0F), 8);
  EXPECT_EQ(VoltageStateLevel(0x7, 0x0), 6);
}

TEST(VoltageCodes, VoltageStateText)
{
  struct TCase {
    uint8_t A, B;
    const char* Expected;
  };
  // As stored: bit 0 Uw, 1 Ug, 2 Ur, 3 0.9Ur.
  const TCase cases[] = {
      {0x0, 0x0, "U1<Uw"}, {0x1, 0x0, "Uw<U1<Ug"},    {0x0, 0x3, "Ug<U1<0.9Ur"}, {0xB, 0x0, "0.9Ur<U1<Ur"},
      {0xF, 0x0, "U1>Ur"}, {0x7, 0x0, "Ug<U1<0.9Ur"}, {0x1, 0x3, "Ug<U1<0.9Ur"}, {0xF2, 0x0, "U1<Uw"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VoltageStateText(c.A, c.B, "U1"), c.Expected) << int(c.A) << " " << int(c.B);
}

TEST(VoltageCodes, VoltageStateText7)
{
  struct TCase {
    uint8_t A, B, Extra;
    const char* Expected;
  };
  const TCase cases[] = {
      {0x0, 0x0, 0x0, "Us<Uw"},
      {0x1, 0x0, 0x3, "Uw<Us<Ug"},
      {0x1, 0x2, 0x0, "Ug<Us<Ur_qs1"},  // the two codes are OR-ed
      {0x3, 0x0, 0x1, "Ur_qs1<Us<Ur_qs2"},
      {0x3, 0x0, 0x3, "Ur_qs2<Us<0.9Ur"},
      {0xB, 0x0, 0x3, "0.9Ur<Us<Ur"},
      {0x3, 0x8, 0xFF, "0.9Ur<Us<Ur"},
      {0xF, 0x0, 0x3, "Us>Ur"},
      {0xF, 0x0, 0x2, "Ug<Us<Ur_qs1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VoltageStateText7(c.A, c.B, c.Extra, "Us"), c.Expected)
        << int(c.A) << " " << int(c.B) << " " << int(c.Extra);
}

}  // namespace
