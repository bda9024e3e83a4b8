// Settings files: groups ("GROUP") and items ("ITEM") read from the library's XML, each item
// with a type word, a value and a default, and a value tool chosen by the type that checks,
// repairs and converts the texts. Two group trees compare item by item.
//
// Messages come from the dictionary group "SettingsTools". Texts are Windows-1250 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "ternik/XmlLight/ObjectYUnit.h"

class TSettItem;
class TSettGroup;
class TXLangGroup;

// ---------------------------------------------------------------------------------------------
// Value tools
// ---------------------------------------------------------------------------------------------

// The base tool serves the kinds without a check of their own ("?", DATE, TIME): every check
// fails with "Nie znany typ danych". The tools keep no state: each reads the owning item's
// attributes whenever it needs them.
class TBaseXCfgTool {
public:
  explicit TBaseXCfgTool(TSettItem& item) : FItem(&item) {}
  virtual ~TBaseXCfgTool() = default;
  TBaseXCfgTool(const TBaseXCfgTool&) = delete;
  TBaseXCfgTool& operator=(const TBaseXCfgTool&) = delete;

  TSettItem& Item() const { return *FItem; }

  // The value tool's operations in their fixed order.
  virtual std::string GetDisplayText();
  // Checks a text typed by a user; text may be repaired, message says what was wrong.
  virtual bool CheckText(std::string& text, std::string& message);
  virtual bool GetAsBoolean();
  virtual void SetAsBoolean(bool value);
  virtual bool GetDefaultAsBoolean();
  virtual std::string GetValueText();
  // Raises ECmtrDateTime when the value text is no date-time.
  virtual TDateTime GetAsDateTime();
  virtual void SetAsDateTime(TDateTime value);
  virtual void SetText(const std::string& text);
  virtual void SetAsFloat(double value);
  virtual void SetAsInteger(int64_t value);
  virtual double GetDefaultAsFloat();
  // The texts written as VALUE and DEFVALUE.
  virtual std::string GetItemText();
  virtual std::string GetDefaultText();
  virtual void SetLanguage(const std::string& language);
  // The text shown to a user, and setting the value from such a text.
  virtual std::string GetText();
  virtual bool SetTextUnchecked(const std::string& text, std::string& message);

  // The item's text, checked (and repaired in text).
  bool CheckCurrent(std::string& text, std::string& message);

  // A number with '.' or ',' as decimal separator.
  [[nodiscard]] static bool TryTextToFloat(std::string_view text, double& value);
  // TryTextToFloat, or def; a text holding "INF", or the platform's "NAN", is not-a-number.
  static double TextToFloatDef(std::string_view text, double def);

protected:
  // The item's path, as every message names it.
  std::string Path() const;

private:
  TSettItem* FItem;
};

class TBoolXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
  // Raise EConvertError when the text is no Boolean.
  bool GetAsBoolean() override;
  bool GetDefaultAsBoolean() override;
  void SetAsBoolean(bool value) override;
  std::string GetValueText() override;
  std::string GetText() override;
  bool SetTextUnchecked(const std::string& text, std::string& message) override;
};

class TBaseMinMaxXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
};

class TIntXCfgTool : public TBaseMinMaxXCfgTool {
public:
  using TBaseMinMaxXCfgTool::TBaseMinMaxXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
};

class TFloatXCfgTool : public TBaseMinMaxXCfgTool {
public:
  using TBaseMinMaxXCfgTool::TBaseMinMaxXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
  std::string GetDisplayText() override;
  std::string GetItemText() override;
  std::string GetDefaultText() override;
};

class TStrXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
};

class TSelectXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
  std::string GetText() override;
  bool SetTextUnchecked(const std::string& text, std::string& message) override;
  void SetLanguage(const std::string& language) override;
  // Position of the current value in ITEMS; an invalid value is reported and gives 0.
  int GetIndex();
  // ITEMDESCR, or ITEMS when there is no description.
  std::string DisplayList() const;
};

class TIpXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
};

class TCommNrXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
};

class TDateTimeXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
};

class TFileNameXCfgTool : public TBaseXCfgTool {
public:
  using TBaseXCfgTool::TBaseXCfgTool;
  bool CheckText(std::string& text, std::string& message) override;
};

// ---------------------------------------------------------------------------------------------
// '|'-separated lists, ports and messages
// ---------------------------------------------------------------------------------------------

// The entry at index, or empty outside 0..count-1.
std::string GetListItem(std::string_view list, int index);
// Position of the entry equal to text (letter case ignored), or -1.
int IndexInList(std::string_view list, std::string_view text);
// An equal entry first; with allowPartial then the only entry beginning with text, then the
// only entry containing it. Two candidates in a pass give -1 at once.
int FindInList(std::string_view list, std::string_view text, bool ignoreCase, bool allowPartial);

// Serial ports as "COM" + number, sorted as texts: /dev/ttyS(n-1) is COMn; ports with other
// device names have no such name and are not listed. An unreadable port folder gives none.
void GetSerialPorts(std::vector<std::string>& list);
bool PortExists(int32_t number);
// The sysfs tty class folder the port list is read from ("/sys/class/tty"; tests set their own).
void SetSerialPortClassDir(const std::string& dir);
const std::string& SerialPortClassDir();

// Fills each "%s" of pattern with the next argument ("%%" is one "%"; anything else, and a
// "%s" without an argument left, is copied as it stands). Patterns may come from a dictionary
// file, so nothing here interprets them the way printf would.
std::string SubstituteS(std::string_view pattern, std::initializer_list<std::string_view> args);

// The message of key in the "SettingsTools" group; the default text when the dictionary does
// not hold the group (the library not started).
std::string SettTranslate(std::string_view key);

struct TSettMessage {
  std::string_view Key;
  std::string_view DefaultText;  // Windows-1250
};
extern const std::array<TSettMessage, 28> SettingsToolsMessages;
TXLangGroup* SettingsToolsGroup();

// ---------------------------------------------------------------------------------------------
// Items and groups
// ---------------------------------------------------------------------------------------------

enum : uint8_t {
  SK_UNKNOWN = 0,
  SK_BOOL = 1,
  SK_INT = 2,
  SK_FLOAT = 3,
  SK_STR = 4,
  SK_SELECT = 5,
  SK_IP = 6,
  SK_COM_NR = 7,
  SK_DATE = 8,
  SK_TIME = 9,
  SK_DATE_TIME = 10,
  SK_FILE_NAME = 11,
};
inline constexpr std::array<std::string_view, 12> SettTypeWords = {
    "?", "BOOL", "INT", "FLOAT", "STR", "SELECT", "IP", "COM_NR", "DATE", "TIME", "DATE_TIME", "FILE_NAME"};
// Exact comparison; a word that is no type word gives 0.
uint8_t SettKindFromWord(std::string_view word);
// A new tool for kind (kinds without a tool of their own get the base tool).
std::unique_ptr<TBaseXCfgTool> NewSettTool(uint8_t kind, TSettItem& item);

// Number display formats offered to clients (identifier, pattern).
inline constexpr std::array<std::string_view, 15> SettDisplayFormatIds = {
    "AUTO",   "mX_XXX", "mXX_XX", "mXXX_X", "X_XXX",  "XX_XX",  "XXX_X", "XXXX",
    "kX_XXX", "kXX_XX", "kXXX_X", "kXXXX",  "MX_XXX", "MXX_XX", "MXXX_X"};
inline constexpr std::array<std::string_view, 15> SettDisplayFormats = {
    "AUTO",    "X.XXX m", "XX.XX m", "XXX.X m", "X.XXX",   "XX.XX",   "XXX.X",  "XXXX",
    "X.XXX k", "XX.XX k", "XXX.X k", "XXXX k",  "X.XXX M", "XX.XX M", "XXX.X M"};

class TSttObject : public TYObject {
public:
  TSttObject(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TYObject(parent, name, onError)
  {}
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }

  void FillAttribs() override;
  void ExecAttrib(const std::string& name, const std::string& value) override;
  void SetLanguage(const std::string& language) override;

  // An item: its value differs from the text it was loaded with. A group: any object below
  // it is modified, so a change deep in the tree shows at the root and a change back clears
  // it again (worked out when asked, so a load of many items settles nothing item by item).
  virtual bool Modified() const { return false; }

  std::string Descr;
  std::string ShortDescr;
  std::string Source;
};

// One line of a group comparison, with the object it is about (null for a ";MORE" line).
struct TSettCompareLine {
  std::string Text;
  TSttObject* Object = nullptr;
};

class TSettItem : public TSttObject {
public:
  TSettItem(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError);
  ~TSettItem() override;
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }

  void FillAttribs() override;
  void ExecAttrib(const std::string& name, const std::string& value) override;
  void AfterLoad() override;
  void SetLanguage(const std::string& language) override;

  bool Modified() const override { return FModified; }
  void SetModified(bool modified) { FModified = modified; }

  uint8_t Kind() const { return FKind; }
  void SetKind(uint8_t kind);
  // The TYPE word written back: the table's word of the kind, or the word as read when it
  // was none of them.
  const std::string& TypeWord() const { return FTypeWord; }
  TBaseXCfgTool& Tool() const { return *FTool; }

  void SetValueText(const std::string& text);
  void SetDefValueText(const std::string& text);
  const std::string& ValueText() const { return FValueText; }
  const std::string& DefValueText() const { return FDefValueText; }
  const std::string& LoadedValueText() const { return FLoadedValueText; }
  bool HasValue() const { return FHasValue; }
  bool HasDefValue() const { return FHasDefValue; }
  std::string GetValueOrDefault() const;
  // The value, else the default; with neither, the error is marked on the root group and
  // reported, and the text is empty.
  std::string GetItemText();

  // "INF" anywhere (or the platform's "NAN") is not-a-number; else a '.'-decimal number, else def.
  static double TextToFloatDef(std::string_view text, double def);
  static double TextToFloat(std::string_view text) { return TextToFloatDef(text, 0); }

  std::string GetChildDescr() const;
  void SetChildDescr(const std::string& text);
  std::string GetChildShortDescr() const;
  void SetChildShortDescr(const std::string& text);

private:
  std::string LoadText(const std::string& text) const;
  uint8_t FKind = SK_UNKNOWN;
  std::string FTypeWord{SettTypeWords[SK_UNKNOWN]};
  std::unique_ptr<TBaseXCfgTool> FTool;
  std::string FValueText;
  std::string FDefValueText;
  std::string FLoadedValueText;
  bool FModified = false;
  bool FHasValue = false;
  bool FHasDefValue = false;
};

class TSettGroup : public TSttObject {
public:
  TSettGroup(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TSttObject(parent, name, onError)
  {}
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }

  bool Modified() const override;

  TSettGroup* FindGroup(std::string_view name) const;
  TSettItem* FindItem(std::string_view name) const;
  // Appends a named child (tests and clients building trees by code).
  TSettGroup& AddGroup(const std::string& name);
  TSettItem& AddItem(const std::string& name, uint8_t kind);

  // Item by item against other (null: this group is missing there); lines go to list when
  // given. True when nothing differs.
  bool CompareWith(TSettGroup* other, std::vector<TSettCompareLine>* list);
  bool Compare(TLhXMLNode& other, const TCompareReport& report) override;

  bool HasErrors = false;
};

// The root of node, when it is a settings group, gets HasErrors.
void MarkRootError(TLhXMLNode& node);

// Unit start-up: ITEM and GROUP node classes, then the "SettingsTools" dictionary group.
void SettingsToolsInitialize();
void SettingsToolsFinalize();
