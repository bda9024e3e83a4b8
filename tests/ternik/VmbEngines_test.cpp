#include "ternik/VmbEngines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Codepage.h"
#include "platform/NumText.h"

namespace {

// Keeps the process-wide number settings of a test from leaking into the next one.
class VmbTest : public ::testing::Test {
protected:
  void SetUp() override { FSaved = UtilityFormat(); }
  void TearDown() override { UtilityFormat() = FSaved; }
  static void UseSeparator(char c) { UtilityFormat().DecimalSeparator = c; }

private:
  TFormatSettings FSaved;
};

using TBytes = std::vector<uint8_t>;

std::unique_ptr<TVmbEngine> Engine(std::string_view typeName)
{
  TVmbEngines reg;
  reg.Register(TVmbByteType::ClassInfo());
  reg.Register(TVmbWordType::ClassInfo());
  reg.Register(TVmbDWordType::ClassInfo());
  reg.Register(TVmbInt16Type::ClassInfo());
  reg.Register(TVmbInt32Type::ClassInfo());
  reg.Register(TVmbFloatType::ClassInfo());
  reg.Register(TVmbDFloatType::ClassInfo());
  const TVmbEngineClass* cls = reg.FindByTypeName(typeName);
  if (!cls)
    return nullptr;
  return cls->Create();
}

TBytes ToRaw(TVmbEngine& e, uint8_t order, const TVmbValue& v)
{
  TVmbParamDescr d;
  d.ByteOrder = order;
  TBytes raw(static_cast<size_t>(e.ByteSize), 0xEE);
  e.ValueToRaw(d, raw, v);
  return raw;
}

TVmbValue FromRaw(TVmbEngine& e, uint8_t order, const TBytes& raw)
{
  TVmbParamDescr d;
  d.ByteOrder = order;
  return e.RawToValue(d, raw);
}

std::string RaisedBy(TVmbEngine& e, const TVmbValue& v)
{
  try {
    ToRaw(e, 0, v);
  } catch (const EVmbError& ex) {
    return ex.what();
  }
  return "(nothing raised)";
}

}  // namespace

TEST_F(VmbTest, TypeTableAndRegistryOrder)
{
  struct Row {
    const char* name;
    char letter;
    int32_t byteSize, regCount;
    bool isInt, isFloat;
    int32_t maxV, minV;
  };
  const Row rows[] = {
      {"BYTE", 'B', 1, 1, true, false, 255, 0},
      {"WORD", 'W', 2, 1, true, false, 65535, 0},
      {"DWORD", 'D', 4, 2, true, false, -1, 0},
      {"INT16", 'I', 2, 1, true, false, 32767, -32767},
      {"INT32", 'J', 4, 2, true, false, 2147483647, -2147483647},
      {"FLOAT", 'F', 4, 2, false, true, 0, 0},
      {"DFLOAT", 'G', 4, 2, false, true, 0, 0},
  };
  VmbEnginesInitialize();
  ASSERT_EQ(VmbEngines().Count(), 7u);
  for (size_t i = 0; i < std::size(rows); ++i) {
    const Row& r = rows[i];
    SCOPED_TRACE(r.name);
    EXPECT_EQ(VmbEngines().Item(i).TypeName, r.name);
    auto e = VmbEngines().Item(i).Create();
    EXPECT_EQ(e->TypeName(), r.name);
    EXPECT_EQ(e->Letter, r.letter);
    EXPECT_EQ(e->TypeLetter(), r.letter);
    EXPECT_EQ(e->ByteSize, r.byteSize);
    EXPECT_EQ(e->RegCount, r.regCount);
    EXPECT_EQ(e->IsInteger, r.isInt);
    EXPECT_EQ(e->IsFloat, r.isFloat);
    EXPECT_EQ(e->MaxValue, r.maxV);
    EXPECT_EQ(e->MinValue, r.minV);
    EXPECT_EQ(e->Kind, 0);
    EXPECT_EQ(VmbEngines().FindByLetter(r.letter), &VmbEngines().Item(i));
  }
  EXPECT_EQ(VmbEngines().FindByTypeName("dfloat"), &TVmbDFloatType::ClassInfo());
  EXPECT_EQ(VmbEngines().FindByTypeName("REAL"), nullptr);
  EXPECT_EQ(VmbSettings().Flag, 1);
  EXPECT_EQ(VmbSettings().DefaultTypeName1, "WORD");
  EXPECT_EQ(VmbSettings().DefaultTypeName2, "WORD");
  VmbEnginesFinalize();
  EXPECT_THROW(VmbEngines(), EVmbError);

  TVmbEngine base;
  EXPECT_EQ(base.TypeName(), "");
  EXPECT_EQ(base.Letter, ' ');
  EXPECT_EQ(base.ByteSize, 0);
  TVmbUniFloatType uni;
  EXPECT_TRUE(uni.IsFloat);
  EXPECT_EQ(uni.TypeName(), "");
}

TEST_F(VmbTest, KindTables)
{
  EXPECT_EQ(VmbParamKindIdents[0], "ppPARENT");
  EXPECT_EQ(VmbParamKindEngines[0], "");
  EXPECT_EQ(VmbParamKindIdents[12], "ppDFLOAT");
  EXPECT_EQ(VmbParamKindEngines[12], "DFLOAT");
  EXPECT_EQ(VmbParamKindIdents[17], "pp1_15");
  EXPECT_EQ(VmbParamKindEngines[17], "INT16");
  EXPECT_EQ(VmbParamKindIdents[20], "ppBSELECT");
  EXPECT_EQ(VmbParamKindEngines[20], "BYTE");
  // Every engine named by the kind table is a registered type.
  for (auto name : VmbParamKindEngines) {
    if (!name.empty()) {
      EXPECT_NE(Engine(name), nullptr) << name;
    }
  }
  EXPECT_EQ(VmbByteOrderNames[1], "Motorola");
  EXPECT_EQ(VmbKindNames[3], "POINTER");
}

// Raw images in both byte orders. IEEE single bytes were made with Python's struct module;
// DFLOAT rows are worked by hand (mantissa in the high 16 bits, exponent in the low 16).
TEST_F(VmbTest, RawTableBothOrders)
{
  struct Row {
    const char* type;
    TVmbValue value;
    TBytes intel, motorola;
    TVmbValue back;
  };
  const Row rows[] = {
      {"BYTE", TVmbValue::Integer(0x1AB), {0xAB}, {0xAB}, TVmbValue::Byte(0xAB)},
      {"BYTE", TVmbValue::Text("255"), {0xFF}, {0xFF}, TVmbValue::Byte(255)},
      {"WORD", TVmbValue::Integer(0x1234), {0x34, 0x12}, {0x12, 0x34}, TVmbValue::Word(0x1234)},
      {"WORD", TVmbValue::Integer(-1), {0xFF, 0xFF}, {0xFF, 0xFF}, TVmbValue::Word(65535)},
      {"DWORD",
       TVmbValue::Integer(0x12345678),
       {0x78, 0x56, 0x34, 0x12},
       {0x12, 0x34, 0x56, 0x78},
       TVmbValue::LongWord(0x12345678)},
      {"DWORD",
       TVmbValue::Text("4294967295"),
       {0xFF, 0xFF, 0xFF, 0xFF},
       {0xFF, 0xFF, 0xFF, 0xFF},
       TVmbValue::LongWord(4294967295u)},
      {"DWORD",
       TVmbValue::Text("$80000000"),
       {0x00, 0x00, 0x00, 0x80},
       {0x80, 0x00, 0x00, 0x00},
       TVmbValue::LongWord(0x80000000u)},
      {"INT16", TVmbValue::Integer(-2), {0xFE, 0xFF}, {0xFF, 0xFE}, TVmbValue::SmallInt(-2)},
      {"INT16", TVmbValue::Text("0.5"), {0x00, 0x40}, {0x40, 0x00}, TVmbValue::SmallInt(16384)},
      {"INT16", TVmbValue::Text("-1.0"), {0x01, 0x80}, {0x80, 0x01}, TVmbValue::SmallInt(-32767)},
      {"INT32",
       TVmbValue::Integer(-1),
       {0xFF, 0xFF, 0xFF, 0xFF},
       {0xFF, 0xFF, 0xFF, 0xFF},
       TVmbValue::Integer(-1)},
      {"INT32",
       TVmbValue::Text("0.5"),
       {0x00, 0x00, 0x00, 0x40},
       {0x40, 0x00, 0x00, 0x00},
       TVmbValue::Integer(1073741824)},
      {"INT32",
       TVmbValue::Text("1.0"),
       {0xFF, 0xFF, 0xFF, 0x7F},
       {0x7F, 0xFF, 0xFF, 0xFF},
       TVmbValue::Integer(2147483647)},
      {"FLOAT",
       TVmbValue::Text("1"),
       {0x00, 0x00, 0x80, 0x3F},
       {0x3F, 0x80, 0x00, 0x00},
       TVmbValue::Single(1.0f)},
      {"FLOAT",
       TVmbValue::Text("-2.5"),
       {0x00, 0x00, 0x20, 0xC0},
       {0xC0, 0x20, 0x00, 0x00},
       TVmbValue::Single(-2.5f)},
      {"FLOAT",
       TVmbValue::Text("0.1"),
       {0xCD, 0xCC, 0xCC, 0x3D},
       {0x3D, 0xCC, 0xCC, 0xCD},
       TVmbValue::Single(0.1f)},
      {"FLOAT",
       TVmbValue::Double(123.456),
       {0x79, 0xE9, 0xF6, 0x42},
       {0x42, 0xF6, 0xE9, 0x79},
       TVmbValue::Single(123.456f)},
      {"FLOAT",
       TVmbValue::Text("3.4028234663852886e38"),
       {0xFF, 0xFF, 0x7F, 0x7F},
       {0x7F, 0x7F, 0xFF, 0xFF},
       TVmbValue::Single(std::numeric_limits<float>::max())},
      {"DFLOAT", TVmbValue::Text("0"), {0, 0, 0, 0}, {0, 0, 0, 0}, TVmbValue::Single(0)},
      {"DFLOAT",
       TVmbValue::Text("1.0"),
       {0x01, 0x00, 0x00, 0x40},
       {0x40, 0x00, 0x00, 0x01},
       TVmbValue::Single(1.0f)},
      {"DFLOAT",
       TVmbValue::Text("-2"),
       {0x02, 0x00, 0x00, 0xC0},
       {0xC0, 0x00, 0x00, 0x02},
       TVmbValue::Single(-2.0f)},
      {"DFLOAT",
       TVmbValue::Text("0,75"),
       {0x00, 0x00, 0x00, 0x60},
       {0x60, 0x00, 0x00, 0x00},
       TVmbValue::Single(0.75f)},
      {"DFLOAT",
       TVmbValue::Double(3.0),
       {0x02, 0x00, 0x00, 0x60},
       {0x60, 0x00, 0x00, 0x02},
       TVmbValue::Single(3.0f)},
      {"DFLOAT", TVmbValue::Double(-0.0), {0, 0, 0, 0}, {0, 0, 0, 0}, TVmbValue::Single(0)},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.type) + " " + r.value.LibraryText());
    auto e = Engine(r.type);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(ToRaw(*e, 0, r.value), r.intel);
    EXPECT_EQ(ToRaw(*e, 1, r.value), r.motorola);
    EXPECT_EQ(FromRaw(*e, 0, r.intel), r.back);
    EXPECT_EQ(FromRaw(*e, 1, r.motorola), r.back);
    // Any order byte other than 1 is "Intel".
    EXPECT_EQ(ToRaw(*e, 7, r.value), r.intel);
  }
}

TEST_F(VmbTest, RawBufferTooShortIsRefused)
{
  for (auto name : {"WORD", "DWORD", "INT16", "INT32", "FLOAT", "DFLOAT", "BYTE"}) {
    auto e = Engine(name);
    TBytes shortRaw(static_cast<size_t>(e->ByteSize - 1));
    TVmbParamDescr d;
    EXPECT_THROW(e->ValueToRaw(d, shortRaw, TVmbValue::Integer(1)), EVmbError) << name;
    EXPECT_THROW(e->RawToValue(d, shortRaw), EVmbError) << name;
  }
}

TEST_F(VmbTest, FloatTrapsAreRefused)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const char* type;
    TVmbValue value;
    const char* message;
  };
  const Row rows[] = {
      {"FLOAT", TVmbValue::Double(nan), "Blad formatu zmiennej"},
      {"FLOAT", TVmbValue::Double(-inf), "Blad formatu zmiennej"},
      {"FLOAT", TVmbValue::Text("1e39"), "Blad formatu zmiennej"},
      {"FLOAT", TVmbValue::Text("abc"), "Blad formatu zmiennej"},
      {"FLOAT", TVmbValue::Text("1,5"), "Blad formatu zmiennej"},
      {"FLOAT", TVmbValue(), "Blad formatu zmiennej"},
      {"DFLOAT", TVmbValue::Double(inf), "Blad formatu zmiennej"},
      {"DFLOAT", TVmbValue::Text("-4e38"), "Blad formatu zmiennej"},
      {"DFLOAT", TVmbValue::Text("x"), "Blad formatu zmiennej typu real"},
      {"INT16", TVmbValue::Text("1.01"), "Za duża wartośc dla liczby w formacie FRAC"},
      {"INT32", TVmbValue::Text("-1.5"), "Za duża wartośc dla liczby w formacie FRAC"},
      {"INT16", TVmbValue::Text("1.2.3"), "Blad formatu zmiennej"},
      {"INT16", TVmbValue::Double(nan), "Blad formatu zmiennej"},
      {"DWORD", TVmbValue::Double(1e30), "Blad formatu zmiennej"},
      {"WORD", TVmbValue::Text("zzz"), "Blad formatu zmiennej"},
      {"BYTE", TVmbValue(), "Blad formatu zmiennej"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.type) + " " + r.value.LibraryText());
    auto e = Engine(r.type);
    EXPECT_EQ(RaisedBy(*e, r.value), Utf8ToCp1250(r.message));
  }
}

TEST_F(VmbTest, NanPatternsReadAsNanText)
{
  auto f = Engine("FLOAT");
  EXPECT_EQ(FromRaw(*f, 1, {0x7F, 0xC0, 0x00, 0x00}), TVmbValue::Text("NAN"));
  EXPECT_EQ(FromRaw(*f, 0, {0x01, 0x00, 0x80, 0xFF}), TVmbValue::Text("NAN"));
  auto g = Engine("DFLOAT");
  // Exponent 128: 0.5 * 2^128 = 2^127 still fits a single; 129 does not.
  EXPECT_EQ(FromRaw(*g, 1, {0x40, 0x00, 0x00, 0x80}), TVmbValue::Single(std::ldexp(1.0f, 127)));
  EXPECT_EQ(FromRaw(*g, 1, {0x40, 0x00, 0x00, 0x81}), TVmbValue::Text("NAN"));
  EXPECT_EQ(FromRaw(*g, 1, {0x7F, 0xFF, 0x7F, 0xFF}), TVmbValue::Text("NAN"));
  EXPECT_TRUE(std::isnan(RawToDFloat(0x7FFF7FFFu)));
  EXPECT_EQ(RawToDFloat(0x40000001u), 1.0);
  EXPECT_EQ(RawToDFloat(0xC0000002u), -2.0);
  EXPECT_EQ(DFloatToRaw(1.0), 0x40000001u);
  EXPECT_THROW(DFloatToRaw(std::numeric_limits<double>::quiet_NaN()), EVmbError);
  // Subnormal singles keep their value (to the 15 bits of the mantissa).
  for (double x : {1e-40, -3e-42, 1.2e-38}) {
    const double back = RawToDFloat(DFloatToRaw(x));
    EXPECT_NEAR(back / static_cast<double>(static_cast<float>(x)), 1.0, 1e-4) << x;
  }
  // A normal single gives the same bits either way: 2^-126 is mantissa 0.5, exponent -125.
  EXPECT_EQ(DFloatToRaw(std::ldexp(1.0, -126)), 0x4000FF83u);
}

// The '.' test and the FLOAT parse read the library's text of the value: a double 0.5 is a
// fraction under either process separator.
TEST_F(VmbTest, ProcessSeparatorDoesNotChangeStoredValues)
{
  for (char sep : {',', '.'}) {
    UseSeparator(sep);
    SCOPED_TRACE(std::string(1, sep));
    auto i16 = Engine("INT16");
    EXPECT_EQ(ToRaw(*i16, 1, TVmbValue::Double(0.5)), (TBytes{0x40, 0x00}));
    EXPECT_EQ(ToRaw(*i16, 1, TVmbValue::Single(-0.25f)), (TBytes{0xE0, 0x00}));
    auto i32 = Engine("INT32");
    EXPECT_EQ(ToRaw(*i32, 1, TVmbValue::Double(0.5)), (TBytes{0x40, 0x00, 0x00, 0x00}));
    auto fl = Engine("FLOAT");
    EXPECT_EQ(ToRaw(*fl, 1, TVmbValue::Text("0.5")), (TBytes{0x3F, 0x00, 0x00, 0x00}));
    EXPECT_EQ(ToRaw(*fl, 1, TVmbValue::Double(0.5)), (TBytes{0x3F, 0x00, 0x00, 0x00}));
  }
}

TEST_F(VmbTest, StrToValue)
{
  struct Row {
    const char* text;
    bool ok;
    TVmbValue value;
    const char* message;
  };
  const Row rows[] = {
      {"0x1f", true, TVmbValue::Integer(31), ""},
      {"0X7FFFFFFF", true, TVmbValue::Integer(2147483647), ""},
      {"0xFFFFFFFF", true, TVmbValue::Integer(-1), ""},
      {"12", true, TVmbValue::Integer(12), ""},
      {"-7", true, TVmbValue::Integer(-7), ""},
      {"$10", true, TVmbValue::Integer(16), ""},
      {"1.5", true, TVmbValue::Text("1.5"), ""},
      {"1,5", true, TVmbValue::Text("1.5"), ""},
      {"1e3", true, TVmbValue::Text("1000"), ""},
      {"4294967295", true, TVmbValue::Text("4294967295"), ""},
      {"tak", true, TVmbValue::Integer(1), ""},
      {"True", true, TVmbValue::Integer(1), ""},
      {"nie", true, TVmbValue::Integer(0), ""},
      {"FALSE", true, TVmbValue::Integer(0), ""},
      {"abc", false, TVmbValue(), "Wartość jest pusta"},
      {"", false, TVmbValue(), "Wartość jest pusta"},
      {"0x", false, TVmbValue(), "'$' is not a valid integer value"},
      {"0xZZ", false, TVmbValue(), "'$ZZ' is not a valid integer value"},
  };
  auto e = Engine("WORD");
  TVmbParamDescr d;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    std::string msg = "old";
    TVmbValue v;
    EXPECT_EQ(e->StrToValue(d, r.text, msg, v, ""), r.ok);
    EXPECT_EQ(msg, Utf8ToCp1250(r.message));
    if (r.ok) {
      EXPECT_EQ(v, r.value);
    }
  }
}

TEST_F(VmbTest, BooleanWords)
{
  struct Row {
    const char* select;
    const char* text;
    bool ok;
    int value;
  };
  const Row rows[] = {
      {"", "nie", true, 0},
      {"", "Yes", true, 1},
      {"", "1", true, 1},
      {"", "maybe", false, 0},
      {"NIE|TAK;NO|YES", "no", true, 0},
      {"NIE|TAK;NO|YES", "tak", true, 1},
      // Without the shared words, only the pairs of the list count.
      {"NIE|TAK", "1", false, 0},
      {"A|B|C;OFF|ON", "on", true, 1},
      {"A|B|C", "A", false, 0},
  };
  auto e = Engine("BYTE");
  TVmbParamDescr d;
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.select) + " / " + r.text);
    std::string msg = "kept";
    TVmbValue v = TVmbValue::Integer(99);
    EXPECT_EQ(e->StrToBoolValue(d, r.text, msg, v, r.select), r.ok);
    if (r.ok) {
      EXPECT_EQ(v, TVmbValue::Byte(static_cast<uint8_t>(r.value)));
      EXPECT_EQ(msg, "kept");
    } else {
      EXPECT_TRUE(v.IsNull());
      EXPECT_EQ(msg, "Nie rozpoznana wartość "_cp + std::string(r.text));
    }
  }
  // The engine's own list serves when the call gives none.
  e->SelectText = "wył|wł"_cp;
  std::string msg;
  TVmbValue v;
  EXPECT_TRUE(e->StrToBoolValue(d, "WŁ"_cp, msg, v, ""));
  EXPECT_EQ(v, TVmbValue::Byte(1));
}

TEST_F(VmbTest, SelectTexts)
{
  auto e = Engine("INT16");
  TVmbParamDescr d;
  struct Row {
    const char* select;
    int64_t index;
    const char* text;
  };
  const Row rows[] = {
      {"A|B|C", 0, "A"},
      {"A|B|C", 2, "C"},
      {"A|B|C", 3, "[Out:3]"},
      {"A|B|C", -1, "[Out:-1]"},
      {"X", 0, "OFF"},
      {"X", 1, "ON"},
      {"", 1, "ON"},
      {";;A||B;C|D", 1, "B"},
      {"NIE|TAK;NO|YES", 1, "TAK"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.select) + " " + IntToStr(r.index));
    EXPECT_EQ(e->IndexToSelectText(TVmbValue::Integer(static_cast<int32_t>(r.index)), r.select), r.text);
  }
  std::string msg = "x";
  TVmbValue v;
  EXPECT_TRUE(e->SelectTextToIndex(d, "b", msg, v, "A|B|C"));
  EXPECT_EQ(v, TVmbValue::Integer(1));
  EXPECT_EQ(msg, "");
  EXPECT_FALSE(e->SelectTextToIndex(d, "D", msg, v, "A|B|C"));
  EXPECT_TRUE(v.IsNull());
  EXPECT_EQ(msg, "Nie rozpoznana wartość D"_cp);
  EXPECT_EQ(e->BoolValueToStr(TVmbValue::Byte(0), "NIE|TAK"), "NIE");
  EXPECT_EQ(e->BoolValueToStr(TVmbValue::Integer(5), "NIE|TAK"), "TAK");
  EXPECT_EQ(e->BoolValueToStr(TVmbValue::Text("0"), ""), "OFF");

  e->SelectText = "P|Q";
  EXPECT_EQ(e->GetSelectText(), "");
  e->Kind = 1;
  EXPECT_TRUE(e->IsBoolean());
  EXPECT_EQ(e->GetSelectText(), "P|Q");
  e->Kind = 2;
  EXPECT_TRUE(e->IsSelect());
  EXPECT_EQ(e->GetSelectText(), "P|Q");
  EXPECT_EQ(e->IndexToSelectText(TVmbValue::Integer(1), ""), "Q");
}

TEST_F(VmbTest, HexBinFracAndFloatDisplayUnderBothSeparators)
{
  struct Row {
    const char* type;
    TVmbValue value;
    const char* format;
    int32_t precision;
    const char* comma;
    const char* dot;
  };
  const Row rows[] = {
      {"INT16", TVmbValue::SmallInt(-1), "HEX", 15, "0xFFFFFFFF", "0xFFFFFFFF"},
      {"INT16", TVmbValue::SmallInt(0x1F), "HEX", 15, "0x001F", "0x001F"},
      {"INT16", TVmbValue::Integer(0x1234), "BIN", 15, "b00010010.00110100", "b00010010.00110100"},
      {"INT16", TVmbValue::SmallInt(16384), "FRAC", 15, "0,5", "0.5"},
      {"INT16", TVmbValue::SmallInt(-8192), "FRAC", 15, "-0,25", "-0.25"},
      {"INT16", TVmbValue::SmallInt(42), "hex", 15, "42", "42"},
      {"INT16", TVmbValue::Text("abc"), "HEX", 15, "abc", "abc"},
      {"FLOAT", TVmbValue::Single(1.5f), "", 7, "1,5", "1.5"},
      {"FLOAT", TVmbValue::Single(0.1f), "", 7, "0,1", "0.1"},
      {"FLOAT", TVmbValue::Double(123.456), "", 4, "123,5", "123.5"},
      {"FLOAT", TVmbValue::Text("NAN"), "", 7, "NAN", "NAN"},
      {"DFLOAT", TVmbValue::Text("2.25"), "", 15, "2,25", "2.25"},
      {"DFLOAT", TVmbValue::Double(1e-5), "", 15, "1E-0005", "1E-0005"},
      {"WORD", TVmbValue::Double(0.5), "", 15, "0,5", "0.5"},
      {"WORD", TVmbValue::Word(65535), "", 15, "65535", "65535"},
      {"WORD", TVmbValue(), "", 15, "", ""},
  };
  for (char sep : {',', '.'}) {
    UseSeparator(sep);
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.type) + " " + r.value.LibraryText() + " " + r.format + " sep " + sep);
      auto e = Engine(r.type);
      TVmbParamDescr d;
      d.Precision = r.precision;
      EXPECT_EQ(e->ValueToStr(d, r.value, r.format), sep == ',' ? r.comma : r.dot);
    }
  }
}

TEST_F(VmbTest, CallbackAndSameText)
{
  auto e = Engine("WORD");
  TVmbParamDescr d;
  std::string msg = "kept";
  TVmbValue v;
  EXPECT_FALSE(e->ConvertByCallback(d, "x", msg, v, ""));
  EXPECT_EQ(msg, "kept");
  d.OnConvert = [](const std::string& s) -> int32_t {
    if (s == "bad")
      throw std::runtime_error("no such value");
    return static_cast<int32_t>(s.size());
  };
  EXPECT_TRUE(e->ConvertByCallback(d, "abcd", msg, v, ""));
  EXPECT_EQ(v, TVmbValue::Integer(4));
  EXPECT_EQ(msg, "");
  EXPECT_FALSE(e->ConvertByCallback(d, "bad", msg, v, ""));
  EXPECT_EQ(msg, "no such value");
  EXPECT_TRUE(e->SameValueText("Ab", "Ab"));
  EXPECT_FALSE(e->SameValueText("Ab", "ab"));
}

TEST_F(VmbTest, FreeHelpers)
{
  std::vector<std::string> list{"old"};
  SplitText("|a||b|", list, '|');
  EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
  SplitText("", list, '|');
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(ByteToBinText(0xA5), "10100101");
  EXPECT_EQ(IntToBinText(0x1234, 2), "00010010.00110100");
  EXPECT_EQ(IntToBinText(-1, 1), "11111111");
  EXPECT_EQ(IntToBinText(5, 0), "");
  EXPECT_EQ(TVmbEngine::Swap32(0x12345678u), 0x78563412u);
  double x = 0;
  EXPECT_TRUE(TVmbEngine::TryTextToFloat(" 2,5 ", x));
  EXPECT_EQ(x, 2.5);
  EXPECT_FALSE(TVmbEngine::TryTextToFloat("2.5.1", x));
  EXPECT_EQ(TVmbEngine::FloatToText(0.1), "0.1");
}
