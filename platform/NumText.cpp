#include "platform/NumText.h"

#include "platform/Codepage.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

// A decimal rendering: value = 0.D1D2D3... * 10^Exponent, without trailing zeros.
// Empty digits mean zero.
struct TDecimal {
  std::string Digits;
  int Exponent = 0;
  bool Negative = false;
};

// Significant digits of |v| with its scientific exponent, `count` digits after the first,
// correctly rounded by std::to_chars (ties to even at that last digit); count < 0 gives the
// shortest digits that read back as v.
void SciDigits(double a, int count, std::string& digits, int& sciExp)
{
  // Large enough for the exact expansion of any double (767 significant digits).
  std::array<char, 900> buf{};
  auto r = count < 0
               ? std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::scientific)
               : std::to_chars(buf.data(), buf.data() + buf.size(), a, std::chars_format::scientific, count);
  const char* p = buf.data();
  const char* end = r.ptr;
  digits.clear();
  while (p < end && *p != 'e') {
    if (*p != '.')
      digits += *p;
    ++p;
  }
  int e = 0;
  if (p < end)
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, e);
  sciExp = e;
}

// Rounds |v| half away from zero to at most `precision` significant digits and at most
// `decimals` digits after the decimal point.
TDecimal ToDecimal(double v, int precision, int decimals)
{
  TDecimal d;
  if (v == 0 || !std::isfinite(v))
    return d;
  d.Negative = std::signbit(v);
  const double a = std::fabs(v);

  std::string digits;
  int sciExp = 0;
  // The shortest digits that read back as the same double. When they fit in at most 15
  // kept digits they are also the correctly rounded ones: a grid of 15 significant digits
  // is coarser than the distance between a normal double and its shortest text.
  SciDigits(a, -1, digits, sciExp);
  int exponent = sciExp + 1;
  // Number of digits kept.
  long keep = precision;
  if (long(exponent) + decimals < keep)
    keep = long(exponent) + decimals;
  if (keep < 0) {
    return TDecimal{};
  }
  if (keep <= 15 && long(digits.size()) <= keep && a >= std::numeric_limits<double>::min()) {
    while (!digits.empty() && digits.back() == '0')
      digits.pop_back();
    d.Digits = std::move(digits);
    d.Exponent = exponent;
    return d;
  }
  constexpr int Probe = 25;  // digits computed next; enough unless a tie is suspected
  SciDigits(a, Probe - 1, digits, sciExp);
  exponent = sciExp + 1;
  auto tailIsHalf = [&](const std::string& ds) {
    if (size_t(keep) >= ds.size() || ds[size_t(keep)] != '5')
      return false;
    for (size_t i = size_t(keep) + 1; i < ds.size(); ++i)
      if (ds[i] != '0')
        return false;
    return true;
  };
  if (keep >= Probe - 1 || tailIsHalf(digits)) {
    // The probe cannot tell an exact half from a value just below or above it:
    // use the exact expansion.
    SciDigits(a, 800, digits, sciExp);
    exponent = sciExp + 1;
  }
  if (size_t(keep) < digits.size()) {
    const bool up = digits[size_t(keep)] >= '5';
    digits.resize(size_t(keep));
    if (up) {
      long i = keep - 1;
      while (i >= 0 && digits[size_t(i)] == '9') {
        digits[size_t(i)] = '0';
        --i;
      }
      if (i < 0) {
        digits.insert(digits.begin(), '1');
        ++exponent;
      } else {
        ++digits[size_t(i)];
      }
    }
  }
  while (!digits.empty() && digits.back() == '0')
    digits.pop_back();
  if (digits.empty())
    return TDecimal{};
  d.Digits = std::move(digits);
  d.Exponent = exponent;
  return d;
}

std::string SpecialText(double v)
{
  if (std::isnan(v))
    return "NAN";
  return v < 0 ? "-INF" : "INF";
}

void AppendExponent(std::string& out, int e, bool plusSign, int minDigits)
{
  out += 'E';
  if (e < 0)
    out += '-';
  else if (plusSign)
    out += '+';
  std::string ds = IntToStr(e < 0 ? -e : e);
  if (minDigits > 4)
    minDigits = 4;
  while (int(ds.size()) < minDigits)
    ds.insert(ds.begin(), '0');
  out += ds;
}

// "d,dddE-x" of a decimal (digits trimmed).
std::string GeneralExp(const TDecimal& d, int minExpDigits, char sep)
{
  std::string out;
  if (d.Negative)
    out += '-';
  out += d.Digits[0];
  if (d.Digits.size() > 1) {
    out += sep;
    out.append(d.Digits, 1);
  }
  AppendExponent(out, d.Exponent - 1, false, minExpDigits);
  return out;
}

// Plain positional text of a decimal with exactly `decimals` digits after the separator
// (-1: as many as the digits need). Thousand groups when thousandSep != 0.
std::string Positional(const TDecimal& d, int decimals, char sep, char thousandSep)
{
  std::string intPart;
  std::string fracPart;
  if (d.Exponent <= 0) {
    intPart = "0";
    fracPart.assign(size_t(-d.Exponent), '0');
    fracPart += d.Digits;
  } else if (size_t(d.Exponent) >= d.Digits.size()) {
    intPart = d.Digits;
    intPart.append(size_t(d.Exponent) - d.Digits.size(), '0');
  } else {
    intPart = d.Digits.substr(0, size_t(d.Exponent));
    fracPart = d.Digits.substr(size_t(d.Exponent));
  }
  if (d.Digits.empty()) {
    intPart = "0";
    fracPart.clear();
  }
  if (decimals >= 0) {
    if (fracPart.size() > size_t(decimals))
      fracPart.resize(size_t(decimals));  // never happens after ToDecimal's rounding
    fracPart.append(size_t(decimals) - fracPart.size(), '0');
  }
  std::string out;
  if (d.Negative && !d.Digits.empty())
    out += '-';
  if (thousandSep != 0) {
    const size_t n = intPart.size();
    for (size_t i = 0; i < n; ++i) {
      if (i > 0 && (n - i) % 3 == 0)
        out += thousandSep;
      out += intPart[i];
    }
  } else {
    out += intPart;
  }
  if (!fracPart.empty()) {
    out += sep;
    out += fracPart;
  }
  return out;
}

int ClampPrecision(int precision)
{
  if (precision < 1)
    return 1;
  if (precision > 18)
    return 18;
  return precision;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Number texts may start with blanks and a sign: the index of what follows them, and whether
// the sign was a minus.
size_t SkipBlanksAndSign(std::string_view s, bool& negative)
{
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i]))
    ++i;
  negative = i < s.size() && s[i] == '-';
  if (i < s.size() && (s[i] == '+' || s[i] == '-'))
    ++i;
  return i;
}

constexpr int NoDecimalLimit = 9999;

}  // namespace

TFormatSettings& UtilityFormat()
{
  static TFormatSettings fs;
  return fs;
}

const TFormatSettings& LibraryFormat()
{
  static const TFormatSettings fs = [] {
    TFormatSettings s;
    s.DecimalSeparator = '.';
    s.ThousandSeparator = ',';
    s.DateSeparator = '-';
    s.TimeSeparator = ':';
    s.ShortDateFormat = "yyyy-mm-dd";
    s.LongTimeFormat = "hh:nn:ss";
    return s;
  }();
  return fs;
}

std::string FloatToStr(double v, const TFormatSettings& fs, int precision)
{
  return FloatToStrF(v, TFloatFormat::General, precision, 0, fs);
}

std::string FloatToStrF(double v, TFloatFormat f, int precision, int digits, const TFormatSettings& fs)
{
  if (!std::isfinite(v))
    return SpecialText(v);
  precision = ClampPrecision(precision);
  if (digits < 0)
    digits = 0;
  switch (f) {
  case TFloatFormat::General: {
    const TDecimal d = ToDecimal(v, precision, NoDecimalLimit);
    if (d.Digits.empty())
      return "0";
    if (d.Exponent > precision || d.Exponent < -3)
      return GeneralExp(d, digits, fs.DecimalSeparator);
    return Positional(d, -1, fs.DecimalSeparator, 0);
  }
  case TFloatFormat::Exponent: {
    TDecimal d = ToDecimal(v, precision, NoDecimalLimit);
    int e = d.Digits.empty() ? 0 : d.Exponent - 1;
    d.Digits.resize(size_t(precision), '0');
    std::string out;
    if (d.Negative)
      out += '-';
    out += d.Digits[0];
    if (precision > 1) {
      out += fs.DecimalSeparator;
      out.append(d.Digits, 1);
    }
    AppendExponent(out, e, true, digits);
    return out;
  }
  case TFloatFormat::Fixed:
  case TFloatFormat::Number: {
    if (digits > 18)
      digits = 18;
    const TDecimal d = ToDecimal(v, precision, digits);
    if (!d.Digits.empty() && d.Exponent > precision) {
      const TDecimal g = ToDecimal(v, precision, NoDecimalLimit);
      return GeneralExp(g, 0, fs.DecimalSeparator);
    }
    return Positional(d, digits, fs.DecimalSeparator, f == TFloatFormat::Number ? fs.ThousandSeparator : 0);
  }
  }
  return {};
}

std::string FormatFixed(double v, int decimals, const TFormatSettings& fs)
{
  return FloatToStrF(v, TFloatFormat::Fixed, 15, decimals, fs);
}

bool TryStrToFloat(std::string_view s, double& out, char decimalSeparator)
{
  bool negative = false;
  size_t i = SkipBlanksAndSign(s, negative);
  const size_t n = s.size();
  // Normalised text for std::from_chars, which never looks at the locale.
  std::string norm;
  size_t mantissaDigits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') {
    norm += s[i++];
    ++mantissaDigits;
  }
  if (i < n && s[i] == decimalSeparator) {
    ++i;
    norm += '.';
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      norm += s[i++];
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0)
    return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    norm += 'e';
    if (i < n && (s[i] == '+' || s[i] == '-'))
      norm += s[i++];
    size_t expDigits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
      norm += s[i++];
      ++expDigits;
    }
    if (expDigits == 0)
      return false;
  }
  while (i < n && IsBlank(s[i]))
    ++i;
  if (i != n)
    return false;
  double value = 0;
  const auto r = std::from_chars(norm.data(), norm.data() + norm.size(), value);
  if (r.ptr != norm.data() + norm.size())
    return false;
  if (r.ec == std::errc::result_out_of_range) {
    // Out of range either way: tell an overflow from an underflow by the magnitude the
    // text spells, estimated from its digits and exponent.
    long magnitude = 0;
    size_t p = 0;
    long intDigits = 0;
    bool seenNonZero = false;
    long leadingFracZeros = 0;
    bool inFrac = false;
    for (; p < norm.size() && norm[p] != 'e'; ++p) {
      if (norm[p] == '.') {
        inFrac = true;
        continue;
      }
      if (!seenNonZero) {
        if (norm[p] != '0')
          seenNonZero = true;
        else if (inFrac)
          ++leadingFracZeros;
      }
      if (!inFrac && seenNonZero)
        ++intDigits;
    }
    long e = 0;
    if (p < norm.size()) {
      long sign = 1;
      size_t q = p + 1;
      if (q < norm.size() && (norm[q] == '+' || norm[q] == '-')) {
        sign = norm[q] == '-' ? -1 : 1;
        ++q;
      }
      for (; q < norm.size(); ++q) {
        e = e * 10 + (norm[q] - '0');
        if (e > 100000)
          e = 100000;
      }
      e *= sign;
    }
    magnitude = (intDigits > 0 ? intDigits : -leadingFracZeros) + e;
    if (magnitude > 0)
      return false;
    value = 0;
  } else if (r.ec != std::errc()) {
    return false;
  }
  out = negative ? -value : value;
  return true;
}

double StrToFloat(std::string_view s, char decimalSeparator)
{
  double v = 0;
  if (!TryStrToFloat(s, v, decimalSeparator))
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double def, char decimalSeparator)
{
  double v = 0;
  return TryStrToFloat(s, v, decimalSeparator) ? v : def;
}

namespace {

// Pascal integer text into a 64-bit magnitude; `bits` is the width of the target.
bool ParsePascalInt(std::string_view s, int bits, int64_t& out)
{
  bool negative = false;
  size_t i = SkipBlanksAndSign(s, negative);
  const size_t n = s.size();
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == n)
    return false;
  const uint64_t widthMask = bits == 64 ? ~uint64_t(0) : ((uint64_t(1) << bits) - 1);
  uint64_t mag = 0;
  if (hex) {
    for (; i < n; ++i) {
      const char c = s[i];
      int dv;
      if (c >= '0' && c <= '9')
        dv = c - '0';
      else if (c >= 'a' && c <= 'f')
        dv = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        dv = c - 'A' + 10;
      else
        return false;
      if (mag > (widthMask >> 4))
        return false;  // more hex digits than the type holds
      mag = (mag << 4) | uint64_t(dv);
    }
    // Hexadecimal is a bit pattern of the target width: wrap it into the signed range.
    uint64_t bitsValue = mag & widthMask;
    if (negative)
      bitsValue = (~bitsValue + 1) & widthMask;
    int64_t v;
    if (bits == 64) {
      v = static_cast<int64_t>(bitsValue);
    } else {
      const uint64_t signBit = uint64_t(1) << (bits - 1);
      v = (bitsValue & signBit) ? static_cast<int64_t>(bitsValue) - static_cast<int64_t>(widthMask) - 1
                                : static_cast<int64_t>(bitsValue);
    }
    out = v;
    return true;
  }
  const uint64_t limit = negative ? (uint64_t(1) << (bits - 1)) : ((uint64_t(1) << (bits - 1)) - 1);
  for (; i < n; ++i) {
    const char c = s[i];
    if (c < '0' || c > '9')
      return false;
    const uint64_t dv = uint64_t(c - '0');
    if (mag > (limit - dv) / 10)
      return false;
    mag = mag * 10 + dv;
  }
  if (negative)
    out = mag == (uint64_t(1) << 63) ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(mag);
  else
    out = static_cast<int64_t>(mag);
  return true;
}

}  // namespace

bool TryStrToInt(std::string_view s, int32_t& out)
{
  int64_t v = 0;
  if (!ParsePascalInt(s, 32, v))
    return false;
  out = static_cast<int32_t>(v);
  return true;
}

bool TryStrToInt64(std::string_view s, int64_t& out) { return ParsePascalInt(s, 64, out); }

int32_t StrToIntDef(std::string_view s, int32_t def)
{
  int32_t v = 0;
  return TryStrToInt(s, v) ? v : def;
}

int64_t StrToInt64Def(std::string_view s, int64_t def)
{
  int64_t v = 0;
  return TryStrToInt64(s, v) ? v : def;
}

int32_t StrToInt(std::string_view s)
{
  int32_t v = 0;
  if (!TryStrToInt(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

bool TryStrToBool(std::string_view s, bool& out, char decimalSeparator)
{
  double v = 0;
  if (TryStrToFloat(s, v, decimalSeparator)) {
    out = v != 0;
    return true;
  }
  if (CpSameText(s, "True")) {
    out = true;
    return true;
  }
  if (CpSameText(s, "False")) {
    out = false;
    return true;
  }
  return false;
}

bool StrToBool(std::string_view s, char decimalSeparator)
{
  bool b = false;
  if (!TryStrToBool(s, b, decimalSeparator))
    throw EConvertError("'" + std::string(s) + "' is not a valid boolean value");
  return b;
}

std::string BoolToStr(bool b, bool useBoolStrs)
{
  if (useBoolStrs)
    return b ? "True" : "False";
  return b ? "-1" : "0";
}

std::string IntToStr(int64_t v)
{
  std::array<char, 24> buf{};
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v);
  return std::string(buf.data(), r.ptr);
}

std::string IntToHex(uint64_t v, int digits)
{
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string out;
  do {
    out.insert(out.begin(), Hex[v & 0xF]);
    v >>= 4;
  } while (v != 0);
  if (digits > 32)
    digits = 32;
  while (int(out.size()) < digits)
    out.insert(out.begin(), '0');
  return out;
}

bool TryRoundHalfEven(double v, int64_t& out)
{
  if (!std::isfinite(v))
    return false;
  const double f = std::floor(v);
  const double diff = v - f;  // exact for doubles
  double r = f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0))
    r = f + 1;
  // int64 covers [-2^63, 2^63).
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0)
    return false;
  out = static_cast<int64_t>(r);
  return true;
}

int64_t RoundHalfEven(double v)
{
  int64_t r = 0;
  if (TryRoundHalfEven(v, r))
    return r;
  if (std::isnan(v))
    return 0;
  return v < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

bool TryRoundToInt32(double v, int32_t& out)
{
  int64_t r = 0;
  if (!TryRoundHalfEven(v, r) || r < std::numeric_limits<int32_t>::min() ||
      r > std::numeric_limits<int32_t>::max())
    return false;
  out = static_cast<int32_t>(r);
  return true;
}

namespace {

// Truncation toward zero into T when the result lies in [lo, hiExclusive).
template <typename T>
bool TryTrunc(double v, double lo, double hiExclusive, T& out)
{
  if (!std::isfinite(v))
    return false;
  const double t = std::trunc(v);
  if (t < lo || t >= hiExclusive)
    return false;
  out = static_cast<T>(t);
  return true;
}

template <typename T, typename TTry>
T TruncChecked(double v, TTry tryIt)
{
  T r = 0;
  if (!tryIt(v, r))
    throw EConvertError("Invalid floating point operation");
  return r;
}

}  // namespace

bool TryDoubleToInt32(double v, int32_t& out) { return TryTrunc(v, -2147483648.0, 2147483648.0, out); }

bool TryDoubleToInt64(double v, int64_t& out)
{
  return TryTrunc(v, -9223372036854775808.0, 9223372036854775808.0, out);
}

int32_t TruncToInt32Checked(double v) { return TruncChecked<int32_t>(v, TryDoubleToInt32); }

int64_t TruncToInt64Checked(double v) { return TruncChecked<int64_t>(v, TryDoubleToInt64); }

int32_t TruncToInt32Saturated(double v)
{
  if (std::isnan(v))
    return 0;
  int32_t r = 0;
  if (TryDoubleToInt32(v, r))
    return r;
  return v < 0 ? std::numeric_limits<int32_t>::min() : std::numeric_limits<int32_t>::max();
}
