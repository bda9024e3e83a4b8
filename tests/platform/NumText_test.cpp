#include "platform/NumText.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <random>
#include <clocale>
#include <cmath>
#include <limits>

namespace {

TFormatSettings Comma()
{
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = ' ';
  return fs;
}

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(NumText, FloatToStrGeneral)
{
  struct Case {
    double V;
    const char* Expected;
  };
  const Case cases[] = {
      {0.1, "0,1"},
      {1E-5, "1E-5"},
      {1E48, "1E48"},
      {-0.0, "0"},
      {0.0, "0"},
      {0.0001, "0,0001"},
      {0.00012345, "0,00012345"},
      {0.000012345, "1,2345E-5"},
      {1, "1"},
      {-1.5, "-1,5"},
      {123.456, "123,456"},
      {100, "100"},
      {1E14, "100000000000000"},
      {123456789012345.0, "123456789012345"},
      {1E15, "1E15"},
      {1234567890123456.0, "1,23456789012346E15"},
      {999999999999999.9, "1E15"},  // rounds to 15 digits first
      {0.1 + 0.2, "0,3"},           // 0.30000000000000004
      {1.0 / 3.0, "0,333333333333333"},
      {2.0 / 3.0, "0,666666666666667"},
      {-2.5E-7, "-2,5E-7"},
      {5E-324, "4,94065645841247E-324"},
      {DBL_MAX, "1,79769313486232E308"},
      {65535, "65535"},
      {12.34, "12,34"},
      {630 * 0.1, "63"},
      {630 * 0.01, "6,3"},
      {1234 * 0.01, "12,34"},
      {Inf, "INF"},
      {-Inf, "-INF"},
      {NaN, "NAN"},
  };
  const TFormatSettings fs = Comma();
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStr(c.V, fs), c.Expected) << c.Expected;
}

TEST(NumText, FloatToStrPrecisionAndSeparator)
{
  struct Case {
    double V;
    int Precision;
    const char* Expected;
  };
  const Case cases[] = {
      {3.14159265, 3, "3.14"},
      {3.14159265, 7, "3.141593"},
      {0.5, 1, "0.5"},
      {0.95, 1, "0.9"},       // 0.95 is 0.9499999... in binary
      {0.25, 1, "0.3"},       // an exact half rounds away from zero
      {1234.5, 4, "1235"},    // 1234.5 is exact: away from zero
      {12345, 4, "1.235E4"},  // more integer digits than the precision
      {1000, 3, "1E3"},
      {999, 3, "999"},
      {123.456, 17, "123.456"},          // exact digits, trailing zeros dropped
      {0.1, 17, "0.10000000000000001"},  // 0.1000000000000000055511151231257827...
      {0.1, 18, "0.100000000000000006"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStr(c.V, LibraryFormat(), c.Precision), c.Expected) << c.Expected;
}

TEST(NumText, FloatToStrFFormats)
{
  struct Case {
    double V;
    TFloatFormat F;
    int Precision, Digits;
    const char* Expected;
  };
  const TFloatFormat Fx = TFloatFormat::Fixed;
  const TFloatFormat Ex = TFloatFormat::Exponent;
  const Case cases[] = {
      {12.5, Fx, 7, 3, "12,500"},
      {86400.1234, Fx, 7, 3, "86400,120"},  // 7 significant digits first, then 3 places
      {86400.1234, Fx, 15, 3, "86400,123"},
      {0, Fx, 15, 2, "0,00"},
      {-0.0, Fx, 15, 2, "0,00"},
      {-0.001, Fx, 15, 2, "0,00"},   // rounds to zero: no sign
      {-0.005, Fx, 15, 2, "-0,01"},  // 0.005000000000000000104: up
      {0.125, Fx, 15, 2, "0,13"},    // exact half: away from zero
      {2.675, Fx, 15, 2, "2,67"},    // 2.67499999999999982236431605997495353221893310546875
      {1.005, Fx, 15, 2, "1,00"},    // 1.00499999999999989...
      {2.5, Fx, 15, 0, "3"},
      {-2.5, Fx, 15, 0, "-3"},
      {0.4, Fx, 15, 0, "0"},
      {0.6, Fx, 15, 0, "1"},
      {9.9999, Fx, 15, 2, "10,00"},
      {123456789, Fx, 15, 2, "123456789,00"},
      {1E15, Fx, 15, 2, "1E15"},  // more integer digits than the precision
      {999999999999999.0, Fx, 15, 2, "999999999999999,00"},
      {12345, Fx, 4, 1, "1,235E4"},
      {Inf, Fx, 15, 2, "INF"},
      {1234567.891, TFloatFormat::Number, 15, 2, "1 234 567,89"},
      {-1234.5, TFloatFormat::Number, 15, 1, "-1 234,5"},
      {999, TFloatFormat::Number, 15, 0, "999"},
      {1000, TFloatFormat::Number, 15, 0, "1 000"},
      {1234.5, Ex, 5, 2, "1,2345E+03"},
      {1234.5, Ex, 3, 0, "1,23E+3"},
      {-0.00012, Ex, 4, 3, "-1,200E-004"},
      {0, Ex, 4, 2, "0,000E+00"},
      {1, Ex, 1, 1, "1E+0"},
      {1E-5, TFloatFormat::General, 15, 2, "1E-05"},
      {1E48, TFloatFormat::General, 15, 3, "1E048"},
      {0.5, TFloatFormat::General, 15, 3, "0,5"},
  };
  const TFormatSettings fs = Comma();
  for (const auto& c : cases)
    EXPECT_EQ(FloatToStrF(c.V, c.F, c.Precision, c.Digits, fs), c.Expected) << c.Expected;
}

TEST(NumText, FormatFixedLikePrintfWithoutLocale)
{
  struct Case {
    double V;
    int Decimals;
    const char* Expected;
  };
  const Case cases[] = {
      {3.14159, 3, "3,142"},
      {-3.14159, 3, "-3,142"},
      {0, 3, "0,000"},
      {1.5, 0, "2"},
      {10, 1, "10,0"},
      {0.0005, 3, "0,001"},
      {123456789012345.0, 3, "123456789012345,000"},  // 15 integer digits: still fixed
      {1234567890123456.0, 3, "1,23456789012346E15"},
  };
  const TFormatSettings fs = Comma();
  for (const auto& c : cases)
    EXPECT_EQ(FormatFixed(c.V, c.Decimals, fs), c.Expected) << c.Expected;
}

TEST(NumText, TextDoesNotFollowTheCLocale)
{
  // A locale with a decimal comma, when the system has one; the texts must not change.
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  const bool haveComma = std::setlocale(LC_ALL, "pl_PL.UTF-8") || std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(FloatToStr(1.5, LibraryFormat()), "1.5");
  EXPECT_EQ(FormatFixed(1.5, 2, LibraryFormat()), "1.50");
  double v = 0;
  EXPECT_TRUE(TryStrToFloat("2.25", v, '.'));
  EXPECT_EQ(v, 2.25);
  std::setlocale(LC_ALL, saved.c_str());
  if (!haveComma)
    GTEST_LOG_(INFO) << "no comma locale installed; checked under the C locale only";
}

TEST(NumText, ParseFloat)
{
  struct Case {
    const char* Text;
    char Sep;
    bool Ok;
    double Value;
  };
  const Case cases[] = {
      {"0,4 ", ',', true, 0.4},
      {"  0,4", ',', true, 0.4},
      {"\t-1,5\t", ',', true, -1.5},
      {"+2", ',', true, 2},
      {"1,2,3", ',', false, 0},
      {"1.5", ',', false, 0},
      {"1.5", '.', true, 1.5},
      {"1,5", '.', false, 0},
      {",5", ',', true, 0.5},
      {"5,", ',', true, 5},
      {",", ',', false, 0},
      {"", ',', false, 0},
      {"   ", ',', false, 0},
      {"-", ',', false, 0},
      {"1E3", ',', true, 1000},
      {"1e-3", '.', true, 0.001},
      {"2,5E+2", ',', true, 250},
      {"1E", ',', false, 0},
      {"1E+", ',', false, 0},
      {"E5", ',', false, 0},
      {"12abc", ',', false, 0},
      {"1 000", ',', false, 0},
      {"0x10", ',', false, 0},
      {"INF", ',', false, 0},
      {"NAN", ',', false, 0},
      {"1E400", ',', false, 0},
      {"-1E400", ',', false, 0},
      {"1E-400", ',', true, 0},
      {"5E-324", ',', true, 4.9406564584124654E-324},  // the smallest subnormal
      {"2E-324", ',', true, 0},                        // below half of it
      {"-0", ',', true, -0.0},
      {"0,1", ',', true, 0.1},
      {"1,7976931348623157E308", ',', true, DBL_MAX},
      {"0,30000000000000004", ',', true, 0.30000000000000004},
  };
  for (const auto& c : cases) {
    double v = -12345;
    const bool ok = TryStrToFloat(c.Text, v, c.Sep);
    EXPECT_EQ(ok, c.Ok) << '"' << c.Text << '"';
    if (ok && c.Ok) {
      EXPECT_EQ(v, c.Value) << '"' << c.Text << '"';
    }
    if (!ok) {
      EXPECT_EQ(v, -12345) << "untouched on failure";
    }
  }
  EXPECT_THROW(StrToFloat("x", ','), EConvertError);
  EXPECT_EQ(StrToFloat(" 7,25", ','), 7.25);
  EXPECT_EQ(StrToFloatDef("x", 9, ','), 9);
  try {
    (void)StrToFloat("1,2,3", ',');
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'1,2,3' is not a valid floating point value");
  }
}

TEST(NumText, FloatTextRoundTrips)
{
  for (double v : {0.1, 1.0 / 3, 123456.789, 1E-300, 6.02214076E23, -42.0}) {
    double back = 0;
    ASSERT_TRUE(TryStrToFloat(FloatToStr(v, Comma(), 17), back, ','));
    EXPECT_EQ(back, v);
  }
}

TEST(NumText, ParseInt32)
{
  struct Case {
    const char* Text;
    bool Ok;
    int32_t Value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"123", true, 123},
      {"  42", true, 42},
      {"-17", true, -17},
      {"+5", true, 5},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, std::numeric_limits<int32_t>::min()},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$FFFFFFFF", true, -1},
      {"$7FFFFFFF", true, 2147483647},
      {"$80000000", true, std::numeric_limits<int32_t>::min()},
      {"$ff", true, 255},
      {"-$10", true, -16},
      {"0x1A", true, 26},
      {"0X1a", true, 26},
      {"$000000001", true, 1},
      {"$100000000", false, 0},
      {"$", false, 0},
      {"$G", false, 0},
      {"", false, 0},
      {" ", false, 0},
      {"-", false, 0},
      {"12 ", false, 0},
      {"12a", false, 0},
      {"1,5", false, 0},
      {"- 5", false, 0},
  };
  for (const auto& c : cases) {
    int32_t v = -777;
    const bool ok = TryStrToInt(c.Text, v);
    EXPECT_EQ(ok, c.Ok) << '"' << c.Text << '"';
    if (c.Ok && ok) {
      EXPECT_EQ(v, c.Value) << '"' << c.Text << '"';
    }
    if (!ok) {
      EXPECT_EQ(v, -777);
    }
    EXPECT_EQ(StrToIntDef(c.Text, -5), c.Ok ? c.Value : -5) << '"' << c.Text << '"';
  }
  EXPECT_EQ(StrToInt(" 12"), 12);
  EXPECT_THROW(StrToInt("abc"), EConvertError);
  try {
    (void)StrToInt("abc");
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

TEST(NumText, ParseInt64)
{
  struct Case {
    const char* Text;
    bool Ok;
    int64_t Value;
  };
  const Case cases[] = {
      {"9223372036854775807", true, std::numeric_limits<int64_t>::max()},
      {"-9223372036854775808", true, std::numeric_limits<int64_t>::min()},
      {"9223372036854775808", false, 0},
      {"$FFFFFFFF", true, 0xFFFFFFFFll},
      {"$FFFFFFFFFFFFFFFF", true, -1},
      {"$10000000000000000", false, 0},
      {"  -12", true, -12},
  };
  for (const auto& c : cases) {
    int64_t v = 0;
    EXPECT_EQ(TryStrToInt64(c.Text, v), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(v, c.Value) << c.Text;
    }
    EXPECT_EQ(StrToInt64Def(c.Text, 3), c.Ok ? c.Value : 3) << c.Text;
  }
}

TEST(NumText, IntegerTexts)
{
  EXPECT_EQ(IntToStr(0), "0");
  EXPECT_EQ(IntToStr(-123), "-123");
  EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  struct Case {
    uint64_t V;
    int Digits;
    const char* Expected;
  };
  const Case cases[] = {
      {255, 4, "00FF"},
      {0, 0, "0"},
      {0, 2, "00"},
      {0xABCDEF, 2, "ABCDEF"},
      {0xFFFFFFFFFFFFFFFFull, 0, "FFFFFFFFFFFFFFFF"},
      {5, 4, "0005"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IntToHex(c.V, c.Digits), c.Expected);
}

TEST(NumText, RoundHalfEven)
{
  struct Case {
    double V;
    int64_t Expected;
  };
  const Case cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {-3.5, -4},
      {0.5, 0},
      {1.5, 2},
      {-0.5, 0},
      {2.4999999999999996, 2},
      {2.5000000000000004, 3},
      {-1.2, -1},
      {-1.7, -2},
      {0, 0},
      {1E15 + 0.5, 1000000000000000},
      {4503599627370497.0, 4503599627370497},
      {16383.5, 16384},
      {-16383.5, -16384},
      {4611686018427387904.0, 4611686018427387904},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RoundHalfEven(c.V), c.Expected) << c.V;

  int64_t r = 0;
  EXPECT_FALSE(TryRoundHalfEven(NaN, r));
  EXPECT_FALSE(TryRoundHalfEven(Inf, r));
  EXPECT_FALSE(TryRoundHalfEven(9.3E18, r));
  EXPECT_TRUE(TryRoundHalfEven(-9.2233720368547758E18, r));
  EXPECT_EQ(r, std::numeric_limits<int64_t>::min());
  EXPECT_EQ(RoundHalfEven(NaN), 0);
  EXPECT_EQ(RoundHalfEven(1E300), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(RoundHalfEven(-Inf), std::numeric_limits<int64_t>::min());

  int32_t r32 = 0;
  EXPECT_TRUE(TryRoundToInt32(2147483646.5, r32));
  EXPECT_EQ(r32, 2147483646);
  EXPECT_FALSE(TryRoundToInt32(2147483647.5, r32));
}

TEST(NumText, CheckedTruncation)
{
  struct Case {
    double V;
    bool Ok32;
    int32_t V32;
    bool Ok64;
  };
  const Case cases[] = {
      {0, true, 0, true},
      {-1.9, true, -1, true},
      {1.9, true, 1, true},
      {2147483647.9, true, 2147483647, true},
      {2147483648.0, false, 0, true},
      {-2147483648.9, true, std::numeric_limits<int32_t>::min(), true},
      {-2147483649.0, false, 0, true},
      {9.2233720368547758E18, false, 0, false},  // 2^63
      {-9.2233720368547758E18, false, 0, true},  // -2^63 fits
      {1E300, false, 0, false},
      {NaN, false, 0, false},
      {-Inf, false, 0, false},
  };
  for (const auto& c : cases) {
    int32_t v32 = 99;
    int64_t v64 = 99;
    EXPECT_EQ(TryDoubleToInt32(c.V, v32), c.Ok32) << c.V;
    if (c.Ok32) {
      EXPECT_EQ(v32, c.V32) << c.V;
    } else {
      EXPECT_EQ(v32, 99);
    }
    EXPECT_EQ(TryDoubleToInt64(c.V, v64), c.Ok64) << c.V;
    if (c.Ok32) {
      EXPECT_EQ(TruncToInt32Checked(c.V), c.V32);
    } else {
      EXPECT_THROW(TruncToInt32Checked(c.V), EConvertError);
    }
  }
  EXPECT_EQ(TruncToInt64Checked(-3.7), -3);
  EXPECT_THROW(TruncToInt64Checked(NaN), EConvertError);
  EXPECT_EQ(TruncToInt32Saturated(1E10), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TruncToInt32Saturated(-1E10), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TruncToInt32Saturated(NaN), 0);
}

TEST(NumText, ProcessWideSettings)
{
  TFormatSettings& u = UtilityFormat();
  EXPECT_EQ(u.DecimalSeparator, ',');
  EXPECT_EQ(u.DateSeparator, '-');
  EXPECT_EQ(u.TimeSeparator, ':');
  EXPECT_EQ(u.ShortDateFormat, "yyyy-mm-dd");
  EXPECT_EQ(u.LongTimeFormat, "hh:nn:ss");
  EXPECT_EQ(&u, &UtilityFormat());
  EXPECT_EQ(LibraryFormat().DecimalSeparator, '.');
  EXPECT_EQ(FloatToStr(0.5, UtilityFormat()), "0,5");
  EXPECT_EQ(FloatToStr(0.5, LibraryFormat()), "0.5");
}

TEST(NumText, Booleans)
{
  struct Case {
    const char* Text;
    bool Ok;
    bool Value;
  };
  const Case cases[] = {
      {"0", true, false},      {"1", true, true},     {"-1", true, true},   {"2,5", true, true},
      {"0,0", true, false},    {"true", true, true},  {"TRUE", true, true}, {"False", true, false},
      {" 1 ", true, true},     {"yes", false, false}, {"", false, false},   {"T", false, false},
      {" true", false, false},
  };
  for (const auto& c : cases) {
    bool b = !c.Value;
    EXPECT_EQ(TryStrToBool(c.Text, b), c.Ok) << c.Text;
    if (c.Ok) {
      EXPECT_EQ(b, c.Value) << c.Text;
      EXPECT_EQ(StrToBool(c.Text), c.Value);
    } else {
      EXPECT_THROW(StrToBool(c.Text), EConvertError);
    }
  }
  EXPECT_EQ(BoolToStr(true), "-1");
  EXPECT_EQ(BoolToStr(false), "0");
  EXPECT_EQ(BoolToStr(true, true), "True");
  EXPECT_EQ(BoolToStr(false, true), "False");
}

TEST(NumText, SignificantDigitsMatchCorrectRoundingOfRandomDoubles)
{
  // std::to_chars rounds the exact binary value correctly, halves to even; ours takes halves
  // away from zero. So the two agree digit for digit except at an exact half, which the
  // exact expansion shows.
  std::mt19937_64 rng(20261210);
  int checked = 0;
  while (checked < 3000) {
    const double v = std::bit_cast<double>(rng());
    if (!std::isfinite(v))
      continue;
    ++checked;
    for (int p = 1; p <= 17; p += (p < 15 ? 1 : 2)) {
      char buf[64];
      const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, p - 1);
      std::string ref(buf, r.ptr);
      const size_t e = ref.find('e');
      int exp = 0;
      std::from_chars(ref.data() + e + 1 + (ref[e + 1] == '+'), ref.data() + ref.size(), exp);
      ref = ref.substr(0, e) + "E" + (exp < 0 ? "-" : "+") + std::to_string(exp < 0 ? -exp : exp);
      const std::string ours = FloatToStrF(v, TFloatFormat::Exponent, p, 0, LibraryFormat());
      if (ours != ref) {
        char exact[128];
        const auto x = std::to_chars(exact, exact + sizeof exact, v, std::chars_format::scientific, 80);
        std::string digits;
        for (const char* q = exact; q < x.ptr && *q != 'e'; ++q)
          if (*q >= '0' && *q <= '9')
            digits += *q;
        const std::string tail = digits.substr(size_t(p));
        ASSERT_EQ(tail, "5" + std::string(tail.size() - 1, '0'))
            << ours << " vs " << ref << " at precision " << p;
      }
    }
  }
}

TEST(NumText, FixedDecimalsMatchCorrectRoundingOfRandomValues)
{
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> dist(-1E9, 1E9);
  for (int i = 0; i < 3000; ++i) {
    const double v = dist(rng) / double(int64_t(1) << (i % 40));
    for (int d = 0; d <= 6; ++d) {
      char buf[64];
      const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, d);
      std::string ref(buf, r.ptr);
      if (ref.find_first_not_of("-0.") == std::string::npos && ref[0] == '-')
        ref.erase(0, 1);  // a value that rounds to zero shows no sign
      ASSERT_EQ(FloatToStrF(v, TFloatFormat::Fixed, 15, d, LibraryFormat()), ref) << v << " with " << d;
    }
  }
}
