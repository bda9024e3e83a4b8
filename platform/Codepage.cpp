#include "platform/Codepage.h"

void AppendUtf8(std::string& out, char32_t cp)
{
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

namespace {

// Reverse table for the upper half, built once: code point -> byte.
struct TReverse {
  std::array<std::pair<char32_t, unsigned char>, 128> Pairs{};
  size_t Count = 0;
  TReverse()
  {
    for (int i = 0; i < 128; ++i) {
      const char32_t u = cp1250_detail::HighTable[size_t(i)];
      if (u != 0xFFFD)
        Pairs[Count++] = {u, static_cast<unsigned char>(0x80 + i)};
    }
  }
  int Find(char32_t u) const
  {
    for (size_t i = 0; i < Count; ++i)
      if (Pairs[i].first == u)
        return Pairs[i].second;
    return -1;
  }
};

const TReverse& Reverse()
{
  static const TReverse r;
  return r;
}

}  // namespace

char32_t Cp1250CodePoint(unsigned char b) { return cp1250_detail::ToUnicode(b); }

int Cp1250FromCodePoint(char32_t cp)
{
  if (cp < 0x80)
    return int(cp);
  if (cp == 0xFFFD)
    return -1;
  return Reverse().Find(cp);
}

std::string Cp1250ToUtf8(std::string_view bytes)
{
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes)
    AppendUtf8(out, cp1250_detail::ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1250(std::string_view utf8)
{
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = cp1250_detail::DecodeUtf8(utf8, i);
    const int b = cp == cp1250_detail::Invalid ? -1 : Cp1250FromCodePoint(cp);
    out += b < 0 ? '?' : static_cast<char>(static_cast<unsigned char>(b));
  }
  return out;
}

std::string CpUpperCase(std::string_view s)
{
  std::string out(s);
  for (char& c : out)
    c = CpUpper(c);
  return out;
}

std::string CpLowerCase(std::string_view s)
{
  std::string out(s);
  for (char& c : out)
    c = CpLower(c);
  return out;
}

bool CpSameText(std::string_view a, std::string_view b)
{
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (CpUpper(a[i]) != CpUpper(b[i]))
      return false;
  return true;
}

int CpCompareText(std::string_view a, std::string_view b)
{
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int ca = CpUpper(static_cast<unsigned char>(a[i]));
    const int cb = CpUpper(static_cast<unsigned char>(b[i]));
    if (ca != cb)
      return ca - cb;
  }
  if (a.size() == b.size())
    return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string_view CpTrimLeft(std::string_view s)
{
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
    ++i;
  return s.substr(i);
}

std::string_view CpTrimRight(std::string_view s)
{
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ')
    --n;
  return s.substr(0, n);
}

std::string_view CpTrim(std::string_view s) { return CpTrimRight(CpTrimLeft(s)); }
