#pragma once
// Model definitions: where a controller model keeps its setting sets and event register,
// its time corrections and switches, and the setting items the document window shows.
// They come from a ".set" file (an ini file, Windows-1250 text).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TIniFile;

// Setting item kinds (TSettingDef::Kind).
namespace SettingKind {
constexpr uint8_t Int = 0;    // "INT"
constexpr uint8_t Real = 1;   // "REAL"
constexpr uint8_t YesNo = 2;  // "Y/N"
constexpr uint8_t Un = 3;     // "UN"
constexpr uint8_t Hex = 4;    // any other TYPE word: shown in hexadecimal
}  // namespace SettingKind

constexpr size_t SETTING_NAME_MAX = 20;
constexpr size_t SETTING_DIM_MAX = 4;

// One setting item. Register Offset occupies bytes 2 x Offset (high) and 2 x Offset + 1 of
// its set buffer.
struct TSettingDef {
  std::string Name;  // at most 20 characters
  std::string Dim;   // unit, at most 4 characters
  uint8_t Kind = SettingKind::Hex;
  uint8_t Offset = 0;  // zero-based register index inside the set
  double Base = 0.0;   // displayed value = register value x Base
  uint8_t DecPlaces = 0;

  bool operator==(const TSettingDef&) const = default;
};

// Returned for a lookup out of range, and filling gaps when an item is stored past the end.
const TSettingDef& DefaultSettingDef();

// The items of one group, numbered from 1.
class TSets {
public:
  int Count() const { return int(FItems.size()); }
  // A copy of item n; DefaultSettingDef() when n is out of range.
  TSettingDef GetDef(int n) const;
  // Nothing for n <= 0; past the end, default items fill the gap up to n - 1.
  void SetDef(int n, const TSettingDef& def);
  void Clear() { FItems.clear(); }

private:
  std::vector<TSettingDef> FItems;
};

class TKivDefs {
public:
  TKivDefs() = default;
  TKivDefs(const TKivDefs&) = delete;
  TKivDefs& operator=(const TKivDefs&) = delete;

  // Loads a definition file (a native file system path). A request for the name already
  // loaded (compared exactly) keeps what is loaded. A missing file loads the defaults and no
  // groups. Returns false when the file exists but cannot be read: the groups are then
  // cleared and the loaded name left as it was, so the next request tries again.
  bool LoadFromFile(const std::string& fileName);
  // The same from ini text already in memory, recorded under fileName.
  void LoadFromText(const std::string& fileName, std::string_view text);

  int GroupCount() const { return int(FGroups.size()); }
  // Title of group n (1-based), "n. TITLE"; empty out of range.
  std::string GroupTitle(int n) const;
  // Items of group n; nullptr out of range and for a group without items.
  const TSets* Group(int n) const;
  void SetGroupTitle(int n, const std::string& title);
  void SetItemDef(int group, int item, const TSettingDef& def);
  // First register of set 1 or 2; 0 for any other n.
  uint16_t ZnsAddress(int n) const;
  // Time correction in ms for correction kind 1 DI, 2 DO, 3 AI; 0 for any other kind.
  int8_t Correction(int kind) const;
  // Frees every group (names and GLOBAL values stay).
  void Clear() { FGroups.clear(); }

  // The file of the last successful load, and the file last asked for.
  const std::string& LoadedFileName() const { return FLoadedFileName; }
  const std::string& DefFileName() const { return FDefFileName; }

  // GLOBAL values, read directly by the protocol, the lister and the window.
  int32_t ZNS_SIZE = 0;
  uint16_t ZNS1_ADRES = 0;
  uint16_t ZNS2_ADRES = 0;
  int32_t ZNS_SEND_STEP = 0;
  uint16_t EV_BUF_FIRST_REG = 0;
  uint16_t EV_BUF_LAST_REG = 0;
  int8_t DI_correction = 0;
  int8_t DO_correction = 0;
  int8_t AI_correction = 0;
  bool ImplementsSysLogick = false;
  bool USE_STN_BELCH = false;

private:
  struct TGroup {
    std::string Title;
    std::unique_ptr<TSets> Sets;
  };
  void ReadIni(const TIniFile& ini);
  bool ReadItem(const TIniFile& ini, int group, int item, uint16_t& runningOffset);

  std::vector<TGroup> FGroups;
  std::string FLoadedFileName;
  std::string FDefFileName;
};
