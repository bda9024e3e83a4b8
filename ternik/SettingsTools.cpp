#include "ternik/SettingsTools.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <limits>

#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SerialPort.h"
#include "platform/SysUtil.h"
#include "ternik/LangUnit.h"
#include "ternik/VmBase.h"
#include "ternik/XmlLight/WbStrUtils.h"

// ---------------------------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------------------------

const std::array<TSettMessage, 28> SettingsToolsMessages = {{
    {"TXT001", "Brak danych dla nastawy "_cp},
    {"TXT002", "Wartość jest mniejsza od minimum dla nastawy"_cp},
    {"TXT003", "Wartość jest większa od maximum dla nastawy"_cp},
    {"TXT004", "Wartość nie jest liczbą rzeczywistą dla nastawy"_cp},
    {"TXT005", "Wartość nie jest liczbą całkowitą dla nastawy"_cp},
    {"TXT006", "Nieprawidłowa wartość dla nastawy"_cp},
    {"TXT007", "Maksymalna ilość znaków to"_cp},
    {"TXT008", "Podany ciąg nie jest adresem IP dla nastawy"_cp},
    {"TXT009", "Nie istnieje port komunikacyjny o numerze"_cp},
    {"TXT010", "Nie znany typ danych"_cp},
    {"TXT011", "Brak nastawy"_cp},
    {"TXT012", "Zmiana wartości nastawy"_cp},
    {"TXT013", "z"_cp},
    {"TXT014", "na"_cp},
    {"TXT015", "Urządzenie nie posiada nastawy"_cp},
    {"TXT016", "Urządzenie nie posiada grupy nastaw"_cp},
    {"TXT017", "Wprowadzono nastawę"_cp},
    {"TXT018", "Nie znana nastawa"_cp},
    {"TXT019", "Porównywany plik nie jest plikiem konfiguracji."_cp},
    {"TXT020", "Data utworzenia raportu"_cp},
    {"TXT021", "Data utworzenia pliku konfiguracji"_cp},
    {"TXT022", "Data ostatniej zmiany konfiguracji"_cp},
    {"TXT023", "Typ urządzenia"_cp},
    {"TXT024", "ID urządzenia"_cp},
    {"TXT025", "Język"_cp},
    {"TXT026", "Obcięcie napisu '%s' do '%s'"_cp},
    {"TXT027", "Niewłaściwy zapis daty/godziny"_cp},
    {"TXT028_s", "Plik nie istnieje %s"_cp},
}};

namespace {

TXLangGroup* GSettingsToolsGroup = nullptr;
std::string GSerialPortClassDir = "/sys/class/tty";

// A message followed by ":" and the item's path, the form most checks report.
std::string AtPath(std::string_view key, const std::string& path) { return SettTranslate(key) + ":" + path; }

bool IsNanText(std::string_view text)
{
  const std::string upper = CpUpperCase(text);
  if (upper.find("INF") != std::string::npos)
    return true;
  // Not-a-number as the platform writes it, so a value stored from NaN reads back as one.
  size_t b = 0, e = upper.size();
  while (b < e && upper[b] == ' ')
    ++b;
  while (e > b && upper[e - 1] == ' ')
    --e;
  return upper.compare(b, e - b, "NAN") == 0;
}

std::string Trimmed(std::string_view text)
{
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
    --e;
  return std::string(text.substr(b, e - b));
}

// Not-a-number is written as "INF", the marker the files use for it.
std::string FloatToFileText(double value)
{
  return std::isnan(value) ? std::string("INF") : XmlFloatToStr(value);
}

// The runtime's text-to-Boolean: a number (0 is false) or the words True/False.
bool TextToBool(std::string_view text) { return StrToBool(text, UtilityFormat().DecimalSeparator); }

}  // namespace

std::string SubstituteS(std::string_view pattern, std::initializer_list<std::string_view> args)
{
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char d = pattern[i + 1];
      if (d == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (d == 's' && next != args.end()) {
        out += *next++;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

std::string SettTranslate(std::string_view key)
{
  if (GSettingsToolsGroup)
    return GSettingsToolsGroup->Translate(key);
  for (const TSettMessage& m : SettingsToolsMessages)
    if (SameFoldedName(m.Key, key))
      return std::string(m.DefaultText);
  return "!!Not found in dictionary:SettingsTools\\" + std::string(key);
}

TXLangGroup* SettingsToolsGroup() { return GSettingsToolsGroup; }

// ---------------------------------------------------------------------------------------------
// Lists and ports
// ---------------------------------------------------------------------------------------------

std::string GetListItem(std::string_view list, int index)
{
  std::vector<std::string> items;
  SplitToStrings(list, items, '|');
  if (index < 0 || static_cast<size_t>(index) >= items.size())
    return {};
  return items[static_cast<size_t>(index)];
}

int IndexInList(std::string_view list, std::string_view text)
{
  std::vector<std::string> items;
  SplitToStrings(list, items, '|');
  for (size_t i = 0; i < items.size(); ++i)
    if (CpSameText(items[i], text))
      return static_cast<int>(i);
  return -1;
}

int FindInList(std::string_view list, std::string_view text, bool ignoreCase, bool allowPartial)
{
  std::vector<std::string> items;
  SplitToStrings(list, items, '|');
  std::string key(text);
  if (ignoreCase) {
    key = CpUpperCase(key);
    for (auto& s : items)
      s = CpUpperCase(s);
  }
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == key)
      return static_cast<int>(i);
  if (!allowPartial)
    return -1;
  // Only an unambiguous partial match counts; two candidates in a pass settle it as none.
  auto onlyOne = [&](auto matches) {
    int found = -1;
    for (size_t i = 0; i < items.size(); ++i) {
      if (!matches(items[i]))
        continue;
      if (found >= 0)
        return -2;
      found = static_cast<int>(i);
    }
    return found;
  };
  int r = onlyOne([&](const std::string& s) { return s.compare(0, key.size(), key) == 0; });
  if (r == -2)
    return -1;
  if (r >= 0)
    return r;
  r = onlyOne([&](const std::string& s) { return s.find(key) != std::string::npos; });
  return r < 0 ? -1 : r;
}

void SetSerialPortClassDir(const std::string& dir) { GSerialPortClassDir = dir; }
const std::string& SerialPortClassDir() { return GSerialPortClassDir; }

void GetSerialPorts(std::vector<std::string>& list)
{
  list.clear();
  bool ok = false;
  const std::vector<std::string> devices = ListSerialDevices(GSerialPortClassDir, ok);
  constexpr std::string_view prefix = "/dev/ttyS";
  for (const std::string& d : devices) {
    if (d.size() <= prefix.size() || d.compare(0, prefix.size(), prefix) != 0)
      continue;
    const std::string_view digits = std::string_view(d).substr(prefix.size());
    if (digits.size() > 6 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    int32_t n = 0;
    if (!TryStrToInt(digits, n))
      continue;
    list.push_back("COM" + IntToStr(int64_t{n} + 1));
  }
  std::sort(list.begin(), list.end(),
            [](const std::string& a, const std::string& b) { return CpCompareText(a, b) < 0; });
}

bool PortExists(int32_t number)
{
  std::vector<std::string> ports;
  GetSerialPorts(ports);
  const std::string name = "COM" + IntToStr(number);
  return std::any_of(ports.begin(), ports.end(), [&](const std::string& p) { return CpSameText(p, name); });
}

// ---------------------------------------------------------------------------------------------
// TBaseXCfgTool
// ---------------------------------------------------------------------------------------------

std::string TBaseXCfgTool::Path() const { return FItem->GetPath(); }

std::string TBaseXCfgTool::GetDisplayText() { return FItem->GetItemText(); }

bool TBaseXCfgTool::CheckText(std::string& text, std::string& message)
{
  (void)text;
  message = SettTranslate("TXT010");
  return false;
}

bool TBaseXCfgTool::GetAsBoolean() { return false; }
void TBaseXCfgTool::SetAsBoolean(bool value) { FItem->SetValueText(value ? "1" : "0"); }
bool TBaseXCfgTool::GetDefaultAsBoolean() { return false; }
std::string TBaseXCfgTool::GetValueText() { return FItem->GetValueOrDefault(); }

TDateTime TBaseXCfgTool::GetAsDateTime()
{
  return CmtrStrToDateTime(FItem->GetValueOrDefault(), CmtrFormatDayFirst);
}

void TBaseXCfgTool::SetAsDateTime(TDateTime value)
{
  FItem->SetValueText(DateTimeToCmtrStr(CmtrFormatDayFirst, value));
}

void TBaseXCfgTool::SetText(const std::string& text) { FItem->SetValueText(text); }
void TBaseXCfgTool::SetAsFloat(double value) { FItem->SetValueText(FloatToStr(value, UtilityFormat())); }
void TBaseXCfgTool::SetAsInteger(int64_t value) { FItem->SetValueText(IntToStr(value)); }

double TBaseXCfgTool::GetDefaultAsFloat()
{
  double x = 0;
  return TryTextToFloat(FItem->DefValueText(), x) ? x : 0;
}

std::string TBaseXCfgTool::GetItemText() { return FItem->GetItemText(); }
std::string TBaseXCfgTool::GetDefaultText() { return FItem->DefValueText(); }
void TBaseXCfgTool::SetLanguage(const std::string& language) { (void)language; }
std::string TBaseXCfgTool::GetText() { return GetValueText(); }

bool TBaseXCfgTool::SetTextUnchecked(const std::string& text, std::string& message)
{
  (void)message;
  SetText(text);
  return true;
}

bool TBaseXCfgTool::CheckCurrent(std::string& text, std::string& message)
{
  text = FItem->GetItemText();
  return CheckText(text, message);
}

bool TBaseXCfgTool::TryTextToFloat(std::string_view text, double& value)
{
  return TryStrToFloat(text, value, '.') || TryStrToFloat(text, value, ',');
}

double TBaseXCfgTool::TextToFloatDef(std::string_view text, double def)
{
  if (IsNanText(text))
    return std::numeric_limits<double>::quiet_NaN();
  double x = 0;
  return TryTextToFloat(text, x) ? x : def;
}

// ---------------------------------------------------------------------------------------------
// Bool
// ---------------------------------------------------------------------------------------------

bool TBoolXCfgTool::CheckText(std::string& text, std::string& message)
{
  (void)message;  // an unrecognised word leaves the caller's message as it was
  bool value = false;
  int pair = 0;
  if (!XmlStrToBool(text, value, pair, false))
    return false;
  text = value ? "1" : "0";
  return true;
}

bool TBoolXCfgTool::GetAsBoolean() { return TextToBool(Item().GetValueOrDefault()); }
bool TBoolXCfgTool::GetDefaultAsBoolean() { return TextToBool(Item().DefValueText()); }
void TBoolXCfgTool::SetAsBoolean(bool value) { Item().SetValueText(value ? "1" : "0"); }
std::string TBoolXCfgTool::GetValueText() { return GetAsBoolean() ? "1" : "0"; }

std::string TBoolXCfgTool::GetText()
{
  return GetAsBoolean() ? Item().ReadAttribDef("HIGH_STR", "TAK") : Item().ReadAttribDef("LOW_STR", "NIE");
}

bool TBoolXCfgTool::SetTextUnchecked(const std::string& text, std::string& message)
{
  const std::string lowWord = Item().ReadAttribDef("LOW_STR", "NIE");
  const std::string highWord = Item().ReadAttribDef("HIGH_STR", "TAK");
  const std::string t = CpLowerCase(text);
  auto begins = [&](const std::string& word) {
    const std::string w = CpLowerCase(word);
    return !t.empty() && w.compare(0, t.size(), t) == 0;
  };
  if (begins(lowWord)) {
    SetAsBoolean(false);
    return true;
  }
  if (begins(highWord)) {
    SetAsBoolean(true);
    return true;
  }
  message = SubstituteS("%s not a bool value, allowed values: %s,%s", {t, lowWord, highWord});
  return false;
}

// ---------------------------------------------------------------------------------------------
// Int and float
// ---------------------------------------------------------------------------------------------

namespace {

// A bound given as an integer text; false when it is none.
bool IntBound(const TSettItem& item, std::string_view name, const char* def, int32_t& value)
{
  return TryStrToInt(item.ReadAttribDef(name, def), value);
}

}  // namespace

bool TIntXCfgTool::CheckText(std::string& text, std::string& message)
{
  text = Trimmed(text);
  const TSettItem& item = Item();
  const bool hasMin = item.FindAttrib("MIN") != nullptr;
  const bool hasMax = item.FindAttrib("MAX") != nullptr;
  int32_t lo = -1000, hi = 1000;
  auto fail = [&] {
    text = "0";
    message = AtPath("TXT005", Path());
    return false;
  };
  if ((hasMin && !IntBound(item, "MIN", "0", lo)) || (hasMax && !IntBound(item, "MAX", "100", hi)))
    return fail();
  int32_t value = 0;
  if (!TryStrToInt(text, value)) {
    double x = 0;
    if (!TryTextToFloat(text, x))
      return fail();
    // A fraction stands for a position between the bounds, read from -1 upwards.
    const double scaled = double(lo) + (double(hi) - double(lo)) * (x + 1);
    if (!TryRoundToInt32(scaled, value))
      return fail();
    text = IntToStr(value);
  }
  bool ok = true;
  if (hasMin && value < lo) {
    text = IntToStr(lo);
    message = AtPath("TXT002", Path());
    ok = false;
  }
  if (hasMax && value > hi) {
    text = IntToStr(hi);
    message = AtPath("TXT003", Path());
    ok = false;
  }
  return ok;
}

bool TFloatXCfgTool::CheckText(std::string& text, std::string& message)
{
  text = Trimmed(text);
  // A not-a-number value read from the file stays as it is; it has no place in the bounds.
  if (IsNanText(text))
    return true;
  double x = 0;
  if (!TryTextToFloat(text, x)) {
    text = "0";
    message = AtPath("TXT004", Path());
    return false;
  }
  const TSettItem& item = Item();
  bool ok = true;
  if (const TAttribItem* a = item.FindAttrib("MIN")) {
    const double lo = TextToFloatDef(a->Value(), -100);
    if (x < lo) {
      text = FloatToStr(lo, UtilityFormat());
      message = AtPath("TXT002", Path());
      ok = false;
    }
  }
  if (const TAttribItem* a = item.FindAttrib("MAX")) {
    const double hi = TextToFloatDef(a->Value(), 100);
    if (x > hi) {
      text = FloatToStr(hi, UtilityFormat());
      message = AtPath("TXT003", Path());
      ok = false;
    }
  }
  if (ok)
    text = FloatToStr(x, UtilityFormat());
  return ok;
}

std::string TFloatXCfgTool::GetDisplayText()
{
  return FloatToFileText(TextToFloatDef(Item().GetItemText(), 0));
}

std::string TFloatXCfgTool::GetItemText()
{
  const std::string t = Item().GetItemText();
  return t.empty() ? t : FloatToFileText(TextToFloatDef(t, 0));
}

std::string TFloatXCfgTool::GetDefaultText()
{
  const std::string& t = Item().DefValueText();
  return t.empty() ? t : FloatToFileText(TextToFloatDef(t, 0));
}

// ---------------------------------------------------------------------------------------------
// Str, select, IP, comm nr, date-time, file name
// ---------------------------------------------------------------------------------------------

bool TStrXCfgTool::CheckText(std::string& text, std::string& message)
{
  const int32_t maxLen = Item().ReadAttribIntDef("MAX", 16);
  const size_t keep = maxLen < 0 ? 0 : static_cast<size_t>(maxLen);
  if (text.size() <= keep)
    return true;
  message = Path() + ":" + SettTranslate("TXT007") + IntToStr(maxLen);
  text.resize(keep);
  return false;
}

bool TSelectXCfgTool::CheckText(std::string& text, std::string& message)
{
  const std::string items = Item().ReadAttribDef("ITEMS", "");
  const int i = IndexInList(items, text);
  text = GetListItem(items, i);
  if (i >= 0)
    return true;
  message = AtPath("TXT006", Path());
  return false;
}

std::string TSelectXCfgTool::DisplayList() const
{
  const std::string descr = Item().ReadAttribDef("ITEMDESCR", "");
  return descr.empty() ? Item().ReadAttribDef("ITEMS", "") : descr;
}

int TSelectXCfgTool::GetIndex()
{
  std::string text, message;
  if (CheckCurrent(text, message))
    return IndexInList(Item().ReadAttribDef("ITEMS", ""), text);
  MarkRootError(Item());
  Item().ReportError(message + "\\e");
  return 0;
}

std::string TSelectXCfgTool::GetText()
{
  const int i = GetIndex();
  return i < 0 ? std::string() : GetListItem(DisplayList(), i);
}

bool TSelectXCfgTool::SetTextUnchecked(const std::string& text, std::string& message)
{
  const int i = FindInList(DisplayList(), text, true, true);
  if (i < 0) {
    message = AtPath("TXT006", Path());
    return false;
  }
  SetText(GetListItem(Item().ReadAttribDef("ITEMS", ""), i));
  return true;
}

void TSelectXCfgTool::SetLanguage(const std::string& language)
{
  const std::string descr = Item().ReadAttribDef("ITEMDESCR", "");
  if (descr.empty())
    return;
  std::bitset<256> keep;
  keep.set('|');  // every entry ends a language section
  const std::string filtered = FilterLangText(language, keep, descr);
  Item().WriteOrDeleteAttrib("ITEMDESCR", filtered.empty(), filtered);
}

bool TIpXCfgTool::CheckText(std::string& text, std::string& message)
{
  uint32_t address = 0;
  if (StrToIpAddr(text, address))
    return true;
  text = "0.0.0.0";
  message = AtPath("TXT008", Path());
  return false;
}

bool TCommNrXCfgTool::CheckText(std::string& text, std::string& message)
{
  int32_t n = 0;
  if (TryStrToInt(text, n) && PortExists(n))
    return true;
  message = SettTranslate("TXT009") + ":" + text;
  return false;
}

bool TDateTimeXCfgTool::CheckText(std::string& text, std::string& message)
{
  TDateTime value = 0;
  std::string parserMessage;
  if (!TryCmtrStrToDateTime(text, value, parserMessage, CmtrFormatDayFirst)) {
    message = parserMessage + ":" + Path();
    return false;
  }
  try {
    text = DateTimeToCmtrStr(CmtrFormatDayFirst, value);
  } catch (const ECmtrDateTime& e) {
    message = std::string(e.what()) + ":" + Path();
    return false;
  }
  return true;
}

bool TFileNameXCfgTool::CheckText(std::string& text, std::string& message)
{
  if (FileExists(text))
    return true;
  message = SubstituteS(SettTranslate("TXT028_s"), {text});
  return false;
}

// ---------------------------------------------------------------------------------------------
// Start-up
// ---------------------------------------------------------------------------------------------

void SettingsToolsInitialize()
{
  RegisterNodeClass(TSettItem::StaticClass(), 0);
  RegisterNodeClass(TSettGroup::StaticClass(), 0);
  TXLangGroup& g = LangDictionary().AddGroup("SettingsTools");
  for (const TSettMessage& m : SettingsToolsMessages)
    g.AddItem(std::string(m.Key), std::string(m.DefaultText));
  GSettingsToolsGroup = &g;
}

void SettingsToolsFinalize() { GSettingsToolsGroup = nullptr; }
