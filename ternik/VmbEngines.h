// Typed value engines: one device parameter between the text a user types or sees, a variant
// value held by the program, and its raw bytes in a device register image.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Raised by ValueToRaw when a value cannot be stored, and by the byte helpers when the raw
// buffer is shorter than the value.
class EVmbError : public std::runtime_error {
public:
  explicit EVmbError(const std::string& msg) : std::runtime_error(msg) {}
};

// The variant a parameter value travels in. The kinds are those the engines produce: the
// unsigned one-byte, 16- and 32-bit kinds, the signed 16- and 32-bit kinds, single and double
// floats, and text (StrToValue answers floats as '.' texts; RawToValue answers "NAN").
class TVmbValue {
public:
  enum class TKind { Null, Byte, Word, LongWord, SmallInt, Integer, Single, Double, String };

  TVmbValue() = default;
  static TVmbValue Byte(uint8_t v) { return TVmbValue(Store(std::in_place_index<1>, v)); }
  static TVmbValue Word(uint16_t v) { return TVmbValue(Store(std::in_place_index<2>, v)); }
  static TVmbValue LongWord(uint32_t v) { return TVmbValue(Store(std::in_place_index<3>, v)); }
  static TVmbValue SmallInt(int16_t v) { return TVmbValue(Store(std::in_place_index<4>, v)); }
  static TVmbValue Integer(int32_t v) { return TVmbValue(Store(std::in_place_index<5>, v)); }
  static TVmbValue Single(float v) { return TVmbValue(Store(std::in_place_index<6>, v)); }
  static TVmbValue Double(double v) { return TVmbValue(Store(std::in_place_index<7>, v)); }
  static TVmbValue Text(std::string v) { return TVmbValue(Store(std::in_place_index<8>, std::move(v))); }

  TKind Kind() const { return static_cast<TKind>(FValue.index()); }
  bool IsNull() const { return Kind() == TKind::Null; }
  bool IsText() const { return Kind() == TKind::String; }
  bool IsOrdinal() const;  // one of the five integer kinds
  bool IsFloat() const;    // single or double

  // Only for the kind held (checked by the caller through Kind()).
  int64_t AsOrdinal() const;
  double AsFloat() const;
  const std::string& AsText() const { return std::get<8>(FValue); }

  // The variant's ordinary text form: integers in decimal, floats in the runtime's general
  // format with the process-wide decimal separator, Null as an empty text.
  std::string DisplayText() const;
  // The same value written the library's way: floats with '.', so that a test for '.' or a
  // '.'-decimal parse of this text never depends on the process separator.
  std::string LibraryText() const;

  bool operator==(const TVmbValue&) const = default;

private:
  using Store =
      std::variant<std::monostate, uint8_t, uint16_t, uint32_t, int16_t, int32_t, float, double, std::string>;
  explicit TVmbValue(Store v) : FValue(std::move(v)) {}
  Store FValue;
};

// What the engines read of a parameter's description.
struct TVmbParamDescr {
  std::function<int32_t(const std::string&)> OnConvert;  // used by ConvertByCallback
  uint8_t ByteOrder = 0;   // 1: "Motorola" (most significant byte first); else "Intel"
  int32_t Precision = 15;  // significant digits of floating-point display
};

inline constexpr std::array<std::string_view, 2> VmbByteOrderNames = {"Intel", "Motorola"};
inline constexpr std::array<std::string_view, 4> VmbKindNames = {"STANDARD", "BOOLEAN", "SELECT", "POINTER"};
// Parameter kinds of device definitions and the engine type each one uses.
inline constexpr int VmbParamKindCount = 21;
extern const std::array<std::string_view, VmbParamKindCount> VmbParamKindIdents;
extern const std::array<std::string_view, VmbParamKindCount> VmbParamKindEngines;
// The shared Boolean words, used when a parameter gives no option list of its own.
extern const std::array<std::string_view, 4> VmbFalseWords;
extern const std::array<std::string_view, 4> VmbTrueWords;

class TVmbEngine;

// A class reference: what the registry keeps of an engine class.
struct TVmbEngineClass {
  std::string_view TypeName;
  char TypeLetter;
  std::unique_ptr<TVmbEngine> (*Create)();
};

class TVmbEngine {
public:
  TVmbEngine() : TVmbEngine(' ') {}
  virtual ~TVmbEngine() = default;
  TVmbEngine(const TVmbEngine&) = delete;
  TVmbEngine& operator=(const TVmbEngine&) = delete;

  static const TVmbEngineClass& ClassInfo();

  char Letter;
  int32_t ByteSize = 0;
  int32_t RegCount = 0;
  int32_t Kind = 0;  // index into VmbKindNames
  std::string SelectText;
  bool IsInteger = false;
  bool IsFloat = false;
  int32_t MaxValue = 0;
  int32_t MinValue = 0;

  // Text to value. None of them raises: a failure answers false with the message.
  virtual bool StrToBoolValue(const TVmbParamDescr& d, const std::string& text, std::string& msg,
                              TVmbValue& value, const std::string& selectText);
  virtual bool SelectTextToIndex(const TVmbParamDescr& d, const std::string& text, std::string& msg,
                                 TVmbValue& value, const std::string& selectText);
  virtual bool StrToValue(const TVmbParamDescr& d, const std::string& text, std::string& msg,
                          TVmbValue& value, const std::string& selectText);
  virtual bool ConvertByCallback(const TVmbParamDescr& d, const std::string& text, std::string& msg,
                                 TVmbValue& value, const std::string& selectText);
  // Value to text.
  virtual std::string BoolValueToStr(const TVmbValue& value, const std::string& selectText);
  virtual std::string IndexToSelectText(const TVmbValue& value, const std::string& selectText);
  virtual std::string ValueToStr(const TVmbParamDescr& d, const TVmbValue& value,
                                 const std::string& displayFormat);
  // The class of this engine: its type name and letter.
  virtual const TVmbEngineClass& Class() const { return ClassInfo(); }
  std::string_view TypeName() const { return Class().TypeName; }
  char TypeLetter() const { return Class().TypeLetter; }
  // Value to raw bytes and back; raw must hold at least ByteSize bytes (EVmbError otherwise).
  // The base engine stores and loads nothing.
  virtual void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& value);
  virtual TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw);
  virtual std::string GetSelectText() const;
  virtual bool SameValueText(const std::string& a, const std::string& b) const { return a == b; }

  bool IsBoolean() const { return Kind == 1; }
  bool IsSelect() const { return Kind == 2; }

  // The display list: first ';'-group of the given text (or SelectText), split at '|'; fewer
  // than two options give "OFF", "ON".
  std::vector<std::string> SelectList(const std::string& selectText) const;
  // The Boolean word lists of the given text (or SelectText), or the shared words when both
  // are empty.
  void BoolWordLists(const std::string& selectText, std::vector<std::string>& falseWords,
                     std::vector<std::string>& trueWords) const;

  static uint32_t Swap32(uint32_t v);
  void Put16(const TVmbParamDescr& d, std::span<uint8_t> raw, uint16_t v) const;
  void Put32(const TVmbParamDescr& d, std::span<uint8_t> raw, uint32_t v) const;
  uint16_t Get16(const TVmbParamDescr& d, std::span<const uint8_t> raw) const;
  uint32_t Get32(const TVmbParamDescr& d, std::span<const uint8_t> raw) const;

  // '.'-decimal first, then ','; false when neither reads the whole text as a finite number.
  [[nodiscard]] static bool TryTextToFloat(std::string_view text, double& out);
  // The number written with the library's '.' settings.
  static std::string FloatToText(double v);

protected:
  explicit TVmbEngine(char letter) : Letter(letter) {}
  // The value as an integer, taken through 64 bits (texts may be decimal, "$" hexadecimal or
  // a number that rounds half to even). Raises "Blad formatu zmiennej" when there is none.
  static int64_t IntegerOf(const TVmbValue& value);
  void CheckRaw(size_t size) const;
};

class TVmbByteType : public TVmbEngine {
public:
  TVmbByteType();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

class TVmbWordType : public TVmbEngine {
public:
  TVmbWordType();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

class TVmbDWordType : public TVmbEngine {
public:
  TVmbDWordType();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

class TVmbInt16Type : public TVmbEngine {
public:
  TVmbInt16Type();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  std::string ValueToStr(const TVmbParamDescr& d, const TVmbValue& value,
                         const std::string& displayFormat) override;
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

class TVmbInt32Type : public TVmbEngine {
public:
  TVmbInt32Type();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

class TVmbUniFloatType : public TVmbEngine {
public:
  TVmbUniFloatType() : TVmbUniFloatType(' ') {}
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  std::string ValueToStr(const TVmbParamDescr& d, const TVmbValue& value,
                         const std::string& displayFormat) override;

protected:
  explicit TVmbUniFloatType(char letter);
};

class TVmbFloatType : public TVmbUniFloatType {
public:
  TVmbFloatType();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

class TVmbDFloatType : public TVmbUniFloatType {
public:
  TVmbDFloatType();
  static const TVmbEngineClass& ClassInfo();
  const TVmbEngineClass& Class() const override { return ClassInfo(); }
  void ValueToRaw(const TVmbParamDescr& d, std::span<uint8_t> raw, const TVmbValue& v) override;
  TVmbValue RawToValue(const TVmbParamDescr& d, std::span<const uint8_t> raw) override;
};

// The list of engine classes, in registration order.
class TVmbEngines {
public:
  void Register(const TVmbEngineClass& cls) { FItems.push_back(&cls); }
  size_t Count() const { return FItems.size(); }
  const TVmbEngineClass& Item(size_t i) const { return *FItems.at(i); }
  // First class of that type name (letter case ignored) or type letter; nullptr when none.
  const TVmbEngineClass* FindByTypeName(std::string_view name) const;
  const TVmbEngineClass* FindByLetter(char letter) const;

private:
  std::vector<const TVmbEngineClass*> FItems;
};

// Settings made at start-up for the library's clients; no engine reads them.
struct TVmbSettings {
  int32_t Flag = 1;
  std::string DefaultTypeName1 = "WORD";
  std::string DefaultTypeName2 = "WORD";
};

// The registry and settings exist between VmbEnginesInitialize and VmbEnginesFinalize (library
// start-up); the accessors raise EVmbError outside that time.
void VmbEnginesInitialize();
void VmbEnginesFinalize();
TVmbEngines& VmbEngines();
TVmbSettings& VmbSettings();

// Free helpers.
void SplitText(std::string_view text, std::vector<std::string>& list, char delimiter);
std::string ByteToBinText(uint8_t b);
std::string IntToBinText(int64_t v, int byteCount);
// DFLOAT: high 16 bits a signed mantissa m, low 16 bits a signed exponent e; m / 32768 * 2^e.
// DFloatToRaw raises "Blad formatu zmiennej" for a NaN, an infinity or a number beyond single
// range; RawToDFloat answers a quiet NaN when the number overflows.
uint32_t DFloatToRaw(double x);
double RawToDFloat(uint32_t r);
