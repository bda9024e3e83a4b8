#include "app/values/KivDefs.h"

#include <filesystem>
#include <system_error>

#include "platform/Codepage.h"
#include "platform/IniFile.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"

namespace {

// A definition file is a few kilobytes; anything far larger is not one and is not read
// into memory whole.
constexpr size_t MAX_DEFINITION_FILE = 16u << 20;

const char GLOBAL[] = "GLOBAL";

// Values are kept in the widths of their fields: a larger value keeps its low bits.
uint8_t Low8(uint32_t v) { return uint8_t(v & 0xFFu); }
int8_t Low8Signed(int32_t v) { return int8_t(Low8(uint32_t(v))); }
uint16_t Low16(uint32_t v) { return uint16_t(v & 0xFFFFu); }

std::string ItemKey(int item, const char* suffix) { return "X" + IntToStr(item) + "_" + suffix; }

uint8_t KindOfType(std::string_view word)
{
  const std::string t = CpUpperCase(word);
  if (t == "UN")
    return SettingKind::Un;
  if (t == "Y/N")
    return SettingKind::YesNo;
  if (t == "REAL")
    return SettingKind::Real;
  if (t == "INT")
    return SettingKind::Int;
  return SettingKind::Hex;
}

// Definition files are written with the program's decimal comma, but files edited by hand
// often carry a point; both read as the number they mean.
double ReadBase(const TIniFile& ini, const std::string& section, const std::string& key)
{
  const std::string text = ini.ReadString(section, key, "");
  double v = 0;
  if (TryStrToFloat(text, v, ',') || TryStrToFloat(text, v, '.'))
    return v;
  return 1.0;
}

}  // namespace

const TSettingDef& DefaultSettingDef()
{
  static const TSettingDef def{};
  return def;
}

TSettingDef TSets::GetDef(int n) const
{
  if (n >= 1 && n <= Count())
    return FItems[size_t(n - 1)];
  return DefaultSettingDef();
}

void TSets::SetDef(int n, const TSettingDef& def)
{
  if (n <= 0)
    return;
  if (n > Count()) {
    FItems.resize(size_t(n - 1), DefaultSettingDef());
    FItems.push_back(def);
    return;
  }
  FItems[size_t(n - 1)] = def;
}

std::string TKivDefs::GroupTitle(int n) const
{
  if (n <= 0 || n > GroupCount())
    return {};
  return FGroups[size_t(n - 1)].Title;
}

const TSets* TKivDefs::Group(int n) const
{
  if (n <= 0 || n > GroupCount())
    return nullptr;
  return FGroups[size_t(n - 1)].Sets.get();
}

void TKivDefs::SetGroupTitle(int n, const std::string& title)
{
  if (n <= 0)
    return;
  if (GroupCount() < n) {
    FGroups.resize(size_t(n - 1));
    FGroups.push_back(TGroup{title, nullptr});
    return;
  }
  TGroup& g = FGroups[size_t(n - 1)];
  if (g.Title == title)
    return;
  g.Title = title;
  g.Sets.reset();
}

void TKivDefs::SetItemDef(int group, int item, const TSettingDef& def)
{
  if (group <= 0 || group > GroupCount())
    return;
  TGroup& g = FGroups[size_t(group - 1)];
  if (!g.Sets)
    g.Sets = std::make_unique<TSets>();
  g.Sets->SetDef(item, def);
}

uint16_t TKivDefs::ZnsAddress(int n) const
{
  switch (n) {
  case 1:
    return ZNS1_ADRES;
  case 2:
    return ZNS2_ADRES;
  default:
    return 0;
  }
}

int8_t TKivDefs::Correction(int kind) const
{
  switch (kind) {
  case 1:
    return DI_correction;
  case 2:
    return DO_correction;
  case 3:
    return AI_correction;
  default:
    return 0;
  }
}

bool TKivDefs::LoadFromFile(const std::string& fileName)
{
  if (fileName == FLoadedFileName)
    return true;
  Clear();
  FDefFileName = fileName;

  std::string text;
  std::error_code ec;
  const bool exists = std::filesystem::exists(fileName, ec);
  if (exists && !ReadWholeFile(fileName, text, MAX_DEFINITION_FILE))
    return false;
  TIniFile ini;
  ini.LoadFromString(text);
  ReadIni(ini);
  FLoadedFileName = fileName;
  return true;
}

void TKivDefs::LoadFromText(const std::string& fileName, std::string_view text)
{
  Clear();
  FDefFileName = fileName;
  TIniFile ini;
  ini.LoadFromString(std::string(text));
  ReadIni(ini);
  FLoadedFileName = fileName;
}

void TKivDefs::ReadIni(const TIniFile& ini)
{
  ImplementsSysLogick = ini.ReadInteger(GLOBAL, "ImplementsSysLogick", 0) != 0;
  DI_correction = Low8Signed(ini.ReadInteger(GLOBAL, "DI_correction", -5));
  DO_correction = Low8Signed(ini.ReadInteger(GLOBAL, "DO_correction", 15));
  AI_correction = Low8Signed(ini.ReadInteger(GLOBAL, "AI_correction", -30));
  ZNS_SIZE = ini.ReadInteger(GLOBAL, "ZNS_SIZE", 119);
  ZNS1_ADRES = Low16(uint32_t(ini.ReadInteger(GLOBAL, "ZNS1_ADRES", 2177)));
  ZNS2_ADRES = Low16(uint32_t(ini.ReadInteger(GLOBAL, "ZNS2_ADRES", 2433)));
  ZNS_SEND_STEP = ini.ReadInteger(GLOBAL, "ZNS_SEND_STEP", ZNS_SIZE);
  EV_BUF_FIRST_REG = Low16(uint32_t(ini.ReadInteger(GLOBAL, "EV_BUF_FIRST_REG", 4001)));
  EV_BUF_LAST_REG = Low16(uint32_t(ini.ReadInteger(GLOBAL, "EV_BUF_LAST_REG", 4032)));
  USE_STN_BELCH = ini.ReadInteger(GLOBAL, "USE_STN_BELCH", 0) != 0;

  // One running register counter for the whole file: items without OFFSET follow the item
  // before them, across group boundaries.
  uint16_t runningOffset = 1;
  for (int group = 1;; ++group) {
    int item = 1;
    while (ReadItem(ini, group, item, runningOffset))
      ++item;
    if (item == 1)
      break;
  }
}

bool TKivDefs::ReadItem(const TIniFile& ini, int group, int item, uint16_t& runningOffset)
{
  const std::string section = "SECTION_" + IntToStr(group);
  if (!ini.SectionExists(section) || !ini.ValueExists(section, ItemKey(item, "NAME")))
    return false;
  SetGroupTitle(group, IntToStr(group) + ". " + ini.ReadString(section, "TITLE", ""));

  TSettingDef def = DefaultSettingDef();
  def.Name = ini.ReadString(section, ItemKey(item, "NAME"), "").substr(0, SETTING_NAME_MAX);
  def.Dim = ini.ReadString(section, ItemKey(item, "DIM"), "").substr(0, SETTING_DIM_MAX);
  def.Base = ReadBase(ini, section, ItemKey(item, "BASE"));
  def.DecPlaces = Low8(uint32_t(ini.ReadInteger(section, ItemKey(item, "DEC_PLACES"), 0)));
  def.Kind = KindOfType(ini.ReadString(section, ItemKey(item, "TYPE"), ""));
  const int32_t offset = ini.ReadInteger(section, ItemKey(item, "OFFSET"), runningOffset);
  def.Offset = Low8(uint32_t(offset) - 1u);
  SetItemDef(group, item, def);
  runningOffset = Low16(uint32_t(offset) + 1u);
  return true;
}
