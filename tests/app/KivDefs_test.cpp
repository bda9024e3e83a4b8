#include "app/values/KivDefs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "DocTestSupport.h"
#include "platform/Codepage.h"
#include "tests/platform/SpecialFiles.h"

// Readable failure output.
void PrintTo(const TSettingDef& d, std::ostream* os)
{
  *os << "{" << Cp1250ToUtf8(d.Name) << ", " << Cp1250ToUtf8(d.Dim) << ", kind " << int(d.Kind) << ", offset "
      << int(d.Offset) << ", dec " << int(d.DecPlaces) << ", base " << (d.Base == 1.0 ? "1" : "other") << "}";
}

namespace {

TSettingDef Def(std::string name, std::string dim, uint8_t kind, uint8_t offset, double base, uint8_t dec)
{
  TSettingDef d;
  d.Name = std::move(name);
  d.Dim = std::move(dim);
  d.Kind = kind;
  d.Offset = offset;
  d.Base = base;
  d.DecPlaces = dec;
  return d;
}

TEST(KivDefs, NewObjectIsEmpty)
{
  TKivDefs defs;
  EXPECT_EQ(defs.GroupCount(), 0);
  EXPECT_EQ(defs.LoadedFileName(), "");
  EXPECT_EQ(defs.DefFileName(), "");
  EXPECT_EQ(defs.ZNS_SIZE, 0);
  EXPECT_EQ(defs.ZNS1_ADRES, 0);
  EXPECT_EQ(defs.Group(1), nullptr);
}

TEST(KivDefs, MissingFileGivesDefaultsAndNoGroups)
{
  TTempDir dir;
  TKivDefs defs;
  const std::string name = dir.File("absent.set");
  EXPECT_TRUE(defs.LoadFromFile(name));
  EXPECT_EQ(defs.ZNS_SIZE, 119);
  EXPECT_EQ(defs.ZNS1_ADRES, 2177);
  EXPECT_EQ(defs.ZNS2_ADRES, 2433);
  EXPECT_EQ(defs.ZNS_SEND_STEP, 119);
  EXPECT_EQ(defs.EV_BUF_FIRST_REG, 4001);
  EXPECT_EQ(defs.EV_BUF_LAST_REG, 4032);
  EXPECT_EQ(defs.DI_correction, -5);
  EXPECT_EQ(defs.DO_correction, 15);
  EXPECT_EQ(defs.AI_correction, -30);
  EXPECT_FALSE(defs.ImplementsSysLogick);
  EXPECT_FALSE(defs.USE_STN_BELCH);
  EXPECT_EQ(defs.GroupCount(), 0);
  EXPECT_EQ(defs.LoadedFileName(), name);
  EXPECT_EQ(defs.DefFileName(), name);
}

TEST(KivDefs, GlobalValuesAreKeptInTheirFieldWidths)
{
  TKivDefs defs;
  defs.LoadFromText("x.set", "[GLOBAL]\n"
                             "ImplementsSysLogick=1\nUSE_STN_BELCH=7\n"
                             "DI_correction=200\nDO_correction=-3\nAI_correction=$FF\n"
                             "ZNS_SIZE=100\nZNS1_ADRES=$12345\nZNS2_ADRES=70000\n"
                             "EV_BUF_FIRST_REG=5000\nEV_BUF_LAST_REG=abc\n");
  EXPECT_TRUE(defs.ImplementsSysLogick);
  EXPECT_TRUE(defs.USE_STN_BELCH);
  EXPECT_EQ(defs.DI_correction, -56);  // 200 kept in 8 signed bits
  EXPECT_EQ(defs.DO_correction, -3);
  EXPECT_EQ(defs.AI_correction, -1);
  EXPECT_EQ(defs.ZNS_SIZE, 100);
  EXPECT_EQ(defs.ZNS_SEND_STEP, 100);  // defaults to the set size just read
  EXPECT_EQ(defs.ZNS1_ADRES, 0x2345);
  EXPECT_EQ(defs.ZNS2_ADRES, 70000 & 0xFFFF);
  EXPECT_EQ(defs.EV_BUF_FIRST_REG, 5000);
  EXPECT_EQ(defs.EV_BUF_LAST_REG, 4032);  // not a number: the default
}

TEST(KivDefs, ZnsAddressAndCorrection)
{
  TKivDefs defs;
  defs.LoadFromText(
      "x.set", "[GLOBAL]\nZNS1_ADRES=10\nZNS2_ADRES=20\nDI_correction=1\nDO_correction=2\nAI_correction=3\n");
  struct Case {
    int n;
    int address;
    int correction;
  };
  for (const Case c :
       {Case{0, 0, 0}, Case{1, 10, 1}, Case{2, 20, 2}, Case{3, 0, 3}, Case{4, 0, 0}, Case{-1, 0, 0}}) {
    EXPECT_EQ(defs.ZnsAddress(c.n), c.address) << c.n;
    EXPECT_EQ(defs.Correction(c.n), c.correction) << c.n;
  }
}

TEST(KivDefs, ItemsTitlesAndRunningOffsets)
{
  TKivDefs defs;
  defs.LoadFromText("x.set",
                    Utf8ToCp1250("[SECTION_1]\nTITLE=Nastawy\n"
                                 "X1_NAME=Napięcie\nX1_DIM=V\nX1_TYPE=real\nX1_BASE=0,1\nX1_DEC_PLACES=1\n"
                                 "X2_NAME=Czas\nX2_TYPE=INT\n"
                                 "X3_NAME=Tryb\nX3_TYPE=y/n\n"
                                 "[SECTION_2]\n"
                                 "X1_NAME=Bez offsetu\n"
                                 "X2_NAME=Offset 20\nX2_OFFSET=20\nX2_TYPE=UN\n"
                                 "X3_NAME=Po nim\nX3_BASE=2.5\n"
                                 "[SECTION_3]\nTITLE=Nastawy\nX1_NAME=Trzecia\n"));
  ASSERT_EQ(defs.GroupCount(), 3);
  EXPECT_EQ(defs.GroupTitle(1), "1. Nastawy");
  EXPECT_EQ(defs.GroupTitle(2), "2. ");  // no TITLE: the number and ". " alone
  EXPECT_EQ(defs.GroupTitle(3), "3. Nastawy");
  EXPECT_EQ(defs.GroupTitle(0), "");
  EXPECT_EQ(defs.GroupTitle(4), "");

  struct Case {
    int group;
    int item;
    TSettingDef def;
  };
  const Case cases[] = {
      {1, 1, Def("Napięcie"_cp, "V", SettingKind::Real, 0, 0.1, 1)},
      {1, 2, Def("Czas", "", SettingKind::Int, 1, 1.0, 0)},
      {1, 3, Def("Tryb", "", SettingKind::YesNo, 2, 1.0, 0)},
      {2, 1, Def("Bez offsetu", "", SettingKind::Hex, 3, 1.0, 0)},
      {2, 2, Def("Offset 20", "", SettingKind::Un, 19, 1.0, 0)},
      {2, 3, Def("Po nim", "", SettingKind::Hex, 20, 2.5, 0)},
      {3, 1, Def("Trzecia", "", SettingKind::Hex, 21, 1.0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.def.Name);
    const TSets* sets = defs.Group(c.group);
    ASSERT_NE(sets, nullptr);
    EXPECT_EQ(sets->GetDef(c.item), c.def);
  }
  EXPECT_EQ(defs.Group(1)->Count(), 3);
  EXPECT_EQ(defs.Group(1)->GetDef(0), DefaultSettingDef());
  EXPECT_EQ(defs.Group(1)->GetDef(4), DefaultSettingDef());
  EXPECT_EQ(DefaultSettingDef().Kind, SettingKind::Hex);
  EXPECT_EQ(DefaultSettingDef().Name, "");
}

TEST(KivDefs, TypeWords)
{
  struct Case {
    const char* type;
    uint8_t kind;
  };
  const Case cases[] = {{"INT", 0}, {"int", 0}, {"REAL", 1}, {"Real", 1}, {"Y/N", 2}, {"y/n", 2},
                        {"UN", 3},  {"un", 3},  {"HEX", 4},  {"WORD", 4}, {"", 4},    {"INTEGER", 4}};
  for (const Case& c : cases) {
    TKivDefs defs;
    defs.LoadFromText("x.set", std::string("[SECTION_1]\nX1_NAME=a\nX1_TYPE=") + c.type + "\n");
    ASSERT_NE(defs.Group(1), nullptr);
    EXPECT_EQ(defs.Group(1)->GetDef(1).Kind, c.kind) << c.type;
  }
}

TEST(KivDefs, BaseAcceptsCommaAndPoint)
{
  struct Case {
    const char* text;
    double base;
  };
  const Case cases[] = {{"0,1", 0.1}, {"0.1", 0.1}, {"10", 10.0},   {" 2,5 ", 2.5},
                        {"abc", 1.0}, {"", 1.0},    {"1,2.3", 1.0}, {"-0,5", -0.5}};
  for (const Case& c : cases) {
    TKivDefs defs;
    defs.LoadFromText("x.set", std::string("[SECTION_1]\nX1_NAME=a\nX1_BASE=") + c.text + "\n");
    ASSERT_NE(defs.Group(1), nullptr);
    EXPECT_DOUBLE_EQ(defs.Group(1)->GetDef(1).Base, c.base) << c.text;
  }
}

TEST(KivDefs, NameAndDimAreCut)
{
  TKivDefs defs;
  defs.LoadFromText(
      "x.set",
      Utf8ToCp1250("[SECTION_1]\nX1_NAME=Zażółć gęślą jaźń 123456\nX1_DIM=mV/ms\nX1_DEC_PLACES=258\n"));
  const TSettingDef d = defs.Group(1)->GetDef(1);
  EXPECT_EQ(d.Name, "Zażółć gęślą jaźń 12"_cp);
  EXPECT_EQ(d.Name.size(), SETTING_NAME_MAX);
  EXPECT_EQ(d.Dim, "mV/m");
  EXPECT_EQ(d.DecPlaces, 2);
}

TEST(KivDefs, GapsEndTheLists)
{
  TKivDefs defs;
  defs.LoadFromText("x.set", "[SECTION_1]\nX1_NAME=a\nX2_NAME=b\nX4_NAME=d\n"
                             "[SECTION_3]\nX1_NAME=c\n");
  EXPECT_EQ(defs.GroupCount(), 1);
  EXPECT_EQ(defs.Group(1)->Count(), 2);

  TKivDefs none;
  none.LoadFromText("x.set", "[SECTION_1]\nX2_NAME=b\n[SECTION_2]\nX1_NAME=a\n");
  EXPECT_EQ(none.GroupCount(), 0);
}

TEST(KivDefs, SameNameLoadsOnceOtherCaseReloads)
{
  TTempDir dir;
  const std::string path = dir.Write("Kivs3.set", "[GLOBAL]\nZNS_SIZE=50\n[SECTION_1]\nX1_NAME=a\n");
  TKivDefs defs;
  ASSERT_TRUE(defs.LoadFromFile(path));
  EXPECT_EQ(defs.ZNS_SIZE, 50);
  dir.Write("Kivs3.set", "[GLOBAL]\nZNS_SIZE=60\n");
  EXPECT_TRUE(defs.LoadFromFile(path));
  EXPECT_EQ(defs.ZNS_SIZE, 50);  // not read again
  EXPECT_EQ(defs.GroupCount(), 1);

  // The same file under another spelling of its name is another request.
  const std::string other = dir.Path() + "/./Kivs3.set";
  ASSERT_TRUE(defs.LoadFromFile(other));
  EXPECT_EQ(defs.ZNS_SIZE, 60);
  EXPECT_EQ(defs.GroupCount(), 0);
  EXPECT_EQ(defs.LoadedFileName(), other);
}

TEST(KivDefs, UnreadableFileClearsGroupsAndKeepsTheLoadedName)
{
  TTempDir dir;
  const std::string good = dir.Write("good.set", "[SECTION_1]\nX1_NAME=a\n");
  TKivDefs defs;
  ASSERT_TRUE(defs.LoadFromFile(good));
  ASSERT_EQ(defs.GroupCount(), 1);
  const std::string folder = dir.File("folder.set");
  std::filesystem::create_directory(folder);
  // A FIFO that no one writes to and an endless device are refused at once, as a folder is.
  const THangGuard guard;
  for (const std::string& bad : {folder, MakeFifo(dir.File("fifo.set")), std::string("/dev/zero")}) {
    ASSERT_TRUE(defs.LoadFromFile(good));
    EXPECT_FALSE(defs.LoadFromFile(bad)) << bad;
    EXPECT_EQ(defs.GroupCount(), 0) << bad;
    EXPECT_EQ(defs.LoadedFileName(), good) << bad;
    EXPECT_EQ(defs.DefFileName(), bad);
    // Asked again, it is tried again (and fails again) rather than taken as loaded.
    EXPECT_FALSE(defs.LoadFromFile(bad)) << bad;
  }
}

TEST(KivDefs, SetGroupTitleAndSetItemDef)
{
  TKivDefs defs;
  defs.SetGroupTitle(3, "3. c");
  ASSERT_EQ(defs.GroupCount(), 3);
  EXPECT_EQ(defs.GroupTitle(1), "");
  EXPECT_EQ(defs.GroupTitle(3), "3. c");
  defs.SetItemDef(4, 1, Def("x", "", 0, 0, 1, 0));  // beyond the groups: nothing
  EXPECT_EQ(defs.GroupCount(), 3);
  defs.SetItemDef(3, 2, Def("b", "", 0, 5, 1, 0));
  ASSERT_NE(defs.Group(3), nullptr);
  EXPECT_EQ(defs.Group(3)->Count(), 2);
  EXPECT_EQ(defs.Group(3)->GetDef(1), DefaultSettingDef());
  EXPECT_EQ(defs.Group(3)->GetDef(2).Name, "b");
  defs.SetGroupTitle(3, "3. c");  // same title: items stay
  EXPECT_NE(defs.Group(3), nullptr);
  defs.SetGroupTitle(3, "3. d");  // new title: without definitions
  EXPECT_EQ(defs.Group(3), nullptr);
  EXPECT_EQ(defs.GroupTitle(3), "3. d");
  defs.Clear();
  EXPECT_EQ(defs.GroupCount(), 0);
}

TEST(KivDefs, SetsSetDef)
{
  TSets sets;
  sets.SetDef(0, Def("zero", "", 0, 0, 1, 0));
  EXPECT_EQ(sets.Count(), 0);
  sets.SetDef(3, Def("c", "", 0, 2, 1, 0));
  EXPECT_EQ(sets.Count(), 3);
  EXPECT_EQ(sets.GetDef(2), DefaultSettingDef());
  sets.SetDef(2, Def("b", "", 1, 1, 1, 0));
  EXPECT_EQ(sets.GetDef(2).Name, "b");
  EXPECT_EQ(sets.Count(), 3);
  sets.Clear();
  EXPECT_EQ(sets.Count(), 0);
}

// The generic definition files installed with the program.
TEST(KivDefs, InstalledGenericFiles)
{
  for (const char* name : {"Kivs2.set", "Kivs3.set"}) {
    SCOPED_TRACE(name);
    TKivDefs defs;
    ASSERT_TRUE(defs.LoadFromFile(std::string(KIV_SOURCE_DIR) + "/data/" + name));
    EXPECT_EQ(defs.ZNS_SIZE, 119);
    EXPECT_EQ(defs.ZNS1_ADRES, 2177);
    ASSERT_EQ(defs.GroupCount(), 20);
    int registers = 0;
    for (int g = 1; g <= defs.GroupCount(); ++g) {
      const TSets* sets = defs.Group(g);
      ASSERT_NE(sets, nullptr);
      EXPECT_EQ(sets->Count(), g < 20 ? 6 : 5);
      const int first = (g - 1) * 6 + 1;
      EXPECT_EQ(defs.GroupTitle(g), std::to_string(g) + ". Rejestry " + std::to_string(first) + "-" +
                                        std::to_string(first + sets->Count() - 1));
      for (int i = 1; i <= sets->Count(); ++i) {
        const TSettingDef d = sets->GetDef(i);
        EXPECT_EQ(d.Kind, SettingKind::Hex);
        EXPECT_EQ(d.Offset, registers);
        ++registers;
      }
    }
    EXPECT_EQ(registers, 119);
  }
}

}  // namespace
