#include "ternik/VmbEngines.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <limits>

#include "platform/Bytes.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"

const std::array<std::string_view, VmbParamKindCount> VmbParamKindIdents = {
    "ppPARENT",  "ppWBOOL",   "ppBYTE",     "ppINT",  "ppWORD",   "ppLONG",   "ppDWORD",
    "ppBITBYTE", "ppBITWORD", "ppBITDWORD", "ppSTR",  "ppFLOAT",  "ppDFLOAT", "ppSELECT",
    "ppIP",      "ppPROCENT", "ppDATETIME", "pp1_15", "ppHIDDEN", "ppBBOOL",  "ppBSELECT"};
const std::array<std::string_view, VmbParamKindCount> VmbParamKindEngines = {
    "",      "WORD",   "BYTE",  "INT16", "WORD",  "INT32", "DWORD", "BYTE", "WORD", "DWORD", "BYTE",
    "FLOAT", "DFLOAT", "INT16", "DWORD", "INT16", "BYTE",  "INT16", "BYTE", "BYTE", "BYTE"};
const std::array<std::string_view, 4> VmbFalseWords = {"0", "NO", "NIE", "FALSE"};
const std::array<std::string_view, 4> VmbTrueWords = {"1", "YES", "TAK", "TRUE"};

namespace {

const char* const KFormatError = "Blad formatu zmiennej";
const char* const KRealFormatError = "Blad formatu zmiennej typu real";

std::string NotRecognised(const std::string& text)
{
  return std::string("Nie rozpoznana wartość "_cp) + text;
}

template <class Cls>
std::unique_ptr<TVmbEngine> Make()
{
  return std::make_unique<Cls>();
}

// A number that a text, an integer or a float value stands for; false for Null and for texts
// that are no number (such as "NAN").
template <typename TParse>
bool NumberOf(const TVmbValue& v, double& out, TParse parseText)
{
  if (v.IsOrdinal()) {
    out = static_cast<double>(v.AsOrdinal());
    return true;
  }
  if (v.IsFloat()) {
    out = v.AsFloat();
    return true;
  }
  if (v.IsText())
    return parseText(v.AsText(), out);
  return false;
}

bool NumberOf(const TVmbValue& v, double& out) { return NumberOf(v, out, TVmbEngine::TryTextToFloat); }

std::string FloatText(double v, const TFormatSettings& fs, int precision)
{
  return FloatToStr(v, fs, precision);
}

bool ContainsText(const std::vector<std::string>& list, std::string_view text, size_t& index)
{
  for (size_t i = 0; i < list.size(); ++i)
    if (CpSameText(list[i], text)) {
      index = i;
      return true;
    }
  return false;
}

bool InWordList(const std::array<std::string_view, 4>& words, std::string_view text)
{
  for (auto w : words)
    if (CpSameText(w, text))
      return true;
  return false;
}

// Stores a float that fits a single; anything else is refused before the narrowing, which
// would be undefined for a value beyond single range.
float CheckedSingle(double x)
{
  if (!std::isfinite(x) || std::fabs(x) > static_cast<double>(FLT_MAX))
    throw EVmbError(KFormatError);
  return static_cast<float>(x);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TVmbValue

bool TVmbValue::IsOrdinal() const
{
  switch (Kind()) {
  case TKind::Byte:
  case TKind::Word:
  case TKind::LongWord:
  case TKind::SmallInt:
  case TKind::Integer:
    return true;
  default:
    return false;
  }
}

bool TVmbValue::IsFloat() const { return Kind() == TKind::Single || Kind() == TKind::Double; }

int64_t TVmbValue::AsOrdinal() const
{
  switch (Kind()) {
  case TKind::Byte:
    return std::get<1>(FValue);
  case TKind::Word:
    return std::get<2>(FValue);
  case TKind::LongWord:
    return std::get<3>(FValue);
  case TKind::SmallInt:
    return std::get<4>(FValue);
  case TKind::Integer:
    return std::get<5>(FValue);
  default:
    throw EVmbError(KFormatError);
  }
}

double TVmbValue::AsFloat() const
{
  if (Kind() == TKind::Single)
    return static_cast<double>(std::get<6>(FValue));
  if (Kind() == TKind::Double)
    return std::get<7>(FValue);
  throw EVmbError(KFormatError);
}

static std::string ValueText(const TVmbValue& v, const TFormatSettings& fs)
{
  if (v.IsOrdinal())
    return IntToStr(v.AsOrdinal());
  if (v.Kind() == TVmbValue::TKind::Single)
    return FloatText(v.AsFloat(), fs, 7);  // a single carries about seven digits
  if (v.Kind() == TVmbValue::TKind::Double)
    return FloatText(v.AsFloat(), fs, 15);
  if (v.IsText())
    return v.AsText();
  return {};
}

std::string TVmbValue::DisplayText() const { return ValueText(*this, UtilityFormat()); }

std::string TVmbValue::LibraryText() const { return ValueText(*this, LibraryFormat()); }

// ---------------------------------------------------------------------------------------------
// TVmbEngine

const TVmbEngineClass& TVmbEngine::ClassInfo()
{
  static const TVmbEngineClass cls{"", ' ', &Make<TVmbEngine>};
  return cls;
}

std::vector<std::string> TVmbEngine::SelectList(const std::string& selectText) const
{
  const std::string& src = selectText.empty() ? SelectText : selectText;
  std::vector<std::string> groups;
  SplitText(src, groups, ';');
  std::vector<std::string> options;
  if (!groups.empty())
    SplitText(groups.front(), options, '|');
  if (options.size() < 2)
    options = {"OFF", "ON"};
  return options;
}

void TVmbEngine::BoolWordLists(const std::string& selectText, std::vector<std::string>& falseWords,
                               std::vector<std::string>& trueWords) const
{
  falseWords.clear();
  trueWords.clear();
  const std::string& src = selectText.empty() ? SelectText : selectText;
  if (src.empty()) {
    falseWords.assign(VmbFalseWords.begin(), VmbFalseWords.end());
    trueWords.assign(VmbTrueWords.begin(), VmbTrueWords.end());
    return;
  }
  std::vector<std::string> groups;
  SplitText(src, groups, ';');
  for (const auto& g : groups) {
    std::vector<std::string> pair;
    SplitText(g, pair, '|');
    if (pair.size() != 2)
      continue;
    falseWords.push_back(pair[0]);
    trueWords.push_back(pair[1]);
  }
}

bool TVmbEngine::StrToBoolValue(const TVmbParamDescr&, const std::string& text, std::string& msg,
                                TVmbValue& value, const std::string& selectText)
{
  std::vector<std::string> falseWords, trueWords;
  BoolWordLists(selectText, falseWords, trueWords);
  size_t index = 0;
  if (ContainsText(falseWords, text, index)) {
    value = TVmbValue::Byte(0);
    return true;
  }
  if (ContainsText(trueWords, text, index)) {
    value = TVmbValue::Byte(1);
    return true;
  }
  value = TVmbValue();
  msg = NotRecognised(text);
  return false;
}

bool TVmbEngine::SelectTextToIndex(const TVmbParamDescr&, const std::string& text, std::string& msg,
                                   TVmbValue& value, const std::string& selectText)
{
  size_t index = 0;
  if (ContainsText(SelectList(selectText), text, index)) {
    value = TVmbValue::Integer(static_cast<int32_t>(index));
    msg.clear();
    return true;
  }
  value = TVmbValue();
  msg = NotRecognised(text);
  return false;
}

bool TVmbEngine::StrToValue(const TVmbParamDescr&, const std::string& text, std::string& msg,
                            TVmbValue& value, const std::string&)
{
  msg.clear();
  try {
    int32_t i = 0;
    double x = 0;
    if (text.size() >= 2 && CpUpperCase(text.substr(0, 2)) == "0X") {
      // Hexadecimal texts are 32-bit and wrap, as the runtime reads "$" numbers.
      const std::string hex = "$" + text.substr(2);
      if (!TryStrToInt(hex, i)) {
        msg = "'" + hex + "' is not a valid integer value";
        return false;
      }
      value = TVmbValue::Integer(i);
    } else if (TryStrToInt(text, i)) {
      value = TVmbValue::Integer(i);
    } else if (TryTextToFloat(text, x)) {
      value = TVmbValue::Text(FloatToText(x));
    } else if (InWordList(VmbTrueWords, text)) {
      value = TVmbValue::Integer(1);
    } else if (InWordList(VmbFalseWords, text)) {
      value = TVmbValue::Integer(0);
    } else {
      msg = "Wartość jest pusta"_cp;
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    msg = e.what();
    return false;
  }
}

bool TVmbEngine::ConvertByCallback(const TVmbParamDescr& d, const std::string& text, std::string& msg,
                                   TVmbValue& value, const std::string&)
{
  if (!d.OnConvert)
    return false;
  try {
    value = TVmbValue::Integer(d.OnConvert(text));
    msg.clear();
    return true;
  } catch (const std::exception& e) {
    msg = e.what();
    return false;
  }
}

std::string TVmbEngine::BoolValueToStr(const TVmbValue& value, const std::string& selectText)
{
  const auto list = SelectList(selectText);
  double x = 0;
  const bool zero = NumberOf(value, x) && x == 0;
  return zero ? list[0] : list[1];
}

std::string TVmbEngine::IndexToSelectText(const TVmbValue& value, const std::string& selectText)
{
  const auto list = SelectList(selectText);
  int64_t index = 0;
  try {
    index = IntegerOf(value);
  } catch (const EVmbError&) {
    return "[Out:" + value.DisplayText() + "]";
  }
  // A negative index has no option either; it is shown with its sign rather than as a huge
  // unsigned number.
  if (index >= 0 && static_cast<uint64_t>(index) < list.size())
    return list[static_cast<size_t>(index)];
  return "[Out:" + IntToStr(index) + "]";
}

std::string TVmbEngine::ValueToStr(const TVmbParamDescr&, const TVmbValue& value, const std::string&)
{
  return value.DisplayText();
}

void TVmbEngine::ValueToRaw(const TVmbParamDescr&, std::span<uint8_t>, const TVmbValue&) {}

TVmbValue TVmbEngine::RawToValue(const TVmbParamDescr&, std::span<const uint8_t>) { return TVmbValue(); }

std::string TVmbEngine::GetSelectText() const
{
  return (Kind == 1 || Kind == 2) ? SelectText : std::string();
}

uint32_t TVmbEngine::Swap32(uint32_t v)
{
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

void TVmbEngine::CheckRaw(size_t size) const
{
  if (size < static_cast<size_t>(ByteSize))
    throw EVmbError("raw buffer of " + IntToStr(static_cast<int64_t>(size)) + " bytes is too short for " +
                    std::string(TypeName()));
}

void TVmbEngine::Put16(const TVmbParamDescr& d, std::span<uint8_t> raw, uint16_t v) const
{
  if (raw.size() < 2)
    throw EVmbError("raw buffer too short");
  if (d.ByteOrder == 1)
    PutU16BE(raw, 0, v);
  else
    PutU16LE(raw, 0, v);
}

void TVmbEngine::Put32(const TVmbParamDescr& d, std::span<uint8_t> raw, uint32_t v) const
{
  if (raw.size() < 4)
    throw EVmbError("raw buffer too short");
  if (d.ByteOrder == 1)
    PutU32BE(raw, 0, v);
  else
    PutU32LE(raw, 0, v);
}

uint16_t TVmbEngine::Get16(const TVmbParamDescr& d, std::span<const uint8_t> raw) const
{
  if (raw.size() < 2)
    throw EVmbError("raw buffer too short");
  return d.ByteOrder == 1 ? GetU16BE(raw, 0) : GetU16LE(raw, 0);
}

uint32_t TVmbEngine::Get32(const TVmbParamDescr& d, std::span<const uint8_t> raw) const
{
  if (raw.size() < 4)
    throw EVmbError("raw buffer too short");
  return d.ByteOrder == 1 ? GetU32BE(raw, 0) : GetU32LE(raw, 0);
}

bool TVmbEngine::TryTextToFloat(std::string_view text, double& out)
{
  double x = 0;
  if ((TryStrToFloat(text, x, '.') || TryStrToFloat(text, x, ',')) && std::isfinite(x)) {
    out = x;
    return true;
  }
  return false;
}

std::string TVmbEngine::FloatToText(double v) { return FloatText(v, LibraryFormat(), 15); }

int64_t TVmbEngine::IntegerOf(const TVmbValue& value)
{
  if (value.IsOrdinal())
    return value.AsOrdinal();
  double x = 0;
  if (value.IsText()) {
    int64_t i = 0;
    if (TryStrToInt64(value.AsText(), i))
      return i;
    if (!TryTextToFloat(value.AsText(), x))
      throw EVmbError(KFormatError);
  } else if (value.IsFloat()) {
    x = value.AsFloat();
  } else {
    throw EVmbError(KFormatError);
  }
  // A NaN, an infinity or a number beyond 64 bits has no integer.
  int64_t i = 0;
  if (!TryRoundHalfEven(x, i))
    throw EVmbError(KFormatError);
  return i;
}

// ---------------------------------------------------------------------------------------------
// Integer engines

const TVmbEngineClass& TVmbByteType::ClassInfo()
{
  static const TVmbEngineClass cls{"BYTE", 'B', &Make<TVmbByteType>};
  return cls;
}

TVmbByteType::TVmbByteType() : TVmbEngine(ClassInfo().TypeLetter)
{
  ByteSize = 1;
  RegCount = 1;
  IsInteger = true;
  MaxValue = 255;
}

void TVmbByteType::ValueToRaw(const TVmbParamDescr&, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  raw[0] = static_cast<uint8_t>(static_cast<uint64_t>(IntegerOf(v)));
}

TVmbValue TVmbByteType::RawToValue(const TVmbParamDescr&, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  return TVmbValue::Byte(raw[0]);
}

const TVmbEngineClass& TVmbWordType::ClassInfo()
{
  static const TVmbEngineClass cls{"WORD", 'W', &Make<TVmbWordType>};
  return cls;
}

TVmbWordType::TVmbWordType() : TVmbEngine(ClassInfo().TypeLetter)
{
  ByteSize = 2;
  RegCount = 1;
  IsInteger = true;
  MaxValue = 65535;
}

void TVmbWordType::ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  Put16(d, raw, static_cast<uint16_t>(static_cast<uint64_t>(IntegerOf(v))));
}

TVmbValue TVmbWordType::RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  return TVmbValue::Word(Get16(d, raw));
}

const TVmbEngineClass& TVmbDWordType::ClassInfo()
{
  static const TVmbEngineClass cls{"DWORD", 'D', &Make<TVmbDWordType>};
  return cls;
}

TVmbDWordType::TVmbDWordType() : TVmbEngine(ClassInfo().TypeLetter)
{
  ByteSize = 4;
  RegCount = 2;
  IsInteger = true;
  MaxValue = -1;  // all 32 bits set
}

void TVmbDWordType::ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  // Through 64 bits, so that "4294967295" is stored as all ones rather than overflowing.
  Put32(d, raw, static_cast<uint32_t>(static_cast<uint64_t>(IntegerOf(v))));
}

TVmbValue TVmbDWordType::RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  return TVmbValue::LongWord(Get32(d, raw));
}

namespace {

// INT16 and INT32 take a value written with a '.' as a fraction of full scale. The test runs
// on the library's '.' text of the value, so the process separator never changes the path.
int64_t SignedRaw(const TVmbValue& v, double fullScale, int64_t (*integerOf)(const TVmbValue&))
{
  const std::string text = v.LibraryText();
  if (text.find('.') == std::string::npos)
    return integerOf(v);
  double x = 0;
  if (!TryStrToFloat(text, x, '.') || !std::isfinite(x))
    throw EVmbError(KFormatError);
  if (std::fabs(x) > 1)
    throw EVmbError("Za duża wartośc dla liczby w formacie FRAC"_cp);
  return RoundHalfEven(x * fullScale);
}

}  // namespace

const TVmbEngineClass& TVmbInt16Type::ClassInfo()
{
  static const TVmbEngineClass cls{"INT16", 'I', &Make<TVmbInt16Type>};
  return cls;
}

TVmbInt16Type::TVmbInt16Type() : TVmbEngine(ClassInfo().TypeLetter)
{
  ByteSize = 2;
  RegCount = 1;
  IsInteger = true;
  MaxValue = 32767;
  MinValue = -32767;
}

std::string TVmbInt16Type::ValueToStr(const TVmbParamDescr& d, const TVmbValue& value,
                                      const std::string& displayFormat)
{
  try {
    if (displayFormat == "HEX")
      return "0x" + IntToHex(static_cast<uint32_t>(static_cast<uint64_t>(IntegerOf(value))), 4);
    if (displayFormat == "BIN")
      return "b" + IntToBinText(IntegerOf(value), 2);
  } catch (const EVmbError&) {
    return TVmbEngine::ValueToStr(d, value, displayFormat);
  }
  double x = 0;
  if (displayFormat == "FRAC" && NumberOf(value, x))
    return FloatText(x / 32768, UtilityFormat(), 15);
  return TVmbEngine::ValueToStr(d, value, displayFormat);
}

void TVmbInt16Type::ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  Put16(d, raw, static_cast<uint16_t>(static_cast<uint64_t>(SignedRaw(v, 32767, &IntegerOf))));
}

TVmbValue TVmbInt16Type::RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  return TVmbValue::SmallInt(static_cast<int16_t>(Get16(d, raw)));
}

const TVmbEngineClass& TVmbInt32Type::ClassInfo()
{
  static const TVmbEngineClass cls{"INT32", 'J', &Make<TVmbInt32Type>};
  return cls;
}

TVmbInt32Type::TVmbInt32Type() : TVmbEngine(ClassInfo().TypeLetter)
{
  ByteSize = 4;
  RegCount = 2;
  IsInteger = true;
  MaxValue = 2147483647;
  MinValue = -2147483647;
}

void TVmbInt32Type::ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  Put32(d, raw, static_cast<uint32_t>(static_cast<uint64_t>(SignedRaw(v, 2147483647.0, &IntegerOf))));
}

TVmbValue TVmbInt32Type::RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  return TVmbValue::Integer(static_cast<int32_t>(Get32(d, raw)));
}

// ---------------------------------------------------------------------------------------------
// Float engines

const TVmbEngineClass& TVmbUniFloatType::ClassInfo()
{
  static const TVmbEngineClass cls{"", ' ', &Make<TVmbUniFloatType>};
  return cls;
}

TVmbUniFloatType::TVmbUniFloatType(char letter) : TVmbEngine(letter) { IsFloat = true; }

std::string TVmbUniFloatType::ValueToStr(const TVmbParamDescr& d, const TVmbValue& value,
                                         const std::string& displayFormat)
{
  double x = 0;
  if (!NumberOf(value, x) || !std::isfinite(x))
    return TVmbEngine::ValueToStr(d, value, displayFormat);
  // Precision is the number of significant digits; the digits argument only sets the
  // general format's minimum exponent width.
  const int precision = d.Precision < 1 ? 1 : (d.Precision > 18 ? 18 : d.Precision);
  return FloatToStrF(x, TFloatFormat::General, precision, precision + 2, UtilityFormat());
}

const TVmbEngineClass& TVmbFloatType::ClassInfo()
{
  static const TVmbEngineClass cls{"FLOAT", 'F', &Make<TVmbFloatType>};
  return cls;
}

TVmbFloatType::TVmbFloatType() : TVmbUniFloatType(ClassInfo().TypeLetter)
{
  ByteSize = 4;
  RegCount = 2;
}

void TVmbFloatType::ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  double x = 0;
  // FLOAT text takes only the '.' separator.
  if (!NumberOf(v, x, [](std::string_view text, double& out) { return TryStrToFloat(text, out, '.'); }))
    throw EVmbError(KFormatError);
  Put32(d, raw, std::bit_cast<uint32_t>(CheckedSingle(x)));
}

TVmbValue TVmbFloatType::RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  const float f = std::bit_cast<float>(Get32(d, raw));
  if (std::isnan(f))
    return TVmbValue::Text("NAN");
  return TVmbValue::Single(f);
}

const TVmbEngineClass& TVmbDFloatType::ClassInfo()
{
  static const TVmbEngineClass cls{"DFLOAT", 'G', &Make<TVmbDFloatType>};
  return cls;
}

TVmbDFloatType::TVmbDFloatType() : TVmbUniFloatType(ClassInfo().TypeLetter)
{
  ByteSize = 4;
  RegCount = 2;
}

void TVmbDFloatType::ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v)
{
  CheckRaw(raw.size());
  double x = 0;
  if (!NumberOf(v, x))
    throw EVmbError(KRealFormatError);
  Put32(d, raw, DFloatToRaw(x));
}

TVmbValue TVmbDFloatType::RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw)
{
  CheckRaw(raw.size());
  const double x = RawToDFloat(Get32(d, raw));
  if (std::isnan(x) || std::fabs(x) > static_cast<double>(FLT_MAX))
    return TVmbValue::Text("NAN");
  return TVmbValue::Single(static_cast<float>(x));
}

// ---------------------------------------------------------------------------------------------
// Registry and start-up

const TVmbEngineClass* TVmbEngines::FindByTypeName(std::string_view name) const
{
  for (auto* c : FItems)
    if (CpSameText(c->TypeName, name))
      return c;
  return nullptr;
}

const TVmbEngineClass* TVmbEngines::FindByLetter(char letter) const
{
  for (auto* c : FItems)
    if (c->TypeLetter == letter)
      return c;
  return nullptr;
}

namespace {
std::unique_ptr<TVmbSettings> GVmbSettings;
std::unique_ptr<TVmbEngines> GVmbEngines;
}  // namespace

void VmbEnginesInitialize()
{
  GVmbSettings = std::make_unique<TVmbSettings>();
  GVmbEngines = std::make_unique<TVmbEngines>();
  GVmbEngines->Register(TVmbByteType::ClassInfo());
  GVmbEngines->Register(TVmbWordType::ClassInfo());
  GVmbEngines->Register(TVmbDWordType::ClassInfo());
  GVmbEngines->Register(TVmbInt16Type::ClassInfo());
  GVmbEngines->Register(TVmbInt32Type::ClassInfo());
  GVmbEngines->Register(TVmbFloatType::ClassInfo());
  GVmbEngines->Register(TVmbDFloatType::ClassInfo());
}

void VmbEnginesFinalize()
{
  GVmbEngines.reset();
  GVmbSettings.reset();
}

TVmbEngines& VmbEngines()
{
  if (!GVmbEngines)
    throw EVmbError("value engines are not initialised");
  return *GVmbEngines;
}

TVmbSettings& VmbSettings()
{
  if (!GVmbSettings)
    throw EVmbError("value engines are not initialised");
  return *GVmbSettings;
}

// ---------------------------------------------------------------------------------------------
// Free helpers

void SplitText(std::string_view text, std::vector<std::string>& list, char delimiter)
{
  list.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(delimiter, start);
    if (end == std::string_view::npos)
      end = text.size();
    if (end > start)
      list.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string ByteToBinText(uint8_t b)
{
  std::string s(8, '0');
  for (int i = 0; i < 8; ++i)
    if (b & (0x80u >> i))
      s[static_cast<size_t>(i)] = '1';
  return s;
}

std::string IntToBinText(int64_t v, int byteCount)
{
  if (byteCount > 8)
    byteCount = 8;
  const auto u = static_cast<uint64_t>(v);
  std::string s;
  for (int i = byteCount - 1; i >= 0; --i) {
    if (!s.empty())
      s += '.';
    s += ByteToBinText(static_cast<uint8_t>(u >> (8 * i)));
  }
  return s;
}

uint32_t DFloatToRaw(double x)
{
  const uint32_t s = std::bit_cast<uint32_t>(CheckedSingle(x));
  // Both zeros are zero; a negative zero would otherwise become -2^-126.
  if ((s & 0x7FFFFFFFu) == 0)
    return 0;
  int32_t m = 0;
  int32_t e = 0;
  if ((s & 0x7F800000u) == 0) {
    // A subnormal single has no implicit one bit: normalise it first, or its value would
    // be read as if it had one (about 2^-127 whatever the number).
    int ex = 0;
    const double mant = std::frexp(std::fabs(static_cast<double>(std::bit_cast<float>(s))), &ex);
    m = static_cast<int32_t>(mant * 32768);  // in 16384..32767, truncated like the bits
    e = ex;
  } else {
    m = static_cast<int32_t>(((s >> 9) & 0x3FFFu) | 0x4000u);
    e = static_cast<int32_t>((s >> 23) & 0xFFu) - 126;
  }
  if (s & 0x80000000u)
    m = -m;
  return (static_cast<uint32_t>(static_cast<uint16_t>(m)) << 16) | static_cast<uint16_t>(e);
}

double RawToDFloat(uint32_t r)
{
  const auto m = static_cast<int16_t>(r >> 16);
  const auto e = static_cast<int16_t>(r & 0xFFFFu);
  const double x = std::ldexp(m / 32768.0, e);
  if (!std::isfinite(x))
    return std::numeric_limits<double>::quiet_NaN();
  return x;
}
