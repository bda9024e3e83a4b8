#include "app/values/SettingValues.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Codepage.h"
#include "platform/Prompts.h"

namespace {

constexpr size_t kCapacity = 512;
constexpr uint16_t kReadLength = 238;  // 119 registers

TSettingDef Def(uint8_t kind, uint8_t offset, double base = 1.0, uint8_t decimals = 0)
{
  TSettingDef d;
  d.Name = "X";
  d.Kind = kind;
  d.Offset = offset;
  d.Base = base;
  d.DecPlaces = decimals;
  return d;
}

// A set whose registers all hold distinct filler values, so that a stray write shows.
std::vector<uint8_t> FilledSet()
{
  std::vector<uint8_t> set(kCapacity);
  for (size_t i = 0; i < set.size(); ++i)
    set[i] = static_cast<uint8_t>(0xA0 + i % 37);
  return set;
}

void PutRegister(std::vector<uint8_t>& set, uint8_t offset, uint16_t v)
{
  set[2 * size_t{offset}] = static_cast<uint8_t>(v >> 8);
  set[2 * size_t{offset} + 1] = static_cast<uint8_t>(v);
}

uint16_t Register(const std::vector<uint8_t>& set, uint8_t offset)
{
  return static_cast<uint16_t>(set[2 * size_t{offset}] << 8 | set[2 * size_t{offset} + 1]);
}

class SettingValues : public ::testing::Test {
protected:
  void SetUp() override { Previous = SetPrompts(&Script); }
  void TearDown() override { SetPrompts(Previous); }
  TScriptedPrompts Script;
  IPrompts* Previous = nullptr;
};

struct TFormatCase {
  const char* Name;
  TSettingDef Item;
  uint16_t Value;
  const char* Expected;
};

TEST_F(SettingValues, Format)
{
  const TFormatCase cases[] = {
      {"real cut to one decimal", Def(SettingKind::Real, 5, 0.01, 1), 1234, "12,3"},
      {"real without decimals to cut", Def(SettingKind::Real, 5, 0.01, 2), 1200, "12"},
      {"real shorter than its decimals", Def(SettingKind::Real, 5, 0.1, 2), 125, "12,5"},
      {"real cut before the separator", Def(SettingKind::Real, 5, 0.01, 0), 1299, "12"},
      {"real unsigned", Def(SettingKind::Real, 5, 1, 0), 65535, "65535"},
      {"real scaled up", Def(SettingKind::Real, 5, 2.5, 0), 3, "7"},
      {"real exponent kept", Def(SettingKind::Real, 5, 0.000001, 1), 15, "1,5E-5"},
      {"real exponent cut", Def(SettingKind::Real, 5, 0.000001, 0), 15, "1E-5"},
      {"yes", Def(SettingKind::YesNo, 5), 1, "T"},
      {"no", Def(SettingKind::YesNo, 5), 0, "N"},
      {"neither", Def(SettingKind::YesNo, 5), 5, "?: 0005h"},
      {"neither, large", Def(SettingKind::YesNo, 5), 0xABCD, "?: ABCDh"},
      {"volts", Def(SettingKind::Un, 5), 230, "230"},
      {"hundreds", Def(SettingKind::Un, 5), 0x4000 | 630, "63k"},
      {"tens", Def(SettingKind::Un, 5), 0x8000 | 630, "6,3k"},
      {"6 kV as parsed", Def(SettingKind::Un, 5), 0x8258, "6k"},
      {"15,75 kV as parsed", Def(SettingKind::Un, 5), 0x409D, "15,7k"},
      {"both range bits", Def(SettingKind::Un, 5), 0xC000 | 230, ""},
      {"only the low 10 bits count", Def(SettingKind::Un, 5), 0x3C00 | 230, "230"},
      {"hex", Def(SettingKind::Hex, 5), 255, "00FF"},
      {"hex large", Def(SettingKind::Hex, 5), 0xBEEF, "BEEF"},
      {"int", Def(SettingKind::Int, 5), 65535, "65535"},
  };
  for (const auto& c : cases) {
    auto set = FilledSet();
    PutRegister(set, 5, c.Value);
    EXPECT_EQ(FormatSettingValue(c.Item, set, kReadLength), c.Expected) << c.Name;
  }
}

TEST_F(SettingValues, FormatUnreadShowsQuestionMark)
{
  const auto set = FilledSet();
  for (uint8_t kind = 0; kind <= 4; ++kind) {
    EXPECT_EQ(FormatSettingValue(Def(kind, 0), set, 0), "?") << int(kind);
    // A register past the stored length was never read either.
    EXPECT_EQ(FormatSettingValue(Def(kind, 119), set, kReadLength), "?") << int(kind);
    EXPECT_EQ(FormatSettingValue(Def(kind, 3), std::span<const uint8_t>(set.data(), 7), 238), "?");
  }
  EXPECT_NE(FormatSettingValue(Def(SettingKind::Hex, 118), set, kReadLength), "?");
}

// A voltage item shows and edits its own register, not the set's first one.
TEST_F(SettingValues, VoltageUsesItsOwnRegister)
{
  auto set = FilledSet();
  PutRegister(set, 0, 400);
  PutRegister(set, 3, 0x8258);
  EXPECT_EQ(FormatSettingValue(Def(SettingKind::Un, 3), set, kReadLength), "6k");
  auto expected = set;
  PutRegister(expected, 3, 230);
  EXPECT_EQ(EncodeSettingValue(Def(SettingKind::Un, 3), "230 V", set, kReadLength), TEncodeResult::Ok);
  EXPECT_EQ(set, expected);
}

struct TEncodeCase {
  const char* Name;
  TSettingDef Item;
  const char* Text;
  TEncodeResult Result;
  int Stored;  // the register afterwards; -1: unchanged
};

TEST_F(SettingValues, Encode)
{
  const TEncodeCase cases[] = {
      {"real minus one", Def(SettingKind::Real, 7, 1), "-1", TEncodeResult::Ok, 0xFFFF},
      {"real half to even down", Def(SettingKind::Real, 7, 1), "2,5", TEncodeResult::Ok, 2},
      {"real half to even up", Def(SettingKind::Real, 7, 1), "3,5", TEncodeResult::Ok, 4},
      {"real scaled", Def(SettingKind::Real, 7, 0.01, 2), "12,34", TEncodeResult::Ok, 1234},
      {"real top", Def(SettingKind::Real, 7, 1), "65535", TEncodeResult::Ok, 0xFFFF},
      {"real bottom", Def(SettingKind::Real, 7, 1), "-32768", TEncodeResult::Ok, 0x8000},
      {"real blanks", Def(SettingKind::Real, 7, 1), " 17 ", TEncodeResult::Ok, 17},
      // Outside what the register holds: refused, not wrapped (70000 would store 4464).
      {"real too large", Def(SettingKind::Real, 7, 1), "70000", TEncodeResult::ConversionError, -1},
      {"real too small", Def(SettingKind::Real, 7, 1), "-32769", TEncodeResult::ConversionError, -1},
      {"real huge", Def(SettingKind::Real, 7, 1), "1E300", TEncodeResult::ConversionError, -1},
      {"real no number", Def(SettingKind::Real, 7, 1), "abc", TEncodeResult::ConversionError, -1},
      {"real point", Def(SettingKind::Real, 7, 1), "1.5", TEncodeResult::ConversionError, -1},
      {"real base 0", Def(SettingKind::Real, 7, 0), "5", TEncodeResult::ConversionError, -1},
      {"tak", Def(SettingKind::YesNo, 7), "tak", TEncodeResult::Ok, 1},
      {"nie", Def(SettingKind::YesNo, 7), "nie", TEncodeResult::Ok, 0},
      {"Yes", Def(SettingKind::YesNo, 7), "Yes", TEncodeResult::Ok, 1},
      {"N", Def(SettingKind::YesNo, 7), "N", TEncodeResult::Ok, 0},
      {"x", Def(SettingKind::YesNo, 7), "x", TEncodeResult::InvalidYesNo, -1},
      {"blank first", Def(SettingKind::YesNo, 7), " T", TEncodeResult::InvalidYesNo, -1},
      {"volts", Def(SettingKind::Un, 7), "231 V", TEncodeResult::Ok, 232},
      {"6 kV", Def(SettingKind::Un, 7), "6 kV", TEncodeResult::Ok, 0x8258},
      {"2,01 kV exactly", Def(SettingKind::Un, 7), "2,01 kV", TEncodeResult::Ok, 0x80CA},
      {"voltage out of range", Def(SettingKind::Un, 7), "99 V", TEncodeResult::NoChange, -1},
      {"upper-case K", Def(SettingKind::Un, 7), "0,4 KV", TEncodeResult::ConversionError, -1},
      {"hex first four", Def(SettingKind::Hex, 7), "12345", TEncodeResult::Ok, 0x1234},
      {"hex short", Def(SettingKind::Hex, 7), "1F", TEncodeResult::Ok, 0x001F},
      {"hex lower case", Def(SettingKind::Hex, 7), "ff", TEncodeResult::ConversionError, -1},
      {"hex fifth ignored", Def(SettingKind::Hex, 7), "ABCDz", TEncodeResult::Ok, 0xABCD},
      {"int", Def(SettingKind::Int, 7), "300", TEncodeResult::Ok, 300},
      {"int minus one", Def(SettingKind::Int, 7), "-1", TEncodeResult::Ok, 0xFFFF},
      {"int too large", Def(SettingKind::Int, 7), "70000", TEncodeResult::ConversionError, -1},
      {"int decimals", Def(SettingKind::Int, 7), "3,5", TEncodeResult::ConversionError, -1},
  };
  for (const auto& c : cases) {
    Script.Records.clear();
    auto set = FilledSet();
    auto expected = set;
    if (c.Stored >= 0)
      PutRegister(expected, 7, static_cast<uint16_t>(c.Stored));
    EXPECT_EQ(EncodeSettingValue(c.Item, c.Text, set, kReadLength), c.Result) << c.Name;
    // Only the item's two bytes may change.
    EXPECT_EQ(set, expected) << c.Name << " stored " << std::hex << Register(set, 7);
    if (c.Result == TEncodeResult::InvalidYesNo) {
      ASSERT_EQ(Script.Records.size(), 1u) << c.Name;
      EXPECT_EQ(Script.Records[0].Text, "Dopuszczalne wartości to: [T/N]"_cp);
      EXPECT_EQ(Script.Records[0].Kind, TScriptedPrompts::TKind::Message);
    } else {
      EXPECT_TRUE(Script.Records.empty()) << c.Name;
    }
  }
}

TEST_F(SettingValues, EncodeNothingToDo)
{
  // A text each kind would accept, so that only the set decides.
  const char* valid[] = {"1", "1", "T", "230", "1"};
  for (uint8_t kind = 0; kind <= 4; ++kind) {
    auto set = FilledSet();
    const auto before = set;
    EXPECT_EQ(EncodeSettingValue(Def(kind, 2), valid[kind], set, 0), TEncodeResult::NoChange);
    EXPECT_EQ(EncodeSettingValue(Def(kind, 2), "", set, kReadLength), TEncodeResult::NoChange);
    // Past the stored length, and past the storage itself.
    EXPECT_EQ(EncodeSettingValue(Def(kind, 119), valid[kind], set, kReadLength), TEncodeResult::NoChange);
    EXPECT_EQ(EncodeSettingValue(Def(kind, 3), valid[kind], std::span<uint8_t>(set.data(), 7), kReadLength),
              TEncodeResult::NoChange);
    EXPECT_EQ(set, before) << int(kind);
    EXPECT_TRUE(Script.Records.empty());
    // The last register of a full storage is still inside.
    EXPECT_EQ(EncodeSettingValue(Def(kind, 255), valid[kind], set, kCapacity), TEncodeResult::Ok);
    EXPECT_NE(Register(set, 255), Register(before, 255)) << int(kind);
  }
}

TEST_F(SettingValues, EncodedValueFormatsBack)
{
  struct TCase {
    TSettingDef Item;
    const char* Typed;
    const char* Shown;
  };
  const TCase cases[] = {
      {Def(SettingKind::Real, 1, 0.1, 1), "12,34", "12,3"},
      {Def(SettingKind::Un, 1), "0.4 kV", "400"},
      {Def(SettingKind::Un, 1), "6 kV", "6k"},
      {Def(SettingKind::Un, 1), "15,75 kV", "15,7k"},
      {Def(SettingKind::YesNo, 1), "y", "T"},
      {Def(SettingKind::Hex, 1), "00FF", "00FF"},
  };
  for (const auto& c : cases) {
    auto set = FilledSet();
    ASSERT_EQ(EncodeSettingValue(c.Item, c.Typed, set, kReadLength), TEncodeResult::Ok) << c.Typed;
    EXPECT_EQ(FormatSettingValue(c.Item, set, kReadLength), c.Shown) << c.Typed;
  }
}

}  // namespace
