// Format strings in the runtime's style: "%s", "%d", "%.02u", "%5.2f", "%-10s", "%x",
// "%0:s" and '*' for a width or precision taken from the arguments. Texts from translation
// tables carry such formats, so they are interpreted at run time.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "platform/NumText.h"

class TFormatArg {
public:
  TFormatArg(int v) : FValue(int64_t(v)) {}
  TFormatArg(long v) : FValue(int64_t(v)) {}
  TFormatArg(long long v) : FValue(int64_t(v)) {}
  TFormatArg(unsigned v) : FValue(uint64_t(v)) {}
  TFormatArg(unsigned long v) : FValue(uint64_t(v)) {}
  TFormatArg(unsigned long long v) : FValue(uint64_t(v)) {}
  TFormatArg(double v) : FValue(v) {}
  TFormatArg(const char* v) : FValue(std::string_view(v ? v : "")) {}
  TFormatArg(std::string_view v) : FValue(v) {}
  TFormatArg(const std::string& v) : FValue(std::string_view(v)) {}
  TFormatArg(char c) : FValue(std::string(1, c)) {}

  using TValue = std::variant<int64_t, uint64_t, double, std::string_view, std::string>;
  const TValue& Value() const { return FValue; }

private:
  TValue FValue;
};

// %d %u %x (integers; precision = minimum digits), %s (precision = maximum characters),
// %f %e %g %n (floats; %f and %n default to 2 decimals, %e and %g to 15 digits), %%.
// A format that does not match its arguments throws EConvertError
// "Format '<format>' invalid or incompatible with argument".
std::string Format(std::string_view format, std::initializer_list<TFormatArg> args,
                   const TFormatSettings& fs = UtilityFormat());
