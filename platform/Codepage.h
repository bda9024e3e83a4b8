// Windows-1250 text: the byte encoding every non-visual unit keeps its text in.
//
// The visual layer converts to and from UTF-8 at its edge; everything below it counts,
// cuts, compares and hashes Windows-1250 bytes, as the stored files and the controller
// expect. Polish literals in the sources are written readably as UTF-8 and turned into
// Windows-1250 bytes at compile time by the `_cp` literal.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace cp1250_detail {

// Unicode code points of the bytes 0x80..0xFF; 0xFFFD marks the five undefined bytes.
inline constexpr std::array<char32_t, 128> HighTable = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

inline constexpr char32_t Invalid = 0xFFFFFFFF;

constexpr char32_t ToUnicode(unsigned char b) { return b < 0x80 ? char32_t(b) : HighTable[b - 0x80]; }

// The byte of a code point, or -1 when the code page has no such character.
constexpr int FromUnicode(char32_t u)
{
  if (u < 0x80)
    return int(u);
  if (u == 0xFFFD)
    return -1;
  for (int i = 0; i < 128; ++i)
    if (HighTable[size_t(i)] == u)
      return 0x80 + i;
  return -1;
}

// Simple case mapping of the Latin letters that occur in the code page.
constexpr char32_t UnicodeUpper(char32_t u)
{
  if (u >= 'a' && u <= 'z')
    return u - 32;
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7)
    return u - 32;
  if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
    return (u & 1) ? u - 1 : u;
  if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
    return (u & 1) ? u : u - 1;
  return u;
}

constexpr char32_t UnicodeLower(char32_t u)
{
  if (u >= 'A' && u <= 'Z')
    return u + 32;
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7)
    return u + 32;
  if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
    return (u & 1) ? u : u + 1;
  if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E))
    return (u & 1) ? u + 1 : u;
  return u;
}

constexpr std::array<unsigned char, 256> MakeCaseTable(bool upper)
{
  std::array<unsigned char, 256> t{};
  for (int b = 0; b < 256; ++b) {
    t[size_t(b)] = static_cast<unsigned char>(b);
    const char32_t u = ToUnicode(static_cast<unsigned char>(b));
    if (u == 0xFFFD)
      continue;
    const char32_t m = upper ? UnicodeUpper(u) : UnicodeLower(u);
    const int mb = FromUnicode(m);
    if (m != u && mb >= 0)
      t[size_t(b)] = static_cast<unsigned char>(mb);
  }
  return t;
}

inline constexpr std::array<unsigned char, 256> UpperTable = MakeCaseTable(true);
inline constexpr std::array<unsigned char, 256> LowerTable = MakeCaseTable(false);

// Decodes one UTF-8 sequence at s[i]; advances i. Returns Invalid on a malformed sequence
// (overlong forms, surrogates and values above U+10FFFF included).
constexpr char32_t DecodeUtf8(std::string_view s, size_t& i)
{
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len = 0;
  char32_t cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    ++i;
    return Invalid;
  }
  if (s.size() - i < size_t(len)) {
    ++i;
    return Invalid;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + size_t(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return Invalid;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  const bool overlong = (len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
  if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return Invalid;
  }
  i += size_t(len);
  return cp;
}

// A string literal as a template argument, so the conversion happens per literal at
// compile time and its result has static storage.
template <size_t N>
struct TUtf8Literal {
  char Text[N]{};
  consteval TUtf8Literal(const char (&s)[N])
  {
    for (size_t i = 0; i < N; ++i)
      Text[i] = s[i];
  }
};

void LiteralHasCharacterOutsideCp1250();  // never defined: calling it in a constant
                                          // evaluation stops the compilation

}  // namespace cp1250_detail

// Windows-1250 bytes of a `_cp` literal. It lives in static storage, so views of it never
// dangle. Converts implicitly to std::string_view and std::string.
template <size_t N>
struct TCpLiteral {
  char Bytes[N]{};
  size_t Size = 0;

  constexpr const char* data() const { return Bytes; }
  constexpr const char* c_str() const { return Bytes; }
  constexpr size_t size() const { return Size; }
  constexpr size_t length() const { return Size; }
  constexpr bool empty() const { return Size == 0; }
  constexpr char operator[](size_t i) const { return Bytes[i]; }
  constexpr std::string_view sv() const { return {Bytes, Size}; }
  std::string str() const { return std::string(Bytes, Size); }
  constexpr operator std::string_view() const { return sv(); }
  operator std::string() const { return str(); }

  friend std::string operator+(const TCpLiteral& a, std::string_view b) { return a.str().append(b); }
  friend std::string operator+(std::string_view a, const TCpLiteral& b)
  {
    return std::string(a).append(b.sv());
  }
  friend std::string operator+(const TCpLiteral& a, const std::string& b) { return a.str().append(b); }
  friend std::string operator+(const std::string& a, const TCpLiteral& b)
  {
    return std::string(a).append(b.sv());
  }
  friend std::string operator+(const TCpLiteral& a, const char* b) { return a.str().append(b); }
  friend std::string operator+(const char* a, const TCpLiteral& b) { return std::string(a).append(b.sv()); }
  friend std::string operator+(const TCpLiteral& a, char b) { return a.str() + b; }
  friend std::string operator+(char a, const TCpLiteral& b) { return std::string(1, a).append(b.sv()); }
  template <size_t M>
  friend std::string operator+(const TCpLiteral& a, const TCpLiteral<M>& b)
  {
    return a.str().append(b.sv());
  }
  friend std::string operator+(std::string&& a, const TCpLiteral& b) { return std::move(a.append(b.sv())); }

  friend constexpr bool operator==(const TCpLiteral& a, std::string_view b) { return a.sv() == b; }
  friend bool operator==(const TCpLiteral& a, const std::string& b) { return a.sv() == std::string_view(b); }
  friend bool operator==(const TCpLiteral& a, const char* b) { return a.sv() == std::string_view(b); }
};

namespace cp1250_detail {

template <size_t N>
consteval TCpLiteral<N> ConvertLiteral(const TUtf8Literal<N>& in)
{
  TCpLiteral<N> out{};
  const std::string_view s(in.Text, N - 1);
  size_t i = 0;
  while (i < s.size()) {
    const char32_t cp = DecodeUtf8(s, i);
    const int b = cp == Invalid ? -1 : FromUnicode(cp);
    if (b < 0)
      LiteralHasCharacterOutsideCp1250();
    out.Bytes[out.Size++] = static_cast<char>(static_cast<unsigned char>(b));
  }
  out.Bytes[out.Size] = '\0';
  return out;
}

#if defined(__clang__)
// clang (up to 15 at least) crashes when it prints an expression that holds a literal
// operator template with a class-type parameter, as it does in the notes of a failed
// constant evaluation. It prints the character-pack form correctly, so clang gets that one.
template <char... Cs>
struct TCpPackHolder {
  static constexpr char Text[sizeof...(Cs) + 1] = {Cs..., '\0'};
  static constexpr TCpLiteral<sizeof...(Cs) + 1> Value =
      ConvertLiteral(TUtf8Literal<sizeof...(Cs) + 1>(Text));
};
#else
template <TUtf8Literal S>
struct TCpLiteralHolder {
  static constexpr TCpLiteral<sizeof(S.Text)> Value = ConvertLiteral(S);
};
#endif

}  // namespace cp1250_detail

#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
template <typename TChar, TChar... Cs>
consteval const auto& operator""_cp()
{
  static_assert(std::is_same_v<TChar, char>, "_cp takes plain UTF-8 string literals");
  return cp1250_detail::TCpPackHolder<Cs...>::Value;
}
#pragma clang diagnostic pop
#else
template <cp1250_detail::TUtf8Literal S>
consteval const auto& operator""_cp()
{
  return cp1250_detail::TCpLiteralHolder<S>::Value;
}
#endif

// Appends the UTF-8 form of one code point (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp);
// Bytes to UTF-8; the undefined bytes 0x81 0x83 0x88 0x90 0x98 become U+FFFD.
std::string Cp1250ToUtf8(std::string_view bytes);
// UTF-8 to bytes; a character outside the code page, or a malformed sequence, becomes '?'.
std::string Utf8ToCp1250(std::string_view utf8);
// Code point of one byte (U+FFFD for the undefined ones), and the byte of a code point
// (-1 when the code page lacks it).
char32_t Cp1250CodePoint(unsigned char b);
int Cp1250FromCodePoint(char32_t cp);

// The code page's case tables (letters with diacritics included; ß, µ and the signs stay).
inline unsigned char CpUpper(unsigned char c) { return cp1250_detail::UpperTable[c]; }
inline unsigned char CpLower(unsigned char c) { return cp1250_detail::LowerTable[c]; }
inline char CpUpper(char c) { return static_cast<char>(CpUpper(static_cast<unsigned char>(c))); }
inline char CpLower(char c) { return static_cast<char>(CpLower(static_cast<unsigned char>(c))); }
std::string CpUpperCase(std::string_view s);
std::string CpLowerCase(std::string_view s);
// Case-insensitive equality and ordering (<0, 0, >0) by the upper-case byte values.
bool CpSameText(std::string_view a, std::string_view b);
int CpCompareText(std::string_view a, std::string_view b);
// Leading and trailing characters up to ' ' (control characters and blank) removed.
std::string_view CpTrim(std::string_view s);
std::string_view CpTrimLeft(std::string_view s);
std::string_view CpTrimRight(std::string_view s);
