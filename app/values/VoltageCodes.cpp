#include "app/values/VoltageCodes.h"

#include <algorithm>
#include <string>

#include "charts/Bitbit.h"
#include "platform/NumText.h"

void NormalizeVoltage(int32_t& Value, uint8_t& Range, int32_t& Err, uint16_t& Step)
{
  Err = 0;
  if (Value < 100 || Value > 99500) {
    Err = -1;
    return;
  }
  int32_t mantissa = Value;
  uint8_t range = 0;
  if (Value >= 10000) {
    range = 2;
    mantissa = Value / 100;
  } else if (Value >= 1000) {
    range = 1;
    mantissa = Value / 10;
  }
  uint16_t step = 1;
  if (mantissa >= 499) {
    step = 5;
    mantissa = (mantissa + 4) / 5 * 5;
  } else if (mantissa >= 200) {
    step = 2;
    mantissa += mantissa % 2;
  }
  // 995..999 raised to a multiple of 5 reach 1000, one digit more than the code holds:
  // the same voltage is then written as 100 in the next range (999 V is stored as 100 x 10 V).
  if (mantissa >= 1000) {
    mantissa /= 10;
    ++range;
    step = 1;
  }
  if (range == 1)
    step = static_cast<uint16_t>(step * 10);
  if (range == 2)
    step = static_cast<uint16_t>(step * 100);
  Value = mantissa;
  Range = range;
  Step = step;
}

namespace {

constexpr bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view s)
{
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

constexpr int64_t VoltsCap = 1000000000;  // far above any valid voltage; keeps the sums small

// Volts of a number of kilovolts already accepted by the float parser: the decimal digits are
// shifted three places and the rest cut off, so "2,01" gives 2010 exactly, where the binary
// 2.01 x 1000 would give 2009.99... and 2009. Saturates at VoltsCap.
int64_t KiloToVolts(std::string_view number, char sep)
{
  number = Trim(number);
  bool negative = false;
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  std::string digits;
  int64_t intDigits = 0;
  bool inFraction = false;
  size_t i = 0;
  for (; i < number.size(); ++i) {
    const char c = number[i];
    if (c >= '0' && c <= '9') {
      digits += c;
      if (!inFraction)
        ++intDigits;
    } else if (c == sep && !inFraction) {
      inFraction = true;
    } else {
      break;
    }
  }
  int64_t exponent = 0;
  if (i < number.size() && (number[i] == 'E' || number[i] == 'e')) {
    ++i;
    bool expNegative = false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) {
      expNegative = number[i] == '-';
      ++i;
    }
    for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i)
      exponent = std::min<int64_t>(exponent * 10 + (number[i] - '0'), 100000);
    if (expNegative)
      exponent = -exponent;
  }
  const int64_t point = intDigits + exponent + 3;  // digits in front of the point, in volts
  int64_t volts = 0;
  for (int64_t k = 0; k < point; ++k) {
    const int d = k < static_cast<int64_t>(digits.size()) ? digits[static_cast<size_t>(k)] - '0' : 0;
    volts = volts * 10 + d;
    if (volts >= VoltsCap) {
      volts = VoltsCap;
      break;
    }
  }
  return negative ? -volts : volts;
}

}  // namespace

bool ParseVoltageSetting(std::string_view Text, uint16_t& Code)
{
  const std::string_view text = Trim(Text);
  bool kilo = false;
  std::string_view number = text;
  if (const size_t k = text.find('k'); k != std::string_view::npos) {
    kilo = true;
    number = text.substr(0, k);
  } else if (const size_t v = text.find('V'); v != std::string_view::npos) {
    number = text.substr(0, v);
  } else if (const size_t v2 = text.find('v'); v2 != std::string_view::npos) {
    number = text.substr(0, v2);
  }
  const char sep = UtilityFormat().DecimalSeparator;
  std::string local(number);
  if (const size_t comma = local.find(','); comma != std::string::npos)
    local[comma] = sep;
  else if (const size_t dot = local.find('.'); dot != std::string::npos)
    local[dot] = sep;
  const double value = StrToFloat(local, sep);  // throws for a text that is no number

  int64_t volts = 0;
  if (kilo) {
    volts = KiloToVolts(local, sep);
  } else if (!TryRoundHalfEven(value, volts)) {
    return false;
  }
  if (volts < 100 || volts > 99500)
    return false;
  int32_t mantissa = static_cast<int32_t>(volts);
  uint8_t range = 0;
  int32_t err = 0;
  uint16_t step = 0;
  NormalizeVoltage(mantissa, range, err, step);
  if (err != 0)
    return false;
  uint16_t code = static_cast<uint16_t>(mantissa);
  if (range == 1)
    code |= VoltageTensBit;
  if (range == 2)
    code |= VoltageHundredsBit;
  Code = code;
  return true;
}

uint8_t ThresholdLevel(uint8_t Bits)
{
  uint8_t level = 0;
  while (level < 8 && GetBit(level, Bits))
    ++level;
  return level;
}

uint8_t ThresholdBits(uint8_t Code)
{
  uint8_t b = Code & 0x0F;
  return SwapBits(2, 3, b);
}

uint8_t VoltageStateLevel(uint8_t A, uint8_t B)
{
  return static_cast<uint8_t>(4 + ThresholdLevel(std::max(ThresholdBits(A), ThresholdBits(B))));
}

std::string VoltageStateText(uint8_t A, uint8_t B, std::string_view Name)
{
  const std::string name(Name);
  switch (ThresholdLevel(std::max(ThresholdBits(A), ThresholdBits(B)))) {
  case 0:
    return name + "<Uw";
  case 1:
    return "Uw<" + name + "<Ug";
  case 2:
    return "Ug<" + name + "<0.9Ur";
  case 3:
    return "0.9Ur<" + name + "<Ur";
  default:
    return name + ">Ur";
  }
}

std::string VoltageStateText7(uint8_t A, uint8_t B, uint8_t Extra, std::string_view Name)
{
  const uint8_t c = ThresholdBits(A) | ThresholdBits(B);
  const auto code = static_cast<uint8_t>((c & 0x03) | ((Extra & 0x03) << 2) | ((c & 0x0C) << 2));
  const std::string name(Name);
  switch (ThresholdLevel(code)) {
  case 0:
    return name + "<Uw";
  case 1:
    return "Uw<" + name + "<Ug";
  case 2:
    return "Ug<" + name + "<Ur_qs1";
  case 3:
    return "Ur_qs1<" + name + "<Ur_qs2";
  case 4:
    return "Ur_qs2<" + name + "<0.9Ur";
  case 5:
    return "0.9Ur<" + name + "<Ur";
  default:
    return name + ">Ur";
  }
}
