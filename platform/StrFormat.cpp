#include "platform/StrFormat.h"

#include <vector>

namespace {

[[noreturn]] void Invalid(std::string_view format)
{
  throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

bool ParseNumber(std::string_view f, size_t& i, int& out)
{
  if (i >= f.size() || f[i] < '0' || f[i] > '9')
    return false;
  long v = 0;
  while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
    v = v * 10 + (f[i] - '0');
    if (v > 100000)
      v = 100000;  // a width beyond reason is capped, not allocated
    ++i;
  }
  out = int(v);
  return true;
}

std::string Digits(uint64_t v, int base)
{
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string s;
  do {
    s.insert(s.begin(), Hex[v % uint64_t(base)]);
    v /= uint64_t(base);
  } while (v != 0);
  return s;
}

}  // namespace

std::string Format(std::string_view format, std::initializer_list<TFormatArg> argList,
                   const TFormatSettings& fs)
{
  const std::vector<const TFormatArg*> args = [&] {
    std::vector<const TFormatArg*> v;
    for (const auto& a : argList)
      v.push_back(&a);
    return v;
  }();
  std::string out;
  size_t next = 0;  // the next argument
  size_t i = 0;
  const std::string_view f = format;
  auto takeInt = [&](size_t index) -> int64_t {
    if (index >= args.size())
      Invalid(format);
    const auto& v = args[index]->Value();
    if (const auto* p = std::get_if<int64_t>(&v))
      return *p;
    if (const auto* p = std::get_if<uint64_t>(&v))
      return int64_t(*p);
    Invalid(format);
  };
  while (i < f.size()) {
    const char c = f[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    ++i;
    if (i < f.size() && f[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index:] [-] [width] [.precision] type
    size_t save = i;
    int number = 0;
    if (ParseNumber(f, i, number) && i < f.size() && f[i] == ':') {
      next = size_t(number);
      ++i;
    } else {
      i = save;
    }
    if (i < f.size() && f[i] == '*' && i + 1 < f.size() && f[i + 1] == ':') {
      next = size_t(takeInt(next++));
      i += 2;
    }
    bool left = false;
    if (i < f.size() && f[i] == '-') {
      left = true;
      ++i;
    }
    int width = -1;
    if (i < f.size() && f[i] == '*') {
      const int64_t w = takeInt(next++);
      width = int(w < 0 ? 0 : (w > 100000 ? 100000 : w));
      ++i;
    } else {
      int w = 0;
      if (ParseNumber(f, i, w))
        width = w;
    }
    int precision = -1;
    if (i < f.size() && f[i] == '.') {
      ++i;
      if (i < f.size() && f[i] == '*') {
        const int64_t p = takeInt(next++);
        precision = int(p < 0 ? 0 : (p > 100000 ? 100000 : p));
        ++i;
      } else {
        int p = 0;
        if (!ParseNumber(f, i, p))
          p = 0;
        precision = p;
      }
    }
    if (i >= f.size())
      Invalid(format);
    const char type = static_cast<char>(f[i] >= 'a' && f[i] <= 'z' ? f[i] - 32 : f[i]);
    ++i;
    if (next >= args.size())
      Invalid(format);
    const auto& value = args[next++]->Value();
    std::string text;
    switch (type) {
    case 'D':
    case 'U':
    case 'X': {
      bool negative = false;
      uint64_t mag = 0;
      if (const auto* p = std::get_if<int64_t>(&value)) {
        if (type == 'D') {
          negative = *p < 0;
          mag = negative ? uint64_t(0) - uint64_t(*p) : uint64_t(*p);
        } else {
          // %u and %x show the 32-bit pattern of a negative Integer, as the runtime does.
          mag = (*p < 0 && *p >= INT32_MIN) ? uint64_t(uint32_t(int32_t(*p))) : uint64_t(*p);
        }
      } else if (const auto* q = std::get_if<uint64_t>(&value)) {
        mag = *q;
      } else {
        Invalid(format);
      }
      text = Digits(mag, type == 'X' ? 16 : 10);
      if (precision > 0 && int(text.size()) < precision)
        text.insert(text.begin(), size_t(precision) - text.size(), '0');
      if (negative)
        text.insert(text.begin(), '-');
      break;
    }
    case 'S': {
      if (const auto* p = std::get_if<std::string_view>(&value))
        text = std::string(*p);
      else if (const auto* q = std::get_if<std::string>(&value))
        text = *q;
      else
        Invalid(format);
      if (precision >= 0 && text.size() > size_t(precision))
        text.resize(size_t(precision));
      break;
    }
    case 'F':
    case 'E':
    case 'G':
    case 'N':
    case 'M': {
      double v = 0;
      if (const auto* p = std::get_if<double>(&value))
        v = *p;
      else if (const auto* q = std::get_if<int64_t>(&value))
        v = double(*q);
      else if (const auto* r = std::get_if<uint64_t>(&value))
        v = double(*r);
      else
        Invalid(format);
      if (type == 'F')
        text = FormatFixed(v, precision < 0 ? 2 : (precision > 18 ? 18 : precision), fs);
      else if (type == 'E')
        text = FloatToStrF(v, TFloatFormat::Exponent, precision < 0 ? 15 : precision, 3, fs);
      else if (type == 'G')
        text = FloatToStrF(v, TFloatFormat::General, precision < 0 ? 15 : precision, 3, fs);
      else
        text = FloatToStrF(v, TFloatFormat::Number, 15, precision < 0 ? 2 : (precision > 18 ? 18 : precision),
                           fs);
      break;
    }
    default:
      Invalid(format);
    }
    if (width > 0 && text.size() < size_t(width)) {
      const std::string pad(size_t(width) - text.size(), ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}
