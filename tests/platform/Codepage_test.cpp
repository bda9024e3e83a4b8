#include "platform/Codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string Bytes(std::initializer_list<int> bs)
{
  std::string s;
  for (int b : bs)
    s += static_cast<char>(static_cast<unsigned char>(b));
  return s;
}

// glibc's own CP1250 converter serves as an independent table to check ours against.
bool IconvDecode(iconv_t cd, unsigned char b, std::string& utf8)
{
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[1] = {static_cast<char>(b)};
  char out[8] = {};
  char* ip = in;
  char* op = out;
  size_t il = 1, ol = sizeof out;
  if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1))
    return false;
  utf8.assign(out, size_t(op - out));
  return true;
}

}  // namespace

TEST(Codepage, EveryByteDecodesLikeTheSystemConverter)
{
  iconv_t cd = iconv_open("UTF-8", "CP1250");
  if (cd == reinterpret_cast<iconv_t>(-1))
    GTEST_SKIP() << "no CP1250 converter in this C library";
  for (int b = 0; b < 256; ++b) {
    std::string expected;
    if (!IconvDecode(cd, static_cast<unsigned char>(b), expected))
      expected = "\xEF\xBF\xBD";  // U+FFFD for the undefined bytes
    EXPECT_EQ(Cp1250ToUtf8(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
  }
  iconv_close(cd);
}

TEST(Codepage, UndefinedBytesDecodeToReplacementCharacter)
{
  for (int b : {0x81, 0x83, 0x88, 0x90, 0x98}) {
    EXPECT_EQ(Cp1250ToUtf8(Bytes({b})), "\xEF\xBF\xBD") << b;
    EXPECT_EQ(Cp1250CodePoint(static_cast<unsigned char>(b)), U'\uFFFD');
  }
}

TEST(Codepage, EveryDefinedByteRoundTrips)
{
  for (int b = 0; b < 256; ++b) {
    if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98)
      continue;
    const std::string one = Bytes({b});
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(one)), one) << "byte " << b;
  }
}

TEST(Codepage, EncodeTable)
{
  struct Case {
    const char* Utf8;
    std::string Expected;
  };
  const Case cases[] = {
      {"", ""},
      {"abc XYZ 019", "abc XYZ 019"},
      {"Błąd zapisu", Bytes({'B', 0xB3, 0xB9, 'd', ' ', 'z', 'a', 'p', 'i', 's', 'u'})},
      {"ĄĆĘŁŃÓŚŹŻ", Bytes({0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF})},
      {"ąćęłńóśźż", Bytes({0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF})},
      {"€„”–", Bytes({0x80, 0x84, 0x94, 0x96})},
      {"Файл", "????"},               // Cyrillic is outside the code page
      {"a\xF0\x9F\x98\x80z", "a?z"},  // an emoji
      {"x\xC3(y", "x?(y"},            // a broken sequence
      {"\xC0\xAF", "??"},             // an overlong '/'
      {"\xED\xA0\x80", "???"},        // a surrogate: one mark per broken byte
      {"\xEF\xBF\xBD", "?"},          // U+FFFD has no byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8ToCp1250(c.Utf8), c.Expected) << c.Utf8;
}

TEST(Codepage, LiteralIsConvertedAtCompileTime)
{
  constexpr std::string_view v = "Błąd zapisu"_cp;
  static_assert(v.size() == 11);
  static_assert(static_cast<unsigned char>(v[1]) == 0xB3);
  static_assert(("żółw"_cp).size() == 4);
  static_assert(("ascii"_cp).sv() == "ascii");
  static_assert(("€"_cp)[0] == '\x80');
  EXPECT_EQ(v, Utf8ToCp1250("Błąd zapisu"));
}

TEST(Codepage, LiteralConvertsAndComposes)
{
  const std::string s = "Łódź"_cp;
  const std::string_view v = "Łódź"_cp;  // static storage: the view stays valid
  EXPECT_EQ(s, Bytes({0xA3, 0xF3, 'd', 0x9F}));
  EXPECT_EQ(v, s);
  EXPECT_EQ("Łódź"_cp + std::string(" 1"), s + " 1");
  EXPECT_EQ(std::string("x ") + "ść"_cp, Bytes({'x', ' ', 0x9C, 0xE6}));
  EXPECT_EQ("ą"_cp + "ę"_cp, Bytes({0xB9, 0xEA}));
  std::string acc = "a";
  acc += "ł"_cp;
  EXPECT_EQ(acc, Bytes({'a', 0xB3}));
  EXPECT_TRUE("ó"_cp == Bytes({0xF3}));
  EXPECT_TRUE(""_cp.empty());
}

TEST(Codepage, CaseTables)
{
  struct Case {
    int Lower;
    int Upper;
  };
  // Every letter pair of the code page; the rest maps to itself.
  const Case pairs[] = {
      {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F},
      {0xB3, 0xA3}, {0xB9, 0xA5}, {0xBA, 0xAA}, {0xBE, 0xBC}, {0xBF, 0xAF},
  };
  bool isPair[256] = {};
  for (const auto& p : pairs) {
    EXPECT_EQ(CpUpper(static_cast<unsigned char>(p.Lower)), p.Upper) << p.Lower;
    EXPECT_EQ(CpLower(static_cast<unsigned char>(p.Upper)), p.Lower) << p.Upper;
    isPair[p.Lower] = isPair[p.Upper] = true;
  }
  for (int c = 'a'; c <= 'z'; ++c) {
    EXPECT_EQ(CpUpper(static_cast<unsigned char>(c)), c - 32);
    EXPECT_EQ(CpLower(static_cast<unsigned char>(c - 32)), c);
    isPair[c] = isPair[c - 32] = true;
  }
  for (int c = 0xE0; c <= 0xFE; ++c) {
    if (c == 0xF7)
      continue;  // the division sign
    EXPECT_EQ(CpUpper(static_cast<unsigned char>(c)), c - 32) << c;
    EXPECT_EQ(CpLower(static_cast<unsigned char>(c - 32)), c) << c;
    isPair[c] = isPair[c - 32] = true;
  }
  for (int c = 0; c < 256; ++c) {
    if (isPair[c])
      continue;
    EXPECT_EQ(CpUpper(static_cast<unsigned char>(c)), c) << c;
    EXPECT_EQ(CpLower(static_cast<unsigned char>(c)), c) << c;
  }
  // ß, µ and ˙ have no upper case in the code page.
  EXPECT_EQ(CpUpper(static_cast<unsigned char>(0xDF)), 0xDF);
  EXPECT_EQ(CpUpper(static_cast<unsigned char>(0xB5)), 0xB5);
  EXPECT_EQ(CpUpper(static_cast<unsigned char>(0xFF)), 0xFF);
}

TEST(Codepage, CaseOfTexts)
{
  EXPECT_EQ(CpUpperCase("zażółć gęślą jaźń"_cp), std::string("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_cp));
  EXPECT_EQ(CpLowerCase("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_cp), std::string("zażółć gęślą jaźń"_cp));
  EXPECT_EQ(CpUpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(Codepage, CompareText)
{
  struct Case {
    std::string A, B;
    int Sign;
  };
  const Case cases[] = {
      {"", "", 0},        {"Section", "SECTION", 0}, {"Łódź"_cp, "ŁÓDŹ"_cp, 0},
      {"abc", "abd", -1}, {"abd", "ABC", 1},         {"ab", "abc", -1},
      {"abc", "ab", 1},   {"ą"_cp, "b", 1},  // by byte value of the upper case: Ą is 0xA5
  };
  for (const auto& c : cases) {
    const int r = CpCompareText(c.A, c.B);
    EXPECT_EQ((r > 0) - (r < 0), c.Sign) << c.A << " / " << c.B;
    EXPECT_EQ(CpSameText(c.A, c.B), c.Sign == 0) << c.A << " / " << c.B;
  }
}

TEST(Codepage, Trim)
{
  EXPECT_EQ(CpTrim("  a b \t\r\n"), "a b");
  EXPECT_EQ(CpTrimLeft("  a "), "a ");
  EXPECT_EQ(CpTrimRight("  a "), "  a");
  EXPECT_EQ(CpTrim(" \t "), "");
  EXPECT_EQ(CpTrim("\xA0x\xA0"), "\xA0x\xA0");  // a no-break space is text
}

TEST(Codepage, LiteralInAnInitializerTheCompilerTriesToEvaluate)
{
  // A const vector of records looks constant-evaluable; when that attempt fails the compiler
  // prints the initializer in its notes, which must not trip over the literal.
  struct TCase {
    int Kind;
    std::vector<std::pair<const char*, const char*>> Attrs;
    std::string Input;
    std::string Message;
  };
  const std::vector<TCase> cases = {
      {1, {{"MAX", "3"}}, "żółw"_cp, "x" + Utf8ToCp1250("ł")},
  };
  ASSERT_EQ(cases.size(), 1u);
  EXPECT_EQ(cases[0].Input, Bytes({0xBF, 0xF3, 0xB3, 'w'}));
  EXPECT_EQ(cases[0].Message, Bytes({'x', 0xB3}));
}

TEST(Codepage, AppendUtf8EveryLength)
{
  const std::pair<char32_t, std::string> cases[] = {
      {U'A', Bytes({'A'})},
      {0x7F, Bytes({0x7F})},
      {0x80, Bytes({0xC2, 0x80})},
      {0x142, Bytes({0xC5, 0x82})},  // ł
      {0x7FF, Bytes({0xDF, 0xBF})},
      {0x800, Bytes({0xE0, 0xA0, 0x80})},
      {0x20AC, Bytes({0xE2, 0x82, 0xAC})},  // €
      {0xFFFF, Bytes({0xEF, 0xBF, 0xBF})},
      {0x10000, Bytes({0xF0, 0x90, 0x80, 0x80})},
      {0x10FFFF, Bytes({0xF4, 0x8F, 0xBF, 0xBF})},
  };
  for (const auto& [cp, utf8] : cases) {
    std::string out = "x";
    AppendUtf8(out, cp);
    EXPECT_EQ(out, "x" + utf8) << "code point " << uint32_t(cp);
  }
}
